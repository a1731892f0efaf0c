#include "ruby/imagerender.h"

#include "platform/fonts.h"

#include <QAbstractTextDocumentLayout>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace zeq {

void applyHighlight(QTextCharFormat &format, bool on)
{
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
}

bool hasHighlight(const QTextCharFormat &format)
{
    return format.fontWeight() >= QFont::Bold;
}

QTextCharFormat imageRunFormat(const ImageRun &run, int basePoints)
{
    QTextCharFormat format;
    format.setForeground(colorFromRef(run.color));
    format.setFontPointSize(qMax(1, basePoints + run.sizeDelta));
    applyHighlight(format, run.highlight);
    return format;
}

ImageDocumentBuilder::ImageDocumentBuilder(const QTextEdit *view)
    : m_document(std::make_unique<QTextDocument>())
{
    const QTextDocument *shown = view->document();
    m_document->setUndoRedoEnabled(false);
    m_document->setDefaultFont(view->font());
    m_document->setDocumentMargin(shown->documentMargin());
    m_document->setDefaultTextOption(shown->defaultTextOption());
    m_basePoints = view->font().pointSize() > 0 ? view->font().pointSize()
                                                : qRound(view->font().pointSizeF());
    m_cursor = QTextCursor(m_document.get());
    m_cursor.beginEditBlock();
}

ImageDocumentBuilder::~ImageDocumentBuilder()
{
    if (m_document)
        m_cursor.endEditBlock();
}

const QTextCharFormat &ImageDocumentBuilder::formatFor(const ImageRun &run)
{
    for (const CachedFormat &cached : m_formats) {
        if (cached.color == run.color && cached.sizeDelta == run.sizeDelta && cached.highlight == run.highlight)
            return cached.format;
    }
    m_formats.append(CachedFormat{run.color, run.sizeDelta, run.highlight, imageRunFormat(run, m_basePoints)});
    return m_formats.last().format;
}

void ImageDocumentBuilder::addLine(const ImageLine &line)
{
    if (m_lines > 0) {
        // The paragraph mark takes the base look, so the next line starts at
        // the base size with the highlight cleared whatever ended this one.
        m_cursor.insertBlock(QTextBlockFormat(), formatFor(ImageRun{QString(), 0, 0, false}));
    }
    ++m_lines;
    for (const ImageRun &run : line.runs)
        m_cursor.insertText(run.text, formatFor(run));
}

std::unique_ptr<QTextDocument> ImageDocumentBuilder::take()
{
    m_cursor.endEditBlock();
    m_cursor = QTextCursor();
    return std::move(m_document);
}

void showImageDocument(QTextEdit *view, std::unique_ptr<QTextDocument> document, int right)
{
    // The view deletes the document it made itself; earlier previews are
    // ours to delete, once the view has let go of them.
    const QPointer<QTextDocument> previous = view->document();
    if (right != view->lineWrapColumnOrWidth()) {
        // A new width relays out whatever the view holds: an empty stand-in
        // takes the change, so that the new preview is laid out only once.
        QTextDocument standIn;
        view->setDocument(&standIn);
        applyImageRightEdge(view, right);
        document->setParent(view);
        view->setDocument(document.release());
    } else {
        document->setParent(view);
        view->setDocument(document.release());
    }
    if (previous && previous->parent() == view)
        previous->deleteLater();
}

void applyImageRightEdge(QTextEdit *view, int right)
{
    // The paragraphs never wrap; the right edge is the width the view lays
    // them out in and scrolls across.
    if (view->wordWrapMode() != QTextOption::NoWrap)
        view->setWordWrapMode(QTextOption::NoWrap);
    if (view->lineWrapMode() != QTextEdit::FixedPixelWidth)
        view->setLineWrapMode(QTextEdit::FixedPixelWidth);
    // Every change relays the whole document out; the layout applies this on
    // every resize.
    right = qMax(0, right);
    if (view->lineWrapColumnOrWidth() != right)
        view->setLineWrapColumnOrWidth(right);
}

int imageFirstVisibleLine(const QTextEdit *view, int hint)
{
    // A line scrolled exactly to the top edge begins where the one before it
    // ends, and a hit there counts for the one before: look one pixel lower.
    const qreal top = view->verticalScrollBar()->value() + 1;
    // Walked from the start rather than hit-tested: a hit test on a preview
    // that is still being laid out in idle time lays out all of it first,
    // while the walk lays out only the lines down to the top edge, which the
    // view paints anyway.
    // The walk starts at the hint (the line shown first last time), so a
    // scroll costs the lines it moved over, not every line above the view.
    const QTextDocument *document = view->document();
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    QTextBlock block = document->findBlockByNumber(qMax(0, hint));
    if (!block.isValid())
        block = document->begin();
    for (QTextBlock previous = block.previous();
         previous.isValid() && layout->blockBoundingRect(previous).bottom() > top; previous = previous.previous())
        block = previous;
    for (QTextBlock next = block.next(); next.isValid(); block = next, next = next.next()) {
        if (layout->blockBoundingRect(block).bottom() > top)
            break;
    }
    return block.blockNumber();
}

void scrollImageToLine(QTextEdit *view, int line)
{
    QTextDocument *document = view->document();
    QScrollBar *bar = view->verticalScrollBar();
    const QTextBlock block = document->findBlockByNumber(qBound(0, line, document->blockCount() - 1));
    if (block.blockNumber() <= 0) {
        bar->setValue(0);
        return;
    }
    const QRectF rect = document->documentLayout()->blockBoundingRect(block);
    bar->setValue(int(std::ceil(rect.top())));
}

} // namespace zeq
