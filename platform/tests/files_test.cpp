#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/debug_output.h"
#include "platform/testing/temp_hives.h"
#include "platform/tests/fifo_guard.h"

namespace {

TEST(Files, PatternMatchesExtensionWithoutCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {{"*.pge", "Letter.pge", true},   {"*.pge", "Letter.PGE", true},
                 {"*.ZPL", "jpeg.zpl", true},     {"*.pge", "Letter.pgex", false},
                 {"*.pge", "Letter.pg", false},   {"*.pge", ".pge", true},
                 {"*.xml", "a.b.XML", true},      {"a?c*", "abcdef", true},
                 {"a?c*", "ac", false},           {"*", "", true},
                 {"*.tol", "Text.tol.bak", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name), c.match)
            << c.pattern << " vs " << c.name;
    }
}

TEST(Files, ListsMatchingFilesOnlyAndTestsPaths) {
    platform::TempHives temp;  // a private folder
    const std::string dir = temp.Dir();
    for (const char* name : {"b.pge", "A.PGE", "c.tol", "d.pge.txt"}) {
        std::ofstream(dir + "/" + name) << "x";
    }
    ::mkdir((dir + "/folder.pge").c_str(), 0755);

    EXPECT_EQ(platform::ListFiles(dir, "*.pge"), (std::vector<std::string>{"A.PGE", "b.pge"}));
    EXPECT_TRUE(platform::ListFiles(dir + "/missing", "*.pge").empty());

    EXPECT_TRUE(platform::FileExists(dir + "/c.tol"));
    EXPECT_FALSE(platform::FileExists(dir + "/none"));
    EXPECT_TRUE(platform::IsDirectory(dir + "/folder.pge"));
    EXPECT_FALSE(platform::IsDirectory(dir + "/c.tol"));

    EXPECT_FALSE(platform::IsReadOnly(dir + "/c.tol"));
    ::chmod((dir + "/c.tol").c_str(), 0444);
    EXPECT_TRUE(platform::IsReadOnly(dir + "/c.tol"));  // also when running as root
    EXPECT_FALSE(platform::IsReadOnly(dir + "/none"));
}

TEST(Files, SplitAndJoin) {
    auto parts = platform::SplitPath("/opt/corvantis/lib/Letter.pge");
    EXPECT_EQ(parts.folder, "/opt/corvantis/lib/");
    EXPECT_EQ(parts.name, "Letter.pge");
    parts = platform::SplitPath("Letter.pge");
    EXPECT_EQ(parts.folder, "");
    EXPECT_EQ(parts.name, "Letter.pge");
    parts = platform::SplitPath("/opt/dir/");
    EXPECT_EQ(parts.folder + parts.name, "/opt/dir/");
    EXPECT_EQ(parts.name, "");

    EXPECT_EQ(platform::JoinPath("/opt/dir", "a.pge"), "/opt/dir/a.pge");
    EXPECT_EQ(platform::JoinPath("/opt/dir/", "a.pge"), "/opt/dir/a.pge");
    EXPECT_EQ(platform::JoinPath("/opt/dir/", "/a.pge"), "/opt/dir/a.pge");
    EXPECT_EQ(platform::JoinPath("", "a.pge"), "a.pge");
}

TEST(Files, ReadingRefusesWhatIsNotARegularFileWithoutWaiting) {
    platform::TempHives temp;  // a private folder
    const std::string dir = temp.Dir();
    temp.WriteFile("plain.txt", "some text");
    ASSERT_TRUE(platform::MakeFifo(dir + "/fifo"));
    ::mkdir((dir + "/folder").c_str(), 0755);
    ASSERT_EQ(::symlink("fifo", (dir + "/link-to-fifo").c_str()), 0);
    struct Case {
        const char* name;
        platform::OpenStatus status;
        const char* message;  // in the debug output of ReadRegularFile
    } cases[] = {
        {"plain.txt", platform::OpenStatus::kOpened, ""},
        {"fifo", platform::OpenStatus::kNotRegular, "not a regular file"},
        {"link-to-fifo", platform::OpenStatus::kNotRegular, "not a regular file"},
        {"folder", platform::OpenStatus::kNotRegular, "not a regular file"},
        {"missing", platform::OpenStatus::kFailed, "No such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        int fd = -1;
        EXPECT_EQ(platform::ReadWithoutHanging(
                      path, [&] { return platform::OpenRegularFile(path, &fd); }),
                  c.status);
        EXPECT_EQ(fd >= 0, c.status == platform::OpenStatus::kOpened);
        if (fd >= 0)
            ::close(fd);
        platform::ScopedDebugCapture debug;
        std::string text = "old";
        const bool read = platform::ReadWithoutHanging(
            path, [&] { return platform::ReadRegularFile(path, &text, "test"); });
        EXPECT_EQ(read, c.status == platform::OpenStatus::kOpened);
        EXPECT_EQ(text, read ? "some text" : "");
        EXPECT_TRUE(debug.Contains(c.message)) << debug.text();
        EXPECT_EQ(debug.text().empty(), read) << debug.text();
    }
}

// Sets a file's modification time `seconds` into the past.
void Age(const std::string& path, int seconds) {
    const timespec times[2] = {{std::time(nullptr) - seconds, 0},
                               {std::time(nullptr) - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(Files, SavesRemoveOnlyStaleTemporariesOfTheirOwnPattern) {
    platform::TempHives temp;
    const std::string dir = temp.Dir();
    enum Kind { kFile, kLink, kFolder, kForeignOwner };
    struct Case {
        const char* name;
        Kind kind;
        int age;  // seconds
        bool removed;
    } cases[] = {
        {".Letter.xml.corvantis-tmp-4242-AbC123", kFile, 120, true},
        {".Other.xml.corvantis-tmp-7-zzzzzz", kFile, 3600, true},
        {".Letter.xml.corvantis-tmp-4242-XyZ789", kFile, 5, false},   // a save may be under way
        {".Letter.xml.tmp.AbC123", kFile, 120, false},                // someone else's
        {"Letter.xml.corvantis-tmp-4242-AbC123", kFile, 120, false},  // no leading dot
        {".Letter.xml.corvantis-tmp-4242-AbC12", kFile, 120, false},  // five random letters
        {".Letter.xml.corvantis-tmp-x-AbC123", kFile, 120, false},    // no process id
        {".Letter.xml.corvantis-tmp--AbC123", kFile, 120, false},
        {".corvantis-tmp-4242-AbC123", kFile, 120, false},  // no file name
        {".Link.xml.corvantis-tmp-4242-AbC123", kLink, 120, false},
        {".Dir.xml.corvantis-tmp-4242-AbC123", kFolder, 120, false},
        {".Theirs.xml.corvantis-tmp-4242-AbC123", kForeignOwner, 120, false},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        switch (c.kind) {
            case kFile:
            case kForeignOwner:
                temp.WriteFile(c.name, "partial");
                break;
            case kLink:
                ASSERT_EQ(::symlink("Letter.xml", path.c_str()), 0);
                break;
            case kFolder:
                ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
                break;
        }
        if (c.kind == kForeignOwner && (::geteuid() != 0 || ::chown(path.c_str(), 4242, 4242) != 0))
            ::unlink(path.c_str());  // only root can make a file of another user
        if (c.kind != kForeignOwner || platform::FileExists(path))
            Age(path, c.age);
    }

    ASSERT_EQ(platform::WriteFileAtomically(dir + "/Letter.xml", "<Template/>"), 0);
    EXPECT_EQ(temp.ReadFile("Letter.xml"), "<Template/>");
    for (const Case& c : cases) {
        struct stat st;
        const bool there = ::lstat((dir + "/" + c.name).c_str(), &st) == 0;
        if (c.kind == kForeignOwner && ::geteuid() != 0)
            continue;
        EXPECT_EQ(there, !c.removed) << c.name;
        EXPECT_EQ(platform::IsAtomicSaveTemporary(c.name),
                  c.removed || c.kind != kFile || c.age < 60)
            << c.name;
    }

    // A save leaves no temporary of its own, also when it fails (here the
    // target is a folder with something in it).
    auto temporaries = [&] {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            n += platform::IsAtomicSaveTemporary(entry.path().filename().string());
        return n;
    };
    const int before = temporaries();
    ::mkdir((dir + "/Busy.xml").c_str(), 0755);
    temp.WriteFile("Busy.xml/inside", "x");
    EXPECT_NE(platform::WriteFileAtomically(dir + "/Busy.xml", "text"), 0);
    ASSERT_EQ(platform::WriteFileAtomically(dir + "/Letter.xml", "<Template a=\"1\"/>"), 0);
    EXPECT_EQ(temporaries(), before);
}

TEST(Files, SavedFilesKeepTheModeOfTheFileTheyReplace) {
    platform::TempHives temp;
    const std::string path = temp.Dir() + "/Letter.xml";
    platform::AtomicSaveOptions fresh;
    fresh.newFileMode = 0640;
    fresh.applyUmask = false;
    ASSERT_EQ(platform::WriteFileAtomically(path, "one", fresh), 0);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ::chmod(path.c_str(), 0604);
    int kept = -1;
    platform::AtomicSaveOptions keep;
    keep.keepOpen = &kept;
    ASSERT_EQ(platform::WriteFileAtomically(path, "two", keep), 0);
    ASSERT_GE(kept, 0);
    struct stat held;
    ASSERT_EQ(::fstat(kept, &held), 0);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(held.st_ino, st.st_ino);  // the descriptor is the saved file's
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    ::close(kept);
    EXPECT_EQ(temp.ReadFile("Letter.xml"), "two");

    // A new file without a mode of its own gets the usual one under the umask.
    const mode_t previous = ::umask(027);
    ASSERT_EQ(platform::WriteFileAtomically(temp.Dir() + "/New.xml", "three"), 0);
    ::umask(previous);
    ASSERT_EQ(::stat((temp.Dir() + "/New.xml").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
