// The document commands as the user drives them: New, Open, Save, Save As,
// the save-changes prompt, dropped files and the recent-files menu, answered
// through the scripted modal seam and checked on the title, the modified
// flag, the history, the recent list and the bytes on disk.

#include "app/mainwindow.h"
#include "app/title.h"
#include "document/docfile.h"
#include "platform/codepage.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "platform/textbox.h"
#include "settings/settings.h"
#include "support/mainwindow.h"
#include "support/cp932corpus.h"
#include "support/filesizecap.h"
#include "support/qtprint.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>

namespace zeq {
namespace {

const QString kNotText = QStringLiteral("テキストファイルだけを指定して下さい。");

QString promptText(const QString &name)
{
    return QStringLiteral("ﾌｧｲﾙ [") + name + QStringLiteral("] 内のテキストは変更されています。\r\n保存しますか ?");
}

class DocumentTest : public test::MainWindowFixture {
protected:
    DocumentTest()
    {
        a = writeFile(QStringLiteral("Doc_a.txt"), cp932(textA));
        b = writeFile(QStringLiteral("Doc_b.txt"), cp932(textB));
        big = writeFile(QStringLiteral("big.txt"), QByteArray(kMaxOpenBytes + 1, 'a'));
        c = config.path() + QStringLiteral("/Doc_c.txt");
    }

    // Document a loaded at start-up, then one character typed at its start:
    // modified, one history entry, a in the recent list.
    MainWindow &startModified()
    {
        MainWindow &w = start(a);
        w.note().setSelStart(0);
        w.note().setSelText(QStringLiteral("x"));
        EXPECT_TRUE(modified());
        EXPECT_EQ(w.windowTitle(), kModifiedPrefix + a.toUpper());
        EXPECT_EQ(historyIndex(), 1);
        return w;
    }

    QStringList recentList() const
    {
        return QStringList(program.settings.gRecentFile.begin(), program.settings.gRecentFile.end());
    }

    // The paths the recent menu shows, in order.
    QStringList recentMenu() const
    {
        QStringList shown;
        for (int i = 1; i <= 5; ++i) {
            if (window->recentFileActions[i]->isVisible())
                shown.append(window->recentFileActions[i]->data().toString());
        }
        return shown;
    }

    // A drag from a file manager as the edit area sees it: the drag enters
    // (Qt delivers a drop only to the widget that took the drag), then drops.
    void sendDrop(const QMimeData &mime)
    {
        QWidget *area = window->textEdit->viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(area, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    }

    void sendDrop(const QStringList &paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        mime.setUrls(urls);
        sendDrop(mime);
    }

    QList<ScriptedModal::Call> callsOf(ScriptedModal::Kind kind) const
    {
        QList<ScriptedModal::Call> found;
        for (const ScriptedModal::Call &call : modal.calls) {
            if (call.kind == kind)
                found.append(call);
        }
        return found;
    }

    const QString textA = QStringLiteral("`漢字`かんじ`の\r\nabc");
    const QString textB = QStringLiteral("二行目\r\nです");
    QString a, b, c, big;
};

// --- the state each command leaves behind -----------------------------------

// Paths in a row are named by letter: a and b exist, c does not, B is the
// 32701-byte file, X cannot be written (its folder is a file).
struct StateRow {
    const char *name;
    std::deque<int> answers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    void (*act)(MainWindow &, const QStringList &dropped);
    // Prefix 'c' clean or 'm' modified, then a path letter (upper case in
    // the title when followed by '^') or 無題.
    QString title;
    bool modified;
    int undoCount;
    QStringList recent;      // letters, newest first
    QString text;            // "xa" is a with the typed x
    QByteArray aOnDisk;      // "a" unchanged, "xa" written
    bool cWritten;
    QStringList messages;    // "prompt", "large", or "error"
    QStringList dropped = {};
};

class DocumentStateTest : public DocumentTest, public ::testing::WithParamInterface<StateRow> {
protected:
    QString pathOf(QChar letter) const
    {
        switch (letter.unicode()) {
        case 'a': return a;
        case 'b': return b;
        case 'c': return c;
        case 'B': return big;
        case 'X': return config.path() + QStringLiteral("/Doc_a.txt/x.txt");
        default: return QString();
        }
    }
    QString resolveTitle(const QString &token) const
    {
        const QString prefix = token.startsWith(u'c') ? kCleanPrefix : kModifiedPrefix;
        const QString rest = token.mid(1);
        if (rest == kUntitled)
            return prefix + kUntitled;
        const QString path = pathOf(rest.at(0));
        return prefix + (rest.endsWith(u'^') ? path.toUpper() : path);
    }
    QString resolveText(const QString &token) const
    {
        if (token == QLatin1String("xa"))
            return QStringLiteral("x") + textA;
        if (token == QLatin1String("a"))
            return textA;
        if (token == QLatin1String("b"))
            return textB;
        return QString();
    }
};

TEST_P(DocumentStateTest, LeavesTitleFlagHistoryRecentListAndFiles)
{
    const StateRow &row = GetParam();
    MainWindow &w = startModified();
    modal.calls.clear();
    modal.messageAnswers = row.answers;
    for (const QString &letter : row.openAnswers)
        modal.openAnswers.push_back(letter.isEmpty() ? QString() : pathOf(letter.at(0)));
    for (const QString &letter : row.saveAnswers)
        modal.saveAnswers.push_back(letter.isEmpty() ? QString() : pathOf(letter.at(0)));
    const QString modifiedTitleBefore = w.windowTitle();
    QStringList dropped;
    for (const QString &letter : row.dropped)
        dropped.append(pathOf(letter.at(0)));

    row.act(w, dropped);

    EXPECT_EQ(w.windowTitle(), resolveTitle(row.title));
    EXPECT_EQ(modified(), row.modified);
    EXPECT_EQ(historyIndex(), row.undoCount);
    EXPECT_EQ(historyCount(), row.undoCount);
    QStringList recent;
    for (const QString &letter : row.recent)
        recent.append(pathOf(letter.at(0)));
    while (recent.size() < 5)
        recent.append(QString());
    EXPECT_EQ(recentList(), recent);
    EXPECT_EQ(w.note().Text(), resolveText(row.text));
    EXPECT_EQ(readFile(a), cp932(resolveText(QString::fromLatin1(row.aOnDisk))));
    EXPECT_EQ(QFileInfo::exists(c), row.cWritten);
    if (row.cWritten) {
        EXPECT_EQ(readFile(c), cp932(QStringLiteral("x") + textA));
    }
    const QStringList shown = modal.messages();
    ASSERT_EQ(shown.size(), row.messages.size()) << shown.join(u'|').toStdString();
    const QList<ScriptedModal::Call> messageCalls = callsOf(ScriptedModal::Kind::Message);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const ScriptedModal::Call &call = messageCalls[i];
        if (row.messages[i] == QLatin1String("prompt")) {
            // The prompt names the title's name part and carries the title.
            EXPECT_EQ(call.text, promptText(a.toUpper()));
            EXPECT_EQ(call.style, MsgYesNoCancelExclamation);
            EXPECT_EQ(call.title, modifiedTitleBefore);
        } else if (row.messages[i] == QLatin1String("large")) {
            EXPECT_EQ(call.text, tooLargeToOpenMessage(kMaxOpenBytes + 1));
            EXPECT_EQ(call.style, MsgExclamation);
            EXPECT_EQ(call.title, kAppTitle);
        } else {
            // The failure names the file, says it was not saved and why.
            EXPECT_TRUE(call.text.contains(pathOf(u'X'))) << call.text.toStdString();
            EXPECT_TRUE(call.text.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR)))) << call.text.toStdString();
            EXPECT_EQ(call.style, MsgExclamation);
            EXPECT_EQ(call.title, kAppTitle);
        }
    }

    // Whatever the command did, the next edit is recorded and undone
    // exactly: no load left half prepared behind it.
    const QString before = w.note().Text();
    w.note().setSelStart(0);
    w.note().setSelText(QStringLiteral("y"));
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), before);
    EXPECT_EQ(historyIndex(), row.undoCount);
}

void doNew(MainWindow &w, const QStringList &) { w.newAction->trigger(); }
void doOpen(MainWindow &w, const QStringList &) { w.openAction->trigger(); }
void doSave(MainWindow &w, const QStringList &) { w.saveAction->trigger(); }
void doSaveAs(MainWindow &w, const QStringList &) { w.saveAsAction->trigger(); }
void doDrop(MainWindow &w, const QStringList &files) { w.dropFiles(files); }
void doRecent1(MainWindow &w, const QStringList &) { w.recentFileActions[1]->trigger(); }
void doClose(MainWindow &w, const QStringList &) { w.close(); }

const int Yes = AnswerYes, No = AnswerNo, Cancel = AnswerCancel;

INSTANTIATE_TEST_SUITE_P(
    Commands, DocumentStateTest,
    ::testing::Values(
        // Every load, New included, starts a fresh history.
        StateRow{"NewAnsweredNo", {No}, {}, {}, doNew, "c無題", false, 0, {"a"}, "", "a", false, {"prompt"}},
        StateRow{"NewAnsweredYesSavesFirst", {Yes}, {}, {}, doNew, "c無題", false, 0, {"a"}, "", "xa", false,
                 {"prompt"}},
        StateRow{"NewCancelled", {Cancel}, {}, {}, doNew, "ma^", true, 1, {"a"}, "xa", "a", false, {"prompt"}},
        StateRow{"OpenLoads", {No}, {"b"}, {}, doOpen, "cb^", false, 0, {"b", "a"}, "b", "a", false, {"prompt"}},
        StateRow{"OpenAnsweredYesSavesThenLoads", {Yes}, {"b"}, {}, doOpen, "cb^", false, 0, {"b", "a"}, "b",
                 "xa", false, {"prompt"}},
        // A load that does not happen leaves text, history and state alone.
        StateRow{"OpenDialogCancelled", {No}, {""}, {}, doOpen, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt"}},
        StateRow{"OpenPromptCancelled", {Cancel}, {}, {}, doOpen, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt"}},
        StateRow{"OpenRefusesTooLarge", {No}, {"B"}, {}, doOpen, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt", "large"}},
        StateRow{"DropLoads", {No}, {}, {}, doDrop, "cb^", false, 0, {"b", "a"}, "b", "a", false, {"prompt"},
                 {"b"}},
        StateRow{"DropPromptCancelled", {Cancel}, {}, {}, doDrop, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt"}, {"b"}},
        StateRow{"DropRefusesTooLarge", {No}, {}, {}, doDrop, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt", "large"}, {"B"}},
        // Writes name the real path, not the upper-cased one in the title.
        StateRow{"SaveWritesToTheRealPath", {}, {}, {}, doSave, "ca", false, 1, {"a"}, "xa", "xa", false, {}},
        StateRow{"SaveAsWritesAndRemembers", {}, {}, {"c"}, doSaveAs, "cc", false, 1, {"c", "a"}, "xa", "a",
                 true, {}},
        StateRow{"SaveAsCancelled", {}, {}, {""}, doSaveAs, "ma^", true, 1, {"a"}, "xa", "a", false, {}},
        StateRow{"SaveAsFailingIsReportedAndStillRemembered", {}, {}, {"X"}, doSaveAs, "ma^", true, 1,
                 {"X", "a"}, "xa", "a", false, {"error"}},
        // A recent file asks before it replaces unsaved text, like Open.
        StateRow{"RecentFileAnsweredNo", {No}, {}, {}, doRecent1, "ca^", false, 0, {"a"}, "a", "a", false,
                 {"prompt"}},
        StateRow{"RecentFileCancelled", {Cancel}, {}, {}, doRecent1, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt"}},
        StateRow{"CloseAnsweredYesSaves", {Yes}, {}, {}, doClose, "ca", false, 1, {"a"}, "xa", "xa", false,
                 {"prompt"}},
        StateRow{"CloseCancelled", {Cancel}, {}, {}, doClose, "ma^", true, 1, {"a"}, "xa", "a", false,
                 {"prompt"}}),
    [](const ::testing::TestParamInfo<StateRow> &info) { return std::string(info.param.name); });

// --- prompts, proposals and dialogs -------------------------------------------

TEST_F(DocumentTest, SaveDialogsProposeTheNamesOfTheirCaller)
{
    MainWindow &w = start();
    // Untitled: Save proposes nothing, Save As "Untitled.txt"; both cancelled.
    w.note().setSelText(QStringLiteral("new"));
    w.saveAction->trigger();
    w.saveAsAction->trigger();
    // The prompt's Yes proposes "untitled.txt"; cancelling it cancels New.
    modal.messageAnswers = {AnswerYes};
    w.newAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("new"));
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + kUntitled);
    EXPECT_TRUE(modified());

    // With a file: Save As proposes the real path, which the title shows in
    // upper case.
    modal.messageAnswers = {AnswerNo};
    modal.openAnswers = {a};
    w.openAction->trigger();
    ASSERT_EQ(w.documentPath(), a);
    w.saveAsAction->trigger();

    const QList<ScriptedModal::Call> saves = callsOf(ScriptedModal::Kind::SaveFile);
    ASSERT_EQ(saves.size(), 4);
    EXPECT_EQ(saves[0].text, QString());
    EXPECT_EQ(saves[1].text, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(saves[2].text, QStringLiteral("untitled.txt"));
    EXPECT_EQ(saves[3].text, a);
    const QList<ScriptedModal::Call> opens = callsOf(ScriptedModal::Kind::OpenFile);
    ASSERT_EQ(opens.size(), 1);
    EXPECT_EQ(opens[0].text, QString());
    // "All files" shows names without a dot; an opened name is used as
    // typed; untitled dialogs start at home, the others beside the file.
    for (const ScriptedModal::Call &call : saves + opens) {
        EXPECT_EQ(call.file.filters,
                  (QStringList{QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")}));
    }
    for (const ScriptedModal::Call &call : saves)
        EXPECT_EQ(call.file.defaultSuffix, QStringLiteral("txt"));
    EXPECT_EQ(opens[0].file.defaultSuffix, QString());
    EXPECT_EQ(opens[0].file.directory, QDir::homePath());
    EXPECT_EQ(saves[0].file.directory, QDir::homePath());
    EXPECT_EQ(saves[3].file.directory, QFileInfo(a).absolutePath());
    // Nothing was written by the cancelled dialogs.
    EXPECT_EQ(QDir(config.path()).entryList(QStringList{QStringLiteral("*tled*")}, QDir::Files), QStringList());
}

TEST_F(DocumentTest, PromptOnAnUntitledDocumentSavesUnderTheChosenName)
{
    MainWindow &w = start();
    w.note().setSelText(QStringLiteral("draft"));
    modal.messageAnswers = {AnswerYes};
    modal.saveAnswers = {c};
    modal.openAnswers = {b};
    w.openAction->trigger();
    EXPECT_EQ(modal.calls[0].text, promptText(kUntitled));
    EXPECT_EQ(modal.calls[0].title, kModifiedPrefix + kUntitled);
    EXPECT_EQ(readFile(c), QByteArray("draft"));
    // Saved by the prompt, then b loaded; the prompt's save is not remembered.
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + b.toUpper());
    EXPECT_EQ(recentList(), (QStringList{b, "", "", "", ""}));
}

TEST_F(DocumentTest, NewAfterNoStartsAFreshHistoryAndClosesWithoutAsking)
{
    MainWindow &w = startModified();
    modal.messageAnswers = {AnswerNo};
    w.newAction->trigger();
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QString());
    EXPECT_FALSE(modified());

    modal.calls.clear();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(modal.calls.size(), 0);
}

// A cancelled Open used to leave a load half prepared: the next edit went
// unrecorded and a later undo removed the wrong character.
TEST_F(DocumentTest, OpenCancelledKeepsTheHistoryAndRecordsTheNextEdit)
{
    MainWindow &w = start();
    w.note().setSelText(QStringLiteral("a"));
    modal.messageAnswers = {AnswerNo};
    w.openAction->trigger();
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + kUntitled);
    EXPECT_EQ(historyCount(), 1);
    w.note().setSelText(QStringLiteral("b"));
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("a"));
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QString());
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);
}

// Faults seen by a user: after a drop the old history replayed old positions
// on the new text, and undo or redo left the line count behind.
TEST_F(DocumentTest, AfterADropUndoCannotReachIntoTheOldTextAndTheLineCountFollowsUndo)
{
    const QString digits = writeFile(QStringLiteral("digits.txt"), QByteArray("0123456789"));
    MainWindow &w = start();
    w.note().setSelText(QStringLiteral("abcdef"));
    modal.saveAnswers = {c};
    w.saveAction->trigger();
    w.note().setSelText(QStringLiteral("XYZ"));
    modal.messageAnswers = {AnswerNo};
    sendDrop({digits});
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("0123456789"));
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + digits.toUpper());

    w.note().setSelStart(10);
    w.note().setSelText(QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(lineCountShown(), lineCountText(3));
    w.undoAction->trigger();
    EXPECT_EQ(lineCountShown(), lineCountText(1));
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + digits.toUpper()) << "undone back to the loaded text";
    w.redoAction->trigger();
    EXPECT_EQ(lineCountShown(), lineCountText(3));
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + digits.toUpper());
}

// --- size limit ---------------------------------------------------------------

// The companion reads 32,700 bytes; the editor opens more with a warning
// (it used to save such files and then refuse to open them) and refuses only
// what the edit area cannot hold.
TEST_F(DocumentTest, SizeLimitsAreTheSameForOpenDropAndStartUp)
{
    enum class Way { Open, Drop, StartUp };
    const struct {
        const char *name;
        Way way;
        qint64 size;
    } cases[] = {
        {"Open 32700", Way::Open, 32700},   {"Open 32701", Way::Open, 32701},
        {"Open too large", Way::Open, kMaxOpenBytes + 1},
        {"drop 32700", Way::Drop, 32700},   {"drop 32701", Way::Drop, 32701},
        {"drop too large", Way::Drop, kMaxOpenBytes + 1},
        {"start 32700", Way::StartUp, 32700}, {"start 32701", Way::StartUp, 32701},
        {"start too large", Way::StartUp, kMaxOpenBytes + 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = QByteArray("\x8a\xbf\x8e\x9a\r\n");
        bytes += QByteArray(c.size - bytes.size(), 'z');
        const QString path = writeFile(QStringLiteral("limit.txt"), bytes);
        program = Session();
        modal.calls.clear();
        MainWindow &w = start(c.way == Way::StartUp ? path : QString());
        if (c.way == Way::Open) {
            modal.openAnswers = {path};
            w.openAction->trigger();
        } else if (c.way == Way::Drop) {
            w.dropFiles({path});
        }
        if (c.size > kMaxOpenBytes) {
            EXPECT_EQ(modal.messages(), QStringList{tooLargeToOpenMessage(c.size)});
            EXPECT_EQ(w.windowTitle(), kCleanPrefix + kUntitled);
            EXPECT_EQ(w.note().Text(), QString());
        } else {
            const QStringList warned = c.size > MAX_FILE_BYTES ? QStringList{largeFileOpenWarning(c.size)} : QStringList();
            EXPECT_EQ(modal.messages(), warned);
            EXPECT_EQ(w.windowTitle(), kCleanPrefix + path.toUpper());
            EXPECT_EQ(w.note().textLength(), c.size - 4 + 2);
            EXPECT_EQ(lineCountShown(), lineCountText(2));
        }
        window.reset();
    }
}

TEST_F(DocumentTest, SavingMoreThanTheCompanionReadsSavesAndWarns)
{
    MainWindow &w = start(a);
    w.note().setSelText(QString(MAX_FILE_BYTES, u'w'));
    modal.calls.clear();
    w.saveAction->trigger();
    const qint64 size = QFileInfo(a).size();
    EXPECT_GT(size, MAX_FILE_BYTES);
    EXPECT_EQ(modal.messages(), QStringList{largeFileSaveWarning(a, size)});
    EXPECT_FALSE(modified());
}

// --- dropped files ----------------------------------------------------------

TEST_F(DocumentTest, DroppingThreeFilesLoadsOnlyTheFirst)
{
    MainWindow &w = start();
    const QString third = writeFile(QStringLiteral("third.txt"), QByteArray("3"));
    sendDrop({b, a, third});
    EXPECT_EQ(w.note().Text(), textB);
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + b.toUpper());
    EXPECT_EQ(w.documentPath(), b);
    EXPECT_EQ(recentList(), (QStringList{b, "", "", "", ""}));
    EXPECT_EQ(modal.calls.size(), 0);
    EXPECT_EQ(lineCountShown(), lineCountText(2));
}

TEST_F(DocumentTest, DropOnAModifiedDocumentAsksFirstAndBringsTheWindowForward)
{
    MainWindow &w = startModified();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    modal.calls.clear();
    modal.messageAnswers = {AnswerNo};
    sendDrop({b});
    EXPECT_EQ(modal.messages(), QStringList{promptText(a.toUpper())});
    EXPECT_EQ(w.note().Text(), textB);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
}

TEST_F(DocumentTest, DropsWithoutFilesAreIgnored)
{
    MainWindow &w = start(a);
    QMimeData text;
    text.setText(QStringLiteral("dragged words"));
    sendDrop(text);
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.com/a.txt"))});
    sendDrop(web);
    EXPECT_EQ(w.note().Text(), textA);
    EXPECT_EQ(w.documentPath(), a);
    EXPECT_EQ(recentList(), (QStringList{a, "", "", "", ""}));
    EXPECT_EQ(modal.calls.size(), 0);
}

// --- reading failures -------------------------------------------------------

TEST_F(DocumentTest, AFileThatIsNotTextLeavesTheTextWithItsOwnFile)
{
    const QString binary = writeFile(QStringLiteral("bin.txt"), QByteArray("ab\0\x80", 4));
    const struct {
        const char *name;
        QString startWith;   // "" untitled
    } cases[] = {{"after a file", a}, {"untitled", QString()}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        program = Session();
        modal.calls.clear();
        MainWindow &w = start(c.startWith);
        w.note().setSelText(QStringLiteral("edit "));
        const QString kept = w.note().Text();
        modal.messageAnswers = {AnswerNo};
        modal.openAnswers = {binary};
        w.openAction->trigger();

        EXPECT_EQ(modal.messages(),
                  (QStringList{promptText(c.startWith.isEmpty() ? kUntitled : a.toUpper()),
                               kNotText + QStringLiteral("\r\n1 行目 3 文字目に、文字として読めないバイトがあります。")}));
        EXPECT_EQ(callsOf(ScriptedModal::Kind::Message).value(1).style, MsgExclamation);
        // The unsaved edit is still unsaved: closing would still ask.
        EXPECT_TRUE(modified());
        EXPECT_EQ(w.note().Text(), kept);
        EXPECT_EQ(w.windowTitle(), kModifiedPrefix + (c.startWith.isEmpty() ? kUntitled : a.toUpper()));
        EXPECT_EQ(w.documentPath(), c.startWith);

        // Save goes where the text came from, never over the binary file.
        modal.saveAnswers = {QString()};
        w.saveAction->trigger();
        EXPECT_EQ(readFile(binary), QByteArray("ab\0\x80", 4));
        if (c.startWith.isEmpty()) {
            EXPECT_EQ(callsOf(ScriptedModal::Kind::SaveFile).size(), 1);
        } else {
            EXPECT_EQ(readFile(a), cp932(kept));
        }
        window.reset();
    }
}

TEST_F(DocumentTest, ARecentFileThatIsGoneIsReportedAndStaysListed)
{
    const QString gone = writeFile(QStringLiteral("gone.txt"), QByteArray("soon gone"));
    MainWindow &w = start(gone);
    QFile::remove(gone);
    w.note().setSelText(QStringLiteral("kept"));
    modal.calls.clear();
    modal.messageAnswers = {AnswerNo};
    w.recentFileActions[1]->trigger();
    EXPECT_EQ(modal.messages(), (QStringList{promptText(gone.toUpper()), gone + QStringLiteral(" ﾌｧｲﾙを開けません。")}));
    EXPECT_EQ(modal.calls[1].style, MsgOkOnly);
    EXPECT_EQ(w.note().Text(), QStringLiteral("keptsoon gone"));
    EXPECT_EQ(recentMenu(), QStringList{gone});
}

TEST_F(DocumentTest, ReloadingTheTextAlreadyShownStillRecordsTheNextEdit)
{
    MainWindow &w = start(a);
    w.recentFileActions[1]->trigger();
    EXPECT_EQ(w.note().Text(), textA);
    w.note().setSelText(QStringLiteral("y"));
    EXPECT_EQ(historyCount(), 1);
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + a.toUpper());
    w.undoAction->trigger();
    EXPECT_EQ(w.note().Text(), textA);
}

// --- writing ----------------------------------------------------------------

TEST_F(DocumentTest, TextWithoutACodeIsRefusedWithItsPlaceAndNothingIsWritten)
{
    MainWindow &w = start(a);
    w.note().setSelStart(w.note().textLength());
    // A character without any CP932 stand-in: nothing to offer.
    w.note().setSelText(QStringLiteral("\r\n12😀3"));
    const QString title = w.windowTitle();
    modal.calls.clear();
    modal.saveAnswers = {c};
    w.saveAction->trigger();
    w.saveAsAction->trigger();
    ASSERT_EQ(modal.messages().size(), 2);
    EXPECT_EQ(modal.messages()[0], modal.messages()[1]);
    EXPECT_TRUE(modal.messages()[0].contains(QStringLiteral("3 行目 3 文字目 U+1F600「😀」"))) << modal.messages()[0].toStdString();
    EXPECT_EQ(modal.calls[0].style, MsgExclamation);
    EXPECT_EQ(w.note().SelText(), QStringLiteral("😀"));
    EXPECT_EQ(readFile(a), cp932(textA));
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_EQ(w.windowTitle(), title);
    EXPECT_TRUE(modified());
}

TEST_F(DocumentTest, AFailingWriteKeepsTheOldFileAndShowsTheSystemError)
{
    MainWindow &w = start(a);
    w.note().setSelText(QString(8000, u'w'));
    modal.calls.clear();
    {
        test::FileSizeCap cap(4096);
        ASSERT_TRUE(cap.active());
        w.saveAction->trigger();
    }
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.calls[0].text.contains(a)) << "names the file";
    EXPECT_TRUE(modal.calls[0].text.contains(QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_EQ(modal.calls[0].style, MsgExclamation);
    EXPECT_EQ(modal.calls[0].title, kAppTitle);
    EXPECT_EQ(readFile(a), cp932(textA));
    EXPECT_EQ(QDir(config.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // a, b and big only
    EXPECT_EQ(w.windowTitle(), kModifiedPrefix + a.toUpper());
    EXPECT_TRUE(modified());

    // Once there is room again the same Save goes through.
    w.saveAction->trigger();
    EXPECT_EQ(readFile(a), cp932(QString(8000, u'w') + textA));
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + a);
}

TEST_F(DocumentTest, AFailedSaveInThePromptKeepsTheTextAndStopsTheCommand)
{
    // A character without any CP932 stand-in, so the refusal offers nothing.
    const QString refusal = QStringLiteral("1 行目 2 文字目 U+1F600「😀」");
    const struct {
        const char *name;
        void (*act)(MainWindow &, const QString &dropped);
    } cases[] = {
        {"New", [](MainWindow &w, const QString &) { w.newAction->trigger(); }},
        {"Open", [](MainWindow &w, const QString &) { w.openAction->trigger(); }},
        {"drop", [](MainWindow &w, const QString &dropped) { w.dropFiles({dropped}); }},
        {"close", [](MainWindow &w, const QString &) { w.close(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        program = Session();
        modal.calls.clear();
        MainWindow &w = start(a);
        w.note().setSelStart(1);
        w.note().setSelText(QStringLiteral("😀"));
        const QString text = w.note().Text();
        modal.messageAnswers = {AnswerYes};
        modal.openAnswers = {b};
        c.act(w, b);
        ASSERT_EQ(modal.messages().size(), 2);
        EXPECT_EQ(modal.messages()[0], promptText(a.toUpper()));
        EXPECT_TRUE(modal.messages()[1].contains(refusal));
        EXPECT_EQ(callsOf(ScriptedModal::Kind::OpenFile).size(), 0);
        EXPECT_EQ(w.note().Text(), text);
        EXPECT_TRUE(modified());
        EXPECT_EQ(w.windowTitle(), kModifiedPrefix + a.toUpper());
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(readFile(a), cp932(textA));
        window.reset();
    }
}

TEST_F(DocumentTest, EveryCharacterOfTheCodePageSurvivesOpenAndSave)
{
    int doubles = 0;
    const QByteArray document = test::everyCharacterDocument(&doubles);
    ASSERT_EQ(doubles, 7724 - 398 + 1880);
    ASSERT_LE(document.size(), MAX_FILE_BYTES);
    const QString path = writeFile(QStringLiteral("every.txt"), document);
    MainWindow &w = start();
    modal.openAnswers = {path};
    w.openAction->trigger();
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_FALSE(modified());
    QFile::remove(path);
    w.saveAction->trigger();
    EXPECT_EQ(modal.messages(), QStringList());
    EXPECT_EQ(readFile(path), document);
}

TEST_F(DocumentTest, LoneLineEndsAreWrittenBackAsCrLf)
{
    const QString path = writeFile(QStringLiteral("unix.txt"), QByteArray("one\ntwo\rthree\r\n"));
    MainWindow &w = start(path);
    w.saveAction->trigger();
    EXPECT_EQ(readFile(path), QByteArray("one\r\ntwo\r\nthree\r\n"));
}

// --- the recent-files list --------------------------------------------------

TEST_F(DocumentTest, RecentListKeepsFiveNewestFirstAndOnlyTheFifthEntryMoves)
{
    QStringList files;
    for (int i = 1; i <= 6; ++i)
        files.append(writeFile(QStringLiteral("r%1.txt").arg(i), QByteArray::number(i)));
    MainWindow &w = start();
    auto open = [&](const QString &path) {
        modal.openAnswers = {path};
        w.openAction->trigger();
    };
    for (int i = 0; i < 5; ++i)
        open(files[i]);
    EXPECT_EQ(recentMenu(), (QStringList{files[4], files[3], files[2], files[1], files[0]}));
    EXPECT_TRUE(w.recentFileActions[0]->isVisible());

    open(files[5]);
    EXPECT_EQ(recentMenu(), (QStringList{files[5], files[4], files[3], files[2], files[1]}));
    // Entry 2 stays where it is.
    open(files[4]);
    EXPECT_EQ(recentMenu(), (QStringList{files[5], files[4], files[3], files[2], files[1]}));
    // Entry 5 is not found among the first four: it comes back to the top.
    open(files[1]);
    EXPECT_EQ(recentMenu(), (QStringList{files[1], files[5], files[4], files[3], files[2]}));
    EXPECT_EQ(recentList(), recentMenu());

    // Choosing an entry loads it and leaves the order alone.
    w.recentFileActions[3]->trigger();
    EXPECT_EQ(w.note().Text(), QStringLiteral("5"));
    EXPECT_EQ(w.documentPath(), files[4]);
    EXPECT_EQ(recentMenu(), (QStringList{files[1], files[5], files[4], files[3], files[2]}));
}

TEST_F(DocumentTest, RecentPathsDifferingOnlyInCaseAreTwoEntries)
{
    const QString lower = writeFile(QStringLiteral("case.txt"), QByteArray("lower"));
    const QString upper = writeFile(QStringLiteral("CASE.TXT"), QByteArray("upper"));
    MainWindow &w = start(upper);
    w.dropFiles({lower});
    EXPECT_EQ(recentMenu(), (QStringList{lower, upper}));
    // The titles look alike, the files are not: Save writes the one loaded.
    EXPECT_EQ(w.windowTitle(), kCleanPrefix + upper.toUpper());
    EXPECT_EQ(lower.toUpper(), upper.toUpper());
    w.note().setSelText(QStringLiteral("more "));
    w.saveAction->trigger();
    EXPECT_EQ(readFile(lower), QByteArray("more lower"));
    EXPECT_EQ(readFile(upper), QByteArray("upper"));
}

TEST_F(DocumentTest, AnEmptyStoredFirstEntryEndsTheList)
{
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnvKey, &disposition), kErrorSuccess);
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kRecentKey, &disposition), kErrorSuccess);
    auto stored = [](const QString &text) { return RegValue{REG_SZ, cp932(text) + QByteArray(1, '\0')}; };
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kRecentKey, QStringLiteral("RecentFile0"), stored(QString())),
              kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kRecentKey, QStringLiteral("RecentFile1"), stored(b)),
              kErrorSuccess);
    MainWindow &w = start();
    EXPECT_EQ(recentMenu(), QStringList());
    EXPECT_FALSE(w.recentFileActions[0]->isVisible());

    modal.openAnswers = {a};
    w.openAction->trigger();
    EXPECT_EQ(recentList(), (QStringList{a, "", b, "", ""}));
    EXPECT_EQ(recentMenu(), QStringList{a});
}

} // namespace
} // namespace zeq

namespace zeq {
namespace {

TEST_F(DocumentTest, SaveListsEveryCharacterWithoutACodeAndReplacesTheStandardOnesAsOneUndo)
{
    MainWindow &w = start(a);
    const QString original = QStringLiteral("〜—x\r\n−¥\u200B😀");
    w.note().setText(QString());
    w.note().setSelText(original);
    modal.calls.clear();
    modal.messageAnswers = {AnswerYes};
    w.saveAction->trigger();

    ASSERT_EQ(modal.messages().size(), 1);
    const QString listing = modal.messages()[0];
    for (const char *place : {"1 行目 1 文字目 U+301C", "1 行目 2 文字目 U+2014", "2 行目 1 文字目 U+2212",
                              "2 行目 2 文字目 U+00A5", "2 行目 3 文字目 U+200B", "2 行目 4 文字目 U+1F600"})
        EXPECT_TRUE(listing.contains(QString::fromUtf8(place))) << place << "\n" << listing.toStdString();
    EXPECT_EQ(modal.calls[0].style, MsgYesNoExclamation);
    EXPECT_EQ(w.note().Text(), QStringLiteral("～―x\r\n－￥😀"));
    // The one left is selected, and nothing was written.
    EXPECT_EQ(w.note().SelText(), QStringLiteral("😀"));
    EXPECT_EQ(readFile(a), cp932(textA));

    w.undo();
    EXPECT_EQ(w.note().Text(), original);

    // With only replaceable ones, Yes replaces and the save goes through.
    w.note().setText(QString());
    w.note().setSelText(QStringLiteral("1〜2"));
    modal.messageAnswers = {AnswerYes};
    w.saveAction->trigger();
    EXPECT_EQ(readFile(a), cp932(QStringLiteral("1～2")));
    EXPECT_FALSE(modified());
}

TEST_F(DocumentTest, UnicodeFilesAreConvertedOnlyWhenTheUserAgrees)
{
    const QString utf8 = writeFile(QStringLiteral("utf8.txt"), QByteArray("\xEF\xBB\xBF") + QStringLiteral("漢字〜\n").toUtf8());
    MainWindow &w = start(a);
    modal.calls.clear();

    modal.messageAnswers = {AnswerNo};
    w.dropFiles({utf8});
    EXPECT_EQ(w.documentPath(), a);
    EXPECT_EQ(w.note().Text(), textA);
    ASSERT_EQ(modal.messages().size(), 1);
    EXPECT_TRUE(modal.messages()[0].contains(QStringLiteral("UTF-8 (BOM 付き)")));
    EXPECT_EQ(modal.calls[0].style, MsgYesNoExclamation);

    modal.messageAnswers = {AnswerYes};
    w.dropFiles({utf8});
    EXPECT_EQ(w.documentPath(), utf8);
    EXPECT_EQ(w.note().Text(), QStringLiteral("漢字〜\r\n"));
    EXPECT_FALSE(modified());
    // Untouched on disk until saved.
    EXPECT_TRUE(readFile(utf8).startsWith("\xEF\xBB\xBF"));
    modal.messageAnswers = {AnswerYes};
    w.saveAction->trigger();
    EXPECT_EQ(readFile(utf8), cp932(QStringLiteral("漢字～\r\n")));
}

} // namespace
} // namespace zeq
