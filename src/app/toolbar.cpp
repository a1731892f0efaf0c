#include "app/toolbar.h"

#include "platform/bakedpictures.h"
#include "app/layout.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace zeq {

ToolHotSpot::ToolHotSpot(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setObjectName(QStringLiteral("Image1_%1").arg(index));
    setGeometry(toolHotSpotRect(index));
    // Hover lights the button, so moves without a button held must arrive.
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void ToolHotSpot::setBorderStyle(int style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
}

namespace {

// A light wash tells the user a button is out of use for now.
const QColor kDisabledWash(0xE6, 0xE6, 0xE6, 150);

} // namespace

void ToolHotSpot::paintEvent(QPaintEvent *)
{
    // The strip draws the wash of a disabled button from its washed copy;
    // only over a lit highlight, which lies above the strip, must the button
    // wash it itself. Most buttons paint nothing, so open no painter for them.
    const bool washHere = !isEnabled() && m_highlight && m_highlight->isVisible();
    if (!washHere && m_borderStyle != 1)
        return;
    QPainter painter(this);
    if (washHere)
        painter.fillRect(rect(), kDisabledWash);
    if (m_borderStyle == 1) {
        painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ToolHotSpot::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseMoved(m_index);
}

void ToolHotSpot::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
}

void ToolHotSpot::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    // Letting go outside the button takes the press back.
    if (rect().contains(event->position().toPoint()))
        emit clicked(m_index);
}

void ToolHotSpot::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_pressed = false;
        update();
    }
    QWidget::changeEvent(event);
}

namespace {

// A highlight picture is drawn the first time it is shown: most never are,
// and drawing all eighteen up front was a quarter of the start-up.
class HighlightLabel : public QLabel {
public:
    HighlightLabel(int index, QWidget *parent) : QLabel(parent), m_index(index) {}

protected:
    void showEvent(QShowEvent *event) override
    {
        if (!m_drawn) {
            m_drawn = true;
            setPixmap(toolbarIcon(m_index));
        }
        QLabel::showEvent(event);
    }

private:
    int m_index;
    bool m_drawn = false;
};

} // namespace

ToolbarStrip::ToolbarStrip(QWidget *parent) : QWidget(parent)
{
    setFixedSize(kStripWidthPx, kStripHeightPx);
    setMouseTracking(true);

    // Highlights first, so that the hot spots lie on top of them and keep
    // the mouse; the highlights never take it themselves.
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto *lit = new HighlightLabel(i, this);
        lit->setObjectName(QStringLiteral("imgButton_%1").arg(i));
        lit->setGeometry(toolHighlightRect(i));
        lit->setAttribute(Qt::WA_TransparentForMouseEvents);
        lit->hide();
        m_highlights[i] = lit;
    }
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto *spot = new ToolHotSpot(i, this);
        spot->m_highlight = m_highlights[i];
        connect(spot, &ToolHotSpot::mouseMoved, this, &ToolbarStrip::buttonMouseMoved);
        connect(spot, &ToolHotSpot::clicked, this, &ToolbarStrip::buttonClicked);
        m_hotSpots[i] = spot;
    }
}

void ToolbarStrip::paintEvent(QPaintEvent *event)
{
    // Baked while building: drawing it here took a tenth of the start-up.
    if (m_picture.isNull())
        m_picture = QPixmap::fromImage(bakedToolbarStrip());
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);

    // Greying buttons out is then a copy from the washed strip, in this one
    // painter, instead of a painter and a blend per button.
    for (const ToolHotSpot *spot : m_hotSpots) {
        if (spot->isEnabled() || !event->region().intersects(spot->geometry()))
            continue;
        if (spot->m_highlight->isVisible())
            continue;
        if (m_washedPicture.isNull())
            m_washedPicture = washedPicture();
        painter.drawPixmap(spot->pos(), m_washedPicture, spot->geometry());
    }
}

QPixmap ToolbarStrip::washedPicture() const
{
    QPixmap washed = m_picture;
    QPainter painter(&washed);
    for (const ToolHotSpot *spot : m_hotSpots)
        painter.fillRect(spot->geometry(), kDisabledWash);
    return washed;
}

void ToolbarStrip::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit stripMouseMoved();
}

} // namespace zeq
