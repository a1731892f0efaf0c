#include "app/frmsdi.h"

#include "editing/commands.h"
#include "platform/textbox.h"
#include "platform/textpos.h"

#include <QClipboard>
#include <QGuiApplication>

// The main window's Edit menu and the edit area's key-up and mouse-move
// events; the commands themselves live in editing/commands.

namespace zeq {

namespace {

// The system clipboard, holding text with the platform's own line ends
// (LF) so that other programs see ordinary lines; the edit area turns them
// back into CR LF when it takes the text.
class SystemClipboard : public Clipboard {
public:
    QString text() const override { return QGuiApplication::clipboard()->text(); }
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(toLfText(text)); }
};

} // namespace

void frmSDI::mnuEditCut_Click()
{
    SystemClipboard clipboard;
    editCut(*m_note, clipboard);
}

void frmSDI::mnuEditCopy_Click()
{
    SystemClipboard clipboard;
    editCopy(*m_note, clipboard);
}

void frmSDI::mnuEditPaste_Click()
{
    SystemClipboard clipboard;
    editPaste(*m_note, clipboard, m_modal);
}

void frmSDI::mnuEditDelete_Click()
{
    zeq::mnuEditDelete_Click(*m_note);
}

void frmSDI::mnuEditDeleteEx_Click()
{
    zeq::mnuEditDeleteEx_Click(m_program, *m_note);
}

void frmSDI::mnuInsertSPA_Click()
{
    zeq::mnuInsertSPA_Click(m_program, *m_note);
}

void frmSDI::mnuEditSelectAll_Click()
{
    zeq::mnuEditSelectAll_Click(*m_note);
}

void frmSDI::txtNote_KeyUp()
{
    refreshLineNumbers();
}

void frmSDI::txtNote_MouseMove()
{
    // Leaving the tool bar for the text puts out the lit button.
    releaseHotButton();
}

} // namespace zeq
