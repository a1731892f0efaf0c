#include "app/mainwindow.h"

#include "editing/commands.h"
#include "platform/textbox.h"
#include "platform/textpos.h"

#include "app/statuspanels.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QTextBlock>
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

void MainWindow::cut()
{
    SystemClipboard clipboard;
    editCut(*m_note, clipboard);
}

void MainWindow::copy()
{
    SystemClipboard clipboard;
    editCopy(*m_note, clipboard);
}

void MainWindow::paste()
{
    SystemClipboard clipboard;
    editPaste(*m_note, clipboard, m_modal);
}

void MainWindow::deleteForward()
{
    zeq::deleteForward(*m_note);
}

void MainWindow::deleteGroup()
{
    zeq::deleteGroup(m_session.settings.gUserSparator, m_session.find, *m_note);
}

void MainWindow::insertSeparator()
{
    zeq::insertSeparator(m_session.settings.gUserSparator, m_session.nextSeparator, *m_note);
}

void MainWindow::selectAll()
{
    zeq::selectAll(*m_note);
}

void MainWindow::editKeyReleased()
{
    refreshLineNumbers();
}

void MainWindow::editMouseMoved()
{
    // Leaving the tool bar for the text puts out the lit button.
    releaseHotButton();
}

void MainWindow::showCaretPosition()
{
    const QTextCursor cursor = textEdit->textCursor();
    const QString before = cursor.block().text().left(cursor.positionInBlock());
    // A character outside the basic plane is one character, as every
    // message that names a column counts it.
    const int column = int(before.toUcs4().size()) + 1;
    statusPanels->setPanelText(
        StatusPanels::CaretPanel,
        QStringLiteral("%1 行 %2 文字").arg(QString::number(cursor.blockNumber() + 1), QString::number(column)));
}

} // namespace zeq
