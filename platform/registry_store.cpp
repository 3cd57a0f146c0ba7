// The hive files: identity checks, locks, reading, moving damaged files
// aside and atomic writes.
#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/debug_output.h"
#include "platform/files.h"

namespace platform {
namespace {

bool FolderWritable(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The file that a write replaces: the target of a symbolic link, else the
// path itself.
std::string WriteTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string target = real;
    std::free(real);
    return target;
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string parent = RegStore::ParentFolder(folder);
    if (parent != folder && !MakeFolders(parent, mode))
        return false;
    return ::mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

// A name beside the hive for a copy kept aside, not yet in use.
std::string CorruptName(const std::string& path) {
    std::string name = path + ".corrupt";
    for (int i = 1; i < 1000 && FileExists(name); ++i) {
        name = path + ".corrupt." + std::to_string(i);
    }
    return name;
}

// Keeps the file's present text under `copy`: a hard link when the file
// system allows one, else a plain copy.
bool KeepCopy(const std::string& path, const std::string& copy) {
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, copy.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    std::string text;
    if (!ReadRegularFile(path, &text, "registry"))
        return false;
    int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    bool ok = WriteAll(out, text) && ::fsync(out) == 0;
    ::close(out);
    return ok;
}

class LockFile {
  public:
    // Takes the hive's advisory lock; errno tells why when it fails. A lock
    // path that is not a regular file (a FIFO would block the open) is
    // refused as access denied.
    explicit LockFile(const std::string& hivePath) {
        const std::string path = hivePath + ".lock";
        fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
        if (fd_ < 0)
            return;
        struct stat st;
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            DebugOutput::Printf("registry: %s: not a regular file; the hive is not written",
                                path.c_str());
            ::close(fd_);
            fd_ = -1;
            errno = EACCES;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~LockFile() {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

LONG ErrnoToResult(int err) {
    return (err == EACCES || err == EPERM || err == EROFS) ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
}

}  // namespace

RegStore::FileId RegStore::IdOf(const struct stat& st) {
    FileId id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeSec = st.st_mtim.tv_sec;
    id.mtimeNsec = st.st_mtim.tv_nsec;
    id.ctimeSec = st.st_ctim.tv_sec;
    id.ctimeNsec = st.st_ctim.tv_nsec;
    return id;
}

int RegStore::HiveIndex(HKEY root) {
    if (root == HKEY_CURRENT_USER)
        return 0;
    if (root == HKEY_LOCAL_MACHINE)
        return 1;
    return -1;
}

HKEY RegStore::RootOfIndex(int index) {
    return index == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string RegStore::ParentFolder(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool RegStore::PathWritable(const std::string& hivePath) {
    if (hivePath.empty())
        return false;
    std::string path = WriteTarget(hivePath);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsReadOnly(path))
            return false;
    }
    // The folder, or the nearest parent that exists when folders are missing.
    std::string folder = ParentFolder(path);
    while (::stat(folder.c_str(), &st) != 0 && errno == ENOENT && folder != "/" && folder != ".") {
        folder = ParentFolder(folder);
    }
    return FolderWritable(folder);
}

// ---------------------------------------------------------------------------
// Reading and writing

void RegStore::HiveState::Forget() {
    if (heldFd >= 0)
        ::close(heldFd);
    heldFd = -1;
    known = exists = corruptInPlace = hadBadLines = refused = false;
    id = FileId{};
    data = RegHive();
}

LONG RegStore::Load(int index, bool locked) {
    HiveState& h = hives_[index];
    std::string path = Registry::HivePath(RootOfIndex(index));
    if (path != h.path) {
        h.Forget();
        h.path = path;
    }
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        if (!(h.known && !h.exists && !h.refused))
            h.Forget();
        h.known = true;
        return ERROR_SUCCESS;
    }
    if (!S_ISREG(st.st_mode))
        return Refuse(index, st, locked);
    if (h.known && h.exists && IdOf(st) == h.id)
        return ERROR_SUCCESS;

    // Read anew: the temporaries that killed writers left beside the hive go
    // first.
    RemoveStaleTemporaries(ParentFolder(WriteTarget(path)));
    int fd = -1;
    const OpenStatus open = OpenRegularFile(path, &fd, &st);
    if (open == OpenStatus::kNotRegular)
        return Refuse(index, st, locked);
    std::string text;
    if (open != OpenStatus::kOpened || !ReadToEnd(fd, &text)) {
        int err = errno;
        if (fd >= 0)
            ::close(fd);
        DebugOutput::Printf("registry: %s: cannot be read (%s)", path.c_str(), std::strerror(err));
        h.Forget();
        return locked ? ErrnoToResult(err) : ERROR_SUCCESS;
    }
    h.Forget();
    std::size_t bad = 0;
    RegHive::ParseStatus status =
        RegHive::Parse(text, path, Registry::RootName(RootOfIndex(index)), &h.data, &bad);
    h.heldFd = fd;
    h.id = IdOf(st);
    h.mode = st.st_mode & 07777;
    h.known = h.exists = true;
    h.hadBadLines = bad > 0;
    if (status == RegHive::ParseStatus::kNotAHive) {
        h.corruptInPlace = true;
        MoveCorruptAside(index, locked);
    }
    return ERROR_SUCCESS;
}

// A hive path naming a FIFO, a device or a folder reads as empty and is never
// renamed or written; it is reported once for each state of the file.
LONG RegStore::Refuse(int index, const struct stat& st, bool locked) {
    HiveState& h = hives_[index];
    if (!(h.known && h.refused && h.id == IdOf(st))) {
        h.Forget();
        DebugOutput::Printf(
            "registry: %s: not a regular file; the hive reads as empty and is not written",
            h.path.c_str());
        h.id = IdOf(st);
        h.known = h.refused = true;
    }
    return locked ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

// A file that is not a hive at all is renamed aside, so that nothing is
// lost and the hive reads as empty. Done under the lock and only while
// the file is still the one that was read.
bool RegStore::MoveCorruptAside(int index, bool locked) {
    HiveState& h = hives_[index];
    std::optional<LockFile> lock;
    if (!locked) {
        lock.emplace(h.path);
        if (!lock->ok()) {
            DebugOutput::Printf(
                "registry: %s is not a registry hive; it is read as empty "
                "and left in place",
                h.path.c_str());
            return false;
        }
    }
    struct stat st;
    if (::stat(h.path.c_str(), &st) != 0 || st.st_dev != h.id.dev || st.st_ino != h.id.ino) {
        // Replaced meanwhile: read the new file next time.
        h.Forget();
        return true;
    }
    std::string aside = CorruptName(h.path);
    if (::rename(h.path.c_str(), aside.c_str()) != 0) {
        DebugOutput::Printf(
            "registry: %s is not a registry hive; it is read as empty and "
            "could not be moved aside (%s)",
            h.path.c_str(), std::strerror(errno));
        return false;
    }
    DebugOutput::Printf(
        "registry: %s is not a registry hive; it was moved to %s and the "
        "hive starts empty",
        h.path.c_str(), aside.c_str());
    h.Forget();
    h.known = true;  // the file is gone now
    return true;
}

LONG RegStore::Mutate(int index, const std::function<LONG(RegHive&, bool*)>& change) {
    HKEY root = RootOfIndex(index);
    std::string path = Registry::HivePath(root);
    if (path.empty())
        return ERROR_CANTWRITE;
    if (!PathWritable(path))
        return ERROR_ACCESS_DENIED;
    if (!MakeFolders(ParentFolder(path), index == 0 ? 0700 : 0755)) {
        return ErrnoToResult(errno);
    }
    LockFile lock(path);
    if (!lock.ok())
        return ErrnoToResult(errno);
    LONG r = Load(index, true);
    if (r != ERROR_SUCCESS)
        return r;
    HiveState& h = hives_[index];
    if (h.corruptInPlace && !MoveCorruptAside(index, true))
        return ERROR_CANTWRITE;

    bool changed = false;
    r = change(h.data, &changed);
    if (r != ERROR_SUCCESS || !changed)
        return r;
    r = Commit(index);
    if (r != ERROR_SUCCESS)
        h.Forget();  // memory now differs from the file
    return r;
}

LONG RegStore::Commit(int index) {
    HiveState& h = hives_[index];
    if (h.exists && h.hadBadLines) {
        // Lines that could not be read are dropped by this write; keep the
        // previous text beside the hive.
        std::string aside = CorruptName(h.path);
        if (KeepCopy(h.path, aside)) {
            DebugOutput::Printf(
                "registry: %s had lines that could not be read; its "
                "previous text is kept as %s",
                h.path.c_str(), aside.c_str());
        }
    }
    std::string text = h.data.Write(Registry::RootName(RootOfIndex(index)));
    // A hive that is a symbolic link is replaced at the link's target, so
    // the link stays.
    // An existing hive keeps its mode.
    int fd = -1;
    AtomicSaveOptions options;
    options.newFileMode = index == 0 ? 0600 : 0644;
    options.applyUmask = false;
    options.keepOpen = &fd;
    if (int err = WriteFileAtomically(WriteTarget(h.path), text, options); err != 0)
        return ErrnoToResult(err);
    struct stat st;
    if (h.heldFd >= 0)
        ::close(h.heldFd);
    h.heldFd = fd;
    if (::fstat(fd, &st) == 0) {
        h.id = IdOf(st);
        h.mode = st.st_mode & 07777;
        h.known = h.exists = true;
    } else {
        h.known = false;
    }
    h.hadBadLines = false;
    h.corruptInPlace = false;
    return ERROR_SUCCESS;
}

}  // namespace platform
