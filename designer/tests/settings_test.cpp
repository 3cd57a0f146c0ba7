#include "designer/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "framework/plugin_managers.h"
#include "platform/testing/temp_hives.h"

namespace {

TEST(DesignerSettings, PlacementLayoutAndMinimisedRestore) {
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = kShowMinimized;
    p.left = 10;
    p.top = 20;
    p.right = 810;
    p.bottom = 620;
    std::vector<BYTE> bytes = EncodePlacement(p);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[0], 44);     // length field
    EXPECT_EQ(bytes[8], 2);      // show command
    EXPECT_EQ(bytes[12], 0xFF);  // minimised position -1
    EXPECT_EQ(bytes[28], 10);    // normal rectangle
    EXPECT_EQ(bytes[40] | bytes[41] << 8, 620);
    auto decoded = DecodePlacement(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, p);

    for (std::uint32_t minimised : {kShowMinimized, kMinimize}) {
        p.showCmd = minimised;
        EXPECT_EQ(PlacementToRestore(p).showCmd, kShowNormal);
    }
    p.showCmd = kShowMaximized;
    EXPECT_EQ(PlacementToRestore(p).showCmd, kShowMaximized);

    // Wrong size or length field: no placement.
    bytes.pop_back();
    EXPECT_FALSE(DecodePlacement(bytes));
    bytes = EncodePlacement(WindowPlacement{});
    bytes[0] = 40;
    EXPECT_FALSE(DecodePlacement(bytes));
}

TEST(DesignerSettings, GridDimLayout) {
    PaperSize grid(0.25, 0.125, UNIT_INCHES);
    std::vector<BYTE> bytes = EncodeGridDim(grid);
    ASSERT_EQ(bytes.size(), 24u);
    double w;
    std::memcpy(&w, bytes.data(), 8);
    EXPECT_DOUBLE_EQ(w, 635.0);
    EXPECT_EQ(bytes[16], 1);
    EXPECT_EQ(bytes[20] | bytes[21] | bytes[22] | bytes[23], 0);
    EXPECT_EQ(DecodeGridDim(bytes), grid);
    // A damaged grid step is refused rather than handed to the pages.
    double nan = std::nan("");
    std::memcpy(bytes.data(), &nan, 8);
    EXPECT_FALSE(DecodeGridDim(bytes));
    EXPECT_FALSE(DecodeGridDim(std::vector<BYTE>(16)));
}

TEST(DesignerSettings, EditingSettingsRoundTripThroughUserHive) {
    platform::TempHives hives;
    CPageStyleManager defaults;
    std::string printer;
    EditingSettings::Load(defaults, printer);
    // No "GridDim": 0.5 x 0.5 inches.
    EXPECT_DOUBLE_EQ(defaults.gridDim.width, 1270.0);
    EXPECT_DOUBLE_EQ(defaults.gridDim.height, 1270.0);
    EXPECT_EQ(defaults.gridDim.unit, UNIT_INCHES);
    EXPECT_EQ(printer, "");

    CPageStyleManager saved;
    saved.UseGrid = 1;
    saved.GridVisible = 1;
    saved.ShowMargin = 1;
    saved.toolManager.ShowZOrder = 1;
    saved.gridDim = PaperSize(5, 10, UNIT_MILLIMETERS);
    EditingSettings::Save(saved, "Office printer");

    std::string user = hives.ReadUser();
    EXPECT_NE(user.find("\"UseGrid\"=dword:00000001"), std::string::npos) << user;
    EXPECT_NE(user.find("\"GridDim\"=hex:"), std::string::npos) << user;
    EXPECT_NE(user.find("Template Designer"), std::string::npos);

    CPageStyleManager loaded;
    EditingSettings::Load(loaded, printer);
    EXPECT_EQ(loaded.UseGrid, 1u);
    EXPECT_EQ(loaded.GridVisible, 1u);
    EXPECT_EQ(loaded.UseMargin, 0u);
    EXPECT_EQ(loaded.ShowMargin, 1u);
    EXPECT_EQ(loaded.toolManager.ShowZOrder, 1u);
    EXPECT_EQ(loaded.gridDim, saved.gridDim);
    EXPECT_EQ(printer, "Office printer");
}

TEST(DesignerSettings, RecentTemplates) {
    platform::TempHives hives;
    std::array<std::string, kRecentCount> recent;
    for (const char* p : {"/a.xml", "/b.xml", "/c.xml", "/a.xml"})
        AddRecentTemplate(recent, p);
    EXPECT_EQ(recent[0], "/a.xml");
    EXPECT_EQ(recent[1], "/c.xml");
    EXPECT_EQ(recent[2], "/b.xml");
    EXPECT_EQ(recent[3], "");
    SaveRecentTemplates(recent);
    EXPECT_EQ(LoadRecentTemplates(), recent);
    // Every value is written, the empty ones too.
    EXPECT_NE(hives.ReadUser().find("\"MRU_Template_5\"=\"\""), std::string::npos);
}

}  // namespace
