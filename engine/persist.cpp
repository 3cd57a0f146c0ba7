#include "engine/persist.h"

#include <cstring>
#include <vector>

#include "platform/registry.h"

using namespace platform;

CPersist::CPersist(const char* keyPath) : keyPath_(keyPath != nullptr ? keyPath : "") {}

std::string CPersist::LoadStringA(const char* valueName, const char* defaultValue) const {
    std::string fallback = defaultValue != nullptr ? defaultValue : "";
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return fallback;
    }
    // The value may change between the size query and the read; ask again
    // when it grew.
    std::string result = fallback;
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueEx(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            break;
        }
        std::vector<char> buffer(size + 1, '\0');
        LONG r = RegQueryValueEx(key, valueName, nullptr, &type, buffer.data(), &size);
        if (r == ERROR_MORE_DATA)
            continue;
        if (r == ERROR_SUCCESS && type == REG_SZ)
            result.assign(buffer.data());
        break;
    }
    RegCloseKey(key);
    return result;
}

bool CPersist::LoadNumber(const char* valueName, DWORD* value) const {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0, size = sizeof(DWORD), data = 0;
    LONG r = RegQueryValueEx(key, valueName, nullptr, &type, &data, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(DWORD))
        return false;
    *value = data;
    return true;
}

int CPersist::LoadInt(const char* valueName, int defaultValue) const {
    DWORD value = 0;
    return LoadNumber(valueName, &value) ? static_cast<int>(value) : defaultValue;
}

DWORD CPersist::LoadDWord(const char* valueName, DWORD defaultValue) const {
    DWORD value = 0;
    return LoadNumber(valueName, &value) ? value : defaultValue;
}

BOOL CPersist::Set(const char* valueName, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return FALSE;
    }
    LONG r = RegSetValueEx(key, valueName, 0, type, data, size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL CPersist::SetString(const char* valueName, const char* value) {
    const char* text = value != nullptr ? value : "";
    return Set(valueName, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

BOOL CPersist::SetInt(const char* valueName, int value) {
    DWORD data = static_cast<DWORD>(value);
    return Set(valueName, REG_DWORD, &data, sizeof data);
}

BOOL CPersist::SetDWord(const char* valueName, DWORD value) {
    return Set(valueName, REG_DWORD, &value, sizeof value);
}
