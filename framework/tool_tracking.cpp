// Mouse tracking on an area (select, drag, resize through the sizing
// border), the snap and drag thresholds, grid snapping and magnetic margins.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "framework/tool_geometry.h"

using platform::Point;
using platform::Rect;
using toolgeom::EdgeSides;
using toolgeom::Near;
using toolgeom::SidesOf;
using toolgeom::TruncToInt;

namespace {

CPageStyleManager* HostOf(CTemplatePage* page) {
    return page != nullptr ? page->host : nullptr;
}

bool LeftButtonDown() {
    return (platform::GetKeyState(platform::VK_LBUTTON) & 0x8000) != 0;
}

// Pulls one snapped side back inside [lo, hi] by whole grid steps so the
// area stays on the grid; when that would leave less than a step the side
// goes to the limit itself.
double PullInsideHigh(double side, double opposite, double hi, double step) {
    if (side <= hi)
        return side;
    double pulled = side - step * std::ceil((side - hi) / step);
    if (pulled - opposite <= 0)
        pulled = hi;
    return pulled;
}

double PullInsideLow(double side, double opposite, double lo, double step) {
    if (side >= lo)
        return side;
    double pulled = side + step * std::ceil((lo - side) / step);
    if (opposite - pulled <= 0)
        pulled = lo;
    return pulled;
}

// Keeps [pos, pos + size] inside [lo, hi]. When both sides moved the area
// is shifted by whole grid steps (it keeps its size); otherwise the moved
// side is pulled back. An area larger than the range is clamped to it.
void KeepInside(double& pos, double& size, double lo, double hi, double step, bool movedLow,
                bool movedHigh) {
    if (hi - lo <= 0)
        return;  // no printable room at all
    if (movedLow && movedHigh) {
        if (size >= hi - lo) {
            pos = lo;
            size = hi - lo;
            return;
        }
        if (pos + size > hi)
            pos -= step * std::ceil((pos + size - hi) / step);
        if (pos < lo)
            pos += step * std::ceil((lo - pos) / step);
        // A step coarser than the room left: against the edge instead.
        if (pos + size > hi)
            pos = hi - size;
        if (pos < lo)
            pos = lo;
        return;
    }
    if (movedHigh) {
        const double end = PullInsideHigh(pos + size, pos, hi, step);
        if (end - pos > 0)
            size = end - pos;
    }
    if (movedLow) {
        const double end = pos + size;
        const double start = PullInsideLow(pos, end, lo, step);
        if (end - start > 0) {
            pos = start;
            size = end - start;
        }
    }
}

}  // namespace

// ---- thresholds -------------------------------------------------------------

BOOL CTemplateTool::PassedSnapThreshold(int x, int y) {
    CPageStyleManager* host = HostOf(page);
    if (host == nullptr || !host->UseGrid || page == nullptr)
        return TRUE;
    const int tx = TruncToInt(host->gridDim.width * page->GetPixelsPerUnitX() * 0.5 + 1.5);
    const int ty = TruncToInt(host->gridDim.height * page->GetPixelsPerUnitY() * 0.5 + 1.5);
    if (std::abs(x - pressX) < tx && std::abs(y - pressY) < ty)
        return FALSE;
    return TRUE;
}

BOOL CTemplateTool::PassedDragThreshold(int x, int y) {
    return std::abs(x - pressX) > DRAG_THRESHOLD_PIXELS ||
           std::abs(y - pressY) > DRAG_THRESHOLD_PIXELS;
}

// ---- mouse tracking -----------------------------------------------------------

void CTemplateTool::OnLButtonDown(UINT keyFlags, Point point) {
    Window::OnLButtonDown(keyFlags, point);
    if (page != nullptr) {
        int scratch = 0;
        page->QueryPendingTool(&scratch);
    }
    flags &= ~TOOL_DRAGGING;
    if (keyFlags & (platform::MK_SHIFT | platform::MK_CONTROL)) {
        SetSelection(SELECT_TOGGLE, TRUE);
        return;
    }
    if (!(flags & TOOL_SELECTED)) {
        // Selecting adds the sizing band, which moves the client origin:
        // keep the press point on the same screen pixel.
        Point screen = point;
        ClientToScreen(&screen);
        SetSelection(SELECT_ON, FALSE);
        platform::SetCursor(platform::LoadCursor(platform::IDC_SIZEALL));
        ScreenToClient(&screen);
        point = screen;
    }
    pressX = point.x;
    pressY = point.y;
    flags |= TOOL_PRESSED;
    SetCapture();
}

void CTemplateTool::OnMouseMove(UINT keyFlags, Point point) {
    Window::OnMouseMove(keyFlags, point);
    if (page == nullptr || !HasCapture() || !(flags & TOOL_PRESSED))
        return;
    if (!(flags & TOOL_DRAGGING)) {
        if (!PassedDragThreshold(point.x, point.y))
            return;
        flags |= TOOL_DRAGGING;
    }
    if (!PassedSnapThreshold(point.x, point.y))
        return;
    page->MoveSelection(point.x - pressX, point.y - pressY, TRUE);
}

void CTemplateTool::OnLButtonUp(UINT keyFlags, Point point) {
    Window::OnLButtonUp(keyFlags, point);
    if (!HasCapture())
        return;
    if ((flags & TOOL_DRAGGING) && page != nullptr) {
        // The printable area is tested in page pixels.
        Point inPage = point;
        MapWindowPoints(page, &inPage, 1);
        if (page->IsInPrintableArea(inPage.x, inPage.y)) {
            page->MoveSelection(point.x - pressX, point.y - pressY, TRUE);
            page->SetModified();
            flags &= ~TOOL_DRAGGING;
        }
    }
    flags &= ~TOOL_PRESSED;
    platform::ReleaseCapture();
}

void CTemplateTool::OnCaptureChanged(platform::Window* newCapture) {
    Window::OnCaptureChanged(newCapture);
    flags &= ~TOOL_PRESSED;
    if (flags & TOOL_DRAGGING) {
        // Released outside the printable area: the steps so far are one change.
        flags &= ~TOOL_DRAGGING;
        if (page != nullptr)
            page->SetModified();
        return;
    }
    if (flags & TOOL_SIZING) {
        // A resize ends when the capture goes; with the button still held
        // it was cancelled.
        flags &= ~TOOL_SIZING;
        if (!LeftButtonDown()) {
            ApplyResize();
            if (page != nullptr)
                page->SetModified();
        }
    }
}

BOOL CTemplateTool::OnSetCursor(platform::Window* window, UINT hitTest, UINT message) {
    if (window == this && hitTest == platform::HTCLIENT && (flags & TOOL_SELECTED)) {
        platform::SetCursor(platform::LoadCursor(platform::IDC_SIZEALL));
        return TRUE;
    }
    return Window::OnSetCursor(window, hitTest, message);
}

void CTemplateTool::OnLButtonDblClk(UINT keyFlags, Point point) {
    if (keyFlags & platform::MK_CONTROL) {
        std::vector<CTemplateTool*> ring{this};
        for (CTemplateTool* m = GetNextLinked(); m != nullptr && m != this;
             m = m->GetNextLinked()) {
            ring.push_back(m);
        }
        for (CTemplateTool* m : ring)
            m->SetSelection(SELECT_ON, TRUE);
    } else {
        EditProperties();
    }
    Window::OnLButtonDblClk(keyFlags, point);
}

// ---- resizing through the sizing border -------------------------------------

void CTemplateTool::OnNcLButtonDown(UINT hitTest, Point screenPoint) {
    Window::OnNcLButtonDown(hitTest, screenPoint);
    // The rectangle at the press is the reference a resize must differ from,
    // so that even a single sizing step is applied to the area.
    sizingStartRect = Rect();
    if (page != nullptr) {
        GetRectInPage(&sizingStartRect);
        page->ApplyZOrder();
    }
}

void CTemplateTool::OnSizing(UINT edge, Rect* r) {
    Window::OnSizing(edge, r);
    CPageStyleManager* host = HostOf(page);
    if (host == nullptr || r == nullptr)
        return;
    Rect pr = *r;
    page->ScreenToClient(&pr);
    if (!(flags & TOOL_SIZING)) {
        if (sizingStartRect.IsEmpty()) {
            sizingStartRect = pr;
            return;
        }
        if (std::abs(pr.left - sizingStartRect.left) < 1 &&
            std::abs(pr.top - sizingStartRect.top) < 1 &&
            std::abs(pr.right - sizingStartRect.right) < 1 &&
            std::abs(pr.bottom - sizingStartRect.bottom) < 1) {
            return;
        }
        flags |= TOOL_SIZING;
    }
    const int code = static_cast<int>(edge);
    if (host->UseGrid) {
        SnapTrackRect(code, &pr);
    } else if (host->UseMargin) {
        ClampTrackRect(code, &pr);
    }
    if (host->UseGrid || host->UseMargin) {
        Rect screen = pr;
        page->ClientToScreen(&screen);
        *r = screen;
    }
    sizingEdge = code;
    sizingLastRect = pr;
}

void CTemplateTool::ApplyResize() {
    if (page == nullptr)
        return;
    const double upx = page->GetUnitsPerPixelX();
    const double upy = page->GetUnitsPerPixelY();
    const Rect& last = sizingLastRect;
    const double newX = last.left * upx;
    const double newY = last.top * upy;
    const double newW = upx * (last.right - last.left);
    const double newH = upy * (last.bottom - last.top);
    ToolRect r = rect;
    const EdgeSides sides = SidesOf(sizingEdge, false);
    if (sizingEdge == 0)
        return;
    if (sides.left) {
        r.width = (rect.x + rect.width) - newX;
        r.x = newX;
    }
    if (sides.right)
        r.width = newW;
    if (sides.top) {
        r.height = (rect.y + rect.height) - newY;
        r.y = newY;
    }
    if (sides.bottom)
        r.height = newH;
    if (!(r.width > 0) || !(r.height > 0)) {
        // A side dragged across its opposite: keep the area as it was.
        UpdateWindowPos();
        return;
    }
    rect = r;
    CPageStyleManager* host = HostOf(page);
    if (host != nullptr && host->UseGrid) {
        SnapToGrid(sizingEdge);
        UpdateWindowPos();
    } else if (host != nullptr && host->UseMargin) {
        FitToMargins(sizingEdge);
        UpdateWindowPos();
    }
}

void CTemplateTool::SnapTrackRect(int edge, Rect* r) {
    CPageStyleManager* host = HostOf(page);
    if (r == nullptr || host == nullptr)
        return;
    const double gx = toolgeom::GridStep(host->gridDim.width * page->GetPixelsPerUnitX());
    const double gy = toolgeom::GridStep(host->gridDim.height * page->GetPixelsPerUnitY());
    const Rect p = page->GetPrintableRect();
    int left = TruncToInt(Near((r->left - p.left) / gx) * gx);
    int right = TruncToInt(Near((r->right - p.left) / gx) * gx);
    int top = TruncToInt(Near((r->top - p.top) / gy) * gy);
    int bottom = TruncToInt(Near((r->bottom - p.top) / gy) * gy);
    const int stepX = TruncToInt(gx);
    const int stepY = TruncToInt(gy);
    if (right - left < stepX) {
        if (edge == 1 || edge == 4 || edge == 7) {
            left -= stepX;
        } else {
            right += stepX;
        }
    }
    if (bottom - top < stepY) {
        if (edge == 3 || edge == 4 || edge == 5) {
            top -= stepY;
        } else {
            bottom += stepY;
        }
    }
    left = std::max(left + p.left, p.left);
    top = std::max(top + p.top, p.top);
    right = std::min(right + p.left, p.right);
    bottom = std::min(bottom + p.top, p.bottom);
    const EdgeSides sides = SidesOf(edge, true);
    if (sides.left)
        r->left = left;
    if (sides.top)
        r->top = top;
    if (sides.right)
        r->right = right;
    if (sides.bottom)
        r->bottom = bottom;
}

void CTemplateTool::ClampTrackRect(int edge, Rect* r) {
    if (r == nullptr || page == nullptr)
        return;
    const Rect p = page->GetPrintableRect();
    const EdgeSides sides = SidesOf(edge, true);
    if (sides.left)
        r->left = std::max(r->left, p.left);
    if (sides.top)
        r->top = std::max(r->top, p.top);
    if (sides.right)
        r->right = std::min(r->right, p.right);
    if (sides.bottom)
        r->bottom = std::min(r->bottom, p.bottom);
}

// ---- grid and margins (internal units) ---------------------------------------

void CTemplateTool::SnapToGrid(int edge) {
    CPageStyleManager* host = HostOf(page);
    if (host == nullptr)
        return;
    const EdgeSides sides = SidesOf(edge, false);
    const double gx = toolgeom::GridStep(host->gridDim.width);
    const double gy = toolgeom::GridStep(host->gridDim.height);
    const MarginRect& m = page->activeMargins;
    const double ox = m.left;
    const double oy = m.top;
    const double left = ox + gx * Near((rect.x - ox) / gx);
    double right = ox + gx * Near((rect.x + rect.width - ox) / gx);
    if (right - left < gx)
        right += gx;
    const double top = oy + gy * Near((rect.y - oy) / gy);
    double bottom = oy + gy * Near((rect.y + rect.height - oy) / gy);
    if (bottom - top < gy)
        bottom += gy;

    if (sides.left) {
        rect.width += rect.x - left;
        rect.x = left;
    }
    if (sides.right)
        rect.width = right - rect.x;
    if (sides.top) {
        rect.height += rect.y - top;
        rect.y = top;
    }
    if (sides.bottom)
        rect.height = bottom - rect.y;
    if (edge == 0)
        rect.unit = host->gridDim.unit;

    // A snapped side may land beyond the printable area: bring the area back
    // inside by whole steps instead of widening it.
    const double pr = page->paper.width - m.right;
    const double pb = page->paper.height - m.bottom;
    KeepInside(rect.x, rect.width, m.left, pr, gx, sides.left, sides.right);
    KeepInside(rect.y, rect.height, m.top, pb, gy, sides.top, sides.bottom);
}

void CTemplateTool::FitToMargins(int edge) {
    if (page == nullptr)
        return;
    const EdgeSides sides = SidesOf(edge, false);
    const MarginRect& m = page->activeMargins;
    const double pl = m.left;
    const double pt = m.top;
    const double pr = page->paper.width - m.right;
    const double pb = page->paper.height - m.bottom;
    if (sides.left && std::fabs(rect.x - pl) < MARGIN_PULL_DISTANCE) {
        const double right = rect.x + rect.width;
        rect.x = pl;
        rect.width = right - pl;
    }
    if (sides.top && std::fabs(rect.y - pt) < MARGIN_PULL_DISTANCE) {
        const double bottom = rect.y + rect.height;
        rect.y = pt;
        rect.height = bottom - pt;
    }
    if (sides.right && std::fabs(rect.x + rect.width - pr) < MARGIN_PULL_DISTANCE) {
        rect.width = pr - rect.x;
    }
    if (sides.bottom && std::fabs(rect.y + rect.height - pb) < MARGIN_PULL_DISTANCE) {
        rect.height = pb - rect.y;
    }
}
