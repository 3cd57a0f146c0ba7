// The plug-in folder (registry setting or installation) and the loading of a
// folder's module files.
#include "framework/plugin_module.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "framework/designer_keys.h"
#include "framework/reg_key_pair.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/registry.h"

namespace plugin_module {
namespace {

// Size of the folder buffer, in characters.
constexpr DWORD kFolderBufferSize = 260;

// The folder named by `valueName` under the key, or empty when neither hive
// holds a usable text.
std::string ReadFolderSetting(const std::string& registryKey, const std::string& valueName) {
    const std::string key = registryKey.empty() ? designer_keys::kKey : registryKey;
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

}  // namespace

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string InstalledFolder(std::string_view kind) {
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

std::string PluginFolder(const std::string& registryKey, const std::string& valueName,
                         std::string_view installedKind) {
    std::string folder = ReadFolderSetting(registryKey, valueName);
    if (folder.empty())
        folder = InstalledFolder(installedKind);
    return WithSeparator(std::move(folder));
}

std::vector<std::string> ModuleFiles(const std::string& folder, std::string_view pattern) {
    std::vector<std::string> paths;
    const std::string base = WithSeparator(folder);
    for (const std::string& name : platform::ListFiles(base, pattern))
        paths.push_back(base + name);
    // The listing is in byte order; stable, so names that differ only in
    // case keep it.
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return platform::ascii::CompareNoCase(a, b) < 0;
    });
    return paths;
}

std::vector<LoadedModule> LoadModules(const std::string& folder, std::string_view pattern,
                                      const std::vector<const char*>& entryPoints) {
    std::vector<LoadedModule> loaded;
    for (const std::string& path : ModuleFiles(folder, pattern)) {
        auto module = std::make_shared<platform::Module>();
        if (!module->Load(path))
            continue;
        LoadedModule entry;
        for (const char* name : entryPoints) {
            void* address = module->Symbol(name);
            if (address == nullptr)
                break;
            entry.entryPoints.push_back(address);
        }
        if (entry.entryPoints.size() != entryPoints.size())
            continue;  // `module` unloads here
        entry.library = std::move(module);
        loaded.push_back(std::move(entry));
    }
    return loaded;
}

}  // namespace plugin_module
