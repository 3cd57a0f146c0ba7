#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/testing/temp_hives.h"

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

}  // namespace
