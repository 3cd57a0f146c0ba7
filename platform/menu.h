// Popup menu model: items with command ids and `&` mnemonics, separators,
// greyed and checked items, sub-menus. The host shows a menu (QMenu in the
// Designer, a script in the headless host); TrackPopupMenu runs it at a
// screen point and returns or posts the chosen command.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"
#include "platform/types.h"

namespace platform {

class Window;

// Item flags.
enum : UINT {
    MF_STRING = 0x0000,
    MF_ENABLED = 0x0000,
    MF_UNCHECKED = 0x0000,
    MF_BYCOMMAND = 0x0000,
    MF_GRAYED = 0x0001,
    MF_DISABLED = 0x0002,
    MF_CHECKED = 0x0008,
    MF_POPUP = 0x0010,
    MF_BYPOSITION = 0x0400,
    MF_SEPARATOR = 0x0800,
};

// TrackPopupMenu flags.
enum : UINT {
    TPM_LEFTBUTTON = 0x0000,
    TPM_RIGHTBUTTON = 0x0002,
    TPM_LEFTALIGN = 0x0000,
    TPM_CENTERALIGN = 0x0004,
    TPM_RIGHTALIGN = 0x0008,
    TPM_TOPALIGN = 0x0000,
    TPM_VCENTERALIGN = 0x0010,
    TPM_BOTTOMALIGN = 0x0020,
    TPM_NONOTIFY = 0x0080,
    TPM_RETURNCMD = 0x0100,
};

inline constexpr UINT kMenuFailed = 0xFFFFFFFF;  // result of item calls on a missing item

class Menu {
  public:
    struct Item {
        UINT id = 0;
        std::string text;  // with its `&` mnemonic marker
        UINT flags = MF_STRING;
        std::shared_ptr<Menu> subMenu;  // for MF_POPUP items

        bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
        bool IsEnabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
        bool IsChecked() const { return (flags & MF_CHECKED) != 0; }
    };

    Menu() = default;

    // Kept for the familiar creation sequence; the menu is always usable.
    BOOL CreatePopupMenu() {
        items_.clear();
        return TRUE;
    }
    BOOL DestroyMenu() {
        items_.clear();
        return TRUE;
    }

    // Appends a command (MF_STRING plus MF_GRAYED / MF_CHECKED ...) or a
    // separator (MF_SEPARATOR; id and text ignored).
    BOOL AppendMenu(UINT flags, UINT id = 0, std::string_view text = {});
    // Appends a sub-menu item.
    BOOL AppendSubMenu(std::shared_ptr<Menu> subMenu, std::string_view text, UINT flags = 0);
    BOOL InsertMenu(UINT position, UINT flags, UINT id = 0, std::string_view text = {});
    BOOL RemoveMenu(UINT item, UINT flags);  // MF_BYCOMMAND (default) or MF_BYPOSITION
    // MF_ENABLED / MF_GRAYED / MF_DISABLED; returns the previous state flags or kMenuFailed.
    UINT EnableMenuItem(UINT item, UINT flags);
    // MF_CHECKED / MF_UNCHECKED; returns the previous state or kMenuFailed.
    UINT CheckMenuItem(UINT item, UINT flags);
    BOOL ModifyMenuText(UINT item, UINT flags, std::string_view text);

    int GetMenuItemCount() const { return static_cast<int>(items_.size()); }
    // Command id at a position; 0 for separators, kMenuFailed for sub-menus and bad positions.
    UINT GetMenuItemID(int position) const;
    // MF_ flags of an item or kMenuFailed.
    UINT GetMenuState(UINT item, UINT flags) const;
    std::string GetMenuString(UINT item, UINT flags) const;
    const std::vector<Item>& items() const { return items_; }
    // The item with this command id, searching sub-menus too; null if none.
    const Item* FindCommand(UINT id) const;
    // Whether `id` names an enabled command item (the only valid choices).
    bool IsEnabledCommand(UINT id) const;

    // Shows the menu at a screen point through the owner's host. With
    // TPM_RETURNCMD returns the chosen command (0 when dismissed); otherwise
    // posts WM_COMMAND with the id to the owner and returns non-zero when an
    // item was chosen. An empty menu, a null owner or a choice that is not an
    // enabled command give 0 without showing or posting anything.
    UINT TrackPopupMenu(UINT flags, int x, int y, Window* owner,
                        const Rect* ignored = nullptr) const;

    // "&File" -> "File", "A && B" -> "A & B".
    static std::string StripMnemonic(std::string_view text);
    // The mnemonic character (lower-cased ASCII) or 0.
    static char MnemonicOf(std::string_view text);

  private:
    Item* Find(UINT item, UINT flags);
    const Item* Find(UINT item, UINT flags) const;
    std::vector<Item> items_;
};

}  // namespace platform
