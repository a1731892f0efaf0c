#include "app/program.h"
#include "editing/undo.h"
#include "platform/editcontrol.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

// A text box wired to the change handler as the main window wires it.
class History : public ::testing::Test {
protected:
    History()
    {
        note.onChange = [this] {
            ++changeEvents;
            txtNote_Change(program, note, mInUndo);
        };
    }

    void type(const QString &text)
    {
        for (const QChar ch : text)
            note.setSelText(QString(ch));
    }
    void backspace()
    {
        note.setSelStart(note.SelStart() - 1);
        note.setSelLength(1);
        note.setSelText(QString());
    }
    void select(int start, int length)
    {
        note.setSelStart(start);
        note.setSelLength(length);
    }
    bool undo() { return mnuUndo_Click(program, note, mInUndo); }
    bool redo() { return mnuRedo_Click(program, note, mInUndo); }

    Program program;
    TextBuffer note;
    bool mInUndo = false;
    int changeEvents = 0;
};

// Replacing a selection is recorded by its net length only (next test), so
// the exact walk holds for insertions and deletions.
TEST_F(History, UndoAndRedoWalkAMixedSequenceThroughEveryIntermediateText)
{
    QStringList texts{note.Text()};
    auto step = [&](auto &&edit) {
        edit();
        texts.append(note.Text());
    };
    step([&] { type(QStringLiteral("漢")); });
    step([&] { type(QStringLiteral("字")); });
    step([&] { note.setSelText(QStringLiteral("\r\n")); });
    step([&] { type(QStringLiteral("か")); });
    step([&] { backspace(); });
    step([&] { note.setSelStart(0); note.setSelText(QStringLiteral("`")); });
    step([&] { select(3, 2); note.setSelText(QString()); }); // a CR LF
    step([&] { select(1, 2); note.setSelText(QString()); }); // a selection
    step([&] { note.setSelStart(0); note.setSelText(QStringLiteral("`かんじ`\r\n")); }); // pasted at once
    ASSERT_EQ(program.undo.gUndoTop, texts.size() - 1);

    for (qsizetype i = texts.size() - 2; i >= 0; --i) {
        ASSERT_TRUE(undo());
        EXPECT_EQ(note.Text(), texts[i]) << "after undoing to step " << i;
    }
    EXPECT_FALSE(undo());
    for (qsizetype i = 1; i < texts.size(); ++i) {
        ASSERT_TRUE(redo());
        EXPECT_EQ(note.Text(), texts[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(redo());

    // Undo, undo, redo, redo in the middle lands back where it started.
    const QString before = note.Text();
    undo();
    undo();
    redo();
    redo();
    EXPECT_EQ(note.Text(), before);
}

TEST_F(History, TypingOverASelectionRecordsOnlyTheNetDeletion)
{
    type(QStringLiteral("abc"));
    select(0, 3);
    type(QStringLiteral("x"));
    const UndoRecord &entry = program.undo.gUndo[program.undo.gUndoCount];
    EXPECT_EQ(entry.Kind, UndoRecord::Deletion);
    EXPECT_EQ(entry.Pos, 1);
    EXPECT_EQ(entry.Content, QStringLiteral("bc"));
    undo();
    EXPECT_EQ(note.Text(), QStringLiteral("xbc"));
}

TEST_F(History, UndoWithNothingToUndoAndRedoAtTheNewestEntryChangeNothing)
{
    EXPECT_FALSE(undo());
    type(QStringLiteral("a"));
    EXPECT_FALSE(redo());
    EXPECT_EQ(note.Text(), QStringLiteral("a"));
    EXPECT_EQ(program.undo.gUndoCount, 1);
    EXPECT_EQ(program.undo.gUndoTop, 1);
}

TEST_F(History, ANewChangeAfterUndoDiscardsTheRedoTail)
{
    type(QStringLiteral("abc"));
    undo();
    undo();
    EXPECT_TRUE(program.undo.canRedo());
    type(QStringLiteral("z"));
    EXPECT_FALSE(program.undo.canRedo());
    EXPECT_EQ(program.undo.gUndoTop, 2);
    EXPECT_FALSE(redo());
    EXPECT_EQ(note.Text(), QStringLiteral("az"));
}

TEST_F(History, TheEleventhChangeGrowsTheArrayByTenKeepingEveryEntry)
{
    EXPECT_EQ(program.undo.upperBound(), 10);
    type(QStringLiteral("0123456789"));
    EXPECT_EQ(program.undo.upperBound(), 10);
    type(QStringLiteral("A"));
    EXPECT_EQ(program.undo.upperBound(), 20);
    for (int i = 1; i <= 11; ++i)
        EXPECT_EQ(program.undo.gUndo[i].Content, QString(QStringLiteral("0123456789A").at(i - 1)));
    while (undo()) {
    }
    EXPECT_EQ(note.Text(), QString());
}

TEST_F(History, AChangeOfEqualLengthRecordsAnEmptyInsertionWhoseUndoOnlyMovesTheCaret)
{
    type(QStringLiteral("abc"));
    select(1, 1);
    note.setSelText(QStringLiteral("X"));
    const UndoRecord &entry = program.undo.gUndo[program.undo.gUndoCount];
    EXPECT_EQ(entry.Kind, UndoRecord::Insertion);
    EXPECT_EQ(entry.Content, QString());
    EXPECT_EQ(entry.Pos, 2);
    note.setSelStart(0);
    undo();
    EXPECT_EQ(note.Text(), QStringLiteral("aXc"));
    EXPECT_EQ(note.SelStart(), 2);
}

TEST_F(History, LoadsAndUndoMarkTheDocumentButAreNotRecorded)
{
    program.gPrevText.clear();
    program.gCurText.clear();
    program.gSkipChange = true;
    note.setText(QStringLiteral("loaded"));
    EXPECT_EQ(program.undo.gUndoTop, 0);
    EXPECT_FALSE(program.gSkipChange);
    EXPECT_TRUE(program.gModified);
    EXPECT_TRUE(program.gImageDirty);
    EXPECT_EQ(program.gCurText, QStringLiteral("loaded"));

    note.setSelStart(6);
    type(QStringLiteral("!"));
    EXPECT_EQ(program.undo.gUndoTop, 1);
    program.gModified = false;
    program.gImageDirty = false;
    undo();
    EXPECT_TRUE(program.gModified);
    EXPECT_TRUE(program.gImageDirty);
    EXPECT_EQ(program.undo.gUndoTop, 1);
    EXPECT_EQ(program.gCurText, QStringLiteral("loaded"));
    EXPECT_FALSE(mInUndo);
}

TEST_F(History, APreparedLoadThatNeverHappensSwallowsTheNextEditOnly)
{
    program.gSkipChange = true; // an Open whose dialog was cancelled
    type(QStringLiteral("ab"));
    EXPECT_EQ(program.undo.gUndoTop, 1);
    EXPECT_EQ(program.undo.gUndo[1].Content, QStringLiteral("b"));
}

TEST_F(History, EveryChangeRaisesExactlyOneEventIncludingALineEndDeletion)
{
    type(QStringLiteral("a"));
    note.setSelText(QStringLiteral("\r\n"));
    type(QStringLiteral("b"));
    EXPECT_EQ(changeEvents, 3);
    select(1, 1); // the CR: the selection takes the LF too
    note.setSelText(QString());
    EXPECT_EQ(changeEvents, 4);
    EXPECT_EQ(note.Text(), QStringLiteral("ab"));
    const UndoRecord &entry = program.undo.gUndo[program.undo.gUndoCount];
    EXPECT_EQ(entry.Content, QStringLiteral("\r\n"));
    undo();
    EXPECT_EQ(changeEvents, 5);
    EXPECT_EQ(note.Text(), QStringLiteral("a\r\nb"));
    note.setSelStart(1); // moving the caret is not a change
    EXPECT_EQ(changeEvents, 5);
}

TEST_F(History, PositionsAndCountsBeyondSixteenBitsStayExact)
{
    program.gSkipChange = true;
    note.setText(QString(40000, u'あ'));
    note.setSelStart(39000);
    note.setSelText(QStringLiteral("漢字"));
    EXPECT_EQ(program.undo.gUndo[1].Pos, 39002);
    for (int i = 0; i < 33000; ++i)
        note.setSelText(QStringLiteral("x"));
    EXPECT_EQ(program.undo.gUndoTop, 33001);
    for (int i = 0; i < 33000; ++i)
        undo();
    EXPECT_EQ(note.Text().mid(38999, 4), QStringLiteral("あ漢字あ"));
    undo();
    EXPECT_EQ(note.Text(), QString(40000, u'あ'));
    EXPECT_EQ(program.undo.gUndoCount, 0);
}

} // namespace
} // namespace zeq
