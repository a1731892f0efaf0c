#include "app/mainwindow.h"

#include "settings/frmoption.h"

// The options menu's settings command.

namespace zeq {

void MainWindow::showSettings()
{
    // Each opening loads the dialog afresh, so its working copy of the
    // separators always starts from the record. The dialog is modal to the
    // whole application: the window takes no input until it closes.
    if (optionDialog)
        optionDialog->close();
    optionDialog = new SettingsDialog(*this, m_modal, this);
    optionDialog->showDialog();
}

} // namespace zeq
