// The page base: sizing in the parent, unit conversions, the tool array and
// its bad arguments, link groups, z-order of the area windows, painting
// order and the page's context menu.
#include "framework/testing/page_fixture.h"

using platform::Rect;

namespace pagetest {
namespace {

class PageTest : public PageFixture {};

TEST_F(PageTest, FitToParentKeepsProportionsAndCentres) {
    struct Case {
        const char* name;
        double width, height;  // inches
        int cx, cy;
        Rect expected;  // in the view
    };
    const Case cases[] = {
        {"portrait Letter, parent size", 8.5, 11, -1, -1, Rect(291, 30, 291 + 417, 30 + 540)},
        {"landscape Letter, parent size", 11, 8.5, -1, -1, Rect(151, 30, 151 + 698, 30 + 540)},
        {"portrait Letter, tall parent", 8.5, 11, 400, 1000, Rect(20, 267, 20 + 360, 267 + 465)},
        {"no paper size", 0, 0, -1, -1, Rect(500, 300, 500, 300)},
        {"empty parent", 8.5, 11, 0, 0, Rect(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->paper = PaperSize(c.width, c.height, UNIT_INCHES);
        page->FitToParent(c.cx, c.cy);
        EXPECT_EQ(page->GetRectInParent(), c.expected);
    }
}

TEST_F(PageTest, UnitConversionsFollowTheWindowAndSurviveAZeroPaper) {
    // 340 x 440 pixels for 8.5 x 11 inches: 63.5 units per pixel.
    EXPECT_DOUBLE_EQ(page->GetUnitsPerPixelX(), 63.5);
    EXPECT_DOUBLE_EQ(page->GetUnitsPerPixelY(), 63.5);
    EXPECT_DOUBLE_EQ(page->GetPixelsPerUnitX(), 1 / 63.5);
    SetMargins(0.5);
    EXPECT_EQ(page->GetPrintableRect(), Rect(20, 20, 320, 420));
    EXPECT_TRUE(page->IsInPrintableArea(20, 20));
    EXPECT_FALSE(page->IsInPrintableArea(320, 100));  // right edge exclusive
    EXPECT_FALSE(page->IsInPrintableArea(19, 100));

    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    page->paper = PaperSize();
    EXPECT_EQ(page->GetPixelsPerUnitX(), 0);
    EXPECT_EQ(page->GetPixelsPerUnitY(), 0);
    page->FitToParent(-1, -1);
    EXPECT_EQ(page->GetUnitsPerPixelX(), 0);  // zero-width window
    tool->UpdateWindowPos();
    host.Idle();
    page->Invalidate();
    host.Render();
    page->DrawGrid(nullptr);
    EXPECT_EQ(tool->GetRectInParent(), Rect());
}

TEST_F(PageTest, ToolArrayGrowsAndShrinksAndRefusesBadArguments) {
    EXPECT_EQ(page->tools, nullptr);
    CTemplateTool* a = Add(TestTool::Text, 1, 1);
    ASSERT_NE(page->tools, nullptr);
    EXPECT_EQ(page->GetToolCount(), 1);
    EXPECT_EQ(a->rect.unit, page->paper.unit);
    EXPECT_FALSE(page->AddTool(a));  // already there
    EXPECT_FALSE(page->AddTool(nullptr));
    CTemplateTool* b = Add(TestTool::Image, 3, 3);

    EXPECT_EQ(page->GetToolAt(-1), nullptr);
    EXPECT_EQ(page->GetToolAt(2), nullptr);
    EXPECT_EQ(page->GetToolIndex(nullptr), -1);
    EXPECT_EQ(page->GetGroupFirstIndex(nullptr), -1);
    EXPECT_EQ(page->GetGroupLastIndexAt(7), -1);
    EXPECT_EQ(page->GetGroupFirstAt(-1), nullptr);
    EXPECT_EQ(page->GetGroupLast(nullptr), nullptr);
    std::vector<CTemplateTool*> out{a};
    EXPECT_EQ(page->CollectGroupAt(5, out), 0);
    EXPECT_EQ(page->CollectGroup(nullptr, out), 1);  // old size, nothing appended
    EXPECT_EQ(page->GetGroupSize(nullptr), 0);
    EXPECT_EQ(page->GetGroupSizeAt(-3), 0);
    EXPECT_FALSE(page->IsInGroup(nullptr, a));
    EXPECT_FALSE(page->IsInGroup(a, nullptr));

    ASSERT_TRUE(page->RemoveTool(a));
    EXPECT_FALSE(page->RemoveTool(a));
    EXPECT_EQ(page->GetToolAt(0), b);
    ASSERT_TRUE(page->RemoveTool(b));
    EXPECT_EQ(page->tools, nullptr);  // the only tool's removal frees the array
    EXPECT_EQ(page->GetToolCount(), 0);
    manager.toolManager.DestroyTool(a);
    manager.toolManager.DestroyTool(b);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 0);
}

TEST_F(PageTest, CallbacksWithoutDesignerGiveTheDocumentedAnswers) {
    TestPage bare;
    int out = 5;
    EXPECT_EQ(bare.QueryPendingTool(&out), -1);
    EXPECT_FALSE(bare.UpdateMargins());
    EXPECT_EQ(bare.SetModified(), 1);  // only the checkpoint
    EXPECT_EQ(bare.GetHost(), nullptr);
    EXPECT_FALSE(bare.CreatePage(ArmedTool, Changed, NoMargins, nullptr));
    char text[8] = "x";
    bare.GetPropertyText(3, text, sizeof text);
    EXPECT_STREQ(text, "");

    g_armedTool = 1;
    out = 5;
    EXPECT_EQ(page->QueryPendingTool(&out), 1);
    EXPECT_EQ(out, 0);
    page->SetModified();
    EXPECT_EQ(g_changed, 1);
    EXPECT_EQ(page->checkpoints, 1);
}

TEST_F(PageTest, EmptyPageHasNoGroupsAndGreysSelectionCommands) {
    EXPECT_EQ(page->GetGroupCount(), 0);
    EXPECT_EQ(page->GetSelectedCount(), 0);
    const platform::Point p = RootOf(200, 200);
    host.RightClick(p.x, p.y);
    ASSERT_EQ(host.menus().size(), 1u);
    const platform::Menu& menu = host.menus()[0].menu;
    ASSERT_EQ(menu.GetMenuItemCount(), 6);
    EXPECT_TRUE(menu.FindCommand(ID_MENU_FIRST)->IsEnabled());
    EXPECT_FALSE(menu.FindCommand(ID_MENU_SECOND)->IsEnabled());  // nothing to link
    EXPECT_FALSE(menu.FindCommand(ID_MENU_THIRD)->IsEnabled());   // Cut
    EXPECT_FALSE(menu.FindCommand(ID_MENU_FOURTH)->IsEnabled());  // Copy
    EXPECT_FALSE(menu.FindCommand(ID_MENU_FIFTH)->IsEnabled());   // nothing to paste
    EXPECT_EQ(menu.GetMenuString(ID_MENU_SECOND, platform::MF_BYCOMMAND), "[&Un]Link Tools");

    page->DeleteSelection();  // still a change
    EXPECT_EQ(page->checkpoints, 1);
    EXPECT_EQ(g_changed, 1);
}

TEST_F(PageTest, ContextMenuRunsItsCommandsAndExtraItems) {
    static CTemplatePage* extraCalledWith = nullptr;
    extraCalledWith = nullptr;
    page->menuExtraLabels = {"One", "Two"};
    page->menuExtraHandlers = {nullptr, [](CTemplatePage* p) { extraCalledWith = p; }};
    CTemplateTool* image = Add(TestTool::Image, 1, 1);
    CTemplateTool* text = Add(TestTool::Text, 5, 5);
    Select({image, text});
    const platform::Point p = RootOf(300, 400);

    host.QueueMenuChoice(ID_MENU_EXTRA_FIRST + 1);
    host.RightClick(p.x, p.y);
    ASSERT_EQ(host.menus().size(), 1u);
    const platform::Menu& menu = host.menus()[0].menu;
    EXPECT_EQ(menu.GetMenuItemCount(), 9);  // five, two separators, two extras
    EXPECT_TRUE(menu.FindCommand(ID_MENU_SECOND)->IsEnabled());
    EXPECT_TRUE(menu.FindCommand(ID_MENU_FOURTH)->IsEnabled());
    EXPECT_EQ(extraCalledWith, page.get());

    host.QueueMenuChoice(ID_MENU_SECOND);
    host.RightClick(p.x, p.y);
    EXPECT_TRUE(image->IsLinkedWith(text));
    host.QueueMenuChoice(ID_MENU_FOURTH);
    host.RightClick(p.x, p.y);
    EXPECT_EQ(page->copies, 1);

    // Extra labels without matching handlers are not offered.
    page->menuExtraHandlers.pop_back();
    host.RightClick(p.x, p.y);
    EXPECT_EQ(host.menus().back().menu.GetMenuItemCount(), 6);
}

TEST_F(PageTest, GroupsAreRingsEvenWhenMembersAreNotNeighbours) {
    std::vector<CTemplateTool*> t;
    for (int i = 0; i < 5; ++i)
        t.push_back(Add(TestTool::Plain, 0.5 + i, 1));
    // Adding appends: array order is creation order.
    ASSERT_EQ(Order(), t);
    t[3]->LinkTo(t[0]);
    t[4]->LinkTo(t[1]);
    EXPECT_EQ(page->GetGroupCount(), 3);
    EXPECT_EQ(page->GetGroupFirstIndex(t[3]), 0);
    EXPECT_EQ(page->GetGroupLastIndexAt(0), 3);
    EXPECT_EQ(page->GetGroupLast(t[1]), t[4]);
    std::vector<CTemplateTool*> ring;
    EXPECT_EQ(page->CollectGroup(t[3], ring), 2);
    EXPECT_EQ(ring, (std::vector<CTemplateTool*>{t[0], t[3]}));
    EXPECT_EQ(page->GetGroupSize(t[4]), 2);
    EXPECT_EQ(page->GetGroupSizeAt(2), 1);
    EXPECT_TRUE(page->IsInGroup(t[0], t[3]));
    EXPECT_TRUE(page->IsInGroup(t[2], t[2]));
    EXPECT_FALSE(page->IsInGroup(t[0], t[1]));

    // A lone area is a ring of one, even linked to itself.
    t[2]->LinkTo(t[2]);
    EXPECT_FALSE(t[2]->IsLinked());
    EXPECT_FALSE(t[2]->IsLinkedWith(t[2]));
    EXPECT_EQ(page->GetGroupSize(t[2]), 1);
    t[3]->LinkTo(nullptr);
    EXPECT_FALSE(t[0]->IsLinked());
    EXPECT_FALSE(t[3]->IsLinked());
    EXPECT_EQ(page->GetGroupCount(), 4);

    // UnlinkAll dissolves a ring of three.
    t[2]->LinkTo(t[1]);
    EXPECT_EQ(page->GetGroupSize(t[1]), 3);
    t[1]->UnlinkAll();
    for (CTemplateTool* x : t)
        EXPECT_FALSE(x->IsLinked());
}

TEST_F(PageTest, AreaWindowsAreStackedInArrayOrder) {
    std::vector<CTemplateTool*> t;
    for (int i = 0; i < 4; ++i)
        t.push_back(Add(TestTool::Plain, 0.5 + i, 1));
    auto windows = [&] {
        std::vector<CTemplateTool*> w;
        for (platform::Window* c : page->GetChildren())
            w.push_back(static_cast<CTemplateTool*>(c));
        return w;
    };
    EXPECT_EQ(windows(), Order());
    page->MoveToFront(t[2]);
    EXPECT_EQ(windows(), Order());
    EXPECT_EQ(page->GetToolAt(0), t[2]);
    // The topmost window takes the click where areas overlap.
    CTemplateTool* over = Add(TestTool::Plain, 1, 1, 3, 3);
    CTemplateTool* under = Add(TestTool::Plain, 1, 1, 3, 3);
    page->MoveToFront(under);
    EXPECT_EQ(windows(), Order());
    const platform::Point p = RootOf(60, 60);
    EXPECT_EQ(host.manager().WindowFromPoint(p), under);
    page->MoveToFront(over);
    EXPECT_EQ(host.manager().WindowFromPoint(p), over);
}

TEST_F(PageTest, PaintsGridMarginsAndAreasInOrder) {
    manager.GridVisible = 1;
    manager.ShowMargin = 1;
    manager.toolManager.ShowZOrder = 1;
    manager.gridDim = PaperSize(0.5, 0.5, UNIT_INCHES);  // 20 pixels
    SetMargins(0.5);                                     // printable (20,20)-(320,420)
    page->shownMargins = MarginRect(0.25, 0.25, 0.25, 0.25, UNIT_INCHES);  // (10,10)-(330,430)
    TestTool* a = Add(TestTool::Plain, 1, 1, 2, 1.5);                      // (40,40)-(120,100)
    a->fill = RGB(0, 200, 0);
    CTemplateTool* b = Add(TestTool::Plain, 4, 6, 2, 1);  // (160,240)-(240,280)
    b->LinkTo(a);
    page->Invalidate();
    auto pixel = [&](int x, int y) {
        const platform::Point p = RootOf(x, y);
        return host.PixelAt(p.x, p.y);
    };
    constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0;
    // Grid dots from the printable corner every 20 pixels, both far edges included.
    EXPECT_EQ(pixel(20, 20), kBlack);
    EXPECT_EQ(pixel(300, 400), kBlack);
    EXPECT_EQ(pixel(320, 420), kBlack);
    EXPECT_EQ(pixel(30, 20), kWhite);
    EXPECT_EQ(pixel(21, 21), kWhite);
    // The shown margins: a dotted line of COLORREF 0xFF0000 with white gaps.
    int dots = 0, gaps = 0;
    for (int x = 12; x < 20; ++x) {
        const COLORREF c = pixel(x, 10);
        if (c == 0xFF0000)
            ++dots;
        if (c == kWhite)
            ++gaps;
    }
    EXPECT_EQ(dots, 4);
    EXPECT_EQ(gaps, 4);
    EXPECT_EQ(pixel(329, 200) == 0xFF0000 || pixel(329, 201) == 0xFF0000, true);
    EXPECT_EQ(pixel(11, 11), kWhite);  // inside the margin line
    // Areas cover the grid; the link line (0x000080) runs from centre to
    // centre over the areas.
    EXPECT_EQ(pixel(60, 60), RGB(0, 200, 0));
    EXPECT_EQ(pixel(119, 99), RGB(0, 200, 0));
    EXPECT_EQ(pixel(120, 100), kBlack);  // grid dot just outside
    EXPECT_EQ(pixel(80, 70), 0x000080);
    EXPECT_EQ(pixel(140, 165), 0x000080);
    // Order numbers sit on a 0x800000 patch at the inner bottom-right corner.
    EXPECT_EQ(pixel(114, 94), 0x800000);
    EXPECT_EQ(pixel(234, 274), 0x800000);
    manager.toolManager.ShowZOrder = 0;
    page->Invalidate();
    EXPECT_NE(pixel(114, 94), 0x800000);
}

TEST_F(PageTest, GridStepsOfAnySizeDrawQuickly) {
    manager.GridVisible = 1;
    auto blackPixels = [&] {
        page->Invalidate();
        const platform::Bitmap& image = host.Render();
        int n = 0;
        for (int y = 10; y < 450; ++y) {
            for (int x = 20; x < 360; ++x)
                n += image.GetPixel(x, y) == 0;
        }
        return n;
    };
    // 40 pixels: 9 columns (0 to 320) and 11 rows (0 to 400; 440 is past the window).
    manager.gridDim = PaperSize(1, 1, UNIT_INCHES);
    EXPECT_EQ(blackPixels(), 9 * 11);
    manager.gridDim = PaperSize(0, 0, UNIT_INCHES);  // no grid
    EXPECT_EQ(blackPixels(), 0);
    manager.gridDim = PaperSize(-1, 0.5, UNIT_INCHES);
    EXPECT_EQ(blackPixels(), 0);
    manager.gridDim = PaperSize(0.001, 0.001, UNIT_MILLIMETERS);  // finer than a pixel
    EXPECT_EQ(blackPixels(), 340 * 440);
}

TEST_F(PageTest, RepositioningCarriesPositionsBeyondSixteenBits) {
    page->MoveWindow(0, 0, 85000, 110000);  // 10 000 pixels per inch
    CTemplateTool* tool = Add(TestTool::Text, 5, 4);
    EXPECT_EQ(tool->GetRectInParent(), Rect(50000, 40000, 70000, 55000));
    host.Render();  // a page far larger than the view still paints
}

// Lengths read from a template are stored as they come: an absurd one must
// still give the area a window whose sides do not wrap around.
TEST_F(PageTest, AbsurdLengthsGiveWindowsThatDoNotWrap) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    // Linked to an ordinary area, so the link line runs to the absurd one.
    tool->LinkTo(Add(TestTool::Image, 2, 2));
    manager.toolManager.ShowZOrder = 1;
    const ToolRect absurd[] = {
        ToolRect(1e12, 1e12, 1e12, 1e12, UNIT_REAL),
        ToolRect(-1e12, -1e12, 1e12, 1e12, UNIT_REAL),
        ToolRect(1e12, 0, 1e300, 1e300, UNIT_REAL),
    };
    for (const ToolRect& r : absurd) {
        SCOPED_TRACE(r.x);
        tool->rect = r;
        tool->UpdateWindowPos();
        host.Idle();
        const Rect placed = tool->GetRectInParent();
        EXPECT_GE(placed.right, placed.left);
        EXPECT_GE(placed.bottom, placed.top);
        EXPECT_GT(placed.Width(), 0);
        tool->flags |= TOOL_SELECTED;
        page->MoveSelection(1, 1, FALSE);
        const Rect moved = tool->GetRectInParent();
        EXPECT_GE(moved.right, moved.left);
        EXPECT_GE(moved.bottom, moved.top);
        host.Render();
    }
}

TEST_F(PageTest, ResizingThePageRepositionsItsAreas) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 2);
    EXPECT_EQ(tool->GetRectInParent(), Rect(40, 80, 120, 140));
    SetScale(20);
    EXPECT_EQ(tool->GetRectInParent(), Rect(20, 40, 60, 70));
}

TEST_F(PageTest, DestroyingThePageDestroysItsAreasThroughTheToolManager) {
    Add(TestTool::Text, 1, 1);
    Add(TestTool::Image, 3, 3);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 2);
    page.reset();
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 0);
}

}  // namespace
}  // namespace pagetest
