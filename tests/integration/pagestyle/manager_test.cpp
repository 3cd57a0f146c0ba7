// The page-style manager with the real page-style modules: which style
// opens a template, and the record of live pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/integration/pagestyle/style_fixture.h"

namespace styletest {
namespace {

namespace fs = std::filesystem;

using PageStyleManager = StyleFixture;

TEST_F(PageStyleManager, PaperNamesLeaveNoPageBehind) {
    std::set<std::string> names;
    for (int i = 0; i < manager.GetPageStyleCount(); ++i) {
        std::string name;
        manager.GetPaperNameOf(i, name);
        names.insert(name);
        EXPECT_EQ(manager.GetPageObjectCount(), 0);
    }
    EXPECT_EQ(names, (std::set<std::string>{"114 X 175mm", "127 X 178mm", "4X6", "5X7",
                                            "89 X 127mm", "8X10", "A3", "A4", "A6", "Hagaki",
                                            "Legal", "Letter", "NoteCard", "Tabloid"}));
    std::string image, text;
    manager.toolManager.GetToolTypeName(0, image);
    manager.toolManager.GetToolTypeName(1, text);
    EXPECT_EQ(image, "Image");
    EXPECT_EQ(text, "Text");
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 0);
}

TEST_F(PageStyleManager, WithoutASettingTheInstalledStylesLoad) {
    platform::HKEY key = nullptr;
    ASSERT_EQ(platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, designer_keys::kKey, 0,
                                     platform::KEY_ALL_ACCESS, &key),
              platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegDeleteValue(key, designer_keys::kPageDir), platform::ERROR_SUCCESS);
    platform::RegCloseKey(key);
    CPageStyleManager installed;
    ASSERT_TRUE(installed.LoadPageStyles());
    EXPECT_EQ(installed.GetPageStyleCount(), 14);
    EXPECT_EQ(fs::canonical(installed.pluginFolder), fs::canonical(CV_PAGESTYLE_DIR));
}

TEST_F(PageStyleManager, AfterTheLastPageIsDestroyedNewPagesAreRecordedAgain) {
    CTemplatePage* page = manager.CreatePageObject(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetHost(), &manager);
    EXPECT_EQ(manager.GetPageObjectAt(0), page);
    EXPECT_EQ(manager.GetPageObjectAt(1), nullptr);
    manager.DestroyPageObject(page);
    EXPECT_EQ(manager.GetPageObjectCount(), 0);

    CTemplatePage* again = manager.CreatePageObject(1);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(manager.GetPageObjectCount(), 1);
    EXPECT_EQ(manager.GetPageObjectAt(0), again);
    // A page the manager did not make is left alone.
    CTemplatePage* foreign = manager.CreatePageObject(2);
    manager.objects.erase(foreign);
    manager.DestroyPageObject(foreign);
    EXPECT_EQ(manager.GetPageObjectCount(), 1);
    manager.modules[2].destroy(foreign);
}

TEST_F(PageStyleManager, FirstAcceptingStyleInLoadOrderWins) {
    // Two copies of the Letter style and a module whose pages never come.
    const std::string folder = hives.Dir() + "/styles";
    fs::create_directories(folder);
    const fs::path letter = fs::path(CV_PAGESTYLE_DIR) / "Letter.pge";
    fs::copy_file(letter, folder + "/b.pge");
    fs::copy_file(letter, folder + "/C.pge");
    fs::copy_file(fs::path(CV_PAGESTYLE_DIR) / "A4.pge", folder + "/a.pge");
    fs::copy_file(CV_TEST_PAGE_MODULE, folder + "/0-no-pages.pge");
    SetMachineValue(designer_keys::kPageDir, folder);
    ASSERT_TRUE(manager.LoadPageStyles());
    ASSERT_EQ(manager.GetPageStyleCount(), 4);

    std::unique_ptr<CXMLTree> tree =
        Parse(TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait"));
    CTemplatePage* page =
        manager.CreatePageForTemplate(tree->GetRoot(), NoPendingTool, Changed, NoMargins, &view);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(manager.objects.at(page), 2);  // b.pge, after 0-no-pages.pge and a.pge
    EXPECT_EQ(manager.GetPageObjectCount(), 1);
    EXPECT_EQ(view.GetChildren().size(), 1u);

    std::unique_ptr<CXMLTree> other =
        Parse(TemplateText("Legal", "8.500000IN", "14.000000IN", "Portrait"));
    EXPECT_EQ(
        manager.CreatePageForTemplate(other->GetRoot(), NoPendingTool, Changed, NoMargins, &view),
        nullptr);
    EXPECT_EQ(manager.GetPageObjectCount(), 1);
    EXPECT_EQ(view.GetChildren().size(), 1u);
}

}  // namespace
}  // namespace styletest
