#include "platform/dc.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/cursor.h"
#include "platform/tests/fifo_guard.h"

using namespace platform;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Pixels of a bitmap that differ from `background`, as a bounding box and a count.
struct Ink {
    Rect box;
    int count = 0;
};

Ink InkOf(const Bitmap& b, COLORREF background = kWhite) {
    Ink ink;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            if (b.GetPixel(x, y) != background) {
                ++ink.count;
                ink.box = ink.box.United(Rect(x, y, x + 1, y + 1));
            }
        }
    }
    return ink;
}

// A row of pixels as a string: '#' for `on`, '.' for white, '?' otherwise.
std::string Row(const Bitmap& b, int y, int x0, int x1, COLORREF on = kBlack) {
    std::string s;
    for (int x = x0; x < x1; ++x) {
        COLORREF c = b.GetPixel(x, y);
        s += c == on ? '#' : c == kWhite ? '.' : '?';
    }
    return s;
}

std::string Column(const Bitmap& b, int x, int y0, int y1, COLORREF on = kBlack) {
    std::string s;
    for (int y = y0; y < y1; ++y) {
        COLORREF c = b.GetPixel(x, y);
        s += c == on ? '#' : c == kWhite ? '.' : '?';
    }
    return s;
}

}  // namespace

TEST(DC, LinesExcludeTheirEndPointAndAreCrisp) {
    struct Case {
        Point from, to;
        std::vector<Point> on;   // pixels that must be set
        std::vector<Point> off;  // pixels that must stay white
    };
    const Case cases[] = {
        {{0, 0}, {10, 0}, {{0, 0}, {5, 0}, {9, 0}}, {{10, 0}, {0, 1}}},
        {{3, 2}, {3, 8}, {{3, 2}, {3, 7}}, {{3, 8}, {3, 1}, {2, 5}, {4, 5}}},
        {{10, 5}, {2, 5}, {{10, 5}, {3, 5}}, {{2, 5}, {11, 5}}},
        {{0, 0}, {5, 5}, {{0, 0}, {2, 2}, {4, 4}}, {{5, 5}, {1, 0}, {0, 1}}},
        {{4, 4}, {4, 4}, {}, {{4, 4}}},  // a zero-length line draws nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y);
        Bitmap bmp(16, 12);
        DC dc(&bmp);
        dc.MoveTo(c.from);
        dc.LineTo(c.to);
        for (Point p : c.on)
            EXPECT_EQ(bmp.GetPixel(p.x, p.y), kBlack) << p.x << "," << p.y;
        for (Point p : c.off)
            EXPECT_EQ(bmp.GetPixel(p.x, p.y), kWhite) << p.x << "," << p.y;
        // No grey pixels anywhere: lines are not anti-aliased.
        for (int y = 0; y < bmp.Height(); ++y) {
            for (int x = 0; x < bmp.Width(); ++x) {
                COLORREF px = bmp.GetPixel(x, y);
                ASSERT_TRUE(px == kBlack || px == kWhite) << x << "," << y;
            }
        }
        EXPECT_EQ(dc.GetCurrentPosition(), c.to);
    }
}

TEST(DC, DottedPenAlternatesAndFillsGapsOnlyWhenOpaque) {
    Bitmap bmp(12, 3);
    bmp.Fill(RGB(0, 255, 0));
    DC dc(&bmp);
    Pen dotted(PS_DOT, 1, RGB(255, 0, 0));
    dc.SelectObject(&dotted);
    dc.SetBkColor(kWhite);
    dc.SetBkMode(OPAQUE);
    dc.MoveTo(0, 0);
    dc.LineTo(10, 0);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(0, 1);
    dc.LineTo(10, 1);
    for (int x = 0; x < 10; ++x) {
        SCOPED_TRACE(x);
        COLORREF dot = x % 2 == 0 ? RGB(255, 0, 0) : kWhite;
        EXPECT_EQ(bmp.GetPixel(x, 0), dot);
        EXPECT_EQ(bmp.GetPixel(x, 1), x % 2 == 0 ? RGB(255, 0, 0) : RGB(0, 255, 0));
    }
    EXPECT_EQ(bmp.GetPixel(10, 0), RGB(0, 255, 0));  // end point excluded
}

TEST(DC, DottedRectangleOutlineKeepsItsRhythmAroundCorners) {
    // The outline of a text area: four connected lines with a dotted pen.
    Bitmap bmp(12, 12);
    DC dc(&bmp);
    Pen dotted(PS_DOT, 1, kBlack);
    dc.SelectObject(&dotted);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(1, 1);
    dc.LineTo(9, 1);
    dc.LineTo(9, 9);
    dc.LineTo(1, 9);
    dc.LineTo(1, 0);
    EXPECT_EQ(Row(bmp, 1, 0, 11), ".#.#.#.#.#.");
    EXPECT_EQ(Column(bmp, 9, 0, 11), ".#.#.#.#.#.");
    EXPECT_EQ(Row(bmp, 9, 0, 11), ".#.#.#.#.#.");
}

TEST(DC, StyledLinesFarBeyondTheSurfaceDrawOnlyTheirVisiblePart) {
    // A dotted line from far off to the left keeps its rhythm where it is
    // visible, and lines between extreme coordinates neither take memory in
    // proportion to their length nor overflow.
    Bitmap bmp(12, 12);
    DC dc(&bmp);
    Pen dotted(PS_DOT, 1, kBlack);
    dc.SelectObject(&dotted);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(-1000001, 1);  // an odd number of steps before x = 0
    dc.LineTo(9, 1);
    dc.LineTo(9, 1000000000);
    EXPECT_EQ(Row(bmp, 1, 0, 11), ".#.#.#.#.#.");
    EXPECT_EQ(Column(bmp, 9, 1, 12), "#.#.#.#.#.#");
    dc.MoveTo(-2000000000, 5);
    dc.LineTo(2000000000, 5);
    EXPECT_EQ(Row(bmp, 5, 0, 9), "#.#.#.#.#");  // x = 9 is on the vertical line
    EXPECT_EQ(Row(bmp, 5, 10, 12), "#.");
    // A diagonal that misses the surface draws nothing; one that crosses it
    // draws only its visible pixels.
    Bitmap diag(8, 8);
    DC ddc(&diag);
    ddc.SelectObject(&dotted);
    ddc.SetBkMode(TRANSPARENT);
    ddc.MoveTo(-2000000000, -1999999990);
    ddc.LineTo(2000000000, -1999999990 + 40);
    EXPECT_EQ(InkOf(diag).count, 0);
    ddc.MoveTo(-100, -100);
    ddc.LineTo(100, 100);
    EXPECT_EQ(InkOf(diag).count, 4);  // (0,0), (2,2), (4,4), (6,6)
    EXPECT_EQ(diag.GetPixel(0, 0), kBlack);
    EXPECT_EQ(diag.GetPixel(1, 1), kWhite);
}

TEST(DC, RectangleLeavesRightAndBottomOut) {
    Bitmap bmp(12, 10);
    DC dc(&bmp);
    Brush red(RGB(255, 0, 0));
    dc.SelectObject(&red);
    dc.Rectangle(2, 2, 8, 6);
    EXPECT_EQ(Row(bmp, 2, 0, 10), "..######..");
    EXPECT_EQ(Row(bmp, 5, 0, 10), "..######..");
    EXPECT_EQ(Row(bmp, 6, 0, 10), "..........");
    EXPECT_EQ(Row(bmp, 3, 0, 10, RGB(255, 0, 0)), "..?####?..");  // frame, red inside, frame
    EXPECT_EQ(bmp.GetPixel(2, 3), kBlack);
    EXPECT_EQ(bmp.GetPixel(7, 3), kBlack);

    // FillRect and FrameRect: the same exclusive edges.
    Bitmap b2(12, 10);
    DC dc2(&b2);
    dc2.FillRect(Rect(1, 1, 4, 3), Brush::Stock(BLACK_BRUSH));
    EXPECT_EQ(Row(b2, 1, 0, 5), ".###.");
    EXPECT_EQ(Row(b2, 3, 0, 5), ".....");
    dc2.FrameRect(Rect(5, 5, 9, 9), Brush::Stock(BLACK_BRUSH));
    EXPECT_EQ(Row(b2, 5, 4, 10), ".####.");
    EXPECT_EQ(Row(b2, 6, 4, 10), ".#..#.");
    EXPECT_EQ(Row(b2, 8, 4, 10), ".####.");
    EXPECT_EQ(Row(b2, 9, 4, 10), "......");

    // A null pen fills one pixel less in each direction.
    Bitmap b3(12, 10);
    DC dc3(&b3);
    dc3.SelectStockObject(NULL_PEN);
    dc3.SelectStockObject(BLACK_BRUSH);
    dc3.Rectangle(2, 2, 6, 5);
    EXPECT_EQ(Row(b3, 2, 0, 7), "..###..");
    EXPECT_EQ(Row(b3, 3, 0, 7), "..###..");
    EXPECT_EQ(Row(b3, 4, 0, 7), ".......");
}

TEST(DC, WidePenFrameCoversTheOutline) {
    // The selected text-area frame: a 2-pixel pen along the rectangle's edges.
    Bitmap bmp(20, 20);
    DC dc(&bmp);
    Pen wide(PS_SOLID, 2, RGB(0x40, 0x40, 0xFF));
    dc.SelectObject(&wide);
    dc.MoveTo(5, 5);
    dc.LineTo(14, 5);
    const COLORREF blue = RGB(0x40, 0x40, 0xFF);
    int rowsCovered = 0;
    for (int y = 2; y < 9; ++y)
        rowsCovered += bmp.GetPixel(9, y) == blue;
    EXPECT_EQ(rowsCovered, 2);
    EXPECT_EQ(bmp.GetPixel(9, 10), kWhite);
}

TEST(DC, SetPixelSetsExactlyOnePixel) {
    Bitmap bmp(8, 8);
    DC dc(&bmp);
    EXPECT_EQ(dc.SetPixel(3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
    Ink ink = InkOf(bmp);
    EXPECT_EQ(ink.count, 1);
    EXPECT_EQ(ink.box, Rect(3, 4, 4, 5));
    EXPECT_EQ(dc.GetPixel(3, 4), RGB(1, 2, 3));
    EXPECT_EQ(dc.SetPixel(8, 0, kBlack), CLR_INVALID);
    EXPECT_EQ(dc.SetPixel(-1, 0, kBlack), CLR_INVALID);
    EXPECT_EQ(dc.GetPixel(0, 8), CLR_INVALID);
}

TEST(DC, ColorrefComponentsLandInTheRightChannels) {
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                0x00804020,     0x00FF4040,     0x00000080};
    for (COLORREF c : colours) {
        SCOPED_TRACE(c);
        Bitmap bmp(2, 2);
        DC dc(&bmp);
        dc.FillSolidRect(Rect(0, 0, 2, 2), c);
        // Cairo's pixel word is 0xXXRRGGBB.
        std::uint32_t raw = bmp.GetRawPixel(1, 1) & 0xFFFFFF;
        EXPECT_EQ(raw >> 16, GetRValue(c));
        EXPECT_EQ((raw >> 8) & 0xFF, GetGValue(c));
        EXPECT_EQ(raw & 0xFF, GetBValue(c));
        EXPECT_EQ(bmp.GetPixel(0, 0), c);
    }
}

TEST(DC, ClippingConfinesDrawingAndSaveRestoreBringsItBack) {
    Bitmap bmp(20, 20);
    DC dc(&bmp);
    EXPECT_EQ(dc.SaveDC(), 1);
    dc.IntersectClipRect(5, 5, 10, 10);
    dc.FillSolidRect(Rect(0, 0, 20, 20), kBlack);
    EXPECT_EQ(InkOf(bmp).box, Rect(5, 5, 10, 10));
    Rect clip;
    EXPECT_EQ(dc.GetClipBox(&clip), SIMPLEREGION);
    EXPECT_EQ(clip, Rect(5, 5, 10, 10));
    // Clips only ever narrow.
    dc.IntersectClipRect(8, 0, 20, 20);
    dc.GetClipBox(&clip);
    EXPECT_EQ(clip, Rect(8, 5, 10, 10));
    Pen red(PS_SOLID, 1, RGB(255, 0, 0));
    dc.SelectObject(&red);
    dc.SetTextColor(RGB(1, 1, 1));
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetCurrentPen().color(), kBlack);
    EXPECT_EQ(dc.GetTextColor(), kBlack);
    dc.GetClipBox(&clip);
    EXPECT_EQ(clip, Rect(0, 0, 20, 20));
    EXPECT_FALSE(dc.RestoreDC(1));  // already popped

    dc.IntersectClipRect(0, 0, 2, 2);
    dc.SelectClipRgn(nullptr);
    dc.FillSolidRect(Rect(15, 15, 20, 20), kBlack);
    EXPECT_EQ(bmp.GetPixel(19, 19), kBlack);
    // An empty clip draws nothing at all.
    dc.IntersectClipRect(3, 3, 3, 3);
    Bitmap before = bmp.Clone();
    dc.FillSolidRect(Rect(0, 0, 20, 20), RGB(9, 9, 9));
    dc.MoveTo(0, 0);
    dc.LineTo(19, 19);
    EXPECT_EQ(InkOf(bmp).count, InkOf(before).count);
}

TEST(DC, ViewportOriginShiftsDrawingAndClip) {
    Bitmap bmp(20, 20);
    DC dc(&bmp);
    dc.SetViewportOrg(5, 6);
    dc.SetPixel(0, 0, kBlack);
    EXPECT_EQ(bmp.GetPixel(5, 6), kBlack);
    dc.IntersectClipRect(0, 0, 2, 2);
    Rect clip;
    dc.GetClipBox(&clip);
    EXPECT_EQ(clip, Rect(0, 0, 2, 2));
    dc.FillSolidRect(Rect(-5, -5, 10, 10), kBlack);
    EXPECT_EQ(InkOf(bmp).box, Rect(5, 6, 7, 8));
}

TEST(DC, BitBltCopiesExactlyAndOnlyWhatTheSourceHas) {
    Bitmap src(8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            src.SetPixel(x, y, RGB(x * 30, y * 30, (x + y) * 10));
    }
    DC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    Bitmap* old = mem.SelectObject(&src);
    ASSERT_NE(old, nullptr);

    Bitmap dst(20, 20);
    DC dc(&dst);
    dc.BitBlt(10, 12, 4, 3, &mem, 2, 3);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            bool inside = x >= 10 && x < 14 && y >= 12 && y < 15;
            COLORREF want = inside ? src.GetPixel(x - 10 + 2, y - 12 + 3) : kWhite;
            ASSERT_EQ(dst.GetPixel(x, y), want) << x << "," << y;
        }
    }
    // A block reaching past the source copies only the existing part.
    dc.BitBlt(0, 0, 10, 10, &mem, 6, 6);
    EXPECT_EQ(dst.GetPixel(1, 1), src.GetPixel(7, 7));
    EXPECT_EQ(dst.GetPixel(2, 2), kWhite);
    // Copying within one surface works as if through a copy.
    dc.BitBlt(1, 0, 5, 1, &dc, 0, 0);
    mem.SelectObject(old);
    EXPECT_EQ(mem.GetCurrentBitmap(), nullptr);
}

TEST(DC, BitmapMayBeDestroyedWhileSelected) {
    DC mem;
    mem.CreateCompatibleDC(nullptr);
    {
        Bitmap temp(4, 4);
        mem.SelectObject(&temp);
    }
    mem.FillSolidRect(Rect(0, 0, 4, 4), kBlack);  // draws on the surface the DC still holds
    Pen p(PS_SOLID, 1, kBlack);
    {
        Pen transient(PS_DOT, 1, RGB(255, 0, 0));
        mem.SelectObject(&transient);
    }
    mem.MoveTo(0, 0);
    mem.LineTo(3, 0);
    EXPECT_EQ(mem.GetPixel(0, 0), RGB(255, 0, 0));
}

TEST(DC, EmptyAndZeroSizedTargetsDrawNothingAndDoNotCrash) {
    Bitmap zero(0, 0);
    Bitmap negative(-5, 10);
    EXPECT_TRUE(negative.IsEmpty());
    Bitmap huge(100000, 100000);  // beyond the surface limit: an empty bitmap
    EXPECT_TRUE(huge.IsEmpty());
    for (Bitmap* b : {&zero, &negative, &huge}) {
        DC dc(b);
        dc.MoveTo(0, 0);
        dc.LineTo(10, 10);
        dc.Rectangle(0, 0, 5, 5);
        dc.Rectangle(5, 5, 0, 0);
        dc.FillRect(Rect(3, 3, -3, -3), Brush::Stock(BLACK_BRUSH));
        dc.TextOut(0, 0, "text");
        Rect r(0, 0, 10, 10);
        dc.DrawText("text", &r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
        EXPECT_EQ(dc.GetPixel(0, 0), CLR_INVALID);
        EXPECT_EQ(dc.SetPixel(0, 0, kBlack), CLR_INVALID);
        Bitmap other(4, 4);
        DC to(&other);
        to.BitBlt(0, 0, 4, 4, &dc, 0, 0);
        EXPECT_EQ(other.GetPixel(0, 0), kWhite);
    }
    // A memory DC with nothing selected is just as harmless.
    DC mem;
    mem.FillSolidRect(Rect(0, 0, 4, 4), kBlack);
    Rect r(0, 0, 50, 50);
    EXPECT_GT(mem.DrawText("measure", &r, DT_CALCRECT | DT_SINGLELINE), 0);
}

TEST(DC, TextInARectangleAlignedRightAndBottomEndsInsideIt) {
    Bitmap bmp(200, 100);
    DC dc(&bmp);
    Font font;
    LogFont lf;
    lf.height = -14;
    font.CreateFontIndirect(lf);
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    const Rect box(20, 10, 180, 90);
    dc.DrawText(" 12 ", box, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    Ink ink = InkOf(bmp);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.box.left, box.left);
    EXPECT_GE(ink.box.top, box.top);
    EXPECT_LE(ink.box.right, box.right);
    EXPECT_LE(ink.box.bottom, box.bottom);
    // Right and bottom aligned: the ink sits in the rectangle's bottom-right corner.
    EXPECT_GT(ink.box.left, box.left + box.Width() / 2);
    EXPECT_GT(ink.box.top, box.top + box.Height() / 2);
    EXPECT_GE(ink.box.right, box.right - 12);   // the trailing space and side bearing
    EXPECT_GE(ink.box.bottom, box.bottom - 8);  // the descent below the digits
    // Text, unlike lines and fills, is anti-aliased: its edges hold shades
    // between the text colour and the background.
    int shaded = 0;
    for (int y = ink.box.top; y < ink.box.bottom; ++y) {
        for (int x = ink.box.left; x < ink.box.right; ++x) {
            const COLORREF c = bmp.GetPixel(x, y);
            shaded += c != kWhite && c != kBlack;
        }
    }
    EXPECT_GT(shaded, 0);

    // Opaque background: the text cell is filled with the background colour.
    Bitmap b2(200, 100);
    DC dc2(&b2);
    dc2.SelectObject(&font);
    dc2.SetBkColor(0x800000);
    dc2.SetTextColor(0xFFFFFF);
    dc2.DrawText(" 12 ", box, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    Ink bg = InkOf(b2);
    EXPECT_EQ(b2.GetPixel(box.right - 1, box.bottom - 1), COLORREF(0x800000));
    EXPECT_LE(bg.box.right, box.right);
    EXPECT_LE(bg.box.bottom, box.bottom);
}

TEST(DC, DrawTextCentersCalculatesAndClips) {
    Bitmap bmp(200, 60);
    DC dc(&bmp);
    Rect calc(0, 0, 0, 0);
    int h = dc.DrawText("Hello", &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GT(h, 0);
    EXPECT_GT(calc.Width(), 0);
    EXPECT_EQ(calc.Height(), h);
    EXPECT_EQ(InkOf(bmp).count, 0);  // DT_CALCRECT draws nothing

    dc.SetBkMode(TRANSPARENT);
    dc.DrawText("Hello", Rect(0, 0, 200, 60), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    Ink ink = InkOf(bmp);
    ASSERT_GT(ink.count, 0);
    const int cx = (ink.box.left + ink.box.right) / 2, cy = (ink.box.top + ink.box.bottom) / 2;
    EXPECT_NEAR(cx, 100, 4);
    EXPECT_NEAR(cy, 30, 5);

    // Text wider than its rectangle is clipped to it.
    Bitmap b2(200, 60);
    DC d2(&b2);
    d2.SetBkMode(TRANSPARENT);
    d2.DrawText("A long line of text", Rect(10, 10, 40, 50), DT_SINGLELINE);
    Ink clipped = InkOf(b2);
    EXPECT_GE(clipped.box.left, 10);
    EXPECT_LE(clipped.box.right, 40);

    // Word breaking makes more lines; the height grows.
    Rect wrapped(0, 0, 60, 0);
    int one = dc.DrawText("word", &wrapped, DT_CALCRECT | DT_WORDBREAK);
    wrapped = Rect(0, 0, 60, 0);
    int many = dc.DrawText("word word word word word", &wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GT(many, 2 * one);

    // A mnemonic marker is not drawn; && shows one ampersand.
    Size plain = dc.GetTextExtent("File");
    Rect m(0, 0, 0, 0);
    dc.DrawText("&File", &m, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(m.Width(), plain.cx);
    Rect np(0, 0, 0, 0);
    dc.DrawText("&File", &np, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(np.Width(), plain.cx);
}

TEST(DC, FontAttributesChangeTheInk) {
    auto draw = [](LogFont lf, const char* text = "Hamburg") {
        auto bmp = std::make_unique<Bitmap>(240, 240);
        DC dc(bmp.get());
        Font f(lf);
        dc.SelectObject(&f);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(120, 120, text);
        return bmp;
    };
    LogFont base;
    base.height = -20;
    Ink normal = InkOf(*draw(base));
    ASSERT_GT(normal.count, 0);
    // Ink starts at the reference point and runs to the right.
    EXPECT_GE(normal.box.left, 119);
    EXPECT_GE(normal.box.top, 120);

    LogFont bold = base;
    bold.weight = FW_BOLD;
    EXPECT_GT(InkOf(*draw(bold)).count, normal.count * 11 / 10);

    LogFont big = base;
    big.height = -40;
    EXPECT_GT(InkOf(*draw(big)).box.Height(), normal.box.Height() * 3 / 2);

    LogFont under = base;
    under.underline = true;
    EXPECT_GT(InkOf(*draw(under)).count, normal.count);
    LogFont strike = base;
    strike.strikeOut = true;
    EXPECT_GT(InkOf(*draw(strike)).count, normal.count);

    LogFont italic = base;
    italic.italic = true;
    EXPECT_NE(InkOf(*draw(italic)).box, normal.box);

    // 90 degrees counter-clockwise: the text runs upwards from the reference point.
    LogFont turned = base;
    turned.escapement = 900;
    Ink up = InkOf(*draw(turned));
    EXPECT_GT(up.box.Height(), up.box.Width());
    EXPECT_LE(up.box.bottom, 122);

    // A face that does not exist falls back to another face and still draws.
    LogFont missing = base;
    missing.faceName = "No Such Face At All";
    EXPECT_GT(InkOf(*draw(missing)).count, 0);
    // Invalid UTF-8 is drawn as replacement characters, not refused.
    EXPECT_GT(InkOf(*draw(base, "ab\xff\xfe")).count, 0);
}

TEST(DC, TextOutAlignment) {
    Bitmap bmp(200, 80);
    DC dc(&bmp);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    dc.TextOut(150, 50, "Text");
    Ink ink = InkOf(bmp);
    EXPECT_LE(ink.box.right, 151);
    EXPECT_GT(ink.box.right, 140);
    EXPECT_LE(ink.box.bottom, 51);  // no descenders in "Text"
    EXPECT_GT(ink.box.bottom, 45);
}

TEST(DC, ResolutionDefaultsTo96AndScalesPointFonts) {
    DC dc;
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
    Font f;
    f.CreatePointFont(120, "Arial", &dc);
    EXPECT_EQ(f.logFont().height, -16);
    dc.SetResolution(300, 300);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 300);
    f.CreatePointFont(120, "Arial", &dc);
    EXPECT_EQ(f.logFont().height, -50);

    // A positive height is the cell height (ascent + descent).
    LogFont lf;
    lf.height = 30;
    Font cell(lf);
    dc.SelectObject(&cell);
    TextMetric tm;
    ASSERT_TRUE(dc.GetTextMetrics(&tm));
    EXPECT_NEAR(tm.height, 30, 1);
    lf.height = -30;
    Font em(lf);
    dc.SelectObject(&em);
    dc.GetTextMetrics(&tm);
    EXPECT_GT(tm.height, 30);
}

TEST(DC, StretchBltScalesAndDrawIconBlends) {
    Bitmap src(2, 2);
    src.SetPixel(0, 0, kBlack);
    src.SetPixel(1, 1, kBlack);
    DC s(&src);
    Bitmap dst(8, 8);
    DC d(&dst);
    d.StretchBlt(0, 0, 8, 8, &s, 0, 0, 2, 2);
    EXPECT_EQ(dst.GetPixel(1, 1), kBlack);
    EXPECT_EQ(dst.GetPixel(5, 1), kWhite);
    EXPECT_EQ(dst.GetPixel(6, 6), kBlack);

    Bitmap icon(4, 4, true);  // fully transparent except one pixel
    icon.SetPixel(1, 1, RGB(255, 0, 0));
    HICON h = CreateIconFromImage(icon);
    ASSERT_NE(h, nullptr);
    Bitmap page(8, 8);
    DC pd(&page);
    EXPECT_TRUE(pd.DrawIcon(2, 2, h));
    EXPECT_EQ(page.GetPixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(page.GetPixel(2, 2), kWhite);
    EXPECT_FALSE(pd.DrawIcon(0, 0, nullptr));
    DestroyIcon(h);
}

TEST(DC, BitmapsRoundTripThroughPng) {
    std::string dir = testing::TempDir() + "/dc_png_" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    Bitmap bmp(5, 4);
    DC dc(&bmp);
    dc.SetPixel(2, 1, RGB(10, 200, 30));
    const std::string path = dir + "/out.png";
    ASSERT_TRUE(bmp.SavePng(path));
    Bitmap back;
    ASSERT_TRUE(back.LoadPngFile(path));
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.GetPixel(2, 1), RGB(10, 200, 30));
    EXPECT_EQ(back.GetPixel(0, 0), kWhite);
    // Data that is not a PNG is refused without harm.
    const char junk[] = "\x89PNG\r\n\x1a\nthis is not really a png";
    Bitmap bad;
    EXPECT_FALSE(bad.LoadPng(junk, sizeof junk));
    EXPECT_TRUE(bad.IsEmpty());
    EXPECT_FALSE(bad.LoadPng(junk, 4));
    // A header announcing an enormous image is refused before anything is allocated.
    std::vector<unsigned char> bomb = {0x89, 'P', 'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,
                                       0,    13,  'I',  'H',  'D',  'R',  0,    0,    0x75, 0x30,
                                       0,    0,   0x75, 0x30, 8,    6,    0,    0,    0};
    EXPECT_FALSE(bad.LoadPng(bomb.data(), bomb.size()));
    EXPECT_FALSE(bad.LoadPngFile(dir + "/missing.png"));
    // A path naming a FIFO or a folder is refused at once, never waited on.
    const std::string fifo = dir + "/fifo.png";
    ASSERT_TRUE(platform::MakeFifo(fifo));
    EXPECT_FALSE(platform::ReadWithoutHanging(fifo, [&] { return bad.LoadPngFile(fifo); }));
    EXPECT_FALSE(bad.LoadPngFile(dir));
    std::filesystem::remove_all(dir);
}
