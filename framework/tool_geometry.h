// Small numeric helpers shared by the page and area code: rounding, safe
// conversion of lengths to pixels, grid steps, and the sides a sizing edge
// code moves.
#pragma once

#include <cmath>

#include "platform/saturate.h"

namespace toolgeom {

// Grid steps that are zero, negative or not a number become this tiny step,
// so nothing divides by zero (the snap then has no visible effect).
inline constexpr double kTinyStep = 1e-10;

// near(v) = floor(v + 0.5).
inline double Near(double v) {
    return std::floor(v + 0.5);
}

// A double as an int, truncated towards zero; NaN gives 0 and values beyond
// +-2^20 pixels (far past any page a screen shows) are held there. A damaged
// length from a template then never overflows where a window adds its
// position and size, and never turns an area's frame or link line into a
// line of millions of pixels that the page would have to draw.
inline constexpr int kPixelLimit = 1 << 20;

inline int TruncToInt(double v) {
    return platform::SaturateCast<int>(v, -kPixelLimit, kPixelLimit);
}

// floor(v + 0.5) as an int (a length in units times pixels per unit).
inline int RoundToInt(double v) {
    return TruncToInt(Near(v));
}

inline double GridStep(double step) {
    return step > 0 ? step : kTinyStep;
}

// Which sides an edge code moves. `otherCodesMoveAll` makes any code outside
// 1..8 move all four sides (the tracking rectangle); otherwise only code 0
// does (snapping and magnetic margins after a resize or placement).
struct EdgeSides {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
};

inline EdgeSides SidesOf(int edge, bool otherCodesMoveAll) {
    switch (edge) {
        case 1:
            return {true, false, false, false};
        case 2:
            return {false, false, true, false};
        case 3:
            return {false, true, false, false};
        case 4:
            return {true, true, false, false};
        case 5:
            return {false, true, true, false};
        case 6:
            return {false, false, false, true};
        case 7:
            return {true, false, false, true};
        case 8:
            return {false, false, true, true};
        case 0:
            return {true, true, true, true};
        default:
            if (otherCodesMoveAll)
                return {true, true, true, true};
            return {};
    }
}

}  // namespace toolgeom
