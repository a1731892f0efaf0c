// The line checker on the largest document the editor opens: the display
// image checks every line each time it is rebuilt.

#include "platform/codepage.h"
#include "ruby/linecheck.h"
#include "ruby/linefaults.h"
#include "ruby/rubytext.h"

#include <QList>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

const zeq::SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

// Lines of the kind the editor prepares: school reading texts with every
// kanji run annotated, some kana-only lines, half-width and ASCII now and
// then, and every tenth line broken in one of the two ways users break them.
QString rubyDocument()
{
    const QList<QString> wellFormed = {
        QStringLiteral("`昔`むかし`、ある`村`むら`に`正直`しょうじき`な`お爺`おじい`さんが`住`す`んでいました。"),
        QStringLiteral("`毎日`まいにち`、`山`やま`へ`柴刈`しばか`りに`出掛`でか`けます。"),
        QStringLiteral("あるひのこと、おじいさんは「おや？」といいました。"),
        QStringLiteral("`今日`きょう`は`天気`てんき`が`良`よ`いので、`川`かわ`で`洗濯`せんたく`をしましょう。"),
        QStringLiteral("`人々`ひとびと`は`口々`くちぐち`に`喜`よろこ`び、`村中`むらじゅう`が`賑`にぎ`やかになりました。"),
        QStringLiteral("ﾃｽﾄ ABC 123 - `漢字`かんじ`の`練習`れんしゅう`です。"),
        QStringLiteral("`第一章`だいいっしょう`　`桃太郎`ももたろう`の`誕生`たんじょう`"),
        QStringLiteral("どんぶらこ、どんぶらこと、`大`おお`きな`桃`もも`が`流`なが`れてきました。"),
        QStringLiteral(""),
    };
    const QList<QString> malformed = {
        QStringLiteral("`鬼ヶ島`おにがしま`へ`向`む`かう`船`ふねに`乗`の`りました。"),  // count
        QStringLiteral("犬と`猿`さる`と`雉`きじ`が`家来`けらい`になりました。"),        // position
    };

    QString text;
    int line = 0;
    for (;;) {
        const QString &next = line % 10 == 9 ? malformed[(line / 10) % malformed.size()]
                                             : wellFormed[line % wellFormed.size()];
        const QString withEnd = next + QStringLiteral("\r\n");
        if (zeq::cp932Length(text) + zeq::cp932Length(withEnd) > 32700)
            break;
        text += withEnd;
        ++line;
    }
    return text;
}

QList<QString> documentLines(const QString &document)
{
    QList<QString> lines;
    for (const zeq::LineSpan &span : zeq::splitDocumentLines(document))
        lines.append(document.sliced(span.start, span.length));
    return lines;
}

// What the display image does: one checkLine per line, the result string
// handed over each time.
void BM_CheckLineWholeDocument(benchmark::State &state)
{
    const QString document = rubyDocument();
    const QList<QString> lines = documentLines(document);
    zeq::isKanji(QStringLiteral("漢"));  // the one-time class table is not what is measured
    QString result;
    qint64 malformedLines = 0;
    for (auto _ : state) {
        malformedLines = 0;
        for (const QString &line : lines) {
            if (!zeq::checkLine(line, true, result, kBackQuotes))
                ++malformedLines;
            benchmark::DoNotOptimize(result);
        }
    }
    state.counters["lines"] = double(lines.size());
    state.counters["malformed"] = double(malformedLines);
    state.counters["bytes"] = double(zeq::cp932Length(document));
    state.SetBytesProcessed(state.iterations() * zeq::cp932Length(document));
}
BENCHMARK(BM_CheckLineWholeDocument)->Unit(benchmark::kMicrosecond);

void BM_ResolveTextWholeDocument(benchmark::State &state)
{
    const QString document = rubyDocument();
    zeq::isKanji(QStringLiteral("漢"));
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::resolveText(document, true, kBackQuotes));
}
BENCHMARK(BM_ResolveTextWholeDocument)->Unit(benchmark::kMicrosecond);

// Reference point: the code page lookup per character that the class table
// replaces, over the same document.
void BM_CodePageLookupPerCharacter(benchmark::State &state)
{
    const QString document = rubyDocument();
    for (auto _ : state) {
        int sum = 0;
        for (qsizetype i = 0; i < document.size(); ++i)
            sum += zeq::isKanjiCode(zeq::cp932CodeOfFirst(QStringView(document).sliced(i, 1).toString()));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_CodePageLookupPerCharacter)->Unit(benchmark::kMicrosecond);

// The class table is built by the first kanji test of the run. This figure
// is the first call's cost only when nothing before it asked: run it alone
// (--benchmark_filter=FirstUse/). The ranged "_lookups" figure below it is
// what asking the code page about every code unit would cost instead.
void BM_KanjiClassFirstUse(benchmark::State &state)
{
    // The editor has decoded a document by then: the converter is open.
    benchmark::DoNotOptimize(zeq::cp932CodeOfFirst(QStringLiteral("あ")));
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::isKanji(QStringLiteral("漢")));
}
BENCHMARK(BM_KanjiClassFirstUse)->Unit(benchmark::kMicrosecond)->Iterations(1);

void BM_KanjiClassFirstUse_lookups(benchmark::State &state)
{
    for (auto _ : state) {
        int sum = 0;
        for (int unit = 0x80; unit <= 0xFFFF; ++unit)
            sum += zeq::isKanjiCode(zeq::cp932CodeOfFirst(QString(QChar(char16_t(unit)))));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_KanjiClassFirstUse_lookups)->Unit(benchmark::kMillisecond)->Iterations(3);

// The edit view's fault marks after one keystroke in the middle of the
// largest document: a separator typed, then taken out again, alternately.
void BM_LineFaultsAfterOneKeystroke(benchmark::State &state)
{
    const QString document = rubyDocument();
    // Into a well-formed line, so that each keystroke flips its verdict.
    const qsizetype middle = document.indexOf(QStringLiteral("\r\n`今日`"), document.size() / 2) + 2;
    QString typed = document;
    typed.insert(middle, QLatin1Char('`'));
    zeq::TextChange typing;
    typing.position = qint32(middle);
    typing.inserted = QStringLiteral("`");
    zeq::TextChange erasing;
    erasing.position = qint32(middle);
    erasing.removed = QStringLiteral("`");

    zeq::LineFaults faults;
    faults.reset(document, kBackQuotes);
    bool isTyped = false;
    for (auto _ : state) {
        if (isTyped)
            faults.update(document, erasing);
        else
            faults.update(typed, typing);
        isTyped = !isTyped;
        benchmark::DoNotOptimize(faults.faultCount());
    }
    state.counters["bytes"] = double(zeq::cp932Length(document));
}
BENCHMARK(BM_LineFaultsAfterOneKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
