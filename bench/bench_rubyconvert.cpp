// Converting between ruby notations, and --check on files far larger than
// the editor opens: its throughput against glibc's iconv decoding the same
// file, and its peak memory measured in a child process.

#include "document/docfile.h"
#include "platform/codepage.h"
#include "ruby/linecheck.h"
#include "ruby/rubyconvert.h"
#include "ruby/streamcheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <iconv.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace {

const zeq::SeparatorTriple kBackQuotes = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

// Text as Aozora Bunko files hold it: mostly plain text, a reading every
// few words, now and then an editorial note.
QByteArray aozoraBytes(qsizetype size)
{
    const QByteArray paragraph = zeq::encodeCp932(QStringLiteral(
        "　吾輩《わがはい》は猫である。名前はまだ無い。どこで生れたかとんと見当《けんとう》がつかぬ。"
        "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。"
        "｜此書生《このしょせい》というのは時々我々を捕《つかま》えて煮《に》て食うという話である。"
        "［＃「煮て食う」に傍点］ABCやｶﾀｶﾅも混じる。\r\n")).bytes;
    QByteArray bytes;
    bytes.reserve(size + paragraph.size());
    while (bytes.size() < size)
        bytes += paragraph;
    return bytes;
}

void BM_ImportAozora10MB(benchmark::State &state)
{
    const QByteArray bytes = aozoraBytes(10 * 1000 * 1000);
    const QString text = zeq::decodeCp932(bytes).text;
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::importAozora(text, kBackQuotes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ImportAozora10MB)->Unit(benchmark::kMillisecond);

void BM_ExportAozora10MB(benchmark::State &state)
{
    const QByteArray bytes = aozoraBytes(10 * 1000 * 1000);
    const QString ruby = zeq::importAozora(zeq::decodeCp932(bytes).text, kBackQuotes).text;
    for (auto _ : state)
        benchmark::DoNotOptimize(zeq::exportAozora(ruby, kBackQuotes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ExportAozora10MB)->Unit(benchmark::kMillisecond);

// A 100 MB ruby text file, made once; one line in fifty is faulty.
const QString &largeRubyFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("large.txt"));
        const QByteArray good = zeq::encodeCp932(QStringLiteral(
            "`漢字`かんじ`の`練習`れんしゅう`です。ｶﾀｶﾅもabcも`書`か`きます。\r\n")).bytes;
        const QByteArray bad = zeq::encodeCp932(QStringLiteral("`漢字`かんじ`の練習です。\r\n")).bytes;
        QByteArray block;
        for (int i = 0; i < 50; ++i)
            block += i == 0 ? bad : good;
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return QString();
        for (qint64 written = 0; written < 100 * 1000 * 1000; written += block.size())
            out.write(block);
        return file;
    }();
    return path;
}

qint64 fileSize(const QString &path) { return QFile(path).size(); }

void BM_CheckStreamed100MB(benchmark::State &state)
{
    const QString &path = largeRubyFile();
    for (auto _ : state) {
        const zeq::StreamedCheck checked = zeq::checkFileStreaming(path, kBackQuotes, {});
        benchmark::DoNotOptimize(checked.malformedLines);
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}
BENCHMARK(BM_CheckStreamed100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// What --check did before: the whole file read, decoded and split, every
// line checked with its kept text built.
void checkWholeFile(const QString &path)
{
    const zeq::DocumentRead document = zeq::readDocumentFile(path);
    const QStringView text(document.text);
    qint64 faulty = 0;
    for (const zeq::LineSpan &span : zeq::splitDocumentLines(text))
        faulty += zeq::checkLine(text.sliced(span.start, span.length), true, kBackQuotes).ok ? 0 : 1;
    benchmark::DoNotOptimize(faulty);
}

void BM_CheckWholeFile100MB(benchmark::State &state)
{
    const QString &path = largeRubyFile();
    for (auto _ : state)
        checkWholeFile(path);
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}
BENCHMARK(BM_CheckWholeFile100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// glibc's iconv decoding the same file to UTF-16 in the same pieces: the
// speed the checker is measured against.
void BM_IconvDecode100MB(benchmark::State &state)
{
    const QString &path = largeRubyFile();
    std::vector<char> in(256 * 1024);
    std::vector<char> out(2 * in.size() + 16);
    for (auto _ : state) {
        iconv_t converter = iconv_open("UTF-16LE", "CP932");
        if (converter == iconv_t(-1)) {
            state.SkipWithError("glibc has no CP932 converter");
            return;
        }
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        std::size_t held = 0;
        std::size_t produced = 0;
        while (true) {
            const qint64 read = file.read(in.data() + held, qint64(in.size() - held));
            if (read <= 0)
                break;
            char *source = in.data();
            std::size_t left = held + std::size_t(read);
            char *target = out.data();
            std::size_t room = out.size();
            iconv(converter, &source, &left, &target, &room);
            produced += out.size() - room;
            // A lead byte at the end of a piece waits for the next one.
            std::copy(source, source + left, in.data());
            held = left;
        }
        iconv_close(converter);
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}
BENCHMARK(BM_IconvDecode100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Peak resident memory of a child that runs work, in MiB. The child starts
// as a copy of this process, so an idle child's figure is the baseline.
double childPeakMiB(const std::function<void()> &work)
{
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return -1;
    return usage.ru_maxrss / 1024.0;
}

void BM_CheckPeakMemory100MB(benchmark::State &state)
{
    const QString &path = largeRubyFile();
    const bool streamed = state.range(0) == 1;
    double baseline = 0;
    double peak = 0;
    for (auto _ : state) {
        baseline = childPeakMiB([] {});
        peak = childPeakMiB([&] {
            if (streamed)
                zeq::checkFileStreaming(path, kBackQuotes, {});
            else
                checkWholeFile(path);
        });
    }
    state.counters["idle_child_MiB"] = baseline;
    state.counters["peak_MiB"] = peak;
    state.counters["added_MiB"] = peak - baseline;
    state.counters["added_bytes_per_input_byte"] = (peak - baseline) * 1024 * 1024 / double(fileSize(path));
}
BENCHMARK(BM_CheckPeakMemory100MB)->Arg(1)->Arg(0)->ArgName("streamed")->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
