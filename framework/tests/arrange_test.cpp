// The arrange commands on a Letter page (8.5 x 11 inches): align and
// same-size against the focus area, centring and even spacing.
#include <functional>

#include "framework/testing/page_fixture.h"

namespace pagetest {
namespace {

class ArrangeTest : public PageFixture {};

struct Box {
    double x, y, w, h;  // inches
    int flags = 0;      // TOOL_SELECTED, TOOL_FOCUS
};

constexpr int S = TOOL_SELECTED;
constexpr int F = TOOL_SELECTED | TOOL_FOCUS;

TEST_F(ArrangeTest, CommandsMoveAndSizeTheSelection) {
    using Command = int (CTemplatePage::*)();
    struct Case {
        const char* name;
        Command command;
        std::vector<Box> before;
        std::vector<Box> after;  // flags ignored
        bool modified;
    };
    const Case cases[] = {
        {"align left",
         &CTemplatePage::AlignLeft,
         {{2, 1, 1, 1, F}, {5, 3, 2, 1.5, S}, {6, 6, 1, 1, 0}},
         {{2, 1, 1, 1}, {2, 3, 2, 1.5}, {6, 6, 1, 1}},
         true},
        {"align left kept on the paper",
         &CTemplatePage::AlignLeft,
         {{7, 1, 1, 1, F}, {1, 3, 2, 1.5, S}},
         {{7, 1, 1, 1}, {6.5, 3, 2, 1.5}},
         true},
        {"align right kept on the paper",
         &CTemplatePage::AlignRight,
         {{0, 1, 1, 1, F}, {4, 3, 3, 2, S}},
         {{0, 1, 1, 1}, {0, 3, 3, 2}},
         true},
        {"align right",
         &CTemplatePage::AlignRight,
         {{3, 1, 3, 1, F}, {0.5, 3, 1, 2, S}},
         {{3, 1, 3, 1}, {5, 3, 1, 2}},
         true},
        {"align top kept on the paper",
         &CTemplatePage::AlignTop,
         {{1, 10, 1, 1, F}, {4, 3, 1, 1.5, S}},
         {{1, 10, 1, 1}, {4, 9.5, 1, 1.5}},
         true},
        {"align bottom kept on the paper",
         &CTemplatePage::AlignBottom,
         {{1, 0, 1, 1, F}, {4, 3, 1, 2, S}},
         {{1, 0, 1, 1}, {4, 0, 1, 2}},
         true},
        {"align bottom",
         &CTemplatePage::AlignBottom,
         {{1, 2, 1, 3, F}, {4, 8, 1, 2, S}},
         {{1, 2, 1, 3}, {4, 3, 1, 2}},
         true},
        {"same width kept on the paper",
         &CTemplatePage::MakeSameWidth,
         {{1, 1, 2, 1, F}, {8, 3, 0.25, 1, S}},
         {{1, 1, 2, 1}, {6.5, 3, 2, 1}},
         true},
        {"same height",
         &CTemplatePage::MakeSameHeight,
         {{1, 1, 2, 3, F}, {4, 3, 1, 1, S}},
         {{1, 1, 2, 3}, {4, 3, 1, 3}},
         true},
        {"same size",
         &CTemplatePage::MakeSameSize,
         {{1, 1, 2, 3, F}, {8, 10, 0.5, 0.5, S}},
         {{1, 1, 2, 3}, {6.5, 8, 2, 3}},
         true},
        {"the focus area alone still marks modified",
         &CTemplatePage::AlignLeft,
         {{2, 1, 1, 1, F}, {5, 3, 2, 1.5, 0}},
         {{2, 1, 1, 1}, {5, 3, 2, 1.5}},
         true},
        {"no focus area: nothing at all",
         &CTemplatePage::MakeSameSize,
         {{2, 1, 1, 1, S}, {5, 3, 2, 1.5, S}},
         {{2, 1, 1, 1}, {5, 3, 2, 1.5}},
         false},
        {"centre one area across",
         &CTemplatePage::CenterHorizontally,
         {{1, 1, 2, 1, F}},
         {{3.25, 1, 2, 1}},
         true},
        {"centre the selection as a block",
         &CTemplatePage::CenterVertically,
         {{1, 1, 1, 1, F}, {3, 3, 1, 1, S}, {5, 0, 1, 1, 0}},
         {{1, 4, 1, 1}, {3, 6, 1, 1}, {5, 0, 1, 1}},
         true},
        {"space down",
         &CTemplatePage::SpaceDownEvenly,
         {{1, 5, 1, 1, S}, {2, 0, 1, 1, S}, {3, 1, 1, 1, S}},
         {{1, 5, 1, 1}, {2, 0, 1, 1}, {3, 2.5, 1, 1}},
         true},
        {"space down, overlapping: negative gap kept on the paper",
         &CTemplatePage::SpaceDownEvenly,
         {{1, 0, 1, 0.1, S}, {2, 0.5, 1, 5, S}, {3, 0.6, 1, 0.1, S}},
         {{1, 0, 1, 0.1}, {2, 0, 1, 5}, {3, 0.6, 1, 0.1}},
         true},
        {"space across, four areas",
         &CTemplatePage::SpaceAcrossEvenly,
         {{6, 1, 1, 1, S}, {0, 2, 1, 1, S}, {7.5, 3, 1, 1, S}, {2, 4, 1, 1, S}},
         {{5, 1, 1, 1}, {0, 2, 1, 1}, {7.5, 3, 1, 1}, {2.5, 4, 1, 1}},
         true},
        {"space across, two areas: nothing moves",
         &CTemplatePage::SpaceAcrossEvenly,
         {{6, 1, 1, 1, S}, {0, 2, 1, 1, S}},
         {{6, 1, 1, 1}, {0, 2, 1, 1}},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page->DeleteAllTools();
        page->checkpoints = 0;
        std::vector<CTemplateTool*> tools;
        for (const Box& b : c.before) {
            CTemplateTool* t = Add(TestTool::Plain, b.x, b.y, b.w, b.h);
            tools.push_back(t);
        }
        for (size_t i = 0; i < tools.size(); ++i)
            tools[i]->flags = c.before[i].flags;
        const int result = (page.get()->*c.command)();
        host.Idle();
        EXPECT_EQ(result, c.modified ? 1 : 0);
        EXPECT_EQ(page->checkpoints, c.modified ? 1 : 0);
        for (size_t i = 0; i < tools.size(); ++i) {
            SCOPED_TRACE(i);
            const Box& want = c.after[i];
            EXPECT_NEAR(tools[i]->rect.x / kInch, want.x, 1e-9);
            EXPECT_NEAR(tools[i]->rect.y / kInch, want.y, 1e-9);
            EXPECT_NEAR(tools[i]->rect.width / kInch, want.w, 1e-9);
            EXPECT_NEAR(tools[i]->rect.height / kInch, want.h, 1e-9);
            // The window follows the rectangle.
            EXPECT_EQ(tools[i]->GetRectInParent().left, page->UnitsToPixelsX(tools[i]->rect.x));
            EXPECT_EQ(tools[i]->GetRectInParent().top, page->UnitsToPixelsY(tools[i]->rect.y));
        }
    }
}

TEST_F(ArrangeTest, AnEmptyPageArrangesNothing) {
    const std::function<int()> commands[] = {
        [&] { return page->AlignLeft(); },          [&] { return page->AlignRight(); },
        [&] { return page->AlignTop(); },           [&] { return page->AlignBottom(); },
        [&] { return page->MakeSameWidth(); },      [&] { return page->MakeSameHeight(); },
        [&] { return page->MakeSameSize(); },       [&] { return page->CenterVertically(); },
        [&] { return page->CenterHorizontally(); }, [&] { return page->SpaceDownEvenly(); },
        [&] { return page->SpaceAcrossEvenly(); },
    };
    for (const auto& command : commands)
        EXPECT_EQ(command(), 0);
    EXPECT_EQ(page->checkpoints, 0);
    EXPECT_EQ(g_changed, 0);
}

}  // namespace
}  // namespace pagetest
