// What a desktop user expects of the window before reading any manual: the
// usual keys, Qt's own texts in the language of the rest, names for screen
// readers, the program's icon.

#include "app/mainwindow.h"
#include "app/toolbar.h"
#include "document/document.h"
#include "platform/appsetup.h"
#include "platform/textbox.h"
#include "search/finddialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace zeq {
namespace {

class DesktopTest : public test::MainWindowFixture {
protected:
    QList<ScriptedModal::Kind> kinds() const
    {
        QList<ScriptedModal::Kind> result;
        for (const ScriptedModal::Call &call : modal.calls)
            result.append(call.kind);
        return result;
    }
};

TEST_F(DesktopTest, UsualDesktopKeysRunTheirMenuCommandsFromTheEditArea)
{
    MainWindow &w = start();
    activate();
    w.note().setSelText(QStringLiteral("abc"));

    QTest::keyClick(w.textEdit, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(w.textEdit, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    modal.messageAnswers = {AnswerNo};
    QTest::keyClick(w.textEdit, Qt::Key_O, Qt::ControlModifier);  // asks first: modified
    QTest::keyClick(w.textEdit, Qt::Key_F1);
    using K = ScriptedModal::Kind;
    EXPECT_EQ(kinds(), (QList<K>{K::SaveFile, K::SaveFile, K::Message, K::OpenFile, K::Help}));
    EXPECT_EQ(modal.calls[1].text, QStringLiteral("Untitled.txt"));

    modal.calls.clear();
    QTest::keyClick(w.textEdit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w.note().SelStart(), 0);
    EXPECT_EQ(w.note().SelLength(), 3);

    QTest::keyClick(w.textEdit, Qt::Key_F, Qt::ControlModifier);
    ASSERT_FALSE(w.findDialog.isNull());
    EXPECT_TRUE(w.findDialog->isVisible());
    w.findDialog->close();
    activate();

    modal.messageAnswers = {AnswerNo};
    QTest::keyClick(w.textEdit, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(w.note().Text(), QString());
    EXPECT_EQ(kinds(), QList<K>{K::Message});

    QTest::keyClick(w.textEdit, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(DesktopTest, QtsOwnButtonsAreJapaneseWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(installQtTranslation()) << "qt6-translations-l10n is missing";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("キャンセル")))
        << box.button(QMessageBox::Cancel)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい")));
    QLocale::setDefault(saved);
}

TEST_F(DesktopTest, ToolButtonsGutterAndEditAreaHaveDistinctAccessibleNames)
{
    MainWindow &w = start();
    QStringList names{w.textEdit->accessibleName(), w.lineNumbers->accessibleName()};
    for (ToolHotSpot *button : w.toolButtons)
        names.append(button->accessibleName());
    for (const QString &name : names)
        EXPECT_FALSE(name.isEmpty());
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 2 + qsizetype(w.toolButtons.size()));
}

TEST_F(DesktopTest, TheApplicationCarriesItsIcon)
{
    prepareApplication();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(48, 48).size(), QSize(48, 48));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("example.zeq_text_editor.zeqedit"));
}

} // namespace
} // namespace zeq
