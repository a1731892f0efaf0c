#include "app/frmsdi.h"

#include "app/title.h"
#include "document/docfile.h"
#include "document/recent.h"
#include "platform/modal.h"
#include "platform/textbox.h"

#include <QAction>
#include <QApplication>

// The main window's document commands: loading, saving, the save-changes
// prompt, dropped files and the recent-files menu.
//
// The title shows a loaded file's path in upper case, but paths here are
// case-sensitive: the real path is kept in m_documentPath, and everything
// that writes or proposes a file name uses it. An empty m_documentPath is an
// untitled document.

namespace zeq {

namespace {

const QString kTooLarge = QStringLiteral("ファイルが大きすぎるため、開くことができません。");

FileDialogRequest fileDialog(const QString &caption, const QString &fileName)
{
    FileDialogRequest request;
    request.caption = caption;
    request.fileName = fileName;
    request.filters = {QStringLiteral("ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)"), QStringLiteral("すべてのﾌｧｲﾙ (*.*)")};
    request.defaultSuffix = QStringLiteral("txt");
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

void frmSDI::prepareLoad()
{
    m_program.gPrevText.clear();
    m_program.gCurText.clear();
    m_program.gSkipChange = true;
}

void frmSDI::readDocument(const QString &path)
{
    DocumentRead read = readDocumentFile(path);
    if (read.status == DocumentRead::CannotOpen) {
        m_modal.msgBox(path + QStringLiteral(" ﾌｧｲﾙを開けません。"), MsgOkOnly);
        return;
    }
    if (read.status == DocumentRead::NotText) {
        // The edit area still holds the previous document's text: it keeps
        // that document's name and path, so that a later Save cannot write
        // it over the file that failed to load, and its unsaved state, so
        // that closing still offers to save what the user typed.
        m_modal.msgBox(QStringLiteral("テキストファイルだけを指定して下さい。"), MsgExclamation);
        return;
    }

    bool changed = false;
    {
        WaitCursor wait;
        setWindowTitle(loadedTitle(path));
        m_documentPath = path;
        const QMetaObject::Connection watch = connect(m_note, &TextBox::Change, this, [&changed] { changed = true; });
        m_note->setText(read.text);
        disconnect(watch);
    }
    if (!changed && m_program.gSkipChange) {
        // The file holds the text already shown, so no change event came to
        // consume the load's preparation; left set, it would swallow the
        // user's next edit, and the snapshots would no longer mirror the text.
        m_program.gSkipChange = false;
        m_program.gCurText = m_note->Text();
        m_program.gPrevText = m_program.gCurText;
    }
    m_program.gModified = false;
}

void frmSDI::writeDocument(const QString &path)
{
    const QString text = m_note->Text();
    DocumentWrite written;
    {
        WaitCursor wait;
        written = writeDocumentFile(path, text);
    }
    switch (written.status) {
    case DocumentWrite::Unmappable:
        m_modal.msgBox(unmappableMessage(written), MsgExclamation);
        return;
    case DocumentWrite::Failed:
        m_modal.msgBox(written.error, MsgExclamation);
        return;
    case DocumentWrite::Ok:
        break;
    }
    setWindowTitle(writtenTitle(path));
    m_documentPath = path;
    m_program.gModified = false;
}

QString frmSDI::askSaveName(const QString &proposed)
{
    return m_modal.saveFileName(fileDialog(QStringLiteral("名前を付けて保存"), proposed));
}

bool frmSDI::confirmSave()
{
    const QString name = titleNamePart(windowTitle());
    const int answer = m_modal.msgBox(QStringLiteral("ﾌｧｲﾙ [") + name
                                          + QStringLiteral("] 内のテキストは変更されています。\r\n保存しますか ?"),
                                      MsgYesNoCancelExclamation, windowTitle());
    if (answer == AnswerNo)
        return false;
    // Anything but Yes or No (Cancel, or the box closed some other way)
    // keeps the text.
    if (answer != AnswerYes)
        return true;
    const QString path = m_documentPath.isEmpty() ? askSaveName(QStringLiteral("untitled.txt")) : m_documentPath;
    if (path.isEmpty())
        return true;
    writeDocument(path);
    // A write that failed (a full disk, characters Shift-JIS cannot hold)
    // has been reported and the text is still unsaved: going on would throw
    // it away right after the user asked to keep it.
    return m_program.gModified;
}

void frmSDI::newDocument()
{
    if (m_program.gModified && confirmSave())
        return;
    m_note->setText(QString());
    setWindowTitle(kCleanPrefix + kUntitled);
    m_documentPath.clear();
    m_program.gModified = false;
    // The removal above was recorded like any edit; the snapshots now
    // mirror the empty text.
    m_program.gPrevText.clear();
    m_program.gCurText.clear();
}

void frmSDI::openDocument()
{
    if (m_program.gModified && confirmSave())
        return;
    const QString path = m_modal.openFileName(fileDialog(QStringLiteral("開く"), QString()));
    if (!path.isEmpty()) {
        if (documentFileSize(path) > MAX_FILE_BYTES) {
            m_modal.msgBox(kTooLarge, MsgExclamation);
            return;
        }
        readDocument(path);
        rememberFile(path);
    }
    m_program.undo.clear();
}

bool frmSDI::saveDocument()
{
    const QString path = m_documentPath.isEmpty() ? askSaveName(QString()) : m_documentPath;
    if (path.isEmpty())
        return false;
    writeDocument(path);
    return true;
}

void frmSDI::mnuFileNew_Click()
{
    newDocument();
}

void frmSDI::mnuFileOpen_Click()
{
    prepareLoad();
    openDocument();
    refreshLineNumbers();
    refreshLineCount();
}

void frmSDI::mnuFileSave_Click()
{
    saveDocument();
}

void frmSDI::mnuFileSaveAs_Click()
{
    const QString path = askSaveName(m_documentPath.isEmpty() ? QStringLiteral("Untitled.txt") : m_documentPath);
    if (path.isEmpty())
        return;
    writeDocument(path);
    rememberFile(path);
}

void frmSDI::txtNote_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty())
        return;
    if (m_program.gModified) {
        activate(this);
        if (confirmSave())
            return;
    }
    const QString path = files.constFirst();
    if (documentFileSize(path) > MAX_FILE_BYTES) {
        activate(this);
        m_modal.msgBox(kTooLarge, MsgExclamation);
        return;
    }
    prepareLoad();
    readDocument(path);
    rememberFile(path);
    refreshLineNumbers();
    refreshLineCount();
    activate(this);
}

QString frmSDI::recentCaption(int index) const
{
    return mnuRecentFile[index]->data().toString();
}

void frmSDI::setRecentCaption(int index, const QString &path)
{
    mnuRecentFile[index]->setData(path);
    // A path may hold '&', which a menu would take for an access key.
    mnuRecentFile[index]->setText(QString(path).replace(u'&', QLatin1String("&&")));
}

void frmSDI::showRecentFiles()
{
    const RecentFiles &files = m_program.settings.gRecentFile;
    if (files[0].isEmpty())
        return;
    for (int i = 0; i < 5; ++i) {
        if (files[i].isEmpty())
            return;
        mnuRecentFile[i]->setVisible(true);
        setRecentCaption(i + 1, files[i]);
        mnuRecentFile[i + 1]->setVisible(true);
    }
}

bool frmSDI::isRecentFile(const QString &path) const
{
    // The fifth entry is left out on purpose: a path found only there is
    // pushed again and so comes back to the top.
    for (int i = 1; i <= 4; ++i) {
        if (recentCaption(i) == path)
            return true;
    }
    return false;
}

void frmSDI::rememberFile(const QString &path)
{
    if (!isRecentFile(path))
        pushRecentFile(m_program.settings.gRecentFile, path);
    showRecentFiles();
}

void frmSDI::mnuRecentFile_Click(int index)
{
    if (index < 1 || index > 5)
        return;
    // Unlike Open: no prompt (unsaved text is replaced), no size check, the
    // history is kept and the list keeps its order.
    prepareLoad();
    readDocument(recentCaption(index));
    showRecentFiles();
    refreshLineNumbers();
    refreshLineCount();
}

} // namespace zeq
