#pragma once
// Geometry of the main window's client area, worked out in twips as the
// window was designed, so that the arithmetic can be checked without a screen.

#include <QString>

#include "platform/twips.h"

namespace zeq {


struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct ClientLayout {
    TwipsRect note;    // the edit area (and the preview lying over it)
    TwipsRect gutter;  // the line-number gutter
};

// Design values of the controls, in twips.
inline constexpr double kNoteLeft = 585;
inline constexpr double kGutterLeft = -15;
inline constexpr double kGutterWidth = 555;
inline constexpr double kToolbarHeight = 525;
inline constexpr double kStatusBarHeight = 330;

// Lays out the edit area and the gutter in a client area of the given size.
// A minimised window (client width 0) keeps its layout: the caller must not
// apply the result then; see layoutApplies.
ClientLayout arrangeLayout(double clientWidth, double clientHeight, bool toolbarVisible,
                           double toolbarHeight = kToolbarHeight,
                           double statusBarHeight = kStatusBarHeight);
bool layoutApplies(double clientWidth);

// How many text rows of the given point size fit into a control of the given
// height in twips: (height / 20 points) / size, each operand rounded first.
// A size that rounds to zero or less counts as one point.
int visibleRowCount(double heightTwips, double fontPoints);

// The gutter's text: topLine + 1 ... topLine + count, each ending in CR LF.
QString gutterText(int topLine, int count);

} // namespace zeq
