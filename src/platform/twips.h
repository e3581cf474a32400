#pragma once
// Window layout lengths given in twips (1/1440 inch), turned into pixels at a screen's
// resolution.
#include <cmath>

namespace Twips {
inline int toPixels(double twips, double dotsPerInch)
{
    return int(std::lround(twips * dotsPerInch / 1440.0));
}
}
