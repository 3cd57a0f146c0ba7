// The interface between the window manager and whatever shows its windows:
// a Qt widget in the Designer, the scriptable headless host in tests. The
// host owns one WindowManager, feeds it input (in the host's own pixels, which
// are the root window's client pixels), and shows the manager's backing store
// when asked to repaint.
#pragma once

#include <string_view>

#include "platform/cursor.h"
#include "platform/geometry.h"
#include "platform/types.h"

namespace platform {

class Menu;
class Window;

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    // Part of the backing store (root client pixels) changed or must be
    // repainted: the host schedules a repaint, calling WindowManager::Paint
    // and then showing the backing store.
    virtual void InvalidateHost(const Rect& rootRect) = 0;
    // Shows a cursor over the host.
    virtual void SetHostCursor(HCURSOR cursor) = 0;
    // Shows a popup menu at a screen point and returns the chosen command id,
    // or 0 when the menu was dismissed. Only called with a non-empty menu.
    virtual UINT TrackPopupMenu(const Menu& menu, Point screenPoint, UINT flags, Window* owner) = 0;
    // Shows a message box and returns the answer (IDOK, IDYES, ...).
    virtual int ShowMessageBox(Window* owner, std::string_view text, std::string_view caption,
                               UINT type) = 0;
    // Whether a key (VK_SHIFT, VK_CONTROL, VK_MENU, ...) is held right now.
    virtual bool IsKeyDown(int virtualKey) const = 0;
    // Screen position of the host's top-left pixel (the root window's origin).
    virtual Point GetScreenOrigin() const = 0;
    // A message was posted: call WindowManager::ProcessPostedMessages once the
    // event loop is idle (not from inside this call).
    virtual void RequestIdleProcessing() = 0;
};

}  // namespace platform
