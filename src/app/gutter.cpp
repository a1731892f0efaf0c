#include "app/gutter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

namespace zeq {

LineNumberGutter::LineNumberGutter(QWidget *parent) : QPlainTextEdit(parent) {}

void LineNumberGutter::setPlacedNumbers(const QList<PlacedNumber> &numbers)
{
    // Asked again on every gutter tick: repaint only what moved.
    if (numbers == m_placed)
        return;
    m_placed = numbers;
    viewport()->update();
}

void LineNumberGutter::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_placed.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setFont(font());
    // Where the rows' text starts, so that the numbers keep their column.
    const qreal left = contentOffset().x() + document()->documentMargin();
    for (const PlacedNumber &placed : m_placed) {
        painter.setPen(placed.color);
        painter.drawText(QPointF(left, placed.baseline), QString::number(placed.number));
    }
}

} // namespace zeq
