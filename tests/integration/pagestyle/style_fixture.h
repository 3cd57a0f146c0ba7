// Fixture of the page-style tests: the built page styles and area tools
// loaded from their folders (framework/testing/staged_modules.h), with helpers
// to make, open and fill pages.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "framework/designer_keys.h"
#include "framework/testing/staged_modules.h"

namespace styletest {

using stagedtest::Changed;
using stagedtest::g_changed;
using stagedtest::NoMargins;
using stagedtest::NoPendingTool;
using stagedtest::SetMachineValue;
using stagedtest::TextOf;

inline constexpr double kMM = 100.0;  // internal units per millimetre

// An image or text area's "Tool" node (rectangle in millimetres), as the
// image and text tools write them.
inline CXMLTreeNode* AreaNode(bool image, double x, double y, double w, double h) {
    CXMLTreeNode* tool = NewNode("Tool", nullptr, nullptr, nullptr);
    NewNode("Name", nullptr, image ? "Image" : "Text", tool);
    CXMLTreeNode* p = NewNode("Properties", nullptr, nullptr, tool);
    auto length = [&](const char* id, double mm) {
        NewStringNode(id, (std::to_string(mm) + "MM").c_str(), p);
    };
    length("XPos", x);
    length("YPos", y);
    length("Width", w);
    length("Height", h);
    return tool;
}

class StyleFixture : public stagedtest::StagedModules {
  protected:
    StyleFixture() : StagedModules(1200, 900) {}

    // A new page of the style with this paper name, its window in the view.
    CTemplatePage* NewPage(const std::string& paperName) {
        CTemplatePage* page = manager.CreatePageObject(StyleIndex(paperName));
        if (page == nullptr)
            return nullptr;
        EXPECT_TRUE(page->CreatePage(NoPendingTool, Changed, NoMargins, &view));
        page->FitToParent(-1, -1);
        page->Checkpoint();
        host.Idle();
        return page;
    }

    // Parses a template text the way the Designer opens a file.
    std::unique_ptr<CXMLTree> Parse(const std::string& text) {
        const std::string path = hives.Dir() + "/template.xml";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        auto tree = std::make_unique<CXMLTree>();
        if (!CTemplateFactory::LoadXML(path.c_str(), tree.get()))
            return nullptr;
        return tree;
    }

    // Offers a template text to the page style with this paper name.
    CTemplatePage* OpenAs(const std::string& paperName, const std::string& text) {
        std::unique_ptr<CXMLTree> tree = Parse(text);
        if (!tree)
            return nullptr;
        CTemplatePage* page = manager.CreatePageObject(StyleIndex(paperName));
        if (page == nullptr)
            return nullptr;
        if (!page->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, NoMargins, &view)) {
            EXPECT_FALSE(page->IsWindow());
            manager.DestroyPageObject(page);
            return nullptr;
        }
        page->FitToParent(-1, -1);
        host.Idle();
        return page;
    }

    // An area of the test tool on the page (millimetres), its window placed.
    CTemplateTool* AddArea(CTemplatePage* page, bool image, double x, double y, double w = 20,
                           double h = 10) {
        std::unique_ptr<CXMLTreeNode> node(AreaNode(image, x, y, w, h));
        CTemplateTool* tool = manager.toolManager.CreateToolFromXML(node.get());
        EXPECT_NE(tool, nullptr);
        if (tool == nullptr)
            return nullptr;
        EXPECT_TRUE(tool->AttachToPage(nullptr, page));
        tool->UpdateWindowPos();
        host.Idle();
        return tool;
    }

    static void SelectOnly(std::initializer_list<CTemplateTool*> tools) {
        bool first = true;
        for (CTemplateTool* t : tools) {
            t->SetSelection(SELECT_ON, first ? FALSE : TRUE);
            first = false;
        }
    }
};

// A template of `paperName` with these properties' texts.
inline std::string TemplateText(const std::string& paperName, const std::string& width,
                                const std::string& height, const std::string& orientation,
                                const std::string& extraProperties = "",
                                const std::string& toolList = "<ToolList></ToolList>",
                                const std::string& version = "1.5") {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Template>\n<Version>" + version +
           "</Version>\n<Page>\n<Name>" + paperName +
           "</Name>\n<Properties>\n<String id=\"Author\">someone</String>\n<String "
           "id=\"Width\">" +
           width + "</String>\n<String id=\"Height\">" + height +
           "</String>\n<String id=\"Orientation\">" + orientation + "</String>\n" +
           extraProperties + "</Properties>\n<Content></Content>\n</Page>\n" + toolList +
           "\n</Template>\n";
}

}  // namespace styletest
