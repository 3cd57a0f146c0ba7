// The tail shared by the page's and the areas' context menus: the extra
// items a module adds (commands 5006 to 5021) and showing the menu.
#pragma once

#include <string>
#include <vector>

#include "framework/page_callbacks.h"
#include "platform/geometry.h"
#include "platform/menu.h"
#include "platform/window.h"

namespace contextmenu {

// Appends the extra items after a separator and records their handlers in
// `slots` (MAX_EXTRA_MENU_ITEMS of them), when there are 1 to 16 labels with
// one handler each; otherwise adds nothing.
template <typename Handler>
void AppendExtraItems(platform::Menu& menu, const std::vector<std::string>& labels,
                      const std::vector<Handler>& handlers, Handler* slots) {
    const size_t extras = labels.size();
    if (extras != handlers.size() || extras < 1 || extras > MAX_EXTRA_MENU_ITEMS)
        return;
    menu.AppendMenu(platform::MF_SEPARATOR);
    for (size_t k = 0; k < extras; ++k) {
        menu.AppendMenu(platform::MF_STRING, ID_MENU_EXTRA_FIRST + static_cast<UINT>(k), labels[k]);
        slots[k] = handlers[k];
    }
}

// Shows the menu at a screen point for `owner`; the chosen command, or 0.
inline UINT Track(platform::Menu& menu, platform::Point screenPoint, platform::Window* owner) {
    return menu.TrackPopupMenu(platform::TPM_RIGHTBUTTON | platform::TPM_RETURNCMD, screenPoint.x,
                               screenPoint.y, owner);
}

}  // namespace contextmenu
