// The display image's ruby mode: the ruby preview takes the display image's
// place, with everything else (the commands switched off, the tool bar, the
// way back) left to the display image's own command.

#include "app/mainwindow.h"

#include "app/gutter.h"
#include "platform/fonts.h"
#include "platform/textbox.h"
#include "ruby/displayimage.h"
#include "ruby/rubypreview.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace zeq {

void MainWindow::createRubyPreview()
{
    rubyPreview = new RubyPreview(client);
    rubyPreview->setObjectName(QStringLiteral("rubyPreview"));
    rubyPreview->setAccessibleName(QStringLiteral("ルビ表示"));
    rubyPreview->hide();
    // Below the gutter, which the display image's command raises last.
    rubyPreview->stackUnder(lineNumbers);

    rubyPreviewAction = new QAction(QStringLiteral("ルビ表示(&R)"), this);
    rubyPreviewAction->setObjectName(QStringLiteral("rubyPreviewAction"));
    rubyPreviewAction->setCheckable(true);
    fileMenu->insertAction(exitAction, rubyPreviewAction);
    // The record is what counts; the item shows it whenever the menu opens.
    connect(fileMenu, &QMenu::aboutToShow, this,
            [this] { rubyPreviewAction->setChecked(m_session.settings.rubyPreview); });
    connect(rubyPreviewAction, &QAction::triggered, this, &MainWindow::setRubyPreviewMode);

    // The gutter follows the preview as it scrolls, in the same event.
    connect(rubyPreview, &RubyPreview::visibleLinesChanged, this, [this] {
        if (rubyPreviewShown())
            refreshLineNumbers();
    });
    connect(rubyPreview, &RubyPreview::lineActivated, this, [this](int line) {
        if (!imageShown || imageBusy)
            return;
        togglePreview();
        moveCaretToLine(line);
    });
}

void MainWindow::setRubyPreviewMode(bool on)
{
    m_session.settings.rubyPreview = on;
    rubyPreviewAction->setChecked(on);
    if (!imageShown || imageBusy || rubyPreviewShown() == on)
        return;
    // Back to the edit view and out again, at the line in view.
    togglePreview();
    togglePreview();
}

bool MainWindow::showRubyPreview()
{
    if (!m_session.settings.rubyPreview)
        return false;
    QStringList lines;
    const int count = m_note->lineCount();
    lines.reserve(count);
    for (int line = 0; line < count; ++line)
        lines.append(getLine(*m_note, line));
    // The gutter follows the preview from here on and takes its first line
    // for the window's, which is where the preview is to start.
    const int first = topLine;
    rubyPreview->setLines(lines, m_session.settings);
    rubyPreview->setGeometry(textEdit->geometry());
    imageShown = true;
    preview->hide();
    rubyPreview->show();
    rubyPreview->raise();
    // The edit area lies hidden behind it; typing must not reach it, and
    // out of sight it is out of the paint too.
    rubyPreview->setFocus();
    textEdit->hide();
    rubyPreview->scrollToLine(first);
    return true;
}

void MainWindow::hideRubyPreview()
{
    rubyPreview->hide();
}

bool MainWindow::rubyPreviewShown() const
{
    return imageShown && !rubyPreview->isHidden();
}

void MainWindow::placeRubyPreviewNumbers()
{
    LineNumberGutter *gutter = lineNumbers;
    QList<LineNumberGutter::PlacedNumber> numbers;
    if (rubyPreviewShown()) {
        const QList<RubyPreview::VisibleLine> lines = rubyPreview->visibleLines();
        numbers.reserve(lines.size());
        const QColor plain = gutter->palette().color(QPalette::Text);
        const QColor faulty = colorFromRef(kImageMessageColor);
        // The two viewports stand at one offset from each other.
        const qreal offset =
            gutter->viewport()->mapFrom(client, rubyPreview->viewport()->mapTo(client, QPointF(0, 0))).y();
        for (const RubyPreview::VisibleLine &line : lines)
            numbers.append({line.line + 1, line.baseline + offset, m_faults.isFaulty(line.line) ? faulty : plain});
    }
    gutter->setPlacedNumbers(numbers);
}

} // namespace zeq
