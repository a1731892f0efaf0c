#include "app/mainwindow.h"

#include "settings/settingsdialog.h"

#include <QPlainTextEdit>
#include <QTextEdit>

// The options menu's settings command.

namespace zeq {

void MainWindow::showSettings()
{
    // Each opening loads the dialog afresh, so its working copy of the
    // separators always starts from the record. The dialog is modal to the
    // whole application: the window takes no input until it closes.
    if (optionDialog)
        optionDialog->close();
    optionDialog = createSettingsDialog();
    optionDialog->showDialog();
}

SettingsDialog *MainWindow::createSettingsDialog()
{
    const SettingsDialogContext context{m_session.settings, previewRightEdge, imageDirty, chooserColor,
                                        [this](const QFont &previewFont) {
                                            applySettings();
                                            QFont font = preview->font();
                                            font.setFamilies(previewFont.families());
                                            font.setPointSize(previewFont.pointSize());
                                            preview->setFont(font);
                                            textEdit->viewport()->update();
                                            preview->viewport()->update();
                                            refreshLineNumbers();
                                        }};
    return new SettingsDialog(context, m_modal, this);
}

} // namespace zeq
