// The window manager: the tree's root, input routing, capture, posted
// messages, painting into the backing store, and the sizing border's resize
// loop.
//
// Handlers may destroy windows (their own included) or delete window objects
// at any time, so the manager never keeps a raw pointer across a handler
// call: windows are looked up again by serial afterwards.
#include "platform/window_manager.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/message_box.h"
#include "platform/window_host.h"

namespace platform {

namespace {

WindowManager* g_active = nullptr;
std::vector<WindowManager*>& LiveManagers() {
    static std::vector<WindowManager*> managers;
    return managers;
}

// A DC on a window's part of the backing store; tells the host what may have
// changed when it is released.
class WindowDC : public DC {
  public:
    WindowDC(Bitmap* backing, std::weak_ptr<WindowManager*> manager, Rect area)
        : DC(backing), manager_(std::move(manager)), area_(area) {}
    ~WindowDC() override {
        if (auto m = manager_.lock()) {
            if (*m && (*m)->GetHost() && !area_.IsEmpty())
                (*m)->GetHost()->InvalidateHost(area_);
        }
    }

  private:
    std::weak_ptr<WindowManager*> manager_;
    Rect area_;
};

bool IsSizingHit(UINT hit) {
    return hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
}

}  // namespace

// ---------------------------------------------------------------------------
// Free functions

short GetKeyState(int virtualKey) {
    WindowManager* m = WindowManager::Active();
    bool down = false;
    switch (virtualKey) {
        case VK_LBUTTON:
            down = m && m->IsButtonDown(MouseButton::Left);
            break;
        case VK_RBUTTON:
            down = m && m->IsButtonDown(MouseButton::Right);
            break;
        case VK_MBUTTON:
            down = m && m->IsButtonDown(MouseButton::Middle);
            break;
        default: {
            WindowHost* host = m ? m->GetHost() : GetDefaultHost();
            down = host && host->IsKeyDown(virtualKey);
            break;
        }
    }
    return down ? static_cast<short>(0x8000) : 0;
}

Window* GetCapture() {
    WindowManager* m = WindowManager::Active();
    return m ? m->GetCapture() : nullptr;
}

BOOL ReleaseCapture() {
    WindowManager* m = WindowManager::Active();
    return m ? m->ReleaseCapture() : TRUE;
}

// ---------------------------------------------------------------------------
// WindowManager

WindowManager::WindowManager(WindowHost* host, int width, int height)
    : host_(host),
      root_(std::make_unique<Window>()),
      token_(std::make_shared<WindowManager*>(this)) {
    LiveManagers().push_back(this);
    root_->manager_ = this;
    root_->style_ = WS_VISIBLE;
    root_->background_ = RGB(255, 255, 255);
    root_->rect_ = Rect(0, 0, std::max(0, width), std::max(0, height));
    Register(root_.get());
    backing_.Create(root_->rect_.Width(), root_->rect_.Height());
}

WindowManager::~WindowManager() {
    // Tear down every window; the objects themselves belong to their owners.
    // The host may be half gone already: nothing is shown from here on.
    host_ = nullptr;
    root_->DestroyWindow();
    *token_ = nullptr;
    auto& live = LiveManagers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (g_active == this)
        g_active = nullptr;
}

WindowManager* WindowManager::Active() {
    if (g_active)
        return g_active;
    auto& live = LiveManagers();
    return live.empty() ? nullptr : live.back();
}

void WindowManager::SetRootSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    backing_.Create(width, height);
    root_->rect_ = Rect(0, 0, width, height);
    invalid_.clear();
    InvalidateWindowRect(root_.get(), root_->rect_, true);
    root_->OnSize(SIZE_RESTORED, width, height);
}

void WindowManager::SetSizingBorderWidth(int pixels) {
    border_ = std::clamp(pixels, 1, 64);
}
void WindowManager::SetDoubleClickTime(std::uint32_t ms) {
    dblTime_ = ms;
}
void WindowManager::SetDoubleClickDistance(int pixels) {
    dblDistance_ = std::max(0, pixels);
}
void WindowManager::SetResolution(int dpiX, int dpiY) {
    dpiX_ = dpiX > 0 ? dpiX : 96;
    dpiY_ = dpiY > 0 ? dpiY : 96;
}

void WindowManager::Register(Window* w) {
    windows_[w->serial_] = w;
}

void WindowManager::Unregister(Window* w) {
    windows_.erase(w->serial_);
}

Window* WindowManager::FromSerial(std::uint64_t serial) const {
    if (serial == 0)
        return nullptr;
    auto it = windows_.find(serial);
    return it == windows_.end() ? nullptr : it->second;
}

void WindowManager::OnWindowDestroyed(Window* w) {
    if (capture_ == w->serial_)
        capture_ = 0;
    if (focus_ == w->serial_)
        focus_ = 0;
    if (sizing_.active && sizing_.window == w->serial_)
        sizing_.active = false;
    if (lastClickWindow_ == w->serial_)
        lastClickValid_ = false;
    invalid_.erase(w->serial_);
    // Queued messages for it are dropped when they come up.
}

Point WindowManager::ToScreen(Point rootPoint) const {
    return host_ ? rootPoint + host_->GetScreenOrigin() : rootPoint;
}

Point WindowManager::ClientOriginInRoot(const Window* w) const {
    Rect r = RootRectOfWindow(w);
    return {r.left + w->frame_, r.top + w->frame_};
}

Rect WindowManager::RootRectOfWindow(const Window* w) const {
    Rect r = w->rect_;
    if (w->parent_)
        r.Offset(ClientOriginInRoot(w->parent_));
    return r;
}

Rect WindowManager::RootRectOfClient(const Window* w) const {
    Rect c;
    w->GetClientRect(&c);
    c.Offset(ClientOriginInRoot(w));
    return c;
}

Rect WindowManager::VisibleRootClip(const Window* w, bool client) const {
    if (!w->IsWindowVisible())
        return Rect();
    Rect r = client ? RootRectOfClient(w) : RootRectOfWindow(w);
    for (const Window* p = w->parent_; p; p = p->parent_)
        r = r.Intersected(RootRectOfClient(p));
    return r.Intersected(Rect(0, 0, backing_.Width(), backing_.Height()));
}

void WindowManager::InvalidateWindowRect(Window* w, const Rect& clientRect, bool erase) {
    PendingPaint& p = invalid_[w->serial_];
    p.rect = p.rect.United(clientRect);
    p.erase = p.erase || erase;
    if (host_ && w->IsWindowVisible()) {
        Rect root = clientRect;
        root.Offset(ClientOriginInRoot(w));
        root = root.Intersected(VisibleRootClip(w, true));
        if (!root.IsEmpty())
            host_->InvalidateHost(root);
    }
}

void WindowManager::InvalidateRootRect(const Rect& rootRect, bool erase) {
    Rect r = rootRect.Intersected(root_->rect_);
    if (!r.IsEmpty())
        InvalidateWindowRect(root_.get(), r, erase);
}

std::unique_ptr<DC> WindowManager::MakeWindowDC(const Window* w, bool client) {
    Rect area = VisibleRootClip(w, client);
    Point origin = client ? ClientOriginInRoot(w) : RootRectOfWindow(w).TopLeft();
    auto dc = std::make_unique<WindowDC>(&backing_, token_, area);
    dc->SetBaseArea(area, origin);
    dc->SetResolution(dpiX_, dpiY_);
    return dc;
}

Rect WindowManager::Paint() {
    // A paint handler that asks for painting again (UpdateWindow) is served
    // by the pass already running or by the next one, never recursively.
    if (painting_)
        return Rect();
    painting_ = true;
    WindowManager* previous = g_active;
    g_active = this;
    Rect painted, changed;
    PaintTree(root_.get(), &painted, &changed);
    g_active = previous;
    painting_ = false;
    return changed;
}

void WindowManager::PaintTree(Window* w, Rect* painted, Rect* changed) {
    const std::uint64_t serial = w->serial_;
    Rect visible = VisibleRootClip(w, true);
    if (visible.IsEmpty() && !w->IsWindowVisible()) {
        invalid_.erase(serial);
        return;
    }
    Rect need;
    bool erase = false;
    auto it = invalid_.find(serial);
    if (it != invalid_.end()) {
        need = it->second.rect;
        need.Offset(ClientOriginInRoot(w));
        erase = it->second.erase;
        invalid_.erase(it);
    }
    // Whatever a window below painted over must be painted again on top.
    need = need.United(painted->Intersected(VisibleRootClip(w, false)));
    need = need.Intersected(visible);
    if (!need.IsEmpty()) {
        auto dc = MakeWindowDC(w, true);
        dc->SetBaseArea(need, ClientOriginInRoot(w));
        if (erase)
            w->OnEraseBkgnd(dc.get());
        if (FromSerial(serial) == w)
            w->OnPaint(dc.get());
        *painted = painted->United(need);
        *changed = changed->United(need);
    }
    if (FromSerial(serial) != w)
        return;
    std::vector<std::uint64_t> kids;
    for (auto c = w->children_.rbegin(); c != w->children_.rend(); ++c)
        kids.push_back((*c)->serial_);
    for (std::uint64_t k : kids) {
        if (Window* c = FromSerial(k)) {
            if (c->parent_ == w)
                PaintTree(c, painted, changed);
        }
        if (FromSerial(serial) != w)
            return;
    }
}

Window* WindowManager::GetCapture() const {
    return FromSerial(capture_);
}
Window* WindowManager::GetFocus() const {
    return FromSerial(focus_);
}

Window* WindowManager::SetCaptureTo(Window* w) {
    Window* old = FromSerial(capture_);
    if (old == w)
        return old;
    if (sizing_.active && old && sizing_.window == old->serial_)
        sizing_.active = false;
    capture_ = w->serial_;
    if (old)
        old->OnCaptureChanged(w);
    return old;
}

BOOL WindowManager::ReleaseCapture() {
    ReleaseCaptureInternal();
    return TRUE;
}

void WindowManager::ReleaseCaptureInternal() {
    Window* holder = FromSerial(capture_);
    capture_ = 0;
    if (!holder)
        return;
    const std::uint64_t serial = holder->serial_;
    const bool wasSizing = sizing_.active && sizing_.window == serial;
    sizing_.active = false;
    holder->OnCaptureChanged(nullptr);
    if (wasSizing) {
        if (Window* w = FromSerial(serial))
            w->OnExitSizeMove();
    }
}

Window* WindowManager::WindowFromPoint(Point p) const {
    if (!root_->rect_.PtInRect(p))
        return nullptr;
    Window* w = root_.get();
    for (;;) {
        if (!RootRectOfClient(w).PtInRect(p))
            return w;
        Window* found = nullptr;
        for (Window* c : w->children_) {
            if ((c->style_ & WS_VISIBLE) && !(c->style_ & WS_DISABLED) &&
                RootRectOfWindow(c).PtInRect(p)) {
                found = c;
                break;
            }
        }
        if (!found)
            return w;
        w = found;
    }
}

UINT WindowManager::MouseFlags(UINT keys) const {
    UINT f = keys & (MK_SHIFT | MK_CONTROL);
    if (buttons_[0])
        f |= MK_LBUTTON;
    if (buttons_[1])
        f |= MK_RBUTTON;
    if (buttons_[2])
        f |= MK_MBUTTON;
    return f;
}

bool WindowManager::IsButtonDown(MouseButton button) const {
    return buttons_[static_cast<int>(button)];
}

void WindowManager::UpdateCursor(Window* w, UINT hitTest, UINT message) {
    if (!w->OnSetCursor(w, hitTest, message))
        SetCursor(LoadCursor(IDC_ARROW));
}

void WindowManager::MouseDown(MouseButton button, Point point, UINT keys, std::uint32_t time) {
    Button(button, point, keys, time, true);
}

void WindowManager::MouseUp(MouseButton button, Point point, UINT keys, std::uint32_t time) {
    Button(button, point, keys, time, false);
}

void WindowManager::Button(MouseButton button, Point point, UINT keys, std::uint32_t time,
                           bool down) {
    g_active = this;
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
    buttons_[static_cast<int>(button)] = down;
    lastMouse_ = point;
    const Point screen = ToScreen(point);

    if (sizing_.active) {
        if (!down && button == MouseButton::Left) {
            SizingMove(screen);
            EndSizing(false);
        }
        return;
    }

    Window* target = FromSerial(capture_);
    UINT hit = HTCLIENT;
    if (!target) {
        target = WindowFromPoint(point);
        if (!target)
            return;
        const std::uint64_t s = target->serial_;
        hit = target->OnNcHitTest(screen);
        if (FromSerial(s) != target)
            return;
        if (hit == HTNOWHERE || hit == HTTRANSPARENT || hit == HTERROR)
            return;
    }
    const bool nonClient = hit != HTCLIENT && button == MouseButton::Left;
    const std::uint64_t serial = target->serial_;
    Point client = screen;
    target->ScreenToClient(&client);
    const UINT flags = MouseFlags(keys);

    if (down) {
        bool dbl = false;
        if (button != MouseButton::Middle) {
            dbl = lastClickValid_ && lastClickWindow_ == serial && lastClickButton_ == button &&
                  lastWasNonClient_ == nonClient && time - lastClickTime_ <= dblTime_ &&
                  std::abs(point.x - lastClickPoint_.x) <= dblDistance_ &&
                  std::abs(point.y - lastClickPoint_.y) <= dblDistance_;
            if (dbl) {
                lastClickValid_ = false;  // a third click starts over
            } else {
                lastClickValid_ = true;
                lastClickWindow_ = serial;
                lastClickButton_ = button;
                lastClickPoint_ = point;
                lastClickTime_ = time;
                lastWasNonClient_ = nonClient;
            }
        }
        if (!FromSerial(capture_)) {
            target->OnSetCursor(target, hit, 0);
            if (FromSerial(serial) != target)
                return;
        }
        if (nonClient) {
            dbl ? target->OnNcLButtonDblClk(hit, screen) : target->OnNcLButtonDown(hit, screen);
        } else if (button == MouseButton::Left) {
            dbl ? target->OnLButtonDblClk(flags, client) : target->OnLButtonDown(flags, client);
        } else if (button == MouseButton::Right) {
            dbl ? target->OnRButtonDblClk(flags, client) : target->OnRButtonDown(flags, client);
        }
    } else {
        if (nonClient) {
            target->OnNcLButtonUp(hit, screen);
        } else if (button == MouseButton::Left) {
            target->OnLButtonUp(flags, client);
        } else if (button == MouseButton::Right) {
            target->OnRButtonUp(flags, client);
        }
    }
}

void WindowManager::MouseMove(Point point, UINT keys, std::uint32_t) {
    g_active = this;
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
    lastMouse_ = point;
    mouseInside_ = true;
    const Point screen = ToScreen(point);
    if (sizing_.active) {
        SizingMove(screen);
        return;
    }
    if (Window* holder = FromSerial(capture_)) {
        Point client = screen;
        holder->ScreenToClient(&client);
        holder->OnMouseMove(MouseFlags(keys), client);
        return;
    }
    Window* target = WindowFromPoint(point);
    if (!target)
        return;
    const std::uint64_t serial = target->serial_;
    UINT hit = target->OnNcHitTest(screen);
    if (FromSerial(serial) != target)
        return;
    UpdateCursor(target, hit, 0x0200);
    if (FromSerial(serial) != target)
        return;
    if (hit == HTCLIENT) {
        Point client = screen;
        target->ScreenToClient(&client);
        target->OnMouseMove(MouseFlags(keys), client);
    } else if (hit != HTNOWHERE) {
        target->OnNcMouseMove(hit, screen);
    }
}

void WindowManager::MouseLeave() {
    mouseInside_ = false;
}

void WindowManager::KeyDown(UINT key, UINT keys) {
    g_active = this;
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
    if (sizing_.active) {
        if (key == VK_ESCAPE)
            EndSizing(true);
        return;
    }
    if (Window* f = GetFocus())
        f->OnKeyDown(key, 1, 0);
}

void WindowManager::KeyUp(UINT key, UINT keys) {
    g_active = this;
    keys_ = keys & (MK_SHIFT | MK_CONTROL);
    if (sizing_.active)
        return;
    if (Window* f = GetFocus())
        f->OnKeyUp(key, 1, 0);
}

void WindowManager::Char(UINT codePoint) {
    g_active = this;
    if (sizing_.active)
        return;
    if (Window* f = GetFocus())
        f->OnChar(codePoint, 1, 0);
}

void WindowManager::StartSizing(Window* w, UINT hitTest, Point screenPoint) {
    if (!IsSizingHit(hitTest) || sizing_.active)
        return;
    const std::uint64_t serial = w->serial_;
    SetCaptureTo(w);
    if (FromSerial(serial) != w)
        return;
    sizing_.active = true;
    sizing_.window = serial;
    sizing_.edge = hitTest - static_cast<UINT>(HTLEFT) + static_cast<UINT>(WMSZ_LEFT);
    sizing_.start = screenPoint;
    w->GetWindowRect(&sizing_.startRect);
    w->OnEnterSizeMove();
    if (FromSerial(serial) != w || !sizing_.active)
        return;
    UpdateCursor(w, hitTest, 0);
}

void WindowManager::SizingMove(Point screenPoint) {
    Window* w = FromSerial(sizing_.window);
    if (!sizing_.active || !w) {
        sizing_.active = false;
        return;
    }
    const std::uint64_t serial = sizing_.window;
    const UINT edge = sizing_.edge;
    const int dx = screenPoint.x - sizing_.start.x, dy = screenPoint.y - sizing_.start.y;
    const int minSize = std::max(1, 2 * w->frame_);
    Rect r = sizing_.startRect;
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    if (left)
        r.left = std::min(r.left + dx, r.right - minSize);
    if (right)
        r.right = std::max(r.right + dx, r.left + minSize);
    if (top)
        r.top = std::min(r.top + dy, r.bottom - minSize);
    if (bottom)
        r.bottom = std::max(r.bottom + dy, r.top + minSize);

    w->OnSizing(edge, &r);
    w = FromSerial(serial);
    if (!w || !sizing_.active || sizing_.window != serial)
        return;
    r.Normalize();
    if (Window* parent = w->GetParent())
        parent->ScreenToClient(&r);
    w->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowManager::EndSizing(bool cancel) {
    if (!sizing_.active)
        return;
    const std::uint64_t serial = sizing_.window;
    Window* w = FromSerial(serial);
    if (cancel && w) {
        Rect r = sizing_.startRect;
        if (Window* parent = w->GetParent())
            parent->ScreenToClient(&r);
        w->SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(),
                        SWP_NOZORDER | SWP_NOACTIVATE);
        w = FromSerial(serial);
    }
    if (capture_ == serial && w) {
        ReleaseCaptureInternal();  // ends the loop and sends OnExitSizeMove
    } else {
        sizing_.active = false;
        if (w)
            w->OnExitSizeMove();
    }
}

void WindowManager::Post(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    queue_.push_back({w->serial_, message, wParam, lParam});
    if (!idleRequested_ && host_) {
        idleRequested_ = true;
        host_->RequestIdleProcessing();
    }
}

int WindowManager::ProcessPostedMessages() {
    WindowManager* previous = g_active;
    g_active = this;
    idleRequested_ = false;
    int delivered = 0;
    size_t n = queue_.size();
    while (n-- > 0 && !queue_.empty()) {
        Posted p = queue_.front();
        queue_.pop_front();
        if (Window* w = FromSerial(p.target)) {
            w->SendMessage(p.message, p.wParam, p.lParam);
            ++delivered;
        }
    }
    if (!queue_.empty() && !idleRequested_ && host_) {
        idleRequested_ = true;
        host_->RequestIdleProcessing();
    }
    g_active = previous ? previous : this;
    return delivered;
}

}  // namespace platform
