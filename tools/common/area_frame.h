// The frames the area tools draw around their areas on the page: the
// selection frame of the tool pass and the dotted outline of the frame pass.
// Colours are 0x00BBGGRR. An empty rectangle gets no frame.
#pragma once

#include "platform/dc.h"
#include "platform/geometry.h"

namespace areaframe {

inline constexpr COLORREF kFocusColor = 0xFF4040;     // the selection's focus area
inline constexpr COLORREF kSelectedColor = 0xFF8080;  // other selected areas

// Selected (flag 0x01): a solid 2-pixel frame, kFocusColor with the focus
// flag 0x02, else kSelectedColor, drawn in the rectangle narrowed by one
// pixel at the left, top and bottom and clipped to the rectangle (moving an
// area repaints only its old and new rectangles, so nothing may be drawn
// outside). Not selected: a 1-pixel black frame.
void DrawSelectionFrame(platform::DC* dc, const platform::Rect& rect, int flags);

// A dotted 1-pixel outline (black, or the selection colours above) of the
// rectangle narrowed by one pixel at the bottom, with transparent gaps. The
// DC's pen and background mode are restored.
void DrawDottedOutline(platform::DC* dc, const platform::Rect& rect, int flags);

}  // namespace areaframe
