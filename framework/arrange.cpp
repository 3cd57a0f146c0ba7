// The arrange commands: align and same-size against the focus area,
// centring and even spacing of the selection. Limits are the paper edges.
#include <algorithm>
#include <functional>

#include "framework/template_page.h"
#include "framework/template_tool.h"

namespace {

CTemplateTool* FocusTool(CTemplatePage* page) {
    for (int i = 0; i < page->GetToolCount(); ++i) {
        CTemplateTool* t = page->GetToolAt(i);
        if (t != nullptr && (t->flags & TOOL_FOCUS))
            return t;
    }
    return nullptr;
}

// Applies `change` to every selected area other than the focus area F, from
// the last index down to 0, and marks the page modified once. Nothing at
// all happens without a focus area.
int WithFocus(CTemplatePage* page,
              const std::function<void(const ToolRect& f, ToolRect& t)>& change) {
    if (page->GetToolCount() == 0)
        return 0;
    CTemplateTool* focus = FocusTool(page);
    if (focus == nullptr)
        return 0;
    for (int i = page->GetToolCount() - 1; i >= 0; --i) {
        CTemplateTool* t = page->GetToolAt(i);
        if (t == nullptr || t == focus || !(t->flags & TOOL_SELECTED))
            continue;
        change(focus->rect, t->rect);
        t->UpdateWindowPos();
    }
    return page->SetModified();
}

}  // namespace

int CTemplatePage::AlignLeft() {
    const double w = paper.width;
    return WithFocus(
        this, [w](const ToolRect& f, ToolRect& t) { t.x = f.x + t.width > w ? w - t.width : f.x; });
}

int CTemplatePage::AlignRight() {
    return WithFocus(this, [](const ToolRect& f, ToolRect& t) {
        t.x = std::max(0.0, (f.x + f.width) - t.width);
    });
}

int CTemplatePage::AlignTop() {
    const double h = paper.height;
    return WithFocus(this, [h](const ToolRect& f, ToolRect& t) {
        t.y = f.y + t.height > h ? h - t.height : f.y;
    });
}

int CTemplatePage::AlignBottom() {
    return WithFocus(this, [](const ToolRect& f, ToolRect& t) {
        t.y = std::max(0.0, (f.y + f.height) - t.height);
    });
}

namespace {

void SameWidth(const ToolRect& f, ToolRect& t, double paperWidth) {
    if (t.x + f.width > paperWidth)
        t.x = paperWidth - f.width;
    t.width = f.width;
}

void SameHeight(const ToolRect& f, ToolRect& t, double paperHeight) {
    if (t.y + f.height > paperHeight)
        t.y = paperHeight - f.height;
    t.height = f.height;
}

}  // namespace

int CTemplatePage::MakeSameWidth() {
    const double w = paper.width;
    return WithFocus(this, [w](const ToolRect& f, ToolRect& t) { SameWidth(f, t, w); });
}

int CTemplatePage::MakeSameHeight() {
    const double h = paper.height;
    return WithFocus(this, [h](const ToolRect& f, ToolRect& t) { SameHeight(f, t, h); });
}

int CTemplatePage::MakeSameSize() {
    const double w = paper.width;
    const double h = paper.height;
    return WithFocus(this, [w, h](const ToolRect& f, ToolRect& t) {
        SameWidth(f, t, w);
        SameHeight(f, t, h);
    });
}

int CTemplatePage::CenterVertically() {
    if (toolCount == 0)
        return 0;
    double minX, minY, maxX, maxY;
    GetSelectionBounds(&minX, &minY, &maxX, &maxY);
    const double d = (paper.height - (maxY - minY)) * 0.5 - minY;
    for (int i = toolCount - 1; i >= 0; --i) {
        CTemplateTool* t = tools[i];
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        t->rect.y += d;
        t->UpdateWindowPos();
    }
    return SetModified();
}

int CTemplatePage::CenterHorizontally() {
    if (toolCount == 0)
        return 0;
    double minX, minY, maxX, maxY;
    GetSelectionBounds(&minX, &minY, &maxX, &maxY);
    const double d = (paper.width - (maxX - minX)) * 0.5 - minX;
    for (int i = toolCount - 1; i >= 0; --i) {
        CTemplateTool* t = tools[i];
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        t->rect.x += d;
        t->UpdateWindowPos();
    }
    return SetModified();
}

namespace {

// Even spacing along one axis: `pos` and `size` pick x/width or y/height.
int SpaceEvenly(CTemplatePage* page, double ToolRect::*pos, double ToolRect::*size, double limit) {
    if (page->GetToolCount() == 0)
        return 0;
    std::vector<CTemplateTool*> selected;
    double sum = 0;
    for (int i = 0; i < page->GetToolCount(); ++i) {
        CTemplateTool* t = page->GetToolAt(i);
        if (t == nullptr || !(t->flags & TOOL_SELECTED))
            continue;
        selected.push_back(t);
        sum += t->rect.*size;
    }
    std::stable_sort(selected.begin(), selected.end(), [pos](CTemplateTool* a, CTemplateTool* b) {
        return a->rect.*pos < b->rect.*pos;
    });
    const size_t n = selected.size();
    if (n >= 3) {
        const ToolRect& first = selected.front()->rect;
        const ToolRect& last = selected.back()->rect;
        const double gap = (last.*pos + last.*size - first.*pos - sum) / static_cast<double>(n - 1);
        for (size_t k = 1; k + 1 < n; ++k) {
            const ToolRect& prev = selected[k - 1]->rect;
            ToolRect& r = selected[k]->rect;
            r.*pos = prev.*pos + prev.*size + gap;
        }
        // Only then is each inner area kept on the paper.
        for (size_t k = 1; k + 1 < n; ++k) {
            ToolRect& r = selected[k]->rect;
            if (r.*pos < 0)
                r.*pos = 0;
            if (r.*pos + r.*size > limit)
                r.*pos = limit - r.*size;
            selected[k]->UpdateWindowPos();
        }
    }
    return page->SetModified();
}

}  // namespace

int CTemplatePage::SpaceDownEvenly() {
    return SpaceEvenly(this, &ToolRect::y, &ToolRect::height, paper.height);
}

int CTemplatePage::SpaceAcrossEvenly() {
    return SpaceEvenly(this, &ToolRect::x, &ToolRect::width, paper.width);
}
