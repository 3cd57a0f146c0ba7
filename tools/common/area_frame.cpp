#include "tools/common/area_frame.h"

#include "framework/template_tool.h"

namespace areaframe {

namespace {

// (left, top) -> (right - 1, top) -> (right - 1, bottom) -> (left, bottom) ->
// (left, top - 1), end points excluded as LineTo does: the frame closes on
// its first pixel.
void Frame(platform::DC* dc, const platform::Rect& r) {
    dc->MoveTo(r.left, r.top);
    dc->LineTo(r.right - 1, r.top);
    dc->LineTo(r.right - 1, r.bottom);
    dc->LineTo(r.left, r.bottom);
    dc->LineTo(r.left, r.top - 1);
}

COLORREF SelectionColor(int flags) {
    return (flags & TOOL_FOCUS) ? kFocusColor : kSelectedColor;
}

}  // namespace

void DrawSelectionFrame(platform::DC* dc, const platform::Rect& rect, int flags) {
    // An area squeezed to nothing (or without a page) has no frame to show.
    if (dc == nullptr || rect.IsEmpty())
        return;
    if (flags & TOOL_SELECTED) {
        // The wide pen's round ends reach a pixel past the end points (the
        // last stroke's end above the top edge): clipped to the area, the
        // frame never paints where moving the area does not repaint.
        const int saved = dc->SaveDC();
        if (saved > 0)
            dc->IntersectClipRect(rect);
        platform::Pen pen(platform::PS_SOLID, 2, SelectionColor(flags));
        platform::Pen* old = dc->SelectObject(&pen);
        platform::Rect r = rect;
        r.left += 1;
        r.top += 1;
        r.bottom -= 1;
        Frame(dc, r);
        if (old != nullptr)
            dc->SelectObject(old);
        if (saved > 0)
            dc->RestoreDC(saved);
    } else {
        dc->FrameRect(rect, platform::Brush::Stock(platform::BLACK_BRUSH));
    }
}

void DrawDottedOutline(platform::DC* dc, const platform::Rect& rect, int flags) {
    if (dc == nullptr || rect.IsEmpty())
        return;
    platform::Rect r = rect;
    r.bottom -= 1;
    const COLORREF color = (flags & TOOL_SELECTED) ? SelectionColor(flags) : RGB(0, 0, 0);
    platform::Pen pen(platform::PS_DOT, 1, color);
    platform::Pen* old = dc->SelectObject(&pen);
    const int oldMode = dc->SetBkMode(platform::TRANSPARENT);
    Frame(dc, r);
    dc->SetBkMode(oldMode);
    if (old != nullptr)
        dc->SelectObject(old);
}

}  // namespace areaframe
