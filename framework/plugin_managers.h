// The page-style and area-tool managers.
//
// The Designer owns one CPageStyleManager (with its CToolManager inside).
// They create page and area objects through the create entry point of the
// module that provides them, remember which module made each object and
// destroy each object through that module's destroy entry point. Pages and
// areas in every module reach the shared editing settings (grid, margins,
// order numbers, clipboard format) through the manager pointer stored in
// them, so every module is built from this one declaration. Loading,
// creation and the record of objects are the ModuleSet of plugin_module.h.
#pragma once

#include <string>

#include "framework/designer_keys.h"
#include "framework/page_callbacks.h"
#include "framework/plugin_module.h"
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

// What the managers load: page styles (*.pge with NewKanvo/DeleteKanvo,
// installed in lib/corvantis/pagestyles) and area tools (*.tol with
// NewTool/DeleteTool, in lib/corvantis/tools).
inline constexpr PluginKind kPageStyleKind{"*.pge", "pagestyles", "NewKanvo", "DeleteKanvo"};
inline constexpr PluginKind kAreaToolKind{"*.tol", "tools", "NewTool", "DeleteTool"};

// The area tools: a ModuleSet of area-tool modules and in-process providers,
// and the area settings every area reads.
class CToolManager : private ModuleSet<CTemplateTool> {
  public:
    // Loads every area-tool module of the "ToolDir" folder (replacing those
    // loaded before); TRUE when at least one was loaded.
    BOOL LoadTools() { return LoadModulesOf(kAreaToolKind, registryKey, valueName) > 0; }
    // Frees every loaded area-tool module.
    void UnloadTools() { UnloadModules(); }
    // Adds an area tool provided inside this process (no module file);
    // returns its tool index, or -1 when an entry point is missing.
    int AddToolProvider(NewToolFn create, DeleteToolFn destroy) {
        return AddProvider(create, destroy);
    }
    // Number of area tools (loaded modules and in-process providers).
    int GetToolTypeCount() const { return ModuleCount(); }

    // A new area of tool `tool` whose toolManager is this manager, or NULL.
    CTemplateTool* CreateTool(int tool);
    // Destroys an area through the module that made it; areas this manager
    // did not make are left alone.
    void DestroyTool(CTemplateTool* tool) { DestroyObject(tool); }
    // Whether `tool` is a live area made by this manager.
    bool OwnsTool(const CTemplateTool* tool) const { return OwnsObject(tool); }
    // Number of live areas made by this manager.
    int GetToolObjectCount() const { return ObjectCount(); }
    // The first area, in tool-index order, whose ReadXML accepts the node.
    CTemplateTool* CreateToolFromXML(CXMLTreeNode* node);
    // The name of tool `tool` (its GetToolName); `out` is unchanged when no
    // area of that tool can be made.
    void GetToolTypeName(int tool, std::string& out);

    // Non-zero: every area draws its order number.
    DWORD ShowZOrder = 0;
    // The key and value naming the modules' folder (the Designer's key when
    // the key is empty).
    std::string registryKey;
    std::string valueName = designer_keys::kToolDir;
    // Set by the -A command-line option; read by area tools.
    DWORD fullInformation = 0;
    // The folder of the last load, the record of live areas and the modules.
    using ModuleSet::modules;
    using ModuleSet::objects;
    using ModuleSet::pluginFolder;
};

// The page styles: a ModuleSet of page-style modules and in-process
// providers, the area tools, and the editing settings every page reads.
class CPageStyleManager : private ModuleSet<CTemplatePage> {
  public:
    // Loads every page-style module of the "PageDir" folder (replacing
    // those loaded before); TRUE when at least one was loaded.
    BOOL LoadPageStyles() { return LoadModulesOf(kPageStyleKind, registryKey, valueName) > 0; }
    int GetPageStyleCount() const { return ModuleCount(); }
    // The first page style, in load order, whose CreateFromXML accepts the
    // template; the refusing pages are destroyed. NULL when none accepts it.
    CTemplatePage* CreatePageForTemplate(CXMLTreeNode* root, PendingToolFn pendingToolFn,
                                         ChangedFn changedFn, MarginsFn marginsFn,
                                         platform::Window* parent);
    // The paper name of style `style`; `out` is unchanged when no page of
    // that style can be made. Leaves no page object behind.
    void GetPaperNameOf(int style, std::string& out);
    // Whether the clipboard offers data in clipboardFormat.
    BOOL IsTemplateOnClipboard();

    // A new page of style `style` (no window yet) whose host is this
    // manager, or NULL.
    CTemplatePage* CreatePageObject(int style);
    // Destroys a page through the module that made it; pages this manager
    // did not make are left alone.
    void DestroyPageObject(CTemplatePage* page) { DestroyObject(page); }
    // The live pages made by this manager: their number, the n-th of them
    // (in no particular order; NULL past the end), whether `page` is one.
    int GetPageObjectCount() const { return ObjectCount(); }
    CTemplatePage* GetPageObjectAt(int n) const;
    bool OwnsPage(const CTemplatePage* page) const { return OwnsObject(page); }

    // Adds a page style provided inside this process (no module file);
    // returns its style index, or -1 when an entry point is missing.
    int AddPageStyleProvider(NewKanvoFn create, DeleteKanvoFn destroy) {
        return AddProvider(create, destroy);
    }
    // Frees every loaded page-style module.
    void UnloadPageStyles() { UnloadModules(); }

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
    // The key and value naming the modules' folder (the Designer's key when
    // the key is empty).
    std::string registryKey;
    std::string valueName = designer_keys::kPageDir;
    // The folder of the last load, the record of live pages and the modules.
    using ModuleSet::modules;
    using ModuleSet::objects;
    using ModuleSet::pluginFolder;
};
