// The area base: window placement, selection, rectangles, link rings, the
// link line and order number, the context menu and its commands. Mouse
// tracking, resizing and snapping are in tool_tracking.cpp.
#include "framework/template_tool.h"
#include "framework/context_menu.h"

#include <cstdio>
#include <utility>

#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/tool_geometry.h"
#include "platform/menu.h"

using platform::DC;
using platform::Point;
using platform::Rect;

namespace {

static_assert(sizeof(platform::WPARAM) >= 8 && sizeof(platform::LPARAM) >= 8,
              "the reposition message carries two 32-bit integers per parameter");

std::uint64_t PackPair(int low, int high) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(low)) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32);
}

int LowOf(std::uint64_t v) {
    return static_cast<int>(static_cast<std::uint32_t>(v));
}
int HighOf(std::uint64_t v) {
    return static_cast<int>(static_cast<std::uint32_t>(v >> 32));
}

void SetSizingBorder(CTemplateTool* tool, bool on) {
    if (!tool->IsWindow())
        return;
    const bool has = (tool->GetStyle() & platform::WS_THICKFRAME) != 0;
    if (has == on)
        return;
    if (on) {
        tool->ModifyStyle(0, platform::WS_THICKFRAME, platform::SWP_FRAMECHANGED);
    } else {
        tool->ModifyStyle(platform::WS_THICKFRAME, 0, platform::SWP_FRAMECHANGED);
    }
}

void ClearSelection(CTemplateTool* tool) {
    tool->flags &= ~(TOOL_SELECTED | TOOL_FOCUS);
    SetSizingBorder(tool, false);
}

}  // namespace

CTemplateTool::CTemplateTool() : linkPrev(this), linkNext(this) {}

CTemplateTool::~CTemplateTool() {
    CTemplateTool::Unlink();
    if (page != nullptr && page->GetToolIndex(this) >= 0)
        page->RemoveTool(this);
    page = nullptr;
}

BOOL CTemplateTool::AttachToPage(const ToolRect* r, CTemplatePage* newPage) {
    if (r != nullptr)
        rect = *r;
    page = newPage;
    char name[1024] = {};
    GetToolName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    if (page == nullptr || !page->IsWindow())
        return FALSE;
    if (!Create(name, platform::WS_CHILD | platform::WS_VISIBLE, Rect(), page, 0))
        return FALSE;
    // The page appends the area at the bottom of its z-order; the window
    // starts there too, so restacking has nothing to move.
    SetWindowPos(platform::HWND_BOTTOM, 0, 0, 0, 0,
                 platform::SWP_NOMOVE | platform::SWP_NOSIZE | platform::SWP_NOACTIVATE);
    if (!page->AddTool(this)) {
        DestroyWindow();
        return FALSE;
    }
    SetSelection(SELECT_ON, FALSE);
    return TRUE;
}

void CTemplateTool::Draw(DC* dc) {
    (void)dc;
}

void CTemplateTool::DrawOutline(DC* dc) {
    DrawLinkLine(dc);
    DrawOrderNumber(dc);
}

void CTemplateTool::DrawLinkLine(DC* dc) {
    if (dc == nullptr || page == nullptr)
        return;
    CTemplateTool* next = GetNextLinked();
    if (next == nullptr || next == this)
        return;
    Rect from, to;
    GetRectInPage(&from);
    next->GetRectInPage(&to);
    platform::Pen pen(platform::PS_SOLID, 1, 0x000080);
    platform::Pen* old = dc->SelectObject(&pen);
    dc->MoveTo(from.CenterPoint());
    dc->LineTo(to.CenterPoint());
    if (old != nullptr)
        dc->SelectObject(old);
}

void CTemplateTool::DrawOrderNumber(DC* dc) {
    if (dc == nullptr || page == nullptr || toolManager == nullptr || !toolManager->ShowZOrder) {
        return;
    }
    const int index = page->GetToolIndex(this);
    if (index < 0)
        return;
    char text[32];
    std::snprintf(text, sizeof text, " %d ", index + 1);
    Rect r;
    GetRectInPage(&r);
    r.Deflate(4, 4);
    const COLORREF oldBk = dc->SetBkColor(0x800000);
    const COLORREF oldText = dc->SetTextColor(0xFFFFFF);
    // The number sits on its own coloured patch whatever mode the page's
    // earlier drawing left behind.
    const int oldMode = dc->SetBkMode(platform::OPAQUE);
    dc->DrawText(text, &r, platform::DT_RIGHT | platform::DT_BOTTOM | platform::DT_SINGLELINE);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldText);
    dc->SetBkColor(oldBk);
}

void CTemplateTool::EditProperties() {}

void CTemplateTool::UpdateWindowPos() {
    if (page == nullptr)
        return;
    const double ppuX = page->GetPixelsPerUnitX();
    const double ppuY = page->GetPixelsPerUnitY();
    const int x = toolgeom::RoundToInt(rect.x * ppuX);
    const int y = toolgeom::RoundToInt(rect.y * ppuY);
    const int w = toolgeom::RoundToInt(rect.width * ppuX);
    const int h = toolgeom::RoundToInt(rect.height * ppuY);
    PostMessage(WM_TOOL_REPOSITION, static_cast<platform::WPARAM>(PackPair(x, y)),
                static_cast<platform::LPARAM>(PackPair(w, h)));
}

platform::LRESULT CTemplateTool::OnMessage(UINT message, platform::WPARAM wParam,
                                           platform::LPARAM lParam) {
    if (message == WM_TOOL_REPOSITION) {
        const auto position = static_cast<std::uint64_t>(wParam);
        const auto size = static_cast<std::uint64_t>(lParam);
        MoveWindow(LowOf(position), HighOf(position), LowOf(size), HighOf(size), TRUE);
        return 0;
    }
    return Window::OnMessage(message, wParam, lParam);
}

void CTemplateTool::GetRectInPage(Rect* r) {
    if (r == nullptr)
        return;
    if (page == nullptr || !IsWindow()) {
        *r = Rect();
        return;
    }
    *r = GetRectInParent();
}

void CTemplateTool::SetSelection(int mode, BOOL keepOthers) {
    if (page == nullptr || !IsWindow())
        return;
    switch (mode) {
        case SELECT_ON:
            for (int i = 0; i < page->GetToolCount(); ++i) {
                CTemplateTool* other = page->GetToolAt(i);
                if (other == nullptr)
                    continue;
                if (keepOthers) {
                    other->flags &= ~TOOL_FOCUS;
                } else {
                    ClearSelection(other);
                }
            }
            flags |= TOOL_SELECTED | TOOL_FOCUS;
            SetSizingBorder(this, true);
            break;
        case SELECT_OFF: {
            const bool hadFocus = (flags & TOOL_FOCUS) != 0;
            ClearSelection(this);
            if (!keepOthers) {
                for (int i = 0; i < page->GetToolCount(); ++i) {
                    CTemplateTool* other = page->GetToolAt(i);
                    if (other != nullptr)
                        ClearSelection(other);
                }
            } else if (hadFocus) {
                for (int i = 0; i < page->GetToolCount(); ++i) {
                    CTemplateTool* other = page->GetToolAt(i);
                    if (other != nullptr && (other->flags & TOOL_SELECTED)) {
                        other->flags |= TOOL_FOCUS;
                        break;
                    }
                }
            }
            break;
        }
        case SELECT_TOGGLE:
            SetSelection((flags & TOOL_SELECTED) ? SELECT_OFF : SELECT_ON, TRUE);
            return;
        default:
            return;
    }
    page->Invalidate(FALSE);
}

BOOL CTemplateTool::SetToolRect(ToolRect r) {
    if (r == rect || page == nullptr)
        return FALSE;
    if (!(r.width > 0) || !(r.height > 0) || !(r.x >= 0) || !(r.y >= 0))
        return FALSE;
    const PaperSize& paper = page->paper;
    if (r.x >= paper.width || r.y >= paper.height)
        return FALSE;
    if (r.x + r.width > paper.width)
        r.width = paper.width - r.x;
    if (r.y + r.height > paper.height)
        r.height = paper.height - r.y;
    rect = r;
    return TRUE;
}

CToolManager* CTemplateTool::GetToolManager() {
    return toolManager;
}

platform::HICON CTemplateTool::CacheToolIcon() {
    icon = GetToolIcon();
    return icon;
}

platform::HICON CTemplateTool::GetCachedIcon() {
    return icon;
}

BOOL CTemplateTool::DrawToolIcon(DC* dc, int x, int y) {
    if (icon == nullptr || dc == nullptr)
        return FALSE;
    return dc->DrawIcon(x, y, icon);
}

BOOL CTemplateTool::DrawToolIconOn(platform::Window* wnd, int x, int y) {
    if (wnd == nullptr)
        return FALSE;
    std::unique_ptr<DC> dc = wnd->GetDC();
    if (!dc)
        return FALSE;
    return DrawToolIcon(dc.get(), x, y);
}

int CTemplateTool::SetSelectionFlags(int newFlags) {
    const int old = flags;
    flags = newFlags;
    if (newFlags & TOOL_SELECTED) {
        SetSelection(SELECT_ON, TRUE);
    } else {
        SetSelection(SELECT_OFF, TRUE);
    }
    return old;
}

int CTemplateTool::GetSelectionFlags() {
    return flags;
}

void CTemplateTool::TransposeRect() {
    std::swap(rect.x, rect.y);
    std::swap(rect.width, rect.height);
}

// ---- link rings ----------------------------------------------------------

void CTemplateTool::LinkTo(CTemplateTool* other) {
    Unlink();
    if (other == nullptr || other == this)
        return;
    linkPrev = other;
    linkNext = other->linkNext;
    other->linkNext->linkPrev = this;
    other->linkNext = this;
}

BOOL CTemplateTool::IsLinkValid() {
    return TRUE;
}

void CTemplateTool::UnlinkAll() {
    std::vector<CTemplateTool*> others;
    for (CTemplateTool* m = linkNext; m != nullptr && m != this; m = m->linkNext) {
        others.push_back(m);
    }
    for (CTemplateTool* m : others)
        m->Unlink();
}

void CTemplateTool::Unlink() {
    if (linkPrev != nullptr && linkNext != nullptr) {
        linkPrev->linkNext = linkNext;
        linkNext->linkPrev = linkPrev;
    }
    linkPrev = this;
    linkNext = this;
}

CTemplateTool* CTemplateTool::GetPrevLinked() {
    return linkPrev;
}

CTemplateTool* CTemplateTool::GetNextLinked() {
    return linkNext;
}

BOOL CTemplateTool::IsImageTool() {
    return FALSE;
}

BOOL CTemplateTool::IsTextTool() {
    return FALSE;
}

BOOL CTemplateTool::IsLinked() {
    return linkPrev != this;
}

BOOL CTemplateTool::IsLinkedWith(CTemplateTool* other) {
    if (other == nullptr || other == this)
        return FALSE;
    for (CTemplateTool* m = linkNext; m != nullptr && m != this; m = m->linkNext) {
        if (m == other)
            return TRUE;
    }
    return FALSE;
}

// ---- painting, context menu and commands -----------------------------------

void CTemplateTool::OnPaint(DC* dc) {
    (void)dc;
}

BOOL CTemplateTool::OnEraseBkgnd(DC* dc) {
    (void)dc;
    return TRUE;
}

void CTemplateTool::OnContextMenu(platform::Window* window, Point screenPoint) {
    (void)window;
    if (page == nullptr)
        return;
    SetSelection(SELECT_ON, FALSE);
    std::vector<std::string> labels, extraLabels;
    std::vector<ToolMenuHandler> extraHandlers;
    GetMenuStrings(labels, extraLabels, extraHandlers);
    if (labels.size() != 5)
        return;

    const UINT grey = page->GetSelectedCount() < 1 ? UINT{platform::MF_GRAYED} : UINT{0};
    platform::Menu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(platform::MF_STRING, ID_MENU_FIRST, labels[0]);
    menu.AppendMenu(platform::MF_SEPARATOR);
    menu.AppendMenu(platform::MF_STRING | grey, ID_MENU_FOURTH, labels[1]);
    menu.AppendMenu(platform::MF_STRING | grey, ID_MENU_FIFTH, labels[2]);
    menu.AppendMenu(platform::MF_STRING | grey, ID_MENU_SECOND, labels[3]);
    menu.AppendMenu(platform::MF_STRING | grey, ID_MENU_THIRD, labels[4]);
    contextmenu::AppendExtraItems(menu, extraLabels, extraHandlers, extraMenuHandlers);
    if (const UINT command = contextmenu::Track(menu, screenPoint, this))
        OnCommand(command, 0);
}

BOOL CTemplateTool::OnCommand(UINT id, platform::LPARAM lParam) {
    switch (id) {
        case ID_MENU_FIRST:
            EditProperties();
            return TRUE;
        case ID_MENU_SECOND:
        case ID_MENU_THIRD:
        case ID_MENU_FOURTH:
        case ID_MENU_FIFTH:
            if (page == nullptr)
                return TRUE;
            if (id == ID_MENU_SECOND)
                page->MoveForward(this);
            if (id == ID_MENU_THIRD)
                page->MoveBackward(this);
            if (id == ID_MENU_FOURTH)
                page->MoveToFront(this);
            if (id == ID_MENU_FIFTH)
                page->MoveToBack(this);
            page->SetModified();
            return TRUE;
        default:
            break;
    }
    if (id >= ID_MENU_EXTRA_FIRST && id < ID_MENU_EXTRA_FIRST + MAX_EXTRA_MENU_ITEMS) {
        ToolMenuHandler handler = extraMenuHandlers[id - ID_MENU_EXTRA_FIRST];
        if (handler != nullptr)
            handler(this);
        return TRUE;
    }
    return Window::OnCommand(id, lParam);
}
