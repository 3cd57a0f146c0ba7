#include "designer/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* line;
    DWORD caller;
    const char* startTemplate;
    const char* helpFile;
    bool full;
};

TEST(DesignerCommandLine, OptionsTable) {
    const Case cases[] = {
        // The space that ends -C's value does not hinder the number.
        {"designer -C1234 -Tc:\\t\\a.xml", 1234, "c:\\t\\a.xml", "", false},
        {"-A -C99", 99, "", "", true},
        {"-C99 -A", 99, "", "", true},
        // An empty -T value ends the parsing: -x is never looked at, nor -C.
        {"-T-x -C5", 0, "", "", false},
        // A lower-case letter is skipped and parsing goes on.
        {"-c5 -C7", 7, "", "", false},
        // A value runs to the next "-", spaces included.
        {"-H/usr/share/help file.chm", 0, "", "/usr/share/help file.chm", false},
        {"-Tname -Hhelp", 0, "name ", "help", false},
        // -C at the very end without a value ends the parsing.
        {"-A -C", 0, "", "", true},
        {"-H", 0, "", "", false},
        // No "-" at all: nothing is an option.
        {"template.xml", 0, "", "", false},
        {"-", 0, "", "", false},
        {"--C12", 12, "", "", false},
        // -C's number is range-checked: one that does not fit 32 bits is
        // refused like a malformed one (no caller), never wrapped (2^32 + 1
        // would be descriptor 1, standard output), and parsing goes on.
        {"-C4294967295", 4294967295u, "", "", false},
        {"-C4294967296", 0, "", "", false},
        {"-C4294967297 -A", 0, "", "", true},
        {"-C99999999999999999999999 -Tx", 0, "x", "", false},
        {"-Cx -A", 0, "", "", true},
        // Leading zeros do not count against the range.
        {"-C000000000000000000007", 7, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        DesignerCommandLine parsed = ParseDesignerCommandLine(c.line);
        EXPECT_EQ(parsed.callerHandle, c.caller);
        EXPECT_EQ(parsed.hasCaller, c.caller != 0);
        EXPECT_EQ(parsed.startTemplate, c.startTemplate);
        EXPECT_EQ(parsed.helpFile, c.helpFile);
        EXPECT_EQ(parsed.fullInformation, c.full);
    }
}

TEST(DesignerCommandLine, FileArgumentsExcludeOptionValues) {
    std::vector<std::string> args = {"-T", "/lib/a.xml", "b.xml", "-A", "/tmp/c.xml"};
    // "-T /lib/a.xml b.xml " is the value of -T; only the file after -A opens.
    DesignerCommandLine parsed = ParseDesignerCommandLine(JoinArguments(args));
    EXPECT_EQ(parsed.startTemplate, " /lib/a.xml b.xml ");
    EXPECT_EQ(FileArguments(args, parsed), std::vector<std::string>{"/tmp/c.xml"});

    std::vector<std::string> plain = {"/tmp/one.xml", "two.xml"};
    EXPECT_EQ(FileArguments(plain, ParseDesignerCommandLine(JoinArguments(plain))), plain);
}

}  // namespace
