// Light windows: the messages, styles and codes they use, and the Window
// class.
//
// A Window is a rectangle in its parent's client coordinates, stacked among
// its siblings (the first child is the top of the z-order), with visibility,
// text, an id, styles and virtual message handlers. Windows live in the tree
// of a WindowManager (platform/window_manager.h, included at the end of this
// header), which routes input to them and paints them.
//
// Coordinates: "root" pixels are the root window's client pixels (the host's
// pixels); screen pixels are root pixels plus the host's screen origin.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cursor.h"
#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/types.h"

namespace platform {

class Window;
class WindowHost;
class WindowManager;

// Message parameters carry full pointer-sized integers.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window styles.
enum : DWORD {
    WS_CHILD = 0x40000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_THICKFRAME = 0x00040000,  // the sizing border
    WS_SIZEBOX = WS_THICKFRAME,
};

// SetWindowPos flags.
enum : UINT {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
};

// SetWindowPos insert-after markers (compared, never dereferenced).
inline Window* const HWND_TOP = nullptr;
inline Window* const HWND_BOTTOM = reinterpret_cast<Window*>(std::uintptr_t{1});

// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWNA = 8 };

// Messages with a meaning of their own; everything else, notably private
// messages from WM_USER up, reaches Window::OnMessage.
enum : UINT {
    WM_NULL = 0x0000,
    WM_SIZE = 0x0005,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_COMMAND = 0x0111,  // wParam: command id, lParam: 0
    WM_USER = 0x0400,
};

// Mouse key-state flags of mouse handlers.
enum : UINT {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Hit-test codes of OnNcHitTest and OnSetCursor.
enum : UINT {
    HTERROR = static_cast<UINT>(-2),
    HTTRANSPARENT = static_cast<UINT>(-1),
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
};

// Sizing edge codes of OnSizing (hit-test code minus 9).
enum : UINT {
    WMSZ_LEFT = 1,
    WMSZ_RIGHT = 2,
    WMSZ_TOP = 3,
    WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6,
    WMSZ_BOTTOMLEFT = 7,
    WMSZ_BOTTOMRIGHT = 8,
};

// OnSize types.
enum : UINT { SIZE_RESTORED = 0 };

// Virtual keys.
enum : int {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
};

enum class MouseButton { Left, Right, Middle };

class Window {
  public:
    Window();
    // Destroys the window (and its children's windows) if it still exists.
    // Derived classes that want their own OnDestroy to run call DestroyWindow
    // in their destructor.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // ---- life ------------------------------------------------------------
    // Creates the window as a child of `parent` (which must exist) with its
    // rectangle in the parent's client coordinates, on top of its siblings.
    // Calls OnCreate (a result of -1 fails the creation) and OnSize. FALSE
    // when the window already exists or the parent is missing.
    BOOL Create(std::string_view text, DWORD style, const Rect& rect, Window* parent, UINT id = 0);
    // Destroys the children's windows, then this one: OnDestroy runs, the
    // capture and focus are dropped, queued messages are discarded. The C++
    // objects stay; only the window goes. Safe from inside its own handlers.
    BOOL DestroyWindow();
    // Whether the window exists (between Create and DestroyWindow).
    bool IsWindow() const { return manager_ != nullptr; }
    bool GetSafeHwnd() const { return IsWindow(); }
    WindowManager* GetManager() const { return manager_; }
    WindowHost* GetHost() const;

    // ---- tree --------------------------------------------------------------
    Window* GetParent() const { return parent_; }
    // Children in z-order, the top one first.
    const std::vector<Window*>& GetChildren() const { return children_; }
    Window* GetTopWindow() const { return children_.empty() ? nullptr : children_.front(); }
    // The sibling below (next) or above (previous) this one; null at the end.
    Window* GetNextWindow() const;
    Window* GetPrevWindow() const;
    bool IsChild(const Window* descendant) const;
    // The first child (searching the whole subtree) with this id.
    Window* GetDlgItem(UINT id) const;

    // ---- attributes ----------------------------------------------------------
    void SetWindowText(std::string_view text);
    std::string GetWindowText() const { return text_; }
    UINT GetDlgCtrlID() const { return id_; }
    UINT SetDlgCtrlID(UINT id);
    DWORD GetStyle() const { return style_; }
    // Removes then adds style bits. With non-zero `swpFlags` also calls
    // SetWindowPos(nullptr, 0, 0, 0, 0, NOSIZE | NOMOVE | NOZORDER | NOACTIVATE
    // | swpFlags); SWP_FRAMECHANGED recomputes the client area (adding or
    // removing the sizing band) and sends OnSize when it changed.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    // Background colour used by the default OnEraseBkgnd; CLR_INVALID (the
    // default) erases nothing.
    void SetBackgroundColor(COLORREF color) { background_ = color; }
    COLORREF GetBackgroundColor() const { return background_; }
    // The cursor shown over the client area by the default OnSetCursor
    // (arrow when null).
    void SetClassCursor(HCURSOR cursor) { classCursor_ = cursor; }
    HCURSOR GetClassCursor() const { return classCursor_; }

    // ---- geometry -----------------------------------------------------------
    // Window rectangle in screen pixels.
    void GetWindowRect(Rect* r) const;
    // Client rectangle: (0, 0, client width, client height).
    void GetClientRect(Rect* r) const;
    // Window rectangle in the parent's client coordinates.
    Rect GetRectInParent() const { return rect_; }
    // Width of the sizing band while WS_THICKFRAME is set, else 0.
    int GetFrameWidth() const;
    void ClientToScreen(Point* p) const;
    void ClientToScreen(Rect* r) const;
    void ScreenToClient(Point* p) const;
    void ScreenToClient(Rect* r) const;
    // Maps points from this window's client coordinates to `to`'s (screen
    // coordinates when `to` is null).
    void MapWindowPoints(const Window* to, Point* points, int count) const;
    void MapWindowPoints(const Window* to, Rect* r) const;

    // ---- placement and z-order ----------------------------------------------
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const Rect& r, BOOL repaint = TRUE) {
        MoveWindow(r.left, r.top, r.Width(), r.Height(), repaint);
    }
    // `insertAfter`: HWND_TOP, HWND_BOTTOM, or the sibling directly above the
    // new place. Negative sizes become 0. OnMove / OnSize follow real changes.
    BOOL SetWindowPos(const Window* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL BringWindowToTop() {
        return SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    BOOL ShowWindow(int command);
    // Visible itself and every ancestor visible.
    bool IsWindowVisible() const;
    BOOL EnableWindow(BOOL enable);
    bool IsWindowEnabled() const { return !(style_ & WS_DISABLED); }

    // ---- painting -------------------------------------------------------------
    // Marks the client rectangle (all of it for null) to be repainted when
    // the host next paints. `erase` asks for OnEraseBkgnd first.
    void InvalidateRect(const Rect* r, BOOL erase = TRUE);
    void Invalidate(BOOL erase = TRUE) { InvalidateRect(nullptr, erase); }
    void ValidateRect(const Rect* r);
    void Validate() { ValidateRect(nullptr); }
    // Paints this window now if it has an invalid part.
    void UpdateWindow();
    // Repaints now (invalidate and update).
    void RedrawWindow() {
        Invalidate(TRUE);
        UpdateWindow();
    }
    // A DC drawing directly on this window's client area in the backing
    // store (clipped to the visible client area); the host is told to show
    // the change when the DC is destroyed. Null for a window that does not
    // exist.
    std::unique_ptr<DC> GetDC();
    // A DC on the whole window including the sizing band.
    std::unique_ptr<DC> GetWindowDC();

    // ---- input state -----------------------------------------------------------
    // Takes the mouse: all mouse input goes to this window until released.
    // The previous holder (if another) gets OnCaptureChanged(this). Returns it.
    Window* SetCapture();
    bool HasCapture() const;
    // Keyboard focus; returns the previous focus window.
    Window* SetFocus();
    bool HasFocus() const;

    // ---- messages ------------------------------------------------------------
    // Queues a message; it is delivered through WindowProc when the host's
    // event loop is idle. FALSE for a window that does not exist.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Delivers a message at once through WindowProc; 0 for a window that does
    // not exist (or when sends nest too deeply).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Dispatches a message to the handlers: WM_COMMAND -> OnCommand,
    // WM_CLOSE -> OnClose, anything else -> OnMessage.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // ---- handlers (the base versions are the default handling) ----------------
    // -1 fails the creation.
    virtual int OnCreate() { return 0; }
    virtual void OnDestroy() {}
    // Draw the invalid part; `dc` is clipped to it with the client origin at (0,0).
    virtual void OnPaint(DC* dc) { (void)dc; }
    // The manager draws no non-client area (the sizing band shows whatever
    // the parent painted there); never called, kept so that a window can
    // state that it paints none.
    virtual void OnNcPaint() {}
    // Non-zero when the background was erased. Default: fills the invalid
    // part with the background colour when one is set.
    virtual BOOL OnEraseBkgnd(DC* dc);
    virtual void OnSize(UINT type, int cx, int cy) {
        (void)type;
        (void)cx;
        (void)cy;
    }
    // New position of the client area's top left in the parent's client coordinates.
    virtual void OnMove(int x, int y) {
        (void)x;
        (void)y;
    }
    // Points are in this window's client pixels; flags are MK_ bits.
    virtual void OnLButtonDown(UINT flags, Point point) { (void)flags, (void)point; }
    virtual void OnLButtonUp(UINT flags, Point point) { (void)flags, (void)point; }
    virtual void OnLButtonDblClk(UINT flags, Point point) { (void)flags, (void)point; }
    virtual void OnRButtonDown(UINT flags, Point point) { (void)flags, (void)point; }
    // Default: asks for the context menu (OnContextMenu(this, screen point)).
    virtual void OnRButtonUp(UINT flags, Point point);
    virtual void OnRButtonDblClk(UINT flags, Point point) { (void)flags, (void)point; }
    virtual void OnMouseMove(UINT flags, Point point) { (void)flags, (void)point; }
    // `window` is the window clicked, `screenPoint` the click in screen
    // pixels. Default: passes the request on to the parent.
    virtual void OnContextMenu(Window* window, Point screenPoint);
    // Default: which part of the window a screen point is on: HTNOWHERE
    // outside, a border code on the sizing band, HTCLIENT elsewhere.
    virtual UINT OnNcHitTest(Point screenPoint);
    // Cursor query for the window under the mouse (`window`), with the hit
    // code. Non-zero when handled. Default: the parent is asked first; if it
    // does not handle it and `window` is this window, the resize cursor of a
    // border code or the class cursor on the client area is shown.
    virtual BOOL OnSetCursor(Window* window, UINT hitTest, UINT message);
    // Press on the non-client area (the sizing band). Default: a border code
    // on a window with WS_THICKFRAME starts the resize loop. The loop runs on
    // the following mouse input: the default returns at once.
    virtual void OnNcLButtonDown(UINT hitTest, Point screenPoint);
    virtual void OnNcLButtonUp(UINT hitTest, Point screenPoint) {
        (void)hitTest, (void)screenPoint;
    }
    // Default: handled as a press, so a quick second press on the band
    // still starts a resize.
    virtual void OnNcLButtonDblClk(UINT hitTest, Point screenPoint) {
        OnNcLButtonDown(hitTest, screenPoint);
    }
    virtual void OnNcMouseMove(UINT hitTest, Point screenPoint) {
        (void)hitTest, (void)screenPoint;
    }
    // During the resize loop, on every mouse move: the edge code (WMSZ_) and
    // the proposed window rectangle in screen pixels, which the handler may
    // change; the window is then placed where the rectangle says.
    virtual void OnSizing(UINT edge, Rect* rect) { (void)edge, (void)rect; }
    virtual void OnEnterSizeMove() {}
    virtual void OnExitSizeMove() {}
    // This window lost the capture (`newCapture` null when released).
    virtual void OnCaptureChanged(Window* newCapture) { (void)newCapture; }
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags) {
        (void)key, (void)repeat, (void)flags;
    }
    virtual void OnKeyUp(UINT key, UINT repeat, UINT flags) {
        (void)key, (void)repeat, (void)flags;
    }
    // A typed character (UTF-32 code point).
    virtual void OnChar(UINT ch, UINT repeat, UINT flags) { (void)ch, (void)repeat, (void)flags; }
    virtual void OnSetFocus(Window* oldFocus) { (void)oldFocus; }
    virtual void OnKillFocus(Window* newFocus) { (void)newFocus; }
    // A command (menu choice). Non-zero when handled. Default: not handled.
    virtual BOOL OnCommand(UINT id, LPARAM lParam) {
        (void)id, (void)lParam;
        return FALSE;
    }
    virtual void OnClose() { DestroyWindow(); }
    // Every other message, private ones included. Default: 0.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        (void)message, (void)wParam, (void)lParam;
        return 0;
    }

    // Unique for the life of the process; never reused (a weak handle).
    std::uint64_t serial() const { return serial_; }

  private:
    friend class WindowManager;

    void ComputeClient();
    void Teardown();

    WindowManager* manager_ = nullptr;
    Window* parent_ = nullptr;
    std::vector<Window*> children_;
    Rect rect_;  // in the parent's client coordinates
    std::string text_;
    UINT id_ = 0;
    DWORD style_ = 0;
    COLORREF background_ = CLR_INVALID;
    HCURSOR classCursor_ = nullptr;
    std::uint64_t serial_ = 0;
    int frame_ = 0;  // band width applied to the client area
    bool destroying_ = false;
};

}  // namespace platform

// Every user of windows needs their manager too.
#include "platform/window_manager.h"
