// Editing of areas on the page: placing, moving under grid and margins,
// arrow keys, deleting, the stacking moves and linking.
#include <algorithm>
#include <functional>

#include "framework/testing/page_fixture.h"

using platform::Point;
using platform::Rect;

namespace pagetest {
namespace {

class EditingTest : public PageFixture {};

TEST_F(EditingTest, ClickPlacesTheArmedAreaInsideThePrintableArea) {
    struct Case {
        const char* name;
        int armed;
        bool grid;
        Point click;  // page pixels, 40 per inch
        bool placed;
        double x, y;  // inches
    };
    const Case cases[] = {
        {"1 inch from the right edge", 0, false, {300, 200}, true, 6.25, 5.0},
        {"bottom-right corner", 0, false, {325, 425}, true, 6.25, 9.25},
        {"inside the margin corner", 0, false, {12, 12}, true, 0.3, 0.3},
        {"image area", 1, false, {300, 12}, true, 5.25, 0.3},
        {"on the grid from the margin", 0, true, {53, 61}, true, 1.25, 1.5},
        {"grid at the right edge", 0, true, {300, 200}, true, 6.25, 5.0},
        {"outside the printable area", 0, false, {5, 200}, false, 0, 0},
        {"no armed tool", -1, false, {100, 100}, false, 0, 0},
    };
    SetMargins(0.25);
    manager.gridDim = PaperSize(0.25, 0.25, UNIT_INCHES);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->DeleteAllTools();
        g_armedTool = c.armed;
        manager.UseGrid = c.grid;
        const int before = page->GetToolCount();
        const int checkpoints = page->checkpoints;
        host.AdvanceTime(1000);
        const Point root = RootOf(c.click.x, c.click.y);
        host.Click(root.x, root.y);
        if (!c.placed) {
            EXPECT_EQ(page->GetToolCount(), before);
            EXPECT_EQ(page->checkpoints, checkpoints);
            continue;
        }
        ASSERT_EQ(page->GetToolCount(), before + 1);
        CTemplateTool* tool = page->GetToolAt(0);  // on top
        EXPECT_NEAR(InchesX(tool), c.x, 1e-9);
        EXPECT_NEAR(InchesY(tool), c.y, 1e-9);
        EXPECT_EQ(tool->rect.unit, UNIT_INCHES);
        EXPECT_EQ(page->GetSelectedCount(), 1);
        EXPECT_TRUE(tool->flags & TOOL_SELECTED);
        EXPECT_EQ(page->checkpoints, checkpoints + 1);
        EXPECT_EQ(tool->GetRectInParent().left, page->UnitsToPixelsX(tool->rect.x));
    }
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), page->GetToolCount());
}

TEST_F(EditingTest, PlaceNewToolRefusesMissingArgumentsAndKeepsBigAreasOnThePaper) {
    TestTool tool(TestTool::Image);
    ToolRect r;
    const Point click(100, 100);
    EXPECT_FALSE(page->PlaceNewTool(nullptr, &r, &click));
    EXPECT_FALSE(page->PlaceNewTool(&tool, nullptr, &click));
    EXPECT_FALSE(page->PlaceNewTool(&tool, &r, nullptr));
    tool.rect.width = 9 * kInch;  // wider than the paper
    SetMargins(0.25);
    ASSERT_TRUE(page->PlaceNewTool(&tool, &r, &click));
    EXPECT_DOUBLE_EQ(r.x, 0.25 * kInch);
}

TEST_F(EditingTest, GridSnappedMoves) {
    SetScale(100);  // 1 pixel = 0.01 inch
    manager.UseGrid = 1;
    manager.gridDim = PaperSize(0.25, 0.25, UNIT_INCHES);
    page->activeMargins = MarginRect(0.2, 0.2, 0.1, 0.2, UNIT_INCHES);
    CTemplateTool* tool = Add(TestTool::Text, 1.0, 1.0);
    struct Case {
        int dx;
        BOOL snap;
        double x;
    };
    const Case cases[] = {
        {33, TRUE, 1.45},    // the box would start at 1.33: 0.2 + 0.25 x near(4.52)
        {-12, FALSE, 1.33},  // keys and unsnapped moves keep the pixel
        {500, TRUE, 6.2},    // clamped to 6.4, rounds up past the limit: one step back
        {-900, TRUE, 0.2},   // clamped to the left margin
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx);
        EXPECT_EQ(page->MoveSelection(c.dx, 0, c.snap), 1);
        EXPECT_NEAR(InchesX(tool), c.x, 1e-9);
        EXPECT_NEAR(InchesY(tool), 0.95, 1e-9);  // 0.2 + 0.25 x near(3.2), then stays
        EXPECT_EQ(tool->GetRectInParent().left, page->UnitsToPixelsX(tool->rect.x));
    }
    EXPECT_EQ(page->checkpoints, 0);  // moves alone are no change yet
}

TEST_F(EditingTest, ArrowKeysMoveOnePixelAndStopAtThePrintableEdge) {
    manager.UseGrid = 1;  // keys never snap
    manager.gridDim = PaperSize(0.5, 0.5, UNIT_INCHES);
    SetMargins(0.25);
    CTemplateTool* tool = Add(TestTool::Text, 1, 1);
    struct Case {
        UINT key;
        double dx, dy;  // units
    };
    const Case cases[] = {
        {platform::VK_RIGHT, 63.5, 0}, {platform::VK_DOWN, 0, 63.5}, {platform::VK_LEFT, -63.5, 0},
        {platform::VK_UP, 0, -63.5},   {platform::VK_HOME, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const double x = tool->rect.x, y = tool->rect.y;
        const Rect before = tool->GetRectInParent();
        EXPECT_EQ(page->OnArrowKey(c.key), 1);
        EXPECT_DOUBLE_EQ(tool->rect.x - x, c.dx);
        EXPECT_DOUBLE_EQ(tool->rect.y - y, c.dy);
        EXPECT_EQ(tool->GetRectInParent().left - before.left, c.dx > 0 ? 1 : c.dx < 0 ? -1 : 0);
    }
    tool->rect.x = 0.25 * kInch + 30;
    page->OnArrowKey(platform::VK_LEFT);
    EXPECT_DOUBLE_EQ(tool->rect.x, 0.25 * kInch);
    page->OnArrowKey(platform::VK_LEFT);
    EXPECT_DOUBLE_EQ(tool->rect.x, 0.25 * kInch);

    EXPECT_EQ(page->checkpoints, 0);
    EXPECT_EQ(page->CommitMove(), 1);
    EXPECT_EQ(g_changed, 1);
    tool->SetSelection(SELECT_OFF, FALSE);
    EXPECT_EQ(page->CommitMove(), 0);
    EXPECT_EQ(page->OnArrowKey(platform::VK_LEFT), 0);
    EXPECT_EQ(page->checkpoints, 1);
}

TEST_F(EditingTest, DeletingTheSelectionDissolvesRingsThatBecomeInvalid) {
    auto* image = Add(TestTool::Image, 1, 1);
    auto* t1 = Add(TestTool::Text, 5, 1);
    auto* t2 = Add(TestTool::Text, 5, 4);
    auto* other = Add(TestTool::Text, 1, 7);
    t1->LinkTo(image);
    t2->LinkTo(image);
    Select({image});
    page->DeleteSelection();
    EXPECT_EQ(Order(), (std::vector<CTemplateTool*>{t1, t2, other}));
    EXPECT_FALSE(t1->IsLinked());  // texts alone are no valid ring
    EXPECT_FALSE(t2->IsLinked());
    EXPECT_EQ(page->checkpoints, 1);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 3);

    // Deleting a text of a ring that keeps its image leaves the ring.
    auto* image2 = Add(TestTool::Image, 1, 4);
    t1->LinkTo(image2);
    t2->LinkTo(image2);
    Select({t1, other});  // not neighbours in the array
    page->DeleteSelection();
    EXPECT_EQ(Order(), (std::vector<CTemplateTool*>{t2, image2}));
    EXPECT_TRUE(t2->IsLinkedWith(image2));
    EXPECT_EQ(page->checkpoints, 2);

    // Nothing selected: nothing deleted, no change.
    image2->SetSelection(SELECT_OFF, FALSE);
    page->DeleteSelection();
    EXPECT_EQ(page->GetToolCount(), 2);
    EXPECT_EQ(page->checkpoints, 2);

    // Everything selected: all areas go.
    Select({t2, image2});
    page->DeleteSelection();
    EXPECT_EQ(page->GetToolCount(), 0);
    EXPECT_EQ(page->tools, nullptr);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), 0);
    EXPECT_EQ(page->checkpoints, 3);
}

TEST_F(EditingTest, StackingMovesWholeGroupsWithoutLosingAreas) {
    using Links = std::vector<std::pair<int, int>>;  // (tool, linked to)
    enum Move { Front, Back, Forward, Backward };
    struct Case {
        const char* name;
        Links links;
        Move move;
        int tool;
        std::vector<int> order;
    };
    const Case cases[] = {
        {"front, unlinked", {}, Front, 3, {3, 0, 1, 2, 4}},
        {"back, unlinked", {}, Back, 1, {0, 2, 3, 4, 1}},
        {"forward, unlinked", {}, Forward, 2, {0, 2, 1, 3, 4}},
        {"backward, unlinked", {}, Backward, 2, {0, 1, 3, 2, 4}},
        {"forward at the top", {}, Forward, 0, {0, 1, 2, 3, 4}},
        {"backward at the bottom", {}, Backward, 4, {0, 1, 2, 3, 4}},
        {"front, ring", {{2, 1}}, Front, 2, {1, 2, 0, 3, 4}},
        {"back, ring", {{2, 1}}, Back, 1, {0, 3, 4, 1, 2}},
        {"forward, ring", {{2, 1}}, Forward, 2, {1, 2, 0, 3, 4}},
        {"backward, ring", {{2, 1}}, Backward, 1, {0, 3, 1, 2, 4}},
        {"forward past a ring in three ranks", {{3, 0}, {4, 1}}, Forward, 2, {0, 2, 1, 3, 4}},
        {"backward past a split ring", {{3, 0}, {4, 1}}, Backward, 2, {0, 1, 3, 2, 4}},
        {"split ring forward past a split ring", {{3, 0}, {4, 1}}, Forward, 4, {1, 4, 2, 0, 3}},
        {"split ring to the front", {{3, 0}, {4, 1}}, Front, 3, {0, 3, 1, 2, 4}},
        {"split ring to the back", {{3, 0}, {4, 1}}, Back, 0, {1, 2, 4, 0, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->DeleteAllTools();
        std::vector<CTemplateTool*> t;
        for (int i = 0; i < 5; ++i)
            t.push_back(Add(TestTool::Plain, 0.5 + i, 1));
        for (auto [a, b] : c.links)
            t[a]->LinkTo(t[b]);
        CTemplateTool* tool = t[c.tool];
        switch (c.move) {
            case Front:
                page->MoveToFront(tool);
                break;
            case Back:
                page->MoveToBack(tool);
                break;
            case Forward:
                page->MoveForward(tool);
                break;
            case Backward:
                page->MoveBackward(tool);
                break;
        }
        std::vector<CTemplateTool*> want;
        for (int i : c.order)
            want.push_back(t[static_cast<size_t>(i)]);
        EXPECT_EQ(Order(), want);
        std::vector<platform::Window*> windows(want.begin(), want.end());
        EXPECT_EQ(page->GetChildren(), windows);
    }
    // Unknown areas do nothing.
    TestTool stranger(TestTool::Plain);
    const std::vector<CTemplateTool*> before = Order();
    page->MoveToFront(&stranger);
    page->MoveForward(&stranger);
    page->MoveBackward(nullptr);
    page->MoveToBack(nullptr);
    EXPECT_EQ(Order(), before);
}

TEST_F(EditingTest, LinkRuleOneImageWithAnyNumberOfTexts) {
    enum { I, T1, T2, I2, P };  // image, text, text, image, plain
    using Links = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        Links links;
        std::vector<int> selected;
        BOOL ok, can;
        std::vector<int> groupSizes;  // of I, T1, T2, I2, P afterwards
    };
    const Case cases[] = {
        {"image and texts link", {}, {I, T1, T2}, TRUE, TRUE, {3, 3, 3, 1, 1}},
        {"two texts fail", {}, {T1, T2}, FALSE, FALSE, {1, 1, 1, 1, 1}},
        {"two images fail", {}, {I, I2, T1}, FALSE, FALSE, {1, 1, 1, 1, 1}},
        {"a plain area takes no part", {}, {I, T1, P}, TRUE, TRUE, {2, 2, 1, 1, 1}},
        {"an image alone changes nothing", {}, {I}, TRUE, FALSE, {1, 1, 1, 1, 1}},
        {"linked image and text unlink", {{T1, I}}, {I, T1}, TRUE, TRUE, {1, 1, 1, 1, 1}},
        {"unlink one text of two", {{T1, I}, {T2, I}}, {I, T2}, TRUE, TRUE, {2, 2, 1, 1, 1}},
        {"a new text joins the image", {{T1, I}}, {I, T2}, TRUE, TRUE, {3, 3, 3, 1, 1}},
        {"linked and unlinked texts fail", {{T1, I}}, {I, T1, T2}, FALSE, FALSE, {2, 2, 1, 1, 1}},
        {"unlinked image, linked texts fail", {{T2, T1}}, {I, T1}, FALSE, FALSE, {1, 2, 2, 1, 1}},
        {"texts of another image fail", {{T1, I2}}, {I, T1}, FALSE, FALSE, {1, 2, 1, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->DeleteAllTools();
        page->checkpoints = 0;
        std::vector<CTemplateTool*> t = {Add(TestTool::Image, 1, 1), Add(TestTool::Text, 5, 1),
                                         Add(TestTool::Text, 5, 4), Add(TestTool::Image, 1, 5),
                                         Add(TestTool::Plain, 1, 8)};
        for (auto [a, b] : c.links)
            t[a]->LinkTo(t[b]);
        for (CTemplateTool* x : t)
            x->SetSelection(SELECT_OFF, FALSE);
        for (int i : c.selected)
            t[i]->SetSelection(SELECT_ON, TRUE);
        EXPECT_EQ(page->CanToggleLink(), c.can);
        EXPECT_EQ(page->ToggleLink(), c.ok);
        std::vector<int> sizes;
        for (CTemplateTool* x : t)
            sizes.push_back(page->GetGroupSize(x));
        EXPECT_EQ(sizes, c.groupSizes);
        EXPECT_EQ(page->checkpoints, c.ok ? 1 : 0);
    }
}

}  // namespace
}  // namespace pagetest
