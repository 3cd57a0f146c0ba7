// Both area-tool modules as the Designer uses them: loaded from the tool
// folder by the tool manager, placed on a real page style's page, linked,
// saved to a template file, reopened and drawn.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "framework/designer_keys.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/headless_host.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/testing/temp_hives.h"

using platform::Rect;

namespace {

void SetMachineValue(const char* valueName, const std::string& text) {
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

int NoPendingTool(int* out) {
    if (out != nullptr)
        *out = 0;
    return -1;
}
void Changed() {}
BOOL NoMargins(CTemplatePage*) {
    return TRUE;
}

std::string TextOf(CXMLTreeNode* node) {
    CXMLTree tree(node);
    tree.SetTopTag("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    return XMLTreeText(tree);
}

const char* const kTextArea =
    "<Tool><Name>Text</Name><Properties>"
    "<String id=\"XPos\">1.000000IN</String><String id=\"YPos\">4.000000IN</String>"
    "<String id=\"Width\">3.000000IN</String><String id=\"Height\">1.000000IN</String>"
    "</Properties><Content><String id=\"Text\">Caption &amp; %f\\p\\line two</String>"
    "<String id=\"Facename\">Arial</String><Bool id=\"UseTextData\">TRUE</Bool>"
    "<Int id=\"Rotate\">0</Int><Int id=\"Fontsize\">36</Int><Int id=\"Weight\">700</Int>"
    "<Bool id=\"Italic\">FALSE</Bool><Bool id=\"Bold\">TRUE</Bool>"
    "<Bool id=\"Underline\">FALSE</Bool><Bool id=\"Strikeout\">FALSE</Bool>"
    "<Bool id=\"UseBGColor\">TRUE</Bool><Int id=\"TextColor\">128</Int>"
    "<Int id=\"BGColor\">13434879</Int><Int id=\"Justify\">1</Int></Content></Tool>";
const char* const kImageArea =
    "<Tool><Name>Image</Name><Properties>"
    "<String id=\"XPos\">1.000000IN</String><String id=\"YPos\">1.000000IN</String>"
    "<String id=\"Width\">3.000000IN</String><String id=\"Height\">2.500000IN</String>"
    "</Properties></Tool>";

class AreaModules : public ::testing::Test {
  protected:
    AreaModules() : host(1000, 900) {}

    void SetUp() override {
        platform::SetDefaultHost(&host);
        SetMachineValue(designer_keys::kPageDir, CV_PAGESTYLE_DIR);
        SetMachineValue(designer_keys::kToolDir, CV_TOOL_DIR);
        ASSERT_TRUE(view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                                Rect(0, 0, 1000, 900), host.root()));
        ASSERT_TRUE(manager.LoadPageStyles());
        ASSERT_TRUE(manager.toolManager.LoadTools());
    }

    void TearDown() override {
        while (manager.GetPageObjectCount() > 0) {
            manager.DestroyPageObject(manager.GetPageObjectAt(0));
        }
        platform::SetDefaultHost(nullptr);
    }

    int LetterStyle() {
        for (int i = 0; i < manager.GetPageStyleCount(); ++i) {
            std::string name;
            manager.GetPaperNameOf(i, name);
            if (name == "Letter")
                return i;
        }
        ADD_FAILURE() << "no Letter page style";
        return -1;
    }

    CTemplateTool* AddFromXml(CTemplatePage* page, const char* xml) {
        CXMLTree tree;
        EXPECT_TRUE(CTemplateFactory::LoadToolListXMLString(xml, &tree));
        CTemplateTool* tool =
            manager.toolManager.CreateToolFromXML(tree.GetRoot()->GetFirstChild());
        EXPECT_NE(tool, nullptr);
        if (tool == nullptr)
            return nullptr;
        EXPECT_TRUE(tool->AttachToPage(nullptr, page));
        tool->UpdateWindowPos();
        return tool;
    }

    // Pixels of the area's rectangle on the rendered host that have colour c.
    int Count(CTemplateTool* tool, COLORREF c, bool invert = false) {
        Rect r;
        tool->GetRectInPage(&r);
        tool->GetPage()->MapWindowPoints(host.root(), &r);
        r.Deflate(3, 3);
        const platform::Bitmap& shot = host.Render();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                n += (shot.GetPixel(x, y) == c) != invert;
        }
        return n;
    }

    platform::TempHives hives;
    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;
};

}  // namespace

TEST_F(AreaModules, LoadedInFileNameOrderWithTheirNames) {
    ASSERT_EQ(manager.toolManager.GetToolTypeCount(), 2);
    std::string first, second;
    manager.toolManager.GetToolTypeName(0, first);
    manager.toolManager.GetToolTypeName(1, second);
    EXPECT_EQ(first, "Image");
    EXPECT_EQ(second, "Text");
    CTemplateTool* image = manager.toolManager.CreateTool(0);
    CTemplateTool* text = manager.toolManager.CreateTool(1);
    ASSERT_TRUE(image && text);
    EXPECT_TRUE(image->IsImageTool());
    EXPECT_FALSE(image->IsTextTool());
    EXPECT_TRUE(text->IsTextTool());
    EXPECT_FALSE(text->IsImageTool());
    // Each module accepts only its own subtree.
    std::unique_ptr<CXMLTreeNode> imageXml(image->WriteXML());
    EXPECT_FALSE(text->ReadXML(imageXml.get()));
    EXPECT_TRUE(image->ReadXML(imageXml.get()));
    manager.toolManager.DestroyTool(image);
    manager.toolManager.DestroyTool(text);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 0);
}

TEST_F(AreaModules, LinkedTemplateRoundTripsThroughItsFileAndDraws) {
    CTemplatePage* page = manager.CreatePageObject(LetterStyle());
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->CreatePage(NoPendingTool, Changed, NoMargins, &view));
    page->FitToParent(-1, -1);
    CTemplateTool* image = AddFromXml(page, kImageArea);
    CTemplateTool* text = AddFromXml(page, kTextArea);
    ASSERT_TRUE(image && text);
    text->LinkTo(image);
    EXPECT_TRUE(text->IsLinkValid());
    host.Idle();

    std::unique_ptr<CXMLTreeNode> textBefore(text->WriteXML());
    const std::string saved = TextOf(page->WriteXML());
    ASSERT_NE(saved.find("Caption &amp; %f\\p\\line two"), std::string::npos) << saved;

    const std::string path = hives.Dir() + "/linked.xml";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << saved;
    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadXML(path.c_str(), &tree));
    CTemplatePage* reopened =
        manager.CreatePageForTemplate(tree.GetRoot(), NoPendingTool, Changed, NoMargins, &view);
    ASSERT_NE(reopened, nullptr);
    manager.DestroyPageObject(page);
    reopened->FitToParent(-1, -1);
    host.Idle();

    ASSERT_EQ(reopened->GetToolCount(), 2);
    CTemplateTool* newText = nullptr;
    CTemplateTool* newImage = nullptr;
    for (int i = 0; i < 2; ++i) {
        CTemplateTool* t = reopened->GetToolAt(i);
        (t->IsTextTool() ? newText : newImage) = t;
    }
    ASSERT_TRUE(newText && newImage && newImage->IsImageTool());
    EXPECT_TRUE(newText->IsLinkedWith(newImage));
    EXPECT_EQ(TextOf(newText->WriteXML()), TextOf(textBefore.release()));
    EXPECT_EQ(TextOf(reopened->WriteXML()), saved);

    // Both areas are visible in the page image: the text's background and
    // dark red letters, the image area's placeholder.
    host.Render();
    EXPECT_GT(Count(newText, RGB(255, 255, 204)), 100);
    EXPECT_GT(Count(newText, RGB(128, 0, 0)), 30);
    EXPECT_GT(Count(newImage, RGB(236, 242, 248)), 1000);
}
