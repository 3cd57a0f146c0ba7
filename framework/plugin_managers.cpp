// Object creation and destruction through the module that provides each page
// style and area tool, and the record of which module made which object.
// Loading the module files is in plugin_loading.cpp.
#include "framework/plugin_managers.h"

#include <cstring>

#include "framework/template_page.h"
#include "framework/template_tool.h"

namespace {

// Calls the create entry point of module `index` and records the object.
template <class Object>
Object* CreateRecorded(std::vector<PluginModule<Object>>& modules,
                       std::unordered_map<const void*, int>& objects, int index) {
    if (index < 0 || index >= static_cast<int>(modules.size()))
        return nullptr;
    const PluginModule<Object>& module = modules[static_cast<size_t>(index)];
    if (module.create == nullptr)
        return nullptr;
    Object* object = module.create();
    if (object == nullptr)
        return nullptr;
    objects[object] = index;
    return object;
}

// Destroys a recorded object through the module that made it; objects that
// are not recorded are left alone.
template <class Object>
void DestroyRecorded(std::vector<PluginModule<Object>>& modules,
                     std::unordered_map<const void*, int>& objects, Object* object) {
    if (object == nullptr)
        return;
    auto found = objects.find(object);
    if (found == objects.end())
        return;
    const int index = found->second;
    objects.erase(found);
    if (index >= 0 && index < static_cast<int>(modules.size()) &&
        modules[static_cast<size_t>(index)].destroy != nullptr) {
        modules[static_cast<size_t>(index)].destroy(object);
    }
}

}  // namespace

// ---- CToolManager ----------------------------------------------------------

CToolManager::CToolManager() = default;

CToolManager::~CToolManager() {
    UnloadTools();
}

int CToolManager::GetToolTypeCount() const {
    return static_cast<int>(modules.size());
}

int CToolManager::AddToolProvider(NewToolFn create, DeleteToolFn destroy) {
    if (create == nullptr || destroy == nullptr)
        return -1;
    PluginModule<CTemplateTool> module;
    module.create = create;
    module.destroy = destroy;
    modules.push_back(std::move(module));
    return static_cast<int>(modules.size()) - 1;
}

CTemplateTool* CToolManager::CreateTool(int tool) {
    CTemplateTool* object = CreateRecorded(modules, objects, tool);
    if (object != nullptr)
        object->toolManager = this;
    return object;
}

void CToolManager::DestroyTool(CTemplateTool* tool) {
    DestroyRecorded(modules, objects, tool);
}

bool CToolManager::OwnsTool(const CTemplateTool* tool) const {
    return tool != nullptr && objects.count(tool) != 0;
}

CTemplateTool* CToolManager::CreateToolFromXML(CXMLTreeNode* node) {
    if (node == nullptr)
        return nullptr;
    for (int i = 0; i < GetToolTypeCount(); ++i) {
        CTemplateTool* tool = CreateTool(i);
        if (tool == nullptr)
            continue;
        if (tool->ReadXML(node))
            return tool;
        DestroyTool(tool);
    }
    return nullptr;
}

void CToolManager::GetToolTypeName(int tool, std::string& out) {
    CTemplateTool* object = CreateTool(tool);
    if (object == nullptr)
        return;
    char name[1024] = {};
    object->GetToolName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    out = name;
    DestroyTool(object);
}

// ---- CPageStyleManager -----------------------------------------------------

CPageStyleManager::CPageStyleManager() = default;

CPageStyleManager::~CPageStyleManager() {
    UnloadPageStyles();
}

int CPageStyleManager::GetPageStyleCount() const {
    return static_cast<int>(modules.size());
}

int CPageStyleManager::AddPageStyleProvider(NewKanvoFn create, DeleteKanvoFn destroy) {
    if (create == nullptr || destroy == nullptr)
        return -1;
    PluginModule<CTemplatePage> module;
    module.create = create;
    module.destroy = destroy;
    modules.push_back(std::move(module));
    return static_cast<int>(modules.size()) - 1;
}

CTemplatePage* CPageStyleManager::CreatePageObject(int style) {
    CTemplatePage* page = CreateRecorded(modules, objects, style);
    if (page != nullptr)
        page->host = this;
    return page;
}

void CPageStyleManager::DestroyPageObject(CTemplatePage* page) {
    DestroyRecorded(modules, objects, page);
}

bool CPageStyleManager::OwnsPage(const CTemplatePage* page) const {
    return page != nullptr && objects.count(page) != 0;
}

CTemplatePage* CPageStyleManager::CreatePageForTemplate(CXMLTreeNode* root,
                                                        PendingToolFn pendingToolFn,
                                                        ChangedFn changedFn, MarginsFn marginsFn,
                                                        platform::Window* parent) {
    for (int style = 0; style < GetPageStyleCount(); ++style) {
        CTemplatePage* page = CreatePageObject(style);
        if (page == nullptr)
            continue;
        if (page->CreateFromXML(root, pendingToolFn, changedFn, marginsFn, parent))
            return page;
        DestroyPageObject(page);
    }
    return nullptr;
}

void CPageStyleManager::GetPaperNameOf(int style, std::string& out) {
    CTemplatePage* page = CreatePageObject(style);
    if (page == nullptr)
        return;
    char name[256] = {};
    page->GetPaperName(name, sizeof name);
    name[sizeof name - 1] = '\0';
    out = name;
    DestroyPageObject(page);
}

int CPageStyleManager::GetPageObjectCount() const {
    return static_cast<int>(objects.size());
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
