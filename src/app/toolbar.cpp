#include "app/toolbar.h"

#include "platform/bakedpictures.h"
#include "app/layout.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace zeq {

namespace {

// A light wash tells the user a button is out of use for now.
const QColor kDisabledWash(0xE6, 0xE6, 0xE6, 150);

} // namespace

ToolHotSpot::ToolHotSpot(int index, QWidget *parent) : QWidget(parent), m_index(index)
{
    setObjectName(QStringLiteral("Image1_%1").arg(index));
    setGeometry(toolHotSpotRect(index));
    // Hover lights the button, so moves without a button held must arrive.
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    // Without its frame a hot spot draws nothing: the strip and the
    // highlight beneath draw the button, greyed or not. Kept out of the
    // strip's repaints, greying the buttons out sends no paint event to each.
    setUpdatesEnabled(false);
}

void ToolHotSpot::setBorderStyle(int style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    if (m_borderStyle == 1) {
        // Also paints it.
        setUpdatesEnabled(true);
    } else {
        setUpdatesEnabled(false);
        // The frame goes under what lies beneath it.
        parentWidget()->update(geometry());
    }
}

void ToolHotSpot::paintEvent(QPaintEvent *)
{
    // Only a framed hot spot is painted at all.
    if (m_borderStyle != 1)
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
        // The strip and a lit highlight draw the grey look; the strip's one
        // repaint takes in every button greyed at the same time.
        parentWidget()->update(geometry());
        if (m_highlight && m_highlight->isVisible())
            m_highlight->update();
    }
    QWidget::changeEvent(event);
}

namespace {

// A highlight picture is drawn the first time it is shown: most never are,
// and drawing all eighteen up front was a quarter of the start-up.
class HighlightLabel : public QLabel {
public:
    HighlightLabel(int index, QWidget *parent) : QLabel(parent), m_index(index) {}

    // The hot spot over this highlight.
    const QWidget *hotSpot = nullptr;

protected:
    void showEvent(QShowEvent *event) override
    {
        if (!m_drawn) {
            m_drawn = true;
            setPixmap(toolbarIcon(m_index));
        }
        QLabel::showEvent(event);
    }

    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        // A button greyed out while lit is washed over, its highlight too.
        if (hotSpot && !hotSpot->isEnabled()) {
            QPainter painter(this);
            painter.fillRect(QRect(mapFromParent(hotSpot->pos()), hotSpot->size()), kDisabledWash);
        }
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
        static_cast<HighlightLabel *>(m_highlights[i])->hotSpot = spot;
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

    // A greyed button is a copy from the washed strip, in this one painter,
    // instead of a painter and a blend per button. Where a lit highlight
    // lies over it, the highlight washes its own part, the strip's and its
    // picture's together.
    for (const ToolHotSpot *spot : m_hotSpots) {
        if (spot->isEnabled() || !event->region().intersects(spot->geometry()))
            continue;
        if (m_washedPicture.isNull())
            m_washedPicture = washedPicture();
        QRegion washed(spot->geometry());
        if (spot->m_highlight->isVisible())
            washed -= spot->m_highlight->geometry();
        for (const QRect &part : washed)
            painter.drawPixmap(part.topLeft(), m_washedPicture, part);
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
