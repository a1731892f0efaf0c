#pragma once
// The display image as a Qt rich-text document: the character formats of its
// runs, the highlight attribute it shares with the settings sample, and the
// view operations the preview needs (its right edge, its first visible line,
// scrolling by lines).

#include "ruby/displayimage.h"

#include <QList>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>

class QTextDocument;
class QTextEdit;

namespace zeq {

// The highlight attribute: bold, which reads well in Mincho and Gothic faces
// alike. Separators and messages carry it; other text has it cleared.
void applyHighlight(QTextCharFormat &format, bool on);
bool hasHighlight(const QTextCharFormat &format);

// The format of a run in a preview whose base font size is basePoints. A
// size that would drop below one point is held at one.
QTextCharFormat imageRunFormat(const ImageRun &run, int basePoints);

// Builds a preview document one line at a time.
//
// The document is detached: no view shows it and nothing lays it out while it
// grows, and all insertions share one edit block, so a line costs little
// more than its characters. The caller hands it to the view once, complete or
// not (an aborted rendering shows the lines built so far).
class ImageDocumentBuilder {
public:
    // Takes the base font, margin and text options of the view that will
    // show the document.
    explicit ImageDocumentBuilder(const QTextEdit *view);
    ~ImageDocumentBuilder();

    ImageDocumentBuilder(const ImageDocumentBuilder &) = delete;
    ImageDocumentBuilder &operator=(const ImageDocumentBuilder &) = delete;

    // Appends one line; every line after the first starts a new paragraph.
    void addLine(const ImageLine &line);
    int lineCount() const { return m_lines; }

    // Ends building and hands the document over; the builder is spent.
    std::unique_ptr<QTextDocument> take();

private:
    const QTextCharFormat &formatFor(const ImageRun &run);

    struct CachedFormat {
        qint32 color;
        int sizeDelta;
        bool highlight;
        QTextCharFormat format;
    };

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    int m_basePoints = 12;
    int m_lines = 0;
    // A rendering uses a handful of looks; building each format once keeps
    // their construction out of the per-run cost.
    QList<CachedFormat> m_formats;
};

// Puts a built preview into the view with the given right edge (see
// applyImageRightEdge). The view owns it from then on; the preview it showed
// before is deleted once control is back in the event loop.
void showImageDocument(QTextEdit *view, std::unique_ptr<QTextDocument> document, int right);

// The preview's formatting rectangle: lines never wrap, and the text width
// takes the given right edge (pixels) so that the widest line fits inside it.
void applyImageRightEdge(QTextEdit *view, int right);

// Index of the first line in view (lines never wrap, so a paragraph is a line).
// hint is where to start looking: the line that was first in view before.
int imageFirstVisibleLine(const QTextEdit *view, int hint = 0);
// Scrolls so that the given line is the first in view, as far as the
// scroll range allows.
void scrollImageToLine(QTextEdit *view, int line);

} // namespace zeq
