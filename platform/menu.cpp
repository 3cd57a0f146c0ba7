// Popup menu model and tracking through the window host.
#include "platform/menu.h"

#include "platform/ascii.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace platform {

namespace {
constexpr UINT kStateMask = MF_GRAYED | MF_DISABLED | MF_CHECKED;
}

BOOL Menu::AppendMenu(UINT flags, UINT id, std::string_view text) {
    return InsertMenu(static_cast<UINT>(items_.size()), flags | MF_BYPOSITION, id, text);
}

BOOL Menu::AppendSubMenu(std::shared_ptr<Menu> subMenu, std::string_view text, UINT flags) {
    if (!subMenu)
        return FALSE;
    Item item;
    item.text = std::string(text);
    item.flags = (flags & kStateMask) | MF_POPUP;
    item.subMenu = std::move(subMenu);
    items_.push_back(std::move(item));
    return TRUE;
}

BOOL Menu::InsertMenu(UINT position, UINT flags, UINT id, std::string_view text) {
    if (flags & MF_POPUP)
        return FALSE;  // sub-menus go through AppendSubMenu
    Item item;
    if (flags & MF_SEPARATOR) {
        item.flags = MF_SEPARATOR;
    } else {
        item.id = id;
        item.text = std::string(text);
        item.flags = flags & kStateMask;
    }
    size_t at = items_.size();
    if (flags & MF_BYPOSITION) {
        at = std::min<size_t>(position, items_.size());
    } else {
        for (size_t i = 0; i < items_.size(); ++i) {
            if (!items_[i].IsSeparator() && !items_[i].subMenu && items_[i].id == position) {
                at = i;
                break;
            }
        }
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
}

Menu::Item* Menu::Find(UINT item, UINT flags) {
    return const_cast<Item*>(static_cast<const Menu*>(this)->Find(item, flags));
}

const Menu::Item* Menu::Find(UINT item, UINT flags) const {
    if (flags & MF_BYPOSITION)
        return item < items_.size() ? &items_[item] : nullptr;
    return FindCommand(item);
}

const Menu::Item* Menu::FindCommand(UINT id) const {
    for (const Item& it : items_) {
        if (it.IsSeparator())
            continue;
        if (it.subMenu) {
            if (const Item* found = it.subMenu->FindCommand(id))
                return found;
        } else if (it.id == id) {
            return &it;
        }
    }
    return nullptr;
}

bool Menu::IsEnabledCommand(UINT id) const {
    const Item* it = FindCommand(id);
    return it && it->IsEnabled() && !it->subMenu && id != 0;
}

BOOL Menu::RemoveMenu(UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) {
        if (item >= items_.size())
            return FALSE;
        items_.erase(items_.begin() + item);
        return TRUE;
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].IsSeparator() && !items_[i].subMenu && items_[i].id == item) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
            return TRUE;
        }
    }
    return FALSE;
}

UINT Menu::EnableMenuItem(UINT item, UINT flags) {
    Item* it = Find(item, flags);
    if (!it)
        return kMenuFailed;
    UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return old;
}

UINT Menu::CheckMenuItem(UINT item, UINT flags) {
    Item* it = Find(item, flags);
    if (!it)
        return kMenuFailed;
    UINT old = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return old;
}

BOOL Menu::ModifyMenuText(UINT item, UINT flags, std::string_view text) {
    Item* it = Find(item, flags);
    if (!it || it->IsSeparator())
        return FALSE;
    it->text = std::string(text);
    return TRUE;
}

UINT Menu::GetMenuItemID(int position) const {
    if (position < 0 || position >= static_cast<int>(items_.size()))
        return kMenuFailed;
    const Item& it = items_[position];
    if (it.subMenu)
        return kMenuFailed;
    return it.IsSeparator() ? 0 : it.id;
}

UINT Menu::GetMenuState(UINT item, UINT flags) const {
    const Item* it = Find(item, flags);
    return it ? it->flags : kMenuFailed;
}

std::string Menu::GetMenuString(UINT item, UINT flags) const {
    const Item* it = Find(item, flags);
    return it ? it->text : std::string();
}

UINT Menu::TrackPopupMenu(UINT flags, int x, int y, Window* owner, const Rect*) const {
    if (!owner || !owner->IsWindow() || items_.empty())
        return 0;
    WindowHost* host = owner->GetHost();
    if (!host)
        return 0;
    // The owner may be destroyed while the host shows the menu; look it up
    // again afterwards.
    const std::uint64_t serial = owner->serial();
    WindowManager* manager = owner->GetManager();
    UINT chosen = host->TrackPopupMenu(*this, Point(x, y), flags, owner);
    if (!IsEnabledCommand(chosen))
        return 0;
    if (flags & TPM_RETURNCMD)
        return chosen;
    if (Window* w = manager->FromSerial(serial)) {
        if (!(flags & TPM_NONOTIFY))
            w->PostMessage(WM_COMMAND, chosen, 0);
        return TRUE;
    }
    return 0;
}

std::string Menu::StripMnemonic(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

char Menu::MnemonicOf(std::string_view text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            return ascii::ToLower(text[i + 1]);
        }
    }
    return 0;
}

}  // namespace platform
