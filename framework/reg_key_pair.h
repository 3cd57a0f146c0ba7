// RegKeyPair: one key path in two registry hives. Reads look in a primary
// hive and fall back to a secondary one; writes go to a primary write hive
// and fall back to a secondary one. The Designer reads plug-in folders that
// the installer wrote for the machine before the user's own; the decoder's
// plug-in manager reads the user's values first and writes the machine's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/types.h"

class RegKeyPair {
  public:
    // Creates the key path (read, create-sub-key and set-value access) under
    // `primaryWriteRoot` and `secondaryWriteRoot`, then opens it read-only
    // under `primaryReadRoot` and `secondaryReadRoot`. A key that cannot be
    // created or opened stays null.
    RegKeyPair(const char* keyPath, platform::HKEY primaryReadRoot, platform::HKEY primaryWriteRoot,
               platform::HKEY secondaryReadRoot, platform::HKEY secondaryWriteRoot);
    // A sub-key of `parent`: both write keys are created under the parent's
    // write keys of the same level. A read key is the new write key of its
    // level when the parent's read and write keys of that level are the same
    // handle, and is otherwise opened read-only under the parent's read key.
    RegKeyPair(const RegKeyPair& parent, const char* subKeyPath);
    ~RegKeyPair();
    RegKeyPair(const RegKeyPair&) = delete;
    RegKeyPair& operator=(const RegKeyPair&) = delete;

    // Reads a value from the primary read key, and from the secondary one on
    // any error but ERROR_MORE_DATA. `size` is in and out: the buffer's size
    // on entry, the size the registry reported on return. With no buffer the
    // size alone is asked for and the more-data answer counts as success.
    LONG ReadValue(const char* valueName, void* buffer, DWORD* size, DWORD* type = nullptr);
    // The whole value in a buffer of exactly its size, or nothing.
    std::optional<std::vector<BYTE>> ReadBinaryValue(const char* valueName);
    // Writes a binary value to the primary write key (ERROR_CANTWRITE when
    // that key is missing). If that fails the secondary write key gets it
    // instead; if it succeeds, a copy under the secondary write key is deleted
    // so that an older value there cannot shadow the new one.
    LONG WriteBinaryValue(const char* valueName, const void* data, DWORD length);
    // The same rule for a value of any type.
    LONG WriteValue(const char* valueName, DWORD type, const void* data, DWORD length);

    // Closes both read keys, and each write key unless it is the same handle
    // as its level's read key. Called by the destructor; safe to repeat.
    void Close();

    platform::HKEY PrimaryReadKey() const { return primaryRead_; }
    platform::HKEY SecondaryReadKey() const { return secondaryRead_; }
    platform::HKEY PrimaryWriteKey() const { return primaryWrite_; }
    platform::HKEY SecondaryWriteKey() const { return secondaryWrite_; }
    const std::string& KeyPath() const { return keyPath_; }

  private:
    platform::HKEY primaryRead_ = nullptr;
    platform::HKEY secondaryRead_ = nullptr;
    platform::HKEY primaryWrite_ = nullptr;
    platform::HKEY secondaryWrite_ = nullptr;
    std::string keyPath_;
};
