#pragma once
// The ruby preview: the document with every reading set above its kanji, as
// a printed book shows it. Lines wrap at the view's width; faulty lines keep
// the display image's colours and red message.
//
// It scrolls by whole lines of the document, as the display image's first
// visible line counts them. Only the lines in view are laid out, so showing
// a document costs its check plus one screenful, whatever its length.

#include "ruby/rubylayout.h"

#include <QAbstractScrollArea>

#include <memory>
#include <vector>

namespace zeq {

class RubyPreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit RubyPreview(QWidget *parent = nullptr);
    ~RubyPreview() override;

    // Takes the document's lines (without line ends) and shows them in the
    // look and with the separators of the settings, from the first line.
    void setLines(const QStringList &lines, const SettingsRecord &settings);
    int lineCount() const { return int(m_lines.size()); }

    int firstVisibleLine() const;
    // Scrolls so that line is the first in view, as far as there are lines.
    void scrollToLine(int line);
    // The document line shown at a point of the viewport; -1 below the last.
    int lineAt(const QPoint &viewportPos);

    // A document line in view and the base line of its first row, in the
    // viewport's coordinates.
    struct VisibleLine {
        int line = 0;
        qreal baseline = 0;
    };
    // The lines in view, top to bottom, as the next paint places them.
    QList<VisibleLine> visibleLines();

    // A line laid out at the view's present width.
    const RubyLineLayout &lineLayout(int line);
    // How many lines are kept laid out.
    std::size_t keptLayoutCount() const { return m_keptLayouts; }

signals:
    // A line was double-clicked.
    void lineActivated(int line);
    // The lines in view or their places changed: scrolled, resized, or new
    // lines. Sent at once, before the view repaints.
    void visibleLinesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    qreal wrapWidth() const;
    void updateScrollRange();

    RubyLook m_look;
    std::vector<RubyLineImage> m_lines;
    // Laid out on first sight; dropped when the lines change, and those far
    // from the view once many are kept, so paging through a long document
    // does not keep the layout of every line it passed.
    std::vector<std::unique_ptr<RubyLineLayout>> m_layouts;
    std::size_t m_keptLayouts = 0;
};

} // namespace zeq
