#pragma once
// Readings set above their kanji, as a printed book sets them, on top of
// QTextLayout: Qt shapes the text and hands out the glyphs, and the placing
// is done here. A reading is centred above its kanji run; a reading wider
// than its run widens the run, whose characters spread out evenly beneath
// it, so that no two readings ever touch. Rows break only between pieces: a
// run and its reading always stay together.

#include "ruby/rubysegments.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QRectF>
#include <QTextLayout>


class QPainter;

namespace zeq {

// Fonts and colours of the ruby preview.
struct RubyLook {
    QFont base;
    // Half the base size, in the same face.
    QFont reading;
    // Well-formed lines and their readings.
    QColor text;
    QColor background;
    // The size faulty lines' runs are sized against (whole points).
    int basePoints = 12;
};

// The look the settings give: the preview's face and size, the text colour
// and the preview's background.
RubyLook rubyLook(const SettingsRecord &settings);

// Every row of every line has this height: a band for readings above a
// line of text, faulty lines included, so that lines keep one rhythm.
qreal rubyRowHeight(const RubyLook &look);

// One piece of a well-formed line as placed: an annotated run with its
// reading, or one character of plain text.
struct RubyBox {
    // Where the piece lies in the line's text (the concatenated bases) and,
    // for a run, where its reading lies in the concatenated readings.
    int baseFrom = 0;
    int baseLength = 0;
    int readingFrom = 0;
    int readingLength = 0;
    // The text's and the reading's natural widths.
    qreal baseWidth = 0;
    qreal readingWidth = 0;
    // A row may end before this piece.
    bool breakBefore = true;

    // Placement, set by wrapping: the row, the left edge on it and the
    // width the piece takes (the wider of text and reading).
    int row = 0;
    qreal x = 0;
    qreal width = 0;

    bool hasReading() const { return readingLength > 0; }
};

class RubyLineLayout {
public:
    RubyLineLayout(const RubyLineImage &line, const RubyLook &look);
    ~RubyLineLayout();

    RubyLineLayout(const RubyLineLayout &) = delete;
    RubyLineLayout &operator=(const RubyLineLayout &) = delete;

    // Breaks the line into rows no wider than width, where the text allows
    // a break; a piece wider than a whole row stands on a row of its own.
    void wrap(qreal width);

    int rowCount() const { return m_rows; }
    qreal rowHeight() const { return m_rowHeight; }
    qreal height() const { return m_rows * m_rowHeight; }
    // The base line of the first row's text, below the first row's top.
    qreal baseline() const { return m_readingBand + m_baseAscent; }

    bool ok() const { return m_ok; }
    // The line's text as it stands on the rows (without readings; for a
    // faulty line the raw characters and the message).
    QString text() const;
    // The pieces of a well-formed line; none for a faulty line.
    const QList<RubyBox> &boxes() const { return m_boxes; }

    // Where a piece's text and its reading are drawn, in the line's own
    // coordinates (the first row's top at 0). The text's rectangle runs from
    // the left of its first character to the right of its last one as
    // drawn; the reading's is empty for plain text.
    QRectF baseRect(const RubyBox &box) const;
    QRectF readingRect(const RubyBox &box) const;

    // Draws the line with its first row's top left corner at topLeft.
    void draw(QPainter *painter, const QPointF &topLeft) const;

private:
    // Glyphs taken from one of the two layouts, and where they go.
    struct Piece {
        QPointF offset;
        QList<QGlyphRun> runs;
    };

    void buildBoxes(const QList<RubySegment> &segments);
    void wrapBoxes(qreal width);
    void placePieces();
    void addPiece(const QTextLayout &layout, int from, int length, qreal dx, qreal dy);
    qreal baseX(int position) const;
    qreal readingX(int position) const;
    // The spread of a widened run: extra space per character, and how many
    // characters share it.
    qreal spreadPerCharacter(const RubyBox &box) const;
    int characterCount(int from, int length) const;

    bool m_ok = false;
    QColor m_textColor;
    qreal m_readingBand = 0;
    qreal m_baseAscent = 0;
    qreal m_rowHeight = 0;
    qreal m_width = -1;
    int m_rows = 1;

    // Well-formed: the bases and the readings, each shaped as one line
    // that never wraps.
    QTextLayout m_base;
    QTextLayout m_reading;
    // Natural x of every position of the bases and of the readings.
    QList<qreal> m_baseX;
    QList<qreal> m_readingX;
    QList<RubyBox> m_boxes;
    QList<Piece> m_pieces;
};

} // namespace zeq
