#include "app/mainwindow.h"

#include "app/title.h"
#include "document/docfile.h"
#include "document/document.h"
#include "document/recent.h"
#include "document/recovery.h"
#include "document/unmappable.h"
#include "platform/modal.h"
#include "platform/textbox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QPlainTextEdit>

// The main window's document commands: loading, saving, the save-changes
// prompt, dropped files and the recent-files menu.
//
// The title shows a loaded file's path in upper case, but paths here are
// case-sensitive: the document keeps the real path, and everything that
// writes or proposes a file name uses it.

namespace zeq {

namespace {

// "All files" means every file: README-like names have no dot. A dialog for
// an untitled document starts in the home folder, never in the program's.
FileDialogRequest fileDialog(const QString &caption, const QString &fileName, const QString &documentPath)
{
    FileDialogRequest request;
    request.caption = caption;
    request.fileName = fileName;
    request.filters = {QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")};
    request.directory = documentPath.isEmpty() ? QDir::homePath() : QFileInfo(documentPath).absolutePath();
    return request;
}

void activate(QWidget *window)
{
    window->raise();
    window->activateWindow();
}

// Restores the normal cursor however the scope is left.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

DocumentRead::Status MainWindow::loadFile(const QString &path)
{
    DocumentRead read;
    {
        WaitCursor wait;
        read = m_document->openFile(path, [&](const DocumentRead &other) {
            QApplication::restoreOverrideCursor();
            const bool convert =
                m_modal.msgBox(convertEncodingQuestion(path, other), MsgYesNoExclamation) == AnswerYes;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return convert;
        });
    }
    if (read.status == DocumentRead::Declined)
        return read.status;
    if (read.status != DocumentRead::Ok) {
        // The previous document stays as it was, with its name, path,
        // history and unsaved state: nothing was loaded.
        m_modal.msgBox(readFailureMessage(path, read),
                       read.status == DocumentRead::CannotOpen ? MsgOkOnly : MsgExclamation);
        return read.status;
    }
    m_titleName = titleNamePart(loadedTitle(path));
    updateTitle();
    const QString warning = openWarning(read);
    if (!warning.isEmpty())
        m_modal.msgBox(warning, MsgExclamation);
    return read.status;
}

bool MainWindow::resolveUnmappable()
{
    QList<UnmappableCharacter> found = findUnmappable(m_note->Text());
    if (found.isEmpty())
        return true;
    qsizetype replaceable = 0;
    for (const UnmappableCharacter &c : found)
        replaceable += cp932Equivalent(c.codePoint) ? 1 : 0;
    const QString message = unmappableListMessage(found, replaceable);
    if (replaceable > 0 && m_modal.msgBox(message, MsgYesNoExclamation) == AnswerYes) {
        replaceWithEquivalents(*m_note, found);
        found = findUnmappable(m_note->Text());
    } else if (replaceable == 0) {
        m_modal.msgBox(message, MsgExclamation);
    }
    if (found.isEmpty())
        return true;
    // The caret goes where the user has to look first.
    m_note->setSelStart(int(found.constFirst().position));
    m_note->setSelLength(int(found.constFirst().length));
    textEdit->setFocus();
    return false;
}

bool MainWindow::writeDocument(const QString &path)
{
    // Another program's change is not overwritten without a word.
    if (path == m_document->path() && m_document->changedOnDisk()) {
        const int answer = m_modal.msgBox(
            QStringLiteral("ファイル [%1] は、開いた後に他のプログラムによって変更されています。").arg(path)
                + QStringLiteral("\r\n上書きしますか？"),
            MsgYesNoExclamation);
        if (answer != AnswerYes)
            return false;
    }
    // Characters Shift-JIS cannot hold are all named at once, and those
    // with a standard equivalent are offered for replacement.
    if (!resolveUnmappable())
        return false;
    DocumentWrite written;
    {
        WaitCursor wait;
        written = m_document->saveFile(path);
    }
    if (written.status != DocumentWrite::Ok) {
        m_modal.msgBox(writeFailureMessage(path, written), MsgExclamation);
        return false;
    }
    m_titleName = titleNamePart(writtenTitle(path));
    updateTitle();
    const QString warning = saveWarning(path, written);
    if (!warning.isEmpty())
        m_modal.msgBox(warning, MsgExclamation);
    return true;
}

QString MainWindow::askSaveName(const QString &proposed)
{
    FileDialogRequest request = fileDialog(QStringLiteral("名前を付けて保存"), proposed, m_document->path());
    // A name typed without an extension is saved as a text file; an opened
    // name is taken as typed.
    request.defaultSuffix = QStringLiteral("txt");
    return m_modal.saveFileName(request);
}

bool MainWindow::confirmSave()
{
    const QString name = m_titleName;
    const int answer = m_modal.msgBox(QStringLiteral("ﾌｧｲﾙ [") + name
                                          + QStringLiteral("] 内のテキストは変更されています。\r\n保存しますか ?"),
                                      MsgYesNoCancelExclamation, windowTitle());
    if (answer == AnswerNo)
        return false;
    // Anything but Yes or No (Cancel, or the box closed some other way)
    // keeps the text.
    if (answer != AnswerYes)
        return true;
    const QString path = m_document->isUntitled() ? askSaveName(QStringLiteral("untitled.txt")) : m_document->path();
    if (path.isEmpty())
        return true;
    // A write that failed (a full disk, characters Shift-JIS cannot hold)
    // has been reported and the text is still unsaved: going on would throw
    // it away right after the user asked to keep it.
    return !writeDocument(path);
}

void MainWindow::newDocument()
{
    if (m_document->isModified() && confirmSave())
        return;
    m_document->newDocument();
    m_titleName = kUntitled;
    updateTitle();
}

void MainWindow::openDocument()
{
    if (m_document->isModified() && confirmSave())
        return;
    const QString path = m_modal.openFileName(fileDialog(QStringLiteral("開く"), QString(), m_document->path()));
    if (path.isEmpty())
        return;
    // A file that could not be read still goes into the list; one refused
    // for its size does not.
    if (loadFile(path) != DocumentRead::TooLarge)
        rememberFile(path);
}

bool MainWindow::saveDocument()
{
    const QString path = m_document->isUntitled() ? askSaveName(QString()) : m_document->path();
    if (path.isEmpty())
        return false;
    return writeDocument(path);
}

void MainWindow::newFile()
{
    newDocument();
}

void MainWindow::openFile()
{
    openDocument();
}

void MainWindow::save()
{
    saveDocument();
}

void MainWindow::saveAs()
{
    const QString path = askSaveName(m_document->isUntitled() ? QStringLiteral("Untitled.txt") : m_document->path());
    if (path.isEmpty())
        return;
    writeDocument(path);
    rememberFile(path);
}

void MainWindow::dropFiles(const QStringList &files)
{
    if (files.isEmpty())
        return;
    if (m_document->isModified()) {
        activate(this);
        if (confirmSave())
            return;
    }
    const QString path = files.constFirst();
    activate(this);
    if (loadFile(path) != DocumentRead::TooLarge)
        rememberFile(path);
}

void MainWindow::setRecentCaption(int index, const QString &path)
{
    recentFileActions[index]->setData(path);
    // A path may hold '&', which a menu would take for an access key.
    recentFileActions[index]->setText(QString(path).replace(u'&', QLatin1String("&&")));
}

void MainWindow::showRecentFiles()
{
    const RecentFiles &files = m_session.settings.gRecentFile;
    if (files[0].isEmpty())
        return;
    for (int i = 0; i < 5; ++i) {
        if (files[i].isEmpty())
            return;
        recentFileActions[i]->setVisible(true);
        setRecentCaption(i + 1, files[i]);
        recentFileActions[i + 1]->setVisible(true);
    }
}

void MainWindow::rememberFile(const QString &path)
{
    if (!zeq::isRecentFile(m_session.settings.gRecentFile, path))
        pushRecentFile(m_session.settings.gRecentFile, path);
    showRecentFiles();
}

void MainWindow::openRecentFile(int index)
{
    if (index < 1 || index > 5)
        return;
    // Like Open, unsaved text is never replaced without the question; the
    // list keeps its order.
    if (m_document->isModified() && confirmSave())
        return;
    const QString path = m_session.settings.gRecentFile[index - 1];
    if (path.isEmpty())
        return;
    loadFile(path);
    showRecentFiles();
}

} // namespace zeq

namespace zeq {

void MainWindow::enableRecovery(RecoveryStore *store)
{
    m_recovery = store;
    if (!recoveryTimer) {
        recoveryTimer = new QTimer(this);
        recoveryTimer->setObjectName(QStringLiteral("recoveryTimer"));
        recoveryTimer->setSingleShot(true);
        recoveryTimer->setInterval(3000);
        connect(recoveryTimer, &QTimer::timeout, this, &MainWindow::writeRecovery);
        // The first change after a write starts the clock: typing without a
        // pause is kept at most a few seconds behind.
        connect(m_document, &Document::contentsChanged, this, [this] {
            if (m_recovery && !recoveryTimer->isActive())
                recoveryTimer->start();
        });
        connect(m_document, &Document::modifiedChanged, this, [this](bool modified) {
            if (m_recovery && !modified) {
                recoveryTimer->stop();
                m_recovery->remove();
            }
        });
    }
}

void MainWindow::writeRecovery()
{
    if (!m_recovery)
        return;
    if (m_document->isModified())
        m_recovery->write(m_document->path(), m_note->Text());
    else
        m_recovery->remove();
}

void MainWindow::offerRecovery()
{
    if (!m_recovery)
        return;
    const QList<RecoveredText> orphans = m_recovery->orphans();
    if (orphans.isEmpty())
        return;
    const RecoveredText &orphan = orphans.constFirst();
    const QString name = orphan.path.isEmpty() ? kUntitled : orphan.path;
    const int answer = m_modal.msgBox(
        QStringLiteral("前回、保存されないまま終了したテキストがあります。\r\n")
            + QStringLiteral("ﾌｧｲﾙ [%1]、%2 文字、%3 に記録。\r\n復元しますか？")
                  .arg(name, QString::number(orphan.text.size()),
                       QLocale(QLocale::Japanese).toString(orphan.written, QLocale::ShortFormat)),
        MsgYesNoExclamation);
    if (answer == AnswerYes && !(m_document->isModified() && confirmSave())) {
        // Over the file it belonged to, so that the restored text is one
        // change that Undo takes back to what is on disk.
        const bool reopened = !orphan.path.isEmpty()
            && m_document->openFile(orphan.path, [](const DocumentRead &) { return true; }).status == DocumentRead::Ok;
        if (!reopened)
            m_document->newDocument();
        m_titleName = m_document->isUntitled() ? kUntitled : titleNamePart(loadedTitle(m_document->path()));
        m_note->setSelStart(0);
        m_note->setSelLength(m_note->textLength());
        m_note->setSelText(orphan.text);
        m_note->setSelStart(0);
        updateTitle();
    }
    RecoveryStore::discard(orphan);
}

} // namespace zeq
