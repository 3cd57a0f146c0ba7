#include "engine/persist.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/testing/temp_hives.h"

namespace {

const char* const kKey = "Software\\ZYN Systems\\Corvantis\\Template Designer";

TEST(CPersist, MissingValuesGiveTheDefaultsWithoutCreatingAnything) {
    platform::TempHives hives;
    CPersist persist(kKey);
    EXPECT_EQ(persist.LoadStringA("SavedFaceName", "Arial"), "Arial");
    EXPECT_EQ(persist.LoadInt("SavedSize", 12), 12);
    EXPECT_EQ(persist.LoadDWord("SavedColor", 0x123456), 0x123456u);
    EXPECT_FALSE(platform::FileExists(hives.UserPath()));
}

TEST(CPersist, ValuesRoundTripThroughTheUserHive) {
    platform::TempHives hives;
    {
        CPersist persist(kKey);
        EXPECT_TRUE(persist.SetString("SavedFaceName", "Liberation Sans"));
        EXPECT_TRUE(persist.SetString("SavedStyleName", ""));
        EXPECT_TRUE(persist.SetInt("SavedWeight", -700));
        EXPECT_TRUE(persist.SetDWord("SavedColor", 0xFFFFFFFFu));
        EXPECT_TRUE(persist.SetInt("CustomColor3", 0x00FF8040));
        EXPECT_TRUE(persist.SetString("Long", std::string(5000, 'x').c_str()));
    }
    CPersist persist(kKey);
    EXPECT_EQ(persist.LoadStringA("SavedFaceName", "Arial"), "Liberation Sans");
    EXPECT_EQ(persist.LoadStringA("SavedStyleName", "x"), "");
    EXPECT_EQ(persist.LoadInt("SavedWeight", 400), -700);
    EXPECT_EQ(persist.LoadDWord("SavedColor", 0), 0xFFFFFFFFu);
    EXPECT_EQ(persist.LoadDWord("CustomColor3", 0), 0x00FF8040u);  // written with SetInt
    EXPECT_EQ(persist.LoadStringA("Long", ""), std::string(5000, 'x'));
    // A value of another type counts as missing.
    EXPECT_EQ(persist.LoadInt("SavedFaceName", 12), 12);
    EXPECT_EQ(persist.LoadStringA("SavedWeight", "none"), "none");

    EXPECT_NE(hives.ReadUser().find("[HKEY_CURRENT_USER\\Software\\ZYN Systems\\Corvantis\\"
                                    "Template Designer]"),
              std::string::npos);
    EXPECT_NE(hives.ReadUser().find("\"SavedColor\"=dword:ffffffff"), std::string::npos);
}

}  // namespace
