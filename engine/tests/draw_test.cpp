#include "engine/draw.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/dc.h"

using platform::Bitmap;
using platform::DC;
using platform::Rect;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

// The smallest rectangle holding every pixel that is not white; empty when
// the bitmap is all white.
Rect InkBox(const Bitmap& b) {
    Rect ink;
    bool any = false;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            if (b.GetPixel(x, y) == kWhite)
                continue;
            if (!any) {
                ink = Rect(x, y, x + 1, y + 1);
                any = true;
            } else {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
            }
        }
    }
    return ink;
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
                return false;
        }
    }
    return true;
}

CTextObject Text(const std::string& s, int size = 12) {
    CTextObject t;
    t.UseTextData = 1;
    t.Facename = "Arial";
    t.Fontsize = size;
    t.Text = s;
    return t;
}

// Draws `t` into the box on a fresh white bitmap and returns the bitmap.
Bitmap Render(const CTextObject& t, Rect box, int width = 300, int height = 200) {
    Bitmap b(width, height);
    DC dc(&b);
    CDraw draw;
    EXPECT_TRUE(draw.Init(&dc));
    draw.DrawTextA(box.left, box.top, box.Width(), box.Height(), &t, nullptr);
    draw.Release();
    return b;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

TEST(DrawText, InitNeedsSomethingToDrawOn) {
    CDraw draw;
    EXPECT_FALSE(draw.Init(nullptr));
    EXPECT_EQ(draw.GetDC(), nullptr);
    EXPECT_EQ(draw.GetVRes(), 96);

    DC empty;  // a memory DC without a bitmap
    EXPECT_FALSE(draw.Init(&empty));

    Bitmap b(10, 10);
    DC dc(&b);
    dc.SetResolution(96, 300);
    ASSERT_TRUE(draw.Init(&dc));
    EXPECT_EQ(draw.GetDC(), &dc);
    EXPECT_EQ(draw.GetVRes(), 300);
    draw.Release();
    EXPECT_EQ(draw.GetDC(), nullptr);

    CTextObject t = Text("x");
    EXPECT_FALSE(draw.DrawTextA(0, 0, 10, 10, &t, nullptr));  // no DC at all
    EXPECT_FALSE(draw.DrawTextA(0, 0, 10, 10, nullptr, &dc));
}

TEST(DrawText, ClearFillsTheDrawingSize) {
    Bitmap b(40, 30);
    DC dc(&b);
    CDraw draw;
    EXPECT_FALSE(draw.Clear(RGB(1, 2, 3)));
    ASSERT_TRUE(draw.Init(&dc));
    EXPECT_EQ(draw.GetWidth(), 40);
    EXPECT_EQ(draw.GetHeight(), 30);
    EXPECT_TRUE(draw.Clear(RGB(10, 20, 30)));
    EXPECT_EQ(b.GetPixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(b.GetPixel(39, 29), RGB(10, 20, 30));
    draw.SetSize(20, -5);
    EXPECT_EQ(draw.GetHeight(), 0);
    draw.SetSize(20, 10);
    EXPECT_TRUE(draw.Clear());
    EXPECT_EQ(b.GetPixel(19, 9), RGB(255, 255, 255));
    EXPECT_EQ(b.GetPixel(20, 9), RGB(10, 20, 30));
    EXPECT_EQ(b.GetPixel(19, 10), RGB(10, 20, 30));
}

TEST(DrawText, DegenerateInputDrawsNothing) {
    struct Case {
        const char* what;
        CTextObject text;
        Rect box;
    } cases[] = {
        {"size 0", Text("Hello", 0), Rect(10, 10, 200, 100)},
        {"negative size", Text("Hello", -12), Rect(10, 10, 200, 100)},
        {"empty text", Text(""), Rect(10, 10, 200, 100)},
        {"zero width", Text("Hello"), Rect(10, 10, 10, 100)},
        {"negative height", Text("Hello"), Rect(10, 100, 200, 10)},
        {"box off the bitmap", Text("Hello"), Rect(400, 300, 600, 400)},
    };
    for (const Case& c : cases) {
        Bitmap b = Render(c.text, c.box);
        EXPECT_TRUE(InkBox(b).IsEmpty()) << c.what;
    }
}

TEST(DrawText, TextStaysInsideItsBoxAndClip) {
    const Rect box(20, 30, 120, 60);
    CTextObject t = Text(
        "A long line of text that cannot fit into this small box at all\r\n"
        "and a second line\r\nand a third\r\nand a fourth",
        14);
    Bitmap b = Render(t, box);
    Rect ink = InkBox(b);
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_TRUE(Inside(ink, box)) << ink.left << "," << ink.top << "," << ink.right << ","
                                  << ink.bottom;

    // The DC's own clip and origin apply as well.
    Bitmap c(300, 200);
    DC dc(&c);
    dc.SetViewportOrg(50, 40);
    dc.IntersectClipRect(0, 0, 40, 200);
    CDraw draw;
    ASSERT_TRUE(draw.Init(&dc));
    draw.DrawTextA(0, 0, 200, 100, &t, nullptr);
    Rect clipped = InkBox(c);
    ASSERT_FALSE(clipped.IsEmpty());
    EXPECT_TRUE(Inside(clipped, Rect(50, 40, 90, 140)));
}

TEST(DrawText, BreaksLinesAtCrLfAndWrapsToTheBoxWidth) {
    const Rect box(0, 0, 280, 190);
    Rect one = InkBox(Render(Text("Word", 16), box));
    Rect two = InkBox(Render(Text("Word\r\nWord", 16), box));
    ASSERT_FALSE(one.IsEmpty());
    EXPECT_EQ(two.left, one.left);
    EXPECT_EQ(two.top, one.top);
    EXPECT_GT(two.Height(), one.Height() * 3 / 2);
    EXPECT_EQ(two.Width(), one.Width());  // the pair is one line break, not two

    const std::string words = "alpha beta gamma delta epsilon zeta eta theta";
    Rect wide = InkBox(Render(Text(words, 12), box));
    Rect narrow = InkBox(Render(Text(words, 12), Rect(0, 0, 90, 190)));
    EXPECT_LE(narrow.right, 90);
    EXPECT_GT(narrow.Height(), wide.Height() * 2);
}

TEST(DrawText, JustifiesLinesInTheBox) {
    const Rect box(10, 10, 290, 60);
    CTextObject t = Text("Mid", 14);
    t.Justify = 0;
    Rect left = InkBox(Render(t, box));
    t.Justify = 1;
    Rect centre = InkBox(Render(t, box));
    t.Justify = 2;
    Rect right = InkBox(Render(t, box));
    ASSERT_FALSE(left.IsEmpty());
    EXPECT_LE(left.left, 13);
    EXPECT_GE(right.right, 287);
    EXPECT_NEAR((centre.left + centre.right) / 2, 150, 3);
    EXPECT_EQ(left.top, right.top);  // all start at the top of the box
    EXPECT_LE(left.top, 20);
}

TEST(DrawText, QuarterTurnsRunAlongTheBoxHeight) {
    const Rect tall(100, 10, 140, 190);
    const std::string s = "Turned text";
    struct Case {
        int rotate;
    } cases[] = {{90}, {270}};
    Rect flat = InkBox(Render(Text(s, 14), Rect(0, 0, 300, 40)));
    for (const Case& c : cases) {
        CTextObject t = Text(s, 14);
        t.Rotate = c.rotate;
        Rect ink = InkBox(Render(t, tall));
        ASSERT_FALSE(ink.IsEmpty()) << c.rotate;
        EXPECT_TRUE(Inside(ink, tall)) << c.rotate;
        // Not wrapped: the turned line is as long as the flat one.
        EXPECT_NEAR(ink.Height(), flat.Width(), 2) << c.rotate;
        EXPECT_NEAR(ink.Width(), flat.Height(), 2) << c.rotate;
        if (c.rotate == 90) {
            // Reads upwards from the bottom left: the line starts at the box's bottom.
            EXPECT_GE(ink.bottom, tall.bottom - 3);
            EXPECT_LE(ink.left, tall.left + 6);
        } else {
            // Reads downwards from the top right.
            EXPECT_LE(ink.top, tall.top + 3);
            EXPECT_GE(ink.right, tall.right - 6);
        }
    }

    // Upside down: the first line ends at the bottom right; an angle that is
    // not a quarter turn draws unturned.
    CTextObject t = Text(s, 14);
    t.Rotate = 180;
    Rect down = InkBox(Render(t, Rect(0, 0, 300, 200)));
    EXPECT_GE(down.bottom, 194);
    EXPECT_GE(down.right, 297);
    t.Rotate = 45;
    EXPECT_TRUE(
        SamePixels(Render(t, Rect(0, 0, 300, 200)), Render(Text(s, 14), Rect(0, 0, 300, 200))));
    t.Rotate = -270;  // the same as 90
    CTextObject ninety = Text(s, 14);
    ninety.Rotate = 90;
    EXPECT_TRUE(SamePixels(Render(t, tall), Render(ninety, tall)));
}

TEST(DrawText, ArialIsTheMetricCompatibleFace) {
    const Rect box(0, 0, 300, 60);
    CTextObject arial = Text("Metric compatibility", 18);
    CTextObject liberation = arial;
    liberation.Facename = "Liberation Sans";
    CTextObject dejavu = arial;
    dejavu.Facename = "DejaVu Sans";
    Bitmap a = Render(arial, box);
    EXPECT_TRUE(SamePixels(a, Render(liberation, box)));
    EXPECT_FALSE(SamePixels(a, Render(dejavu, box)));

    // An empty face draws as Arial; an unknown one still draws something.
    CTextObject none = arial;
    none.Facename.clear();
    EXPECT_TRUE(SamePixels(a, Render(none, box)));
    CTextObject unknown = arial;
    unknown.Facename = "No Such Face 123";
    EXPECT_FALSE(InkBox(Render(unknown, box)).IsEmpty());
}

TEST(DrawText, StyleNameSelectsTheFaceOfThatStyle) {
    const Rect box(0, 0, 300, 60);
    CTextObject bold = Text("Styled", 18);
    bold.Weight = 700;
    CTextObject named = Text("Styled", 18);
    named.Stylename = "Bold";  // weight left at 400
    EXPECT_TRUE(SamePixels(Render(bold, box), Render(named, box)));

    CTextObject boldItalic = bold;
    boldItalic.Italic = 1;
    CTextObject namedBoldItalic = Text("Styled", 18);
    namedBoldItalic.Stylename = "bold italic";
    EXPECT_TRUE(SamePixels(Render(boldItalic, box), Render(namedBoldItalic, box)));

    // A style the face does not have falls back to Weight and Italic.
    CTextObject plain = Text("Styled", 18);
    CTextObject unknown = plain;
    unknown.Stylename = "Ultra Wobbly";
    EXPECT_TRUE(SamePixels(Render(plain, box), Render(unknown, box)));
}

TEST(DrawText, SizeColourAndDecorations) {
    const Rect box(0, 0, 300, 200);
    CTextObject t = Text("Ag", 20);
    t.TextColor = RGB(255, 0, 0);
    Bitmap b = Render(t, box);
    Rect ink = InkBox(b);
    ASSERT_FALSE(ink.IsEmpty());
    bool red = false;
    for (int y = ink.top; y < ink.bottom && !red; ++y) {
        for (int x = ink.left; x < ink.right && !red; ++x) {
            red = b.GetPixel(x, y) == RGB(255, 0, 0);
        }
    }
    EXPECT_TRUE(red);

    // Points are converted at the DC's resolution.
    Bitmap hi(300, 200);
    DC dc(&hi);
    dc.SetResolution(192, 192);
    CDraw draw;
    ASSERT_TRUE(draw.Init(&dc));
    draw.DrawTextA(0, 0, 300, 200, &t, nullptr);
    EXPECT_NEAR(InkBox(hi).Height(), 2 * ink.Height(), 3);

    CTextObject under = t;
    under.Underline = 1;
    EXPECT_GT(InkBox(Render(under, box)).bottom, ink.bottom - 1);
    EXPECT_FALSE(SamePixels(Render(under, box), b));
    CTextObject struck = t;
    struck.Strikeout = 1;
    EXPECT_FALSE(SamePixels(Render(struck, box), b));
}

TEST(DrawText, HostileRecordsAreHarmless) {
    const Rect box(0, 0, 200, 100);
    CTextObject broken = Text(std::string("bad \xC3\x28 utf8 \xFF\xFE and a ") + '\0' + " nul");
    EXPECT_FALSE(InkBox(Render(broken, box)).IsEmpty());

    CTextObject weird = Text("weird");
    weird.Weight = -5;
    weird.Justify = 99;
    weird.Facename = std::string(65535, 'F');
    weird.Stylename = std::string(65535, 'S');
    EXPECT_FALSE(InkBox(Render(weird, box)).IsEmpty());

    // A huge size or box costs no more than the visible part.
    const auto start = std::chrono::steady_clock::now();
    CTextObject huge = Text("Huge", 2000000000);
    Bitmap b(300, 200);
    DC dc(&b);
    CDraw draw;
    ASSERT_TRUE(draw.Init(&dc));
    draw.DrawTextA(-2000000000, -2000000000, 2147483647, 2147483647, &huge, nullptr);
    draw.DrawTextA(0, 0, 300, 200, &huge, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
