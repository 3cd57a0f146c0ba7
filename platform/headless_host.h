// A window host without a screen, for tests: it owns a window manager whose
// root covers width x height pixels, lets a test press, move and release the
// mouse and keys at pixel positions on a scripted clock, renders into an
// image on request, records every cursor, popup menu and message box, and
// answers menus and message boxes from a script.
//
// Posted messages are delivered after each scripted input event, as a real
// event loop does when it becomes idle; SetAutoIdle(false) leaves them queued
// until Idle() is called.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace platform {

class HeadlessHost : public WindowHost {
  public:
    struct MenuRecord {
        Menu menu;  // a copy of the menu as shown
        Point screenPoint;
        UINT flags = 0;
        UINT chosen = 0;
    };
    struct MessageBoxRecord {
        std::string text;
        std::string caption;
        UINT type = 0;
        int answer = 0;
    };

    explicit HeadlessHost(int width = 640, int height = 480, Point screenOrigin = {0, 0});
    ~HeadlessHost() override;

    WindowManager& manager() { return *manager_; }
    Window* root() { return manager_->Root(); }

    // ---- clock -------------------------------------------------------------
    // Input events carry the current time; it only moves when told to.
    std::uint32_t Now() const { return now_; }
    void AdvanceTime(std::uint32_t ms) { now_ += ms; }

    // ---- mouse (root pixels) -------------------------------------------------
    void MouseMove(int x, int y);
    void PressLeft(int x, int y);
    void ReleaseLeft(int x, int y);
    // Press and release at one point (no time passes).
    void Click(int x, int y);
    // Two clicks at one point, the second counted as a double click.
    void DoubleClick(int x, int y);
    void PressRight(int x, int y);
    void ReleaseRight(int x, int y);
    void RightClick(int x, int y);
    // Press at (x0, y0), `steps` moves ending at (x1, y1), release there.
    void Drag(int x0, int y0, int x1, int y1, int steps = 4);
    void MouseLeave();
    Point MousePosition() const { return mouse_; }

    // ---- keys ----------------------------------------------------------------
    // Holding Shift or Ctrl also sets MK_SHIFT / MK_CONTROL on mouse events.
    void KeyDown(int virtualKey);
    void KeyUp(int virtualKey);
    void PressKey(int virtualKey) {
        KeyDown(virtualKey);
        KeyUp(virtualKey);
    }
    void TypeChar(UINT codePoint);

    // ---- idle and rendering --------------------------------------------------
    void SetAutoIdle(bool on) { autoIdle_ = on; }
    // Delivers posted messages until the queue is empty (bounded, so a window
    // that keeps posting cannot hang a test). Returns how many were delivered.
    int Idle();
    bool IdleRequested() const { return idleRequested_; }
    // Paints invalid windows and returns the backing store.
    const Bitmap& Render();
    COLORREF PixelAt(int x, int y) { return Render().GetPixel(x, y); }
    BOOL SavePng(const std::string& path) { return Render().SavePng(path); }
    // Resizes the host (and the root window).
    void Resize(int width, int height);
    // Union of the root rectangles invalidated since the last Render.
    Rect InvalidatedArea() const { return invalidated_; }

    // ---- scripts and records --------------------------------------------------
    // Answers for the next popup menus, in order (0 dismisses). When the
    // script is empty a menu is dismissed.
    void QueueMenuChoice(UINT commandId) { menuScript_.push_back(commandId); }
    const std::vector<MenuRecord>& menus() const { return menus_; }
    // Answers for the next message boxes; when the script is empty the box's
    // default button answers.
    void QueueMessageBoxAnswer(int answer) { boxScript_.push_back(answer); }
    const std::vector<MessageBoxRecord>& messageBoxes() const { return boxes_; }
    // The cursor shown now and every cursor set, in order.
    HCURSOR cursor() const { return cursor_; }
    const std::vector<HCURSOR>& cursorHistory() const { return cursors_; }
    void ClearRecords();

    // ---- WindowHost ------------------------------------------------------------
    void InvalidateHost(const Rect& rootRect) override;
    void SetHostCursor(HCURSOR cursor) override;
    UINT TrackPopupMenu(const Menu& menu, Point screenPoint, UINT flags, Window* owner) override;
    int ShowMessageBox(Window* owner, std::string_view text, std::string_view caption,
                       UINT type) override;
    bool IsKeyDown(int virtualKey) const override;
    Point GetScreenOrigin() const override { return origin_; }
    void RequestIdleProcessing() override { idleRequested_ = true; }

  private:
    UINT Modifiers() const;
    void AfterEvent();

    Point origin_;
    std::unique_ptr<WindowManager> manager_;
    std::uint32_t now_ = 1000;
    Point mouse_;
    bool autoIdle_ = true;
    bool idleRequested_ = false;
    bool keys_[256] = {};
    Rect invalidated_;
    std::deque<UINT> menuScript_;
    std::deque<int> boxScript_;
    std::vector<MenuRecord> menus_;
    std::vector<MessageBoxRecord> boxes_;
    HCURSOR cursor_ = nullptr;
    std::vector<HCURSOR> cursors_;
};

}  // namespace platform
