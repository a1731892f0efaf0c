#include "app/mainwindow.h"

#include "platform/textbox.h"
#include "search/findtext.h"
#include "search/finddialog.h"

#include <QCheckBox>
#include <QLineEdit>

// The main window's search commands: Find opens the find dialog, Find Next
// repeats the last search.

namespace zeq {

void MainWindow::find()
{
    FindState &find = m_session.find;
    // A dialog already open (only reachable from code: the open dialog is
    // modal) is reused as it stands, without loading it again.
    if (!findDialog || !findDialog->isVisible())
        findDialog = new FindDialog(find, *m_note, m_modal, this);
    FindDialog &dialog = *findDialog;

    dialog.txtFind->setText(m_note->SelLength() > 0 ? m_note->SelText() : find.gFindText);
    dialog.txtFind->setSelection(0, int(dialog.txtFind->text().size()));
    find.gNewSearch = true;
    if (find.gFindCase)
        dialog.chkCase->setChecked(true);
    dialog.showDialog();
}

void MainWindow::findNext()
{
    if (m_session.find.gFindText.isEmpty()) {
        find();
        return;
    }
    findText(m_session.find, *m_note, &m_modal);
}

} // namespace zeq
