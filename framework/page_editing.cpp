// Editing of areas on the page: placing a new area, moving the selection by
// mouse and keys, deleting, the four stacking moves, linking, and painting
// of the margins and the grid.
#include <algorithm>
#include <cmath>

#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "framework/tool_geometry.h"
#include "platform/saturate.h"

using platform::DC;
using platform::Point;
using platform::Rect;
using toolgeom::Near;
using toolgeom::RoundToInt;

// ---- placing ---------------------------------------------------------------------

BOOL CTemplatePage::IsInPrintableArea(int x, int y) {
    return GetPrintableRect().PtInRect(Point(x, y)) ? TRUE : FALSE;
}

BOOL CTemplatePage::PlaceNewTool(CTemplateTool* tool, ToolRect* out, const Point* click) {
    if (tool == nullptr || out == nullptr || click == nullptr)
        return FALSE;
    ToolRect r;
    r.x = GetUnitsPerPixelX() * click->x;
    r.y = GetUnitsPerPixelY() * click->y;
    r.width = tool->rect.width;
    r.height = tool->rect.height;
    const double maxX = paper.width - activeMargins.right - r.width;
    const double maxY = paper.height - activeMargins.bottom - r.height;
    if (r.x < activeMargins.left) {
        r.x = activeMargins.left;
    } else if (r.x > maxX) {
        r.x = maxX;
    }
    if (r.y < activeMargins.top) {
        r.y = activeMargins.top;
    } else if (r.y > maxY) {
        r.y = maxY;
    }
    // An area larger than the printable area starts at its top-left corner
    // rather than off the paper.
    r.x = std::max(r.x, activeMargins.left);
    r.y = std::max(r.y, activeMargins.top);
    r.unit = paper.unit;
    *out = r;
    return TRUE;
}

void CTemplatePage::PlaceToolAt(Point point, UINT keyFlags) {
    if (pendingToolFn == nullptr || host == nullptr || !IsInPrintableArea(point.x, point.y)) {
        return;
    }
    const int index = pendingToolFn(nullptr);
    if (index < 0)
        return;
    CTemplateTool* tool = host->toolManager.CreateTool(index);
    if (tool != nullptr) {
        ToolRect r;
        PlaceNewTool(tool, &r, &point);
        if (!tool->AttachToPage(&r, this)) {
            host->toolManager.DestroyTool(tool);
        } else {
            MoveToFront(tool);
            tool->UpdateWindowPos();
            if (host->UseGrid) {
                tool->SnapToGrid(0);
                tool->UpdateWindowPos();
            }
            if (host->UseMargin) {
                tool->FitToMargins(0);
                tool->UpdateWindowPos();
            }
            SetModified();
        }
    }
    Window::OnLButtonDown(keyFlags, point);
}

// ---- moving ---------------------------------------------------------------------------

void CTemplatePage::GetSelectionBounds(double* minX, double* minY, double* maxX, double* maxY) {
    double x0 = paper.width, y0 = paper.height, x1 = 0, y1 = 0;
    for (int i = 0; i < toolCount; ++i) {
        CTemplateTool* t = tools[i];
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        x0 = std::min(x0, t->rect.x);
        y0 = std::min(y0, t->rect.y);
        x1 = std::max(x1, t->rect.x + t->rect.width);
        y1 = std::max(y1, t->rect.y + t->rect.height);
    }
    if (minX != nullptr)
        *minX = x0;
    if (minY != nullptr)
        *minY = y0;
    if (maxX != nullptr)
        *maxX = x1;
    if (maxY != nullptr)
        *maxY = y1;
}

int CTemplatePage::MoveSelection(int dx, int dy, BOOL snap) {
    if (GetSelectedCount() == 0)
        return 0;
    double ddx = GetUnitsPerPixelX() * dx;
    double ddy = GetUnitsPerPixelY() * dy;
    double minX, minY, maxX, maxY;
    GetSelectionBounds(&minX, &minY, &maxX, &maxY);

    const double lowX = activeMargins.left - minX;
    const double highX = paper.width - activeMargins.right - maxX;
    const double lowY = activeMargins.top - minY;
    const double highY = paper.height - activeMargins.bottom - maxY;
    if (ddx < lowX) {
        ddx = lowX;
    } else if (ddx > highX) {
        ddx = highX;
    }
    if (ddy < lowY) {
        ddy = lowY;
    } else if (ddy > highY) {
        ddy = highY;
    }

    if (snap && host != nullptr && host->UseGrid) {
        const double gx = toolgeom::GridStep(host->gridDim.width);
        const double gy = toolgeom::GridStep(host->gridDim.height);
        double left = activeMargins.left + gx * Near((minX + ddx - activeMargins.left) / gx);
        double top = activeMargins.top + gy * Near((minY + ddy - activeMargins.top) / gy);
        if (left - minX > highX)
            left = std::max(left - gx, activeMargins.left);
        if (top - minY > highY)
            top = std::max(top - gy, activeMargins.top);
        ddx = left - minX;
        ddy = top - minY;
    }

    const double ppuX = GetPixelsPerUnitX();
    const double ppuY = GetPixelsPerUnitY();
    int moved = 0;
    for (int i = toolCount - 1; i >= 0; --i) {
        CTemplateTool* t = tools[i];
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        t->rect.x += ddx;
        t->rect.y += ddy;
        if (t->IsWindow()) {
            t->MoveWindow(RoundToInt(t->rect.x * ppuX), RoundToInt(t->rect.y * ppuY),
                          RoundToInt(t->rect.width * ppuX), RoundToInt(t->rect.height * ppuY),
                          FALSE);
        }
        ++moved;
    }
    PaintPage();
    Validate();
    return moved;
}

int CTemplatePage::OnArrowKey(UINT virtualKey) {
    switch (virtualKey) {
        case platform::VK_LEFT:
            return MoveSelection(-1, 0, FALSE);
        case platform::VK_UP:
            return MoveSelection(0, -1, FALSE);
        case platform::VK_RIGHT:
            return MoveSelection(1, 0, FALSE);
        case platform::VK_DOWN:
            return MoveSelection(0, 1, FALSE);
        default:
            return MoveSelection(0, 0, FALSE);
    }
}

int CTemplatePage::CommitMove() {
    if (GetSelectedCount() < 1)
        return 0;
    return SetModified();
}

// ---- deleting ----------------------------------------------------------------------------

namespace {

// Destroys an area through the manager that made it (its own, else the
// page host's); an area neither made is only detached from the page.
void DestroyArea(CTemplateTool* tool, CPageStyleManager* host) {
    CToolManager* manager = tool->toolManager;
    if (manager == nullptr || !manager->OwnsTool(tool)) {
        manager = host != nullptr ? &host->toolManager : nullptr;
    }
    if (manager != nullptr && manager->OwnsTool(tool)) {
        manager->DestroyTool(tool);
        return;
    }
    tool->page = nullptr;
    tool->DestroyWindow();
}

}  // namespace

void CTemplatePage::DeleteSelection() {
    if (GetSelectedCount() == toolCount) {
        DeleteAllTools();
        SetModified();
        return;
    }
    bool deleted = false;
    int i = 0;
    while (i < toolCount) {
        CTemplateTool* t = tools[i];
        if (t == nullptr || !(t->flags & TOOL_SELECTED)) {
            ++i;
            continue;
        }
        CTemplateTool* next = t->GetNextLinked();
        if (!RemoveTool(t)) {
            ++i;  // could not shrink the array: leave this area, go on
            continue;
        }
        if (next != nullptr && next != t && !next->IsLinkValid())
            next->UnlinkAll();
        DestroyArea(t, host);
        deleted = true;
    }
    if (deleted) {
        Invalidate(FALSE);
        SetModified();
    }
}

// ---- stacking ------------------------------------------------------------------------------

namespace {

// The members of `tool`'s ring that are on the page, walking forwards
// (next links) or backwards (previous links) from `start`.
std::vector<CTemplateTool*> RingOnPage(CTemplatePage* page, CTemplateTool* start, bool forwards) {
    std::vector<CTemplateTool*> members;
    CTemplateTool* m = start;
    do {
        if (page->GetToolIndex(m) >= 0)
            members.push_back(m);
        m = forwards ? m->GetNextLinked() : m->GetPrevLinked();
    } while (m != nullptr && m != start);
    return members;
}

std::vector<CTemplateTool*> Without(const std::vector<CTemplateTool*>& all,
                                    const std::vector<CTemplateTool*>& removed) {
    std::vector<CTemplateTool*> rest;
    for (CTemplateTool* t : all) {
        if (std::find(removed.begin(), removed.end(), t) == removed.end())
            rest.push_back(t);
    }
    return rest;
}

}  // namespace

void CTemplatePage::MoveToFront(CTemplateTool* tool) {
    const int last = GetGroupLastIndex(tool);
    if (last < 0)
        return;
    // Each member in turn, from the lowest one backwards around the ring,
    // goes to index 0: the group ends on top in ring order after that member.
    std::vector<CTemplateTool*> taken = RingOnPage(this, tools[last], false);
    std::vector<CTemplateTool*> order(taken.rbegin(), taken.rend());
    std::vector<CTemplateTool*> all(tools, tools + toolCount);
    for (CTemplateTool* t : Without(all, taken))
        order.push_back(t);
    ReorderTools(order);
}

void CTemplatePage::MoveToBack(CTemplateTool* tool) {
    const int first = GetGroupFirstIndex(tool);
    if (first < 0)
        return;
    std::vector<CTemplateTool*> taken = RingOnPage(this, tools[first], true);
    std::vector<CTemplateTool*> all(tools, tools + toolCount);
    std::vector<CTemplateTool*> order = Without(all, taken);
    order.insert(order.end(), taken.begin(), taken.end());
    ReorderTools(order);
}

namespace {

// The two groups exchange places: the positions both occupy are filled in
// ascending order with `upper`'s members first, then `lower`'s. Positions
// of other areas are left alone, so no area is lost or duplicated even when
// the members are not neighbours in the array.
std::vector<CTemplateTool*> Exchange(CTemplatePage* page, const std::vector<CTemplateTool*>& upper,
                                     const std::vector<CTemplateTool*>& lower) {
    std::vector<CTemplateTool*> order;
    for (int i = 0; i < page->GetToolCount(); ++i)
        order.push_back(page->GetToolAt(i));
    std::vector<int> positions;
    std::vector<CTemplateTool*> members;
    for (const auto* group : {&upper, &lower}) {
        for (CTemplateTool* t : *group) {
            const int i = page->GetToolIndex(t);
            if (i < 0 || std::find(members.begin(), members.end(), t) != members.end())
                continue;
            positions.push_back(i);
            members.push_back(t);
        }
    }
    std::sort(positions.begin(), positions.end());
    for (size_t k = 0; k < positions.size(); ++k) {
        order[static_cast<size_t>(positions[k])] = members[k];
    }
    return order;
}

}  // namespace

void CTemplatePage::MoveForward(CTemplateTool* tool) {
    const int first = GetGroupFirstIndex(tool);
    if (first <= 0)
        return;
    CTemplateTool* above = tools[first - 1];
    std::vector<CTemplateTool*> moved, other;
    CollectGroup(tool, moved);
    CollectGroup(above, other);
    ReorderTools(Exchange(this, moved, other));
}

void CTemplatePage::MoveBackward(CTemplateTool* tool) {
    const int last = GetGroupLastIndex(tool);
    if (last < 0 || last >= toolCount - 1)
        return;
    CTemplateTool* below = tools[last + 1];
    std::vector<CTemplateTool*> moved, other;
    CollectGroup(tool, moved);
    CollectGroup(below, other);
    ReorderTools(Exchange(this, other, moved));
}

// ---- linking ---------------------------------------------------------------------------------

namespace {

enum class LinkAction { Fail, LinkToFirst, LinkToImage, UnlinkTexts };

struct LinkPlan {
    LinkAction action = LinkAction::Fail;
    std::vector<CTemplateTool*> listed;  // selected images and texts, in array order
    CTemplateTool* image = nullptr;
    int texts = 0;
};

// One image area may be linked with any number of text areas; image areas
// are never linked with each other.
LinkPlan PlanLink(CTemplatePage* page) {
    LinkPlan plan;
    int images = 0, linkedImages = 0, linkedTexts = 0;
    for (int i = 0; i < page->GetToolCount(); ++i) {
        CTemplateTool* t = page->GetToolAt(i);
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        if (t->IsImageTool()) {
            ++images;
            if (t->IsLinked())
                ++linkedImages;
            plan.image = t;
            plan.listed.push_back(t);
        } else if (t->IsTextTool()) {
            ++plan.texts;
            if (t->IsLinked())
                ++linkedTexts;
            plan.listed.push_back(t);
        }
    }
    if (images != 1)
        return plan;
    if (linkedImages + linkedTexts == 0) {
        plan.action = LinkAction::LinkToFirst;
        return plan;
    }
    if (!plan.image->IsLinked())
        return plan;
    if (linkedTexts == 0) {
        plan.action = LinkAction::LinkToImage;
        return plan;
    }
    if (linkedTexts != plan.texts)
        return plan;
    CTemplateTool* first = plan.listed.front();
    for (size_t k = 1; k < plan.listed.size(); ++k) {
        if (!first->IsLinkedWith(plan.listed[k]))
            return plan;
    }
    plan.action = LinkAction::UnlinkTexts;
    return plan;
}

}  // namespace

BOOL CTemplatePage::ToggleLink() {
    LinkPlan plan = PlanLink(this);
    switch (plan.action) {
        case LinkAction::Fail:
            return FALSE;
        case LinkAction::LinkToFirst:
            for (size_t k = 1; k < plan.listed.size(); ++k)
                plan.listed[k]->LinkTo(plan.listed[0]);
            break;
        case LinkAction::LinkToImage:
            for (CTemplateTool* t : plan.listed) {
                if (t != plan.image)
                    t->LinkTo(plan.image);
            }
            break;
        case LinkAction::UnlinkTexts:
            for (CTemplateTool* t : plan.listed) {
                if (t != plan.image && t->IsTextTool())
                    t->Unlink();
            }
            break;
    }
    SetModified();
    Invalidate(TRUE);
    FitToParent(-1, -1);
    return TRUE;
}

BOOL CTemplatePage::CanToggleLink() {
    LinkPlan plan = PlanLink(this);
    return plan.action != LinkAction::Fail && plan.image != nullptr && plan.texts >= 1;
}

// ---- margins and grid -------------------------------------------------------------------------

void CTemplatePage::DrawMargins(DC* dc) {
    if (dc == nullptr)
        return;
    const Rect r = GetShownMarginsRect();
    const int saved = dc->SaveDC();
    platform::Pen pen(platform::PS_DOT, 1, 0xFF0000);
    dc->SelectObject(&pen);
    dc->SelectStockObject(platform::NULL_BRUSH);
    dc->SetBkMode(platform::TRANSPARENT);
    dc->Rectangle(r);
    if (saved != 0)
        dc->RestoreDC(saved);
}

namespace {

// Pixel positions lo + i x step (truncated, i from 0) that do not pass hi,
// limited to the visible range [visLo, visHi). Steps below one pixel reach
// every pixel; either way the work is bounded by the visible range.
std::vector<int> GridPositions(int lo, int hi, double step, int visLo, int visHi) {
    std::vector<int> positions;
    if (step < 1.0) {
        for (int v = std::max(lo, visLo); v <= hi && v < visHi; ++v)
            positions.push_back(v);
        return positions;
    }
    long first = 0;
    if (visLo > lo)
        first = platform::SaturateCast<long>(std::floor((visLo - lo) / step)) - 1;
    if (first < 0)
        first = 0;
    // A small tolerance keeps the far edge when it falls on a step.
    for (long i = first;; ++i) {
        const double v = lo + i * step;
        if (v > hi + 1e-7 || v >= visHi)
            break;
        if (v >= visLo)
            positions.push_back(platform::SaturateCast<int>(v));
    }
    return positions;
}

}  // namespace

void CTemplatePage::DrawGrid(DC* dc) {
    if (dc == nullptr || host == nullptr)
        return;
    // A step of zero or less is no grid at all.
    if (!(host->gridDim.width > 0) || !(host->gridDim.height > 0))
        return;
    const Rect p = GetPrintableRect();
    const double gx = toolgeom::GridStep(host->gridDim.width);
    const double gy = toolgeom::GridStep(host->gridDim.height);
    const double countX = (paper.width - activeMargins.left - activeMargins.right) / gx;
    const double countY = (paper.height - activeMargins.top - activeMargins.bottom) / gy;
    const double sx = (p.right - p.left) / countX;
    const double sy = (p.bottom - p.top) / countY;
    if (!std::isfinite(sx) || !std::isfinite(sy) || !(sx > 0) || !(sy > 0))
        return;
    // Only the dots the device context can show are set.
    Rect visible;
    dc->GetClipBox(&visible);
    const std::vector<int> xs = GridPositions(p.left, p.right, sx, visible.left, visible.right);
    const std::vector<int> ys = GridPositions(p.top, p.bottom, sy, visible.top, visible.bottom);
    for (int y : ys) {
        for (int x : xs)
            dc->SetPixel(x, y, RGB(0, 0, 0));
    }
}
