// The template XML of a page: writing the whole template tree and
// recognising and loading a template of this page style's paper.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "framework/number_text.h"
#include "framework/plugin_managers.h"
#include "framework/template_tool.h"
#include "pagestyle/style_page.h"
#include "pagestyle/style_strings.h"

namespace {

constexpr const char* kTemplateVersion = "1.5";

// Deletes a partly made tree when it goes out of scope unless released.
class TreeGuard {
  public:
    explicit TreeGuard(CXMLTreeNode* root) : root_(root) {}
    ~TreeGuard() { delete root_; }
    CXMLTreeNode* Release() {
        CXMLTreeNode* r = root_;
        root_ = nullptr;
        return r;
    }

  private:
    CXMLTreeNode* root_;
};

bool IsTyped(const CXMLTreeNode* node, const char* type, const char* attributes) {
    return XMLNodeName(node) == type && XMLNodeAttributes(node) == attributes;
}

}  // namespace

// ---- writing ---------------------------------------------------------------------------

CXMLTreeNode* CStylePage::WriteXML() {
    CXMLTreeNode* root = NewNode("Template", nullptr, nullptr, nullptr);
    if (root == nullptr)
        return nullptr;
    TreeGuard guard(root);

    if (NewNode("Version", nullptr, kTemplateVersion, root) == nullptr)
        return nullptr;
    CXMLTreeNode* page = NewNode("Page", nullptr, nullptr, root);
    if (page == nullptr)
        return nullptr;
    char name[1024] = {};
    GetPaperName(name, sizeof name);
    if (NewNode("Name", nullptr, name, page) == nullptr)
        return nullptr;
    CXMLTreeNode* properties = NewNode("Properties", nullptr, nullptr, page);
    if (properties == nullptr)
        return nullptr;

    // The author is never written, and writing forgets it.
    author.clear();
    char orientationText[256] = {};
    GetPropertyText(1, orientationText, sizeof orientationText);
    if (NewStringNode("Author", "", properties) == nullptr ||
        NewStringNode("Width", FormatLength(paper.width, paper.unit).c_str(), properties) ==
            nullptr ||
        NewStringNode("Height", FormatLength(paper.height, paper.unit).c_str(), properties) ==
            nullptr ||
        NewStringNode("Orientation", orientationText, properties) == nullptr ||
        NewBoolNode("AutoRotate", autoRotate != 0 ? TRUE : FALSE, properties) == nullptr ||
        NewBoolNode("AutoFill", autoFill != 0 ? TRUE : FALSE, properties) == nullptr ||
        NewBoolNode("UseBGColor", useBGColor != 0 ? TRUE : FALSE, properties) == nullptr ||
        NewIntNode("Color", static_cast<int>(color), properties) == nullptr) {
        return nullptr;
    }
    if (NewNode("Content", nullptr, nullptr, page) == nullptr)
        return nullptr;

    CXMLTreeNode* toolList = NewNode("ToolList", nullptr, nullptr, root);
    if (toolList == nullptr)
        return nullptr;
    // One Group per link ring, in the z-order of each ring's topmost member;
    // the ring is written from that member along the next links.
    std::unordered_set<CTemplateTool*> written;
    for (int i = 0; i < toolCount; ++i) {
        CTemplateTool* first = tools[i];
        if (first == nullptr || written.count(first) != 0)
            continue;
        CXMLTreeNode* group = NewNode("Group", nullptr, nullptr, toolList);
        if (group == nullptr)
            return nullptr;
        if (!WriteRing(first, false, written, group))
            return nullptr;
    }
    return guard.Release();
}

bool CStylePage::WriteRing(CTemplateTool* first, bool selectedOnly,
                           std::unordered_set<CTemplateTool*>& written, CXMLTreeNode* group) {
    CTemplateTool* member = first;
    for (int steps = 0; member != nullptr && steps < toolCount; ++steps) {
        const bool wanted = !selectedOnly || (member->flags & TOOL_SELECTED);
        if (wanted && written.count(member) == 0 && GetToolIndex(member) >= 0) {
            written.insert(member);
            CXMLTreeNode* subtree = member->WriteXML();
            if (subtree == nullptr)
                return false;
            if (!group->AddChild(subtree)) {
                delete subtree;
                return false;
            }
        }
        member = member->GetNextLinked();
        if (member == first)
            break;
    }
    return true;
}

// ---- reading ---------------------------------------------------------------------------

namespace {

// What a template says about the page, read before anything is changed.
struct TemplateProperties {
    std::string author;
    int autoRotate;
    int autoFill;
    int orientation;
    int useBGColor;
    COLORREF color;
};

void ReadFlag(const CXMLTreeNode* node, int* field) {
    const int value = stylepage::ParseBool(XMLNodeContent(node).c_str());
    if (value >= 0)
        *field = value;
}

}  // namespace

BOOL CStylePage::CreateFromXML(CXMLTreeNode* root, PendingToolFn pendingTool, ChangedFn changed,
                               MarginsFn margins, platform::Window* parent) {
    if (root == nullptr || pendingTool == nullptr || changed == nullptr || margins == nullptr ||
        parent == nullptr) {
        return FALSE;
    }
    if (XMLNodeName(root) != "Template")
        return FALSE;
    CXMLTreeNode* version = root->FindName("Version");
    if (version == nullptr || XMLNodeContent(version) != kTemplateVersion)
        return FALSE;
    CXMLTreeNode* pageNode = root->FindName("Page");
    if (pageNode == nullptr)
        return FALSE;
    char paperName[1024] = {};
    GetPaperName(paperName, sizeof paperName);
    CXMLTreeNode* nameNode = pageNode->FindName("Name");
    if (nameNode == nullptr || XMLNodeContent(nameNode) != paperName)
        return FALSE;
    CXMLTreeNode* properties = pageNode->FindName("Properties");
    if (properties == nullptr)
        return FALSE;

    TemplateProperties read{author, autoRotate, autoFill, orientation, useBGColor, color};
    for (CXMLTreeNode* child = properties->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling()) {
        if (IsTyped(child, "String", "id=\"Orientation\"")) {
            const std::string text = XMLNodeContent(child);
            if (text == StyleString(IDS_PORTRAIT)) {
                read.orientation = ORIENTATION_PORTRAIT;
            } else if (text == StyleString(IDS_LANDSCAPE)) {
                read.orientation = ORIENTATION_LANDSCAPE;
            }
        } else if (IsTyped(child, "String", "id=\"Author\"")) {
            read.author = XMLNodeContent(child);
        } else if (IsTyped(child, "Bool", "id=\"AutoFill\"")) {
            ReadFlag(child, &read.autoFill);
        } else if (IsTyped(child, "Bool", "id=\"AutoRotate\"")) {
            ReadFlag(child, &read.autoRotate);
        } else if (IsTyped(child, "Bool", "id=\"UseBGColor\"")) {
            ReadFlag(child, &read.useBGColor);
        } else if (IsTyped(child, "Int", "id=\"Color\"")) {
            read.color =
                static_cast<COLORREF>(std::strtoll(XMLNodeContent(child).c_str(), nullptr, 10));
        }
    }

    // The paper must be this page style's, in its own unit. The paper holds
    // the portrait dimensions until the window is made.
    bool sawWidth = false;
    bool sawHeight = false;
    const double ownWidth = paper.GetWidth();
    const double ownHeight = paper.GetHeight();
    const bool portrait = read.orientation != ORIENTATION_LANDSCAPE;
    for (CXMLTreeNode* child = properties->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling()) {
        const bool isWidth = IsTyped(child, "String", "id=\"Width\"");
        const bool isHeight = !isWidth && IsTyped(child, "String", "id=\"Height\"");
        if (!isWidth && !isHeight)
            continue;
        double value = 0;
        int unit = UNIT_REAL;
        // A length without a unit suffix says nothing about the paper.
        if (!stylepage::ParseMeasurement(XMLNodeContent(child).c_str(), &value, &unit))
            return FALSE;
        if (unit != paper.unit)
            return FALSE;
        const double expected = (isWidth == portrait) ? ownWidth : ownHeight;
        if (value != expected)
            return FALSE;
        (isWidth ? sawWidth : sawHeight) = true;
    }
    if (!sawWidth || !sawHeight)
        return FALSE;

    author = read.author;
    autoRotate = read.autoRotate;
    autoFill = read.autoFill;
    orientation = read.orientation;
    useBGColor = read.useBGColor;
    color = read.color;
    if (!CreatePage(pendingTool, changed, margins, parent))
        return FALSE;

    if (CXMLTreeNode* toolList = root->FindName("ToolList"))
        LoadToolList(toolList, false);
    Checkpoint();
    return TRUE;
}

void CStylePage::LoadToolList(CXMLTreeNode* toolList, bool placeWindows) {
    if (toolList == nullptr || host == nullptr)
        return;
    CToolManager& manager = host->toolManager;
    for (CXMLTreeNode* group = toolList->GetFirstChild(); group != nullptr;
         group = group->GetNextSibling()) {
        if (XMLNodeName(group) != "Group")
            continue;
        CTemplateTool* previous = nullptr;
        for (CXMLTreeNode* node = group->GetFirstChild(); node != nullptr;
             node = node->GetNextSibling()) {
            CTemplateTool* tool = manager.CreateToolFromXML(node);
            if (tool == nullptr)
                continue;
            if (!tool->AttachToPage(nullptr, this)) {
                manager.DestroyTool(tool);
                continue;
            }
            if (placeWindows)
                tool->UpdateWindowPos();
            if (previous != nullptr)
                tool->LinkTo(previous);
            previous = tool;
        }
    }
}
