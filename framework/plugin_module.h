// Loading plug-in modules and keeping the objects they make.
//
// Every kind of plug-in (page styles *.pge, area tools *.tol, photo decoders)
// is a folder of shared objects found in the same way: the folder comes from
// a value under the Designer's registry key, the machine's first and then the
// user's, or, when neither names one, from the installation
// (<prefix>/lib/corvantis/<kind>). The folder's files that match the kind's
// pattern (the extension without regard to case) load in an order that does
// not depend on the case of their names, and a file that does not export
// every entry point of its kind is unloaded again and skipped.
//
// The free functions below serve any plug-in kind; ModuleSet<Object> is the
// set of modules of a kind whose modules make and destroy objects through a
// pair of C entry points, with the record of which module made which object.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {
class Module;
}

namespace plugin_module {

// `folder` with the native separator appended (unless it already ends in
// one; an empty folder gives "/").
std::string WithSeparator(std::string folder);

// The installed folder of plug-ins of `kind` ("pagestyles", "tools",
// "plugins"): <prefix>/lib/corvantis/<kind>, where the prefix is that of the
// running program (<prefix>/bin/...) or of the platform library
// (<prefix>/lib/...). Prefers an installation that has this kind's folder,
// then one that has plug-in folders at all. No separator appended.
std::string InstalledFolder(std::string_view kind);

// The plug-in folder named by `valueName` under `registryKey` (the
// Designer's key when empty), the machine's value first and then the user's,
// or InstalledFolder(installedKind) when neither hive holds a text; always
// with the separator appended.
std::string PluginFolder(const std::string& registryKey, const std::string& valueName,
                         std::string_view installedKind);

// The paths (`folder` + name) of the regular files of `folder` whose names
// match `pattern` ("*.pge"; letters match without regard to case), sorted
// without regard to case; names that differ only in case keep their byte
// order, so the order never depends on the listing.
std::vector<std::string> ModuleFiles(const std::string& folder, std::string_view pattern);

// A module file held loaded, with the addresses of its entry points in the
// order they were asked for.
struct LoadedModule {
    std::shared_ptr<platform::Module> library;
    std::vector<void*> entryPoints;
};

// Loads the files of ModuleFiles(folder, pattern), in that order, and keeps
// those that export every name of `entryPoints`; the others (not a shared
// object, an entry point missing) are unloaded again and left out.
std::vector<LoadedModule> LoadModules(const std::string& folder, std::string_view pattern,
                                      const std::vector<const char*>& entryPoints);

}  // namespace plugin_module

// One module of a ModuleSet: what keeps it loaded and its two entry points.
// `library` is empty for a provider registered inside the running process.
template <class Object>
struct PluginModule {
    std::shared_ptr<void> library;
    Object* (*create)() = nullptr;       // a new object, or NULL
    void (*destroy)(Object*) = nullptr;  // deletes the object; ignores NULL
};

// What tells one kind of object-making plug-in from another.
struct PluginKind {
    const char* pattern;        // file names of its modules ("*.pge")
    const char* installedKind;  // its folder under <prefix>/lib/corvantis
    const char* createName;     // C entry point that makes an object
    const char* destroyName;    // C entry point that destroys one
};

// The modules of one plug-in kind, indexed in load order (providers added
// inside the process come after them), and the objects they made.
template <class Object>
class ModuleSet {
  public:
    using CreateFn = Object* (*)();
    using DestroyFn = void (*)(Object*);

    ModuleSet() = default;
    ~ModuleSet() { UnloadModules(); }
    ModuleSet(const ModuleSet&) = delete;
    ModuleSet& operator=(const ModuleSet&) = delete;

    // Replaces the modules by those of the kind's folder (from `valueName`
    // under `registryKey`, else the installation; kept in pluginFolder).
    // Returns the number of modules loaded.
    int LoadModulesOf(const PluginKind& kind, const std::string& registryKey,
                      const std::string& valueName) {
        UnloadModules();
        pluginFolder = plugin_module::PluginFolder(registryKey, valueName, kind.installedKind);
        for (plugin_module::LoadedModule& loaded : plugin_module::LoadModules(
                 pluginFolder, kind.pattern, {kind.createName, kind.destroyName})) {
            PluginModule<Object> module;
            module.library = std::move(loaded.library);
            module.create = reinterpret_cast<CreateFn>(loaded.entryPoints[0]);
            module.destroy = reinterpret_cast<DestroyFn>(loaded.entryPoints[1]);
            modules.push_back(std::move(module));
        }
        return ModuleCount();
    }

    // Frees every module. Objects of a module that is gone can no longer be
    // destroyed through it; forgetting them keeps a later module at the same
    // index from being handed an object it did not make.
    void UnloadModules() {
        objects.clear();
        modules.clear();
    }

    // Adds a provider inside this process (no module file); returns its
    // index, or -1 when an entry point is missing.
    int AddProvider(CreateFn create, DestroyFn destroy) {
        if (create == nullptr || destroy == nullptr)
            return -1;
        PluginModule<Object> module;
        module.create = create;
        module.destroy = destroy;
        modules.push_back(std::move(module));
        return ModuleCount() - 1;
    }

    int ModuleCount() const { return static_cast<int>(modules.size()); }

    // A new object of module `index`, recorded as made by it; NULL for an
    // index out of range or when the module makes none.
    Object* CreateObject(int index) {
        if (index < 0 || index >= ModuleCount())
            return nullptr;
        const PluginModule<Object>& module = modules[static_cast<size_t>(index)];
        if (module.create == nullptr)
            return nullptr;
        Object* object = module.create();
        if (object != nullptr)
            objects[object] = index;
        return object;
    }

    // Destroys a recorded object through the module that made it and
    // forgets it; objects that are not recorded are left alone.
    void DestroyObject(Object* object) {
        if (object == nullptr)
            return;
        auto found = objects.find(object);
        if (found == objects.end())
            return;
        const int index = found->second;
        objects.erase(found);
        if (index >= 0 && index < ModuleCount() &&
            modules[static_cast<size_t>(index)].destroy != nullptr) {
            modules[static_cast<size_t>(index)].destroy(object);
        }
    }

    // Makes an object of each module in index order through `make` (a
    // CreateObject that also sets the owner) until `accepts` takes one; the
    // refused objects are destroyed again. NULL when none accepts.
    template <class Make, class Accepts>
    Object* FirstAccepted(Make&& make, Accepts&& accepts) {
        for (int i = 0; i < ModuleCount(); ++i) {
            Object* object = make(i);
            if (object == nullptr)
                continue;
            if (accepts(object))
                return object;
            DestroyObject(object);
        }
        return nullptr;
    }

    // The text `writeName(object, buffer, size)` writes for a temporary object
    // of module `index` made through `make` (terminated within `Size`
    // characters); false, with `out` unchanged, when none can be made.
    template <int Size, class Make, class WriteName>
    bool NameOf(int index, Make&& make, WriteName&& writeName, std::string& out) {
        Object* object = make(index);
        if (object == nullptr)
            return false;
        char name[Size] = {};
        writeName(object, name, Size);
        name[Size - 1] = '\0';
        out = name;
        DestroyObject(object);
        return true;
    }

    // Whether `object` is a live object made through this set.
    bool OwnsObject(const Object* object) const {
        return object != nullptr && objects.count(object) != 0;
    }
    int ObjectCount() const { return static_cast<int>(objects.size()); }

    // The folder of the last load, with the separator appended.
    std::string pluginFolder;
    // Live object -> index of the module that made it.
    std::unordered_map<const void*, int> objects;
    std::vector<PluginModule<Object>> modules;
};
