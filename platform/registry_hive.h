// The in-memory form of one registry hive and its ".reg" file text: parsing
// a hive file line by line and writing it back in tree order. The registry
// (platform/registry.h) keeps one of these for each hive file.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace platform {

class RegHiveParser;

// The contents of one hive: keys (by path below the hive's root) with their
// values, and its text in the ".reg" file format. Used by the registry to
// read and write hive files, and by tools and tests.
class RegHive {
  public:
    struct Value {
        std::string name;  // spelling as first written; empty for the default value
        DWORD type = REG_NONE;
        // The value's bytes. A REG_SZ value holds its text without the
        // terminating zero.
        std::vector<BYTE> data;
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::string path;  // spelling as first written; empty for the hive's root
        std::vector<Value> values;
        // Positions in `values` by lower-case name.
        std::unordered_map<std::string, std::size_t> index;
        bool operator==(const Key& other) const {
            return path == other.path && values == other.values;
        }
    };

    enum class ParseStatus { kHive, kNotAHive };

    RegHive();

    // Whether a key or value name may be stored: any byte but control
    // characters, which the file format cannot carry on one line.
    static bool ValidName(std::string_view name);
    // `in` as a key path with single '\' between non-empty names. False for a
    // path with a name that may not be stored.
    static bool NormalizePath(std::string_view in, std::string* out);

    // Reads the text of a hive file whose keys lie under `rootName` (for
    // example "HKEY_CURRENT_USER"). Every line that cannot be understood is
    // skipped and reported to the debug output with `fileName` and its line
    // number; `badLines` (may be null) receives their count. Text that does
    // not begin with the file header gives kNotAHive and an empty hive;
    // empty text is an empty hive.
    static ParseStatus Parse(std::string_view text, const std::string& fileName,
                             const std::string& rootName, RegHive* hive,
                             std::size_t* badLines = nullptr);

    // The hive as file text.
    std::string Write(const std::string& rootName) const;

    const Key* FindKey(std::string_view path) const;
    // Creates the key and its parents; false when it already existed.
    bool CreateKey(std::string_view path);
    // False when the key has sub-keys and was therefore kept, or is missing.
    bool DeleteKey(std::string_view path);
    bool HasSubKeys(std::string_view path) const;
    const Value* FindValue(std::string_view path, std::string_view name) const;
    // Sets a value, creating the key when needed.
    void SetValue(std::string_view path, std::string_view name, DWORD type, std::vector<BYTE> data);
    // False when there was no such value.
    bool DeleteValue(std::string_view path, std::string_view name);

    std::size_t KeyCount() const { return keys_.size(); }
    bool operator==(const RegHive& other) const { return keys_ == other.keys_; }

  private:
    friend class RegHiveParser;
    Key* FindKeyMutable(std::string_view path);
    static void SetValueIn(Key& key, std::string_view name, DWORD type, std::vector<BYTE> data);
    // Keys by their path in lower case; '\' sorts before every other
    // character so that a key is followed by its sub-keys.
    struct PathLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, Key, PathLess> keys_;
};

}  // namespace platform
