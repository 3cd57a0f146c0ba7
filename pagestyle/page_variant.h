// The constructor parameters that make one page style out of the common
// page-style source. Each page-style module defines kPageVariant in its own
// variant file (variants/<module>.cpp); everything else is shared.
#pragma once

#include "framework/units.h"

// Orientation values.
inline constexpr int ORIENTATION_LANDSCAPE = 0;
inline constexpr int ORIENTATION_PORTRAIT = 1;

struct PageVariant {
    double width;     // portrait width, in the display unit
    double height;    // portrait height, in the display unit
    int unit;         // display unit code (framework/units.h)
    int orientation;  // initial orientation: 1 Portrait, 0 Landscape
    int paperNameId;  // string id of the paper name
};

extern const PageVariant kPageVariant;
