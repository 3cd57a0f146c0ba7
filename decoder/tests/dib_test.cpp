#include "decoder/dib.h"
#include "platform/dc.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Raw pixel value at (x, y), y counted from the top: palette index, 16-bit
// word, or 0xRRGGBB / 0xXXRRGGBB for 24 and 32 bits.
std::uint32_t Pixel(const DIB* d, int x, int y) {
    const BYTE* r = d->RowFromTop(y);
    switch (d->BitCount()) {
        case 1:
            return (r[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return (r[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        case 8:
            return r[x];
        case 16:
            return r[2 * x] | (r[2 * x + 1] << 8);
        case 24:
            return r[3 * x] | (r[3 * x + 1] << 8) | (r[3 * x + 2] << 16);
        default:
            return r[4 * x] | (r[4 * x + 1] << 8) | (r[4 * x + 2] << 16) |
                   (std::uint32_t(r[4 * x + 3]) << 24);
    }
}

void SetPixel(DIB* d, int x, int y, std::uint32_t v) {
    BYTE* r = d->RowFromTop(y);
    switch (d->BitCount()) {
        case 1:
            r[x / 8] = BYTE((r[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
            break;
        case 4:
            r[x / 2] = BYTE(x % 2 ? (r[x / 2] & 0xF0) | (v & 15) : (r[x / 2] & 0x0F) | (v << 4));
            break;
        case 8:
            r[x] = BYTE(v);
            break;
        case 16:
            r[2 * x] = BYTE(v), r[2 * x + 1] = BYTE(v >> 8);
            break;
        case 24:
            r[3 * x] = BYTE(v), r[3 * x + 1] = BYTE(v >> 8), r[3 * x + 2] = BYTE(v >> 16);
            break;
        default:
            std::memcpy(r + 4 * x, &v, 4);
            break;
    }
}

DIBPtr Make(int w, int h, int bits, const std::function<std::uint32_t(int, int)>& f, int colors = 0,
            const RGBQUAD* palette = nullptr) {
    DIBPtr d(DIB::Create(w, h, bits, colors, palette));
    EXPECT_TRUE(d);
    if (!d)
        return d;
    for (int y = 0; y < d->Height(); ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(d.get(), x, y, f(x, y));
    return d;
}

std::vector<RGBQUAD> GreyRamp() {
    std::vector<RGBQUAD> p(256);
    for (int i = 0; i < 256; ++i)
        p[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    return p;
}

std::vector<BYTE> Bytes(const DIB* d) {
    return std::vector<BYTE>(d->pixels, d->pixels + d->Stride() * d->Height());
}

// ---------------------------------------------------------------------------

TEST(Dib, CreateAlwaysBacksTheColourTableTheHeaderImplies) {
    DIBPtr d(DIB::Create(5, -3, 4));  // no palette given: 16 black entries
    ASSERT_TRUE(d);
    EXPECT_EQ(d->header->biSize, 40u);
    EXPECT_EQ(d->header->biPlanes, 1);
    EXPECT_EQ(d->header->biCompression, 0u);
    EXPECT_EQ(d->ColorCount(), 16);
    EXPECT_TRUE(d->IsTopDown());
    EXPECT_EQ(d->Height(), 3);
    EXPECT_EQ(d->Stride(), 4u);
    EXPECT_TRUE(d->HasGreyPalette());

    RGBQUAD two[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    DIBPtr p(DIB::Create(3, 1, 8, 2, two));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ColorCount(), 2);
    EXPECT_EQ(p->Colors()[1].rgbRed, 6);
    EXPECT_FALSE(p->HasGreyPalette());
    auto pal = DIB::MakePalette(p.get());
    ASSERT_TRUE(pal);
    EXPECT_EQ(pal->version, 0x300);
    ASSERT_EQ(pal->entries.size(), 2u);
    EXPECT_EQ(pal->entries[1].peRed, 6);
    EXPECT_EQ(pal->entries[1].peBlue, 4);
    DIBPtr rgb(DIB::Create(3, 1, 24));
    EXPECT_FALSE(DIB::MakePalette(rgb.get()));

    for (auto [w, h, bits] :
         {std::tuple{0, 1, 24}, {1, 0, 24}, {4, 4, 2}, {INT_MAX, INT_MAX, 32}, {1, INT_MIN, 8}}) {
        EXPECT_EQ(DIB::Create(w, h, bits), nullptr) << w << "x" << h << "x" << bits;
    }
}

HGLOBAL PackedBlock(int w, int h, int bits, DWORD clrUsed, std::size_t tableEntries,
                    std::size_t extra = 0) {
    std::size_t stride = DIB::StrideFor(w, bits);
    std::size_t size = 40 + 4 * tableEntries + stride * std::abs(h) + extra;
    HGLOBAL g = GlobalAlloc(GHND, size);
    auto* p = static_cast<BITMAPINFOHEADER*>(GlobalLock(g));
    p->biSize = 40;
    p->biWidth = w;
    p->biHeight = h;
    p->biPlanes = 1;
    p->biBitCount = WORD(bits);
    p->biClrUsed = clrUsed;
    GlobalUnlock(g);
    return g;
}

TEST(Dib, WrapFindsPixelsAfterTheCountedColourTable) {
    struct Case {
        int bits;
        DWORD clrUsed;
        std::size_t entries;
    } cases[] = {{4, 0, 16}, {8, 3, 3}, {8, 1000, 256}, {24, 0, 0}, {1, 0, 2}};
    for (const Case& c : cases) {
        HGLOBAL g = PackedBlock(6, 2, c.bits, c.clrUsed, c.entries);
        DIB* d = DIB::Wrap(g);
        ASSERT_NE(d, nullptr) << c.bits;
        EXPECT_EQ(d->block, g);
        EXPECT_EQ(d->pixels, reinterpret_cast<BYTE*>(d->header) + 40 + 4 * c.entries);
        EXPECT_FALSE(d->ownsHeader || d->ownsPixels);
        DIB::Destroy(d);  // unlocks and frees the block
        EXPECT_EQ(GlobalSize(g), 0u);
    }
}

TEST(Dib, WrapRefusesBlocksThatDoNotHoldWhatTheirHeaderAnnounces) {
    auto patch = [](HGLOBAL g, const std::function<void(BITMAPINFOHEADER*)>& f) {
        f(static_cast<BITMAPINFOHEADER*>(GlobalLock(g)));
        GlobalUnlock(g);
        return g;
    };
    HGLOBAL blocks[] = {
        PackedBlock(100, 100, 24, 0, 0, 0),  // made too small below
        patch(PackedBlock(4, 4, 24, 0, 0), [](auto* h) { h->biSize = 124; }),
        patch(PackedBlock(4, 4, 8, 0, 256), [](auto* h) { h->biCompression = 1; }),
        patch(PackedBlock(4, 4, 8, 0, 256), [](auto* h) { h->biBitCount = 2; }),
        patch(PackedBlock(4, 4, 8, 0, 256), [](auto* h) { h->biWidth = -4; }),
        patch(PackedBlock(4, 4, 8, 0, 256), [](auto* h) { h->biHeight = 0x7FFFFFFF; }),
        patch(PackedBlock(4, 4, 8, 0, 4), [](auto* h) { h->biClrUsed = 0; }),  // 256 implied
        GlobalAlloc(GHND, 39),
    };
    // The first block claims 100 x 100 pixels but holds only one row.
    HGLOBAL shortBlock = GlobalAlloc(GHND, 40 + 300);
    std::memcpy(GlobalLock(shortBlock), GlobalLock(blocks[0]), 40);
    GlobalUnlock(shortBlock);
    GlobalUnlock(blocks[0]);
    GlobalFree(blocks[0]);
    blocks[0] = shortBlock;
    for (HGLOBAL g : blocks) {
        EXPECT_EQ(DIB::Wrap(g), nullptr);
        EXPECT_NE(GlobalSize(g), 0u);  // still the caller's
        EXPECT_EQ(GlobalFree(g), nullptr);
    }
    EXPECT_EQ(DIB::Wrap(nullptr), nullptr);
}

TEST(Dib, PackWritesBottomUpRowsAndTheDocumentedHeader) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 3, 2);
    auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
    const int stride = cairo_image_surface_get_stride(s) / 4;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            data[y * stride + x] = 0xFF000000u | (x << 16) | (y << 8) | 7;
    cairo_surface_mark_dirty(s);
    HGLOBAL g = DIB::Pack(s);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(GlobalSize(g), 40u + 12 * 2);
    DIBPtr d(DIB::Wrap(g));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->BitCount(), 24);
    EXPECT_EQ(d->header->biHeight, 2);  // bottom-up
    EXPECT_EQ(d->header->biCompression, 0u);
    EXPECT_EQ(d->pixels[0], 7);  // bottom row first: y = 1
    EXPECT_EQ(d->pixels[1], 1);
    EXPECT_EQ(d->pixels[9], 0);  // row padding
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(d.get(), x, y), std::uint32_t(x << 16 | y << 8 | 7));

    // And back: the drawable copy has the same pixels, top row first.
    cairo_surface_t* back = DIB::MakeDrawable(d.get());
    ASSERT_NE(back, nullptr);
    auto* bd = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(back));
    const int bstride = cairo_image_surface_get_stride(back) / 4;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bd[y * bstride + x] & 0xFFFFFF, data[y * stride + x] & 0xFFFFFF);
    cairo_surface_destroy(back);
    cairo_surface_destroy(s);

    // A1: the first pixel of a word is its lowest bit on this platform; the
    // packed row has it in the highest bit of the first byte.
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, 10, 1);
    auto* mw = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(mask));
    mw[0] = 0;
    for (int x : {0, 3, 9})
        mw[0] |= 1u << x;  // pixels 0, 3 and 9 set
    cairo_surface_mark_dirty(mask);
    DIBPtr m(DIB::Wrap(DIB::Pack(mask)));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->BitCount(), 1);
    EXPECT_EQ(m->ColorCount(), 2);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(Pixel(m.get(), x, 0), (x == 0 || x == 3 || x == 9) ? 1u : 0u);
    cairo_surface_destroy(mask);
    EXPECT_EQ(DIB::Pack(nullptr), nullptr);
}

TEST(Dib, DcBitmapsPackAndComeBack) {
    platform::Bitmap bitmap(4, 3);
    bitmap.Fill(RGB(10, 20, 30));
    bitmap.SetPixel(0, 0, RGB(200, 100, 50));
    DIBPtr d(DIB::Wrap(DIB::Pack(bitmap)));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->BitCount(), 24);
    EXPECT_EQ(Pixel(d.get(), 0, 0), 0xC86432u);  // red 200 in the high byte
    EXPECT_EQ(Pixel(d.get(), 3, 2), 0x0A141Eu);
    platform::Bitmap back;
    ASSERT_TRUE(DIB::MakeDrawable(d.get(), &back));
    EXPECT_EQ(back.Width(), 4);
    EXPECT_EQ(back.Height(), 3);
    EXPECT_EQ(back.GetPixel(0, 0), RGB(200, 100, 50));
    EXPECT_EQ(back.GetPixel(2, 1), RGB(10, 20, 30));
}

TEST(Dib, MakeDrawableConvertsThroughThePaletteAnd555) {
    RGBQUAD pal[16] = {};
    pal[5] = {10, 20, 30, 0};
    DIBPtr d4 = Make(
        3, 2, 4, [](int x, int) { return x == 1 ? 5u : 0u; }, 16, pal);
    DIBPtr d16 = Make(2, 1, 16, [](int x, int) { return x ? (31u << 10) | 16u : 1u << 5; });
    cairo_surface_t* s4 = DIB::MakeDrawable(d4.get());
    cairo_surface_t* s16 = DIB::MakeDrawable(d16.get());
    ASSERT_TRUE(s4 && s16);
    auto px = [](cairo_surface_t* s, int x, int y) {
        auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<std::uint32_t*>(row)[x] & 0xFFFFFF;
    };
    EXPECT_EQ(px(s4, 1, 0), 0x1E140Au);
    EXPECT_EQ(px(s4, 0, 1), 0u);
    EXPECT_EQ(px(s16, 0, 0), 8u << 8);                                // (255 + 16) / 31 = 8
    EXPECT_EQ(px(s16, 1, 0), (255u << 16) | ((16 * 255 + 16) / 31));  // 132
    cairo_surface_destroy(s4);
    cairo_surface_destroy(s16);
}

TEST(Dib, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    } cases[] = {{1, 1, 2, 1},       {3, 1, 2, 2},        {-3, 1, 2, -2},
                 {2, 4096, 3, 2731}, {3, 4096, 7, 1755},  {400, 4096, 4000, 410},
                 {5, 5, 0, -1},      {INT_MAX, 2, 1, -1}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                 {7, -2, -3, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
}

TEST(Dib, ResultsKeepTheSourceRowOrder) {
    // Top-down source: the top row is red, the rest blue.
    DIBPtr src = Make(8, -8, 24, [](int, int y) { return y == 0 ? 0xFF0000u : 0x0000FFu; });
    ASSERT_TRUE(src && src->IsTopDown());
    EXPECT_EQ(src->pixels[2], 0xFF);  // memory row 0 is the top row
    DIBPtr results[] = {
        DIBPtr(DIB::Resample(src.get(), 8, 4, 0)),  DIBPtr(DIB::Resample(src.get(), 8, 4, 3)),
        DIBPtr(DIB::Resample(src.get(), 8, 16, 0)), DIBPtr(DIB::Crop(src.get(), 0, 0, 4, 4)),
        DIBPtr(DIB::Rotate(src.get(), 180)),
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(results[i]);
        EXPECT_TRUE(results[i]->IsTopDown());
        const int redRow = i == 4 ? results[i]->Height() - 1 : 0;
        EXPECT_GE(Pixel(results[i].get(), 3, redRow) >> 16, 0x7Fu);
        EXPECT_EQ(Pixel(results[i].get(), 3, results[i]->Height() / 2) >> 16, 0u);
    }
}

// ---------------------------------------------------------------------------
// Area averaging

// The sum of a 4 x 4 block of channel c (0 blue, 1 green, 2 red), computed in
// two stages exactly as the shrink must: rows first (weights 1024, the first
// target row without rounding), then columns.
int BlockAverage(const std::function<int(int, int)>& v, int tx, int memRow) {
    int vertical[4];
    for (int i = 0; i < 4; ++i) {
        int s = memRow == 0 ? 0 : 2048;
        for (int k = 0; k < 4; ++k)
            s += 1024 * v(4 * tx + i, 4 * memRow + k);
        vertical[i] = s >> 12;
    }
    int s = tx == 0 ? 0 : 2048;
    for (int i = 0; i < 4; ++i)
        s += 1024 * vertical[i];
    return s >> 12;
}

TEST(DibResample, ShrinkBy4AveragesBlocksAndKeepsUniformSourcesUniform) {
    // Memory rows are what the rows are averaged over; build the source in
    // memory order so the expectation is simple to state.
    auto blue = [](int x, int y) { return (x * 7 + y * 13) % 256; };
    auto green = [](int x, int y) { return (x ^ y) & 255; };
    DIBPtr src(DIB::Create(400, 300, 24));
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            BYTE* p = src->pixels + y * src->Stride() + 3 * x;
            p[0] = BYTE(blue(x, y)), p[1] = BYTE(green(x, y)), p[2] = 200;
        }
    for (int mode : {0, 1}) {
        DIBPtr dst(DIB::Resample(src.get(), 100, 75, mode));
        ASSERT_TRUE(dst);
        EXPECT_EQ(dst->BitCount(), 24);
        EXPECT_EQ(dst->Width(), 100);
        EXPECT_EQ(dst->Height(), 75);
        if (mode == 1) {
            DIBPtr plain(DIB::Resample(src.get(), 100, 75, 0));
            DIB::Sharpen(plain.get());
            EXPECT_EQ(Bytes(dst.get()), Bytes(plain.get()));  // mode 1 = mode 0, then sharpened
            continue;
        }
        for (int y = 0; y < 75; ++y)
            for (int x = 0; x < 100; ++x) {
                const BYTE* p = dst->pixels + y * dst->Stride() + 3 * x;
                ASSERT_EQ(p[0], BlockAverage(blue, x, y)) << x << "," << y;
                ASSERT_EQ(p[1], BlockAverage(green, x, y)) << x << "," << y;
                ASSERT_EQ(p[2], 200);
            }
    }
    DIBPtr uniform = Make(400, 300, 24, [](int, int) { return 0x4D9A21u; });
    for (int mode : {0, 1}) {
        DIBPtr dst(DIB::Resample(uniform.get(), 100, 75, mode));
        ASSERT_TRUE(dst);
        for (int y = 0; y < 75; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_EQ(Pixel(dst.get(), x, y), 0x4D9A21u);
    }
}

TEST(DibResample, StraddlingPixelsAreSplitAndOnlyLaterPixelsRounded) {
    // 3 -> 2: each source pixel carries MulDiv(2, 4096, 3) = 2731 units.
    // Target 0 = (2731 * 0 + 1365 * 255) >> 12 = 84 (no rounding term);
    // target 1 = (2048 + 1366 * 255 + 2730 * 90) >> 12 = 145.
    const BYTE values[3] = {0, 255, 90};
    DIBPtr src = Make(
        3, 1, 8, [&](int x, int) { return values[x]; }, 256, GreyRamp().data());
    DIBPtr dst(DIB::Resample(src.get(), 2, 1, 0));
    ASSERT_TRUE(dst);
    EXPECT_EQ(dst->BitCount(), 8);
    EXPECT_EQ(Pixel(dst.get(), 0, 0), 84u);
    EXPECT_EQ(Pixel(dst.get(), 1, 0), 145u);

    // The same along rows.
    DIBPtr col = Make(
        1, 3, 8, [&](int, int y) { return values[2 - y]; }, 256, GreyRamp().data());
    DIBPtr dcol(DIB::Resample(col.get(), 1, 2, 0));
    ASSERT_TRUE(dcol);
    EXPECT_EQ(dcol->pixels[0], 84);
    EXPECT_EQ(dcol->pixels[dcol->Stride()], 145);

    // 7 -> 3: MulDiv(3, 4096, 7) = 1755 units per pixel fall 3 units short
    // of filling the last target; it must still be filled, not left black.
    DIBPtr seven = Make(7, 7, 24, [](int, int) { return 0xC8C8C8u; });
    DIBPtr three(DIB::Resample(seven.get(), 3, 3, 0));
    ASSERT_TRUE(three);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Pixel(three.get(), x, y), 0xC8C8C8u) << x << "," << y;
}

TEST(DibResample, PaletteAndDeepSourcesExpandToGreyOr24Bits) {
    // A grey palette that is not the identity: the table's green is used.
    std::vector<RGBQUAD> grey(256);
    for (int i = 0; i < 256; ++i)
        grey[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
    std::vector<RGBQUAD> colour = GreyRamp();
    colour[9] = RGBQUAD{1, 2, 3, 0};
    struct Case {
        int bits;
        std::vector<RGBQUAD> palette;
        std::uint32_t pixel;
        int outBits;
        std::uint32_t out;
    } cases[] = {
        {8, grey, 55, 8, 200},
        {8, colour, 9, 24, 0x030201},
        {4, {{0, 0, 0, 0}, {70, 70, 70, 0}}, 1, 8, 70},  // 2 entries; grey
        {1, {{0, 0, 0, 0}, {9, 8, 7, 0}}, 1, 24, 0x070809},
        {16, {}, (31u << 10) | (1u << 5) | 16u, 24, 0xFF0884},  // 255, 8, 132
        {32, {}, 0xAA112233, 24, 0x112233},
        {8, {{5, 5, 5, 0}}, 200, 8, 0},  // index beyond the table reads black
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        DIBPtr src = Make(
            8, 8, c.bits, [&](int, int) { return c.pixel; }, int(c.palette.size()),
            c.palette.empty() ? nullptr : c.palette.data());
        for (int mode : {0, 2}) {
            DIBPtr dst(DIB::Resample(src.get(), 4, 4, mode));
            ASSERT_TRUE(dst);
            ASSERT_EQ(dst->BitCount(), c.outBits);
            if (c.outBits == 8) {
                ASSERT_EQ(dst->ColorCount(), 256);
                EXPECT_TRUE(dst->HasGreyPalette());
                EXPECT_EQ(dst->Colors()[77].rgbRed, 77);
            }
            if (mode == 0) {
                EXPECT_EQ(Pixel(dst.get(), 1, 2), c.out);
            }
        }
    }
}

TEST(DibResample, SharpenClampsAndLeavesTheBorderAlone) {
    struct Case {
        int centre, edge, corner;
        int expected;
    } cases[] = {
        {255, 0, 0, 255},    // 7140 > 4080
        {0, 255, 255, 0},    // negative
        {100, 90, 80, 110},  // 2800 - 720 - 320 = 1760 -> (1767) >> 4
        {50, 50, 50, 50},    // flat stays flat
        {17, 16, 20, 17},    // 476 - 128 - 80 = 268 -> 275 >> 4
    };
    for (const Case& c : cases) {
        DIBPtr d = Make(
            3, 3, 8,
            [&](int x, int y) {
                bool cx = x == 1, cy = y == 1;
                return std::uint32_t(cx && cy ? c.centre : (cx || cy) ? c.edge : c.corner);
            },
            256, GreyRamp().data());
        ASSERT_TRUE(DIB::Sharpen(d.get()));
        EXPECT_EQ(Pixel(d.get(), 1, 1), std::uint32_t(c.expected)) << c.centre;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                if (x != 1 || y != 1) {
                    EXPECT_EQ(Pixel(d.get(), x, y),
                              std::uint32_t((x == 1 || y == 1) ? c.edge : c.corner));
                }
    }
    // 24 bits: each channel on its own, with the unsharpened neighbours.
    DIBPtr rgb =
        Make(4, 4, 24, [](int x, int y) { return (x == 1 && y == 1) ? 0x00FF10u : 0x100010u; });
    ASSERT_TRUE(DIB::Sharpen(rgb.get()));
    EXPECT_EQ(Pixel(rgb.get(), 1, 1), 0x00FF10u);  // red clamps at 0, green at 255
    // Neighbour (2, 1) sees the original centre: green 28*0 - 2*255 < 0 -> 0.
    EXPECT_EQ(Pixel(rgb.get(), 2, 1) & 0x00FF00u, 0u);
    EXPECT_EQ(Pixel(rgb.get(), 0, 1), 0x100010u);
    EXPECT_EQ(Pixel(rgb.get(), 3, 1), 0x100010u);
}

// ---------------------------------------------------------------------------
// Filtered resampling

TEST(DibResample, FiltersMatchTheirFormulas) {
    struct Case {
        int filter;
        double x, value, support;
    } cases[] = {
        {0, 0.5, 1.0, 0.5},
        {0, -0.5, 0.0, 0.5},
        {1, 0.25, 0.75, 1.0},
        {2, 0.5, 0.5, 1.0},
        {2, -0.25, 2 * 0.015625 - 3 * 0.0625 + 1, 1.0},
        {3, 0.0, 0.75, 1.5},
        {3, 1.0, 0.125, 1.5},
        {4, 0.0, 2.0 / 3, 2.0},
        {4, 1.0, 1.0 / 6, 2.0},
        {5, 0.0, 1.0, 3.0},
        {5, 1.0, 0.0, 3.0},
        {5, 1.5, std::sin(1.5 * M_PI) / (1.5 * M_PI) * std::sin(0.5 * M_PI) / (0.5 * M_PI), 3.0},
        {6, 0.0, 16.0 / 18, 2.0},
        {6, 1.0, 1.0 / 18, 2.0},
        {6, 2.0, 0.0, 2.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(DIBFilterValue(c.filter, c.x), c.value, 1e-12) << c.filter << " at " << c.x;
        EXPECT_EQ(DIBFilterSupport(c.filter), c.support);
    }
    EXPECT_EQ(DIBFilterSupport(7), 0.0);
}

// An independent, straightforward rendition of the filtered resampling rule.
std::vector<int> ReferenceFiltered(const std::vector<int>& src, int sw, int sh, int tw, int th) {
    auto hermite = [](double x) {
        x = std::fabs(x);
        return x < 1 ? 2 * x * x * x - 3 * x * x + 1 : 0.0;
    };
    auto weights = [&](int n, int m, int i, std::vector<std::pair<int, int>>& out) {
        out.clear();
        float scale = float(m) / float(n);
        float center = float(i) / scale;
        double support = scale < 1 ? 1.0 / scale : 1.0;
        for (int j = int(std::ceil(center - support)); j <= int(std::floor(center + support));
             ++j) {
            double x = double(center) - j;
            double w = scale < 1 ? hermite(x * double(scale)) * scale : hermite(x);
            int jj = j < 0 ? -j : j >= n ? 2 * n - j - 1 : j;
            out.push_back({jj, int(w * 65536)});
        }
    };
    auto clamp = [](long long s) {
        return int(std::min<long long>(255, std::max<long long>(0, s / 65536)));
    };
    std::vector<int> tmp(size_t(tw) * sh), out(size_t(tw) * th);
    std::vector<std::pair<int, int>> c;
    for (int x = 0; x < tw; ++x) {
        weights(sw, tw, x, c);
        for (int y = 0; y < sh; ++y) {
            long long s = 0;
            for (auto [j, w] : c)
                s += (long long)w * src[size_t(y) * sw + j];
            tmp[size_t(y) * tw + x] = clamp(s);
        }
    }
    for (int y = 0; y < th; ++y) {
        weights(sh, th, y, c);
        for (int x = 0; x < tw; ++x) {
            long long s = 0;
            for (auto [j, w] : c)
                s += (long long)w * tmp[size_t(j) * tw + x];
            out[size_t(y) * tw + x] = clamp(s);
        }
    }
    return out;
}

TEST(DibResample, EnlargingUsesTheHermiteFilterInEveryMode) {
    std::vector<int> v(100 * 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            v[y * 100 + x] = (x * 37 + y * 91 + (x * y) % 17) % 256;
    DIBPtr src(DIB::Create(100, 100, 8, 256, GreyRamp().data()));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            src->pixels[y * src->Stride() + x] = BYTE(v[y * 100 + x]);
    const std::vector<int> expected = ReferenceFiltered(v, 100, 100, 150, 150);
    for (int mode : {0, 1, 2, 3}) {
        DIBPtr dst(DIB::Resample(src.get(), 150, 150, mode));
        ASSERT_TRUE(dst);
        ASSERT_EQ(dst->BitCount(), 8);
        int mismatches = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 150; ++x)
                mismatches += dst->pixels[y * dst->Stride() + x] != expected[y * 150 + x];
        EXPECT_EQ(mismatches, 0) << "mode " << mode;
    }
    // Mode 2 shrinks with the widened filter, mirrored at both edges; an
    // enlargement in one direction only is filtered too.
    for (auto [tw, th, mode] : {std::tuple{37, 23, 2}, {60, 130, 0}}) {
        const std::vector<int> e = ReferenceFiltered(v, 100, 100, tw, th);
        DIBPtr dst(DIB::Resample(src.get(), tw, th, mode));
        ASSERT_TRUE(dst);
        int mismatches = 0;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x)
                mismatches += dst->pixels[y * dst->Stride() + x] != e[y * tw + x];
        EXPECT_EQ(mismatches, 0) << tw << "x" << th;
    }
}

TEST(DibResample, RefusesBadRequestsWithoutAllocating) {
    DIBPtr tiny = Make(1, 1, 24, [](int, int) { return 0x123456u; });
    DIBPtr grey = Make(
        1, 1, 8, [](int, int) { return 3u; }, 256, GreyRamp().data());
    EXPECT_EQ(DIB::Resample(tiny.get(), 30000, 30000, 2), nullptr);  // 2.7e9 bytes
    EXPECT_EQ(DIB::Resample(grey.get(), 50000, 50000, 0), nullptr);  // 2.5e9 bytes
    EXPECT_EQ(DIB::Resample(tiny.get(), 0, 5, 0), nullptr);
    EXPECT_EQ(DIB::Resample(tiny.get(), 1, 1, 4), nullptr);
    EXPECT_EQ(DIB::Resample(nullptr, 1, 1, 0), nullptr);
    // Enlarging a 1-pixel source mirrors every tap onto that pixel; the
    // truncated weights may lose a step in each pass.
    DIBPtr big(DIB::Resample(tiny.get(), 5, 3, 0));
    ASSERT_TRUE(big);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c) {
                const int v = (Pixel(big.get(), x, y) >> (8 * c)) & 255;
                const int want = (0x123456 >> (8 * c)) & 255;
                EXPECT_TRUE(v <= want && v >= want - 2) << x << "," << y << " " << v;
            }
}

// ---------------------------------------------------------------------------
// Nearest neighbour

TEST(DibResample, NearestNeighbourPicksTheDocumentedColumnsAtEveryDepth) {
    // 10 -> 4 columns: max(0, ceil(c * 10 / 4) - 1) = 0, 2, 4, 7.
    // 5 -> 2 rows: MulDiv(r, 5, 2) = 0, 3 (memory rows).
    const int cols[4] = {0, 2, 4, 7};
    const int rows[2] = {0, 3};
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        auto value = [bits](int x, int y) -> std::uint32_t {
            if (bits == 1)
                return (x == 2 || x == 7) != (y == 3);
            if (bits == 4)
                return std::uint32_t(x + y) & 15;
            return std::uint32_t(x * 1000 + y * 10 + 1) & (bits == 8 ? 0xFF : 0xFFFFFFFF);
        };
        RGBQUAD pal[2] = {{1, 1, 1, 0}, {2, 200, 2, 0}};
        DIBPtr src = Make(
            10, 5, bits, [&](int x, int y) { return value(x, 4 - y); }, bits == 1 ? 2 : 0,
            bits == 1 ? pal : nullptr);
        DIBPtr dst(DIB::Resample(src.get(), 4, 2, 3));
        ASSERT_TRUE(dst);
        ASSERT_EQ(dst->BitCount(), bits);
        EXPECT_EQ(dst->ColorCount(), src->ColorCount());
        if (bits == 1) {
            EXPECT_EQ(dst->Colors()[1].rgbGreen, 200);
        }
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c)  // memory row r is row (1 - r) from the top
                EXPECT_EQ(Pixel(dst.get(), c, 1 - r), value(cols[c], rows[r])) << c << "," << r;
    }
}

// ---------------------------------------------------------------------------
// Quarter turns and cropping

TEST(DibRotate, QuarterTurnsMoveTheCornersAsDocumented) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        auto label = [bits](int x, int y) -> std::uint32_t {
            if (bits == 1)
                return x == 0 && y == 0;
            if (bits == 4)
                return std::uint32_t(1 + x + 3 * y);
            const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
            return std::uint32_t(1 + x + 3 * y) * 0x010101u & mask;
        };
        DIBPtr src = Make(3, 2, bits, label);
        DIBPtr r90(DIB::Rotate(src.get(), 90));
        DIBPtr r270(DIB::Rotate(src.get(), -90));
        DIBPtr r180(DIB::Rotate(src.get(), 180));
        DIBPtr r0(DIB::Rotate(src.get(), 360));
        DIBPtr r450(DIB::Rotate(src.get(), 450));
        ASSERT_TRUE(r90 && r270 && r180 && r0 && r450);
        EXPECT_EQ(r90->Width(), 2);
        EXPECT_EQ(r90->Height(), 3);
        EXPECT_EQ(Pixel(r90.get(), 1, 0), label(0, 0));   // top-left -> top-right
        EXPECT_EQ(Pixel(r270.get(), 0, 2), label(0, 0));  // top-left -> bottom-left
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(Pixel(r90.get(), 1 - y, x), label(x, y));
                EXPECT_EQ(Pixel(r450.get(), 1 - y, x), label(x, y));
                EXPECT_EQ(Pixel(r270.get(), y, 2 - x), label(x, y));
                EXPECT_EQ(Pixel(r180.get(), 2 - x, 1 - y), label(x, y));
                EXPECT_EQ(Pixel(r0.get(), x, y), label(x, y));
            }
        EXPECT_EQ(DIB::Rotate(src.get(), 45), nullptr);
        EXPECT_EQ(DIB::Rotate(src.get(), INT_MIN + 1), nullptr);
    }
}

TEST(DibRotate, LargeBitmapsAcrossTileEdgesAndTopDownRows) {
    for (int height : {45, -45}) {
        DIBPtr src = Make(70, height, 24, [](int x, int y) { return std::uint32_t(x * 256 + y); });
        DIBPtr r90(DIB::Rotate(src.get(), 90));
        DIBPtr r270(DIB::Rotate(src.get(), 270));
        ASSERT_TRUE(r90 && r270);
        EXPECT_EQ(r90->IsTopDown(), height < 0);
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 70; ++x) {
                ASSERT_EQ(Pixel(r90.get(), 44 - y, x), std::uint32_t(x * 256 + y));
                ASSERT_EQ(Pixel(r270.get(), y, 69 - x), std::uint32_t(x * 256 + y));
            }
    }
}

TEST(DibCrop, CopiesTheRectangleBitExactAtEveryDepth) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        auto value = [mask](int x, int y) {
            return std::uint32_t(x * 7 + y * 3 + (x * y) % 5) & mask;
        };
        DIBPtr src = Make(13, 9, bits, value);
        // x1 = width - 1 leaves out the last column.
        DIBPtr d(DIB::Crop(src.get(), 3, 2, 12, 7));
        ASSERT_TRUE(d);
        EXPECT_EQ(d->Width(), 9);
        EXPECT_EQ(d->Height(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(Pixel(d.get(), x, y), value(x + 3, y + 2));
        if (bits < 8) {  // the row padding stays clear
            for (int y = 0; y < 5; ++y)
                for (int x = 9; x < int(d->Stride() * 8 / bits); ++x)
                    ASSERT_EQ(Pixel(d.get(), x, y), 0u);
        }
        for (auto [x0, y0, x1, y1] :
             {std::tuple{-1, 0, 5, 5}, {0, 0, 14, 9}, {0, 0, 13, 10}, {4, 4, 4, 6}, {5, 2, 3, 6}}) {
            EXPECT_EQ(DIB::Crop(src.get(), x0, y0, x1, y1), nullptr);
        }
    }
}

// ---------------------------------------------------------------------------
// Progress, failures and the source

struct Progress {
    int calls = 0;
    int stopAt = -1;
    int lastTotal = 0, lastDone = 0, range = 0;
    static int Proc(int total, void* context, int done, int range) {
        auto* p = static_cast<Progress*>(context);
        ++p->calls;
        p->lastTotal = total, p->lastDone = done, p->range = range;
        return p->calls == p->stopAt ? 0 : 1;
    }
};

TEST(DibProgress, ReportsRowsAndAStopLeavesNothingBehind) {
    DIBPtr src = Make(64, 48, 24, [](int x, int y) { return std::uint32_t(x * y); });
    const std::vector<BYTE> before = Bytes(src.get());
    const std::function<DIB*(Progress&)> ops[] = {
        [&](Progress& p) { return DIB::Resample(src.get(), 16, 12, 0, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Resample(src.get(), 16, 12, 1, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Resample(src.get(), 16, 12, 2, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Resample(src.get(), 16, 12, 3, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Resample(src.get(), 100, 80, 0, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Rotate(src.get(), 90, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Rotate(src.get(), 180, Progress::Proc, &p); },
        [&](Progress& p) { return DIB::Crop(src.get(), 1, 1, 30, 30, Progress::Proc, &p); },
    };
    int i = 0;
    for (const auto& op : ops) {
        SCOPED_TRACE(i++);
        Progress full;
        DIBPtr done(op(full));
        ASSERT_TRUE(done);
        EXPECT_GE(full.calls, 1);
        EXPECT_EQ(full.lastDone, full.lastTotal);
        EXPECT_EQ(full.range, 100);
        Progress stop;
        stop.stopAt = 1;
        EXPECT_EQ(op(stop), nullptr);  // AddressSanitizer reports a partial result left behind
        EXPECT_EQ(stop.calls, 1);
    }
    EXPECT_EQ(Bytes(src.get()), before);
}

}  // namespace
