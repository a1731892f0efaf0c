#include "app/mainwindow.h"
#include "editing/commands.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "platform/textpos.h"
#include "search/finddialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class EditMenuTest : public test::MainWindowFixture {
protected:
    // Starts the window with a loaded (unrecorded) text and a selection.
    MainWindow &startWith(const QString &text, int selStart = 0, int selLength = 0)
    {
        MainWindow &w = start();
        w.document().load(text, QString());
        w.note().setSelStart(selStart);
        w.note().setSelLength(selLength);
        return w;
    }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }
    int entries() const { return int(historyCount()); }
};

struct KeyCase {
    const char *name;
    QKeyCombination key;
    QAction *MainWindow::*action;
    QString text;
    int selStart;
    int selLength;
    QString clipboardBefore;
    QString expectedText;
    QString expectedClipboard;
};

class EditMenuKeys : public EditMenuTest, public ::testing::WithParamInterface<KeyCase> {};

// The menu's keys must run the menu's commands, not the edit area's own
// editing, so line ends and separators are handled the editor's way.
TEST_P(EditMenuKeys, RunTheMenuCommandInsteadOfTheEditAreasOwn)
{
    const KeyCase &c = GetParam();
    MainWindow &w = startWith(c.text, c.selStart, c.selLength);
    clipboard()->setText(c.clipboardBefore);
    activate();
    w.textEdit->setFocus();
    QSignalSpy triggered(w.*c.action, &QAction::triggered);

    QTest::keyClick(w.textEdit, c.key.key(), c.key.keyboardModifiers());
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(w.note().Text(), c.expectedText);
    EXPECT_EQ(clipboard()->text(), c.expectedClipboard);
    EXPECT_EQ(entries(), c.text == c.expectedText ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EditMenuKeys,
    ::testing::Values(
        KeyCase{"DelTakesTheLineBreakAsOne", Qt::Key_Delete, &MainWindow::deleteAction,
                QStringLiteral("ab\r\ncd"), 2, 0, QStringLiteral("clip"), QStringLiteral("abcd"),
                QStringLiteral("clip")},
        KeyCase{"CtrlXCuts", Qt::CTRL | Qt::Key_X, &MainWindow::cutAction, QStringLiteral("a`漢`b"), 1, 3,
                QString(), QStringLiteral("ab"), QStringLiteral("`漢`")},
        KeyCase{"CtrlCCopiesWithTheSystemsLineEnds", Qt::CTRL | Qt::Key_C, &MainWindow::copyAction,
                QStringLiteral("ab\r\ncd"), 0, 5, QString(), QStringLiteral("ab\r\ncd"), QStringLiteral("ab\nc")},
        KeyCase{"CtrlCWithNoSelectionEmptiesTheClipboard", Qt::CTRL | Qt::Key_C, &MainWindow::copyAction,
                QStringLiteral("abc"), 1, 0, QStringLiteral("clip"), QStringLiteral("abc"), QString()},
        KeyCase{"CtrlVPastesIntoCrLfLines", Qt::CTRL | Qt::Key_V, &MainWindow::pasteAction, QStringLiteral("abc"),
                1, 1, QStringLiteral("x\ny"), QStringLiteral("ax\r\nyc"), QStringLiteral("x\ny")},
        KeyCase{"CtrlYInsertsTheNextSeparator", Qt::CTRL | Qt::Key_Y, &MainWindow::insertSeparatorAction,
                QStringLiteral("漢"), 0, 0, QString(), QStringLiteral("`漢"), QString()},
        KeyCase{"CtrlDRemovesTheGroup", Qt::CTRL | Qt::Key_D, &MainWindow::deleteGroupAction,
                QStringLiteral("の`漢字`かんじ`\r\n"), 9, 0, QString(), QStringLiteral("の\r\n"), QString()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EditMenuTest, CopyAndPasteRoundTripThroughTheSystemClipboard)
{
    MainWindow &w = startWith(QStringLiteral("`漢字`かんじ`\r\nです"), 0, 10);
    w.copyAction->trigger();
    EXPECT_EQ(clipboard()->text(), QStringLiteral("`漢字`かんじ`\n"));
    w.note().setSelStart(w.note().textLength());
    w.pasteAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("`漢字`かんじ`\r\nです`漢字`かんじ`\r\n"));
    EXPECT_EQ(w.note().SelStart(), w.note().textLength());
    EXPECT_EQ(entries(), 1);
    EXPECT_TRUE(modified());

    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("`漢字`かんじ`\r\nです"));
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditMenuTest, CutAndUndoAreOneEntryEach)
{
    MainWindow &w = startWith(QStringLiteral("の`漢字`かんじ`です"), 1, 8);
    w.cutAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("のです"));
    EXPECT_EQ(clipboard()->text(), QStringLiteral("`漢字`かんじ`"));
    EXPECT_EQ(entries(), 1);
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("の`漢字`かんじ`です"));
}

TEST_F(EditMenuTest, PasteOfTextAnotherProgramPutThereKeepsItsCharacters)
{
    MainWindow &w = start();
    clipboard()->setText(QStringLiteral("髙①\r\n㈱"));
    w.pasteAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("髙①\r\n㈱"));
}

TEST_F(EditMenuTest, PasteTheEditAreaRefusesShowsTheMessageAndChangesNothing)
{
    MainWindow &w = startWith(QStringLiteral("abc"), 1, 1);
    clipboard()->setText(QString(kMaxEditLength - 1, u'x'));
    w.pasteAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("abc"));
    EXPECT_EQ(w.note().SelText(), QStringLiteral("b"));
    EXPECT_EQ(entries(), 0);
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("ファイルが大きくなり過ぎました。"));
    EXPECT_EQ(modal.calls[0].style, int(MsgExclamation));
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
}

TEST_F(EditMenuTest, PasteBeyondTheSaveableSizeIsAccepted)
{
    MainWindow &w = start();
    // 40000 bytes in Shift-JIS: more than a document may have to be opened.
    clipboard()->setText(QString(20000, u'漢'));
    w.pasteAction->trigger();
    EXPECT_EQ(w.note().textLength(), 20000);
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditMenuTest, SelectAllSelectsTheWholeText)
{
    MainWindow &w = startWith(QStringLiteral("ab\r\ncd\r\n"), 3);
    w.selectAllAction->trigger();
    EXPECT_EQ(w.note().SelStart(), 0);
    EXPECT_EQ(w.note().SelText(), QStringLiteral("ab\r\ncd\r\n"));
    EXPECT_EQ(entries(), 0);
}

TEST_F(EditMenuTest, SeparatorInsertionCyclesAndEmptySeparatorsStillCount)
{
    MainWindow &w = start();
    program.settings.gUserSparator = {QStringLiteral("["), QString(), QStringLiteral("]")};
    for (int i = 0; i < 4; ++i)
        w.insertSeparatorAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("[]["));
    EXPECT_EQ(program.nextSeparator, 1);
    EXPECT_EQ(entries(), 3);
}

TEST_F(EditMenuTest, ExtendedDeleteLeavesTheDialogsSearchForFindNext)
{
    MainWindow &w = startWith(QStringLiteral("です`漢字`かんじ`です"));
    w.find();
    ASSERT_TRUE(w.findDialog);
    w.findDialog->txtFind->setText(QStringLiteral("です"));
    w.findDialog->cmdFind->click();
    w.findDialog->cmdcancel->click();
    EXPECT_EQ(w.note().SelStart(), 0);

    w.note().setSelStart(10);
    w.deleteGroupAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("ですです"));
    EXPECT_EQ(program.find.gFindText, QStringLiteral("です"));
    EXPECT_EQ(program.find.gFindDirection, 1);

    w.note().setSelStart(1);
    w.findNextAction->trigger();
    EXPECT_EQ(w.note().SelStart(), 2);
    EXPECT_EQ(w.note().SelText(), QStringLiteral("です"));
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(EditMenuTest, KeyReleaseInTheEditAreaRefreshesTheGutter)
{
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("行%1").arg(i);
    MainWindow &w = startWith(lines.join(QStringLiteral("\r\n")));
    w.gutterTimer->stop();
    w.refreshLineNumbers();
    ASSERT_TRUE(toCrLfText(w.lineNumbers->toPlainText()).startsWith(QStringLiteral("1\r\n")));
    w.textEdit->verticalScrollBar()->setValue(57);
    ASSERT_TRUE(toCrLfText(w.lineNumbers->toPlainText()).startsWith(QStringLiteral("1\r\n")));

    QTest::keyRelease(w.textEdit, Qt::Key_Down);
    EXPECT_EQ(w.topLine, 57);
    EXPECT_TRUE(toCrLfText(w.lineNumbers->toPlainText()).startsWith(QStringLiteral("58\r\n")));
}

} // namespace
} // namespace zeq
