// The managers' own work on top of their module sets: handing each new
// object its manager, finding the object that accepts a template or an area
// node, the names of styles and tools, and the clipboard query.
#include "framework/plugin_managers.h"

#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/clipboard.h"

// ---- CToolManager ----------------------------------------------------------

CTemplateTool* CToolManager::CreateTool(int tool) {
    CTemplateTool* object = CreateObject(tool);
    if (object != nullptr)
        object->toolManager = this;
    return object;
}

CTemplateTool* CToolManager::CreateToolFromXML(CXMLTreeNode* node) {
    if (node == nullptr)
        return nullptr;
    return FirstAccepted([this](int tool) { return CreateTool(tool); },
                         [node](CTemplateTool* tool) { return tool->ReadXML(node) != FALSE; });
}

void CToolManager::GetToolTypeName(int tool, std::string& out) {
    NameOf<1024>(
        tool, [this](int index) { return CreateTool(index); },
        [](CTemplateTool* object, char* name, int size) { object->GetToolName(name, size); }, out);
}

// ---- CPageStyleManager -----------------------------------------------------

CTemplatePage* CPageStyleManager::CreatePageObject(int style) {
    CTemplatePage* page = CreateObject(style);
    if (page != nullptr)
        page->host = this;
    return page;
}

CTemplatePage* CPageStyleManager::CreatePageForTemplate(CXMLTreeNode* root,
                                                        PendingToolFn pendingToolFn,
                                                        ChangedFn changedFn, MarginsFn marginsFn,
                                                        platform::Window* parent) {
    return FirstAccepted([this](int style) { return CreatePageObject(style); },
                         [&](CTemplatePage* page) {
                             return page->CreateFromXML(root, pendingToolFn, changedFn, marginsFn,
                                                        parent) != FALSE;
                         });
}

void CPageStyleManager::GetPaperNameOf(int style, std::string& out) {
    NameOf<256>(
        style, [this](int index) { return CreatePageObject(index); },
        [](CTemplatePage* page, char* name, int size) { page->GetPaperName(name, size); }, out);
}

CTemplatePage* CPageStyleManager::GetPageObjectAt(int n) const {
    if (n < 0)
        return nullptr;
    for (const auto& entry : objects) {
        if (n-- == 0)
            return static_cast<CTemplatePage*>(const_cast<void*>(entry.first));
    }
    return nullptr;
}

BOOL CPageStyleManager::IsTemplateOnClipboard() {
    if (clipboardFormat == 0)
        clipboardFormat = platform::RegisterClipboardFormat("CBTemplateFormat");
    return platform::Clipboard::IsFormatAvailable(clipboardFormat) ? TRUE : FALSE;
}
