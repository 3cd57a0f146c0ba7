// Small file-system helpers: listing a folder by a wildcard pattern, tests on
// a path, splitting and joining paths, reading files that might not be
// regular files, and atomic saves. Paths use the native '/'.
#pragma once

#include <sys/stat.h>

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

// ---- reading ---------------------------------------------------------------
// Every file the system reads is opened this way, so that a path naming a
// FIFO or a device never makes the process wait for a writer or read
// without end: the open does not block, and anything but a regular file
// (after symbolic links) is closed again and refused.

enum class OpenStatus { kOpened, kNotRegular, kFailed };

// Opens `path` for reading. On kOpened *fd is the descriptor (the caller
// closes it) and *st (may be null) its status; on kFailed errno says why.
OpenStatus OpenRegularFile(const std::string& path, int* fd, struct stat* st = nullptr);

// Reads `fd` to its end into *text; false on a read error (errno says why).
bool ReadToEnd(int fd, std::string* text);

// Writes all of `text` to `fd`; false on a write error (errno says why; a
// write that makes no progress gives ENOSPC).
bool WriteAll(int fd, std::string_view text);

// The whole of the regular file at `path`. False when it cannot be opened or
// read, or is not a regular file; then a debug message "<who>: <path>: <why>"
// says so.
bool ReadRegularFile(const std::string& path, std::string* text, const char* who);

// ---- atomic saves ------------------------------------------------------------
// A save writes a temporary file beside the target, flushes it to disk and
// renames it over the target, so the target is always either the whole old
// or the whole new file. Temporaries are named
//     .<file name>.corvantis-tmp-<process id>-<6 letters or digits>
// (the file name cut to 100 bytes). A process killed during a save leaves
// its temporary behind; every save removes the stale ones in its folder (see
// RemoveStaleTemporaries), and the registry does so again whenever it reads
// a hive anew.

// Whether `fileName` (a name, not a path) has the form of a temporary above.
bool IsAtomicSaveTemporary(std::string_view fileName);

struct AtomicSaveOptions {
    // Permission bits of a new file; a file that is replaced keeps its own.
    mode_t newFileMode = 0666;
    // Whether the process's umask applies to newFileMode.
    bool applyUmask = true;
    // When set, receives the new file's descriptor, left open (the caller
    // closes it), instead of it being closed.
    int* keepOpen = nullptr;
};

// Saves `text` as the file `path` through a temporary beside it. 0 on
// success, else the errno value of the step that failed; then the file at
// `path` is as it was and the temporary is gone.
int WriteFileAtomically(const std::string& path, std::string_view text,
                        const AtomicSaveOptions& options = {});

// Removes the temporaries that saves left in `folder`: names of the form
// above, of regular files (not links) owned by this user and not changed
// for a minute. Anything else, however it is named, stays. Returns how many
// were removed.
int RemoveStaleTemporaries(const std::string& folder);

}  // namespace platform
