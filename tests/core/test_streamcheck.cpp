#include "platform/codepage.h"
#include "ruby/checkcli.h"
#include "ruby/linecheck.h"
#include "ruby/streamcheck.h"
#include "support/qtprint.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zeq {
namespace {

TEST(Cp932StreamDecoder, DecodesLikeTheWholeDecoderWhereverThePiecesAreCut)
{
    // Double-byte characters, half-width kana, the corrected control codes,
    // an unassigned code, a byte that cannot start a character and a lead
    // byte left without its trail at the very end.
    const QByteArray bytes = encodeCp932(QStringLiteral("漢字ｶﾅ\x1A\x1C\x7F" "abc")).bytes
        + QByteArray("\x85\x40 \x80 \x81\x40\x88", 8);
    const Cp932Decoded whole = decodeCp932(bytes);
    ASSERT_FALSE(whole.ok);

    for (qsizetype piece = 1; piece <= bytes.size(); ++piece) {
        Cp932StreamDecoder decoder;
        std::vector<char16_t> units(bytes.size() + 1);
        QString text;
        for (qsizetype at = 0; at <= bytes.size(); at += piece) {
            const qsizetype size = std::min(piece, bytes.size() - at);
            const bool last = at + size == bytes.size();
            const qsizetype count = decoder.decode(bytes.constData() + at, size, last, units.data(), size + 1);
            text += QStringView(units.data(), count);
            if (last)
                break;
        }
        EXPECT_EQ(text, whole.text) << piece;
        EXPECT_EQ(decoder.firstInvalidByte(), whole.firstInvalidByte) << piece;
    }
}

TEST(LineFaultScanner, JudgesEveryLineAsTheCheckerDoesFedInAnyPieces)
{
    QRandomGenerator random(7);
    const QString alphabet = QStringLiteral("``````漢々かa\r、");
    for (const QString &separator : {QStringLiteral("`"), QStringLiteral("\r")}) {
        const SeparatorTriple triple = {separator, separator, separator};
        for (int round = 0; round < 200; ++round) {
            QString text;
            const int length = int(random.bounded(0, 60));
            for (int i = 0; i < length; ++i)
                text += random.bounded(8) == 0 ? QStringLiteral("\n") : QString(alphabet.at(random.bounded(int(alphabet.size())))) ;

            std::vector<std::pair<qint64, LineFault>> expected;
            const QList<LineSpan> lines = splitDocumentLines(text);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                const CheckedLine checked = checkLine(QStringView(text).sliced(lines[i].start, lines[i].length), true, triple);
                if (!checked.ok) {
                    expected.emplace_back(i + 1, checked.message() == lineFaultMessage(LineFault::SeparatorCount)
                                                     ? LineFault::SeparatorCount
                                                     : LineFault::KanjiPosition);
                }
            }

            std::vector<std::pair<qint64, LineFault>> found;
            LineFaultScanner scanner(triple, [&](qint64 line, LineFault fault) { found.emplace_back(line, fault); });
            const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype piece = std::min<qsizetype>(random.bounded(1, 8), text.size() - at);
                scanner.feed(units + at, piece);
                at += piece;
            }
            scanner.finish();
            EXPECT_EQ(found, expected) << text.toStdString();
        }
    }
}

class StreamedCheckCli : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    int run(const QStringList &arguments, QString &out, QString &err)
    {
        QByteArray outBytes;
        QBuffer outDevice(&outBytes);
        outDevice.open(QIODevice::WriteOnly);
        QTextStream outStream(&outDevice);
        QTextStream errStream(&err);
        const int status = runCheckCommand(arguments, outStream, errStream, m_dir.filePath(QStringLiteral("none.reg")));
        outStream.flush();
        out = QString::fromUtf8(outBytes);
        return status;
    }
    QTemporaryDir m_dir;
};

TEST_F(StreamedCheckCli, ReportsEveryLineOfAFileWithMoreFaultsThanItHolds)
{
    // Far more faulty lines than the reports kept back while reading, a
    // file larger than one piece, and a double-byte character across
    // every piece boundary somewhere.
    const QByteArray good = encodeCp932(QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。\r\n")).bytes;
    const QByteArray bad = encodeCp932(QStringLiteral("漢字\r\n")).bytes;
    QByteArray bytes;
    QString expected;
    const QString path = m_dir.filePath(QStringLiteral("big.txt"));
    for (int line = 1; line <= 40000; ++line) {
        if (line % 2 == 0) {
            bytes += bad;
            expected += path + QStringLiteral(":%1: ").arg(line) + lineFaultMessage(LineFault::KanjiPosition).mid(2)
                + QLatin1Char('\n');
        } else {
            bytes += good;
        }
    }
    write(QStringLiteral("big.txt"), bytes);
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--check"), path}, out, err), 1);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(err, QString());
}

TEST_F(StreamedCheckCli, ABadByteAfterFaultyLinesLeavesOnlyTheReadFailure)
{
    QByteArray bytes;
    for (int line = 0; line < 20000; ++line)
        bytes += encodeCp932(QStringLiteral("`漢字\r\n")).bytes;
    bytes += "\x80";
    const QString path = write(QStringLiteral("broken.txt"), bytes);
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--check"), path}, out, err), 2);
    EXPECT_EQ(out, QString());
    EXPECT_EQ(err, path + QStringLiteral(": not a Shift-JIS (CP932) text file\n"));
}

TEST_F(StreamedCheckCli, ConvertsBetweenNotationsAndSaysWhatItCouldNot)
{
    const QString aozora = write(QStringLiteral("a.txt"),
                                 encodeCp932(QStringLiteral("｜東京《とうきょう》へ［＃「へ」に傍点］\r\n字《じ\r\n")).bytes);
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--convert"), QStringLiteral("--from"), QStringLiteral("aozora"), aozora}, out, err), 1);
    EXPECT_EQ(out, QStringLiteral("`東京`とうきょう`へ\r\n字《じ\r\n"));
    EXPECT_TRUE(err.contains(aozora + QStringLiteral(":2:2: 《 without its 》")));
    EXPECT_TRUE(err.contains(aozora + QStringLiteral(": 1 note(s) ［＃…］ left out")));

    const QString ruby = write(QStringLiteral("r.txt"), encodeCp932(QStringLiteral("`字`じ`\r\n")).bytes);
    const QString page = m_dir.filePath(QStringLiteral("r.html"));
    err.clear();
    EXPECT_EQ(run({QStringLiteral("--convert"), QStringLiteral("--to=html"), QStringLiteral("-o"), page, ruby}, out, err), 0);
    QFile written(page);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(written.readAll()).contains(QStringLiteral("<ruby>字<rp>(</rp><rt>じ</rt>")));

    EXPECT_EQ(run({QStringLiteral("--convert"), ruby}, out, err), 2);
    EXPECT_EQ(run({QStringLiteral("--check"), QStringLiteral("--to"), QStringLiteral("html"), ruby}, out, err), 2);
}

TEST_F(StreamedCheckCli, WritesImportsAsDocumentsAndRefusesWhatTheyCannotHold)
{
    const QString html = write(QStringLiteral("p.html"), QStringLiteral("<ruby>漢字<rt>かんじ</rt></ruby>\n").toUtf8());
    const QString emoji = write(QStringLiteral("e.html"), QStringLiteral("<p>\U0001F600</p>").toUtf8());
    const QString document = m_dir.filePath(QStringLiteral("doc.txt"));
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--convert"), QStringLiteral("--from"), QStringLiteral("html"), QStringLiteral("-o"),
                   document, html},
                  out, err),
              0);
    QFile written(document);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), encodeCp932(QStringLiteral("`漢字`かんじ`\r\n")).bytes);

    EXPECT_EQ(run({QStringLiteral("--convert"), QStringLiteral("--from=html"), QStringLiteral("-o"),
                   m_dir.filePath(QStringLiteral("e.txt")), emoji},
                  out, err),
              2);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("e.txt"))));

    const QStringList wrong[] = {
        {QStringLiteral("--from"), QStringLiteral("html"), html},
        {QStringLiteral("--convert"), QStringLiteral("--from"), QStringLiteral("html"), QStringLiteral("--to"),
         QStringLiteral("aozora"), html},
        {QStringLiteral("--convert"), QStringLiteral("--from"), QStringLiteral("word"), html},
        {QStringLiteral("--convert"), QStringLiteral("--to"), QStringLiteral("html"), QStringLiteral("-o"), document,
         html, emoji},
        {QStringLiteral("--convert"), QStringLiteral("--to"), QStringLiteral("html"), QStringLiteral("--in-place"),
         html},
    };
    for (const QStringList &arguments : wrong) {
        out.clear();
        EXPECT_EQ(run(arguments, out, err), 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(out, QString()) << arguments.join(u' ').toStdString();
    }
}

} // namespace
} // namespace zeq
