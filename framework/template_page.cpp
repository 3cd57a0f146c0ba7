// The page base: window creation and sizing, the tool array and z-order,
// group (link ring) queries, unit conversions, painting, the context menu
// and its commands. Editing of areas is in page_editing.cpp, the arrange
// commands in arrange.cpp.
#include "framework/template_page.h"
#include "framework/context_menu.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "framework/plugin_managers.h"
#include "framework/template_tool.h"
#include "framework/tool_geometry.h"
#include "platform/global_memory.h"
#include "platform/menu.h"

using platform::DC;
using platform::Point;
using platform::Rect;
using toolgeom::TruncToInt;

namespace {

// The tool array lives in a fixed global-memory block; its address is the
// block's handle.
ToolArray AllocToolArray(int count) {
    if (count <= 0 || count > (1 << 26))
        return nullptr;
    HGLOBAL block = GlobalAlloc(GPTR, static_cast<size_t>(count) * sizeof(CTemplateTool*));
    if (block == nullptr)
        return nullptr;
    return static_cast<ToolArray>(GlobalLock(block));
}

void FreeToolArray(ToolArray array) {
    if (array == nullptr)
        return;
    HGLOBAL block = reinterpret_cast<HGLOBAL>(array);
    GlobalUnlock(block);
    GlobalFree(block);
}

// Indices of the longest increasing subsequence of `values`.
std::vector<size_t> LongestIncreasing(const std::vector<int>& values) {
    std::vector<size_t> tails;  // index into values of the smallest tail per length
    std::vector<size_t> prev(values.size(), SIZE_MAX);
    for (size_t i = 0; i < values.size(); ++i) {
        auto it = std::lower_bound(tails.begin(), tails.end(), values[i],
                                   [&](size_t t, int v) { return values[t] < v; });
        if (it != tails.begin())
            prev[i] = *(it - 1);
        if (it == tails.end()) {
            tails.push_back(i);
        } else {
            *it = i;
        }
    }
    std::vector<size_t> result;
    if (tails.empty())
        return result;
    for (size_t i = tails.back(); i != SIZE_MAX; i = prev[i])
        result.push_back(i);
    std::reverse(result.begin(), result.end());
    return result;
}

}  // namespace

CTemplatePage::CTemplatePage() = default;

CTemplatePage::~CTemplatePage() {
    CTemplatePage::DeleteAllTools();
    CTemplatePage::DestroyPropertiesView();
}

// ---- window ------------------------------------------------------------------

void CTemplatePage::EditProperties() {}

BOOL CTemplatePage::CreatePage(PendingToolFn pendingTool, ChangedFn changed, MarginsFn margins,
                               platform::Window* parent) {
    pendingToolFn = pendingTool;
    changedFn = changed;
    marginsFn = margins;
    char name[1024] = {};
    GetPaperName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    if (parent == nullptr)
        return FALSE;
    return Create(name, platform::WS_CHILD | platform::WS_VISIBLE, Rect(), parent, 0);
}

void CTemplatePage::FitToParent(int cx, int cy) {
    if (cx == -1 || cy == -1) {
        platform::Window* parent = GetParent();
        if (parent == nullptr)
            return;
        Rect client;
        parent->GetClientRect(&client);
        cx = client.Width();
        cy = client.Height();
    }
    if (!IsWindow())
        return;
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    int width = 0;
    int height = 0;
    // A page without a usable paper size gets no area rather than a
    // division by zero.
    if (paper.width > 0 && paper.height > 0 && cx > 0 && cy > 0) {
        const double r = paper.width / paper.height;
        if (static_cast<double>(cx) / cy > r) {
            height = TruncToInt(cy * 0.9);
            width = TruncToInt(r * height);
        } else {
            width = TruncToInt(cx * 0.9);
            height = TruncToInt(width / r);
        }
    }
    MoveWindow((cx - width) / 2, (cy - height) / 2, width, height, TRUE);
}

void CTemplatePage::GetPropertyText(int which, char* buf, int len) {
    (void)which;
    if (buf != nullptr && len > 0)
        buf[0] = '\0';
}

platform::Window* CTemplatePage::CreatePropertiesView(platform::Window* parent, Point* at) {
    (void)parent;
    (void)at;
    return nullptr;
}

void CTemplatePage::DestroyPropertiesView() {
    if (propertiesView == nullptr)
        return;
    platform::Window* view = propertiesView;
    propertiesView = nullptr;
    view->DestroyWindow();
    delete view;
}

CPageStyleManager* CTemplatePage::GetHost() {
    return host;
}

// ---- the tool array -------------------------------------------------------------

int CTemplatePage::GetToolCount() {
    return toolCount;
}

int CTemplatePage::GetSelectedCount() {
    int n = 0;
    for (int i = 0; i < toolCount; ++i) {
        if (tools[i] != nullptr && (tools[i]->flags & TOOL_SELECTED))
            ++n;
    }
    return n;
}

BOOL CTemplatePage::AddTool(CTemplateTool* tool) {
    if (tool == nullptr || GetToolIndex(tool) >= 0)
        return FALSE;
    ToolArray grown = AllocToolArray(toolCount + 1);
    if (grown == nullptr)
        return FALSE;
    if (toolCount > 0)
        std::memcpy(grown, tools, static_cast<size_t>(toolCount) * sizeof *tools);
    grown[toolCount] = tool;
    FreeToolArray(tools);
    tools = grown;
    ++toolCount;
    ApplyZOrder();
    tool->rect.unit = paper.unit;
    return TRUE;
}

BOOL CTemplatePage::RemoveTool(CTemplateTool* tool) {
    const int index = GetToolIndex(tool);
    if (index < 0)
        return FALSE;
    if (toolCount == 1) {
        FreeToolArray(tools);
        tools = nullptr;
        toolCount = 0;
        tool->Unlink();
        return TRUE;
    }
    ToolArray shrunk = AllocToolArray(toolCount - 1);
    if (shrunk == nullptr)
        return FALSE;
    int n = 0;
    for (int i = 0; i < toolCount; ++i) {
        if (i != index)
            shrunk[n++] = tools[i];
    }
    tool->Unlink();
    FreeToolArray(tools);
    tools = shrunk;
    --toolCount;
    return TRUE;
}

void CTemplatePage::DeleteAllTools() {
    ToolArray old = tools;
    const int count = toolCount;
    // The array goes first, so that the areas' destructors find nothing to
    // remove themselves from.
    tools = nullptr;
    toolCount = 0;
    for (int i = 0; i < count; ++i) {
        CTemplateTool* tool = old[i];
        if (tool == nullptr)
            continue;
        CToolManager* manager = host != nullptr ? &host->toolManager : nullptr;
        if (manager == nullptr || !manager->OwnsTool(tool))
            manager = tool->toolManager;
        if (manager != nullptr && manager->OwnsTool(tool)) {
            manager->DestroyTool(tool);
        } else {
            // Not ours to delete: at least leave it without a dangling page.
            tool->page = nullptr;
            tool->DestroyWindow();
        }
    }
    FreeToolArray(old);
}

int CTemplatePage::SetModified() {
    if (changedFn != nullptr)
        changedFn();
    return Checkpoint();
}

int CTemplatePage::QueryPendingTool(int* out) {
    if (pendingToolFn == nullptr)
        return -1;
    return pendingToolFn(out);
}

BOOL CTemplatePage::UpdateMargins() {
    if (marginsFn == nullptr)
        return FALSE;
    return marginsFn(this);
}

CTemplateTool* CTemplatePage::GetToolAt(int index) {
    if (tools == nullptr || index < 0 || index >= toolCount)
        return nullptr;
    return tools[index];
}

int CTemplatePage::GetToolIndex(CTemplateTool* tool) {
    if (tool == nullptr || tools == nullptr)
        return -1;
    for (int i = 0; i < toolCount; ++i) {
        if (tools[i] == tool)
            return i;
    }
    return -1;
}

// ---- groups (link rings) -----------------------------------------------------------

int CTemplatePage::GetGroupFirstIndexAt(int index) {
    CTemplateTool* tool = GetToolAt(index);
    return tool != nullptr ? GetGroupFirstIndex(tool) : -1;
}

int CTemplatePage::GetGroupFirstIndex(CTemplateTool* tool) {
    if (tool == nullptr)
        return -1;
    int first = -1;
    CTemplateTool* m = tool;
    do {
        const int i = GetToolIndex(m);
        if (i >= 0 && (first < 0 || i < first))
            first = i;
        m = m->GetNextLinked();
    } while (m != nullptr && m != tool);
    return first;
}

CTemplateTool* CTemplatePage::GetGroupFirstAt(int index) {
    return GetToolAt(GetGroupFirstIndexAt(index));
}

CTemplateTool* CTemplatePage::GetGroupFirst(CTemplateTool* tool) {
    return GetToolAt(GetGroupFirstIndex(tool));
}

int CTemplatePage::GetGroupLastIndexAt(int index) {
    CTemplateTool* tool = GetToolAt(index);
    return tool != nullptr ? GetGroupLastIndex(tool) : -1;
}

int CTemplatePage::GetGroupLastIndex(CTemplateTool* tool) {
    if (tool == nullptr)
        return -1;
    int last = -1;
    CTemplateTool* m = tool;
    do {
        last = std::max(last, GetToolIndex(m));
        m = m->GetNextLinked();
    } while (m != nullptr && m != tool);
    return last;
}

CTemplateTool* CTemplatePage::GetGroupLastAt(int index) {
    return GetToolAt(GetGroupLastIndexAt(index));
}

CTemplateTool* CTemplatePage::GetGroupLast(CTemplateTool* tool) {
    return GetToolAt(GetGroupLastIndex(tool));
}

int CTemplatePage::CollectGroupAt(int index, std::vector<CTemplateTool*>& out) {
    CTemplateTool* tool = GetToolAt(index);
    if (tool == nullptr)
        return 0;
    return CollectGroup(tool, out);
}

int CTemplatePage::CollectGroup(CTemplateTool* tool, std::vector<CTemplateTool*>& out) {
    CTemplateTool* first = GetGroupFirst(tool);
    if (first != nullptr) {
        CTemplateTool* m = first;
        do {
            out.push_back(m);
            m = m->GetNextLinked();
        } while (m != nullptr && m != first);
    }
    return static_cast<int>(out.size());
}

int CTemplatePage::GetGroupSizeAt(int index) {
    CTemplateTool* tool = GetToolAt(index);
    return tool != nullptr ? GetGroupSize(tool) : 0;
}

int CTemplatePage::GetGroupSize(CTemplateTool* tool) {
    if (tool == nullptr)
        return 0;
    int n = 0;
    CTemplateTool* m = tool;
    do {
        ++n;
        m = m->GetNextLinked();
    } while (m != nullptr && m != tool);
    return n;
}

BOOL CTemplatePage::IsInGroup(CTemplateTool* a, CTemplateTool* b) {
    if (a == nullptr || b == nullptr)
        return FALSE;
    return a == b || a->IsLinkedWith(b);
}

int CTemplatePage::GetGroupCount() {
    // One group per ring, counted at its topmost member, so that rings whose
    // members are not neighbours in the array are neither missed nor counted
    // twice.
    int groups = 0;
    for (int i = 0; i < toolCount; ++i) {
        CTemplateTool* tool = tools[i];
        if (tool == nullptr)
            continue;
        if (!tool->IsLinked() || GetGroupFirstIndex(tool) == i)
            ++groups;
    }
    return groups;
}

void CTemplatePage::ApplyZOrder() {
    if (!IsWindow() || toolCount == 0)
        return;
    const std::vector<platform::Window*>& children = GetChildren();
    // Most calls find the windows in order already (an area appended at the
    // bottom): check that in one pass before building anything.
    {
        size_t k = 0;
        int expected = 0;
        bool inOrder = true;
        for (int i = 0; i < toolCount; ++i) {
            CTemplateTool* tool = tools[i];
            if (tool == nullptr || tool->GetParent() != this || !tool->IsWindow())
                continue;
            ++expected;
            if (k < children.size() && children[k] == tool) {
                ++k;
            } else {
                inOrder = false;
                break;
            }
        }
        if (inOrder && static_cast<int>(k) == expected) {
            Invalidate(FALSE);
            return;
        }
    }
    // Wanted sibling order: the areas in array order on top, any other child
    // windows below them in their present order.
    std::unordered_map<const platform::Window*, int> wanted;
    std::vector<platform::Window*> order;
    for (int i = 0; i < toolCount; ++i) {
        CTemplateTool* tool = tools[i];
        if (tool == nullptr || tool->GetParent() != this || !tool->IsWindow())
            continue;
        if (wanted.emplace(tool, static_cast<int>(order.size())).second)
            order.push_back(tool);
    }
    for (platform::Window* child : children) {
        if (wanted.emplace(child, static_cast<int>(order.size())).second)
            order.push_back(child);
    }
    // Windows on the longest run already in the wanted relative order stay;
    // only the others are moved, each directly below its wanted predecessor.
    std::vector<int> ranks;
    ranks.reserve(children.size());
    for (platform::Window* child : children)
        ranks.push_back(wanted[child]);
    std::vector<bool> stays(order.size(), false);
    for (size_t i : LongestIncreasing(ranks))
        stays[static_cast<size_t>(ranks[i])] = true;
    const UINT how = platform::SWP_NOMOVE | platform::SWP_NOSIZE | platform::SWP_NOACTIVATE |
                     platform::SWP_NOREDRAW;
    for (size_t k = 0; k < order.size(); ++k) {
        if (stays[k])
            continue;
        const platform::Window* after = k == 0 ? platform::HWND_TOP : order[k - 1];
        order[k]->SetWindowPos(after, 0, 0, 0, 0, how);
    }
    Invalidate(FALSE);
}

void CTemplatePage::ReorderTools(const std::vector<CTemplateTool*>& order) {
    if (static_cast<int>(order.size()) != toolCount)
        return;
    for (int i = 0; i < toolCount; ++i)
        tools[i] = order[static_cast<size_t>(i)];
    ApplyZOrder();
}

// ---- unit conversions -------------------------------------------------------------

double CTemplatePage::GetUnitsPerPixelX() {
    Rect r;
    GetWindowRect(&r);
    return r.Width() == 0 ? 0 : paper.width / r.Width();
}

double CTemplatePage::GetUnitsPerPixelY() {
    Rect r;
    GetWindowRect(&r);
    return r.Height() == 0 ? 0 : paper.height / r.Height();
}

double CTemplatePage::GetPixelsPerUnitX() {
    Rect r;
    GetWindowRect(&r);
    return paper.width == 0 ? 0 : r.Width() / paper.width;
}

double CTemplatePage::GetPixelsPerUnitY() {
    Rect r;
    GetWindowRect(&r);
    return paper.height == 0 ? 0 : r.Height() / paper.height;
}

int CTemplatePage::UnitsToPixelsX(double units) {
    return toolgeom::RoundToInt(units * GetPixelsPerUnitX());
}

int CTemplatePage::UnitsToPixelsY(double units) {
    return toolgeom::RoundToInt(units * GetPixelsPerUnitY());
}

namespace {

Rect MarginsInPixels(const MarginRect& m, const PaperSize& paper, double ppuX, double ppuY) {
    return Rect(TruncToInt(m.left * ppuX), TruncToInt(m.top * ppuY),
                TruncToInt(ppuX * (paper.width - m.right)),
                TruncToInt(ppuY * (paper.height - m.bottom)));
}

}  // namespace

Rect CTemplatePage::GetPrintableRect() {
    return MarginsInPixels(activeMargins, paper, GetPixelsPerUnitX(), GetPixelsPerUnitY());
}

Rect CTemplatePage::GetShownMarginsRect() {
    return MarginsInPixels(shownMargins, paper, GetPixelsPerUnitX(), GetPixelsPerUnitY());
}

// ---- painting -------------------------------------------------------------------------

void CTemplatePage::PaintPage() {
    if (!IsWindow())
        return;
    Rect client;
    GetClientRect(&client);
    DC* target = paintDC_;
    std::unique_ptr<DC> window;
    if (target == nullptr) {
        window = GetDC();
        target = window.get();
    }
    if (target == nullptr)
        return;
    // The off-screen bitmap covers the client area as far as it can be seen,
    // so a page zoomed far beyond the view costs no more than the view.
    Rect area;
    target->GetClipBox(&area);
    area = area.Intersected(client);
    if (area.IsEmpty())
        return;
    platform::Bitmap bitmap(area.Width(), area.Height());
    DC memory(&bitmap);
    memory.SetViewportOrg(-area.left, -area.top);
    DrawBackground(&memory);
    if (host != nullptr && host->GridVisible)
        DrawGrid(&memory);
    if (host != nullptr && host->ShowMargin)
        DrawMargins(&memory);
    DrawTools(&memory);
    DrawToolFrames(&memory);
    target->BitBlt(area.left, area.top, area.Width(), area.Height(), &memory, area.left, area.top,
                   platform::SRCCOPY);
}

void CTemplatePage::DrawTools(DC* dc) {
    for (int i = toolCount - 1; i >= 0; --i) {
        if (tools[i] != nullptr)
            tools[i]->Draw(dc);
    }
}

void CTemplatePage::DrawToolFrames(DC* dc) {
    for (int i = toolCount - 1; i >= 0; --i) {
        if (tools[i] != nullptr)
            tools[i]->DrawOutline(dc);
    }
}

void CTemplatePage::DrawBackground(DC* dc) {
    (void)dc;
}

void CTemplatePage::OnPaint(DC* dc) {
    paintDC_ = dc;
    PaintPage();
    paintDC_ = nullptr;
}

BOOL CTemplatePage::OnEraseBkgnd(DC* dc) {
    (void)dc;
    return TRUE;
}

void CTemplatePage::OnSize(UINT type, int cx, int cy) {
    Window::OnSize(type, cx, cy);
    for (int i = toolCount - 1; i >= 0; --i) {
        if (tools[i] != nullptr)
            tools[i]->UpdateWindowPos();
    }
}

// ---- undo, clipboard: the page style's --------------------------------------------------

int CTemplatePage::Undo() {
    return RestoreState(TRUE);
}
int CTemplatePage::Redo() {
    return RestoreState(FALSE);
}
int CTemplatePage::Checkpoint() {
    return 0;
}
void CTemplatePage::Cut() {}
void CTemplatePage::Copy() {}
void CTemplatePage::Paste() {}
int CTemplatePage::RestoreState(BOOL undo) {
    (void)undo;
    return 0;
}

// ---- mouse, context menu and commands ---------------------------------------------------

void CTemplatePage::OnLButtonDown(UINT keyFlags, Point point) {
    PlaceToolAt(point, keyFlags);
}

void CTemplatePage::OnLButtonDblClk(UINT keyFlags, Point point) {
    (void)keyFlags;
    (void)point;
    EditProperties();
}

void CTemplatePage::OnContextMenu(platform::Window* window, Point screenPoint) {
    (void)window;
    std::vector<std::string> labels, extraLabels;
    std::vector<PageMenuHandler> extraHandlers;
    GetMenuStrings(labels, extraLabels, extraHandlers);
    if (labels.size() != 5)
        return;

    const UINT noSelection = GetSelectedCount() <= 0 ? UINT{platform::MF_GRAYED} : UINT{0};
    const UINT noLink = CanToggleLink() ? UINT{0} : UINT{platform::MF_GRAYED};
    const UINT noPaste =
        host != nullptr && host->IsTemplateOnClipboard() ? UINT{0} : UINT{platform::MF_GRAYED};
    platform::Menu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(platform::MF_STRING, ID_MENU_FIRST, labels[0]);
    menu.AppendMenu(platform::MF_SEPARATOR);
    menu.AppendMenu(platform::MF_STRING | noLink, ID_MENU_SECOND, labels[1]);
    menu.AppendMenu(platform::MF_STRING | noSelection, ID_MENU_THIRD, labels[2]);
    menu.AppendMenu(platform::MF_STRING | noSelection, ID_MENU_FOURTH, labels[3]);
    menu.AppendMenu(platform::MF_STRING | noPaste, ID_MENU_FIFTH, labels[4]);
    contextmenu::AppendExtraItems(menu, extraLabels, extraHandlers, extraMenuHandlers);
    if (const UINT command = contextmenu::Track(menu, screenPoint, this))
        OnCommand(command, 0);
}

BOOL CTemplatePage::OnCommand(UINT id, platform::LPARAM lParam) {
    switch (id) {
        case ID_MENU_FIRST:
            EditProperties();
            return TRUE;
        case ID_MENU_SECOND:
            ToggleLink();
            return TRUE;
        case ID_MENU_THIRD:
            Cut();
            return TRUE;
        case ID_MENU_FOURTH:
            Copy();
            return TRUE;
        case ID_MENU_FIFTH:
            Paste();
            return TRUE;
        default:
            break;
    }
    if (id >= ID_MENU_EXTRA_FIRST && id < ID_MENU_EXTRA_FIRST + MAX_EXTRA_MENU_ITEMS) {
        PageMenuHandler handler = extraMenuHandlers[id - ID_MENU_EXTRA_FIRST];
        if (handler != nullptr)
            handler(this);
        return TRUE;
    }
    return Window::OnCommand(id, lParam);
}
