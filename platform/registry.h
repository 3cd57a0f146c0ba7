// The registry: two hives of keys and typed values, each kept in a text file
// in the ".reg" export format. HKEY_LOCAL_MACHINE holds the settings written
// at install for every user, HKEY_CURRENT_USER the user's own settings.
//
// The functions below follow the familiar Win32 calls so that callers read
// like their Windows counterparts: open or create a key to get a handle, query
// and set values through it, close it. Key paths use '\' between names; key
// and value names compare without regard to ASCII case and keep the spelling
// they were first written with.
//
// Every write takes an advisory lock beside the hive, re-reads the file,
// applies the one change and replaces the file atomically, so processes that
// share a hive never lose each other's values. See docs/registry.md; the
// in-memory form of one hive, RegHive, is in platform/registry_hive.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace platform {

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using LSTATUS = LONG;

inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});

// Result codes.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_CANTWRITE = 1013;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// RegCreateKeyEx options and dispositions.
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below `key` (a root or an open handle). A null or
// empty sub-key opens `key` itself again. Asking for write access in a hive
// the user may not write gives ERROR_ACCESS_DENIED. On failure *result is
// null (as it is for RegCreateKeyEx).
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM samDesired, HKEY* result);

// Opens the key, creating it and any missing parents first. Creating a key in
// a hive the user may not write, or opening one there with write access,
// gives ERROR_ACCESS_DENIED. `disposition` (may be null) tells whether the key
// was created or already there. `keyClass` and `security` are ignored.
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                    REGSAM samDesired, const void* security, HKEY* result, DWORD* disposition);

// Reads a value (a null or empty name is the key's default value). With no
// buffer the size alone is returned; a buffer smaller than the value gives
// ERROR_MORE_DATA with the size needed in *size. String values come back with
// their terminating zero, which the size includes. *size and *type are left
// alone when the value is not found.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, void* data,
                     DWORD* size);

// Writes a value. A REG_SZ value is the text up to the first zero byte within
// `size`; a REG_DWORD value must be exactly 4 bytes. Writing through a null
// handle, an unknown handle or a handle without KEY_SET_VALUE gives
// ERROR_CANTWRITE.
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const void* data,
                   DWORD size);

// Deletes a value; ERROR_FILE_NOT_FOUND when there is none.
LONG RegDeleteValue(HKEY key, const char* valueName);

// Deletes a key that has no sub-keys, with its values.
LONG RegDeleteKey(HKEY key, const char* subKey);

// Closes a handle. Closing a root is allowed and does nothing.
LONG RegCloseKey(HKEY key);

// Where the hives live and whether they may be written.
class Registry {
  public:
    // The hive file of a root, resolved from the environment now:
    // $CORVANTIS_MACHINE_REGISTRY or <prefix>/etc/corvantis/machine.reg for
    // the machine; $CORVANTIS_USER_REGISTRY, $XDG_CONFIG_HOME/corvantis/user.reg
    // or ~/.config/corvantis/user.reg for the user. Empty for another key.
    static std::string HivePath(HKEY root);
    // False when the hive's file exists without write permission, or its
    // folder (or the nearest existing parent folder) may not be written. The
    // permission bits count as well as access(), so a hive marked read-only
    // stays read-only for root too.
    static bool IsHiveWritable(HKEY root);
    // The root name used in the hive's file ("HKEY_CURRENT_USER").
    static const char* RootName(HKEY root);
};

}  // namespace platform
