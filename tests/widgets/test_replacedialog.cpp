#include "app/mainwindow.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "search/finddialog.h"
#include "search/replacedialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class ReplaceDialogTest : public test::MainWindowFixture {
protected:
    MainWindow &startWith(const QString &text, int selStart = 0, int selLength = 0)
    {
        MainWindow &w = start();
        w.document().load(text, QString());
        select(selStart, selLength);
        return w;
    }
    void select(int start, int length)
    {
        window->note().setSelStart(start);
        window->note().setSelLength(length);
    }
    ReplaceDialog &pressCtrlH()
    {
        activate();
        window->textEdit->setFocus();
        QTest::keyClick(window->textEdit, Qt::Key_H, Qt::ControlModifier);
        EXPECT_TRUE(window->replaceDialog);
        return *window->replaceDialog;
    }
    bool buttonsEnabled(const ReplaceDialog &dialog) const
    {
        return dialog.findNextButton->isEnabled() && dialog.replaceButton->isEnabled()
            && dialog.replaceAllButton->isEnabled();
    }
    void expectSelection(int start, int length)
    {
        EXPECT_EQ(window->note().SelStart(), start);
        EXPECT_EQ(window->note().SelLength(), length);
    }
};

TEST_F(ReplaceDialogTest, CtrlHOpensItModelessWithTheSelectionAndEscHidesIt)
{
    startWith(QStringLiteral("`漢字`かんじ`\r\n漢字"), 1, 2);
    ReplaceDialog &dialog = pressCtrlH();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowModality(), Qt::NonModal);
    EXPECT_EQ(dialog.findEdit->text(), QStringLiteral("漢字"));
    EXPECT_EQ(dialog.findEdit->selectedText(), QStringLiteral("漢字"));
    EXPECT_TRUE(buttonsEnabled(dialog));

    dialog.findEdit->clear();
    EXPECT_FALSE(dialog.findNextButton->isEnabled());
    EXPECT_FALSE(dialog.replaceButton->isEnabled());
    EXPECT_FALSE(dialog.replaceAllButton->isEnabled());
    dialog.replaceEdit->setText(QStringLiteral("字"));
    QTest::keyClick(dialog.replaceEdit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(window->isVisible());

    // A selection across lines is no search string: the last one stays.
    select(1, 10);
    ReplaceDialog &again = pressCtrlH();
    EXPECT_EQ(&again, &dialog);
    EXPECT_TRUE(again.isVisible());
    EXPECT_EQ(again.findEdit->text(), QString());
    EXPECT_EQ(again.replaceEdit->text(), QStringLiteral("字"));
}

TEST_F(ReplaceDialogTest, ReplaceAllIsOneUndoableChangeThatGivesBackTextAndSelection)
{
    const QString text = QStringLiteral("Zeq zeq\r\n`字`じ` ZEQ");
    startWith(text, 4, 3);
    ReplaceDialog &dialog = pressCtrlH();
    dialog.replaceEdit->setText(QStringLiteral("ｚｅｑ"));
    select(9, 3);
    dialog.replaceAllButton->click();

    EXPECT_EQ(window->note().Text(), QStringLiteral("ｚｅｑ ｚｅｑ\r\n`字`じ` ｚｅｑ"));
    expectSelection(18, 0);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("3 個の文字列を置換しました。")});
    EXPECT_EQ(modal.calls[0].style, int(MsgInformation));
    EXPECT_EQ(historyCount(), 1);
    EXPECT_TRUE(dialog.isVisible());

    window->undo();
    EXPECT_EQ(window->note().Text(), text);
    expectSelection(9, 3);
    EXPECT_FALSE(modified());
    window->redo();
    EXPECT_EQ(window->note().Text(), QStringLiteral("ｚｅｑ ｚｅｑ\r\n`字`じ` ｚｅｑ"));
}

TEST_F(ReplaceDialogTest, SharesTheSearchStringAndCaseWithTheFindDialog)
{
    startWith(QStringLiteral("abc"));
    ReplaceDialog &replace = pressCtrlH();
    QTest::keyClicks(replace.findEdit, QStringLiteral("zeq"));
    replace.caseCheck->click();

    window->find();
    ASSERT_TRUE(window->findDialog);
    FindDialog &find = *window->findDialog;
    EXPECT_EQ(find.txtFind->text(), QStringLiteral("zeq"));
    EXPECT_TRUE(find.chkCase->isChecked());

    find.txtFind->setText(QStringLiteral("abc"));
    find.chkCase->click();
    find.cmdcancel->click();
    EXPECT_EQ(replace.findEdit->text(), QStringLiteral("abc"));
    EXPECT_FALSE(replace.caseCheck->isChecked());
    replace.findNextButton->click();
    expectSelection(0, 3);
    replace.replaceEdit->setText(QStringLiteral("x"));
    replace.replaceButton->click();
    EXPECT_EQ(window->note().Text(), QStringLiteral("x"));
}

TEST_F(ReplaceDialogTest, IsDisabledWhileTheDisplayImageIsShown)
{
    MainWindow &w = startWith(QStringLiteral("abc"));
    ReplaceDialog &dialog = pressCtrlH();
    w.togglePreview();
    EXPECT_FALSE(dialog.isEnabled());
    w.togglePreview();
    EXPECT_TRUE(dialog.isEnabled());
}

} // namespace
} // namespace zeq
