// The window manager and the process-wide input state it keeps.
//
// A WindowManager holds one tree of windows under a root window that covers
// its host (see platform/window_host.h), routes the host's mouse and key
// input to the windows, runs the posted-message queue, keeps the capture and
// the focus, repaints invalid windows into a backing store, and emulates the
// sizing border: a window with WS_THICKFRAME gets a frame band inside its
// rectangle (its client area is inset by the band), a press on the band
// starts the resize loop, and the band shows the matching resize cursor.
//
// Coordinates: "root" pixels are the root window's client pixels (the host's
// pixels); screen pixels are root pixels plus the host's screen origin.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>

#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/types.h"
#include "platform/window.h"

namespace platform {

// Process-wide key state, as the classic GetKeyState: bit 0x8000 set while
// the key is down. Mouse buttons come from the window manager that handles
// input; other keys from its host.
short GetKeyState(int virtualKey);
// The window holding the capture in the active window manager, or null.
Window* GetCapture();
// Releases the capture of the active window manager; the holder gets
// OnCaptureChanged(nullptr).
BOOL ReleaseCapture();

class WindowManager {
  public:
    explicit WindowManager(WindowHost* host, int width = 0, int height = 0);
    // Destroys every window still in the tree.
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    WindowHost* GetHost() const { return host_; }
    // The window that covers the host; parent of the top-level windows.
    Window* Root() { return root_.get(); }
    // The host was resized: the root window takes the new size.
    void SetRootSize(int width, int height);
    // The manager handling input right now, else the last one that did (or
    // the most recently created).
    static WindowManager* Active();

    // ---- settings ------------------------------------------------------------
    void SetSizingBorderWidth(int pixels);  // 4 by default
    int GetSizingBorderWidth() const { return border_; }
    void SetDoubleClickTime(std::uint32_t ms);  // 500 by default
    std::uint32_t GetDoubleClickTime() const { return dblTime_; }
    // Both clicks must lie within this distance in x and y (2 by default).
    void SetDoubleClickDistance(int pixels);

    // ---- input from the host (points in root pixels, time in ms) -------------
    // `keys` holds MK_SHIFT / MK_CONTROL for the modifiers held.
    void MouseDown(MouseButton button, Point point, UINT keys, std::uint32_t time);
    void MouseUp(MouseButton button, Point point, UINT keys, std::uint32_t time);
    void MouseMove(Point point, UINT keys, std::uint32_t time);
    // The mouse left the host: no cursor query until it comes back.
    void MouseLeave();
    // Keys go to the focus window (to the resize loop while it runs: Escape
    // cancels it).
    void KeyDown(UINT key, UINT keys);
    void KeyUp(UINT key, UINT keys);
    void Char(UINT codePoint);
    bool IsButtonDown(MouseButton button) const;

    // ---- queue ---------------------------------------------------------------
    // Delivers the messages that were queued when the call began, in order;
    // messages for windows destroyed meanwhile are dropped. Returns how many
    // were delivered. Messages posted meanwhile wait for the next call (the
    // host is asked again).
    int ProcessPostedMessages();
    bool HasPostedMessages() const { return !queue_.empty(); }

    // ---- capture, focus, hit testing -----------------------------------------
    Window* GetCapture() const;
    BOOL ReleaseCapture();
    Window* GetFocus() const;
    // The deepest visible, enabled window under a root point (the root
    // window itself when no child is there; null outside the root).
    Window* WindowFromPoint(Point rootPoint) const;
    bool InResizeLoop() const { return sizing_.active; }

    // ---- painting ------------------------------------------------------------
    // Repaints every invalid window into the backing store. Returns the root
    // rectangle that changed (empty when nothing did).
    Rect Paint();
    // The backing store (root size); Paint first to bring it up to date.
    const Bitmap& BackingStore() const { return backing_; }
    Bitmap& BackingStore() { return backing_; }
    // Resolution reported by the DCs of the windows (96 by default).
    void SetResolution(int dpiX, int dpiY);

    // Resolves a window serial to the window while it exists.
    Window* FromSerial(std::uint64_t serial) const;

  private:
    friend class Window;
    struct Posted {
        std::uint64_t target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct SizingLoop {
        bool active = false;
        std::uint64_t window = 0;
        UINT edge = 0;
        Point start;     // screen point of the press
        Rect startRect;  // window rectangle (screen) at the press
    };
    struct PendingPaint {
        Rect rect;  // client coordinates
        bool erase = false;
    };

    void Register(Window* w);
    void Unregister(Window* w);
    void OnWindowDestroyed(Window* w);
    void InvalidateWindowRect(Window* w, const Rect& clientRect, bool erase);
    void InvalidateRootRect(const Rect& rootRect, bool erase);
    Rect RootRectOfWindow(const Window* w) const;  // whole window in root pixels
    Rect RootRectOfClient(const Window* w) const;  // client area in root pixels
    Rect VisibleRootClip(const Window* w, bool client) const;
    Point ClientOriginInRoot(const Window* w) const;
    void PaintTree(Window* w, Rect* painted, Rect* changed);
    std::unique_ptr<DC> MakeWindowDC(const Window* w, bool client);
    Window* SetCaptureTo(Window* w);
    void ReleaseCaptureInternal();
    void StartSizing(Window* w, UINT hitTest, Point screenPoint);
    void SizingMove(Point screenPoint);
    void EndSizing(bool cancel);
    void UpdateCursor(Window* w, UINT hitTest, UINT message);
    void Post(Window* w, UINT message, WPARAM wParam, LPARAM lParam);
    Point ToScreen(Point rootPoint) const;
    UINT MouseFlags(UINT keys) const;
    void Button(MouseButton button, Point point, UINT keys, std::uint32_t time, bool down);

    WindowHost* host_;
    std::unique_ptr<Window> root_;
    Bitmap backing_;
    std::unordered_map<std::uint64_t, Window*> windows_;
    std::unordered_map<std::uint64_t, PendingPaint> invalid_;
    std::deque<Posted> queue_;
    bool idleRequested_ = false;
    std::uint64_t capture_ = 0;
    std::uint64_t focus_ = 0;
    SizingLoop sizing_;
    int border_ = 4;
    std::uint32_t dblTime_ = 500;
    int dblDistance_ = 2;
    int dpiX_ = 96;
    int dpiY_ = 96;
    bool buttons_[3] = {false, false, false};
    UINT keys_ = 0;
    // Double-click tracking.
    std::uint64_t lastClickWindow_ = 0;
    MouseButton lastClickButton_ = MouseButton::Left;
    Point lastClickPoint_;
    std::uint32_t lastClickTime_ = 0;
    bool lastClickValid_ = false;
    bool lastWasNonClient_ = false;
    Point lastMouse_;
    bool mouseInside_ = false;
    int sendDepth_ = 0;
    bool painting_ = false;
    std::shared_ptr<WindowManager*> token_;  // lets window DCs outlive the manager safely
};

}  // namespace platform
