// The area base: selection, thresholds, mouse drags, resizing through the
// sizing border, grid snapping, magnetic margins, rectangles and the area's
// context menu. The page is at 40 pixels per inch; root pixels are page
// pixels plus (20, 10).
#include "framework/testing/page_fixture.h"

using platform::Point;
using platform::Rect;

namespace pagetest {
namespace {

class ToolTest : public PageFixture {
  protected:
    // Root pixels of a page pixel.
    Point At(int x, int y) { return RootOf(x, y); }
};

TEST_F(ToolTest, DragAndSnapThresholds) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    tool->pressX = 50;
    tool->pressY = 30;
    struct Case {
        bool grid;
        double stepInches;
        int dx, dy;
        BOOL drag, snap;
    };
    const Case cases[] = {
        {false, 0.25, 5, 0, FALSE, TRUE},  // exactly 5 pixels: no drag
        {false, 0.25, 0, -6, TRUE, TRUE},  // 6 pixels: drag; no grid, no snap threshold
        {true, 0.25, 5, 5, FALSE, FALSE},  // 10-pixel step: threshold trunc(6.5) = 6
        {true, 0.25, -6, 0, TRUE, TRUE},
        {true, 0.5, 10, -10, TRUE, FALSE},  // 20-pixel step: threshold 11
        {true, 0.5, 3, 11, TRUE, TRUE},
        {true, 0.0, 1, 1, FALSE, TRUE},  // no step: nothing to wait for
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy << " grid " << c.grid);
        manager.UseGrid = c.grid;
        manager.gridDim = PaperSize(c.stepInches, c.stepInches, UNIT_INCHES);
        EXPECT_EQ(tool->PassedDragThreshold(50 + c.dx, 30 + c.dy), c.drag);
        EXPECT_EQ(tool->PassedSnapThreshold(50 + c.dx, 30 + c.dy), c.snap);
    }
}

TEST_F(ToolTest, MouseDragFollowsOnlyPastTheThresholds) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);  // page pixels (40,40)-(120,100)
    const Point p = At(80, 70);
    host.PressLeft(p.x, p.y);
    host.MouseMove(p.x + 5, p.y);
    EXPECT_DOUBLE_EQ(tool->rect.x, kInch);
    EXPECT_FALSE(tool->flags & TOOL_DRAGGING);
    host.MouseMove(p.x + 6, p.y);
    EXPECT_DOUBLE_EQ(tool->rect.x, kInch + 6 * 63.5);
    EXPECT_EQ(tool->GetRectInParent().left, 46);  // the window follows at once
    host.ReleaseLeft(p.x + 6, p.y);
    EXPECT_EQ(page->checkpoints, 1);

    // Under a 0.5 inch grid (20 pixels) the selection waits for 11 pixels,
    // then lands on the grid.
    manager.UseGrid = 1;
    manager.gridDim = PaperSize(0.5, 0.5, UNIT_INCHES);
    const Point q = At(90, 70);
    host.PressLeft(q.x, q.y);
    host.MouseMove(q.x + 10, q.y);
    EXPECT_DOUBLE_EQ(tool->rect.x, kInch + 6 * 63.5);
    host.MouseMove(q.x + 11, q.y);
    EXPECT_DOUBLE_EQ(tool->rect.x, 1.5 * kInch);
    host.ReleaseLeft(q.x + 11, q.y);
    EXPECT_EQ(page->checkpoints, 2);
}

TEST_F(ToolTest, ADragOfManyStepsIsOneChange) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    const Point p = At(80, 70);
    host.Drag(p.x, p.y, p.x + 100, p.y + 120, 25);
    EXPECT_DOUBLE_EQ(tool->rect.x, 3.5 * kInch);
    EXPECT_DOUBLE_EQ(tool->rect.y, 4.0 * kInch);
    EXPECT_EQ(page->checkpoints, 1);
    EXPECT_EQ(g_changed, 1);
    EXPECT_EQ(tool->flags & (TOOL_PRESSED | TOOL_DRAGGING), 0);

    // Released outside the printable area: still one change, and the area
    // stays inside.
    SetMargins(0.5);
    const Point q = At(150, 180);
    host.Drag(q.x, q.y, q.x + 400, q.y, 10);
    EXPECT_EQ(page->checkpoints, 2);
    EXPECT_DOUBLE_EQ(tool->rect.x + tool->rect.width, 8.0 * kInch);
    EXPECT_EQ(tool->flags & (TOOL_PRESSED | TOOL_DRAGGING), 0);
}

TEST_F(ToolTest, ClickSelectionAndToggles) {
    CTemplateTool* a = Add(TestTool::Text, 1, 1);
    CTemplateTool* b = Add(TestTool::Text, 4, 1);
    CTemplateTool* c = Add(TestTool::Text, 1, 4);
    EXPECT_EQ(page->GetSelectedCount(), 1);  // the last one attached
    EXPECT_EQ(c->flags & (TOOL_SELECTED | TOOL_FOCUS), TOOL_SELECTED | TOOL_FOCUS);
    EXPECT_TRUE(c->GetStyle() & platform::WS_THICKFRAME);

    Point p = At(80, 70);
    host.Click(p.x, p.y);
    EXPECT_EQ(page->GetSelectedCount(), 1);
    EXPECT_TRUE(a->flags & TOOL_FOCUS);
    EXPECT_FALSE(c->GetStyle() & platform::WS_THICKFRAME);
    // Shift-click adds b (and gives it the focus), Ctrl-click takes it away
    // again; the focus returns to the first selected area.
    host.KeyDown(platform::VK_SHIFT);
    p = At(200, 70);
    host.Click(p.x, p.y);
    host.KeyUp(platform::VK_SHIFT);
    EXPECT_EQ(page->GetSelectedCount(), 2);
    EXPECT_EQ(b->flags & TOOL_FOCUS, TOOL_FOCUS);
    EXPECT_EQ(a->flags & TOOL_FOCUS, 0);
    host.KeyDown(platform::VK_CONTROL);
    host.Click(p.x + 10, p.y);
    host.KeyUp(platform::VK_CONTROL);
    EXPECT_EQ(page->GetSelectedCount(), 1);
    EXPECT_EQ(a->flags & (TOOL_SELECTED | TOOL_FOCUS), TOOL_SELECTED | TOOL_FOCUS);

    EXPECT_EQ(b->SetSelectionFlags(TOOL_SELECTED), 0);
    EXPECT_EQ(page->GetSelectedCount(), 2);
    EXPECT_EQ(b->GetSelectionFlags(), TOOL_SELECTED | TOOL_FOCUS);
    a->SetSelection(SELECT_OFF, FALSE);  // deselects everything
    EXPECT_EQ(page->GetSelectedCount(), 0);
    EXPECT_EQ(page->checkpoints, 0);  // selection is no change to the template
}

TEST_F(ToolTest, CursorAndDoubleClicks) {
    auto* a = Add(TestTool::Image, 1, 1);
    auto* b = Add(TestTool::Text, 5, 1);
    auto* c = Add(TestTool::Text, 5, 4);
    b->LinkTo(a);
    c->LinkTo(a);
    const Point p = At(220, 70);  // on b
    host.Click(p.x, p.y);
    host.MouseMove(p.x, p.y);
    EXPECT_EQ(host.cursor(), platform::LoadCursor(platform::IDC_SIZEALL));

    host.AdvanceTime(1000);
    host.DoubleClick(p.x, p.y);
    EXPECT_EQ(b->propertiesEdits, 1);
    host.AdvanceTime(1000);
    host.KeyDown(platform::VK_CONTROL);
    host.DoubleClick(p.x, p.y);
    host.KeyUp(platform::VK_CONTROL);
    EXPECT_EQ(page->GetSelectedCount(), 3);  // the whole ring
    EXPECT_EQ(b->propertiesEdits, 1);
}

TEST_F(ToolTest, ResizingThroughTheSizingBorder) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);  // page (40,40)-(120,100), band 4 pixels
    const Point edge = At(118, 70);

    // A press on the band without moving a side by a pixel changes nothing.
    host.PressLeft(edge.x, edge.y);
    host.MouseMove(edge.x, edge.y);
    host.ReleaseLeft(edge.x, edge.y);
    EXPECT_DOUBLE_EQ(tool->rect.width, 2 * kInch);
    EXPECT_EQ(page->checkpoints, 0);

    // Even a single sizing step is applied, once, as one change.
    host.AdvanceTime(1000);
    host.PressLeft(edge.x, edge.y);
    host.MouseMove(edge.x + 10, edge.y);
    host.ReleaseLeft(edge.x + 10, edge.y);
    EXPECT_DOUBLE_EQ(tool->rect.width, 90 * 63.5);
    EXPECT_DOUBLE_EQ(tool->rect.x, kInch);
    EXPECT_EQ(page->checkpoints, 1);

    // Under a 0.25 inch grid (10 pixels) the tracked side snaps, and so does
    // the area's rectangle.
    manager.UseGrid = 1;
    manager.gridDim = PaperSize(0.25, 0.25, UNIT_INCHES);
    const Point left = At(41, 70);
    host.AdvanceTime(1000);
    host.PressLeft(left.x, left.y);
    host.MouseMove(left.x - 13, left.y);
    host.MouseMove(left.x - 17, left.y);
    host.ReleaseLeft(left.x - 17, left.y);
    EXPECT_DOUBLE_EQ(tool->rect.x, 0.5 * kInch);                    // 23 pixels snap to 20
    EXPECT_DOUBLE_EQ(tool->rect.x + tool->rect.width, 130 * 63.5);  // right side kept
    EXPECT_EQ(tool->GetRectInParent(), Rect(20, 40, 130, 100));
    EXPECT_EQ(page->checkpoints, 2);

    // Escape cancels: nothing is applied.
    const Point bottom = At(80, 98);
    host.AdvanceTime(1000);
    host.PressLeft(bottom.x, bottom.y);
    host.MouseMove(bottom.x, bottom.y + 30);
    host.PressKey(platform::VK_ESCAPE);
    host.ReleaseLeft(bottom.x, bottom.y + 30);
    EXPECT_DOUBLE_EQ(tool->rect.height, 1.5 * kInch);
    EXPECT_EQ(page->checkpoints, 2);
    EXPECT_FALSE(tool->flags & TOOL_SIZING);
}

TEST_F(ToolTest, TrackRectangleSnapsOrClampsOnlyTheMovedSides) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    manager.gridDim = PaperSize(0.25, 0.25, UNIT_INCHES);  // 10 pixels
    struct Case {
        const char* name;
        bool snap;
        double margins;
        int edge;
        Rect in, out;
    };
    const Case cases[] = {
        {"right", true, 0, 2, Rect(43, 40, 133, 100), Rect(43, 40, 130, 100)},
        {"left", true, 0, 1, Rect(44, 37, 133, 100), Rect(40, 37, 133, 100)},
        {"bottom-right", true, 0, 8, Rect(41, 41, 400, 500), Rect(41, 41, 340, 440)},
        {"too narrow grows right", true, 0, 2, Rect(40, 40, 42, 100), Rect(40, 40, 50, 100)},
        {"too narrow grows left", true, 0, 1, Rect(40, 40, 42, 100), Rect(30, 40, 42, 100)},
        {"grid from the margin", true, 0.5, 4, Rect(33, 36, 120, 100), Rect(30, 40, 120, 100)},
        {"clamp top-left", false, 0.5, 4, Rect(5, 5, 100, 100), Rect(20, 20, 100, 100)},
        {"clamp right only", false, 0.5, 2, Rect(5, 5, 400, 100), Rect(5, 5, 320, 100)},
        {"clamp unknown code", false, 0.5, 9, Rect(5, 5, 400, 500), Rect(20, 20, 320, 420)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetMargins(c.margins);
        Rect r = c.in;
        if (c.snap) {
            tool->SnapTrackRect(c.edge, &r);
        } else {
            tool->ClampTrackRect(c.edge, &r);
        }
        EXPECT_EQ(r, c.out);
    }
}

TEST_F(ToolTest, MagneticMarginsPullCloserThanTwoMillimetres) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    SetMargins(0.5);
    const double pl = 0.5 * kInch, pr = 8.0 * kInch, pb = 10.5 * kInch;
    struct Case {
        const char* name;
        int edge;
        ToolRect in;
        ToolRect out;
    };
    auto r = [](double x, double y, double w, double h) {
        ToolRect t;
        t.x = x, t.y = y, t.width = w, t.height = h, t.unit = UNIT_INCHES;
        return t;
    };
    const Case cases[] = {
        {"left 1.99 mm", 1, r(pl + 199, 3000, 5000, 4000), r(pl, 3000, 5199, 4000)},
        {"left 2.00 mm", 1, r(pl + 200, 3000, 5000, 4000), r(pl + 200, 3000, 5000, 4000)},
        {"left outside", 7, r(pl - 150, 3000, 5000, 4000), r(pl, 3000, 4850, 4000)},
        {"right 1.99 mm", 2, r(10000, 3000, pr - 199 - 10000, 4000),
         r(10000, 3000, pr - 10000, 4000)},
        {"right 2.00 mm", 8, r(10000, 3000, pr - 200 - 10000, 4000),
         r(10000, 3000, pr - 200 - 10000, 4000)},
        {"bottom, not left", 6, r(pl + 10, 3000, 5000, pb - 3000 - 100),
         r(pl + 10, 3000, 5000, pb - 3000)},
        {"all sides", 0, r(pl + 10, 1270 + 50, pr - pl - 30, pb - 1270 - 70),
         r(pl, 1270, pr - pl, pb - 1270)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tool->rect = c.in;
        tool->FitToMargins(c.edge);
        EXPECT_DOUBLE_EQ(tool->rect.x, c.out.x);
        EXPECT_DOUBLE_EQ(tool->rect.y, c.out.y);
        EXPECT_DOUBLE_EQ(tool->rect.width, c.out.width);
        EXPECT_DOUBLE_EQ(tool->rect.height, c.out.height);
    }
}

TEST_F(ToolTest, GridSnapKeepsTheAreaInsideWithoutWideningIt) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    manager.gridDim = PaperSize(0.5, 0.5, UNIT_INCHES);
    // Grid lines from the 0.3 inch margin: ..., 7.8, 8.3; printable right 8.2.
    SetMargins(0.3);
    struct Case {
        const char* name;
        int edge;
        double x, w;          // inches
        double wantX, wantW;  // inches
    };
    const Case cases[] = {
        {"placement shifts back a whole step", 0, 6.2, 1.9, 5.8, 2.0},
        {"right side pulled back a step", 2, 6.2, 1.9, 6.2, 1.6},
        {"inside stays on the nearest lines", 0, 1.2, 1.9, 1.3, 2.0},
        {"left side snaps, right kept", 1, 1.2, 1.9, 1.3, 1.8},
        {"wider than the printable area", 0, 0.1, 9.0, 0.3, 7.9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tool->rect.x = c.x * kInch;
        tool->rect.y = 1.3 * kInch;
        tool->rect.width = c.w * kInch;
        tool->rect.height = 1.0 * kInch;
        tool->SnapToGrid(c.edge);
        EXPECT_NEAR(tool->rect.x / kInch, c.wantX, 1e-9);
        EXPECT_NEAR(tool->rect.width / kInch, c.wantW, 1e-9);
        EXPECT_LE(tool->rect.x + tool->rect.width, 8.2 * kInch + 1e-6);
        EXPECT_GE(tool->rect.x, 0.3 * kInch - 1e-6);
    }
    EXPECT_EQ(tool->rect.unit, UNIT_INCHES);

    // Zero and negative steps never divide by zero.
    manager.gridDim = PaperSize(0, -1, UNIT_INCHES);
    tool->rect.x = 1.234 * kInch;
    tool->rect.width = 1.0 * kInch;
    tool->SnapToGrid(0);
    EXPECT_NEAR(tool->rect.x / kInch, 1.234, 1e-6);
}

TEST_F(ToolTest, SetToolRectRefusesBadRectanglesAndShortensToThePaper) {
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    const ToolRect current = tool->rect;
    auto with = [&](double x, double y, double w, double h) {
        ToolRect r = current;
        r.x = x * kInch, r.y = y * kInch, r.width = w * kInch, r.height = h * kInch;
        return r;
    };
    struct Case {
        const char* name;
        ToolRect r;
        BOOL ok;
        double wantW, wantH;
    };
    const Case cases[] = {
        {"unchanged", current, FALSE, 2, 1.5},
        {"zero width", with(1, 1, 0, 1), FALSE, 2, 1.5},
        {"negative height", with(1, 1, 1, -1), FALSE, 2, 1.5},
        {"negative x", with(-0.1, 1, 1, 1), FALSE, 2, 1.5},
        {"x on the right edge", with(8.5, 1, 1, 1), FALSE, 2, 1.5},
        {"y past the bottom", with(1, 12, 1, 1), FALSE, 2, 1.5},
        {"shortened", with(8, 10, 2, 3), TRUE, 0.5, 1},
        {"fits", with(2, 2, 3, 3), TRUE, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tool->SetToolRect(c.r), c.ok);
        EXPECT_DOUBLE_EQ(tool->rect.width, c.wantW * kInch);
        EXPECT_DOUBLE_EQ(tool->rect.height, c.wantH * kInch);
    }
    TestTool loose(TestTool::Text);
    EXPECT_FALSE(loose.SetToolRect(with(1, 1, 1, 1)));  // no page
    loose.TransposeRect();
    EXPECT_DOUBLE_EQ(loose.rect.width, 1.5 * kInch);
    EXPECT_DOUBLE_EQ(loose.rect.height, 2 * kInch);
}

TEST_F(ToolTest, AnAreaWithoutAPageDoesNothing) {
    TestTool loose(TestTool::Text);
    loose.SetSelection(SELECT_ON, FALSE);
    loose.UpdateWindowPos();
    loose.SnapToGrid(0);
    loose.FitToMargins(0);
    Rect r(1, 2, 3, 4);
    loose.GetRectInPage(&r);
    EXPECT_EQ(r, Rect());
    EXPECT_EQ(loose.flags, 0);
    EXPECT_FALSE(loose.AttachToPage(nullptr, nullptr));
    EXPECT_FALSE(loose.DrawToolIcon(nullptr, 0, 0));
    EXPECT_EQ(loose.CacheToolIcon(), nullptr);
    EXPECT_FALSE(loose.DrawToolIconOn(nullptr, 0, 0));
}

TEST_F(ToolTest, ContextMenuCommandsRestackAndMarkModified) {
    static CTemplateTool* extraCalledWith = nullptr;
    extraCalledWith = nullptr;
    CTemplateTool* a = Add(TestTool::Text, 1, 1);
    auto* b = Add(TestTool::Text, 4, 4);
    b->menuExtraLabels = {"Insert"};
    b->menuExtraHandlers = {[](CTemplateTool* t) { extraCalledWith = t; }};
    ASSERT_EQ(Order(), (std::vector<CTemplateTool*>{a, b}));
    const Point p = At(200, 200);

    host.QueueMenuChoice(ID_MENU_FOURTH);  // to front
    host.RightClick(p.x, p.y);
    ASSERT_EQ(host.menus().size(), 1u);
    const platform::Menu& menu = host.menus()[0].menu;
    ASSERT_EQ(menu.GetMenuItemCount(), 8);
    const UINT ids[] = {ID_MENU_FIRST, 0, ID_MENU_FOURTH,     ID_MENU_FIFTH, ID_MENU_SECOND,
                        ID_MENU_THIRD, 0, ID_MENU_EXTRA_FIRST};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(menu.GetMenuItemID(i), ids[i]) << i;
    EXPECT_EQ(Order(), (std::vector<CTemplateTool*>{b, a}));
    EXPECT_EQ(page->checkpoints, 1);

    host.QueueMenuChoice(ID_MENU_EXTRA_FIRST);
    host.RightClick(p.x, p.y);
    EXPECT_EQ(extraCalledWith, b);
    host.QueueMenuChoice(ID_MENU_THIRD);  // backward
    host.RightClick(p.x, p.y);
    EXPECT_EQ(Order(), (std::vector<CTemplateTool*>{a, b}));
    EXPECT_EQ(page->checkpoints, 2);
}

}  // namespace
}  // namespace pagetest
