// The input-method capture's share of one input-method event: following a
// keystroke's preedit, a converted preedit, and the confirming commit with
// its alignment and the analyser's check of the reading (the dictionary is
// opened before timing: that happens once, at the first conversion).

#include "ime/alignment.h"
#include "ime/capture.h"
#include "ime/prediction.h"
#include "ruby/readings.h"
#include "support/scriptedmodal.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zeq;

const SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

ImeEventData typing(const QString &preedit)
{
    return {preedit, {{0, int(preedit.size()), false}}, {}};
}

// anthy over ibus: an underline over everything, the focused clause.
ImeEventData converted()
{
    return {QStringLiteral("私の名前は中村です"), {{0, 9, false}, {0, 2, true}}, {}};
}

void BM_ImeKeystrokePreedit(benchmark::State &state)
{
    CompositionTracker tracker;
    const ImeEventData a = typing(QStringLiteral("わたしのなまえはなかむらで"));
    const ImeEventData b = typing(QStringLiteral("わたしのなまえはなかむらです"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tracker.feed(a));
        benchmark::DoNotOptimize(tracker.feed(b));
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ImeKeystrokePreedit);

void BM_ImeConvertedPreedit(benchmark::State &state)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("わたしのなまえはなかむらです")));
    const ImeEventData event = converted();
    for (auto _ : state)
        benchmark::DoNotOptimize(tracker.feed(event));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImeConvertedPreedit);

// The commit: the conversion recognised, its clauses placed (the whole
// preedit's clauses cut after kana, checked to fit one way only), the
// analyser's check of the reading, the alignment.
void BM_ImeConfirmingCommit(benchmark::State &state)
{
    ReadingAnalyser &analyser = ReadingAnalyser::shared();
    if (!analyser.ensureLoaded()) {
        state.SkipWithError("no reading dictionary");
        return;
    }
    ScriptedModal modal;
    const ImeEventData reading = typing(QStringLiteral("わたしのなまえはなかむらです"));
    const ImeEventData conversion = converted();
    ImeEventData commit;
    commit.commit = conversion.preedit;
    for (auto _ : state) {
        state.PauseTiming();
        CompositionTracker tracker;
        tracker.feed(reading);
        tracker.feed(conversion);
        state.ResumeTiming();
        const std::optional<ConfirmedConversion> confirmed = tracker.feed(commit);
        const std::optional<ConfirmedConversion> read = readPrediction(*confirmed, analyser);
        benchmark::DoNotOptimize(
            alignReading(read->result, read->reading, read->clauses, kBackQuotes, modal, read->needsReading));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImeConfirmingCommit);

} // namespace
