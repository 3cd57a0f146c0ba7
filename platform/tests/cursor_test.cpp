#include "platform/cursor.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <vector>

#include "platform/headless_host.h"

using namespace platform;

namespace {

// A small PNG made on the spot: 3 x 2 pixels, one of them red.
std::vector<unsigned char> SmallPng() {
    Bitmap image(3, 2, true);
    image.SetPixel(2, 1, RGB(255, 0, 0));
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(
        image.surface(),
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    return bytes;
}

}  // namespace

TEST(Cursor, StandardCursorsAreSharedAndImageCursorsCarryTheirPicture) {
    EXPECT_EQ(LoadCursor(IDC_SIZEALL), LoadCursor(IDC_SIZEALL));
    EXPECT_NE(LoadCursor(IDC_SIZEALL), LoadCursor(IDC_ARROW));
    EXPECT_TRUE(LoadCursor(IDC_NO)->IsStandard());
    EXPECT_EQ(LoadCursor(IDC_WAIT)->shape(), StandardCursor::Wait);
    EXPECT_FALSE(DestroyCursor(LoadCursor(IDC_ARROW)));  // never freed

    const std::vector<unsigned char> png = SmallPng();
    HCURSOR c = CreateCursorFromPng(png.data(), png.size(), Point(1, 1));
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->IsStandard());
    ASSERT_NE(c->image(), nullptr);
    EXPECT_EQ(c->image()->Width(), 3);
    EXPECT_EQ(c->image()->GetPixel(2, 1), RGB(255, 0, 0));
    EXPECT_EQ(c->hotSpot(), Point(1, 1));
    EXPECT_TRUE(DestroyCursor(c));

    // Data that is not a PNG gives no cursor.
    const unsigned char junk[] = {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CreateCursorFromPng(junk, sizeof junk), nullptr);
    EXPECT_EQ(CreateIconFromPng(nullptr, 0), nullptr);
    EXPECT_EQ(CreateIconFromImage(Bitmap()), nullptr);
}

TEST(Cursor, SetCursorShowsThroughTheActiveHost) {
    HeadlessHost host(50, 50);
    host.MouseMove(10, 10);  // makes this host's manager the active one
    HCURSOR wait = LoadCursor(IDC_WAIT);
    SetCursor(wait);
    EXPECT_EQ(host.cursor(), wait);
    EXPECT_EQ(GetCursor(), wait);
    SetCursor(nullptr);  // null shows the arrow
    EXPECT_EQ(host.cursor(), LoadCursor(IDC_ARROW));
}
