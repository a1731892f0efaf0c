#include "app/frmsdi.h"

#include "app/title.h"
#include "document/docfile.h"
#include "document/recent.h"
#include "platform/modal.h"
#include "platform/textbox.h"

#include <QAction>
#include <QApplication>

// The main window's document commands: loading, saving, the save-changes
// prompt and the recent-files menu.

namespace zeq {

bool frmSDI::confirmSave()
{
    // The save-changes prompt arrives with the document commands; until
    // then nothing can be saved, so there is nothing to ask.
    return false;
}

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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (read.status == DocumentRead::NotText) {
        // The text in the edit area still belongs to the previous document:
        // keep its name, so that a later Save cannot write it over this file.
        QApplication::restoreOverrideCursor();
        m_modal.msgBox(QStringLiteral("テキストファイルだけを指定して下さい。"), MsgExclamation);
    } else {
        setWindowTitle(loadedTitle(path));
        m_documentPath = path;
        m_note->setText(read.text);
        QApplication::restoreOverrideCursor();
    }
    m_program.gModified = false;
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

// Placeholders until the document commands land.
void frmSDI::writeDocument(const QString &) {}
QString frmSDI::askSaveName(const QString &) { return QString(); }
void frmSDI::newDocument() {}
void frmSDI::openDocument() {}
bool frmSDI::saveDocument() { return false; }
void frmSDI::mnuFileNew_Click() {}
void frmSDI::mnuFileOpen_Click() {}
void frmSDI::mnuFileSave_Click() {}
void frmSDI::mnuFileSaveAs_Click() {}
void frmSDI::txtNote_OLEDragDrop(const QStringList &) {}
void frmSDI::mnuRecentFile_Click(int) {}

} // namespace zeq
