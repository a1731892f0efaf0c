// Malformed lines in the edit view: the gutter marks them and tells why,
// F8 and Shift+F8 go from one to the next, and a double-click on the display
// image leads back to the line in the edit view.

#include "app/mainwindow.h"
#include "platform/fonts.h"
#include "platform/textbox.h"
#include "ruby/displayimage.h"
#include "ruby/imagerender.h"
#include "ruby/rubypreview.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolTip>

namespace zeq {

void MainWindow::createFaultCommands()
{
    nextFaultAction = searchMenu->addAction(QStringLiteral("次のエラー行"));
    nextFaultAction->setObjectName(QStringLiteral("nextFaultAction"));
    nextFaultAction->setShortcut(QKeySequence(Qt::Key_F8));
    previousFaultAction = searchMenu->addAction(QStringLiteral("前のエラー行"));
    previousFaultAction->setObjectName(QStringLiteral("previousFaultAction"));
    previousFaultAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    connect(nextFaultAction, &QAction::triggered, this, &MainWindow::goToNextFault);
    connect(previousFaultAction, &QAction::triggered, this, &MainWindow::goToPreviousFault);
    connect(m_note, &EditControl::changed, this, &MainWindow::followFaults);
}

void MainWindow::recheckFaults()
{
    m_faults.reset(m_note->Text(), m_session.settings.gUserSparator);
    markGutterFaults();
}

void MainWindow::followFaults(const TextChange &change)
{
    m_faults.update(change, m_note->lineAt(change.position), m_note->lineCount(),
                    [this](int line) { return m_note->line(line); });
    markGutterFaults();
}

void MainWindow::markGutterFaults()
{
    QList<QTextEdit::ExtraSelection> marks;
    const QTextDocument *rows = lineNumbers->document();
    for (QTextBlock row = rows->begin(); row.isValid(); row = row.next()) {
        if (!m_faults.isFaulty(topLine + row.blockNumber()))
            continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(row);
        mark.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        // The colour the display image gives the checker's messages.
        mark.format.setForeground(colorFromRef(kImageMessageColor));
        marks.append(mark);
    }
    // Called on every gutter tick: leave an unchanged gutter unpainted.
    const QList<QTextEdit::ExtraSelection> current = lineNumbers->extraSelections();
    bool same = current.size() == marks.size();
    for (qsizetype n = 0; same && n < marks.size(); ++n)
        same = current[n].cursor == marks[n].cursor;
    if (!same)
        lineNumbers->setExtraSelections(marks);
}

void MainWindow::moveCaretToLine(int line)
{
    m_note->setSelStart(m_note->lineStart(qBound(0, line, m_note->lineCount() - 1)));
    textEdit->ensureCursorVisible();
    refreshLineNumbers();
}

void MainWindow::goToNextFault()
{
    if (imageShown)
        return;
    const int line = m_faults.nextFaulty(textEdit->textCursor().blockNumber());
    if (line >= 0)
        moveCaretToLine(line);
}

void MainWindow::goToPreviousFault()
{
    if (imageShown)
        return;
    const int line = m_faults.previousFaulty(textEdit->textCursor().blockNumber());
    if (line >= 0)
        moveCaretToLine(line);
}

bool MainWindow::handleFaultEvent(QObject *watched, QEvent *event)
{
    if (watched == lineNumbers->viewport() && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        // Beside the ruby preview a number stands level with its line, so
        // the preview tells which line is at that height (none below the last).
        const int line = rubyPreviewShown()
            ? rubyPreview->lineAt(QPoint(0, rubyPreview->viewport()->mapFromGlobal(help->globalPos()).y()))
            : topLine + lineNumbers->cursorForPosition(help->pos()).blockNumber();
        const QString message = m_faults.messageAt(line);
        if (message.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), message, lineNumbers->viewport());
        return true;
    }
    if (watched == preview->viewport() && event->type() == QEvent::MouseButtonDblClick && imageShown
        && !imageBusy) {
        const int line = preview->cursorForPosition(static_cast<QMouseEvent *>(event)->position().toPoint())
                             .blockNumber();
        togglePreview();
        moveCaretToLine(line);
        return true;
    }
    return false;
}

} // namespace zeq
