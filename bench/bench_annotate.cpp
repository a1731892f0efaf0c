// Automatic readings: opening the dictionary (done once, on first use) and
// annotating the largest document the editor opens when none of its kanji
// has a reading yet, the worst case.

#include "platform/codepage.h"
#include "ruby/annotate.h"
#include "ruby/readings.h"

#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

const zeq::SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

// Plain Japanese of several kinds (narrative, notices, numbers and dates,
// katakana and Latin text), no readings anywhere, up to 32,700 bytes.
QString plainDocument()
{
    const QList<QString> lines = {
        QStringLiteral("昔、ある村に正直なお爺さんが住んでいました。"),
        QStringLiteral("毎日、山へ柴刈りに出掛けます。"),
        QStringLiteral("今日は天気が良いので、川で洗濯をしましょう。"),
        QStringLiteral("株式会社の担当者が２７日午後３時に説明会を行いました。"),
        QStringLiteral("ご希望の方は、お問い合わせフォームからお申し込み下さい。"),
        QStringLiteral("日本の伝統的な料理を楽しめる露天風呂付きの旅館です。"),
        QStringLiteral("私はこのソフトウェアのVersion 2.1を取り扱い説明書に従って設定した。"),
        QStringLiteral("人々は口々に喜び、村中が賑やかになりました。"),
        QStringLiteral("どんぶらこ、どんぶらこと、大きな桃が流れてきました。"),
        QStringLiteral(""),
    };
    QString text;
    for (int line = 0;; ++line) {
        const QString withEnd = lines[line % lines.size()] + QStringLiteral("\r\n");
        if (zeq::cp932Length(text) + zeq::cp932Length(withEnd) > 32700)
            break;
        text += withEnd;
    }
    return text;
}

void BM_OpenReadingDictionary(benchmark::State &state)
{
    for (auto _ : state) {
        zeq::ReadingAnalyser analyser;
        if (!analyser.ensureLoaded()) {
            state.SkipWithError(analyser.errorString().toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(analyser.isLoaded());
    }
}
BENCHMARK(BM_OpenReadingDictionary)->Unit(benchmark::kMillisecond);

// Opening and the first sentence: what the first command after start-up
// waits for.
void BM_OpenReadingDictionaryAndReadASentence(benchmark::State &state)
{
    for (auto _ : state) {
        zeq::ReadingAnalyser analyser;
        benchmark::DoNotOptimize(analyser.analyse(u"今日は天気が良いので、川で洗濯をしましょう。"));
    }
}
BENCHMARK(BM_OpenReadingDictionaryAndReadASentence)->Unit(benchmark::kMillisecond);

void BM_AnnotateLargestDocument(benchmark::State &state)
{
    const QString document = plainDocument();
    zeq::ReadingAnalyser &analyser = zeq::ReadingAnalyser::shared();
    if (!analyser.ensureLoaded()) {
        state.SkipWithError(analyser.errorString().toStdString().c_str());
        return;
    }
    int runs = 0;
    for (auto _ : state) {
        zeq::Annotation annotation = zeq::annotateDocument(document, 0, 0, kBackQuotes, analyser);
        runs = annotation.annotatedRuns;
        benchmark::DoNotOptimize(annotation);
    }
    state.counters["bytes"] = double(zeq::cp932Length(document));
    state.counters["runs"] = runs;
}
BENCHMARK(BM_AnnotateLargestDocument)->Unit(benchmark::kMillisecond);

} // namespace
