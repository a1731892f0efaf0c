#pragma once
// The tool bar strip of the main window: one picture of eighteen grey
// buttons, an invisible hot spot over each button that carries its tip and
// takes the mouse, and a colour highlight picture per button that the main
// window shows while the mouse is over it. The strip only reports what the
// mouse does; the main window decides what lights up and what runs.

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <array>

class QLabel;

namespace zeq {

inline constexpr int kToolButtonCount = 18;
// The strip's picture and widget size in pixels.
inline constexpr int kStripWidthPx = 603;
inline constexpr int kStripHeightPx = 35;
// Hot spots and highlight pictures are square, this many pixels a side.
inline constexpr int kToolButtonSize = 32;

// Artwork, drawn in code (toolbarart.cpp).
// The whole strip: every button's symbol in grey on a shaded background,
// each at the place of its highlight picture. The window shows the copy
// baked while building (bakedpictures.h).
QImage toolbarStripImage();
// The lit look of button index: its symbol in colour on a transparent
// background, kToolButtonSize pixels square.
QPixmap toolbarIcon(int index);

// Where button index sits on the strip, in pixels. The highlight of button 9
// lies one twip-step up and left of its hot spot, as the strip is drawn.
QRect toolHotSpotRect(int index);
QRect toolHighlightRect(int index);

// One hot spot, toolButtons(index): no picture of its own, only its tip, the
// mouse and a thin frame (border style 1) while its button is pressed.
class ToolHotSpot : public QWidget {
    Q_OBJECT
public:
    ToolHotSpot(int index, QWidget *parent);

    int index() const { return m_index; }
    // 0: no frame; 1: a thin frame.
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

signals:
    // The mouse moved over the hot spot (with or without a button held).
    void mouseMoved(int index);
    // A left-button press and release, both on the hot spot.
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class ToolbarStrip;

    int m_index;
    int m_borderStyle = 0;
    bool m_pressed = false;
    // The button's highlight picture, beneath it on the strip.
    QWidget *m_highlight = nullptr;
};

// The strip, toolStrip: a fixed 603 x 35 pixel picture that does not
// stretch with the window.
class ToolbarStrip : public QWidget {
    Q_OBJECT
public:
    explicit ToolbarStrip(QWidget *parent);

    ToolHotSpot *hotSpot(int index) const { return m_hotSpots.at(index); }
    QLabel *highlight(int index) const { return m_highlights.at(index); }

signals:
    void buttonMouseMoved(int index);
    void buttonClicked(int index);
    // The mouse moved over the strip outside every enabled hot spot.
    void stripMouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The strip with every button washed over, made the first time a button
    // is greyed out.
    QPixmap washedPicture() const;

    QPixmap m_picture;
    QPixmap m_washedPicture;
    std::array<ToolHotSpot *, kToolButtonCount> m_hotSpots{};
    std::array<QLabel *, kToolButtonCount> m_highlights{};
};

} // namespace zeq
