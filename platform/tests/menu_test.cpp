#include "platform/menu.h"

#include <gtest/gtest.h>

#include "platform/headless_host.h"
#include "platform/window.h"

using namespace platform;

namespace {

class Owner : public Window {
  public:
    std::vector<UINT> commands;
    BOOL OnCommand(UINT id, LPARAM) override {
        commands.push_back(id);
        return TRUE;
    }
};

// The shape of a page's context menu: a command, a separator, four more.
Menu PageMenu() {
    Menu m;
    m.CreatePopupMenu();
    m.AppendMenu(MF_STRING, 5001, "&Properties...");
    m.AppendMenu(MF_SEPARATOR);
    m.AppendMenu(MF_STRING, 5002, "[&Un]Link Tools");
    m.AppendMenu(MF_STRING | MF_GRAYED, 5003, "Cu&t");
    m.AppendMenu(MF_STRING | MF_GRAYED, 5004, "&Copy");
    m.AppendMenu(MF_STRING, 5005, "&Paste");
    return m;
}

}  // namespace

TEST(Menu, ItemsStatesAndMnemonics) {
    Menu m = PageMenu();
    ASSERT_EQ(m.GetMenuItemCount(), 6);
    EXPECT_EQ(m.GetMenuItemID(0), 5001u);
    EXPECT_EQ(m.GetMenuItemID(1), 0u);  // separator
    EXPECT_EQ(m.GetMenuItemID(9), kMenuFailed);
    EXPECT_TRUE(m.items()[1].IsSeparator());
    EXPECT_FALSE(m.items()[3].IsEnabled());

    EXPECT_EQ(m.EnableMenuItem(5003, MF_BYCOMMAND | MF_ENABLED), UINT(MF_GRAYED));
    EXPECT_TRUE(m.IsEnabledCommand(5003));
    EXPECT_EQ(m.EnableMenuItem(5, MF_BYPOSITION | MF_GRAYED), UINT(MF_ENABLED));
    EXPECT_FALSE(m.IsEnabledCommand(5005));
    EXPECT_EQ(m.EnableMenuItem(4242, MF_GRAYED), kMenuFailed);
    EXPECT_EQ(m.CheckMenuItem(5002, MF_CHECKED), UINT(MF_UNCHECKED));
    EXPECT_TRUE(m.FindCommand(5002)->IsChecked());
    EXPECT_EQ(m.GetMenuString(5002, MF_BYCOMMAND), "[&Un]Link Tools");

    struct Case {
        const char* text;
        const char* shown;
        char mnemonic;
    };
    const Case cases[] = {
        {"&Properties...", "Properties...", 'p'},
        {"Cu&t", "Cut", 't'},
        {"Fish && Chips", "Fish & Chips", 0},
        {"&& then &Go", "& then Go", 'g'},
        {"trailing&", "trailing", 0},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Menu::StripMnemonic(c.text), c.shown);
        EXPECT_EQ(Menu::MnemonicOf(c.text), c.mnemonic);
    }

    auto sub = std::make_shared<Menu>();
    sub->AppendMenu(MF_STRING, 6001, "Inner");
    m.AppendSubMenu(sub, "&More");
    EXPECT_TRUE(m.IsEnabledCommand(6001));
    EXPECT_EQ(m.GetMenuItemID(6), kMenuFailed);  // a sub-menu has no command
    EXPECT_TRUE(m.RemoveMenu(5001, MF_BYCOMMAND));
    EXPECT_EQ(m.GetMenuItemID(0), 0u);
}

TEST(Menu, TrackPopupMenuReturnsOrPostsTheChosenCommand) {
    HeadlessHost host(200, 200, Point(10, 20));
    Owner owner;
    owner.Create("", WS_CHILD | WS_VISIBLE, Rect(0, 0, 100, 100), host.root());
    const Menu m = PageMenu();

    host.QueueMenuChoice(5002);
    EXPECT_EQ(m.TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, 50, 60, &owner), 5002u);
    ASSERT_EQ(host.menus().size(), 1u);
    EXPECT_EQ(host.menus()[0].screenPoint, Point(50, 60));
    EXPECT_EQ(host.menus()[0].menu.GetMenuItemCount(), 6);
    EXPECT_TRUE(owner.commands.empty());

    // Without TPM_RETURNCMD the command is posted to the owner.
    host.SetAutoIdle(false);
    host.QueueMenuChoice(5005);
    EXPECT_NE(m.TrackPopupMenu(TPM_RIGHTBUTTON, 50, 60, &owner), 0u);
    EXPECT_TRUE(owner.commands.empty());
    host.Idle();
    ASSERT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(owner.commands[0], 5005u);

    // Greyed items, unknown ids and separators cannot be chosen; dismissing gives 0.
    for (UINT bad : {5003u, 9999u, 0u}) {
        SCOPED_TRACE(bad);
        host.QueueMenuChoice(bad);
        EXPECT_EQ(m.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &owner), 0u);
        EXPECT_EQ(m.TrackPopupMenu(0, 0, 0, &owner), 0u);
    }
    host.Idle();
    EXPECT_EQ(owner.commands.size(), 1u);

    // An empty menu or a missing owner shows nothing.
    const size_t shown = host.menus().size();
    Menu empty;
    EXPECT_EQ(empty.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &owner), 0u);
    EXPECT_EQ(m.TrackPopupMenu(TPM_RETURNCMD, 0, 0, nullptr), 0u);
    Owner gone;
    EXPECT_EQ(m.TrackPopupMenu(TPM_RETURNCMD, 0, 0, &gone), 0u);
    EXPECT_EQ(host.menus().size(), shown);
}
