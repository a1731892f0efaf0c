#pragma once
// The line-number gutter beside the edit area. Beside the edit view its
// numbers are rows of text, one per row of the edit area. A view whose rows
// are not the gutter's (the ruby preview, where a line takes rows of its
// own height) places each number at the base line of its line instead.

#include <QColor>
#include <QList>
#include <QPlainTextEdit>

namespace zeq {

class LineNumberGutter : public QPlainTextEdit {
    Q_OBJECT
public:
    // A line number drawn at a base line of the viewport, in a colour.
    struct PlacedNumber {
        int number = 0;
        qreal baseline = 0;
        QColor color;

        bool operator==(const PlacedNumber &) const = default;
    };

    explicit LineNumberGutter(QWidget *parent = nullptr);

    // Numbers drawn over the gutter's own rows, which are then best left
    // empty; none: the rows alone.
    void setPlacedNumbers(const QList<PlacedNumber> &numbers);
    const QList<PlacedNumber> &placedNumbers() const { return m_placed; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<PlacedNumber> m_placed;
};

} // namespace zeq
