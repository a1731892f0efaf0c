// What a desktop user expects of the window before reading any manual: the
// usual keys, Qt's own texts in the language of the rest, names for screen
// readers, the program's icon.

#include "app/mainwindow.h"
#include "app/toolbar.h"
#include "document/document.h"
#include "document/recovery.h"
#include "platform/appsetup.h"
#include "platform/fonts.h"
#include "platform/textbox.h"
#include "search/finddialog.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QIcon>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

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
    installWindowIcon();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(48, 48).size(), QSize(48, 48));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("example.zeq_text_editor.zeqedit"));
}

// The captions are Japanese: whatever the application font names, they must
// come out in a Gothic face, and a desktop face that can load keeps the Latin
// letters of dialogs.
TEST(CaptionFamilies, NameTheGothicFaceAloneOnlyWhereTheDesktopFaceCannotLoad)
{
    const QStringList ipa = {QStringLiteral("DejaVu Sans"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                             QStringLiteral("Sans Serif")};
    struct Case {
        const char *desktop;
        QStringList installed;
        QStringList expected;
    };
    const Case cases[] = {
        // Qt's generic name has no font file, even though Qt lists it.
        {"Sans Serif", ipa, {QStringLiteral("IPAGothic")}},
        {"sans serif", ipa, {QStringLiteral("IPAGothic")}},
        {"DejaVu Sans", ipa,
         {QStringLiteral("DejaVu Sans"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}},
        // A theme's face that is not installed.
        {"Cantarell", {QStringLiteral("IPAPGothic")}, {QStringLiteral("IPAPGothic")}},
        // Without either Gothic face Qt's own fallback search has to find one.
        {"Sans Serif", {QStringLiteral("DejaVu Sans")},
         {QStringLiteral("Sans Serif"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.desktop);
        EXPECT_EQ(captionFamilies(QString::fromLatin1(c.desktop), c.installed), c.expected);
    }
}

TEST_F(DesktopTest, CaptionsAreDrawnInTheIpaGothicFace)
{
    MainWindow &w = start();
    EXPECT_EQ(QFontInfo(w.fileMenu->font()).family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(QFontInfo(w.menuBar()->font()).family(), QStringLiteral("IPAGothic"));
}

TEST_F(DesktopTest, UnsavedTextSurvivesACrashAndIsOfferedAtTheNextStart)
{
    const QString folder = config.path() + QStringLiteral("/recovery");
    const QString a = writeFile(QStringLiteral("a.txt"), QByteArray("on disk\r\n"));
    auto crashed = std::make_unique<RecoveryStore>(folder);
    {
        MainWindow &w = start(a);
        w.enableRecovery(crashed.get());
        w.recoveryTimer->setInterval(1);
        w.note().setSelStart(w.note().textLength());
        w.note().setSelText(QStringLiteral("typed"));
        QSignalSpy written(w.recoveryTimer, &QTimer::timeout);
        ASSERT_TRUE(written.wait(1000));
        ASSERT_FALSE(crashed->fileName().isEmpty());
        EXPECT_TRUE(QFile::exists(crashed->fileName()));
        // The editor dies: its window never closes, its file stays.
        w.enableRecovery(nullptr);
        window.reset();
    }
    crashed.reset();

    RecoveryStore store(folder);
    MainWindow &w = start();
    w.enableRecovery(&store);
    modal.messageAnswers = {AnswerYes};
    w.offerRecovery();
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages()[0].contains(a));
    EXPECT_EQ(w.documentPath(), a);
    EXPECT_EQ(w.note().Text(), QStringLiteral("on disk\r\ntyped"));
    EXPECT_TRUE(w.document().isModified());
    w.undo();
    EXPECT_EQ(w.note().Text(), QStringLiteral("on disk\r\n"));
    EXPECT_TRUE(store.orphans().isEmpty()) << "offered once";

    // A clean save takes the window's own recovery file away.
    w.redo();
    w.writeRecovery();
    const QString own = store.fileName();
    ASSERT_TRUE(QFile::exists(own));
    w.saveAction->trigger();
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_EQ(readFile(a), QByteArray("on disk\r\ntyped"));
}

TEST_F(DesktopTest, SaveAsksBeforeOverwritingAFileAnotherProgramChanged)
{
    const QString a = writeFile(QStringLiteral("a.txt"), QByteArray("mine"));
    MainWindow &w = start(a);
    w.note().setSelText(QStringLiteral("x"));
    writeFile(QStringLiteral("a.txt"), QByteArray("theirs, longer"));
    modal.calls.clear();
    modal.messageAnswers = {AnswerNo};
    w.saveAction->trigger();
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages()[0].contains(QStringLiteral("他のプログラム")));
    EXPECT_EQ(readFile(a), QByteArray("theirs, longer"));
    EXPECT_TRUE(w.document().isModified());

    modal.messageAnswers = {AnswerYes};
    w.saveAction->trigger();
    EXPECT_EQ(readFile(a), QByteArray("xmine"));
    // Saved by us: the next save asks nothing.
    modal.calls.clear();
    w.note().setSelText(QStringLiteral("y"));
    w.saveAction->trigger();
    EXPECT_TRUE(modal.messages().isEmpty());
}

} // namespace
} // namespace zeq
