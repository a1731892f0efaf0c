#include "app/mainwindow.h"

#include "app/layout.h"
#include "app/statuspanels.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/displayimage.h"
#include "ruby/imagerender.h"
#include "ruby/rubypreview.h"
#include "search/replacedialog.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace zeq {

namespace {

// Greying a menu changes how its title looks, not where it stands, yet the
// menu bar answers each greyed menu by measuring every title again, taking
// back and grabbing anew every mnemonic and asking the window for a new
// layout. Here the bar hears nothing of the change and only the titles that
// changed are repainted. A native menu bar mirrors its menus elsewhere and
// is told everything.
class MenuBarDeafener : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::ActionChanged; }
};

void setMenusEnabled(QMenuBar *bar, std::initializer_list<QMenu *> menus, bool enabled)
{
    if (bar->isNativeMenuBar()) {
        for (QMenu *menu : menus)
            menu->setEnabled(enabled);
        return;
    }
    {
        MenuBarDeafener deafener;
        bar->installEventFilter(&deafener);
        for (QMenu *menu : menus)
            menu->setEnabled(enabled);
        bar->removeEventFilter(&deafener);
    }
    for (QMenu *menu : menus)
        bar->update(bar->actionGeometry(menu->menuAction()));
}

// While the preview is in front the document must not change: the commands
// that could change it or replace it are switched off, and the tool bar is
// told which of its buttons stay live.
void setDocumentCommandsEnabled(MainWindow &w, bool enabled)
{
    // A disabled menu takes its items' shortcut keys with it.
    setMenusEnabled(w.menuBar(), {w.editMenu, w.searchMenu, w.optionsMenu}, enabled);
    for (QAction *item : {w.newAction, w.openAction, w.saveAction, w.saveAsAction})
        item->setEnabled(enabled);
    for (int i = 1; i <= 5; ++i)
        w.recentFileActions[i]->setEnabled(enabled);
    if (w.replaceDialog)
        w.replaceDialog->setEnabled(enabled);
    w.previewAction->setText(enabled ? QStringLiteral("表示イメージ") : QStringLiteral("表示イメージを戻す"));

    for (int i = 0; i < 18; ++i)
        w.imageToolButtons.enabled[i] = enabled || i == 15 || i == 17;
    w.imageToolButtons.button15Lit = !enabled;
    w.imageToolButtons.button15Border = enabled ? 0 : 1;
    w.syncToolbar();
}

void bringImageToFront(MainWindow &w)
{
    w.preview->show();
    w.preview->raise();
    // The edit area lies hidden behind the preview; typing must not reach it.
    w.preview->setFocus();
    // Out of sight it is out of the paint too: the window would otherwise
    // draw the whole edit area, scroll bars and all, under the preview.
    w.textEdit->hide();
}

// Puts the preview's caret at the start and shows it from the given line.
void scrollImage(MainWindow &w, int line)
{
    QTextCursor start(w.preview->document());
    w.preview->setTextCursor(start);
    scrollImageToLine(w.preview, line);
}

// The progress bar lies over panel 1 of the status bar while a rendering runs.
void placeProgressBar(MainWindow &w)
{
    const QRect bar = w.statusPanels->geometry();
    const double top = bar.top() * kTwipsPerPixel + 55;
    const double left = bar.left() * kTwipsPerPixel + 20;
    const double width = w.statusPanels->panelWidth(1) * kTwipsPerPixel - 30;
    const double height = bar.height() * kTwipsPerPixel - 80;
    w.progressBar->setGeometry(twipsToPixels(left), twipsToPixels(top), qMax(0, twipsToPixels(width)),
                                qMax(0, twipsToPixels(height)));
    w.progressBar->raise();
    w.progressBar->show();
}

} // namespace

QString MainWindow::getLine(const TextBox &control, int index) const
{
    // The edit area hands out whole lines, however long.
    return control.line(index);
}

void MainWindow::justWidthEx(QTextEdit *control, int maxLen)
{
    const int right = imageRightEdge(control->font().pointSizeF(), maxLen, kTwipsPerPixel);
    previewRightEdge = right;
    applyImageRightEdge(control, right);
}

void MainWindow::togglePreview()
{
    // The rendering lets events through, and this command among them.
    if (imageBusy)
        return;

    bool waitCursor = false;
    if (imageShown) {
        // Back to the edit view, at the line the preview showed first.
        topLine = rubyPreviewShown() ? rubyPreview->firstVisibleLine() : imageFirstVisibleLine(preview, topLine);
        imageMode = false;
        setDocumentCommandsEnabled(*this, true);
        textEdit->show();
        m_note->setSelStart(0);
        m_note->lineScroll(topLine);
        imageShown = false;
        textEdit->raise();
        preview->hide();
        hideRubyPreview();
        textEdit->setFocus();
    } else {
        if (m_note->textLength() == 0) {
            m_modal.msgBox(QStringLiteral("テキストがありません。"), MsgCritical);
            return;
        }
        topLine = m_note->firstVisibleLine();
        imageMode = true;
        setDocumentCommandsEnabled(*this, false);
        if (showRubyPreview()) {
            lineNumbers->raise();
            refreshLineNumbers();
            return;
        }

        if (!imageDirty) {
            // The preview still shows the current text.
            justWidthEx(preview, maxLineBytes);
            imageShown = true;
            progressBar->hide();
            statusPanels->setPanelStyle(2, StatusPanels::DateStyle);
            bringImageToFront(*this);
            scrollImage(*this, topLine);
            refreshLineNumbers();
            return;
        }

        ImageLineMaker maker(m_session.settings);
        maker.reset();
        maxLineBytes = 0;

        // The count is taken from the edit area itself: changes that the
        // history does not record (undo, redo) leave the status bar's count
        // behind, and every line must be rendered.
        const int lines = m_note->lineCount();

        // Input, the progress display and the wait cursor only come into it
        // once the rendering has taken a noticeable time: a short document is
        // built and painted in one go, without repainting the window for
        // every line.
        ImagePacer pacer(imageProgressInterval, imageClock);
        bool progressShown = false;
        ImageDocumentBuilder builder(preview);
        imageBusy = true;
        // Every close request sets the abort flag, also one that the
        // save-changes prompt then cancelled; such a request is not meant
        // for this rendering.
        imageAbort = false;
        // A change typed while the rendering runs marks the preview dirty
        // again and must stay marked.
        imageDirty = false;
        for (int line = 0; line < lines; ++line) {
            if (pacer.due()) {
                if (!progressShown) {
                    progressShown = true;
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                    waitCursor = true;
                    placeProgressBar(*this);
                    progressBar->setMaximum(lines);
                    statusPanels->setPanelStyle(2, StatusPanels::TextStyle);
                }
                statusPanels->setPanelText(2, QString::number(line + 1) + QStringLiteral("行目 検査中"));
                progressBar->setValue(line);
                // Esc and close requests reach the window here.
                QCoreApplication::processEvents();
                if (imageAbort)
                    break;
            }
            builder.addLine(maker.next(getLine(*m_note, line)));
            maxLineBytes = maker.maxLineBytes();
        }

        showImageDocument(preview, builder.take(),
                          imageRightEdge(preview->font().pointSizeF(), maxLineBytes, kTwipsPerPixel));
        justWidthEx(preview, maxLineBytes);
        imageBusy = false;
        imageShown = true;
        progressBar->hide();
        statusPanels->setPanelStyle(2, StatusPanels::DateStyle);
        bringImageToFront(*this);
        scrollImage(*this, topLine);
        if (imageAbort) {
            // Only the lines before the abort are shown: the next request
            // builds the preview again.
            imageAbort = false;
            imageDirty = true;
        }
    }

    // Raising repaints the gutter; it only has to go up where a view reaches
    // under it.
    if (lineNumbers->geometry().intersects(preview->geometry()))
        lineNumbers->raise();
    // The gutter numbers the view now in front, in the same paint.
    refreshLineNumbers();
    if (waitCursor)
        QApplication::restoreOverrideCursor();

    if (imageClosePending) {
        imageClosePending = false;
        close();
    }
}

} // namespace zeq
