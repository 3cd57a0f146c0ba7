// Copy, cut and paste of areas through the clipboard, and the undo history
// of whole-template snapshots.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "engine/template_factory.h"
#include "framework/number_text.h"
#include "framework/plugin_managers.h"
#include "framework/template_tool.h"
#include "framework/tool_geometry.h"
#include "pagestyle/style_page.h"
#include "pagestyle/style_strings.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"

namespace {

// A fresh non-negative number for each copy, so that a paste can tell a
// copy made from this page from any other.
int DrawSourceNumber() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, 0x7FFFFFFF)(generator);
}

// The text between `open` (searched from `from`) and the next `close`;
// false when either marker is missing. `end` receives the position after
// the closing marker.
bool TextBetween(std::string_view text, std::string_view open, std::string_view close, size_t from,
                 std::string* out, size_t* end) {
    const size_t start = text.find(open, from);
    if (start == std::string_view::npos)
        return false;
    const size_t valueStart = start + open.size();
    const size_t stop = text.find(close, valueStart);
    if (stop == std::string_view::npos)
        return false;
    *out = std::string(text.substr(valueStart, stop - valueStart));
    *end = stop + close.size();
    return true;
}

bool ParseNumber(const std::string& text, double* value) {
    return ParseDecimalPrefix(text, value) != 0;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

}  // namespace

// ---- clipboard -----------------------------------------------------------------------------

CXMLTreeNode* CStylePage::BuildClipboardTree() {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    GetSelectionBounds(&minX, &minY, &maxX, &maxY);
    std::unique_ptr<CXMLTreeNode> root(NewNode("ClipboardXML", nullptr, nullptr, nullptr));
    if (!root)
        return nullptr;
    if (NewNode("Width", nullptr, FormatDecimal(maxX).c_str(), root.get()) == nullptr ||
        NewNode("Height", nullptr, FormatDecimal(maxY).c_str(), root.get()) == nullptr) {
        return nullptr;
    }
    clipboardSource = DrawSourceNumber();
    char source[32];
    std::snprintf(source, sizeof source, "%d", clipboardSource);
    if (NewNode("Source", nullptr, source, root.get()) == nullptr)
        return nullptr;

    // Rings with selected members, from the bottom of the z-order up; each
    // ring's selected members in ring order from the member found first.
    std::unordered_set<CTemplateTool*> visited;
    for (int i = toolCount - 1; i >= 0; --i) {
        CTemplateTool* first = tools[i];
        if (first == nullptr || !(first->flags & TOOL_SELECTED) || visited.count(first) != 0) {
            continue;
        }
        CXMLTreeNode* group = NewNode("Group", nullptr, nullptr, root.get());
        if (group == nullptr)
            return nullptr;
        if (!WriteRing(first, true, visited, group))
            return nullptr;
    }
    return root.release();
}

void CStylePage::OfferClipboardTree(CXMLTreeNode* root) {
    if (root == nullptr)
        return;
    CXMLTree tree(root);
    tree.SetTopTag("");
    std::unique_ptr<char[]> text(tree.GetXML());
    if (!text)
        return;
    const size_t size = std::strlen(text.get()) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return;
    if (void* bytes = GlobalLock(block)) {
        std::memcpy(bytes, text.get(), size);
        GlobalUnlock(block);
        platform::DataSource source;
        if (source.SetGlobalData(TemplateClipboardFormat(), block) &&
            source.SetGlobalData(platform::CF_TEXT, block)) {
            platform::Clipboard::SetDataSource(source);
        }
    }
    GlobalFree(block);  // the clipboard keeps its own copy
}

void CStylePage::Copy() {
    // Copying nothing would only wipe what the clipboard holds.
    if (GetSelectedCount() == 0)
        return;
    pasteCount = 0;
    clipboardSource = -1;
    OfferClipboardTree(BuildClipboardTree());
}

void CStylePage::Cut() {
    if (GetSelectedCount() == 0)
        return;
    pasteCount = 0;
    clipboardSource = -1;
    CXMLTreeNode* tree = BuildClipboardTree();
    DeleteSelection();
    OfferClipboardTree(tree);
}

void CStylePage::Paste() {
    if (host == nullptr)
        return;
    const std::optional<std::string> data = platform::Clipboard::GetText(TemplateClipboardFormat());
    if (!data || data->empty())
        return;
    const std::string_view text = *data;

    const size_t rootStart = text.find("<ClipboardXML>");
    if (rootStart == std::string_view::npos)
        return;
    std::string widthText, heightText, sourceText;
    size_t at = rootStart;
    if (!TextBetween(text, "<Width>", "</Width>", at, &widthText, &at))
        return;
    if (!TextBetween(text, "<Height>", "</Height>", at, &heightText, &at))
        return;
    double width = 0, height = 0;
    if (!ParseNumber(widthText, &width) || !ParseNumber(heightText, &height))
        return;
    if (width > paper.width || height > paper.height) {
        platform::MessageBox(this, StyleString(IDS_SELECTION_TOO_LARGE), {},
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    if (!TextBetween(text, "<Source>", "</Source>", at, &sourceText, &at))
        return;
    char* sourceEnd = nullptr;
    const long long sourceValue = std::strtoll(sourceText.c_str(), &sourceEnd, 10);
    if (sourceEnd == sourceText.c_str())
        return;

    const size_t groupsStart = text.find("<Group>", at);
    if (groupsStart == std::string_view::npos)
        return;
    const size_t groupsEnd = text.find("</ClipboardXML>", groupsStart);
    if (groupsEnd == std::string_view::npos)
        return;
    const std::string groups(Trim(text.substr(groupsStart, groupsEnd - groupsStart)));

    CXMLTree tree;
    if (!CTemplateFactory::LoadToolListXMLString(groups.c_str(), &tree))
        return;
    CXMLTreeNode* toolList = tree.GetRoot();
    if (toolList == nullptr || XMLNodeName(toolList) != "ToolList" ||
        toolList->GetNumChildren() < 1) {
        return;
    }

    if (sourceValue == clipboardSource) {
        ++pasteCount;
    } else {
        clipboardSource = static_cast<int>(sourceValue);
        pasteCount = 0;
    }

    CToolManager& manager = host->toolManager;
    const double offset = pasteCount * PASTE_OFFSET;
    std::vector<CTemplateTool*> lastOfGroup;
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
            if (pasteCount > 0) {
                tool->rect.x += offset;
                tool->rect.y += offset;
            }
            // Held to the pixel range: the position comes from clipboard
            // text and may be any number.
            const platform::Point click(toolgeom::TruncToInt(tool->rect.x * GetPixelsPerUnitX()),
                                        toolgeom::TruncToInt(tool->rect.y * GetPixelsPerUnitY()));
            ToolRect placed;
            PlaceNewTool(tool, &placed, &click);
            if (!tool->AttachToPage(&placed, this)) {
                manager.DestroyTool(tool);
                continue;
            }
            tool->UpdateWindowPos();
            MoveToFront(tool);
            if (previous != nullptr)
                tool->LinkTo(previous);
            previous = tool;
        }
        // A group that gave no area has no ring to select.
        if (previous != nullptr)
            lastOfGroup.push_back(previous);
    }
    if (lastOfGroup.empty())
        return;

    for (CTemplateTool* last : lastOfGroup) {
        CTemplateTool* member = last;
        for (int steps = 0; member != nullptr && steps <= toolCount; ++steps) {
            member->SetSelection(SELECT_ON, TRUE);
            member = member->GetNextLinked();
            if (member == last)
                break;
        }
        if (!last->IsLinkValid())
            last->UnlinkAll();
    }
    SetModified();
}

// ---- undo history ------------------------------------------------------------------------------

int CStylePage::Checkpoint() {
    if (recordingSuspended)
        return 0;
    std::unique_ptr<CXMLTreeNode> snapshot(WriteXML());
    if (!snapshot)
        return 0;
    // A new change makes the undone states unreachable.
    if (undoPos + 1 < static_cast<int>(undoList.size())) {
        undoList.erase(undoList.begin() + std::max(undoPos + 1, 0), undoList.end());
    }
    while (static_cast<int>(undoList.size()) >= MAX_UNDO_STATES)
        undoList.erase(undoList.begin());
    undoList.push_back(std::move(snapshot));
    undoPos = static_cast<int>(undoList.size()) - 1;
    canUndo = undoList.size() >= 2 ? TRUE : FALSE;
    canRedo = FALSE;
    return 1;
}

int CStylePage::RestoreState(BOOL undo) {
    const int target = undo ? undoPos - 1 : undoPos + 1;
    // A request outside the history leaves the page as it is.
    if (target < 0 || target >= static_cast<int>(undoList.size()) || !undoList[target])
        return 0;

    recordingSuspended = 1;
    DeleteAllTools();
    undoPos = target;
    canUndo = undoPos > 0 ? TRUE : FALSE;
    canRedo = undoPos < static_cast<int>(undoList.size()) - 1 ? TRUE : FALSE;

    CXMLTreeNode* snapshot = undoList[static_cast<size_t>(undoPos)].get();
    CXMLTreeNode* pageNode = snapshot->FindName("Page");
    CXMLTreeNode* properties = pageNode != nullptr ? pageNode->FindName("Properties") : nullptr;
    if (properties != nullptr && RestoreProperties(properties)) {
        if (platform::Window* parent = GetParent())
            parent->Invalidate(TRUE);
        Invalidate(TRUE);
        FitToParent(-1, -1);
    }
    LoadToolList(snapshot->FindName("ToolList"), true);
    Invalidate(FALSE);
    if (changedFn != nullptr)
        changedFn();
    recordingSuspended = 0;
    return 1;
}

bool CStylePage::RestoreProperties(CXMLTreeNode* properties) {
    bool changed = false;
    auto restoreFlag = [&](CXMLTreeNode* node, int* field) {
        const int value = stylepage::ParseBool(XMLNodeContent(node).c_str());
        if (value >= 0 && value != *field) {
            *field = value;
            changed = true;
        }
    };
    for (CXMLTreeNode* child = properties->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling()) {
        const std::string name = XMLNodeName(child);
        const std::string attributes = XMLNodeAttributes(child);
        if (name == "String" && attributes == "id=\"Orientation\"") {
            const std::string text = XMLNodeContent(child);
            const bool toPortrait = text == StyleString(IDS_PORTRAIT);
            const bool toLandscape = text == StyleString(IDS_LANDSCAPE);
            if ((toPortrait && orientation == ORIENTATION_LANDSCAPE) ||
                (toLandscape && orientation != ORIENTATION_LANDSCAPE)) {
                orientation = toPortrait ? ORIENTATION_PORTRAIT : ORIENTATION_LANDSCAPE;
                std::swap(paper.width, paper.height);
                changed = true;
            }
        } else if (name == "Bool" && attributes == "id=\"UseBGColor\"") {
            restoreFlag(child, &useBGColor);
        } else if (name == "Bool" && attributes == "id=\"AutoFill\"") {
            restoreFlag(child, &autoFill);
        } else if (name == "Bool" && attributes == "id=\"AutoRotate\"") {
            restoreFlag(child, &autoRotate);
        } else if (name == "Int" && attributes == "id=\"Color\"") {
            // The colour comes back whenever it differs, whatever the other
            // flags say.
            const auto value =
                static_cast<COLORREF>(std::strtoll(XMLNodeContent(child).c_str(), nullptr, 10));
            if (value != color) {
                color = value;
                changed = true;
            }
        }
    }
    return changed;
}
