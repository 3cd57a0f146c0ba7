#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/ascii.h"

namespace platform {

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    // Iterative wildcard match with one back-track point for the last '*'.
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || ascii::ToLower(pattern[p]) == ascii::ToLower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec))
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(pattern, name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(path.c_str(), W_OK) != 0;
}

PathParts SplitPath(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {std::string(), std::string(path)};
    return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1))};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/')
        out.push_back('/');
    while (!out.empty() && !name.empty() && name.front() == '/')
        name.remove_prefix(1);
    out.append(name);
    return out;
}

}  // namespace platform
