// Light windows: creation and destruction, the tree and z-order, geometry,
// visibility, invalidation, capture and focus requests, messages and the
// default handlers. The manager's side is in platform/window_manager.cpp.
#include "platform/window.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <utility>

#include "platform/debug_output.h"
#include "platform/window_host.h"

namespace platform {

namespace {

std::atomic<std::uint64_t> g_nextSerial{1};

constexpr int kMaxSendDepth = 256;

}  // namespace

// ---------------------------------------------------------------------------
// Window

Window::Window() : serial_(g_nextSerial.fetch_add(1)) {}

Window::~Window() {
    if (!IsWindow())
        return;
    if (destroying_) {
        // Deleted from inside its own OnDestroy: finish the teardown now,
        // while the object still exists.
        Teardown();
    } else {
        DestroyWindow();
    }
}

WindowHost* Window::GetHost() const {
    return manager_ ? manager_->host_ : nullptr;
}

BOOL Window::Create(std::string_view text, DWORD style, const Rect& rect, Window* parent, UINT id) {
    if (IsWindow() || !parent || !parent->IsWindow() || parent->destroying_)
        return FALSE;
    WindowManager* m = parent->manager_;
    text_ = std::string(text);
    style_ = style | WS_CHILD;
    rect_ = rect;
    if (rect_.right < rect_.left)
        rect_.right = rect_.left;
    if (rect_.bottom < rect_.top)
        rect_.bottom = rect_.top;
    id_ = id;
    destroying_ = false;
    manager_ = m;
    parent_ = parent;
    parent->children_.insert(parent->children_.begin(), this);
    m->Register(this);
    ComputeClient();

    const std::uint64_t serial = serial_;
    int created = OnCreate();
    if (m->FromSerial(serial) != this)
        return FALSE;
    if (created == -1) {
        DestroyWindow();
        return FALSE;
    }
    Rect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    if (m->FromSerial(serial) != this)
        return FALSE;
    if (IsWindowVisible())
        m->InvalidateRootRect(m->RootRectOfWindow(this), true);
    return TRUE;
}

BOOL Window::DestroyWindow() {
    if (!IsWindow() || destroying_)
        return FALSE;
    WindowManager* m = manager_;
    const std::uint64_t serial = serial_;
    destroying_ = true;
    if (IsWindowVisible() && parent_)
        m->InvalidateRootRect(m->RootRectOfWindow(this), true);
    m->OnWindowDestroyed(this);
    OnDestroy();
    if (m->FromSerial(serial) != this)
        return TRUE;  // deleted by its own handler
    Teardown();
    return TRUE;
}

void Window::Teardown() {
    WindowManager* m = manager_;
    if (!m)
        return;
    const std::uint64_t serial = serial_;
    // Children first, each looked up again: a child's handler may delete
    // others (or this window).
    std::vector<std::uint64_t> kids;
    for (Window* c : children_)
        kids.push_back(c->serial_);
    for (std::uint64_t k : kids) {
        if (Window* c = m->FromSerial(k))
            c->DestroyWindow();
        if (m->FromSerial(serial) != this)
            return;
    }
    for (Window* c : children_)
        c->parent_ = nullptr;  // only if a child survived somehow
    children_.clear();
    if (parent_) {
        auto& sib = parent_->children_;
        sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
    }
    m->OnWindowDestroyed(this);
    m->Unregister(this);
    parent_ = nullptr;
    manager_ = nullptr;
    destroying_ = false;
}

Window* Window::GetNextWindow() const {
    if (!parent_)
        return nullptr;
    const auto& sib = parent_->children_;
    auto it = std::find(sib.begin(), sib.end(), this);
    if (it == sib.end() || it + 1 == sib.end())
        return nullptr;
    return *(it + 1);
}

Window* Window::GetPrevWindow() const {
    if (!parent_)
        return nullptr;
    const auto& sib = parent_->children_;
    auto it = std::find(sib.begin(), sib.end(), this);
    if (it == sib.end() || it == sib.begin())
        return nullptr;
    return *(it - 1);
}

bool Window::IsChild(const Window* descendant) const {
    for (const Window* w = descendant ? descendant->parent_ : nullptr; w; w = w->parent_) {
        if (w == this)
            return true;
    }
    return false;
}

Window* Window::GetDlgItem(UINT id) const {
    for (Window* c : children_) {
        if (c->id_ == id)
            return c;
    }
    for (Window* c : children_) {
        if (Window* found = c->GetDlgItem(id))
            return found;
    }
    return nullptr;
}

void Window::SetWindowText(std::string_view text) {
    text_ = std::string(text);
}

UINT Window::SetDlgCtrlID(UINT id) {
    return std::exchange(id_, id);
}

BOOL Window::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD old = style_;
    style_ = (style_ & ~remove) | add;
    if (swpFlags && IsWindow()) {
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return old != style_;
}

void Window::ComputeClient() {
    frame_ = (style_ & WS_THICKFRAME) && manager_ ? manager_->border_ : 0;
}

int Window::GetFrameWidth() const {
    return frame_;
}

void Window::GetWindowRect(Rect* r) const {
    if (!r)
        return;
    if (!manager_) {
        r->SetRectEmpty();
        return;
    }
    *r = manager_->RootRectOfWindow(this);
    Point o = manager_->ToScreen(Point());
    r->Offset(o);
}

void Window::GetClientRect(Rect* r) const {
    if (!r)
        return;
    int w = std::max(0, rect_.Width() - 2 * frame_);
    int h = std::max(0, rect_.Height() - 2 * frame_);
    *r = Rect(0, 0, w, h);
}

void Window::ClientToScreen(Point* p) const {
    if (!p || !manager_)
        return;
    *p += manager_->ToScreen(manager_->ClientOriginInRoot(this));
}

void Window::ClientToScreen(Rect* r) const {
    if (!r || !manager_)
        return;
    r->Offset(manager_->ToScreen(manager_->ClientOriginInRoot(this)));
}

void Window::ScreenToClient(Point* p) const {
    if (!p || !manager_)
        return;
    *p -= manager_->ToScreen(manager_->ClientOriginInRoot(this));
}

void Window::ScreenToClient(Rect* r) const {
    if (!r || !manager_)
        return;
    Point o = manager_->ToScreen(manager_->ClientOriginInRoot(this));
    r->Offset(-o.x, -o.y);
}

void Window::MapWindowPoints(const Window* to, Point* points, int count) const {
    if (!points)
        return;
    for (int i = 0; i < count; ++i) {
        ClientToScreen(&points[i]);
        if (to)
            to->ScreenToClient(&points[i]);
    }
}

void Window::MapWindowPoints(const Window* to, Rect* r) const {
    if (!r)
        return;
    ClientToScreen(r);
    if (to)
        to->ScreenToClient(r);
}

void Window::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    SetWindowPos(nullptr, x, y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : unsigned(SWP_NOREDRAW)));
}

BOOL Window::SetWindowPos(const Window* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!IsWindow())
        return FALSE;
    WindowManager* m = manager_;
    const std::uint64_t serial = serial_;
    const Rect oldRootRect = m->RootRectOfWindow(this);
    const bool wasVisible = IsWindowVisible();
    Rect oldClient;
    GetClientRect(&oldClient);
    const Rect oldRect = rect_;
    bool changed = false;

    // Sides are summed in wide arithmetic and held to the int range, so a
    // position near the limits never wraps a window inside out.
    auto side = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    };
    if (!(flags & SWP_NOMOVE)) {
        const long long w = static_cast<long long>(rect_.right) - rect_.left;
        const long long h = static_cast<long long>(rect_.bottom) - rect_.top;
        rect_ = Rect(x, y, side(x + w), side(y + h));
    }
    if (!(flags & SWP_NOSIZE)) {
        rect_.right = side(static_cast<long long>(rect_.left) + std::max(0, cx));
        rect_.bottom = side(static_cast<long long>(rect_.top) + std::max(0, cy));
    }
    changed = rect_ != oldRect;

    if (!(flags & SWP_NOZORDER) && parent_ && insertAfter != this) {
        auto& sib = parent_->children_;
        auto it = std::find(sib.begin(), sib.end(), this);
        const size_t oldIndex = static_cast<size_t>(it - sib.begin());
        sib.erase(it);
        size_t at = oldIndex;
        if (insertAfter == HWND_TOP) {
            at = 0;
        } else if (insertAfter == HWND_BOTTOM) {
            at = sib.size();
        } else {
            auto after = std::find(sib.begin(), sib.end(), insertAfter);
            if (after != sib.end())
                at = static_cast<size_t>(after - sib.begin()) + 1;
        }
        sib.insert(sib.begin() + static_cast<std::ptrdiff_t>(at), this);
        changed = changed || at != oldIndex;
    }
    if (flags & SWP_FRAMECHANGED) {
        int before = frame_;
        ComputeClient();
        changed = changed || before != frame_;
    }
    if (flags & SWP_SHOWWINDOW)
        style_ |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW)
        style_ &= ~WS_VISIBLE;
    const bool nowVisible = IsWindowVisible();
    changed = changed || wasVisible != nowVisible;

    if (changed && !(flags & SWP_NOREDRAW)) {
        if (wasVisible)
            m->InvalidateRootRect(oldRootRect, true);
        if (nowVisible)
            m->InvalidateRootRect(m->RootRectOfWindow(this), true);
    }
    Rect newClient;
    GetClientRect(&newClient);
    if (rect_.TopLeft() != oldRect.TopLeft() || (flags & SWP_FRAMECHANGED)) {
        if (rect_.TopLeft() != oldRect.TopLeft())
            OnMove(rect_.left + frame_, rect_.top + frame_);
        if (m->FromSerial(serial) != this)
            return TRUE;
    }
    if (newClient != oldClient)
        OnSize(SIZE_RESTORED, newClient.Width(), newClient.Height());
    return TRUE;
}

BOOL Window::ShowWindow(int command) {
    const bool was = (style_ & WS_VISIBLE) != 0;
    if (!IsWindow())
        return FALSE;
    SetWindowPos(nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (command == SW_HIDE ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
    return was;
}

bool Window::IsWindowVisible() const {
    if (!IsWindow())
        return false;
    for (const Window* w = this; w; w = w->parent_) {
        if (!(w->style_ & WS_VISIBLE))
            return false;
    }
    return true;
}

BOOL Window::EnableWindow(BOOL enable) {
    const bool wasDisabled = (style_ & WS_DISABLED) != 0;
    if (enable) {
        style_ &= ~WS_DISABLED;
    } else {
        style_ |= WS_DISABLED;
        if (manager_ && HasCapture())
            manager_->ReleaseCaptureInternal();
    }
    return wasDisabled;
}

void Window::InvalidateRect(const Rect* r, BOOL erase) {
    if (!IsWindow())
        return;
    Rect client;
    GetClientRect(&client);
    Rect area = r ? r->Intersected(client) : client;
    if (area.IsEmpty())
        return;
    manager_->InvalidateWindowRect(this, area, erase != 0);
}

void Window::ValidateRect(const Rect* r) {
    if (!IsWindow())
        return;
    auto it = manager_->invalid_.find(serial_);
    if (it == manager_->invalid_.end())
        return;
    if (!r) {
        manager_->invalid_.erase(it);
        return;
    }
    // A single rectangle cannot express a hole: validating part of the
    // invalid area only shrinks it when the part covers a whole side.
    Rect& inv = it->second.rect;
    Rect v = r->Intersected(inv);
    if (v == inv) {
        manager_->invalid_.erase(it);
    } else if (v.left == inv.left && v.right == inv.right) {
        if (v.top == inv.top)
            inv.top = v.bottom;
        else if (v.bottom == inv.bottom)
            inv.bottom = v.top;
    } else if (v.top == inv.top && v.bottom == inv.bottom) {
        if (v.left == inv.left)
            inv.left = v.right;
        else if (v.right == inv.right)
            inv.right = v.left;
    }
}

void Window::UpdateWindow() {
    if (!IsWindow() || !manager_->invalid_.count(serial_))
        return;
    manager_->Paint();
}

std::unique_ptr<DC> Window::GetDC() {
    if (!IsWindow())
        return nullptr;
    return manager_->MakeWindowDC(this, true);
}

std::unique_ptr<DC> Window::GetWindowDC() {
    if (!IsWindow())
        return nullptr;
    return manager_->MakeWindowDC(this, false);
}

Window* Window::SetCapture() {
    if (!IsWindow())
        return nullptr;
    return manager_->SetCaptureTo(this);
}

bool Window::HasCapture() const {
    return manager_ && manager_->capture_ == serial_;
}

Window* Window::SetFocus() {
    if (!IsWindow())
        return nullptr;
    WindowManager* m = manager_;
    Window* old = m->GetFocus();
    if (old == this)
        return old;
    const std::uint64_t serial = serial_;
    const std::uint64_t oldSerial = old ? old->serial_ : 0;
    m->focus_ = serial;
    if (old)
        old->OnKillFocus(this);
    if (m->FromSerial(serial) == this && m->focus_ == serial) {
        OnSetFocus(m->FromSerial(oldSerial));
    }
    return m->FromSerial(oldSerial);
}

bool Window::HasFocus() const {
    return manager_ && manager_->focus_ == serial_;
}

BOOL Window::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow())
        return FALSE;
    manager_->Post(this, message, wParam, lParam);
    return TRUE;
}

LRESULT Window::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow())
        return 0;
    WindowManager* m = manager_;
    if (m->sendDepth_ >= kMaxSendDepth) {
        DebugOutput::Printf("SendMessage: message %u dropped, sends nested too deeply", message);
        return 0;
    }
    ++m->sendDepth_;
    LRESULT r = WindowProc(message, wParam, lParam);
    --m->sendDepth_;
    return r;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(static_cast<UINT>(wParam), lParam);
        case WM_CLOSE:
            OnClose();
            return 0;
        default:
            return OnMessage(message, wParam, lParam);
    }
}

BOOL Window::OnEraseBkgnd(DC* dc) {
    if (background_ == CLR_INVALID || !dc)
        return FALSE;
    Rect clip;
    dc->GetClipBox(&clip);
    dc->FillSolidRect(clip, background_);
    return TRUE;
}

void Window::OnRButtonUp(UINT, Point point) {
    ClientToScreen(&point);
    OnContextMenu(this, point);
}

void Window::OnContextMenu(Window* window, Point screenPoint) {
    if (parent_ && parent_->parent_)
        parent_->OnContextMenu(window, screenPoint);
}

UINT Window::OnNcHitTest(Point screenPoint) {
    Rect r;
    GetWindowRect(&r);
    if (!r.PtInRect(screenPoint))
        return HTNOWHERE;
    const int b = frame_;
    if (b <= 0)
        return HTCLIENT;
    const int x = screenPoint.x - r.left, y = screenPoint.y - r.top;
    const int w = r.Width(), h = r.Height();
    const bool left = x < b, right = x >= w - b, top = y < b, bottom = y >= h - b;
    if (!left && !right && !top && !bottom)
        return HTCLIENT;
    // Corners reach a little way along each edge, so they are easy to grab.
    const int corner = std::max(2 * b, 8);
    const bool nearLeft = x < corner, nearRight = x >= w - corner;
    const bool nearTop = y < corner, nearBottom = y >= h - corner;
    const bool l = left || ((top || bottom) && nearLeft);
    const bool rgt = !l && (right || ((top || bottom) && nearRight));
    const bool t = top || ((left || right) && nearTop);
    const bool btm = !t && (bottom || ((left || right) && nearBottom));
    if (t && l)
        return HTTOPLEFT;
    if (t && rgt)
        return HTTOPRIGHT;
    if (btm && l)
        return HTBOTTOMLEFT;
    if (btm && rgt)
        return HTBOTTOMRIGHT;
    if (l)
        return HTLEFT;
    if (rgt)
        return HTRIGHT;
    if (t)
        return HTTOP;
    return HTBOTTOM;
}

BOOL Window::OnSetCursor(Window* window, UINT hitTest, UINT message) {
    if (parent_ && parent_->IsWindow() && parent_->OnSetCursor(window, hitTest, message)) {
        return TRUE;
    }
    if (window != this)
        return FALSE;
    StandardCursor shape = StandardCursor::Arrow;
    switch (hitTest) {
        case HTLEFT:
        case HTRIGHT:
            shape = StandardCursor::SizeWE;
            break;
        case HTTOP:
        case HTBOTTOM:
            shape = StandardCursor::SizeNS;
            break;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            shape = StandardCursor::SizeNWSE;
            break;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            shape = StandardCursor::SizeNESW;
            break;
        case HTCLIENT:
            SetCursor(classCursor_ ? classCursor_ : LoadCursor(IDC_ARROW));
            return TRUE;
        default:
            break;
    }
    SetCursor(LoadCursor(shape));
    return TRUE;
}

void Window::OnNcLButtonDown(UINT hitTest, Point screenPoint) {
    // The manager starts sizing only for a hit on a frame edge or corner.
    if (manager_ && frame_ > 0)
        manager_->StartSizing(this, hitTest, screenPoint);
}

}  // namespace platform
