// The page-style and area-tool managers.
//
// The Designer owns one CPageStyleManager (with its CToolManager inside).
// They create page and area objects through the create entry point of the
// module that provides them, remember which module made each object and
// destroy each object through that module's destroy entry point. Pages and
// areas in every module reach the shared editing settings (grid, margins,
// order numbers, clipboard format) through the manager pointer stored in
// them, so every module is built from this one declaration.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/page_callbacks.h"
#include "framework/units.h"
#include "platform/clipboard.h"
#include "platform/types.h"

class CXMLTreeNode;
namespace platform {
class Window;
}

// C-linkage entry points of page-style modules (NewKanvo, DeleteKanvo) and
// area-tool modules (NewTool, DeleteTool).
extern "C" {
typedef CTemplatePage* (*NewKanvoFn)();
typedef void (*DeleteKanvoFn)(CTemplatePage*);
typedef CTemplateTool* (*NewToolFn)();
typedef void (*DeleteToolFn)(CTemplateTool*);
}

// One loaded module: what keeps it loaded and its two entry points.
// `library` is empty for a provider registered inside the running process.
template <class Object>
struct PluginModule {
    std::shared_ptr<void> library;
    Object* (*create)() = nullptr;       // a new object, or NULL
    void (*destroy)(Object*) = nullptr;  // deletes the object; ignores NULL
};

class CToolManager {
  public:
    CToolManager();
    ~CToolManager();
    CToolManager(const CToolManager&) = delete;
    CToolManager& operator=(const CToolManager&) = delete;

    // Loads every area-tool module of the "ToolDir" folder; TRUE when at
    // least one was loaded.
    BOOL LoadTools();
    // Number of area tools (loaded modules and in-process providers).
    int GetToolTypeCount() const;
    // A new area of tool `tool` whose toolManager is this manager, or NULL.
    CTemplateTool* CreateTool(int tool);
    // Destroys an area through the module that made it; areas this manager
    // did not make are left alone.
    void DestroyTool(CTemplateTool* tool);
    // The first area, in tool-index order, whose ReadXML accepts the node.
    CTemplateTool* CreateToolFromXML(CXMLTreeNode* node);
    // The name of tool `tool` (its GetToolName); `out` is unchanged when no
    // area of that tool can be made.
    void GetToolTypeName(int tool, std::string& out);
    // Frees every loaded area-tool module.
    void UnloadTools();

    // Adds an area tool provided inside this process (no module file);
    // returns its tool index, or -1 when an entry point is missing.
    int AddToolProvider(NewToolFn create, DeleteToolFn destroy);
    // Number of live areas made by this manager.
    int GetToolObjectCount() const { return static_cast<int>(objects.size()); }
    // Whether `tool` is a live area made by this manager.
    bool OwnsTool(const CTemplateTool* tool) const;

    // Non-zero: every area draws its order number.
    DWORD ShowZOrder = 0;
    std::string registryKey;
    std::string valueName = "ToolDir";
    // Set by the -A command-line option; read by area tools.
    DWORD fullInformation = 0;
    // The plug-in folder with the separator appended.
    std::string pluginFolder;
    // Live area object -> index of the module that made it.
    std::unordered_map<const void*, int> objects;
    std::vector<PluginModule<CTemplateTool>> modules;
};

class CPageStyleManager {
  public:
    CPageStyleManager();
    ~CPageStyleManager();
    CPageStyleManager(const CPageStyleManager&) = delete;
    CPageStyleManager& operator=(const CPageStyleManager&) = delete;

    // Loads every page-style module of the "PageDir" folder; TRUE when at
    // least one was loaded.
    BOOL LoadPageStyles();
    int GetPageStyleCount() const;
    // A new page of style `style` (no window yet) whose host is this
    // manager, or NULL.
    CTemplatePage* CreatePageObject(int style);
    // Destroys a page through the module that made it; pages this manager
    // did not make are left alone.
    void DestroyPageObject(CTemplatePage* page);
    // The first page style, in load order, whose CreateFromXML accepts the
    // template; the refusing pages are destroyed. NULL when none accepts it.
    CTemplatePage* CreatePageForTemplate(CXMLTreeNode* root, PendingToolFn pendingToolFn,
                                         ChangedFn changedFn, MarginsFn marginsFn,
                                         platform::Window* parent);
    // The paper name of style `style`; `out` is unchanged when no page of
    // that style can be made. Leaves no page object behind.
    void GetPaperNameOf(int style, std::string& out);
    int GetPageObjectCount() const;
    // The n-th live page (in no particular order), NULL past the end.
    CTemplatePage* GetPageObjectAt(int n) const;
    // Whether the clipboard offers data in clipboardFormat.
    BOOL IsTemplateOnClipboard();
    // Frees every loaded page-style module.
    void UnloadPageStyles();

    // Adds a page style provided inside this process (no module file);
    // returns its style index, or -1 when an entry point is missing.
    int AddPageStyleProvider(NewKanvoFn create, DeleteKanvoFn destroy);

    // Whether `page` is a live page made by this manager.
    bool OwnsPage(const CTemplatePage* page) const;
    CToolManager& GetToolManager() { return toolManager; }

    CToolManager toolManager;
    // The registered id of the "CBTemplateFormat" clipboard format,
    // registered when the manager is made.
    DWORD clipboardFormat = platform::RegisterClipboardFormat("CBTemplateFormat");
    // The grid step; 0.5 x 0.5 inches until the settings are loaded.
    PaperSize gridDim{0.5, 0.5, UNIT_INCHES};
    DWORD UseGrid = 0;      // snap areas to the grid
    DWORD GridVisible = 0;  // draw the grid
    DWORD UseMargin = 0;    // keep areas inside the margins and pull edges onto them
    DWORD ShowMargin = 0;   // draw the margins
    std::string registryKey;
    std::string valueName = "PageDir";
    std::string pluginFolder;
    // Live page object -> index of the module that made it.
    std::unordered_map<const void*, int> objects;
    std::vector<PluginModule<CTemplatePage>> modules;
};
