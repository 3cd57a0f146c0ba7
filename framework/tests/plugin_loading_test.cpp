// Loading page-style and area-tool modules from their folders: the registry
// settings, the case-insensitive order, modules that must be skipped, and the
// installed folder used when no setting exists.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/designer_keys.h"
#include "framework/plugin_managers.h"
#include "framework/plugin_module.h"
#include "platform/clipboard.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/testing/temp_hives.h"

namespace {

namespace fs = std::filesystem;
using platform::HKEY;

using designer_keys::kKey;

void SetFolderValue(HKEY root, const char* valueName, const std::string& folder) {
    HKEY key = nullptr;
    ASSERT_EQ(platform::RegCreateKeyEx(root, kKey, 0, nullptr, 0, platform::KEY_ALL_ACCESS, nullptr,
                                       &key, nullptr),
              platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegSetValueEx(key, valueName, 0, platform::REG_SZ, folder.c_str(),
                                      static_cast<DWORD>(folder.size() + 1)),
              platform::ERROR_SUCCESS);
    platform::RegCloseKey(key);
}

class PluginLoading : public ::testing::Test {
  protected:
    // A plug-in folder inside the private hives' folder.
    std::string MakeFolder(const std::string& name) {
        const std::string folder = hives.Dir() + "/" + name;
        fs::create_directories(folder);
        return folder;
    }
    // Copies (never links: the loader would see one file) a test module.
    static void Put(const char* module, const std::string& folder, const std::string& name) {
        fs::copy_file(module, folder + "/" + name, fs::copy_options::overwrite_existing);
    }
    static std::string FileNameOf(const void* entryPoint) {
        return fs::path(platform::Module::PathOfAddress(entryPoint)).filename().string();
    }
    static bool StillLoaded(const std::string& path) {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr)
            ::dlclose(handle);
        return handle != nullptr;
    }

    platform::TempHives hives;
};

TEST_F(PluginLoading, SortsFileNamesWithoutRegardToCase) {
    const std::string folder = MakeFolder("pages");
    Put(CV_TEST_PAGE_MODULE, folder, "b.pge");
    Put(CV_TEST_PAGE_MODULE, folder, "A.pge");
    Put(CV_TEST_PAGE_MODULE, folder, "c.PGE");
    Put(CV_TEST_PAGE_MODULE, folder, "d.pge.old");  // not a page style
    SetFolderValue(platform::HKEY_LOCAL_MACHINE, designer_keys::kPageDir, folder);

    CPageStyleManager manager;
    ASSERT_TRUE(manager.LoadPageStyles());
    EXPECT_EQ(manager.pluginFolder, folder + "/");
    ASSERT_EQ(manager.GetPageStyleCount(), 3);
    const char* expected[] = {"A.pge", "b.pge", "c.PGE"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(FileNameOf(reinterpret_cast<const void*>(manager.modules[i].create)), expected[i])
            << "style " << i;
    }

    // Loading again starts over instead of adding the modules twice.
    ASSERT_TRUE(manager.LoadPageStyles());
    EXPECT_EQ(manager.GetPageStyleCount(), 3);
    manager.UnloadPageStyles();
    EXPECT_EQ(manager.GetPageStyleCount(), 0);
    EXPECT_FALSE(StillLoaded(folder + "/A.pge"));
}

TEST_F(PluginLoading, SkipsFilesThatAreNotCompletePageStyles) {
    const std::string folder = MakeFolder("pages");
    Put(CV_TEST_PAGE_CREATE_ONLY_MODULE, folder, "OnlyNew.pge");
    Put(CV_TEST_TOOL_MODULE, folder, "ToolNamedPage.pge");
    std::ofstream(folder + "/Text.pge") << "not a shared library";
    std::ofstream(folder + "/Empty.pge");
    SetFolderValue(platform::HKEY_LOCAL_MACHINE, designer_keys::kPageDir, folder);

    CPageStyleManager manager;
    EXPECT_FALSE(manager.LoadPageStyles());
    EXPECT_EQ(manager.GetPageStyleCount(), 0);
    EXPECT_FALSE(StillLoaded(folder + "/OnlyNew.pge"));
    EXPECT_FALSE(StillLoaded(folder + "/ToolNamedPage.pge"));

    // With one good module beside them, only that one counts.
    Put(CV_TEST_PAGE_MODULE, folder, "Good.pge");
    ASSERT_TRUE(manager.LoadPageStyles());
    ASSERT_EQ(manager.GetPageStyleCount(), 1);
    EXPECT_EQ(FileNameOf(reinterpret_cast<const void*>(manager.modules[0].create)), "Good.pge");

    // Its create entry point makes no page: nothing is recorded.
    EXPECT_EQ(manager.CreatePageObject(0), nullptr);
    EXPECT_EQ(manager.GetPageObjectCount(), 0);
    std::string name = "unchanged";
    manager.GetPaperNameOf(0, name);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(manager.CreatePageObject(1), nullptr);
    EXPECT_EQ(manager.CreatePageObject(-1), nullptr);
}

TEST_F(PluginLoading, MachineFolderComesBeforeTheUsersFolder) {
    const std::string machine = MakeFolder("machine");
    const std::string user = MakeFolder("user");
    Put(CV_TEST_PAGE_MODULE, machine, "M.pge");
    Put(CV_TEST_PAGE_MODULE, user, "U1.pge");
    Put(CV_TEST_PAGE_MODULE, user, "U2.pge");
    SetFolderValue(platform::HKEY_CURRENT_USER, designer_keys::kPageDir, user);

    CPageStyleManager manager;
    ASSERT_TRUE(manager.LoadPageStyles());
    EXPECT_EQ(manager.pluginFolder, user + "/");
    EXPECT_EQ(manager.GetPageStyleCount(), 2);

    SetFolderValue(platform::HKEY_LOCAL_MACHINE, designer_keys::kPageDir, machine + "/");
    ASSERT_TRUE(manager.LoadPageStyles());
    EXPECT_EQ(manager.pluginFolder, machine + "/");  // no second separator
    EXPECT_EQ(manager.GetPageStyleCount(), 1);
}

TEST_F(PluginLoading, AreaToolsNeedBothToolEntryPoints) {
    const std::string folder = MakeFolder("tools");
    Put(CV_TEST_TOOL_MODULE, folder, "y.TOL");
    Put(CV_TEST_TOOL_MODULE, folder, "X.tol");
    Put(CV_TEST_PAGE_MODULE, folder, "PageNamedTool.tol");
    Put(CV_TEST_TOOL_MODULE, folder, "Tool.pge");
    SetFolderValue(platform::HKEY_LOCAL_MACHINE, designer_keys::kToolDir, folder);

    CToolManager tools;
    ASSERT_TRUE(tools.LoadTools());
    ASSERT_EQ(tools.GetToolTypeCount(), 2);
    EXPECT_EQ(FileNameOf(reinterpret_cast<const void*>(tools.modules[0].create)), "X.tol");
    EXPECT_EQ(FileNameOf(reinterpret_cast<const void*>(tools.modules[1].create)), "y.TOL");
    EXPECT_FALSE(StillLoaded(folder + "/PageNamedTool.tol"));
    EXPECT_EQ(tools.CreateTool(0), nullptr);
    EXPECT_EQ(tools.GetToolObjectCount(), 0);
}

TEST_F(PluginLoading, WithoutASettingUsesTheInstalledFolders) {
    // The tests run against the staged libraries, so the installed folders
    // are those of the staging tree.
    const fs::path stage = fs::canonical(CV_STAGE_DIR);
    fs::create_directories(stage / "lib/corvantis/pagestyles");  // as a build stages it
    CPageStyleManager manager;
    manager.LoadPageStyles();
    manager.toolManager.LoadTools();
    ASSERT_EQ(manager.pluginFolder.back(), '/');
    ASSERT_EQ(manager.toolManager.pluginFolder.back(), '/');
    auto folderOf = [](std::string folder) {
        folder.pop_back();
        return fs::weakly_canonical(folder);
    };
    EXPECT_EQ(folderOf(manager.pluginFolder), stage / "lib/corvantis/pagestyles");
    EXPECT_EQ(folderOf(manager.toolManager.pluginFolder), stage / "lib/corvantis/tools");
}

TEST_F(PluginLoading, MissingFolderLoadsNothing) {
    SetFolderValue(platform::HKEY_LOCAL_MACHINE, designer_keys::kPageDir,
                   hives.Dir() + "/no such folder");
    CPageStyleManager manager;
    EXPECT_FALSE(manager.LoadPageStyles());
    EXPECT_EQ(manager.GetPageStyleCount(), 0);
}

// The folder and module helpers on their own, as a plug-in kind other than
// the two managers' uses them: its own value, pattern and entry points.
TEST_F(PluginLoading, FolderAndModuleHelpersServeAnyKind) {
    const std::string folder = MakeFolder("decoders");
    for (const char* name : {"b.ZPL", "a.zpl", "d.zpl.bak"})
        Put(CV_TEST_PAGE_MODULE, folder, name);
    Put(CV_TEST_PAGE_CREATE_ONLY_MODULE, folder, "C.Zpl");

    const fs::path stage = fs::canonical(CV_STAGE_DIR);
    const std::string installed = plugin_module::PluginFolder("", "DecoderDir", "plugins");
    ASSERT_EQ(installed.back(), '/');
    EXPECT_EQ(fs::weakly_canonical(installed.substr(0, installed.size() - 1)),
              stage / "lib/corvantis/plugins");
    SetFolderValue(platform::HKEY_CURRENT_USER, "DecoderDir", folder);
    ASSERT_EQ(plugin_module::PluginFolder("", "DecoderDir", "plugins"), folder + "/");

    EXPECT_EQ(plugin_module::ModuleFiles(folder, "*.zpl"),
              (std::vector<std::string>{folder + "/a.zpl", folder + "/b.ZPL", folder + "/C.Zpl"}));
    // Only modules with every entry point stay loaded, with the addresses in
    // the order asked for.
    std::vector<plugin_module::LoadedModule> loaded =
        plugin_module::LoadModules(folder + "/", "*.ZPL", {"DeleteKanvo", "NewKanvo"});
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(FileNameOf(loaded[0].entryPoints[1]), "a.zpl");
    EXPECT_EQ(FileNameOf(loaded[1].entryPoints[0]), "b.ZPL");
    EXPECT_NE(loaded[1].entryPoints[0], loaded[1].entryPoints[1]);
    EXPECT_FALSE(StillLoaded(folder + "/C.Zpl"));
    EXPECT_TRUE(plugin_module::LoadModules(folder, "*.zpl", {"NewKanvo", "NoSuchEntry"}).empty());
    loaded.clear();
    EXPECT_FALSE(StillLoaded(folder + "/a.zpl"));
}

TEST(PageStyleManagerClipboard, AnswersWhetherATemplateIsOffered) {
    CPageStyleManager manager;
    EXPECT_EQ(manager.clipboardFormat, platform::RegisterClipboardFormat("CBTemplateFormat"));
    platform::Clipboard::Empty();
    EXPECT_FALSE(manager.IsTemplateOnClipboard());
    platform::DataSource text;
    text.SetText(platform::CF_TEXT, "<ClipboardXML>");
    platform::Clipboard::SetDataSource(text);
    EXPECT_FALSE(manager.IsTemplateOnClipboard());

    platform::DataSource ours;
    ours.SetText(platform::RegisterClipboardFormat("CBTemplateFormat"), "<ClipboardXML>");
    platform::Clipboard::SetDataSource(ours);
    EXPECT_TRUE(manager.IsTemplateOnClipboard());
    platform::Clipboard::Empty();
}

}  // namespace
