// The registry's API: key handles, where the hives live, and the Win32-style
// calls. The hive's in-memory form is in platform/registry_hive.cpp, its
// files (reading, locks, atomic writes) in platform/registry_store.cpp.
#include "platform/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/module.h"
#include "platform/registry_hive.h"
#include "platform/registry_store.h"

namespace platform {
namespace {

std::string JoinKeyPath(const std::string& parent, const std::string& sub) {
    if (parent.empty())
        return sub;
    if (sub.empty())
        return parent;
    return parent + '\\' + sub;
}

struct Handle {
    int hive;
    std::string path;
    REGSAM access;
};

class RegistryImpl {
  public:
    std::mutex mu;
    RegStore store;

    // A key handle and a sub-key path below it: the hive, the full key path
    // and the handle's access. `badPath` is the answer for a sub-key path
    // that names no key (with `needSubKey`, also for an empty one).
    LONG ResolveSubKey(HKEY key, const char* subKey, LONG badPath, bool needSubKey, int* hive,
                       std::string* full, REGSAM* access) {
        std::string parent, sub;
        if (LONG r = ResolveHandle(key, hive, &parent, access); r != ERROR_SUCCESS)
            return r;
        if (!RegHive::NormalizePath(subKey != nullptr ? subKey : "", &sub) ||
            (needSubKey && sub.empty()))
            return badPath;
        *full = JoinKeyPath(parent, sub);
        return ERROR_SUCCESS;
    }

    LONG ResolveHandle(HKEY key, int* hive, std::string* path, REGSAM* access) {
        int root = RegStore::HiveIndex(key);
        if (root >= 0) {
            *hive = root;
            path->clear();
            *access = KEY_ALL_ACCESS;
            return ERROR_SUCCESS;
        }
        auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
        if (key == nullptr || it == handles_.end())
            return ERROR_INVALID_HANDLE;
        *hive = it->second.hive;
        *path = it->second.path;
        *access = it->second.access;
        return ERROR_SUCCESS;
    }

    // The hive and key path of a handle that may set values; false for a
    // null, unknown or closed handle and for one without KEY_SET_VALUE.
    bool ResolveValueWriter(HKEY key, int* hive, std::string* path) {
        REGSAM access = 0;
        return ResolveHandle(key, hive, path, &access) == ERROR_SUCCESS &&
               (access & KEY_SET_VALUE) != 0;
    }

    HKEY NewHandle(int hive, std::string path, REGSAM access) {
        std::uintptr_t id = next_++;
        handles_.emplace(id, Handle{hive, std::move(path), access});
        return reinterpret_cast<HKEY>(id);
    }

    LONG CloseHandle(HKEY key) {
        if (RegStore::HiveIndex(key) >= 0)
            return ERROR_SUCCESS;
        return handles_.erase(reinterpret_cast<std::uintptr_t>(key)) > 0 ? ERROR_SUCCESS
                                                                         : ERROR_INVALID_HANDLE;
    }

  private:
    std::unordered_map<std::uintptr_t, Handle> handles_;
    std::uintptr_t next_ = 0x100;
};

// Never destroyed, so that handles closed from static destructors stay safe.
RegistryImpl& Impl() {
    static RegistryImpl* impl = new RegistryImpl;
    return *impl;
}

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

}  // namespace

// ---------------------------------------------------------------------------
// Registry

std::string Registry::HivePath(HKEY root) {
    auto env = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v != nullptr ? std::string(v) : std::string();
    };
    if (root == HKEY_LOCAL_MACHINE) {
        std::string path = env("CORVANTIS_MACHINE_REGISTRY");
        if (!path.empty())
            return path;
        // <prefix>/lib/libcvplatform.so → <prefix>/etc/corvantis/machine.reg
        std::string lib = Module::PathOfAddress(reinterpret_cast<const void*>(&RegOpenKeyEx));
        if (lib.empty() || lib.find('/') == std::string::npos) {
            return "/etc/corvantis/machine.reg";
        }
        std::string prefix = RegStore::ParentFolder(RegStore::ParentFolder(lib));
        if (prefix == "/")
            prefix.clear();
        return prefix + "/etc/corvantis/machine.reg";
    }
    if (root == HKEY_CURRENT_USER) {
        std::string path = env("CORVANTIS_USER_REGISTRY");
        if (!path.empty())
            return path;
        std::string config = env("XDG_CONFIG_HOME");
        if (config.empty() || config[0] != '/') {
            std::string home = env("HOME");
            if (home.empty()) {
                if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir) {
                    home = pw->pw_dir;
                }
            }
            if (home.empty())
                return std::string();
            config = home + "/.config";
        }
        return config + "/corvantis/user.reg";
    }
    return std::string();
}

bool Registry::IsHiveWritable(HKEY root) {
    return RegStore::PathWritable(HivePath(root));
}

const char* Registry::RootName(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return "";
}

// ---------------------------------------------------------------------------
// The Win32-style calls

LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD /*options*/, REGSAM samDesired,
                  HKEY* result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;  // a caller that ignores the result code gets no handle
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r = reg.ResolveSubKey(key, subKey, ERROR_FILE_NOT_FOUND, false, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    reg.store.Load(hive, false);
    if (reg.store.Data(hive).FindKey(full) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if ((samDesired & kWriteAccess) && !Registry::IsHiveWritable(RegStore::RootOfIndex(hive))) {
        return ERROR_ACCESS_DENIED;
    }
    *result = reg.NewHandle(hive, std::move(full), samDesired);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/,
                    DWORD /*options*/, REGSAM samDesired, const void* /*security*/, HKEY* result,
                    DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;  // a caller that ignores the result code gets no handle
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r =
            reg.ResolveSubKey(key, subKey, ERROR_INVALID_PARAMETER, false, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    bool writable = Registry::IsHiveWritable(RegStore::RootOfIndex(hive));
    reg.store.Load(hive, false);
    if (reg.store.Data(hive).FindKey(full) != nullptr) {
        if ((samDesired & kWriteAccess) && !writable)
            return ERROR_ACCESS_DENIED;
        *result = reg.NewHandle(hive, std::move(full), samDesired);
        if (disposition != nullptr)
            *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    if (!(access & KEY_CREATE_SUB_KEY) || !writable)
        return ERROR_ACCESS_DENIED;
    bool created = false;
    LONG r = reg.store.Mutate(hive, [&](RegHive& data, bool* changed) {
        created = *changed = data.CreateKey(full);
        return ERROR_SUCCESS;
    });
    if (r != ERROR_SUCCESS)
        return r;
    *result = reg.NewHandle(hive, std::move(full), samDesired);
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type, void* data,
                     DWORD* size) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    REGSAM access;
    if (LONG r = reg.ResolveHandle(key, &hive, &path, &access); r != ERROR_SUCCESS)
        return r;
    if (!(access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    reg.store.Load(hive, false);
    const RegHive::Value* v =
        reg.store.Data(hive).FindValue(path, valueName != nullptr ? valueName : "");
    if (v == nullptr)
        return ERROR_FILE_NOT_FOUND;
    std::size_t needed = v->data.size() + (v->type == REG_SZ ? 1 : 0);
    if (needed > 0xFFFFFFFFu)
        return ERROR_MORE_DATA;
    if (type != nullptr)
        *type = v->type;
    if (size == nullptr)
        return ERROR_SUCCESS;
    if (data == nullptr) {
        *size = static_cast<DWORD>(needed);
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = static_cast<DWORD>(needed);
        return ERROR_MORE_DATA;
    }
    if (!v->data.empty())
        std::memcpy(data, v->data.data(), v->data.size());
    if (v->type == REG_SZ)
        static_cast<BYTE*>(data)[v->data.size()] = 0;
    *size = static_cast<DWORD>(needed);
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type,
                   const void* data, DWORD size) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    if (!reg.ResolveValueWriter(key, &hive, &path))
        return ERROR_CANTWRITE;
    std::string name = valueName != nullptr ? valueName : "";
    if (!RegHive::ValidName(name) || (data == nullptr && size > 0))
        return ERROR_INVALID_PARAMETER;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    std::vector<BYTE> value;
    if (type == REG_SZ) {
        std::size_t n = size > 0 ? ::strnlen(reinterpret_cast<const char*>(bytes), size) : 0;
        value.assign(bytes, bytes + n);
    } else {
        if (type == REG_DWORD && size != 4)
            return ERROR_INVALID_PARAMETER;
        if (size > 0)
            value.assign(bytes, bytes + size);
    }
    return reg.store.Mutate(hive, [&](RegHive& hiveData, bool* changed) {
        const RegHive::Value* old = hiveData.FindValue(path, name);
        if (old != nullptr && old->type == type && old->data == value)
            return ERROR_SUCCESS;
        hiveData.SetValue(path, name, type, std::move(value));
        *changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string path;
    if (!reg.ResolveValueWriter(key, &hive, &path))
        return ERROR_CANTWRITE;
    std::string name = valueName != nullptr ? valueName : "";
    return reg.store.Mutate(hive, [&](RegHive& hiveData, bool* changed) {
        *changed = hiveData.DeleteValue(path, name);
        return *changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    int hive;
    std::string full;
    REGSAM access;
    if (LONG r =
            reg.ResolveSubKey(key, subKey, ERROR_INVALID_PARAMETER, true, &hive, &full, &access);
        r != ERROR_SUCCESS)
        return r;
    if (!(access & kWriteAccess) || !Registry::IsHiveWritable(RegStore::RootOfIndex(hive))) {
        return ERROR_ACCESS_DENIED;
    }
    return reg.store.Mutate(hive, [&](RegHive& data, bool* changed) {
        if (data.FindKey(full) == nullptr)
            return ERROR_FILE_NOT_FOUND;
        if (data.HasSubKeys(full))
            return ERROR_ACCESS_DENIED;
        *changed = data.DeleteKey(full);
        return ERROR_SUCCESS;
    });
}

LONG RegCloseKey(HKEY key) {
    RegistryImpl& reg = Impl();
    std::lock_guard<std::mutex> guard(reg.mu);
    return reg.CloseHandle(key);
}

}  // namespace platform
