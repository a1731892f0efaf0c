#include "ruby/rubylayout.h"

#include "platform/fonts.h"
#include "ruby/imagerender.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <cmath>
#include <limits>

namespace zeq {

namespace {

// Wide enough for the longest line a document can hold in any font size.
constexpr qreal kUnboundedWidth = qreal(std::numeric_limits<int>::max() / 128);

void shapeAsOneLine(QTextLayout &layout, const QString &text, const QFont &font)
{
    layout.setText(text);
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(kUnboundedWidth);
    layout.endLayout();
}

// The natural x of every position of a layout shaped as one line.
QList<qreal> naturalPositions(const QTextLayout &layout)
{
    const int length = int(layout.text().size());
    QList<qreal> xs(length + 1, 0);
    if (layout.lineCount() == 0)
        return xs;
    const QTextLine line = layout.lineAt(0);
    for (int position = 0; position <= length; ++position)
        xs[position] = line.cursorToX(position);
    return xs;
}

} // namespace

RubyLook rubyLook(const SettingsRecord &settings)
{
    RubyLook look;
    look.base = storedFont(settings.gZeqFontName, settings.gZeqFontSize);
    look.reading = look.base;
    look.reading.setPointSizeF(look.base.pointSizeF() / 2);
    look.text = colorFromRef(settings.gFontColor);
    look.background = colorFromRef(settings.gRchBackColor);
    look.basePoints = look.base.pointSize();
    return look;
}

namespace {

qreal readingBand(const RubyLook &look)
{
    const QFontMetricsF metrics(look.reading);
    return std::ceil(metrics.ascent() + metrics.descent());
}

} // namespace

qreal rubyRowHeight(const RubyLook &look)
{
    return readingBand(look) + std::ceil(QFontMetricsF(look.base).lineSpacing());
}

RubyLineLayout::RubyLineLayout(const RubyLineImage &line, const RubyLook &look)
    : m_ok(line.ok), m_textColor(look.text)
{
    m_readingBand = readingBand(look);
    m_baseAscent = QFontMetricsF(look.base).ascent();
    m_rowHeight = rubyRowHeight(look);

    if (m_ok) {
        QString bases;
        QString readings;
        for (const RubySegment &segment : line.segments) {
            bases += segment.base;
            readings += segment.reading;
        }
        shapeAsOneLine(m_base, bases, look.base);
        shapeAsOneLine(m_reading, readings, look.reading);
        m_baseX = naturalPositions(m_base);
        m_readingX = naturalPositions(m_reading);
        buildBoxes(line.segments);
    } else {
        m_base.setText(line.faulty.text());
        m_base.setFont(look.base);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_base.setTextOption(option);
        QList<QTextLayout::FormatRange> formats;
        int at = 0;
        for (const ImageRun &run : line.faulty.runs) {
            formats.append({at, int(run.text.size()), imageRunFormat(run, look.basePoints)});
            at += int(run.text.size());
        }
        m_base.setFormats(formats);
    }
}

RubyLineLayout::~RubyLineLayout() = default;

qreal RubyLineLayout::baseX(int position) const
{
    return m_baseX.value(position);
}

qreal RubyLineLayout::readingX(int position) const
{
    return m_readingX.value(position);
}

int RubyLineLayout::characterCount(int from, int length) const
{
    int count = 0;
    for (int at = from; at < from + length; at = m_base.nextCursorPosition(at))
        ++count;
    return count;
}

void RubyLineLayout::buildBoxes(const QList<RubySegment> &segments)
{
    const QString &text = m_base.text();
    // Where the text allows a row to end: not before 。 or 、, not inside a
    // Latin word, and so on.
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    auto breakAllowed = [&](int position) {
        breaks.setPosition(position);
        return breaks.isAtBoundary();
    };

    int at = 0;
    int readingAt = 0;
    for (const RubySegment &segment : segments) {
        const int length = int(segment.base.size());
        if (!segment.reading.isEmpty()) {
            RubyBox box;
            box.baseFrom = at;
            box.baseLength = length;
            box.readingFrom = readingAt;
            box.readingLength = int(segment.reading.size());
            box.baseWidth = baseX(at + length) - baseX(at);
            box.readingWidth = readingX(readingAt + box.readingLength) - readingX(readingAt);
            box.breakBefore = breakAllowed(at);
            m_boxes.append(box);
            readingAt += box.readingLength;
        } else {
            // Plain text goes character by character, so a row can end
            // wherever the text lets it.
            for (int from = at; from < at + length;) {
                const int next = qMin(m_base.nextCursorPosition(from), at + length);
                RubyBox box;
                box.baseFrom = from;
                box.baseLength = next - from;
                box.baseWidth = baseX(next) - baseX(from);
                box.breakBefore = breakAllowed(from);
                m_boxes.append(box);
                from = next;
            }
        }
        at += length;
    }
}

void RubyLineLayout::wrap(qreal width)
{
    if (width == m_width)
        return;
    m_width = width;
    const qreal limit = width > 0 ? width : kUnboundedWidth;

    if (!m_ok) {
        m_base.beginLayout();
        int row = 0;
        for (QTextLine line = m_base.createLine(); line.isValid(); line = m_base.createLine(), ++row) {
            line.setLineWidth(limit);
            // The base line of every row lies where a well-formed line's
            // lies, below the band its readings would take.
            line.setPosition(QPointF(0, row * m_rowHeight + m_readingBand + m_baseAscent - line.ascent()));
        }
        m_base.endLayout();
        m_rows = qMax(1, row);
        return;
    }

    wrapBoxes(limit);
    placePieces();
}

void RubyLineLayout::wrapBoxes(qreal limit)
{
    int row = 0;
    qreal x = 0;
    for (qsizetype first = 0; first < m_boxes.size();) {
        // Pieces that no break separates move to a new row together.
        qsizetype end = first + 1;
        qreal clusterWidth = qMax(m_boxes[first].baseWidth, m_boxes[first].readingWidth);
        while (end < m_boxes.size() && !m_boxes[end].breakBefore) {
            clusterWidth += qMax(m_boxes[end].baseWidth, m_boxes[end].readingWidth);
            ++end;
        }
        if (x > 0 && x + clusterWidth > limit) {
            ++row;
            x = 0;
        }
        // Wider than a whole row: it breaks between its pieces after all.
        const bool breakInside = clusterWidth > limit;
        for (qsizetype i = first; i < end; ++i) {
            RubyBox &box = m_boxes[i];
            box.width = qMax(box.baseWidth, box.readingWidth);
            if (breakInside && x > 0 && x + box.width > limit) {
                ++row;
                x = 0;
            }
            box.row = row;
            box.x = x;
            x += box.width;
        }
        first = end;
    }
    m_rows = row + 1;
}

qreal RubyLineLayout::spreadPerCharacter(const RubyBox &box) const
{
    if (box.readingWidth <= box.baseWidth || box.baseLength == 0)
        return 0;
    return (box.width - box.baseWidth) / characterCount(box.baseFrom, box.baseLength);
}

void RubyLineLayout::addPiece(const QTextLayout &layout, int from, int length, qreal dx, qreal dy)
{
    if (length <= 0)
        return;
    m_pieces.append(Piece{QPointF(dx, dy), layout.glyphRuns(from, length)});
}

void RubyLineLayout::placePieces()
{
    m_pieces.clear();
    const qreal baseLineAscent = m_base.lineCount() > 0 ? m_base.lineAt(0).ascent() : 0;
    const qreal readingLineAscent = m_reading.lineCount() > 0 ? m_reading.lineAt(0).ascent() : 0;
    const QFontMetricsF readingMetrics(m_reading.font());

    // Plain characters next to each other on a row keep their natural
    // spacing, so they are drawn as one stretch.
    int stretchFrom = -1;
    int stretchEnd = -1;
    int stretchRow = -1;
    qreal stretchDx = 0;
    auto flush = [&] {
        if (stretchFrom >= 0)
            addPiece(m_base, stretchFrom, stretchEnd - stretchFrom, stretchDx,
                     stretchRow * m_rowHeight + m_readingBand + m_baseAscent - baseLineAscent);
        stretchFrom = -1;
    };

    for (const RubyBox &box : m_boxes) {
        const qreal rowTop = box.row * m_rowHeight;
        const qreal baseDy = rowTop + m_readingBand + m_baseAscent - baseLineAscent;
        if (!box.hasReading()) {
            const qreal dx = box.x - baseX(box.baseFrom);
            if (stretchFrom >= 0 && stretchRow == box.row && stretchEnd == box.baseFrom
                && std::abs(stretchDx - dx) < 0.01) {
                stretchEnd = box.baseFrom + box.baseLength;
                continue;
            }
            flush();
            stretchFrom = box.baseFrom;
            stretchEnd = box.baseFrom + box.baseLength;
            stretchRow = box.row;
            stretchDx = dx;
            continue;
        }
        flush();

        const qreal spread = spreadPerCharacter(box);
        if (spread > 0) {
            // Each character takes an equal share of the extra width, half
            // of it on either side.
            int index = 0;
            for (int at = box.baseFrom; at < box.baseFrom + box.baseLength; ++index) {
                const int next = qMin(m_base.nextCursorPosition(at), box.baseFrom + box.baseLength);
                addPiece(m_base, at, next - at, box.x + spread * (index + 0.5) - baseX(box.baseFrom), baseDy);
                at = next;
            }
        } else {
            addPiece(m_base, box.baseFrom, box.baseLength,
                     box.x + (box.width - box.baseWidth) / 2 - baseX(box.baseFrom), baseDy);
        }
        addPiece(m_reading, box.readingFrom, box.readingLength,
                 box.x + (box.width - box.readingWidth) / 2 - readingX(box.readingFrom),
                 rowTop + readingMetrics.ascent() - readingLineAscent);
    }
    flush();
}

QString RubyLineLayout::text() const
{
    return m_base.text();
}

QRectF RubyLineLayout::baseRect(const RubyBox &box) const
{
    const qreal spread = spreadPerCharacter(box);
    const qreal left = spread > 0 ? box.x + spread / 2 : box.x + (box.width - box.baseWidth) / 2;
    const qreal width = spread > 0 ? box.width - spread : box.baseWidth;
    return QRectF(left, box.row * m_rowHeight + m_readingBand, width, m_rowHeight - m_readingBand);
}

QRectF RubyLineLayout::readingRect(const RubyBox &box) const
{
    if (!box.hasReading())
        return QRectF();
    return QRectF(box.x + (box.width - box.readingWidth) / 2, box.row * m_rowHeight, box.readingWidth,
                  m_readingBand);
}

void RubyLineLayout::draw(QPainter *painter, const QPointF &topLeft) const
{
    if (!m_ok) {
        m_base.draw(painter, topLeft);
        return;
    }
    painter->setPen(m_textColor);
    for (const Piece &piece : m_pieces) {
        for (const QGlyphRun &run : piece.runs)
            painter->drawGlyphRun(topLeft + piece.offset, run);
    }
}

} // namespace zeq
