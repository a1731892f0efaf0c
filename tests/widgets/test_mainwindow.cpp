#include "app/mainwindow.h"
#include "app/statuspanels.h"
#include "app/title.h"
#include "document/docfile.h"
#include "platform/codepage.h"
#include "platform/modal.h"
#include "platform/regstore.h"
#include "platform/textbox.h"
#include "platform/textpos.h"
#include "support/qtprint.h"
#include "support/mainwindow.h"
#include "support/tempconfig.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace zeq {
namespace {

qint32 storedLong(const RegStore &store, const QString &key, const QString &name)
{
    RegValue value;
    if (store.queryValue(HKEY_CURRENT_USER, key, name, 4, &value) != kErrorSuccess || value.data.size() != 4)
        return qint32(0xDEADBEEF);
    qint32 number = 0;
    memcpy(&number, value.data.constData(), 4);
    return number;
}

QString storedText(const RegStore &store, const QString &key, const QString &name)
{
    RegValue value;
    if (store.queryValue(HKEY_CURRENT_USER, key, name, 512, &value) != kErrorSuccess)
        return QStringLiteral("<missing>");
    QByteArray bytes = value.data;
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return decodeCp932(bytes).text;
}

// The gutter's text as the edit area counts it: numbers each ending in CR LF.
QString gutterLines(int first, int count)
{
    QString text;
    for (int n = first; n < first + count; ++n)
        text += QString::number(n) + QStringLiteral("\r\n");
    return text;
}

QString gutterOf(const MainWindow &w)
{
    return toCrLfText(w.lineNumbers->toPlainText());
}

using MainWindowTest = test::MainWindowFixture;

TEST_F(MainWindowTest, StartsUntitledAndCleanWithItsKeysCreatedOnFirstRun)
{
    MainWindow &w = start();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Zeq Text Editor〔－－〕－ 無題"));
    EXPECT_FALSE(modified());
    EXPECT_EQ(modal.calls.size(), 0);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnvKey), kErrorSuccess);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kRecentKey), kErrorSuccess);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kOptionKey), kErrorSuccess);
    EXPECT_EQ(program.settings.gUserSparator[0], QStringLiteral("`"));
    // The status bar has no line count until the first change or load.
    EXPECT_EQ(w.statusPanels->panelText(1), QString());
    EXPECT_TRUE(w.gutterTimer->isActive());
    EXPECT_EQ(w.gutterTimer->interval(), 150);
}

struct MenuItem {
    const char *name;
    const char *caption;
    QKeySequence shortcut;
};

TEST_F(MainWindowTest, MenuTreeHasEveryItemWithItsCaptionAndShortcutInOrder)
{
    MainWindow &w = start();
    const std::vector<std::pair<QMenu *, std::vector<MenuItem>>> tree = {
        {w.fileMenu,
         {{"newAction", "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N)},
          {"openAction", "開く(&O)", QKeySequence(Qt::CTRL | Qt::Key_O)},
          {"saveAction", "保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S)},
          {"saveAsAction", "名前を付けて保存(&A)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
          {"importMenuAction", "取り込み", {}},
          {"exportMenuAction", "書き出し", {}},
          {"fileSeparator", "", {}},
          {"previewAction", "表示イメージ", QKeySequence(Qt::CTRL | Qt::Key_T)},
          {"rubyPreviewAction", "ルビ表示(&R)", {}},
          {"exitAction", "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_Q)},
          {"recentFileActions0", "", {}},
          {"recentFileActions1", "RecentFile1", {}},
          {"recentFileActions2", "RecentFile2", {}},
          {"recentFileActions3", "RecentFile3", {}},
          {"recentFileActions4", "RecentFile4", {}},
          {"recentFileActions5", "RecentFile5", {}}}},
        {w.editMenu,
         {{"undoAction", "元に戻す", QKeySequence(Qt::CTRL | Qt::Key_Z)},
          {"redoAction", "やり直し", QKeySequence(Qt::CTRL | Qt::Key_R)},
          {"cutAction", "切り取り(&T)", QKeySequence(Qt::CTRL | Qt::Key_X)},
          {"copyAction", "ｺﾋﾟｰ(&C)", QKeySequence(Qt::CTRL | Qt::Key_C)},
          {"pasteAction", "貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V)},
          {"insertSeparatorAction", "漢字セパレータ挿入", QKeySequence(Qt::CTRL | Qt::Key_Y)},
          {"deleteAction", "削除(&L)", QKeySequence(Qt::Key_Delete)},
          {"deleteGroupAction", "拡張削除(&D)", QKeySequence(Qt::CTRL | Qt::Key_D)},
          {"editSeparator", "", {}},
          {"selectAllAction", "すべての範囲を選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A)},
          {"readingsSeparator", "", {}},
          {"addReadingsAction", "読みを自動で付ける", QKeySequence(Qt::CTRL | Qt::Key_K)},
          {"nextReadingAction", "次の読み候補", QKeySequence(Qt::CTRL | Qt::Key_L)}}},
        {w.searchMenu,
         {{"findAction", "検索(&F)", QKeySequence(Qt::CTRL | Qt::Key_F)}, {"findNextAction", "次を検索(&N)", QKeySequence(Qt::Key_F3)},
          {"replaceAction", "置換(&H)", QKeySequence(Qt::CTRL | Qt::Key_H)},
          {"goToLineAction", "行へ移動(&G)", QKeySequence(Qt::CTRL | Qt::Key_G)},
          {"nextFaultAction", "次のエラー行", QKeySequence(Qt::Key_F8)},
          {"previousFaultAction", "前のエラー行", QKeySequence(Qt::SHIFT | Qt::Key_F8)}}},
        {w.optionsMenu, {{"toolStripAction", "ﾂｰﾙﾊﾞｰ表示(&T)", {}}, {"settingsAction", "設定(&S)", {}}}},
        {w.helpMenu, {{"helpAction", "ヘルプの表示(&H)", QKeySequence(Qt::Key_F1)}, {"aboutAction", "バージョン情報(&A)", {}}}},
    };

    const QStringList topCaptions = {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("編集(&E)"),
                                     QStringLiteral("検索(&S)"), QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"),
                                     QStringLiteral("ヘルプ(&H)")};
    const QList<QAction *> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(top[i]->text(), topCaptions[i]);
        EXPECT_EQ(top[i]->menu(), tree[size_t(i)].first);
        EXPECT_TRUE(top[i]->isEnabled());
    }

    for (const auto &[menu, items] : tree) {
        const QList<QAction *> actions = menu->actions();
        ASSERT_EQ(size_t(actions.size()), items.size()) << menu->title().toStdString();
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(items[i].name);
            EXPECT_EQ(actions[qsizetype(i)]->objectName(), QLatin1String(items[i].name));
            EXPECT_EQ(actions[qsizetype(i)]->isSeparator(), *items[i].caption == '\0');
            if (!actions[qsizetype(i)]->isSeparator()) {
                EXPECT_EQ(actions[qsizetype(i)]->text(), QString::fromUtf8(items[i].caption));
            }
            EXPECT_EQ(actions[qsizetype(i)]->shortcut(), items[i].shortcut);
            // Hidden entries cannot be chosen; the rest start enabled.
            if (actions[qsizetype(i)]->isVisible()) {
                EXPECT_TRUE(actions[qsizetype(i)]->isEnabled());
            }
        }
    }
    for (QAction *recent : w.recentFileActions)
        EXPECT_FALSE(recent->isVisible());
    EXPECT_TRUE(w.toolStripAction->isChecked());
}

TEST_F(MainWindowTest, GutterNumbersTheRowsThatFitAndFollowsScrolling)
{
    MainWindow &w = start();
    // 4800 twips of edit area = 240 points = 20 rows of 12 points.
    w.resize(w.width(), w.height() + (320 - w.textEdit->height()));
    ASSERT_EQ(w.textEdit->height(), 320);
    w.refreshLineNumbers();
    EXPECT_EQ(gutterOf(w), gutterLines(1, 20));

    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("行%1").arg(i);
    w.note().setText(lines.join(QStringLiteral("\r\n")));
    w.textEdit->verticalScrollBar()->setValue(57);
    QSignalSpy tick(w.gutterTimer, &QTimer::timeout);
    ASSERT_TRUE(tick.wait(1000));
    EXPECT_EQ(w.topLine, 57);
    EXPECT_EQ(gutterOf(w), gutterLines(58, 20));
}

TEST_F(MainWindowTest, LineCountShowsInTheStatusBar)
{
    MainWindow &w = start();
    w.note().setText(QStringLiteral("a\r\nb\r\nc"));
    w.refreshLineCount();
    EXPECT_EQ(lineCountShown(), lineCountText(3));
    EXPECT_EQ(w.statusPanels->panelText(1), QStringLiteral("全行数：3"));
}

TEST_F(MainWindowTest, HidingTheToolbarMovesTheEditAreaUpAndTheGutterFollows)
{
    MainWindow &w = start();
    const QRect noteBefore = w.textEdit->geometry();
    EXPECT_EQ(noteBefore.top(), 36); // 545 twips
    EXPECT_EQ(w.lineNumbers->geometry().top(), 39); // 585 twips

    w.toolStripAction->trigger();
    EXPECT_TRUE(w.toolStrip->isHidden());
    EXPECT_FALSE(w.toolStripAction->isChecked());
    EXPECT_EQ(w.textEdit->geometry().top(), 0);
    EXPECT_EQ(w.textEdit->geometry().height(), noteBefore.height() + 35);
    EXPECT_EQ(w.lineNumbers->geometry().top(), 3); // 40 twips
    EXPECT_EQ(w.lineNumbers->geometry().height(), w.textEdit->geometry().height() - 21); // 310 twips
    EXPECT_EQ(w.preview->geometry(), w.textEdit->geometry());

    w.toolStripAction->trigger();
    EXPECT_EQ(w.textEdit->geometry(), noteBefore);
    w.toolStrip->hide();
    w.updateOptionsMenu();
    EXPECT_FALSE(w.toolStripAction->isChecked());
}

TEST_F(MainWindowTest, TinyWindowDoesNotBreakTheLayout)
{
    MainWindow &w = start();
    w.resize(20, 20);
    QCoreApplication::processEvents();
    EXPECT_GE(w.textEdit->height(), 0);
    EXPECT_GE(w.lineNumbers->height(), 0);
    w.refreshLineNumbers();
    EXPECT_EQ(gutterOf(w), QString());
}

TEST_F(MainWindowTest, ArgumentOfExactlyTheSizeLimitIsLoadedUpperCasedAndRemembered)
{
    QByteArray bytes = QByteArray("`\x8a\xbf\x8e\x9a`\x82\xa9\x82\xf1\x82\xb6`\r\n");
    bytes += QByteArray(32700 - bytes.size(), 'a');
    ASSERT_EQ(bytes.size(), 32700);
    const QString path = writeFile(QStringLiteral("doc.txt"), bytes);

    MainWindow &w = start(path);
    EXPECT_EQ(modal.calls.size(), 0);
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + path.toUpper());
    EXPECT_EQ(w.documentPath(), path);
    EXPECT_TRUE(w.note().Text().startsWith(QStringLiteral("`漢字`かんじ`\r\naaa")));
    EXPECT_FALSE(modified());
    EXPECT_EQ(program.settings.gRecentFile[0], path);
    EXPECT_TRUE(w.recentFileActions[1]->isVisible());
    EXPECT_EQ(lineCountShown(), lineCountText(2));
    EXPECT_EQ(w.statusPanels->panelText(1), QStringLiteral("全行数：2"));
}

TEST_F(MainWindowTest, ArgumentOneByteOverWhatTheEditAreaHoldsIsRefusedAndTheEditorStartsEmpty)
{
    const QString path = writeFile(QStringLiteral("big.txt"), QByteArray(kMaxOpenBytes + 1, 'a'));
    MainWindow &w = start(path);
    EXPECT_EQ(modal.messages(), QStringList{tooLargeToOpenMessage(kMaxOpenBytes + 1)});
    EXPECT_EQ(modal.calls[0].style, MsgExclamation);
    EXPECT_EQ(modal.calls[0].title, QStringLiteral("Zqe"));
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);
    EXPECT_EQ(w.note().Text(), QString());
    EXPECT_EQ(program.settings.gRecentFile[0], QString());
}

TEST_F(MainWindowTest, RelativeArgumentMeansTheFolderTheEditorWasStartedFrom)
{
    const QString path = writeFile(QStringLiteral("rel.txt"), QByteArray("abc"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(config.path());
    MainWindow &w = start(QStringLiteral("rel.txt"));
    QDir::setCurrent(previous);
    EXPECT_EQ(w.note().Text(), QStringLiteral("abc"));
    EXPECT_EQ(w.documentPath(), path);
}

TEST_F(MainWindowTest, ArgumentNamingNoFileIsReportedAndNotRemembered)
{
    const QString path = config.path() + QStringLiteral("/missing.txt");
    MainWindow &w = start(path);
    EXPECT_EQ(modal.messages(), QStringList{path + QStringLiteral(" ﾌｧｲﾙを開けません。")});
    EXPECT_EQ(modal.calls[0].style, MsgOkOnly);
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);
    EXPECT_EQ(program.settings.gRecentFile[0], QString());
}

TEST_F(MainWindowTest, ArgumentThatIsNotTextIsReportedAndLeavesTheTitleAlone)
{
    const QString binary = writeFile(QStringLiteral("bin.txt"), QByteArray("ab\0cd", 5));
    MainWindow &w = start(binary);
    EXPECT_EQ(modal.messages(), QStringList{QStringLiteral("テキストファイルだけを指定して下さい。\r\n"
                                                           "1 行目 3 文字目に、文字として読めないバイトがあります。")});
    EXPECT_EQ(modal.calls[0].style, MsgExclamation);
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);
    EXPECT_EQ(w.documentPath(), QString());
    EXPECT_FALSE(modified());
}

TEST_F(MainWindowTest, EscInACleanDocumentClosesAndWritesTheSettings)
{
    MainWindow &w = start();
    program.settings.gKanjiColor = 0x00FF00;
    w.move(40, 30);
    QTest::keyClick(w.textEdit, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.imageAbort);
    EXPECT_EQ(storedLong(store, kOptionKey, QStringLiteral("KanjiColor")), 0x00FF00);
    EXPECT_EQ(storedLong(store, kEnvKey, QStringLiteral("EditorLeft")), 40 * 15);
    EXPECT_EQ(storedLong(store, kEnvKey, QStringLiteral("EditorTop")), 30 * 15);
    EXPECT_EQ(storedLong(store, kEnvKey, QStringLiteral("EditorWidth")), w.frameGeometry().width() * 15);
    EXPECT_EQ(storedText(store, kOptionKey, QStringLiteral("UserSparator0")), QStringLiteral("`"));
}

TEST_F(MainWindowTest, EscWhileTheDisplayImageIsBuildingOnlyAsksItToStop)
{
    MainWindow &w = start();
    w.imageBusy = true;
    QTest::keyClick(w.textEdit, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.imageAbort);
    // Nothing was written back: the store still holds the first-run value
    // of a flag the record starts with at 1.
    EXPECT_EQ(storedLong(store, kOptionKey, QStringLiteral("ZeqSparatorDisable")), 0);
    w.imageBusy = false;
}

TEST_F(MainWindowTest, OtherKeysPassToTheEditArea)
{
    MainWindow &w = start();
    w.textEdit->setFocus();
    QTest::keyClicks(w.textEdit, QStringLiteral("ab"));
    EXPECT_EQ(w.note().Text(), QStringLiteral("ab"));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, TypingMarksTheTitleModifiedAndCountsLines)
{
    const QString path = writeFile(QStringLiteral("a.txt"), QByteArray("one"));
    MainWindow &w = start(path);
    EXPECT_EQ(historyCount(), 0); // the load itself is not an edit
    w.textEdit->setFocus();
    w.note().setSelStart(3);
    QTest::keyClick(w.textEdit, Qt::Key_Return);
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + path.toUpper());
    EXPECT_TRUE(modified());
    EXPECT_TRUE(window->imageDirty);
    EXPECT_EQ(w.statusPanels->panelText(1), QStringLiteral("全行数：2"));
    EXPECT_EQ(historyCount(), 1);
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("one"));
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + path.toUpper());
}

TEST_F(MainWindowTest, EditKeysRunTheEditorsOwnUndoAndRedo)
{
    MainWindow &w = start();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.textEdit->setFocus();
    QTest::keyClicks(w.textEdit, QStringLiteral("abc"));
    QTest::keyClick(w.textEdit, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.textEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.note().Text(), QStringLiteral("a"));
    EXPECT_EQ(historyIndex(), 1);
    QTest::keyClick(w.textEdit, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(w.note().Text(), QStringLiteral("ab"));
    EXPECT_EQ(historyCount(), 3);
    EXPECT_TRUE(modified());
}

TEST_F(MainWindowTest, ExitMenuClosesTheWindowThroughTheCloseRequest)
{
    MainWindow &w = start();
    w.exitAction->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.imageAbort);
}

TEST_F(MainWindowTest, StoredPlacementAndOptionsAreAppliedAtStart)
{
    {
        MainWindow &first = start();
        first.close();
    }
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnvKey, QStringLiteral("EditorLeft"),
                             RegValue{REG_DWORD, QByteArray("\x2c\x01\x00\x00", 4)}), kErrorSuccess); // 300
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnvKey, QStringLiteral("EditorWidth"),
                             RegValue{REG_DWORD, QByteArray("\x70\x17\x00\x00", 4)}), kErrorSuccess); // 6000
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kOptionKey, QStringLiteral("ZeqFontSize"),
                             RegValue{REG_DWORD, QByteArray("\x10\x00\x00\x00", 4)}), kErrorSuccess); // 16
    Session second;
    MainWindow w(second, modal, store);
    w.startUp();
    EXPECT_EQ(w.frameGeometry().left(), 20);
    EXPECT_EQ(w.frameGeometry().width(), 400);
    EXPECT_EQ(w.textEdit->font().pointSize(), 16);
    EXPECT_EQ(w.lineNumbers->font().pointSize(), 16);
    EXPECT_EQ(w.preview->font().pointSize(), 16);
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(MainWindowTest, UnusableStoreStartsWithDefaultsAndReportsEveryValueAtExit)
{
    // A regular file where the store's folder should be: nothing can be created.
    QFile blocker(config.path() + QStringLiteral("/ZeqSoft"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    MainWindow &w = start();
    const QStringList atStart = modal.messages();
    ASSERT_EQ(atStart.size(), 3);
    EXPECT_TRUE(atStart[0].endsWith(kEnvKey + QStringLiteral("レジストリの作成に失敗しました。")));
    EXPECT_EQ(atStart[1], QStringLiteral("CURRENT_USER レジストリを作成できません。"));
    EXPECT_EQ(atStart[2], QStringLiteral("デフォルトの設定で起動します。"));
    EXPECT_EQ(program.settings.gZeqFontSize, 12);
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);

    modal.calls.clear();
    w.close();
    EXPECT_EQ(modal.messages().size(), 23);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, PartlyUnreadableSettingsAreReportedOnceAndTheRestIsUsed)
{
    ASSERT_TRUE(QDir().mkpath(config.path() + QStringLiteral("/ZeqSoft")));
    writeFile(QStringLiteral("ZeqSoft/registry.reg"),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Env]\n"
              "[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Option]\n"
              "\"UserSparator0\"=\"|\"\n\"UserSparator1\"=\"|\"\n\"UserSparator2\"=\"|\"\n"
              "\"KanjiColor\"=\"ff\n");
    start();
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].style, MsgExclamation);
    EXPECT_TRUE(modal.calls[0].text.contains(QStringLiteral("漢字の色"))) << modal.calls[0].text.toStdString();
    EXPECT_TRUE(modal.calls[0].text.contains(store.quarantinedPath()));
    EXPECT_EQ(program.settings.gUserSparator, (std::array<QString, 3>{"|", "|", "|"}));
}

} // namespace
} // namespace zeq
