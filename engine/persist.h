// CPersist: settings kept under one key of the current user's registry hive.
// Loads give the default when the value is missing or of another type; a set
// creates the key when it is missing.
#pragma once

#include <string>

#include "platform/types.h"

class CPersist {
  public:
    // `keyPath` below HKEY_CURRENT_USER, e.g. "Software\\ZYN Systems\\Corvantis".
    explicit CPersist(const char* keyPath);

    const std::string& GetKeyPath() const { return keyPath_; }

    std::string LoadStringA(const char* valueName, const char* defaultValue = "") const;
    int LoadInt(const char* valueName, int defaultValue = 0) const;
    DWORD LoadDWord(const char* valueName, DWORD defaultValue = 0) const;

    // TRUE when the value was written.
    BOOL SetString(const char* valueName, const char* value);
    BOOL SetInt(const char* valueName, int value);
    BOOL SetDWord(const char* valueName, DWORD value);

  private:
    bool LoadNumber(const char* valueName, DWORD* value) const;
    BOOL Set(const char* valueName, DWORD type, const void* data, DWORD size);

    std::string keyPath_;
};
