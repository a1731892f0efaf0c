#include "app/mainwindow.h"

#include "platform/modal.h"
#include "platform/textbox.h"
#include "search/findtext.h"
#include "search/finddialog.h"
#include "search/replace.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

// The main window's search commands: Find opens the find dialog, Find Next
// repeats the last search, Go to line moves the caret.

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

void MainWindow::replace()
{
    const QString title = QStringLiteral("置換");
    // The last search string is proposed, as the find dialog proposes it.
    const std::optional<QString> needle =
        m_modal.askText(title, QStringLiteral("検索する文字列:"), m_session.find.gFindText);
    if (!needle || needle->isEmpty())
        return;
    const std::optional<QString> replacement = m_modal.askText(title, QStringLiteral("置換後の文字列:"), QString());
    if (!replacement)
        return;
    // A search of its own: Find Next goes on from where it was.
    FindState find;
    find.gFindText = *needle;
    find.gFindCase = m_session.find.gFindCase;
    const int count = replaceAll(find, *replacement, *m_note);
    if (count == 0)
        m_modal.msgBox(notFoundMessage(*needle), MsgOkOnly);
    else
        m_modal.msgBox(QStringLiteral("%1 個の文字列を置換しました。").arg(count), MsgInformation);
    textEdit->setFocus();
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
