#include "platform/textbox.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QApplication>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class TextBoxTest : public ::testing::Test {
protected:
    TextBoxTest() : edit(new QPlainTextEdit(&window)), box(edit), changes(&box, &EditControl::changed)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
    }

    QWidget window;
    QPlainTextEdit *edit;
    TextBox box;
    QSignalSpy changes;
};

TEST_F(TextBoxTest, TextCountsEachLineEndAsCrLf)
{
    box.setText(QStringLiteral("`漢字`かんじ`\r\nです\r\n"));
    EXPECT_EQ(box.Text(), QStringLiteral("`漢字`かんじ`\r\nです\r\n"));
    EXPECT_EQ(box.textLength(), box.Text().size());
    EXPECT_EQ(box.lineCount(), 3);
    EXPECT_EQ(box.line(0), QStringLiteral("`漢字`かんじ`"));
    EXPECT_EQ(box.line(1), QStringLiteral("です"));
    EXPECT_EQ(box.line(2), QString());
    EXPECT_EQ(box.line(3), QString());
}

TEST_F(TextBoxTest, EmptyTextHasOneLine)
{
    EXPECT_EQ(box.lineCount(), 1);
    EXPECT_EQ(box.textLength(), 0);
}

TEST_F(TextBoxTest, CaretPositionsCountBothCharactersOfALineEnd)
{
    box.setText(QStringLiteral("ab\r\ncd\r\nef"));
    box.setSelStart(4); // before c
    EXPECT_EQ(box.SelStart(), 4);
    box.setSelLength(1);
    EXPECT_EQ(box.SelText(), QStringLiteral("c"));

    box.setSelStart(2); // before the CR
    box.setSelLength(2);
    EXPECT_EQ(box.SelText(), QStringLiteral("\r\n"));
    EXPECT_EQ(box.SelLength(), 2);

    box.setSelStart(8);
    EXPECT_EQ(box.SelStart(), 8);
    box.setSelStart(10);
    EXPECT_EQ(box.SelStart(), 10);
}

TEST_F(TextBoxTest, PositionsPastTheEndAreClamped)
{
    box.setText(QStringLiteral("ab\r\ncd"));
    box.setSelStart(99);
    EXPECT_EQ(box.SelStart(), 6);
    box.setSelStart(4);
    box.setSelLength(99);
    EXPECT_EQ(box.SelLength(), 2);
}

TEST_F(TextBoxTest, CaretNeverStopsBetweenCrAndLf)
{
    box.setText(QStringLiteral("ab\r\ncd"));
    box.setSelStart(3);
    EXPECT_EQ(box.SelStart(), 2);
    box.setSelLength(1);
    EXPECT_EQ(box.SelText(), QStringLiteral("\r\n"));
    EXPECT_EQ(box.SelLength(), 2);
    box.setSelLength(3);
    EXPECT_EQ(box.SelText(), QStringLiteral("\r\nc"));
}

TEST_F(TextBoxTest, SelTextReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    box.setText(QStringLiteral("ab\r\ncd"));
    box.setSelStart(1);
    box.setSelLength(4); // b CR LF c
    box.setSelText(QStringLiteral("`漢字`かんじ`\r\n"));
    EXPECT_EQ(box.Text(), QStringLiteral("a`漢字`かんじ`\r\nd"));
    EXPECT_EQ(box.SelStart(), 11);
    EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(TextBoxTest, EveryProgrammaticChangeRaisesExactlyOneChangeEvent)
{
    box.setText(QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(changes.count(), 1);

    box.setSelStart(2);
    box.setSelLength(2);
    box.setSelText(QString()); // deleting a CR LF
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(box.Text(), QStringLiteral("abcd"));

    box.setSelStart(0);
    box.setSelLength(2);
    box.setSelText(QStringLiteral("xyz")); // selection replaced
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(box.SelStart(), 3);

    box.setSelStart(1); // moving the caret is no change
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(TextBoxTest, TypingRaisesOneChangeEventPerKeyWithTheCaretAfterIt)
{
    window.show();
    QList<int> caretAtChange;
    QObject::connect(&box, &EditControl::changed, [&] { caretAtChange.append(box.SelStart()); });
    QTest::keyClicks(edit, QStringLiteral("ab"));
    EXPECT_EQ(caretAtChange, (QList<int>{1, 2}));

    box.setSelStart(0);
    box.setSelLength(2);
    caretAtChange.clear();
    QTest::keyClick(edit, Qt::Key_X); // typed over a selection
    EXPECT_EQ(caretAtChange, (QList<int>{1}));
    EXPECT_EQ(box.Text(), QStringLiteral("x"));
}

TEST_F(TextBoxTest, WindowShortcutsRunInsteadOfTheWidgetsOwnEditingKeys)
{
    auto *deleteAction = new QAction(&window);
    deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    window.addAction(deleteAction);
    QSignalSpy triggered(deleteAction, &QAction::triggered);
    box.setWindowShortcuts({QKeySequence(Qt::Key_Delete)});
    box.setText(QStringLiteral("abc"));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    box.setSelStart(0);

    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(box.Text(), QStringLiteral("abc"));
}

// The history rebuilds every text from these reports alone, so each must
// turn the text before it into the text after it, whoever made the change.
TEST_F(TextBoxTest, EveryReportedChangeTurnsThePreviousTextIntoTheNewOne)
{
    window.show();
    QString mirror = box.Text();
    QList<TextChange> reports;
    QObject::connect(&box, &EditControl::changed, [&](const TextChange &change) {
        reports.append(change);
        ASSERT_EQ(mirror.mid(change.position, change.removed.size()), change.removed);
        mirror.replace(change.position, change.removed.size(), change.inserted);
    });
    auto check = [&](const char *what) { EXPECT_EQ(mirror, box.Text()) << what; };

    box.setText(QStringLiteral("hello\r\nworld"));
    check("set text");
    QTest::keyClicks(edit, QStringLiteral("ab"));
    check("typed");
    QTest::keyClick(edit, Qt::Key_Return);
    check("line end typed");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    check("backspace");
    box.setSelStart(3);
    box.setSelLength(6); // "llo\r\nw"
    reports.clear();
    QTest::keyClick(edit, Qt::Key_X);
    check("typed over a selection across a line end");
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].removed, QStringLiteral("llo\r\nw"));
    EXPECT_EQ(reports[0].selectionStart, 3);
    EXPECT_EQ(reports[0].selectionLength, 6);

    // An input method's preedit is no change; its commit is one.
    reports.clear();
    QInputMethodEvent preedit(QStringLiteral("かん"), {});
    QApplication::sendEvent(edit, &preedit);
    EXPECT_TRUE(reports.isEmpty());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("漢"));
    QApplication::sendEvent(edit, &commit);
    check("committed");
    EXPECT_EQ(reports.size(), 1);
    box.setText(QStringLiteral("😀\r\n"));
    check("replaced whole");
}

TEST_F(TextBoxTest, WidgetUndoIsOff)
{
    EXPECT_FALSE(edit->isUndoRedoEnabled());
}

} // namespace
} // namespace zeq

namespace zeq {
namespace {

// The in-memory text box stands in for the edit area in the logic tests, so
// both must agree on every position, selection and change event.
TEST_F(TextBoxTest, InMemoryTextBufferBehavesLikeTheEditArea)
{
    TextBuffer buffer;
    int bufferChanges = 0;
    buffer.onChange = [&] { ++bufferChanges; };

    struct Step {
        const char *what;
        std::function<void(EditControl &)> run;
    };
    const std::vector<Step> steps = {
        {"set text with mixed line ends", [](EditControl &e) { e.setText(QStringLiteral("ab\r\ncd\nef\rgh")); }},
        {"caret inside a line", [](EditControl &e) { e.setSelStart(5); }},
        {"caret between CR and LF", [](EditControl &e) { e.setSelStart(3); }},
        {"select across a line end", [](EditControl &e) { e.setSelStart(1); e.setSelLength(3); }},
        {"selection ending between CR and LF", [](EditControl &e) { e.setSelStart(0); e.setSelLength(3); }},
        {"replace selection", [](EditControl &e) { e.setSelText(QStringLiteral("漢\n字")); }},
        {"insert at caret", [](EditControl &e) { e.setSelStart(2); e.setSelText(QStringLiteral("`")); }},
        {"delete a line end", [](EditControl &e) { e.setSelStart(4); e.setSelLength(2); e.setSelText(QString()); }},
        {"empty insertion is no change", [](EditControl &e) { e.setSelText(QString()); }},
        {"clamped past the end", [](EditControl &e) { e.setSelStart(999); e.setSelLength(5); }},
        {"same text again", [](EditControl &e) { e.setText(e.Text()); }},
        {"clear", [](EditControl &e) { e.setText(QString()); }},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.run(box);
        step.run(buffer);
        EXPECT_EQ(buffer.Text(), box.Text());
        EXPECT_EQ(buffer.textLength(), box.textLength());
        EXPECT_EQ(buffer.SelStart(), box.SelStart());
        EXPECT_EQ(buffer.SelLength(), box.SelLength());
        EXPECT_EQ(buffer.SelText(), box.SelText());
        EXPECT_EQ(buffer.lineCount(), box.lineCount());
        EXPECT_EQ(bufferChanges, changes.count());
    }
}

} // namespace
} // namespace zeq
