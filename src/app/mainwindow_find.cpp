#include "app/mainwindow.h"

#include "platform/modal.h"
#include "platform/textbox.h"
#include "search/findtext.h"
#include "search/finddialog.h"
#include "search/replacedialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

// The main window's search commands: Find opens the find dialog, Find Next
// repeats the last search, Replace opens the replace dialog, Go to line
// moves the caret.

namespace zeq {

void MainWindow::find()
{
    FindState &find = m_session.find;
    // A dialog already open (only reachable from code: the open dialog is
    // modal) is reused as it stands, without loading it again.
    if (!findDialog || !findDialog->isVisible()) {
        findDialog = new FindDialog(find, *m_note, m_modal, this);
        // The replace dialog shows the string and case the find dialog
        // leaves behind.
        connect(findDialog, &QDialog::finished, this, [this] {
            if (replaceDialog)
                replaceDialog->reload();
        });
    }
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

void MainWindow::replace()
{
    if (!replaceDialog)
        replaceDialog = new ReplaceDialog(m_session.find, *m_note, m_modal, this);
    // A selection across lines would make a search string that the line
    // edit cannot show.
    const QString selected = m_note->SelText();
    const bool oneLine = !selected.isEmpty() && !selected.contains(u'\r') && !selected.contains(u'\n');
    replaceDialog->showWith(oneLine ? selected : m_session.find.gFindText);
}

void MainWindow::goToLine()
{
    const int lines = m_note->lineCount();
    const int current = textEdit->textCursor().blockNumber() + 1;
    const std::optional<int> line = m_modal.askInteger(
        QStringLiteral("行へ移動"), QStringLiteral("行番号 (1 - %1):").arg(lines), current, 1, lines);
    if (!line)
        return;
    moveCaretToLine(*line - 1);
    textEdit->setFocus();
}

} // namespace zeq
