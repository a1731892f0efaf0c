#include "app/frmsdi.h"

#include "platform/textbox.h"
#include "search/findtext.h"
#include "search/frmfind.h"

#include <QCheckBox>
#include <QLineEdit>

// The main window's search commands: Find opens the find dialog, Find Next
// repeats the last search.

namespace zeq {

void frmSDI::mnuSearchFind_Click()
{
    FindState &find = m_program.find;
    // A dialog already open (only reachable from code: the open dialog is
    // modal) is reused as it stands, without loading it again.
    if (!findDialog || !findDialog->isVisible())
        findDialog = new frmFind(find, *m_note, m_modal, this);
    frmFind &dialog = *findDialog;

    dialog.txtFind->setText(m_note->SelLength() > 0 ? m_note->SelText() : find.gFindText);
    dialog.txtFind->setSelection(0, int(dialog.txtFind->text().size()));
    find.gNewSearch = true;
    if (find.gFindCase)
        dialog.chkCase->setChecked(true);
    dialog.showDialog();
}

void frmSDI::mnuSearchFindNext_Click()
{
    if (m_program.find.gFindText.isEmpty()) {
        mnuSearchFind_Click();
        return;
    }
    findText(m_program.find, *m_note, &m_modal);
}

} // namespace zeq
