#include "platform/codepage.h"
#include "ruby/linecheck.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeq {
namespace {

const QString kCount = QStringLiteral("!!漢字セパレータの数に過不足があります。");
const QString kPosition = QStringLiteral("!!漢字セパレータの位置に間違いがあります。");
const QString kNotUniform = QStringLiteral(" ");
const QChar kEsc(char16_t(27));

const QString bq = QStringLiteral("`");
const SeparatorTriple kBackQuotes{bq, bq, bq};

// The worked example: 間違いのある行です。 with its two groups annotated.
const QString kExample = QStringLiteral("`間違`まちが`いのある`行`ぎょう`です。");

struct LineCase {
    const char *why;
    QString line;
    bool keepKanji;
    SeparatorTriple triple;
    bool ok;
    QString expected;  // resolved text when ok, the message otherwise
};

void PrintTo(const LineCase &c, std::ostream *os) { *os << c.why; }

class LineCheckRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineCheckRules, GiveTheResolvedLineOrTheRawLineWithItsMessage)
{
    const LineCase &c = GetParam();
    const CheckedLine checked = checkLine(c.line, c.keepKanji, c.triple);
    EXPECT_EQ(checked.ok, c.ok) << c.why;
    if (c.ok) {
        EXPECT_EQ(checked.text, c.expected) << c.why;
        EXPECT_EQ(checked.rawLength, -1) << c.why;
        EXPECT_EQ(checked.message(), QString()) << c.why;
    } else {
        EXPECT_EQ(checked.text, c.line + kEsc + c.expected) << c.why;
        EXPECT_EQ(checked.rawPart(), c.line) << c.why;
        EXPECT_EQ(checked.message(), c.expected) << c.why;
    }

    // The form the display image uses agrees and overwrites what it is given.
    QString result = QStringLiteral("left over");
    EXPECT_EQ(checkLine(c.line, c.keepKanji, result, c.triple), c.ok) << c.why;
    EXPECT_EQ(result, checked.text) << c.why;
}

const SeparatorTriple kHashes{QStringLiteral("#"), QStringLiteral("#"), QStringLiteral("#")};
const SeparatorTriple kEmptyFirst{QString(), bq, bq};
const SeparatorTriple kAllEmpty{QString(), QString(), QString()};
const SeparatorTriple kMixed{bq, bq, QStringLiteral("'")};

INSTANTIATE_TEST_SUITE_P(
    LineCheckLines, LineCheckRules,
    ::testing::Values(
        LineCase{"worked example keeps the kanji", kExample, true, kBackQuotes, true,
                 QStringLiteral("間違いのある行です。")},
        LineCase{"worked example keeps the readings", kExample, false, kBackQuotes, true,
                 QStringLiteral("まちがいのあるぎょうです。")},
        LineCase{"worked example without the separator between 行 and ぎょう",
                 QStringLiteral("`間違`まちが`いのある`行ぎょう`です。"), true, kBackQuotes, false, kCount},
        LineCase{"empty line", QString(), true, kBackQuotes, true, QString()},
        LineCase{"hiragana and ASCII only resolve to themselves", QStringLiteral("ひらがな and ASCII 123."), true,
                 kBackQuotes, true, QStringLiteral("ひらがな and ASCII 123.")},
        LineCase{"kanji without any separator", QStringLiteral("これは漢字です"), true, kBackQuotes, false,
                 kPosition},
        LineCase{"one separator, no kanji", QStringLiteral("`かな"), true, kBackQuotes, false, kCount},
        LineCase{"two separators end in the reading part", QStringLiteral("`かな`よみ"), true, kBackQuotes, false,
                 kCount},
        LineCase{"four separators", QStringLiteral("`漢`かん``"), true, kBackQuotes, false, kCount},
        LineCase{"count outranks position: leading kanji and a missing separator",
                 QStringLiteral("漢字`かんじ`の`練習`れんしゅう"), true, kBackQuotes, false, kCount},
        LineCase{"count outranks position with keepKanji false", QStringLiteral("漢`かん"), false, kBackQuotes, false,
                 kCount},
        LineCase{"kana inside the kanji part are accepted", QStringLiteral("`お茶`おちゃ`を"), true, kBackQuotes,
                 true, QStringLiteral("お茶を")},
        LineCase{"kana inside the kanji part, readings kept", QStringLiteral("`お茶`おちゃ`を"), false, kBackQuotes,
                 true, QStringLiteral("おちゃを")},
        LineCase{"empty reading is accepted", QStringLiteral("`漢字``です"), true, kBackQuotes, true,
                 QStringLiteral("漢字です")},
        LineCase{"empty reading, readings kept", QStringLiteral("`漢字``です"), false, kBackQuotes, true,
                 QStringLiteral("です")},
        LineCase{"kanji inside the reading", QStringLiteral("`漢字`かん字`"), true, kBackQuotes, false, kPosition},
        LineCase{"kanji after the closing separator", QStringLiteral("`漢`かん`字"), true, kBackQuotes, false,
                 kPosition},
        LineCase{"kanji first, then a good group: the flag stays set",
                 QStringLiteral("字`漢`かん`"), true, kBackQuotes, false, kPosition},
        LineCase{"々 outside a group", QStringLiteral("人々"), true, kBackQuotes, false, kPosition},
        LineCase{"々 alone outside a group", QStringLiteral("々"), true, kBackQuotes, false, kPosition},
        LineCase{"〆 outside a group", QStringLiteral("お〆"), true, kBackQuotes, false, kPosition},
        LineCase{"ゝ outside a group counts as kanji", QStringLiteral("こゝろ"), true, kBackQuotes, false, kPosition},
        LineCase{"々 inside the kanji part", QStringLiteral("`人々`ひとびと`が"), true, kBackQuotes, true,
                 QStringLiteral("人々が")},
        LineCase{"〇 and ー are not kanji", QStringLiteral("〇ー"), true, kBackQuotes, true, QStringLiteral("〇ー")},
        LineCase{"an IBM extension kanji outside a group is not kanji", decodeCp932("\xFA\x5C").text, true,
                 kBackQuotes, true, decodeCp932("\xFA\x5C").text},
        LineCase{"other uniform separator", QStringLiteral("#漢字#かんじ#と`"), true, kHashes, true,
                 QStringLiteral("漢字と`")},
        LineCase{"back-quote is plain text under another separator", QStringLiteral("`漢字`かんじ`"), true, kHashes,
                 false, kPosition},
        LineCase{"opening separator empty", QStringLiteral("漢字`かんじ`"), true, kEmptyFirst, false, kNotUniform},
        LineCase{"all separators empty", QStringLiteral("かな"), true, kAllEmpty, false, kNotUniform},
        LineCase{"closing separator differs", QStringLiteral("`漢`かん'"), true, kMixed, false, kNotUniform},
        LineCase{"non-uniform outranks count", QStringLiteral("`かな"), true, kEmptyFirst, false, kNotUniform},
        LineCase{"empty line, non-uniform triple", QString(), true, kAllEmpty, false, kNotUniform},
        LineCase{"escape character in a well-formed line", QStringLiteral("a") + kEsc + QStringLiteral("b"), true,
                 kBackQuotes, true, QStringLiteral("a") + kEsc + QStringLiteral("b")},
        LineCase{"escape character in a malformed line", QStringLiteral("x") + kEsc + QStringLiteral("漢"), true,
                 kBackQuotes, false, kPosition},
        LineCase{"escape character in a group", QStringLiteral("`漢`か") + kEsc + QStringLiteral("ん"), false,
                 kBackQuotes, false, kCount},
        LineCase{"a character outside the BMP stays whole",
                 QStringLiteral("`𠮟`しか`る"), true, kBackQuotes, true, QStringLiteral("𠮟る")},
        LineCase{"a character outside the BMP is dropped whole", QStringLiteral("`𠮟`しか`る"), false, kBackQuotes,
                 true, QStringLiteral("しかる")}));

TEST(LineCheckResult, RawPartIsSplitWhereTheCheckerPutItsMarker)
{
    // Splitting at the first escape character would cut this raw line short
    // and show part of it as the message.
    const QString line = QStringLiteral("`漢") + kEsc + QStringLiteral("字");
    const CheckedLine checked = checkLine(line, true, kBackQuotes);
    ASSERT_FALSE(checked.ok);
    EXPECT_EQ(checked.rawLength, line.size());
    EXPECT_EQ(checked.text.indexOf(kEsc), 2);  // the line's own, not the marker
    EXPECT_EQ(checked.rawPart(), line);
    EXPECT_EQ(checked.message(), kCount);
}

QString describe(const QList<LineSpan> &spans)
{
    QStringList parts;
    for (const LineSpan &span : spans)
        parts.append(QStringLiteral("%1+%2+%3").arg(span.start).arg(span.length).arg(span.endLength));
    return parts.join(QLatin1Char(' '));
}

TEST(LineCheckDocument, SplitsAtCrLfAndLoneLf)
{
    struct Case {
        QString document;
        QString spans;
    };
    const std::vector<Case> cases = {
        {QString(), QString()},
        {QStringLiteral("a"), QStringLiteral("0+1+0")},
        {QStringLiteral("a\r\n"), QStringLiteral("0+1+2")},
        {QStringLiteral("a\r\nbc"), QStringLiteral("0+1+2 3+2+0")},
        {QStringLiteral("\r\n\r\n"), QStringLiteral("0+0+2 2+0+2")},
        {QStringLiteral("a\nb\r\n"), QStringLiteral("0+1+1 2+1+2")},
        {QStringLiteral("\n"), QStringLiteral("0+0+1")},
        {QStringLiteral("a\rb"), QStringLiteral("0+3+0")},
        {QStringLiteral("a\r\r\n"), QStringLiteral("0+2+2")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(describe(splitDocumentLines(c.document)), c.spans) << c.document.toStdString();
}

TEST(LineCheckDocument, ResolvesEachLineAndKeepsLineEnds)
{
    const QString document = QStringLiteral("`漢字`かんじ`の\r\n"
                                            "漢字\r\n"              // position error: stays raw
                                            "`壊`こわ\r\n"          // count error: stays raw
                                            "`練習`れんしゅう`です\n"  // lone LF ends a line too
                                            "\r\n"
                                            "a\rb\r\n"
                                            "`最後`さいご`");
    EXPECT_EQ(resolveText(document, true, kBackQuotes), QStringLiteral("漢字の\r\n"
                                                                       "漢字\r\n"
                                                                       "`壊`こわ\r\n"
                                                                       "練習です\n"
                                                                       "\r\n"
                                                                       "a\rb\r\n"
                                                                       "最後"));
    EXPECT_EQ(resolveText(document, false, kBackQuotes), QStringLiteral("かんじの\r\n"
                                                                        "漢字\r\n"
                                                                        "`壊`こわ\r\n"
                                                                        "れんしゅうです\n"
                                                                        "\r\n"
                                                                        "a\rb\r\n"
                                                                        "さいご"));
}

TEST(LineCheckDocument, GroupsDoNotRunAcrossLines)
{
    EXPECT_EQ(resolveText(QStringLiteral("`漢\r\n字`かん`"), true, kBackQuotes),
              QStringLiteral("`漢\r\n字`かん`"));
}

TEST(LineCheckDocument, NonUniformTripleLeavesTheDocumentAsItIs)
{
    const QString document = QStringLiteral("`漢字`かんじ`の\r\nかな\r\n");
    EXPECT_EQ(resolveText(document, true, kEmptyFirst), document);
    EXPECT_EQ(resolveText(QString(), true, kBackQuotes), QString());
}

} // namespace
} // namespace zeq
