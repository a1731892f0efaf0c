#include "ime/alignment.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

const SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

ClauseTable clauses(const QList<qint32> &ends)
{
    ClauseTable table;
    table.gClauseEnd = ends;
    table.gClauseCount = qint32(ends.size());
    return table;
}

struct AlignCase {
    const char *name;
    QString converted;
    QString reading;
    QList<qint32> ends;
    QString expected;      // S stands for the separator
    QString message;       // shown, or empty
};

void PrintTo(const AlignCase &c, std::ostream *os)
{
    *os << c.name;
}

class AlignReading : public ::testing::TestWithParam<AlignCase> {};

TEST_P(AlignReading, ProducesTheAnnotatedTextOrOneMessage)
{
    const AlignCase &c = GetParam();
    ScriptedModal modal;
    const QString out = alignReading(c.converted, c.reading, clauses(c.ends), kBackQuotes, modal);
    EXPECT_EQ(out, QString(c.expected).replace(u'S', u'`'));
    if (c.message.isEmpty()) {
        EXPECT_EQ(modal.messages(), QStringList());
    } else {
        EXPECT_EQ(modal.messages(), QStringList{c.message});
        EXPECT_EQ(modal.calls[0].style, MsgExclamation);
        EXPECT_EQ(modal.calls[0].title, QStringLiteral("Zqe"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, AlignReading,
    ::testing::Values(
        AlignCase{"twoWordsJoinedByNo", QStringLiteral("漢字の練習"), QStringLiteral("かんじのれんしゅう"), {0, 4, 9},
                  QStringLiteral("S漢字SかんじSのS練習SれんしゅうS"), {}},
        AlignCase{"trailingKanaAfterLastRun", QStringLiteral("私の名前は"), QStringLiteral("わたしのなまえは"), {0, 4, 8},
                  QStringLiteral("S私SわたしSのS名前SなまえSは"), {}},
        AlignCase{"singleSegmentWithKana", QStringLiteral("漢字の"), QStringLiteral("かんじの"), {0, 4},
                  QStringLiteral("S漢字SかんじSの"), {}},
        AlignCase{"leadingKanaJoinsFirstRun", QStringLiteral("お茶"), QStringLiteral("おちゃ"), {0, 3},
                  QStringLiteral("Sお茶SおちゃS"), {}},
        AlignCase{"hiraganaOnly", QStringLiteral("ひらがな"), QStringLiteral("ひらがな"), {0, 4}, QStringLiteral("ひらがな"), {}},
        AlignCase{"katakanaOnly", QStringLiteral("テスト"), QStringLiteral("てすと"), {0, 3}, QStringLiteral("テスト"), {}},
        AlignCase{"oneClauseForTwoSegments", QStringLiteral("美しい花"), QStringLiteral("うつくしいはな"), {0, 7}, QString(),
                  kClauseFailureMessage},
        AlignCase{"clausePerSegment", QStringLiteral("美しい花"), QStringLiteral("うつくしいはな"), {0, 5, 7},
                  QStringLiteral("S美SうつくSしいS花SはなS"), {}},
        // Kana between kanji cut the word; り is no clause end.
        AlignCase{"innerKanaWithoutClause", QStringLiteral("取り扱い"), QStringLiteral("とりあつかい"), {0, 6}, QString(),
                  kClauseFailureMessage},
        // The second の is searched for after the clause that matched the first.
        AlignCase{"repeatedKanaUseSuccessiveClauses", QStringLiteral("私の本の頁"), QStringLiteral("わたしのほんのぺーじ"),
                  {0, 4, 7, 10}, QStringLiteral("S私SわたしSのS本SほんSのS頁SぺーじS"), {}},
        // Katakana in the result, hiragana in the reading.
        AlignCase{"katakanaRunMatchesHiraganaClause", QStringLiteral("円グラフ表"), QStringLiteral("えんぐらふひょう"), {0, 5, 8},
                  QStringLiteral("S円SえんSグラフS表SひょうS"), {}},
        // A segment whose reading is no longer than its kana vanishes quietly.
        AlignCase{"segmentWithoutReadingVanishes", QStringLiteral("漢の字"), QStringLiteral("のじ"), {0, 1, 2},
                  QStringLiteral("S字SじS"), {}},
        AlignCase{"readingRunsOutBeforeTheText", QStringLiteral("漢字の練習"), QStringLiteral("かんじの"), {0, 4, 4},
                  QString(), kPatternFailureMessage},
        AlignCase{"emptyClauseTableFailsForTwoSegments", QStringLiteral("漢字の練習"), QStringLiteral("かんじのれんしゅう"), {},
                  QString(), kClauseFailureMessage},
        AlignCase{"emptyClauseTableIsEnoughForOneSegment", QStringLiteral("練習"), QStringLiteral("れんしゅう"), {},
                  QStringLiteral("S練習SれんしゅうS"), {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AlignReadingSeparators, EmptySeparatorsAreLeftOutAndOthersWrittenAsTheyAre)
{
    ScriptedModal modal;
    const ClauseTable table = clauses({0, 4, 9});
    EXPECT_EQ(alignReading(QStringLiteral("漢字の練習"), QStringLiteral("かんじのれんしゅう"), table,
                           {QString(), QStringLiteral("|"), QStringLiteral("]")}, modal),
              QStringLiteral("漢字|かんじ]の練習|れんしゅう]"));
    EXPECT_EQ(alignReading(QStringLiteral("漢字の練習"), QStringLiteral("かんじのれんしゅう"), table,
                           {QStringLiteral("["), QStringLiteral("|"), QStringLiteral("]")}, modal),
              QStringLiteral("[漢字|かんじ]の[練習|れんしゅう]"));
    EXPECT_EQ(modal.calls.size(), 0);
}

struct SegmentCase {
    const char *name;
    QString segment;
    QString reading;
    QString expected;
};

void PrintTo(const SegmentCase &c, std::ostream *os)
{
    *os << c.name;
}

class AnnotateSegment : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(AnnotateSegment, AnnotatesOnlyWhatHasKanji)
{
    EXPECT_EQ(annotateSegment(GetParam().segment, GetParam().reading, kBackQuotes),
              QString(GetParam().expected).replace(u'S', u'`'));
}

INSTANTIATE_TEST_SUITE_P(
    Segments, AnnotateSegment,
    ::testing::Values(SegmentCase{"kanjiWithTrailingKana", QStringLiteral("読む"), QStringLiteral("よむ"), QStringLiteral("S読SよSむ")},
                      SegmentCase{"trailingKanaNotCompared", QStringLiteral("読む"), QStringLiteral("よみ"), QStringLiteral("S読SよSむ")},
                      SegmentCase{"fullWidthLatinLeftAlone", QStringLiteral("ＡＢＣ"), QStringLiteral("ＡＢＣ"), QStringLiteral("ＡＢＣ")},
                      // Half-width katakana match neither the hiragana reading nor its
                      // narrow form, so the segment is dropped.
                      SegmentCase{"halfWidthKatakanaVanishes", QStringLiteral("ｶﾅ"), QStringLiteral("かな"), QString()},
                      SegmentCase{"narrowReadingOfWideLatinVanishes", QStringLiteral("Ａ１"), QStringLiteral("A1"), QString()},
                      SegmentCase{"wideKanaAndLatinWithMatchingReading", QStringLiteral("ガＡ"), QStringLiteral("がA"),
                                  QStringLiteral("ガＡ")},
                      SegmentCase{"kanaWithWrongReadingVanishes", QStringLiteral("かな"), QStringLiteral("まな"), QString()},
                      SegmentCase{"readingOnlyAsLongAsTheKana", QStringLiteral("字は"), QStringLiteral("は"), QString()},
                      SegmentCase{"iterationMarkCountsAsKanji", QStringLiteral("人々"), QStringLiteral("ひとびと"),
                                  QStringLiteral("S人々SひとびとS")}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace zeq
