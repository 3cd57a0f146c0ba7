#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/ascii.h"
#include "platform/debug_output.h"

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

// ---- reading -----------------------------------------------------------------

OpenStatus OpenRegularFile(const std::string& path, int* fd, struct stat* st) {
    *fd = -1;
    const int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f < 0)
        return OpenStatus::kFailed;
    struct stat own;
    struct stat* info = st != nullptr ? st : &own;
    if (::fstat(f, info) != 0) {
        const int err = errno;
        ::close(f);
        errno = err;
        return OpenStatus::kFailed;
    }
    if (!S_ISREG(info->st_mode)) {
        ::close(f);
        return OpenStatus::kNotRegular;
    }
    *fd = f;
    return OpenStatus::kOpened;
}

bool ReadToEnd(int fd, std::string* text) {
    text->clear();
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        text->append(buf, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ReadRegularFile(const std::string& path, std::string* text, const char* who) {
    text->clear();
    int fd = -1;
    switch (OpenRegularFile(path, &fd)) {
        case OpenStatus::kNotRegular:
            DebugOutput::Printf("%s: %s: not a regular file", who, path.c_str());
            return false;
        case OpenStatus::kFailed:
            DebugOutput::Printf("%s: %s: %s", who, path.c_str(), std::strerror(errno));
            return false;
        case OpenStatus::kOpened:
            break;
    }
    const bool ok = ReadToEnd(fd, text);
    const int err = errno;
    ::close(fd);
    if (!ok) {
        DebugOutput::Printf("%s: %s: %s", who, path.c_str(), std::strerror(err));
        text->clear();
    }
    return ok;
}

// ---- atomic saves ----------------------------------------------------------------

namespace {

constexpr std::string_view kTempMarker = ".corvantis-tmp-";
constexpr std::size_t kTempNameBytes = 100;  // of the target's name, in the temporary's
constexpr std::size_t kTempRandom = 6;       // mkstemp's letters and digits
constexpr time_t kStaleSeconds = 60;

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The process's file creation mask. Read from /proc where the kernel tells
// it, since setting and restoring it would change it for a moment for every
// thread that creates files meanwhile.
mode_t ProcessUmask() {
    std::string status;
    int fd = -1;
    if (OpenRegularFile("/proc/self/status", &fd) == OpenStatus::kOpened) {
        ReadToEnd(fd, &status);
        ::close(fd);
    }
    const std::size_t at = status.find("\nUmask:");
    if (at != std::string::npos)
        return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8) & 0777);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t ModeForSave(const std::string& path, const AtomicSaveOptions& options) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    mode_t mode = options.newFileMode;
    if (options.applyUmask)
        mode &= ~ProcessUmask();
    return mode;
}

}  // namespace

bool IsAtomicSaveTemporary(std::string_view name) {
    // .<name>.corvantis-tmp-<digits>-<6 letters or digits>
    if (name.size() < 1 + kTempMarker.size() + 1 + 1 + kTempRandom || name[0] != '.')
        return false;
    std::string_view rest = name.substr(0, name.size() - kTempRandom);
    if (!std::all_of(name.end() - kTempRandom, name.end(), IsAlnum) || rest.back() != '-')
        return false;
    rest.remove_suffix(1);
    std::size_t digits = 0;
    while (digits < rest.size() && rest[rest.size() - 1 - digits] >= '0' &&
           rest[rest.size() - 1 - digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || digits > 10)
        return false;
    rest.remove_suffix(digits);
    return rest.size() > kTempMarker.size() && rest.ends_with(kTempMarker);
}

int RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return 0;
    const int dfd = ::dirfd(dir);
    const uid_t me = ::geteuid();
    const time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsAtomicSaveTemporary(entry->d_name))
            continue;
        struct stat st;
        if (::fstatat(dfd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != me || now - st.st_mtime < kStaleSeconds) {
            continue;
        }
        if (::unlinkat(dfd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

int WriteFileAtomically(const std::string& path, std::string_view text,
                        const AtomicSaveOptions& options) {
    if (options.keepOpen != nullptr)
        *options.keepOpen = -1;
    const PathParts parts = SplitPath(path);
    if (parts.name.empty())
        return EISDIR;
    RemoveStaleTemporaries(parts.folder);
    std::string temp = parts.folder + "." + parts.name.substr(0, kTempNameBytes) +
                       std::string(kTempMarker) + std::to_string(::getpid()) + "-" +
                       std::string(kTempRandom, 'X');
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    if (!WriteAll(fd, text)) {
        err = errno;
    } else if (::fchmod(fd, ModeForSave(path, options)) != 0 || ::fsync(fd) != 0) {
        err = errno;
    }
    // The file is closed before the rename unless the caller keeps it open.
    bool open = true;
    if (err == 0 && options.keepOpen == nullptr) {
        open = false;
        if (::close(fd) != 0)
            err = errno;
    }
    if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        if (open)
            ::close(fd);
        ::unlink(temp.c_str());
        return err;
    }
    if (options.keepOpen != nullptr)
        *options.keepOpen = fd;
    return 0;
}

}  // namespace platform
