// The tool bar's pictures, drawn with QPainter so that they need no image
// files: each button's symbol is drawn once in colour on a 32 x 32 grid; the
// strip shows the same symbols turned grey, the highlight shows them in
// colour on a lit button face.

#include "app/toolbar.h"

#include "app/layout.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

namespace zeq {

namespace {

const QColor kInk(0x2B, 0x33, 0x3D);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kPaperLine(0x8A, 0x9A, 0xAE);
const QColor kRed(0xD8, 0x2F, 0x2F);
const QColor kDarkRed(0x8E, 0x16, 0x16);
const QColor kBlue(0x2F, 0x6D, 0xC8);
const QColor kDarkBlue(0x1B, 0x3F, 0x7A);
const QColor kGreen(0x2E, 0x9E, 0x48);
const QColor kDarkGreen(0x17, 0x5E, 0x29);
const QColor kYellow(0xF4, 0xC4, 0x4A);
const QColor kDarkYellow(0xB9, 0x85, 0x1D);

QPen outline(const QColor &color, qreal width = 1.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded top-right corner and ruled lines.
void drawPage(QPainter &p, const QRectF &r, int lines, qreal fold = 5)
{
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(outline(kInk));
    p.setBrush(kPaper);
    p.drawPath(page);

    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xDD, 0xE3, 0xEA));
    p.drawPath(corner);

    p.setPen(outline(kPaperLine, 1.2));
    const qreal step = (r.height() - fold - 4) / qMax(1, lines);
    for (int i = 0; i < lines; ++i) {
        const qreal y = r.top() + fold + 3 + step * i;
        const qreal right = r.right() - 3 - (i == lines - 1 ? r.width() / 3 : 0);
        p.drawLine(QPointF(r.left() + 3, y), QPointF(right, y));
    }
}

// A 3.5-inch disk: blue case, metal shutter above, paper label below.
void drawDisk(QPainter &p, const QRectF &r)
{
    const qreal w = r.width();
    const qreal h = r.height();
    p.setPen(outline(kDarkBlue));
    p.setBrush(kBlue);
    QPainterPath body;
    body.moveTo(r.left() + 2, r.top());
    body.lineTo(r.right() - 3, r.top());
    body.lineTo(r.right(), r.top() + 3);
    body.lineTo(r.right(), r.bottom() - 2);
    body.quadTo(r.right(), r.bottom(), r.right() - 2, r.bottom());
    body.lineTo(r.left() + 2, r.bottom());
    body.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 2);
    body.lineTo(r.left(), r.top() + 2);
    body.quadTo(r.left(), r.top(), r.left() + 2, r.top());
    p.drawPath(body);

    // Shutter with its window.
    const QRectF shutter(r.left() + w * 0.25, r.top(), w * 0.5, h * 0.36);
    p.setPen(outline(QColor(0x5A, 0x64, 0x70)));
    p.setBrush(QColor(0xC9, 0xD0, 0xD8));
    p.drawRect(shutter);
    p.setPen(Qt::NoPen);
    p.setBrush(kDarkBlue);
    p.drawRect(QRectF(shutter.left() + shutter.width() * 0.6, shutter.top() + 2, shutter.width() * 0.22,
                      shutter.height() - 4));

    // Label.
    const QRectF label(r.left() + w * 0.16, r.top() + h * 0.52, w * 0.68, h * 0.48 - 1.5);
    p.setPen(outline(kDarkBlue));
    p.setBrush(kPaper);
    p.drawRect(label);
    p.setPen(outline(kPaperLine, 1));
    p.drawLine(QPointF(label.left() + 2, label.top() + label.height() * 0.38),
               QPointF(label.right() - 2, label.top() + label.height() * 0.38));
    p.drawLine(QPointF(label.left() + 2, label.top() + label.height() * 0.72),
               QPointF(label.right() - 2, label.top() + label.height() * 0.72));
}

// A magnifying glass: lens centred at c with radius r, handle towards the
// lower right.
void drawMagnifier(QPainter &p, QPointF c, qreal r, qreal handle)
{
    const qreal d = r / std::sqrt(2.0);
    const QPointF handleStart(c.x() + d, c.y() + d);
    const QPointF handleEnd(handleStart.x() + handle, handleStart.y() + handle);
    p.setPen(QPen(QColor(0x5C, 0x38, 0x16), 5.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handleStart, handleEnd);
    p.setPen(QPen(QColor(0xA8, 0x6B, 0x32), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handleStart + QPointF(1, 1), handleEnd);

    QRadialGradient glass(c - QPointF(r / 3, r / 3), r * 1.2);
    glass.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    glass.setColorAt(1, QColor(0xA9, 0xD2, 0xF5));
    p.setBrush(glass);
    p.setPen(QPen(kInk, 2.2));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r + 2.5, c.y() - r + 2.5, 2 * r - 5, 2 * r - 5), 100 * 16, 70 * 16);
}

// A straight arrow from 'from' pointing right, its head ending at x = tipX.
void drawRightArrow(QPainter &p, QPointF from, qreal tipX, qreal half, const QColor &fill, const QColor &edge)
{
    const qreal y = from.y();
    const qreal headLen = half * 1.4;
    QPainterPath arrow;
    arrow.moveTo(from.x(), y - half * 0.45);
    arrow.lineTo(tipX - headLen, y - half * 0.45);
    arrow.lineTo(tipX - headLen, y - half);
    arrow.lineTo(tipX, y);
    arrow.lineTo(tipX - headLen, y + half);
    arrow.lineTo(tipX - headLen, y + half * 0.45);
    arrow.lineTo(from.x(), y + half * 0.45);
    arrow.closeSubpath();
    p.setPen(outline(edge, 1.2));
    p.setBrush(fill);
    p.drawPath(arrow);
}

// The undo hook: a curve from the lower right up and over to an arrow head
// pointing left. Redo draws it mirrored.
void drawUndoArrow(QPainter &p, const QColor &fill, const QColor &edge)
{
    QPainterPath curve;
    curve.moveTo(25, 27);
    curve.cubicTo(29, 17, 26, 10, 13, 10.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(edge, 6.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    p.setPen(QPen(fill, 3.8, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);

    QPainterPath head;
    head.moveTo(14, 3);
    head.lineTo(3, 10.5);
    head.lineTo(14, 18);
    head.closeSubpath();
    p.setPen(outline(edge, 1.2));
    p.setBrush(fill);
    p.drawPath(head);
}

void drawNew(QPainter &p)
{
    drawPage(p, QRectF(8.5, 3.5, 18, 25), 4);
    // A sparkle: the page is fresh.
    QPainterPath star;
    const QPointF c(8.5, 8.5);
    for (int i = 0; i < 8; ++i) {
        const qreal angle = qDegreesToRadians(i * 45.0 - 90);
        const qreal radius = i % 2 == 0 ? 6.5 : 2.2;
        const QPointF pt(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(outline(kDarkYellow, 1));
    p.setBrush(QColor(0xFF, 0xDA, 0x3A));
    p.drawPath(star);
}

void drawOpen(QPainter &p)
{
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(2.5, 27.5);
    back.lineTo(2.5, 7.5);
    back.lineTo(10.5, 7.5);
    back.lineTo(12.5, 10);
    back.lineTo(25.5, 10);
    back.lineTo(25.5, 27.5);
    back.closeSubpath();
    p.setPen(outline(kDarkYellow));
    p.setBrush(kDarkYellow.lighter(125));
    p.drawPath(back);

    // A sheet inside.
    p.setPen(outline(kPaperLine));
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 5.5, 15, 12));

    // The open front flap.
    QPainterPath front;
    front.moveTo(2.5, 27.5);
    front.lineTo(8, 15.5);
    front.lineTo(30, 15.5);
    front.lineTo(25.5, 27.5);
    front.closeSubpath();
    QLinearGradient shade(0, 15, 0, 28);
    shade.setColorAt(0, QColor(0xFF, 0xE0, 0x82));
    shade.setColorAt(1, kYellow);
    p.setPen(outline(kDarkYellow));
    p.setBrush(shade);
    p.drawPath(front);
}

void drawSave(QPainter &p)
{
    drawDisk(p, QRectF(4.5, 4.5, 23, 23));
}

void drawSaveAs(QPainter &p)
{
    drawDisk(p, QRectF(2.5, 7.5, 19, 19));
    // A pencil writing a new name.
    p.save();
    p.translate(22, 17);
    p.rotate(45);
    const QRectF shaft(-2.8, -13, 5.6, 14);
    p.setPen(outline(QColor(0x8A, 0x5A, 0x00)));
    p.setBrush(QColor(0xFF, 0xC8, 0x2E));
    p.drawRect(shaft);
    p.setBrush(QColor(0xE8, 0x8A, 0x9A));
    p.drawRect(QRectF(-2.8, -15.5, 5.6, 2.5));
    QPainterPath tip;
    tip.moveTo(-2.8, 1);
    tip.lineTo(0, 6);
    tip.lineTo(2.8, 1);
    tip.closeSubpath();
    p.setBrush(QColor(0xF3, 0xD9, 0xB0));
    p.drawPath(tip);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    QPainterPath lead;
    lead.moveTo(-1, 4.2);
    lead.lineTo(0, 6);
    lead.lineTo(1, 4.2);
    lead.closeSubpath();
    p.drawPath(lead);
    p.restore();
}

void drawCut(QPainter &p)
{
    // Blades crossing at the pivot.
    const QColor steel(0xA7, 0xB1, 0xBC);
    const QColor steelEdge(0x4A, 0x55, 0x60);
    for (int side = 0; side < 2; ++side) {
        QPainterPath blade;
        const qreal s = side == 0 ? 1 : -1;
        blade.moveTo(16 - s * 6.5, 19.5);
        blade.lineTo(16 + s * 7.5, 2.5);
        blade.lineTo(16 + s * 4.5, 2.5);
        blade.lineTo(16 - s * 8.5, 18.5);
        blade.closeSubpath();
        p.setPen(outline(steelEdge));
        p.setBrush(steel);
        p.drawPath(blade);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(steelEdge);
    p.drawEllipse(QPointF(16, 12), 1.6, 1.6);
    // Handles.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kDarkRed, 4.6));
    p.drawEllipse(QPointF(9, 24), 4.3, 4.3);
    p.drawEllipse(QPointF(23, 24), 4.3, 4.3);
    p.setPen(QPen(kRed, 2.6));
    p.drawEllipse(QPointF(9, 24), 4.3, 4.3);
    p.drawEllipse(QPointF(23, 24), 4.3, 4.3);
}

void drawCopy(QPainter &p)
{
    drawPage(p, QRectF(3.5, 2.5, 15, 19), 3, 4);
    drawPage(p, QRectF(12.5, 10.5, 16, 19), 3, 4);
}

void drawPaste(QPainter &p)
{
    // Clipboard.
    p.setPen(outline(QColor(0x6B, 0x42, 0x18)));
    p.setBrush(QColor(0xC0, 0x85, 0x48));
    p.drawRoundedRect(QRectF(3.5, 5.5, 19, 24), 2, 2);
    p.setBrush(QColor(0xB8, 0xC0, 0xC8));
    p.setPen(outline(QColor(0x50, 0x58, 0x60)));
    p.drawRoundedRect(QRectF(8.5, 2.5, 9, 6), 1.5, 1.5);
    // The pasted sheet.
    drawPage(p, QRectF(13.5, 11.5, 15, 18), 3, 4);
}

void drawBigX(QPainter &p, QPointF c, qreal half, qreal width)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kDarkRed, width + 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(half, -half), c + QPointF(-half, half));
    p.setPen(QPen(kRed, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(half, -half), c + QPointF(-half, half));
}

void drawDelete(QPainter &p)
{
    drawBigX(p, QPointF(16, 16), 9, 4.2);
}

// A back-quote separator mark: a short slanted stroke, heavier at the top.
void drawTick(QPainter &p, QPointF top, qreal length, const QColor &color)
{
    QPainterPath tick;
    tick.moveTo(top + QPointF(-1.6, 0));
    tick.lineTo(top + QPointF(1.8, 0));
    tick.lineTo(top + QPointF(length * 0.55 + 0.6, length));
    tick.lineTo(top + QPointF(length * 0.55 - 0.6, length));
    tick.closeSubpath();
    p.setPen(outline(color, 1));
    p.setBrush(color);
    p.drawPath(tick);
}

void drawDeleteEx(QPainter &p)
{
    // A whole annotated group: separator, two kanji, separator, reading.
    drawTick(p, QPointF(4, 4), 6, kBlue);
    p.setPen(outline(kInk));
    p.setBrush(QColor(0x55, 0x60, 0x70));
    p.drawRect(QRectF(9.5, 4.5, 6, 6.5));
    p.drawRect(QRectF(16.5, 4.5, 6, 6.5));
    drawTick(p, QPointF(26, 4), 6, kBlue);
    p.setPen(QPen(kBlue, 1.2, Qt::DashLine));
    p.drawLine(QPointF(3, 13.5), QPointF(29, 13.5));
    // ... goes in one stroke.
    drawBigX(p, QPointF(16, 22.5), 6, 3.6);
}

void drawSelectAll(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xCF, 0xE3, 0xFF));
    p.drawRect(QRectF(4, 5, 24, 22));
    p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 9 + i * 4.8;
        p.drawLine(QPointF(7.5, y), QPointF(i == 3 ? 18 : 24.5, y));
    }
    QPen dash(kBlue, 1.4, Qt::CustomDashLine);
    dash.setDashPattern({2.2, 1.6});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 3.5, 27, 25));
}

void drawInsertSeparator(QPainter &p)
{
    // The separator mark ...
    QPainterPath mark;
    mark.moveTo(5, 5);
    mark.cubicTo(5, 3, 9, 2.5, 10, 4.5);
    mark.lineTo(16, 15);
    mark.lineTo(14, 16);
    mark.closeSubpath();
    p.setPen(outline(kDarkRed, 1.2));
    p.setBrush(kRed);
    p.drawPath(mark);
    // ... going in at the caret.
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(22, 6), QPointF(22, 28));
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.5, 5.5), QPointF(25.5, 5.5));
    p.drawLine(QPointF(18.5, 28.5), QPointF(25.5, 28.5));
    // An arrow into the caret.
    p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 24), QPointF(17, 24));
    p.setPen(outline(kGreen, 2));
    p.drawLine(QPointF(13.5, 20.5), QPointF(17, 24));
    p.drawLine(QPointF(13.5, 27.5), QPointF(17, 24));
}

void drawFind(QPainter &p)
{
    drawMagnifier(p, QPointF(13, 13), 8.5, 8.5);
}

void drawFindNext(QPainter &p)
{
    drawMagnifier(p, QPointF(11.5, 11), 7.5, 4.5);
    drawRightArrow(p, QPointF(11, 25), 30, 5.5, kGreen, kDarkGreen);
}

void drawUndo(QPainter &p)
{
    drawUndoArrow(p, QColor(0x3B, 0x8B, 0xE8), kDarkBlue);
}

void drawRedo(QPainter &p)
{
    p.save();
    p.translate(32, 0);
    p.scale(-1, 1);
    drawUndoArrow(p, QColor(0x3B, 0x8B, 0xE8), kDarkBlue);
    p.restore();
}

void drawDisplayImage(QPainter &p)
{
    // A page of ruby text: kanji with their readings above them.
    p.setPen(outline(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 2.5, 25, 27));
    for (int row = 0; row < 2; ++row) {
        const qreal y = 5.5 + row * 12;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE0, 0x3A, 0x8A));
        p.drawRect(QRectF(7, y, 11, 2));
        p.setBrush(kDarkBlue);
        p.drawRect(QRectF(7, y + 3.5, 5, 5.5));
        p.drawRect(QRectF(13, y + 3.5, 5, 5.5));
        p.setBrush(QColor(0x6A, 0x78, 0x8A));
        p.drawRect(QRectF(19.5, y + 5, 3.5, 4));
        p.drawRect(QRectF(24, y + 5, 2, 4));
    }
}

void drawSettings(QPainter &p)
{
    QPainterPath gear;
    gear.addEllipse(QPointF(16, 16), 9.5, 9.5);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-2.6, -14, 5.2, 6));
        QTransform turn;
        turn.translate(16, 16);
        turn.rotate(i * 45.0);
        gear = gear.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(16, 16), 4, 4);
    gear = gear.subtracted(hole);
    QLinearGradient metal(0, 2, 0, 30);
    metal.setColorAt(0, QColor(0xA9, 0xB8, 0xCC));
    metal.setColorAt(1, QColor(0x5B, 0x6E, 0x8A));
    p.setPen(outline(QColor(0x2E, 0x3A, 0x4C), 1.2));
    p.setBrush(metal);
    p.drawPath(gear);
}

void drawExit(QPainter &p)
{
    // Door frame and the door swung open.
    p.setPen(outline(QColor(0x4A, 0x2C, 0x10), 1.4));
    p.setBrush(QColor(0x2B, 0x2B, 0x33));
    p.drawRect(QRectF(5.5, 2.5, 15, 26));
    QPainterPath door;
    door.moveTo(5.5, 2.5);
    door.lineTo(14, 5.5);
    door.lineTo(14, 31);
    door.lineTo(5.5, 28.5);
    door.closeSubpath();
    p.setBrush(QColor(0xB0, 0x6E, 0x30));
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF0, 0xD0, 0x60));
    p.drawEllipse(QPointF(12, 17.5), 1.2, 1.2);
    // Out through it.
    drawRightArrow(p, QPointF(16, 16), 31, 6, kGreen, kDarkGreen);
}

void drawSymbol(QPainter &p, int index)
{
    using Draw = void (*)(QPainter &);
    static constexpr Draw symbols[kToolButtonCount] = {
        drawNew,        drawOpen,     drawSave,      drawSaveAs, drawCut,          drawCopy,
        drawPaste,      drawDelete,   drawDeleteEx,  drawSelectAll, drawInsertSeparator, drawFind,
        drawFindNext,   drawUndo,     drawRedo,      drawDisplayImage, drawSettings, drawExit,
    };
    if (index < 0 || index >= kToolButtonCount)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    symbols[index](p);
    p.restore();
}

QImage symbolImage(int index)
{
    QImage image(kToolButtonSize, kToolButtonSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawSymbol(p, index);
    return image;
}

// The symbol as the idle strip shows it: grey, a little lighter than the
// colour version's brightness so that the lit look stands out.
QImage greySymbol(int index)
{
    QImage image = symbolImage(index).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            const int grey = 70 + qGray(px) * 150 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(px));
        }
    }
    return image;
}

} // namespace

// Where the buttons sit. They live with the artwork, which places the
// symbols on the strip by them, so that the build step that bakes the strip
// needs no widget code.
namespace {

// Buttons are laid out in twips: 500 apart, starting 20 in from the left
// and 20 down from the top; each is 480 twips square.
constexpr double kFirstLeft = 20;
constexpr double kPitch = 500;
constexpr double kTop = 20;

} // namespace

QRect toolHotSpotRect(int index)
{
    return QRect(twipsToPixels(kFirstLeft + kPitch * index), twipsToPixels(kTop), kToolButtonSize,
                 kToolButtonSize);
}

QRect toolHighlightRect(int index)
{
    // The select-all highlight was placed by hand, a little up and left.
    if (index == 9)
        return QRect(twipsToPixels(4500), twipsToPixels(15), kToolButtonSize, kToolButtonSize);
    return toolHotSpotRect(index);
}

QPixmap toolbarIcon(int index)
{
    QImage image(kToolButtonSize, kToolButtonSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The lit button face the symbol sits on.
    QLinearGradient face(0, 0, 0, kToolButtonSize);
    face.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    face.setColorAt(1, QColor(0xD6, 0xE8, 0xFF));
    p.setPen(QPen(QColor(0x6F, 0x9E, 0xDC), 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, kToolButtonSize - 1, kToolButtonSize - 1), 4, 4);
    drawSymbol(p, index);
    p.end();
    return QPixmap::fromImage(image);
}

QImage toolbarStripImage()
{
    QImage image(kStripWidthPx, kStripHeightPx, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient shade(0, 0, 0, kStripHeightPx);
    shade.setColorAt(0, QColor(0xF6, 0xF6, 0xF6));
    shade.setColorAt(1, QColor(0xCC, 0xCC, 0xCC));
    p.fillRect(image.rect(), shade);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.drawLine(0, 0, kStripWidthPx - 1, 0);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawLine(0, kStripHeightPx - 1, kStripWidthPx - 1, kStripHeightPx - 1);
    for (int i = 0; i < kToolButtonCount; ++i)
        p.drawImage(toolHighlightRect(i).topLeft(), greySymbol(i));
    p.end();
    return image;
}

} // namespace zeq
