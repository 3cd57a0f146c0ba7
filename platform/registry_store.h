// The hive files behind the registry: reading a hive when its file has
// changed, moving a file that is not a hive aside, and writing a change back
// under the hive's advisory lock through a temporary file renamed over the
// hive. Private to platform/; the registry (platform/registry.cpp) calls it
// with its own mutex held, so the store itself holds no mutex.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "platform/registry.h"
#include "platform/registry_hive.h"

struct stat;

namespace platform {

class RegStore {
  public:
    // 0 for HKEY_CURRENT_USER, 1 for HKEY_LOCAL_MACHINE, -1 for another key.
    static int HiveIndex(HKEY root);
    static HKEY RootOfIndex(int index);
    // The folder of a path: "." when it has none, "/" for a file in the root.
    static std::string ParentFolder(const std::string& path);
    // Whether the hive file at `hivePath` may be written (see
    // Registry::IsHiveWritable).
    static bool PathWritable(const std::string& hivePath);

    // Brings the hive up to date with its file. With the lock held, a file
    // that cannot be read gives an error so that it is never overwritten.
    LONG Load(int index, bool locked);
    // Applies one change to the hive as it is on disk now and writes it back.
    // `change` returns a result code and sets `changed` when there is
    // something to write.
    LONG Mutate(int index, const std::function<LONG(RegHive&, bool*)>& change);
    // The hive as last loaded.
    const RegHive& Data(int index) const { return hives_[index].data; }

  private:
    struct FileId {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = -1;
        long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const FileId&) const = default;
    };
    static FileId IdOf(const struct stat& st);

    struct HiveState {
        std::string path;             // the file the contents below came from
        bool known = false;           // contents reflect the file as identified by `id`
        bool exists = false;          // the file was there
        bool corruptInPlace = false;  // not a hive, and it could not be moved aside
        bool hadBadLines = false;     // the last read skipped lines
        bool refused = false;         // not a regular file: read as empty, never written
        mode_t mode = 0;
        FileId id;
        // The file last read or written stays open so that its inode number
        // cannot be reused by a newer file, which keeps the change test sound.
        int heldFd = -1;
        RegHive data;

        // Closes the held file and clears everything known about it.
        void Forget();
    };

    LONG Refuse(int index, const struct stat& st, bool locked);
    bool MoveCorruptAside(int index, bool locked);
    LONG Commit(int index);

    HiveState hives_[2];
};

}  // namespace platform
