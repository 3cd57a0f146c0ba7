// A small area-tool module for the page-style tests: areas that are either
// image-like or text-like, written as
//   <Tool><Name>TestArea</Name><Properties>
//     <String id="Kind">Image|Text</String>
//     <String id="X">..</String> <String id="Y">..</String>
//     <String id="Width">..</String> <String id="Height">..</String>
//   </Properties></Tool>
// with the rectangle in internal units. Like the text tool, a ring of text
// areas without an image is not a valid link.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/xml_tree.h"
#include "framework/template_tool.h"

namespace {

std::string Content(const CXMLTreeNode* node) {
    char buf[1024] = {};
    if (node != nullptr)
        node->GetContent(buf, sizeof buf);
    return buf;
}

std::string Attributes(const CXMLTreeNode* node) {
    char buf[1024] = {};
    if (node != nullptr)
        node->GetAttributes(buf, sizeof buf);
    return buf;
}

class TestArea : public CTemplateTool {
  public:
    TestArea() {
        rect.width = 2000;  // 20 x 10 mm
        rect.height = 1000;
    }

    platform::HICON GetToolIcon() override { return nullptr; }
    platform::HCURSOR GetToolCursor() override { return nullptr; }
    void GetMenuStrings(std::vector<std::string>& labels, std::vector<std::string>& extraLabels,
                        std::vector<ToolMenuHandler>& extraHandlers) override {
        labels = {"&Properties...", "To &Front", "To &Back", "&Forward", "B&ackward"};
        extraLabels.clear();
        extraHandlers.clear();
    }
    CXMLTreeNode* WriteXML() override {
        CXMLTreeNode* root = NewNode("Tool", nullptr, nullptr, nullptr);
        if (root == nullptr)
            return nullptr;
        CXMLTreeNode* properties = nullptr;
        if (NewNode("Name", nullptr, "TestArea", root) == nullptr ||
            (properties = NewNode("Properties", nullptr, nullptr, root)) == nullptr ||
            NewStringNode("Kind", image ? "Image" : "Text", properties) == nullptr ||
            !Number("X", rect.x, properties) || !Number("Y", rect.y, properties) ||
            !Number("Width", rect.width, properties) ||
            !Number("Height", rect.height, properties)) {
            delete root;
            return nullptr;
        }
        return root;
    }
    BOOL ReadXML(CXMLTreeNode* node) override {
        char name[64] = {};
        if (node == nullptr || !node->GetName(name, sizeof name) ||
            std::strcmp(name, "Tool") != 0) {
            return FALSE;
        }
        if (Content(node->FindName("Name")) != "TestArea")
            return FALSE;
        CXMLTreeNode* properties = node->FindName("Properties");
        if (properties == nullptr)
            return FALSE;
        for (CXMLTreeNode* c = properties->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            const std::string id = Attributes(c);
            const std::string value = Content(c);
            if (id == "id=\"Kind\"")
                image = value == "Image";
            if (id == "id=\"X\"")
                rect.x = std::strtod(value.c_str(), nullptr);
            if (id == "id=\"Y\"")
                rect.y = std::strtod(value.c_str(), nullptr);
            if (id == "id=\"Width\"")
                rect.width = std::strtod(value.c_str(), nullptr);
            if (id == "id=\"Height\"")
                rect.height = std::strtod(value.c_str(), nullptr);
        }
        return TRUE;
    }
    void GetToolName(char* buf, int len) override {
        if (buf != nullptr && len > 0)
            std::snprintf(buf, static_cast<size_t>(len), "TestArea");
    }
    BOOL IsImageTool() override { return image ? TRUE : FALSE; }
    BOOL IsTextTool() override { return image ? FALSE : TRUE; }
    BOOL IsLinkValid() override {
        if (!IsLinked())
            return TRUE;
        CTemplateTool* m = this;
        do {
            if (m->IsImageTool())
                return TRUE;
            m = m->GetNextLinked();
        } while (m != nullptr && m != this);
        return FALSE;
    }

  private:
    static bool Number(const char* id, double value, CXMLTreeNode* parent) {
        char text[64];
        std::snprintf(text, sizeof text, "%lf", value);
        return NewStringNode(id, text, parent) != nullptr;
    }

    bool image = false;
};

}  // namespace

CV_EXPORT CTemplateTool* NewTool() {
    return new TestArea;
}
CV_EXPORT void DeleteTool(CTemplateTool* tool) {
    delete tool;
}
