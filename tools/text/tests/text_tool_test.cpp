// The text area as an object: defaults, resources, saved font, link rule,
// applying the properties dialog's result, the font-size rule and what it
// draws on a page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/persist.h"
#include "framework/designer_keys.h"
#include "framework/testing/page_fixture.h"
#include "platform/testing/golden_image.h"
#include "platform/testing/temp_hives.h"
#include "tools/text/text_resources.h"
#include "tools/text/text_settings.h"
#include "tools/text/text_tool.h"

using platform::Rect;

namespace {

using designer_keys::kKey;

CTemplateTool* NewText() {
    return new CTextTool();
}
CTemplateTool* NewImage() {
    return new pagetest::TestTool(pagetest::TestTool::Image);
}
void Delete(CTemplateTool* t) {
    delete t;
}

// A Letter page on the headless host at 80 pixels per inch whose tool
// manager makes real text areas (tool 0) and stand-in image areas (tool 1).
class TextPageTest : public ::testing::Test {
  protected:
    static constexpr int kPixelsPerInch = 80;

    TextPageTest() : host(1000, 1000) {}

    void SetUp() override {
        platform::SetDefaultHost(&host);
        ASSERT_TRUE(view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                                Rect(0, 0, 1000, 1000), host.root()));
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewText, Delete), 0);
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewImage, Delete), 1);
        page = std::make_unique<pagetest::TestPage>();
        page->host = &manager;
        ASSERT_TRUE(
            page->CreatePage(pagetest::ArmedTool, pagetest::Changed, pagetest::NoMargins, &view));
        page->MoveWindow(0, 0, kPixelsPerInch * 17 / 2, kPixelsPerInch * 11);
        host.Idle();
    }

    void TearDown() override {
        page.reset();
        platform::SetDefaultHost(nullptr);
    }

    // An area of `kind` at (x, y) inches with its default size.
    CTemplateTool* Add(int kind, double x, double y) {
        CTemplateTool* tool = manager.toolManager.CreateTool(kind);
        ToolRect r = tool->rect;
        r.x = x * 2540;
        r.y = y * 2540;
        EXPECT_TRUE(tool->AttachToPage(&r, page.get()));
        tool->UpdateWindowPos();
        host.Idle();
        return tool;
    }

    CTextTool* AddText(double x = 1, double y = 1) { return static_cast<CTextTool*>(Add(0, x, y)); }

    Rect RootRect(CTemplateTool* tool) {
        Rect r;
        tool->GetRectInPage(&r);
        page->MapWindowPoints(host.root(), &r);
        return r;
    }

    // The rectangle holding every pixel inside `area` that is neither white
    // nor one of `ignore`.
    Rect Ink(const Rect& area, std::vector<COLORREF> ignore = {}) {
        const platform::Bitmap& b = host.Render();
        ignore.push_back(RGB(255, 255, 255));
        Rect ink;
        bool any = false;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                COLORREF c = b.GetPixel(x, y);
                if (std::find(ignore.begin(), ignore.end(), c) != ignore.end())
                    continue;
                if (!any) {
                    ink = Rect(x, y, x + 1, y + 1);
                    any = true;
                }
                ink = ink.United(Rect(x, y, x + 1, y + 1));
            }
        }
        return ink;
    }

    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;
    std::unique_ptr<pagetest::TestPage> page;
};

}  // namespace

TEST(TextTool, DefaultsNameMenuAndResources) {
    CTextTool tool;
    EXPECT_EQ(tool.rect, ToolRect(0, 0, 2.0, 1.5, UNIT_INCHES));
    EXPECT_EQ(tool.textObject.UseTextData, 0);
    EXPECT_EQ(tool.textObject.UseBGColor, 1);
    EXPECT_EQ(tool.textObject.BGColor, 0xFFFFFFu);
    EXPECT_TRUE(tool.textObject.Facename.empty());
    EXPECT_TRUE(tool.IsTextTool());
    EXPECT_FALSE(tool.IsImageTool());

    char name[8] = "xxxxxxx";
    tool.GetToolName(name, sizeof name);
    EXPECT_STREQ(name, "Text");
    tool.GetToolName(name, 3);
    EXPECT_STREQ(name, "Te");
    tool.GetToolName(name, 0);  // nothing written
    EXPECT_STREQ(name, "Te");

    std::vector<std::string> labels{"old"}, extra{"old"};
    std::vector<ToolMenuHandler> handlers{nullptr};
    tool.GetMenuStrings(labels, extra, handlers);
    EXPECT_EQ(labels, (std::vector<std::string>{"&Properties...", "Move to Front", "Move to Back",
                                                "Move Forward", "Move Back"}));
    EXPECT_TRUE(extra.empty());
    EXPECT_TRUE(handlers.empty());

    ASSERT_EQ(tool.placeholder.Width(), 16);
    ASSERT_EQ(tool.placeholder.Height(), 16);
    platform::HICON icon = tool.GetToolIcon();
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->image(), nullptr);
    EXPECT_EQ(icon->image()->Width(), 16);
    EXPECT_EQ(tool.CacheToolIcon(), icon);
    EXPECT_EQ(tool.GetToolIcon(), icon);
    platform::HCURSOR cursor = tool.GetToolCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_FALSE(cursor->IsStandard());
    EXPECT_EQ(tool.GetToolCursor(), cursor);
    // Shared by every area of the module.
    CTextTool other;
    EXPECT_EQ(other.GetToolIcon(), icon);
    EXPECT_EQ(other.GetToolCursor(), cursor);
    for (int id : {textres::IDI_ROTATE_NONE, textres::IDI_ROTATE_90, textres::IDI_ROTATE_180,
                   textres::IDI_ROTATE_270}) {
        EXPECT_NE(textres::LoadIcon(id), nullptr) << id;
    }
    EXPECT_STREQ(textres::LoadString(24), kKey);
    EXPECT_STREQ(textres::LoadString(9999), "");
}

TEST(TextTool, SavedFontDefaultsAndRoundTrip) {
    platform::TempHives hives;
    CTextObject t;
    textsettings::ApplySavedSettings(&t);
    EXPECT_EQ(t.Facename, "Arial");
    EXPECT_EQ(t.Stylename, "");
    EXPECT_EQ(t.Fontsize, 12);
    EXPECT_EQ(t.Weight, 400);
    EXPECT_EQ(t.TextColor, 0u);
    EXPECT_EQ(t.Bold + t.Italic + t.Underline + t.Strikeout, 0);

    CTextObject chosen;
    chosen.Facename = "DejaVu Serif";
    chosen.Stylename = "Bold Italic";
    chosen.Fontsize = 18;
    chosen.TextColor = 0x00FF8040;
    chosen.Weight = 700;
    chosen.Bold = chosen.Italic = chosen.Underline = chosen.Strikeout = 1;
    textsettings::SaveSettings(&chosen);
    CPersist p(kKey);
    EXPECT_EQ(p.LoadStringA("SavedFaceName"), "DejaVu Serif");
    EXPECT_EQ(p.LoadInt("SavedSize"), 18);
    EXPECT_EQ(p.LoadDWord("SavedColor"), 0x00FF8040u);

    CTextObject fresh;
    fresh.Text = "untouched";
    textsettings::ApplySavedSettings(&fresh);
    CTextObject expected = chosen;
    expected.Text = "untouched";
    EXPECT_EQ(fresh, expected);

    // A record that already has a face keeps its font.
    CTextObject own;
    own.Facename = "Liberation Mono";
    own.Fontsize = 9;
    textsettings::ApplySavedSettings(&own);
    EXPECT_EQ(own.Facename, "Liberation Mono");
    EXPECT_EQ(own.Fontsize, 9);

    // Damaged saved values are mended: empty face, size and weight not positive.
    p.SetString("SavedFaceName", "");
    p.SetInt("SavedSize", -4);
    p.SetInt("SavedWeight", 0);
    CTextObject mended;
    textsettings::ApplySavedSettings(&mended);
    EXPECT_EQ(mended.Facename, "Arial");
    EXPECT_EQ(mended.Fontsize, 12);
    EXPECT_EQ(mended.Weight, 400);
}

TEST(TextTool, CustomColoursAreSharedAndKept) {
    platform::TempHives hives;
    textsettings::LoadCustomColors();
    for (int i = 0; i < textsettings::kCustomColorCount; ++i) {
        EXPECT_EQ(textsettings::CustomColors()[i], 0u);
    }
    for (int i = 0; i < textsettings::kCustomColorCount; ++i) {
        textsettings::CustomColors()[i] = 0x010101u * static_cast<COLORREF>(i + 1);
    }
    textsettings::SaveCustomColors();
    EXPECT_EQ(CPersist(kKey).LoadDWord("CustomColor15"), 0x101010u);
    textsettings::CustomColors()[3] = 0;
    textsettings::LoadCustomColors();
    EXPECT_EQ(textsettings::CustomColors()[3], 0x040404u);
}

TEST(TextTool, FontSizeRule) {
    struct Case {
        int points;
        double pixelsPerUnit;
        int vres;
        int expected;
    } cases[] = {
        {12, 96.0 / 2540, 96, 11},  // truncation at every step
        {12, 0.0005, 96, 0},        // a tiny zoom: below one point
        {12, 0, 96, 0},             // no scale at all
        {-12, 96.0 / 2540, 96, 0},  // never negative
        {0, 96.0 / 2540, 96, 0},
        {72, 96.0 / 2540, 96, 72},
        {12, 300.0 / 2540, 300, 11},  // the same rule on a printer-like device
        {12, 96.0 / 2540, 0, 11},     // a device without a resolution counts as 96 dpi
        {2000000000, 1.0, 96, 2147483647},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CTextTool::ScreenFontSize(c.points, c.pixelsPerUnit, c.vres), c.expected)
            << c.points << " pt at " << c.pixelsPerUnit << " px/unit, " << c.vres << " dpi";
    }
}

TEST(TextTool, LinkRuleWithoutAPage) {
    CTextTool a, b, c;
    pagetest::TestTool image(pagetest::TestTool::Image);
    EXPECT_TRUE(a.IsLinkValid());  // alone
    b.LinkTo(&a);
    EXPECT_FALSE(a.IsLinkValid());  // two texts
    EXPECT_FALSE(b.IsLinkValid());
    c.LinkTo(&b);
    EXPECT_FALSE(c.IsLinkValid());
    image.LinkTo(&c);
    EXPECT_TRUE(a.IsLinkValid());  // one image among them
    EXPECT_TRUE(c.IsLinkValid());
    image.Unlink();
}

TEST_F(TextPageTest, LinkRuleOnAPage) {
    CTemplateTool* t1 = Add(0, 1, 1);
    CTemplateTool* t2 = Add(0, 4, 1);
    CTemplateTool* img = Add(1, 1, 5);
    t2->LinkTo(t1);
    EXPECT_FALSE(t1->IsLinkValid());
    img->LinkTo(t2);
    EXPECT_TRUE(t1->IsLinkValid());
    EXPECT_TRUE(t2->IsLinkValid());
}

TEST_F(TextPageTest, ApplyingTheDialogResult) {
    CTextTool* tool = AddText();
    const int changesBefore = page->checkpoints;

    // Nothing changed: nothing noted.
    EXPECT_FALSE(tool->ApplyProperties(tool->textObject, tool->rect));
    EXPECT_EQ(page->checkpoints, changesBefore);

    // Text without a face gets the fallback font.
    CTextObject text = tool->textObject;
    text.UseTextData = 1;
    text.Text = "Hello";
    text.Fontsize = 0;
    text.Weight = -1;
    EXPECT_TRUE(tool->ApplyProperties(text, tool->rect));
    EXPECT_EQ(tool->textObject.Facename, "Arial");
    EXPECT_EQ(tool->textObject.Fontsize, 12);
    EXPECT_EQ(tool->textObject.Weight, 400);
    EXPECT_EQ(page->checkpoints, changesBefore + 1);

    // A new rectangle goes through SetToolRect; an impossible one is refused.
    ToolRect moved = tool->rect;
    moved.x = 2 * 2540;
    EXPECT_TRUE(tool->ApplyProperties(tool->textObject, moved));
    EXPECT_DOUBLE_EQ(tool->rect.x, 2 * 2540);
    ToolRect broken = tool->rect;
    broken.width = -1;
    EXPECT_FALSE(tool->ApplyProperties(tool->textObject, broken));
    EXPECT_DOUBLE_EQ(tool->rect.width, 2 * 2540);
    host.Idle();
    EXPECT_EQ(RootRect(tool), Rect(160, 80, 320, 200));

    // EditProperties runs the installed dialog and applies a confirmed result.
    CTextTool::SetPropertiesRunner([](CTextTool*, CTextObject* t, ToolRect*) -> BOOL {
        t->Justify = 1;
        return TRUE;
    });
    tool->EditProperties();
    EXPECT_EQ(tool->textObject.Justify, 1);
    CTextTool::SetPropertiesRunner([](CTextTool*, CTextObject* t, ToolRect*) -> BOOL {
        t->Justify = 2;
        return FALSE;  // cancelled
    });
    tool->EditProperties();
    EXPECT_EQ(tool->textObject.Justify, 1);
    CTextTool::SetPropertiesRunner(nullptr);
}

TEST_F(TextPageTest, PlaceholderAndPlusSign) {
    CTextTool* off = AddText(1, 1);
    CTextTool* empty = AddText(4, 1);
    empty->textObject.UseTextData = 1;
    off->SetSelection(SELECT_OFF, FALSE);
    const Rect a = RootRect(off), b = RootRect(empty);
    ASSERT_EQ(a, Rect(80, 80, 240, 200));
    const platform::Bitmap& shot = host.Render();

    // The placeholder image at (left + 4, top + 4), in both areas.
    const platform::Bitmap& image = off->placeholder;
    int compared = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if ((image.GetRawPixel(x, y) >> 24) != 0xFF)
                continue;  // transparent
            EXPECT_EQ(shot.GetPixel(a.left + 4 + x, a.top + 4 + y), image.GetPixel(x, y));
            EXPECT_EQ(shot.GetPixel(b.left + 4 + x, b.top + 4 + y), image.GetPixel(x, y));
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);

    // The plus sign only where content is on: its arms end before their end points.
    auto plus = [&](const Rect& r) {
        return std::vector<COLORREF>{
            shot.GetPixel(r.right - 10, r.top + 6), shot.GetPixel(r.right - 4, r.top + 6),
            shot.GetPixel(r.right - 7, r.top + 3), shot.GetPixel(r.right - 7, r.top + 9)};
    };
    for (COLORREF c : plus(b))
        EXPECT_EQ(c, RGB(0, 0, 0));
    for (COLORREF c : plus(a))
        EXPECT_EQ(c, RGB(255, 255, 255));
    EXPECT_EQ(shot.GetPixel(b.right - 3, b.top + 6), RGB(255, 255, 255));
    EXPECT_EQ(shot.GetPixel(b.right - 7, b.top + 10), RGB(255, 255, 255));

    // Nothing else inside the area without content: no background, no text.
    Rect inner = a;
    inner.Deflate(2, 2);
    inner.left += 24;
    EXPECT_TRUE(Ink(inner).IsEmpty());
}

TEST_F(TextPageTest, SelectionFrames) {
    CTextTool* plain = AddText(1, 1);
    CTextTool* other = AddText(4, 1);
    CTextTool* focus = AddText(1, 4);
    plain->SetSelection(SELECT_OFF, FALSE);
    other->SetSelection(SELECT_ON, FALSE);
    focus->SetSelection(SELECT_ON, TRUE);  // the focus moves to the last one
    ASSERT_EQ(focus->GetSelectionFlags() & 3, 3);
    ASSERT_EQ(other->GetSelectionFlags() & 3, 1);
    const platform::Bitmap& shot = host.Render();

    // Unselected: a 1-pixel black frame on the rectangle's edge.
    const Rect p = RootRect(plain);
    const int midY = (p.top + p.bottom) / 2;
    EXPECT_EQ(shot.GetPixel(p.left, midY), RGB(0, 0, 0));
    EXPECT_EQ(shot.GetPixel(p.right - 1, midY), RGB(0, 0, 0));
    EXPECT_EQ(shot.GetPixel(p.left + 1, midY), RGB(255, 255, 255));

    // Selected: 2 pixels wide; the focus colour for the focus area.
    const Rect f = RootRect(focus);
    const int fy = (f.top + f.bottom) / 2;
    const int fx = (f.left + f.right) / 2;
    EXPECT_EQ(shot.GetPixel(f.left, fy), 0xFF4040u);
    EXPECT_EQ(shot.GetPixel(f.left + 1, fy), 0xFF4040u);
    EXPECT_EQ(shot.GetPixel(f.left + 2, fy), RGB(255, 255, 255));
    EXPECT_EQ(shot.GetPixel(fx, f.top), 0xFF4040u);
    EXPECT_EQ(shot.GetPixel(fx, f.top + 1), 0xFF4040u);
    EXPECT_EQ(shot.GetPixel(fx, f.top + 2), RGB(255, 255, 255));
    const Rect o = RootRect(other);
    EXPECT_EQ(shot.GetPixel(o.left, (o.top + o.bottom) / 2), 0xFF8080u);
    EXPECT_EQ(shot.GetPixel(o.left + 1, (o.top + o.bottom) / 2), 0xFF8080u);
}

TEST_F(TextPageTest, ContentIsDrawnInsideTheArea) {
    CTextTool* tool = AddText(1, 1);
    tool->SetSelection(SELECT_OFF, FALSE);
    CTextObject& t = tool->textObject;
    t.UseTextData = 1;
    t.Facename = "Arial";
    t.Fontsize = 24;
    t.Text = "%f rotated text";
    t.UseBGColor = 1;
    t.BGColor = RGB(255, 255, 200);
    page->Invalidate(FALSE);
    const Rect r = RootRect(tool);
    Rect inner = r;
    inner.Deflate(1, 1);
    const std::vector<COLORREF> paper{RGB(255, 255, 200)};
    Rect flat = Ink(inner, paper);
    ASSERT_FALSE(flat.IsEmpty());
    // The placeholder is not drawn and the background is filled.
    EXPECT_EQ(host.Render().GetPixel(r.left + 5, r.top + 5) == RGB(128, 128, 128), false);
    EXPECT_EQ(host.Render().GetPixel(r.right - 3, r.bottom - 3), RGB(255, 255, 200));

    t.Rotate = 90;
    page->Invalidate(FALSE);
    Rect turned = Ink(inner, paper);
    ASSERT_FALSE(turned.IsEmpty());
    EXPECT_GT(turned.Height(), turned.Width());
    // Nothing of the text leaks out of the area.
    Rect around = r;
    around.Inflate(40, 40);
    Rect all = Ink(around, {RGB(255, 255, 200), RGB(0, 0, 0)});
    EXPECT_TRUE(all.IsEmpty() || (all.left >= r.left && all.right <= r.right && all.top >= r.top &&
                                  all.bottom <= r.bottom));

    // Content off: no background even with UseBGColor set.
    t.UseTextData = 0;
    page->Invalidate(FALSE);
    EXPECT_EQ(host.Render().GetPixel(r.right - 3, r.bottom - 3), RGB(255, 255, 255));
}

TEST_F(TextPageTest, DegenerateAreasDrawNothingHarmful) {
    CTextTool* tool = AddText(1, 1);
    tool->textObject.UseTextData = 1;
    tool->textObject.Text = "x";
    tool->textObject.Fontsize = 2000000000;
    page->Invalidate(FALSE);
    host.Render();
    // A page of no size gives a scale of 0: the text is drawn at size 0.
    page->paper = PaperSize(0, 0, UNIT_INCHES);
    EXPECT_EQ(tool->PageScale(), 0);
    page->Invalidate(FALSE);
    host.Render();
    // An area squeezed to nothing.
    tool->MoveWindow(10, 10, 0, 0);
    tool->flags |= TOOL_SELECTED | TOOL_FOCUS;
    page->Invalidate(FALSE);
    EXPECT_TRUE(Ink(Rect(0, 0, 40, 40)).IsEmpty());  // no stray frame pixels
    platform::DC nothing;                            // a DC with nothing to draw on
    tool->Draw(&nothing);
    tool->DrawOutline(&nothing);
    tool->Draw(nullptr);
    tool->DrawOutline(nullptr);
}

// A template may give an area absurd lengths, which are kept as read: the
// page must still paint it (frame, outline, text) in a moment and without
// running out of memory.
TEST_F(TextPageTest, AreasWithAbsurdLengthsStillPaint) {
    CTextTool* tool = AddText(1, 1);
    tool->textObject.UseTextData = 1;
    tool->textObject.Text = "hello world";
    tool->textObject.Fontsize = 12;
    tool->flags |= TOOL_SELECTED | TOOL_FOCUS;
    const ToolRect absurd[] = {
        ToolRect(1e12, 1e12, 1e12, 1e12, UNIT_REAL),
        ToolRect(-1e12, -1e12, 1e12, 1e12, UNIT_REAL),
        ToolRect(-5000, -5000, 1e9, 1e9, UNIT_REAL),
    };
    for (const ToolRect& r : absurd) {
        SCOPED_TRACE(r.x);
        tool->rect = r;
        tool->UpdateWindowPos();
        host.Idle();
        page->Invalidate(FALSE);
        host.Render();
    }
}

// What the page shows after areas were moved and resized must be exactly
// what a fresh paint of the same state gives: nothing drawn outside the
// rectangles the moves invalidate may stay behind.
TEST_F(TextPageTest, MovingAndResizingLeavesNoStrayPixels) {
    // Renders what is invalid, then everything, and describes the pixels in
    // which the two differ ("" when none).
    auto strayPixels = [this]() {
        const platform::Bitmap shown = host.Render().Clone();
        host.root()->Invalidate(TRUE);
        return golden::DifferingPixels(shown, host.Render());
    };

    CTextTool* a = AddText(1, 1);
    CTextTool* b = AddText(4, 1);
    a->SetSelection(SELECT_ON, FALSE);
    b->SetSelection(SELECT_ON, TRUE);  // one focus frame, one selected frame
    host.Render();

    struct Step {
        const char* what;
        double x, y, w, h;  // inches; w = 0 keeps the size
    };
    const Step steps[] = {
        {"right and down", 2.5, 2.25, 0, 0}, {"up and left", 1.5, 0.5, 0, 0},
        {"wider", 1.5, 0.5, 3, 0.75},        {"smaller", 1.75, 0.75, 1, 0.5},
        {"back down", 1.0, 3.0, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        for (CTextTool* t : {a, b}) {
            ToolRect r = t->rect;
            r.x = (s.x + (t == b ? 3.5 : 0)) * 2540;
            r.y = s.y * 2540;
            if (s.w > 0) {
                r.width = s.w * 2540;
                r.height = s.h * 2540;
            }
            ASSERT_TRUE(t->SetToolRect(r));
            t->UpdateWindowPos();
        }
        host.Idle();
        EXPECT_EQ(strayPixels(), "");
    }

    // The page itself resized, as when the template window is made smaller
    // and larger again, with the areas selected.
    for (int width : {kPixelsPerInch * 6, kPixelsPerInch * 17 / 2}) {
        SCOPED_TRACE(width);
        page->MoveWindow(0, 0, width, width * 22 / 17);
        host.Idle();
        EXPECT_EQ(strayPixels(), "");
    }

    // Dragging the focus area with the mouse.
    const Rect r = RootRect(b);
    host.Drag(r.left + 20, r.top + 20, r.left + 57, r.top + 83, 6);
    EXPECT_EQ(strayPixels(), "");
}
