#pragma once
// Window layout lengths given in twips (1/1440 inch), turned into pixels at a screen's
// resolution. Every window that is laid out in twips goes through here.
#include <cmath>

namespace Twips {
constexpr double PerInch = 1440;
// The resolution the fixed layouts were drawn at: 15 twips a pixel.
constexpr double DesignDpi = 96;

inline int toPixels(double twips, double dotsPerInch = DesignDpi)
{
    return int(std::lround(twips * dotsPerInch / PerInch));
}
}
