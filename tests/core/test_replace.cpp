#include "search/replace.h"

#include "document/document.h"
#include "platform/modal.h"
#include "search/findtext.h"
#include "support/scriptedmodal.h"
#include "support/textbuffer.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

TEST(ReplaceMatches, FollowsTheMatchingRulesOfFind)
{
    struct Case {
        const char *name;
        QString text, needle, replacement;
        bool matchCase;
        QString expected;
        int count;
    };
    const Case cases[] = {
        {"every match, left to right", u"`字`じ`と`字`じ`"_qs, u"字"_qs, u"字"_qs, true, u"`字`じ`と`字`じ`"_qs, 2},
        {"matches do not overlap", u"ああああ"_qs, u"ああ"_qs, u"い"_qs, true, u"いい"_qs, 2},
        {"case folded, full-width too", u"Abc ａＢｃ abc"_qs, u"ABC"_qs, u"x"_qs, false, u"x ａＢｃ x"_qs, 2},
        {"case kept when asked", u"Abc abc"_qs, u"abc"_qs, u"x"_qs, true, u"Abc x"_qs, 1},
        {"replacement holding the needle", u"a-a"_qs, u"a"_qs, u"aa"_qs, true, u"aa-aa"_qs, 2},
        {"line ends are text", u"一\r\n二"_qs, u"\r\n"_qs, u""_qs, true, u"一二"_qs, 1},
        {"an LF after a CR is half a line end", u"一\r\n二"_qs, u"\n二"_qs, u"x"_qs, true, u"一\r\n二"_qs, 0},
        {"a CR before its LF likewise", u"一\r\n二"_qs, u"一\r"_qs, u"x"_qs, true, u"一\r\n二"_qs, 0},
        {"half a surrogate pair", u"a\U0001F600b"_qs, QString(QChar(0xDE00)), u"x"_qs, true, u"a\U0001F600b"_qs, 0},
        {"a whole surrogate pair", u"a\U0001F600b"_qs, u"\U0001F600"_qs, u"x"_qs, false, u"axb"_qs, 1},
        {"empty needle matches nothing", u"abc"_qs, QString(), u"x"_qs, true, u"abc"_qs, 0},
        {"no match", u"abc"_qs, u"d"_qs, u"x"_qs, true, u"abc"_qs, 0},
    };
    for (const Case &c : cases) {
        const Replaced r = replaceMatches(c.text, c.needle, c.replacement, c.matchCase);
        EXPECT_EQ(r.count, c.count) << c.name;
        EXPECT_EQ(r.text, c.expected) << c.name;
    }
}

// The replace dialog's buttons as the user presses them, on an in-memory
// edit area with its history.
class ReplaceSteps : public ::testing::Test {
protected:
    ReplaceSteps() : document(note) {}

    void open(const QString &text, const QString &needle, bool matchCase)
    {
        document.load(text, QString());
        find.gFindText = needle;
        find.gFindCase = matchCase;
        find.gNewSearch = true;
    }
    ReplaceStep press(const QString &replacement) { return replaceNext(find, replacement, note, &modal); }
    void expectSelection(int start, int length)
    {
        EXPECT_EQ(note.SelStart(), start);
        EXPECT_EQ(note.SelLength(), length);
    }

    TextBuffer note;
    Document document;
    FindState find;
    ScriptedModal modal;
};

TEST_F(ReplaceSteps, IgnoringCaseReplacesEachMatchInTurnAsItsOwnChange)
{
    open(u"Abc abc\r\nABC"_qs, u"abc"_qs, false);
    // Nothing selected yet: the first press only finds.
    ReplaceStep step = press(u"x"_qs);
    EXPECT_FALSE(step.replaced);
    EXPECT_TRUE(step.found);
    expectSelection(0, 3);

    step = press(u"x"_qs);
    EXPECT_TRUE(step.replaced);
    EXPECT_EQ(note.Text(), u"x abc\r\nABC"_qs);
    expectSelection(2, 3);
    press(u"x"_qs);
    expectSelection(5, 3);

    step = press(u"x"_qs);
    EXPECT_TRUE(step.replaced);
    EXPECT_FALSE(step.found);
    EXPECT_EQ(note.Text(), u"x x\r\nx"_qs);
    expectSelection(6, 0); // after the last replacement
    EXPECT_EQ(modal.messages(), QStringList{notFoundMessage(u"abc"_qs)});
    EXPECT_EQ(document.history().count(), 3);

    document.undo();
    EXPECT_EQ(note.Text(), u"x x\r\nABC"_qs);
    expectSelection(5, 3);
}

TEST_F(ReplaceSteps, MatchingCaseLeavesOtherCasesAloneAndSearchesDownwardsWhateverFindsDirection)
{
    open(u"Abc abc ABC"_qs, u"abc"_qs, true);
    find.gFindDirection = 0;
    press(u"x"_qs);
    expectSelection(4, 3);
    // A selection that differs in case is no match: it stays, and the
    // search goes on past it.
    note.setSelStart(0);
    note.setSelLength(3);
    EXPECT_FALSE(press(u"x"_qs).replaced);
    expectSelection(4, 3);
    press(u"x"_qs);
    EXPECT_EQ(note.Text(), u"Abc x ABC"_qs);
    EXPECT_EQ(modal.messages(), QStringList{notFoundMessage(u"abc"_qs)});
    EXPECT_EQ(find.gFindDirection, 0);
}

TEST_F(ReplaceSteps, NothingIsSkippedAndNoReplacementIsSearchedAgain)
{
    struct Case {
        QString text, needle, replacement, expected;
    };
    const Case cases[] = {
        {u"aaa"_qs, u"a"_qs, u"b"_qs, u"bbb"_qs},      // a match right after a replacement
        {u"a-a"_qs, u"a"_qs, u"aa"_qs, u"aa-aa"_qs},   // a replacement holding the search string
        {u"aa"_qs, u"a"_qs, QString(), QString()},       // the caret stays where the match began
    };
    for (const Case &c : cases) {
        open(c.text, c.needle, true);
        modal.calls.clear();
        for (int presses = 0; modal.calls.isEmpty() && presses < 10; ++presses)
            press(c.replacement);
        EXPECT_EQ(note.Text(), c.expected);
        EXPECT_EQ(note.SelStart(), c.expected.size());
        EXPECT_EQ(modal.messages(), QStringList{notFoundMessage(c.needle)});
    }
}

TEST_F(ReplaceSteps, ReplaceAllWithoutAMatchSaysSoAndChangesNothing)
{
    open(u"abc"_qs, u"X"_qs, true);
    note.setSelStart(1);
    EXPECT_EQ(replaceAll(find, u"y"_qs, note, &modal), 0);
    EXPECT_EQ(note.Text(), u"abc"_qs);
    expectSelection(1, 0);
    EXPECT_EQ(document.history().count(), 0);
    EXPECT_EQ(modal.messages(), QStringList{notFoundMessage(u"X"_qs)});
}

} // namespace
} // namespace zeq
