// Code-page and conversion costs on the largest document the editor opens.

#include "platform/codepage.h"
#include "platform/strconv.h"

#include <benchmark/benchmark.h>

namespace {

QString rubyDocument()
{
    const QString line = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。ｶﾀｶﾅもabcも。\r\n");
    QString text;
    while (zeq::cp932Length(text) + zeq::cp932Length(line) <= 32700)
        text += line;
    return text;
}

void BM_DecodeLargestDocument(benchmark::State &state)
{
    const QByteArray bytes = zeq::encodeCp932(rubyDocument()).bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::decodeCp932(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeLargestDocument)->Unit(benchmark::kMicrosecond);

void BM_EncodeLargestDocument(benchmark::State &state)
{
    const QString text = rubyDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::encodeCp932(text));
}
BENCHMARK(BM_EncodeLargestDocument)->Unit(benchmark::kMicrosecond);

void BM_ReadingToFullWidthHiragana(benchmark::State &state)
{
    const QString reading = QStringLiteral("ｶﾞｯｺｳﾉｾﾝｾｲ");
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::strConv(reading, zeq::ConvWide + zeq::ConvHiragana));
}
BENCHMARK(BM_ReadingToFullWidthHiragana)->Unit(benchmark::kMicrosecond);

} // namespace
