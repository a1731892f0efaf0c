#include "app/mainwindow.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "search/finddialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class FindDialogTest : public test::MainWindowFixture {
protected:
    // Starts the window with text in the edit area and the caret at caret.
    MainWindow &startWith(const QString &text, int caret = 0)
    {
        MainWindow &w = start();
        w.note().setText(text);
        w.note().setSelStart(caret);
        return w;
    }
    FindDialog &openFind()
    {
        window->find();
        EXPECT_TRUE(window->findDialog);
        return *window->findDialog;
    }
    void type(FindDialog &dialog, const QString &text) { QTest::keyClicks(dialog.txtFind, text); }
    void expectSelection(int start, int length)
    {
        EXPECT_EQ(window->note().SelStart(), start);
        EXPECT_EQ(window->note().SelLength(), length);
    }
    // Lets a closed dialog finish deleting itself.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

struct ControlText {
    const char *name;
    QString text;
    QString toolTip;
};

QString shownText(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    return QStringLiteral("<unknown control>");
}

class FindDialogControls : public FindDialogTest, public ::testing::WithParamInterface<ControlText> {};

TEST_P(FindDialogControls, CarryTheirCaptionsAndTips)
{
    start();
    FindDialog &dialog = openFind();
    const ControlText &c = GetParam();
    auto *control = dialog.findChild<QWidget *>(QLatin1String(c.name));
    ASSERT_NE(control, nullptr) << c.name;
    EXPECT_EQ(shownText(control), c.text);
    EXPECT_EQ(control->toolTip(), c.toolTip);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, FindDialogControls,
    ::testing::Values(
        ControlText{"Label1", QStringLiteral("検索する文字列(&N):"), QString()},
        ControlText{"txtFind", QString(), QStringLiteral("検索する文字列を入力します")},
        ControlText{"chkCase", QStringLiteral("大文字と小文字を区別する(&C)"), QStringLiteral("大文字と小文字を区別します")},
        ControlText{"Frame1", QStringLiteral("検索方向"), QString()},
        ControlText{"optDirection0", QStringLiteral("上方向(&U)"), QStringLiteral("文書の先頭方向に検索します")},
        ControlText{"optDirection1", QStringLiteral("下方向(&D)"), QStringLiteral("文書の末尾方向に検索します")},
        ControlText{"cmdFind", QStringLiteral("検索(&F)"), QStringLiteral("検索を開始します")},
        ControlText{"cmdcancel", QStringLiteral("ｷｬﾝｾﾙ"), QStringLiteral("[ﾒﾓ帳] に戻ります")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FindDialogTest, OpensModalWithTheFindButtonDisabledAndDownwardsChosen)
{
    start();
    FindDialog &dialog = openFind();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("文字列の検索"));
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(dialog.cmdFind->isEnabled());
    EXPECT_TRUE(dialog.cmdFind->isDefault());
    EXPECT_FALSE(dialog.chkCase->isChecked());
    EXPECT_FALSE(dialog.optDirection[0]->isChecked());
    EXPECT_TRUE(dialog.optDirection[1]->isChecked());
    EXPECT_EQ(dialog.Label1->buddy(), dialog.txtFind);
    EXPECT_LT(dialog.optDirection[0]->x(), dialog.optDirection[1]->x());
    EXPECT_EQ(dialog.optDirection[0]->parentWidget(), dialog.Frame1);
}

TEST_F(FindDialogTest, TabsThroughTheControlsInOrder)
{
    start();
    FindDialog &dialog = openFind();
    QList<QWidget *> order;
    QWidget *next = dialog.txtFind;
    do {
        if (next->focusPolicy() & Qt::TabFocus)
            order.append(next);
        next = next->nextInFocusChain();
    } while (next != dialog.txtFind && order.size() < 20);
    const QList<QWidget *> expected{dialog.txtFind, dialog.chkCase, dialog.optDirection[0],
                                    dialog.optDirection[1], dialog.cmdFind, dialog.cmdcancel};
    EXPECT_EQ(order, expected);
}

TEST_F(FindDialogTest, FindButtonFollowsWhetherThereIsAString)
{
    start();
    FindDialog &dialog = openFind();
    program.find.gNewSearch = false;
    type(dialog, QStringLiteral("a"));
    EXPECT_TRUE(dialog.cmdFind->isEnabled());
    EXPECT_TRUE(program.find.gNewSearch);
    QTest::keyClick(dialog.txtFind, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.cmdFind->isEnabled());
    // Enter presses the default button only while it is enabled.
    QTest::keyClick(dialog.txtFind, Qt::Key_Return);
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(FindDialogTest, FindWalksDownwardsFromMatchToMatchAndStaysOpen)
{
    startWith(QStringLiteral("abc abc\r\nabc"));
    FindDialog &dialog = openFind();
    type(dialog, QStringLiteral("abc"));
    dialog.cmdFind->click();
    expectSelection(0, 3);
    dialog.cmdFind->click();
    expectSelection(4, 3);
    QTest::keyClick(dialog.txtFind, Qt::Key_Return);
    expectSelection(9, 3);
    EXPECT_TRUE(modal.calls.isEmpty());

    dialog.cmdFind->click();
    expectSelection(9, 3);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("文字列 \"abc\" が見つかりません。")});
    EXPECT_EQ(modal.calls[0].style, int(MsgOkOnly));
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(program.find.gFindText, QStringLiteral("abc"));
}

TEST_F(FindDialogTest, UpwardSearchPassesTheMatchRightBeforeTheCaret)
{
    startWith(QStringLiteral("a-a-a"), 5);
    FindDialog &dialog = openFind();
    dialog.optDirection[0]->click();
    EXPECT_EQ(program.find.gFindDirection, 0);
    type(dialog, QStringLiteral("a"));
    dialog.cmdFind->click();
    expectSelection(2, 1);
    dialog.cmdFind->click();
    expectSelection(0, 1);
    dialog.cmdFind->click();
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("文字列 \"a\" が見つかりません。")});
}

TEST_F(FindDialogTest, UpwardSearchAtTheStartShowsTheMessage)
{
    startWith(QStringLiteral("abc"), 0);
    FindDialog &dialog = openFind();
    dialog.optDirection[0]->click();
    type(dialog, QStringLiteral("abc"));
    dialog.cmdFind->click();
    expectSelection(0, 0);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("文字列 \"abc\" が見つかりません。")});
}

TEST_F(FindDialogTest, CaseIsIgnoredUntilCheckedAndTheMessageQuotesTheStringAsTyped)
{
    startWith(QStringLiteral("hello world ｚｅｑ"));
    FindDialog &dialog = openFind();
    type(dialog, QStringLiteral("WORLD"));
    dialog.cmdFind->click();
    expectSelection(6, 5);

    dialog.txtFind->setText(QStringLiteral("ＺＥＱ"));
    dialog.cmdFind->click();
    expectSelection(12, 3);

    dialog.chkCase->click();
    EXPECT_TRUE(program.find.gFindCase);
    dialog.txtFind->setText(QStringLiteral("World"));
    window->note().setSelStart(0);
    dialog.cmdFind->click();
    expectSelection(0, 0);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("文字列 \"World\" が見つかりません。")});
}

TEST_F(FindDialogTest, SelectionInTheEditAreaBecomesTheSearchStringFullySelected)
{
    MainWindow &w = startWith(QStringLiteral("`漢字`かんじ`"), 1);
    w.note().setSelLength(2);
    program.find.gFindText = QStringLiteral("old");
    FindDialog &dialog = openFind();
    EXPECT_EQ(dialog.txtFind->text(), QStringLiteral("漢字"));
    EXPECT_EQ(dialog.txtFind->selectedText(), QStringLiteral("漢字"));
    EXPECT_TRUE(dialog.cmdFind->isEnabled());
    EXPECT_TRUE(program.find.gNewSearch);
}

TEST_F(FindDialogTest, ReopeningLoadsTheRememberedStringCaseAndDirection)
{
    start();
    program.find.gFindText = QStringLiteral("zeq");
    program.find.gFindCase = true;
    program.find.gFindDirection = 0;
    FindDialog &dialog = openFind();
    EXPECT_EQ(dialog.txtFind->text(), QStringLiteral("zeq"));
    EXPECT_EQ(dialog.txtFind->selectedText(), QStringLiteral("zeq"));
    EXPECT_TRUE(dialog.cmdFind->isEnabled());
    EXPECT_TRUE(dialog.chkCase->isChecked());
    EXPECT_TRUE(dialog.optDirection[0]->isChecked());
    EXPECT_FALSE(dialog.optDirection[1]->isChecked());
}

TEST_F(FindDialogTest, FindNextBeforeAnySearchOpensTheDialog)
{
    start();
    window->findNext();
    ASSERT_TRUE(window->findDialog);
    EXPECT_TRUE(window->findDialog->isVisible());
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(FindDialogTest, CancelKeepsTheTypedStringForFindNext)
{
    startWith(QStringLiteral("x abc abc"));
    FindDialog &dialog = openFind();
    type(dialog, QStringLiteral("abc"));
    dialog.chkCase->setChecked(true);
    dialog.cmdcancel->click();
    EXPECT_FALSE(dialog.isVisible());
    flushDeletes();
    EXPECT_FALSE(window->findDialog);
    EXPECT_EQ(program.find.gFindText, QStringLiteral("abc"));
    EXPECT_TRUE(program.find.gFindCase);

    window->findNext();
    EXPECT_FALSE(window->findDialog);
    expectSelection(2, 3);
    window->findNext();
    expectSelection(6, 3);
}

TEST_F(FindDialogTest, EscIsTheCancelButton)
{
    start();
    FindDialog &dialog = openFind();
    type(dialog, QStringLiteral("abc"));
    QTest::keyClick(dialog.txtFind, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(program.find.gFindText, QStringLiteral("abc"));
    // Esc belongs to the dialog: the main window's own Esc does not close it.
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FindDialogTest, ClosingByTheFrameKeepsCaseAndDirectionButNotAnUnsearchedString)
{
    start();
    program.find.gFindText = QStringLiteral("old");
    FindDialog &dialog = openFind();
    dialog.txtFind->setText(QStringLiteral("new"));
    dialog.chkCase->click();
    dialog.optDirection[0]->click();
    dialog.close();
    flushDeletes();
    EXPECT_FALSE(window->findDialog);
    EXPECT_EQ(program.find.gFindText, QStringLiteral("old"));
    EXPECT_TRUE(program.find.gFindCase);
    EXPECT_EQ(program.find.gFindDirection, 0);
}

TEST_F(FindDialogTest, EachFindCommandLoadsAFreshDialog)
{
    start();
    FindDialog *first = &openFind();
    first->optDirection[0]->click();
    first->cmdcancel->click();
    FindDialog *second = &openFind();
    EXPECT_NE(first, second);
    EXPECT_TRUE(second->optDirection[0]->isChecked());
    EXPECT_FALSE(second->cmdFind->isEnabled());
}

TEST_F(FindDialogTest, F3FindsTheNextMatchOrOpensTheDialog)
{
    startWith(QStringLiteral("abc abc"));
    activate();
    window->textEdit->setFocus();
    QTest::keyClick(window->textEdit, Qt::Key_F3);
    ASSERT_TRUE(window->findDialog);
    FindDialog &dialog = *window->findDialog;
    type(dialog, QStringLiteral("abc"));
    dialog.cmdFind->click();
    dialog.cmdcancel->click();
    expectSelection(0, 3);

    activate();
    window->textEdit->setFocus();
    QTest::keyClick(window->textEdit, Qt::Key_F3);
    expectSelection(4, 3);
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(FindDialogTest, MatchBeyondPosition32767IsSelected)
{
    const QString filler(40000, u'あ');
    startWith(filler + QStringLiteral("\r\nzeq\r\n") + filler);
    FindDialog &dialog = openFind();
    type(dialog, QStringLiteral("zeq"));
    dialog.cmdFind->click();
    expectSelection(40002, 3);
    EXPECT_EQ(window->note().SelText(), QStringLiteral("zeq"));
    EXPECT_EQ(program.find.gLastFindPos, 40002);
}

} // namespace
} // namespace zeq
