// Test support: the real page styles and area tools as the Designer loads
// them. A fixture with private hives whose machine settings name the built
// page-style and area-tool folders, a page-style manager that loaded both,
// and a view on the headless host for the page windows. Header-only; the
// test program defines CV_PAGESTYLE_DIR and CV_TOOL_DIR (the integration
// tests do) and links the modules' dependencies (cvframework).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/xml_tree.h"
#include "framework/designer_keys.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "framework/testing/page_callbacks.h"
#include "platform/headless_host.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/testing/temp_hives.h"

namespace stagedtest {

// Sets a text value under the Designer's key in the machine hive.
inline void SetMachineValue(const char* valueName, const std::string& text) {
    platform::HKEY key = nullptr;
    ASSERT_EQ(
        platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, designer_keys::kKey, 0, nullptr, 0,
                                 platform::KEY_ALL_ACCESS, nullptr, &key, nullptr),
        platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegSetValueEx(key, valueName, 0, platform::REG_SZ, text.c_str(),
                                      static_cast<DWORD>(text.size() + 1)),
              platform::ERROR_SUCCESS);
    platform::RegCloseKey(key);
}

using pagecallbacks::Changed;
using pagecallbacks::g_changed;
using pagecallbacks::NoMargins;
using pagecallbacks::NoPendingTool;

// The text a page or area writes, as saved (with the template files'
// declaration); empty for no node.
inline std::string TextOf(CXMLTreeNode* root) {
    if (root == nullptr)
        return {};
    CXMLTree tree(root);
    tree.SetTopTag("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    return XMLTreeText(tree);
}

// The built page styles and area tools loaded by a page-style manager, with
// a view of `width` x `height` pixels on the headless host for the pages.
class StagedModules : public ::testing::Test {
  protected:
    StagedModules(int width, int height) : host(width, height), width_(width), height_(height) {}

    void SetUp() override {
        g_changed = 0;
        platform::SetDefaultHost(&host);
        SetMachineValue(designer_keys::kPageDir, CV_PAGESTYLE_DIR);
        SetMachineValue(designer_keys::kToolDir, CV_TOOL_DIR);
        ASSERT_TRUE(view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                                platform::Rect(0, 0, width_, height_), host.root()));
        ASSERT_TRUE(manager.LoadPageStyles());
        ASSERT_TRUE(manager.toolManager.LoadTools());
    }

    void TearDown() override {
        while (manager.GetPageObjectCount() > 0) {
            manager.DestroyPageObject(manager.GetPageObjectAt(0));
        }
        platform::SetDefaultHost(nullptr);
    }

    // Index of the loaded page style with this paper name (a failure and -1
    // when there is none).
    int StyleIndex(const std::string& paperName) {
        for (int i = 0; i < manager.GetPageStyleCount(); ++i) {
            std::string name;
            manager.GetPaperNameOf(i, name);
            if (name == paperName)
                return i;
        }
        ADD_FAILURE() << "no page style " << paperName;
        return -1;
    }

    platform::TempHives hives;
    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;

  private:
    int width_;
    int height_;
};

}  // namespace stagedtest
