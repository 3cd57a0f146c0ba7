#include "framework/reg_key_pair.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "framework/designer_keys.h"
#include "platform/testing/temp_hives.h"

namespace {

using namespace platform;

using designer_keys::kKey;

std::string Hive(const char* root, const std::string& body) {
    return std::string("Windows Registry Editor Version 5.00\n\n[") + root + "\\" + kKey + "]\n" +
           body;
}

// The Designer's roots: machine first, then user.
RegKeyPair DesignerPair() {
    return RegKeyPair(kKey, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
                      HKEY_CURRENT_USER);
}

std::string ReadText(RegKeyPair& pair, const char* name, LONG* result) {
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    *result = pair.ReadValue(name, buffer, &size);
    return *result == ERROR_SUCCESS ? std::string(buffer) : std::string();
}

TEST(RegKeyPair, ReadsFallThroughToTheSecondaryHive) {
    TempHives hives;
    hives.WriteMachine(Hive("HKEY_LOCAL_MACHINE", "\"PageDir\"=\"/opt/machine/pagestyles\"\n"));
    hives.WriteUser(Hive("HKEY_CURRENT_USER",
                         "\"PageDir\"=\"/home/user/newer\"\n\"TemplateDir\"=\"/home/user/tpl\"\n"));
    RegKeyPair pair(kKey, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
                    HKEY_CURRENT_USER);
    LONG r = 0;
    // Only in the user's hive: found there.
    EXPECT_EQ(ReadText(pair, "TemplateDir", &r), "/home/user/tpl");
    EXPECT_EQ(r, ERROR_SUCCESS);
    // In both: the machine's wins, although the user's was written later.
    EXPECT_EQ(ReadText(pair, "PageDir", &r), "/opt/machine/pagestyles");
    // In neither.
    EXPECT_EQ(ReadText(pair, "ToolDir", &r), "");
    EXPECT_EQ(r, ERROR_FILE_NOT_FOUND);

    // No machine key at all: reads fall through as well.
    TempHives userOnly;
    userOnly.WriteUser(Hive("HKEY_CURRENT_USER", "\"PageDir\"=\"/home/user/only\"\n"));
    RegKeyPair fallback = DesignerPair();
    EXPECT_EQ(ReadText(fallback, "PageDir", &r), "/home/user/only");
}

TEST(RegKeyPair, ValueLongerThanTheBufferDoesNotFallThrough) {
    TempHives hives;
    hives.WriteMachine(Hive("HKEY_LOCAL_MACHINE", "\"PageDir\"=\"/a/rather/long/folder\"\n"));
    hives.WriteUser(Hive("HKEY_CURRENT_USER", "\"PageDir\"=\"/s\"\n"));
    RegKeyPair pair = DesignerPair();

    char buffer[8] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(pair.ReadValue("PageDir", buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 22u);  // the machine's value with its zero, not the user's "/s"
    EXPECT_EQ(buffer[0], '\0');

    // A size query answers with success and the size.
    size = 0;
    EXPECT_EQ(pair.ReadValue("PageDir", nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 22u);
}

TEST(RegKeyPair, WriteGoesToThePrimaryHiveAndRemovesTheSecondaryCopy) {
    // The plug-in manager's roots: read user then machine, write machine then user.
    const char* kRoot = "Software\\ZYN Systems\\PlugIns";
    const BYTE fresh[] = {1, 2, 3, 4, 5};
    {
        TempHives hives;
        hives.WriteUser(
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\ZYN Systems\\PlugIns\\InfoCache\\IDP]\n"
            "\"/opt/JPEG.ZPL\"=hex:09,09\n");
        RegKeyPair root(kRoot, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE,
                        HKEY_CURRENT_USER);
        RegKeyPair cache(root, "InfoCache\\IDP");
        ASSERT_NE(cache.PrimaryWriteKey(), nullptr);
        ASSERT_NE(cache.SecondaryWriteKey(), nullptr);
        // Before the write, the user's older copy is what reads see.
        auto before = cache.ReadBinaryValue("/opt/JPEG.ZPL");
        ASSERT_TRUE(before.has_value());
        EXPECT_EQ(*before, (std::vector<BYTE>{9, 9}));

        EXPECT_EQ(cache.WriteBinaryValue("/opt/JPEG.ZPL", fresh, sizeof fresh), ERROR_SUCCESS);
        EXPECT_NE(hives.ReadMachine().find("\"/opt/JPEG.ZPL\"=hex:01,02,03,04,05"),
                  std::string::npos);
        EXPECT_EQ(hives.ReadUser().find("JPEG.ZPL"), std::string::npos) << hives.ReadUser();
        // The machine's key only came into being with this pair; its reads
        // still find the new copy there.
        auto after = cache.ReadBinaryValue("/opt/JPEG.ZPL");
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(*after, std::vector<BYTE>(fresh, fresh + sizeof fresh));
        EXPECT_FALSE(cache.ReadBinaryValue("/opt/none.ZPL").has_value());
    }
    {
        // The machine hive may not be written: its write key stays null and
        // the value goes to the user's hive instead.
        TempHives hives;
        hives.WriteMachine("Windows Registry Editor Version 5.00\n");
        ::chmod(hives.MachinePath().c_str(), 0444);
        RegKeyPair root(kRoot, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE,
                        HKEY_CURRENT_USER);
        EXPECT_EQ(root.PrimaryWriteKey(), nullptr);
        EXPECT_EQ(root.SecondaryReadKey(), nullptr);
        RegKeyPair cache(root, "InfoCache\\IDP");
        EXPECT_EQ(cache.PrimaryWriteKey(), nullptr);
        EXPECT_EQ(cache.WriteBinaryValue("/opt/PNG.ZPL", fresh, sizeof fresh), ERROR_SUCCESS);
        EXPECT_NE(hives.ReadUser().find("\"/opt/PNG.ZPL\"=hex:01,02,03,04,05"), std::string::npos);
        EXPECT_EQ(hives.ReadMachine(), "Windows Registry Editor Version 5.00\n");
        auto read = cache.ReadBinaryValue("/opt/PNG.ZPL");
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->size(), sizeof fresh);

        // With no write key at all the write fails with 1013.
        RegKeyPair nowhere(kRoot, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE,
                           nullptr);
        EXPECT_EQ(nowhere.WriteBinaryValue("x", fresh, 1), ERROR_CANTWRITE);
        nowhere.Close();
        nowhere.Close();  // closing twice is harmless
        EXPECT_EQ(nowhere.PrimaryReadKey(), nullptr);
    }
}

}  // namespace
