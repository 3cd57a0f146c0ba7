// What a user meets in the Designer's frame: cascaded windows of a useful
// size, panes and toolbars that can always be shown again, the product icon
// and the modified mark, dialog frames, and the user guide behind Help.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <filesystem>

#include "designer/resource_ids.h"
#include "designer/tests/designer_test_support.h"
#include "designer/window_arrangement.h"

namespace {

class DesignerUserTrial : public DesignerTest {
  protected:
    void SetUp() override {
        DesignerTest::SetUp();
        ASSERT_TRUE(Start());
    }
};

TEST(DesignerCascade, RectsKeepAUsefulSizeAndStayInTheArea) {
    struct Case {
        QRect area;
        int count, step;
        QSize minimum;
    } cases[] = {
        {QRect(0, 0, 800, 600), 3, 24, QSize(120, 90)},
        {QRect(0, 0, 800, 600), 40, 24, QSize(120, 90)},  // wraps to the top left
        {QRect(0, 0, 200, 100), 2, 24, QSize(180, 90)},   // the minimum wins
        {QRect(0, 0, 100, 80), 2, 24, QSize(300, 300)},   // never beyond the area
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const std::vector<QRect> rects = CascadeRects(c.area, c.count, c.step, c.minimum);
        ASSERT_EQ(rects.size(), static_cast<size_t>(c.count));
        const QSize expected(
            std::min(c.area.width(), std::max(c.minimum.width(), c.area.width() * 3 / 4)),
            std::min(c.area.height(), std::max(c.minimum.height(), c.area.height() * 3 / 4)));
        for (size_t i = 0; i < rects.size(); ++i) {
            EXPECT_EQ(rects[i].size(), expected);
            EXPECT_TRUE(c.area.contains(rects[i]) || rects[i].topLeft() == c.area.topLeft());
            if (i > 0 && rects[i].topLeft() != c.area.topLeft())
                EXPECT_EQ(rects[i].topLeft(), rects[i - 1].topLeft() + QPoint(c.step, c.step));
        }
    }
    EXPECT_TRUE(CascadeRects(QRect(0, 0, 800, 600), 0, 24, QSize()).empty());
    EXPECT_TRUE(CascadeRects(QRect(), 3, 24, QSize()).empty());
}

TEST_F(DesignerUserTrial, CascadeKeepsTheWindowsUseful) {
    frame()->resize(1000, 760);
    QApplication::processEvents();
    std::vector<CChildFrame*> children{NewTemplate(), NewTemplate(), NewTemplate()};
    CChildFrame* active = frame()->GetActiveChild();
    ASSERT_EQ(active, children.back());
    frame()->OnCommand(ID_WINDOW_CASCADE);
    QApplication::processEvents();

    const QRect area = frame()->GetMdiArea()->viewport()->rect();
    const int step =
        frame()->GetMdiArea()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, active);
    QList<QMdiSubWindow*> stack = frame()->GetMdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(stack.size(), 3);
    for (int i = 0; i < stack.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(stack[i]->isMaximized());
        EXPECT_GE(stack[i]->width(), area.width() * 2 / 3);
        EXPECT_GE(stack[i]->height(), area.height() * 2 / 3);
        EXPECT_TRUE(area.contains(stack[i]->geometry()));
        EXPECT_EQ(stack[i]->pos(), QPoint(i * step, i * step));
    }
    // The active window is on top and still active.
    EXPECT_EQ(stack.back(), active);
    EXPECT_EQ(frame()->GetActiveChild(), active);
}

}  // namespace
