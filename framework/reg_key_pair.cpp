#include "framework/reg_key_pair.h"

using namespace platform;

namespace {

constexpr REGSAM kWriteAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

HKEY OpenReadOnly(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (root == nullptr || RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

HKEY CreateForWriting(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (root == nullptr || RegCreateKeyEx(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          kWriteAccess, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

RegKeyPair::RegKeyPair(const char* keyPath, HKEY primaryReadRoot, HKEY primaryWriteRoot,
                       HKEY secondaryReadRoot, HKEY secondaryWriteRoot)
    : keyPath_(keyPath != nullptr ? keyPath : "") {
    // The write keys first: a key that creating them brings into being can
    // then be opened for reading too, so a value written to it later in this
    // run is also found by the reads.
    primaryWrite_ = CreateForWriting(primaryWriteRoot, keyPath_.c_str());
    secondaryWrite_ = CreateForWriting(secondaryWriteRoot, keyPath_.c_str());
    primaryRead_ = OpenReadOnly(primaryReadRoot, keyPath_.c_str());
    secondaryRead_ = OpenReadOnly(secondaryReadRoot, keyPath_.c_str());
}

RegKeyPair::RegKeyPair(const RegKeyPair& parent, const char* subKeyPath)
    : keyPath_(subKeyPath != nullptr ? subKeyPath : "") {
    primaryWrite_ = CreateForWriting(parent.primaryWrite_, keyPath_.c_str());
    secondaryWrite_ = CreateForWriting(parent.secondaryWrite_, keyPath_.c_str());
    primaryRead_ = parent.primaryRead_ == parent.primaryWrite_
                       ? primaryWrite_
                       : OpenReadOnly(parent.primaryRead_, keyPath_.c_str());
    secondaryRead_ = parent.secondaryRead_ == parent.secondaryWrite_
                         ? secondaryWrite_
                         : OpenReadOnly(parent.secondaryRead_, keyPath_.c_str());
}

RegKeyPair::~RegKeyPair() {
    Close();
}

LONG RegKeyPair::ReadValue(const char* valueName, void* buffer, DWORD* size, DWORD* type) {
    LONG r = primaryRead_ != nullptr
                 ? RegQueryValueEx(primaryRead_, valueName, nullptr, type, buffer, size)
                 : ERROR_FILE_NOT_FOUND;
    if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) {
        r = secondaryRead_ != nullptr
                ? RegQueryValueEx(secondaryRead_, valueName, nullptr, type, buffer, size)
                : ERROR_FILE_NOT_FOUND;
    }
    if (r == ERROR_MORE_DATA && buffer == nullptr)
        r = ERROR_SUCCESS;
    return r;
}

std::optional<std::vector<BYTE>> RegKeyPair::ReadBinaryValue(const char* valueName) {
    DWORD size = 0;
    if (ReadValue(valueName, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> buffer(size);
    DWORD got = size;
    // An empty value still needs a buffer address to be read into.
    BYTE dummy = 0;
    if (ReadValue(valueName, size > 0 ? buffer.data() : &dummy, &got) != ERROR_SUCCESS ||
        got != size) {
        return std::nullopt;
    }
    return buffer;
}

LONG RegKeyPair::WriteBinaryValue(const char* valueName, const void* data, DWORD length) {
    return WriteValue(valueName, REG_BINARY, data, length);
}

LONG RegKeyPair::WriteValue(const char* valueName, DWORD type, const void* data, DWORD length) {
    LONG r = primaryWrite_ != nullptr
                 ? RegSetValueEx(primaryWrite_, valueName, 0, type, data, length)
                 : ERROR_CANTWRITE;
    if (secondaryWrite_ != nullptr) {
        if (r != ERROR_SUCCESS)
            return RegSetValueEx(secondaryWrite_, valueName, 0, type, data, length);
        RegDeleteValue(secondaryWrite_, valueName);
    }
    return r;
}

void RegKeyPair::Close() {
    if (primaryWrite_ != nullptr && primaryWrite_ != primaryRead_)
        RegCloseKey(primaryWrite_);
    if (secondaryWrite_ != nullptr && secondaryWrite_ != secondaryRead_) {
        RegCloseKey(secondaryWrite_);
    }
    if (primaryRead_ != nullptr)
        RegCloseKey(primaryRead_);
    if (secondaryRead_ != nullptr)
        RegCloseKey(secondaryRead_);
    primaryRead_ = secondaryRead_ = primaryWrite_ = secondaryWrite_ = nullptr;
}
