#include "app/session.h"
#include "editing/commands.h"
#include "document/document.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "ruby/rubytext.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

class FakeClipboard : public Clipboard {
public:
    QString text() const override { return content; }
    void setText(const QString &text) override
    {
        content = text;
        ++writes;
    }
    QString content;
    int writes = 0;
};

const SeparatorTriple kBackQuotes{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};

// A text box wired to the change handler as the main window wires it, so
// every command's changes land in the history.
class EditCommands : public ::testing::Test {
protected:
    EditCommands() : document(note)
    {
        program.settings.gUserSparator = kBackQuotes;
    }

    // Loads a text without recording it, as opening a document does.
    void load(const QString &text, int selStart = 0, int selLength = 0)
    {
        document.load(text, QString());
        note.setSelStart(selStart);
        note.setSelLength(selLength);
    }
    int entries() const { return int(document.history().count()); }
    bool undo()
    {
        const bool could = document.canUndo();
        document.undo();
        return could;
    }

    Session program;
    TextBuffer note;
    Document document;
    FakeClipboard clipboard;
    ScriptedModal modal;
};

struct DeleteCase {
    const char *name;
    QString text;
    int selStart;
    int selLength;
    QString expected;
};

class DeleteCommand : public EditCommands, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteCommand, RemovesTheSelectionOrTheNextCharacterAsOneEntry)
{
    const DeleteCase &c = GetParam();
    load(c.text, c.selStart, c.selLength);
    deleteForward(note);
    EXPECT_EQ(note.Text(), c.expected);
    EXPECT_EQ(entries(), c.text == c.expected ? 0 : 1);
    EXPECT_EQ(note.SelStart(), c.selStart);
    if (entries() == 1) {
        ASSERT_TRUE(undo());
        EXPECT_EQ(note.Text(), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteCommand,
    ::testing::Values(
        DeleteCase{"CaretAtTheEndDoesNothing", QStringLiteral("漢字"), 2, 0, QStringLiteral("漢字")},
        DeleteCase{"EmptyTextDoesNothing", QString(), 0, 0, QString()},
        DeleteCase{"NextCharacter", QStringLiteral("漢字か"), 1, 0, QStringLiteral("漢か")},
        DeleteCase{"LineBreakGoesAsAPair", QStringLiteral("ab\r\ncd"), 2, 0, QStringLiteral("abcd")},
        DeleteCase{"SelectionReachingTheEnd", QStringLiteral("abcd"), 1, 3, QStringLiteral("a")},
        DeleteCase{"SelectionAcrossLines", QStringLiteral("ab\r\ncd"), 1, 4, QStringLiteral("ad")},
        DeleteCase{"CharacterOutsideTheBmpGoesWhole", QStringLiteral("a😀b"), 1, 0, QStringLiteral("ab")},
        DeleteCase{"LastCharacterOutsideTheBmp", QStringLiteral("a😀"), 1, 0, QStringLiteral("a")}),
    [](const auto &info) { return std::string(info.param.name); });

struct DeleteExCase {
    const char *name;
    SeparatorTriple separators;
    QString text;
    int caret;
    QString expected;
    int expectedCaret;
};

class ExtendedDelete : public EditCommands, public ::testing::WithParamInterface<DeleteExCase> {};

TEST_P(ExtendedDelete, RemovesTheGroupOrOneCharacterAsOneEntry)
{
    const DeleteExCase &c = GetParam();
    program.settings.gUserSparator = c.separators;
    load(c.text, c.caret);
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), c.expected);
    EXPECT_EQ(note.SelStart(), c.expectedCaret);
    EXPECT_EQ(note.SelLength(), 0);
    EXPECT_EQ(entries(), c.text == c.expected ? 0 : 1);
    if (entries() == 1) {
        ASSERT_TRUE(undo());
        EXPECT_EQ(note.Text(), c.text);
    }
}

const SeparatorTriple kBrackets{QStringLiteral("["), QStringLiteral("|"), QStringLiteral("]")};

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtendedDelete,
    ::testing::Values(
        DeleteExCase{"BackspaceTakesACharacterOutsideTheBmpWhole", kBackQuotes, QStringLiteral("a😀b"), 3,
                     QStringLiteral("ab"), 1},
        DeleteExCase{"AtTheStartNothing", kBackQuotes, QStringLiteral("`漢`かん`"), 0, QStringLiteral("`漢`かん`"), 0},
        DeleteExCase{"WholeGroupEightCharacters", kBackQuotes, QStringLiteral("の`漢字`かんじ`です"), 9,
                     QStringLiteral("のです"), 1},
        DeleteExCase{"OnlyTheGroupBeforeTheCaret", kBackQuotes, QStringLiteral("`亜`あ`の`漢字`かんじ`"), 14,
                     QStringLiteral("`亜`あ`の"), 6},
        DeleteExCase{"BackspaceAfterOtherCharacter", kBackQuotes, QStringLiteral("`漢`かん`です"), 8,
                     QStringLiteral("`漢`かん`で"), 7},
        DeleteExCase{"BackspaceTakesTheWholeLineBreak", kBackQuotes, QStringLiteral("ab\r\ncd"), 4,
                     QStringLiteral("abcd"), 2},
        DeleteExCase{"MissingOpeningTakesThePreviousGroupsCloser", kBackQuotes,
                     QStringLiteral("`亜`あ`漢字`かんじ`"), 12, QStringLiteral("`亜`あ"), 4},
        DeleteExCase{"MissingOpeningWithNoEarlierSeparatorKeepsTheKanji", kBackQuotes,
                     QStringLiteral("漢字`かんじ`"), 7, QStringLiteral("漢字"), 2},
        DeleteExCase{"LoneClosingSeparatorGoesAlone", kBackQuotes, QStringLiteral("かんじ`"), 4,
                     QStringLiteral("かんじ"), 3},
        DeleteExCase{"NonUniformGroup", kBrackets, QStringLiteral("a[漢|かん]b"), 7, QStringLiteral("ab"), 1},
        DeleteExCase{"NonUniformOtherCharacterIsBackspace", kBrackets, QStringLiteral("a[漢|かん]b"), 8,
                     QStringLiteral("a[漢|かん]"), 7},
        DeleteExCase{"NonUniformMissingMiddleRemovesFromTheOpening", kBrackets, QStringLiteral("x[漢かん]"), 6,
                     QStringLiteral("x"), 1},
        DeleteExCase{"EmptyOpeningSeparatorStopsAtTheMiddle",
                     SeparatorTriple{QString(), QStringLiteral("|"), QStringLiteral("]")},
                     QStringLiteral("漢|かん]"), 5, QStringLiteral("漢"), 1},
        DeleteExCase{"EmptyMiddleSeparatorLooksForTheOpening",
                     SeparatorTriple{QStringLiteral("["), QString(), QStringLiteral("]")},
                     QStringLiteral("a[漢かん]"), 6, QStringLiteral("a"), 1},
        DeleteExCase{"EmptyClosingSeparatorMakesTheMiddleCloseTheGroup",
                     SeparatorTriple{QStringLiteral("["), QStringLiteral("|"), QString()},
                     QStringLiteral("a[漢|かん"), 4, QStringLiteral("aかん"), 1},
        DeleteExCase{"SpaceSeparatorsDeleteOneSpace",
                     SeparatorTriple{QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")},
                     QStringLiteral("a b "), 4, QStringLiteral("a b"), 3},
        DeleteExCase{"EmptySeparatorsAlwaysBackspace", SeparatorTriple{}, QStringLiteral("`a`"), 3,
                     QStringLiteral("`a"), 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EditCommands, ExtendedDeleteIgnoresTheSelectionBeyondItsStart)
{
    load(QStringLiteral("の`漢字`かんじ`です"), 9, 2);
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), QStringLiteral("のです"));
}

TEST_F(EditCommands, ExtendedDeleteRestoresTheSearchStringAndDirection)
{
    load(QStringLiteral("の`漢字`かんじ`です"), 9);
    program.find.gFindText = QStringLiteral("です");
    program.find.gFindDirection = 1;
    program.find.gFindCase = true;
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), QStringLiteral("のです"));
    EXPECT_EQ(program.find.gFindText, QStringLiteral("です"));
    EXPECT_EQ(program.find.gFindDirection, 1);
    EXPECT_TRUE(program.find.gFindCase);
    // What its own searches left behind stays: the opening separator.
    EXPECT_EQ(program.find.gLastFindPos, 1);
    EXPECT_FALSE(program.find.gNewSearch);
}

TEST_F(EditCommands, ExtendedDeleteWithoutAMiddleSeparatorIgnoresWhereAnEarlierSearchStopped)
{
    // The caret stands where the last search stopped and that search is no
    // longer fresh: the group's own search must still start at the caret
    // rather than take the closing separator for the opening one.
    program.settings.gUserSparator = SeparatorTriple{QStringLiteral("`"), QString(), QStringLiteral("`")};
    load(QStringLiteral("x`漢かん`"), 6);
    program.find.gLastFindPos = 6;
    program.find.gNewSearch = false;
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), QStringLiteral("x"));
}

TEST_F(EditCommands, ExtendedDeleteTwiceRemovesTwoAdjacentGroups)
{
    load(QStringLiteral("`亜`あ``漢`かん`"), 12);
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), QStringLiteral("`亜`あ`"));
    deleteGroup(program.settings.gUserSparator, program.find, note);
    EXPECT_EQ(note.Text(), QString());
    EXPECT_EQ(entries(), 2);
}

TEST_F(EditCommands, SeparatorInsertionCyclesThroughTheTriple)
{
    program.settings.gUserSparator = kBrackets;
    QStringList texts;
    for (int i = 0; i < 4; ++i) {
        insertSeparator(program.settings.gUserSparator, program.nextSeparator, note);
        texts.append(note.Text());
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("["), QStringLiteral("[|"), QStringLiteral("[|]"),
                                  QStringLiteral("[|][")}));
    EXPECT_EQ(program.nextSeparator, 1);
    EXPECT_EQ(entries(), 4);
}

TEST_F(EditCommands, EmptySeparatorsInsertNothingButAdvanceTheCounter)
{
    program.settings.gUserSparator = SeparatorTriple{QString(), QStringLiteral("|"), QString()};
    load(QStringLiteral("漢"), 1);
    insertSeparator(program.settings.gUserSparator, program.nextSeparator, note);
    EXPECT_EQ(note.Text(), QStringLiteral("漢"));
    EXPECT_EQ(program.nextSeparator, 1);
    EXPECT_EQ(entries(), 0);
    insertSeparator(program.settings.gUserSparator, program.nextSeparator, note);
    EXPECT_EQ(note.Text(), QStringLiteral("漢|"));
    insertSeparator(program.settings.gUserSparator, program.nextSeparator, note);
    EXPECT_EQ(program.nextSeparator, 0);
    EXPECT_EQ(entries(), 1);
}

TEST_F(EditCommands, SeparatorReplacesTheSelection)
{
    load(QStringLiteral("abc"), 1, 1);
    program.nextSeparator = 2;
    insertSeparator(program.settings.gUserSparator, program.nextSeparator, note);
    EXPECT_EQ(note.Text(), QStringLiteral("a`c"));
    EXPECT_EQ(note.SelStart(), 2);
    EXPECT_EQ(program.nextSeparator, 0);
}

TEST_F(EditCommands, SelectAllSelectsEveryCharacterWithoutAChange)
{
    load(QStringLiteral("ab\r\ncd"), 3);
    selectAll(note);
    EXPECT_EQ(note.SelStart(), 0);
    EXPECT_EQ(note.SelText(), QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(entries(), 0);
}

TEST_F(EditCommands, CopyPutsTheSelectionOnTheClipboard)
{
    load(QStringLiteral("`漢`かん`\r\nです"), 0, 8);
    editCopy(note, clipboard);
    EXPECT_EQ(clipboard.content, QStringLiteral("`漢`かん`\r\n"));
    EXPECT_EQ(note.Text(), QStringLiteral("`漢`かん`\r\nです"));
    EXPECT_EQ(entries(), 0);
}

TEST_F(EditCommands, CopyAndCutWithNothingSelectedEmptyTheClipboard)
{
    load(QStringLiteral("abc"), 1);
    clipboard.content = QStringLiteral("old");
    editCopy(note, clipboard);
    EXPECT_EQ(clipboard.content, QString());
    clipboard.content = QStringLiteral("old");
    editCut(note, clipboard);
    EXPECT_EQ(clipboard.content, QString());
    EXPECT_EQ(clipboard.writes, 2);
    EXPECT_EQ(note.Text(), QStringLiteral("abc"));
    EXPECT_EQ(entries(), 0);
}

TEST_F(EditCommands, CutThenPasteIsARoundTripOfTwoEntries)
{
    load(QStringLiteral("の`漢字`かんじ`です"), 1, 8);
    editCut(note, clipboard);
    EXPECT_EQ(note.Text(), QStringLiteral("のです"));
    EXPECT_EQ(clipboard.content, QStringLiteral("`漢字`かんじ`"));
    note.setSelStart(3);
    ASSERT_TRUE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.Text(), QStringLiteral("のです`漢字`かんじ`"));
    EXPECT_EQ(note.SelStart(), 11);
    EXPECT_EQ(entries(), 2);
    ASSERT_TRUE(undo());
    EXPECT_EQ(note.Text(), QStringLiteral("のです"));
    ASSERT_TRUE(undo());
    EXPECT_EQ(note.Text(), QStringLiteral("の`漢字`かんじ`です"));
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditCommands, PasteReplacesTheSelectionAndTakesAnyLineEnds)
{
    load(QStringLiteral("abc"), 1, 1);
    clipboard.content = QStringLiteral("x\ny\rz");
    ASSERT_TRUE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.Text(), QStringLiteral("ax\r\ny\r\nzc"));
    EXPECT_EQ(entries(), 1);
}

TEST_F(EditCommands, PasteOfAnEmptyClipboardRemovesTheSelection)
{
    load(QStringLiteral("abc"), 1, 1);
    ASSERT_TRUE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.Text(), QStringLiteral("ac"));
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditCommands, PasteBeyondWhatCanBeSavedIsStillAccepted)
{
    // 20000 kanji are 40000 bytes in Shift-JIS: too big to save, fine to edit.
    load(QStringLiteral("ab"), 1);
    clipboard.content = QString(20000, u'漢');
    ASSERT_TRUE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.textLength(), 20002);
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditCommands, PasteUpToTheCapIsAcceptedAndBeyondItIsRefused)
{
    load(QStringLiteral("abcd"), 1, 2);
    clipboard.content = QString(kMaxEditLength - 2, u'x');
    ASSERT_TRUE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.textLength(), kMaxEditLength);
    EXPECT_TRUE(modal.calls.isEmpty());

    load(QStringLiteral("abcd"), 1, 2);
    // Each LF becomes a CR LF in the edit area: this is one character too many.
    clipboard.content = QString(kMaxEditLength - 3, u'x') + u'\n';
    EXPECT_FALSE(editPaste(note, clipboard, modal));
    EXPECT_EQ(note.Text(), QStringLiteral("abcd"));
    EXPECT_EQ(note.SelText(), QStringLiteral("bc"));
    EXPECT_EQ(entries(), 0) << "a refused paste records nothing";
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("ファイルが大きくなり過ぎました。"));
    EXPECT_EQ(modal.calls[0].style, int(MsgExclamation));
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
}

} // namespace
} // namespace zeq
