// The golden-image helper: tolerance files, the comparison under a
// tolerance, and what a failed or updating check leaves on disk.
#include "platform/testing/golden_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/testing/temp_hives.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(GoldenImage, ToleranceFiles) {
    platform::TempHives dir;
    struct Case {
        const char* text;  // nullptr: no file
        bool ok;
        int channel;
        long long pixels;
    } cases[] = {
        {nullptr, true, 0, 0},
        {"", true, 0, 0},
        {"# fonts\nchannel 8\n\npixels 40\n", true, 8, 40},
        {"pixels 3\n", true, 0, 3},
        {"channel 255\n", true, 255, 0},
        {"channel 256\n", false, 0, 0},
        {"channel -1\n", false, 0, 0},
        {"pixels many\n", false, 0, 0},
        {"pixels 3 4\n", false, 0, 0},
        {"colour 3\n", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(no file)");
        const std::string path = dir.Dir() + "/case.tolerance";
        fs::remove(path);
        if (c.text != nullptr)
            Write(path, c.text);
        golden::Tolerance t;
        std::string error;
        EXPECT_EQ(golden::ReadTolerance(path, &t, &error), c.ok);
        EXPECT_EQ(error.empty(), c.ok) << error;
        if (c.ok) {
            EXPECT_EQ(t.channel, c.channel);
            EXPECT_EQ(t.pixels, c.pixels);
        }
    }
}

TEST(GoldenImage, CountsPixelsBeyondTheChannelTolerance) {
    platform::Bitmap expected(4, 3);
    expected.Fill(RGB(100, 100, 100));
    platform::Bitmap actual = expected.Clone();
    actual.SetPixel(0, 0, RGB(104, 100, 100));  // within 4
    actual.SetPixel(1, 0, RGB(100, 95, 100));   // 5 off
    actual.SetPixel(3, 2, RGB(100, 100, 0));    // 100 off
    struct {
        int channel;
        long long differing;
    } cases[] = {{0, 3}, {4, 2}, {5, 1}, {99, 1}, {100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.channel);
        golden::Comparison r = golden::Compare(actual, expected, c.channel);
        EXPECT_EQ(r.differing, c.differing);
        EXPECT_EQ(r.largest, 100);
        // Red beyond the tolerance, orange within it.
        EXPECT_EQ(r.difference.GetPixel(3, 2), c.channel < 100 ? RGB(255, 0, 0) : RGB(255, 160, 0));
        EXPECT_EQ(r.difference.GetPixel(2, 1), r.difference.GetPixel(0, 1));  // equal pixels
    }
    // An opaque image compares equal to the same pixels read back from PNG
    // (with alpha).
    platform::TempHives dir;
    ASSERT_TRUE(expected.SavePng(dir.Dir() + "/e.png"));
    platform::Bitmap loaded;
    ASSERT_TRUE(loaded.LoadPngFile(dir.Dir() + "/e.png"));
    EXPECT_EQ(golden::Compare(expected, loaded, 0).differing, 0);
}

TEST(GoldenImage, DifferingPixelsNamesTheirCountAndBounds) {
    platform::Bitmap a(8, 8), b(8, 8);
    a.Fill(RGB(255, 255, 255));
    b.Fill(RGB(255, 255, 255));
    EXPECT_EQ(golden::DifferingPixels(a, b), "");
    b.SetPixel(1, 2, RGB(0, 0, 0));
    b.SetPixel(4, 5, RGB(254, 255, 255));
    EXPECT_EQ(golden::DifferingPixels(a, b), "2 pixels in (1,2)-(5,6)");
}

TEST(GoldenImage, FailureLeavesTheActualAndDifferenceImagesAndUpdateRewrites) {
    platform::TempHives dir;
    const std::string refs = dir.Dir() + "/refs", out = dir.Dir() + "/out";
    fs::create_directories(refs);
    platform::Bitmap image(6, 6);
    image.Fill(RGB(10, 20, 30));
    ASSERT_TRUE(image.SavePng(refs + "/page.png"));
    ::unsetenv("CV_UPDATE_GOLDEN");
    EXPECT_TRUE(golden::MatchesGolden(image, refs, "page", out));

    platform::Bitmap changed = image.Clone();
    changed.SetPixel(2, 2, RGB(200, 20, 30));
    ::testing::AssertionResult r = golden::MatchesGolden(changed, refs, "page", out);
    EXPECT_FALSE(r);
    EXPECT_NE(std::string(r.message()).find(out + "/page.diff.png"), std::string::npos);
    platform::Bitmap diff, actual;
    ASSERT_TRUE(diff.LoadPngFile(out + "/page.diff.png"));
    ASSERT_TRUE(actual.LoadPngFile(out + "/page.actual.png"));
    EXPECT_EQ(diff.GetPixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(actual.GetPixel(2, 2), RGB(200, 20, 30));

    // One pixel allowed: passes, and the images of the last failure go.
    Write(refs + "/page.tolerance", "pixels 1\n");
    EXPECT_TRUE(golden::MatchesGolden(changed, refs, "page", out));
    EXPECT_FALSE(fs::exists(out + "/page.diff.png"));
    // Another size never passes; a broken tolerance file is a failure.
    EXPECT_FALSE(golden::MatchesGolden(platform::Bitmap(6, 7), refs, "page", out));
    Write(refs + "/page.tolerance", "pixels\n");
    EXPECT_FALSE(golden::MatchesGolden(image, refs, "page", out));
    fs::remove(refs + "/page.tolerance");

    ::setenv("CV_UPDATE_GOLDEN", "1", 1);
    EXPECT_TRUE(golden::MatchesGolden(changed, refs, "new", out));
    ::unsetenv("CV_UPDATE_GOLDEN");
    EXPECT_TRUE(golden::MatchesGolden(changed, refs, "new", out));
    EXPECT_FALSE(golden::MatchesGolden(changed, refs, "missing", out));
    EXPECT_EQ(golden::Cases(refs, ".xml"), (std::vector<std::string>{"new", "page"}));
}

}  // namespace
