// Loading and unloading of the page-style (*.pge) and area-tool (*.tol)
// module files, and the clipboard query of the page-style manager.
//
// The folder of each kind comes from the Designer's registry key, the
// machine's value first and then the user's. When neither hive names a
// folder, the installed plug-in folder is used: lib/corvantis/pagestyles (or
// tools) under the installation prefix, found from the running program
// (<prefix>/bin/...) or from the platform library (<prefix>/lib/...), so a
// fresh install works without a hand-written setting.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "framework/plugin_managers.h"
#include "framework/reg_key_pair.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/registry.h"

namespace {

// The Designer's registry key.
constexpr const char* kDesignerKey = "Software\\ZYN Systems\\Corvantis\\Template Designer";
// Size of the folder buffer, in characters.
constexpr DWORD kFolderBufferSize = 260;

int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

// The folder named by `valueName` under the Designer's key, or empty when
// neither hive holds a usable text.
std::string ReadFolderSetting(const std::string& registryKey, const std::string& valueName) {
    const std::string key = registryKey.empty() ? kDesignerKey : registryKey;
    RegKeyPair keys(key.c_str(), platform::HKEY_LOCAL_MACHINE, platform::HKEY_LOCAL_MACHINE,
                    platform::HKEY_CURRENT_USER, platform::HKEY_CURRENT_USER);
    char buffer[kFolderBufferSize] = {};
    DWORD size = sizeof buffer;
    DWORD type = platform::REG_NONE;
    if (keys.ReadValue(valueName.c_str(), buffer, &size, &type) != platform::ERROR_SUCCESS) {
        return {};
    }
    if (type != platform::REG_SZ && type != platform::REG_EXPAND_SZ)
        return {};
    buffer[std::min<DWORD>(size, kFolderBufferSize - 1)] = '\0';
    return std::string(buffer);
}

std::string ParentFolder(const std::string& path) {
    // "/a/b/c" -> "/a/b"; a path without a folder gives "".
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string RunningProgramPath() {
    char path[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

// The installed folder of plug-ins of `kind` ("pagestyles", "tools").
std::string InstalledPluginFolder(const char* kind) {
    std::vector<std::string> candidates;
    // <prefix>/bin/program -> <prefix>/lib/corvantis/<kind>
    const std::string program = RunningProgramPath();
    if (!program.empty()) {
        const std::string prefix = ParentFolder(ParentFolder(program));
        if (!prefix.empty())
            candidates.push_back(platform::JoinPath(prefix, "lib/corvantis"));
    }
    // <prefix>/lib/libcvplatform.so -> <prefix>/lib/corvantis/<kind>
    const std::string platformLibrary =
        platform::Module::PathOfAddress(reinterpret_cast<const void*>(&platform::ListFiles));
    if (!platformLibrary.empty()) {
        candidates.push_back(platform::JoinPath(ParentFolder(platformLibrary), "corvantis"));
    }
    // The first installation that has this kind of plug-in, else the first
    // that has plug-ins at all.
    for (const std::string& base : candidates) {
        const std::string folder = platform::JoinPath(base, kind);
        if (platform::IsDirectory(folder))
            return folder;
    }
    for (const std::string& base : candidates) {
        if (platform::IsDirectory(base))
            return platform::JoinPath(base, kind);
    }
    return candidates.empty() ? std::string() : platform::JoinPath(candidates.front(), kind);
}

// Steps 2 to 6 of loading: the folder, the listing, the case-insensitive
// order and the binding of both entry points. Returns the folder used (with
// the separator) through `folderOut`.
template <class Object>
void LoadModules(const std::string& registryKey, const std::string& valueName, const char* pattern,
                 const char* installedKind, const char* createName, const char* destroyName,
                 std::string& folderOut, std::vector<PluginModule<Object>>& modules) {
    std::string folder = ReadFolderSetting(registryKey, valueName);
    if (folder.empty())
        folder = InstalledPluginFolder(installedKind);
    folderOut = WithSeparator(folder);

    std::vector<std::string> paths;
    for (const std::string& name : platform::ListFiles(folderOut, pattern)) {
        paths.push_back(folderOut + name);
    }
    // Stable, so names that differ only in case keep the listing's order.
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return CompareNoCase(a, b) < 0;
    });

    for (const std::string& path : paths) {
        auto module = std::make_shared<platform::Module>();
        if (!module->Load(path))
            continue;
        auto create = module->SymbolAs<Object* (*)()>(createName);
        auto destroy = module->SymbolAs<void (*)(Object*)>(destroyName);
        if (create == nullptr || destroy == nullptr)
            continue;  // `module` unloads here
        PluginModule<Object> entry;
        entry.library = module;
        entry.create = create;
        entry.destroy = destroy;
        modules.push_back(std::move(entry));
    }
}

}  // namespace

// ---- CToolManager -----------------------------------------------------------

BOOL CToolManager::LoadTools() {
    UnloadTools();
    LoadModules<CTemplateTool>(registryKey, valueName, "*.tol", "tools", "NewTool", "DeleteTool",
                               pluginFolder, modules);
    return modules.empty() ? FALSE : TRUE;
}

void CToolManager::UnloadTools() {
    // Objects of a module that is gone can no longer be destroyed through
    // it; forgetting them keeps a later module at the same index from being
    // handed an object it did not make.
    objects.clear();
    modules.clear();
}

// ---- CPageStyleManager ------------------------------------------------------

BOOL CPageStyleManager::LoadPageStyles() {
    UnloadPageStyles();
    LoadModules<CTemplatePage>(registryKey, valueName, "*.pge", "pagestyles", "NewKanvo",
                               "DeleteKanvo", pluginFolder, modules);
    return modules.empty() ? FALSE : TRUE;
}

void CPageStyleManager::UnloadPageStyles() {
    objects.clear();
    modules.clear();
}

BOOL CPageStyleManager::IsTemplateOnClipboard() {
    if (clipboardFormat == 0)
        clipboardFormat = platform::RegisterClipboardFormat("CBTemplateFormat");
    return platform::Clipboard::IsFormatAvailable(clipboardFormat) ? TRUE : FALSE;
}
