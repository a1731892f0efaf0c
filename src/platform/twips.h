#pragma once
// Window measures are kept in twips (1/1440 inch) as the stored settings
// and the layout give them; the screen works in pixels at 96 dots per inch.

#include <cmath>

namespace zeq {

inline constexpr double kTwipsPerPixel = 15.0;

// Rounds halves to the even neighbour, as the window's arithmetic does:
// the default floating-point rounding mode is to nearest, ties to even.
inline long roundHalfEven(double value)
{
    return std::lrint(value);
}

// A length in twips as whole pixels, halves away from zero.
inline int twipsToPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

} // namespace zeq
