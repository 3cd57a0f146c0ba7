// Small file-system helpers: listing a folder by a wildcard pattern, tests on
// a path, and splitting and joining paths. Paths use the native '/'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when `name` matches `pattern`, where '*' stands for any run of
// characters and '?' for one; letters compare without regard to ASCII case,
// so "*.pge" matches "Letter.PGE".
bool MatchesPattern(std::string_view pattern, std::string_view name);

// Names (not paths) of the regular files in `folder` that match `pattern`,
// sorted by byte value. Symbolic links to regular files count as files. An
// unreadable or missing folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern);

bool FileExists(const std::string& path);   // anything at the path, following links
bool IsDirectory(const std::string& path);  // a folder, following links
// True when the path exists and may not be written: no write permission bit
// at all (this holds for root too) or access() refuses writing.
bool IsReadOnly(const std::string& path);

struct PathParts {
    std::string folder;  // up to and including the last '/', or empty
    std::string name;    // the rest
};
// folder + name is always the path again.
PathParts SplitPath(std::string_view path);

// `folder` and `name` with exactly one '/' between them; an empty folder gives
// the name.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace platform
