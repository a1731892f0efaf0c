#pragma once
// Pictures made while the program is built, kept as raw pixels in the
// program itself: the tool bar strip, drawn by the same code that draws its
// highlight pictures, and the window icon at each size, decoded from the
// committed PNGs. A start then shows them without drawing or decoding
// anything.

#include <QImage>

#include <array>

namespace zeq {

// The tool bar strip as toolbarStripImage() draws it.
QImage bakedToolbarStrip();

// The window icon, size pixels square; null for a size not baked.
QImage bakedWindowIcon(int size);

// The sizes bakedWindowIcon() holds, smallest first.
inline constexpr std::array<int, 5> kBakedIconSizes = {16, 32, 48, 64, 128};

} // namespace zeq
