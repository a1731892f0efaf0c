#include "app/session.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "search/findtext.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

struct FoldCase {
    const char *name;
    QString text;
    QString folded;
};

class CaseFolding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(CaseFolding, UpperCasesWithoutMovingPositions)
{
    const FoldCase &c = GetParam();
    const QString folded = foldCase(c.text);
    EXPECT_EQ(folded, c.folded);
    EXPECT_EQ(folded.size(), c.text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaseFolding,
    ::testing::Values(
        FoldCase{"AsciiLetters", QStringLiteral("Zeq text 1.02"), QStringLiteral("ZEQ TEXT 1.02")},
        FoldCase{"FullWidthLatin", QStringLiteral("ｚｅｑ Ｅｄｉｔ"), QStringLiteral("ＺＥＱ ＥＤＩＴ")},
        FoldCase{"KanaKanjiAndSeparatorsStay", QStringLiteral("`漢字`かんじ`ｶﾅ"), QStringLiteral("`漢字`かんじ`ｶﾅ")},
        FoldCase{"GreekAndCyrillic", QStringLiteral("αβ жз"), QStringLiteral("ΑΒ ЖЗ")},
        // Full upper-casing would make SS of it and shift every later match.
        FoldCase{"SharpSKeepsItsLength", QStringLiteral("straße a"), QStringLiteral("STRAßE A")},
        FoldCase{"SupplementaryLetters", QStringLiteral("\U00010428x"), QStringLiteral("\U00010400X")},
        FoldCase{"LoneSurrogateKept", QString(QChar(0xD800)) + u'a', QString(QChar(0xD800)) + u'A'}),
    [](const auto &info) { return std::string(info.param.name); });

struct MatchCase {
    const char *name;
    QString text;
    QString needle;
    qint32 start;
    bool downwards;
    qint32 expected;
};

class MatchPositions : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchPositions, FindsTheNearestCandidateInTheDirection)
{
    const MatchCase &c = GetParam();
    EXPECT_EQ(findMatch(c.text, c.needle, c.start, c.downwards), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, MatchPositions,
    ::testing::Values(
        MatchCase{"DownMatchAtStart", QStringLiteral("abcabc"), QStringLiteral("abc"), 0, true, 0},
        MatchCase{"DownSkipsEarlierOnes", QStringLiteral("abcabc"), QStringLiteral("abc"), 1, true, 3},
        MatchCase{"DownNothingLeft", QStringLiteral("abcabc"), QStringLiteral("abc"), 4, true, -1},
        MatchCase{"DownFromTheEnd", QStringLiteral("abc"), QStringLiteral("c"), 3, true, -1},
        MatchCase{"DownPastTheEnd", QStringLiteral("abc"), QStringLiteral("c"), 4, true, -1},
        MatchCase{"DownIsBinary", QStringLiteral("Abc"), QStringLiteral("abc"), 0, true, -1},
        MatchCase{"UpPassesTheCharacterBeforeStart", QStringLiteral("a-a-a"), QStringLiteral("a"), 5, false, 2},
        MatchCase{"UpFirstCandidateIsTwoBack", QStringLiteral("a-a-a"), QStringLiteral("a"), 4, false, 2},
        MatchCase{"UpMayOverlapTheStart", QStringLiteral("xxabcd"), QStringLiteral("abcd"), 4, false, 2},
        MatchCase{"UpReachesPositionZero", QStringLiteral("ab"), QStringLiteral("a"), 2, false, 0},
        MatchCase{"UpFromOneFindsNothing", QStringLiteral("ab"), QStringLiteral("a"), 1, false, -1},
        MatchCase{"UpFromZeroFindsNothing", QStringLiteral("ab"), QStringLiteral("a"), 0, false, -1},
        MatchCase{"UpPastTheEndFindsTheLast", QStringLiteral("ab"), QStringLiteral("b"), 9, false, 1},
        MatchCase{"UpMatchMustFit", QStringLiteral("abab"), QStringLiteral("ab"), 5, false, 2},
        MatchCase{"DownNeverStartsInsideALineEnd", QStringLiteral("a\r\nb\n"), QStringLiteral("\n"), 0, true, 4},
        MatchCase{"DownNeverEndsInsideALineEnd", QStringLiteral("a\r\na\r"), QStringLiteral("a\r"), 0, true, 3},
        MatchCase{"UpNeverStartsInsideALineEnd", QStringLiteral("\nb\r\nb"), QStringLiteral("\nb"), 9, false, 0},
        MatchCase{"DownNeverCutsASurrogatePair", QStringLiteral("\U0001F600") + QChar(0xDE00), QString(QChar(0xDE00)), 0, true, 2},
        MatchCase{"UpNeverCutsASurrogatePair", QString(QChar(0xD83D)) + QStringLiteral("x\U0001F600"), QString(QChar(0xD83D)), 9, false, 0},
        MatchCase{"EmptyNeedleDown", QStringLiteral("abc"), QString(), 0, true, -1},
        MatchCase{"EmptyNeedleUp", QStringLiteral("abc"), QString(), 3, false, -1}),
    [](const auto &info) { return std::string(info.param.name); });

// A text box and the search state as the find dialog drives them.
class FindTextTest : public ::testing::Test {
protected:
    void search(const QString &text, bool down = true, bool matchCase = false)
    {
        find.gFindText = text;
        find.gFindDirection = down ? 1 : 0;
        find.gFindCase = matchCase;
        find.gNewSearch = true;
    }
    bool next() { return findText(find, note, &modal); }
    void expectSelection(int start, int length)
    {
        EXPECT_EQ(note.SelStart(), start);
        EXPECT_EQ(note.SelLength(), length);
    }

    TextBuffer note;
    FindState find;
    ScriptedModal modal;
};

TEST_F(FindTextTest, StartsWithNoStringSearchingDownwards)
{
    EXPECT_EQ(find.gFindText, QString());
    EXPECT_FALSE(find.gFindCase);
    EXPECT_EQ(find.gFindDirection, 1);
    EXPECT_FALSE(find.gNewSearch);
    EXPECT_EQ(find.gLastFindPos, 0);
}

TEST_F(FindTextTest, DownwardSearchWalksFromMatchToMatch)
{
    note.setText(QStringLiteral("漢字 漢字\r\n漢字"));
    search(QStringLiteral("漢字"));

    ASSERT_TRUE(next()); // a fresh search takes the match at the caret
    expectSelection(0, 2);
    EXPECT_EQ(find.gLastFindPos, 0);
    EXPECT_FALSE(find.gNewSearch);
    ASSERT_TRUE(next());
    expectSelection(3, 2);
    ASSERT_TRUE(next());
    expectSelection(7, 2);

    EXPECT_FALSE(next());
    expectSelection(7, 2); // the last match stays selected
    EXPECT_EQ(find.gLastFindPos, 7);
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("文字列 \"漢字\" が見つかりません。"));
    EXPECT_EQ(modal.calls[0].style, int(MsgOkOnly));
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
}

TEST_F(FindTextTest, EditedStringSearchesFromTheCaretAgain)
{
    note.setText(QStringLiteral("abcabc"));
    search(QStringLiteral("abc"));
    ASSERT_TRUE(next());
    expectSelection(0, 3);
    // Typing in the search box makes the next search a fresh one, so a
    // match starting at the caret counts.
    find.gFindText = QStringLiteral("ab");
    find.gNewSearch = true;
    ASSERT_TRUE(next());
    expectSelection(0, 2);
}

TEST_F(FindTextTest, MovedCaretIsNotSkipped)
{
    note.setText(QStringLiteral("abcabc"));
    search(QStringLiteral("abc"));
    ASSERT_TRUE(next());
    note.setSelStart(3);
    ASSERT_TRUE(next());
    expectSelection(3, 3);
}

TEST_F(FindTextTest, UpwardSearchSkipsTheMatchRightBeforeTheCaretOnAFreshSearch)
{
    note.setText(QStringLiteral("a-a-a"));
    note.setSelStart(5); // right after the last a
    search(QStringLiteral("a"), false);
    ASSERT_TRUE(next());
    expectSelection(2, 1);
    ASSERT_TRUE(next());
    expectSelection(0, 1);
    EXPECT_FALSE(next());
    expectSelection(0, 1);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("文字列 \"a\" が見つかりません。")});
}

TEST_F(FindTextTest, UpwardSearchAtTheStartFindsNothing)
{
    note.setText(QStringLiteral("abc"));
    search(QStringLiteral("b"), false);
    EXPECT_FALSE(next());
    expectSelection(0, 0);
    EXPECT_EQ(modal.messages().size(), 1);
}

TEST_F(FindTextTest, IgnoringCaseFoldsBothSidesAndQuotesTheStringAsTyped)
{
    note.setText(QStringLiteral("hello World ｚｅｑ"));
    search(QStringLiteral("WORLD"));
    ASSERT_TRUE(next());
    expectSelection(6, 5);

    search(QStringLiteral("ＺＥＱ"));
    ASSERT_TRUE(next());
    expectSelection(12, 3);

    // Width is not folded: half-width letters do not find full-width ones.
    search(QStringLiteral("ZEQ"));
    EXPECT_FALSE(next());

    search(QStringLiteral("WORLD"), true, true);
    EXPECT_FALSE(next());
    EXPECT_EQ(modal.messages(), (QStringList{QStringLiteral("文字列 \"ZEQ\" が見つかりません。"),
                                             QStringLiteral("文字列 \"WORLD\" が見つかりません。")}));
}

TEST_F(FindTextTest, MatchingCaseComparesExactly)
{
    note.setText(QStringLiteral("World world"));
    search(QStringLiteral("world"), true, true);
    ASSERT_TRUE(next());
    expectSelection(6, 5);
}

TEST_F(FindTextTest, SilentSearchShowsNoMessageButStillRemembersTheCaret)
{
    note.setText(QStringLiteral("abc"));
    note.setSelStart(2);
    search(QStringLiteral("x"));
    EXPECT_FALSE(findText(find, note, nullptr));
    EXPECT_TRUE(modal.calls.isEmpty());
    EXPECT_EQ(find.gLastFindPos, 2);
    EXPECT_FALSE(find.gNewSearch);
}

TEST_F(FindTextTest, ALineFeedAloneIsNotFoundInsideALineEnd)
{
    // Every line end is a CR LF pair: its LF is no match of its own, and
    // finding it must not select the same line end again and again.
    note.setText(QStringLiteral("a\r\nb\r\nc"));
    search(QStringLiteral("\nb"));
    EXPECT_FALSE(next());
    search(QStringLiteral("\r\nb"));
    ASSERT_TRUE(next());
    expectSelection(1, 3);
}

TEST_F(FindTextTest, MatchesBeyondPosition32767AreFoundAndSelected)
{
    const QString filler(40000, u'あ');
    note.setText(filler + QStringLiteral("`漢字`") + filler);
    search(QStringLiteral("`漢字`"));
    ASSERT_TRUE(next());
    expectSelection(40000, 4);
    EXPECT_EQ(find.gLastFindPos, 40000);

    // And back up to it from further on.
    note.setSelStart(79000);
    search(QStringLiteral("漢字"), false);
    ASSERT_TRUE(next());
    expectSelection(40001, 2);
    EXPECT_EQ(note.SelText(), QStringLiteral("漢字"));
}

} // namespace
} // namespace zeq
