// What a user meets in the Designer's frame: cascaded windows of a useful
// size, panes and toolbars that can always be shown again, the product icon
// and the modified mark, dialog frames, and the user guide behind Help.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "designer/app_icon.h"
#include "designer/area_tool_bar.h"
#include "designer/dialog_frame.h"
#include "designer/help.h"
#include "designer/resource_ids.h"
#include "designer/tests/designer_test_support.h"
#include "designer/window_arrangement.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"

namespace {

// Right-clicks `surface` and returns the texts and check marks of the popup
// menu that opens (empty when none does); `choose` is triggered in it.
std::vector<std::pair<std::string, bool>> RightClickMenu(QWidget* surface,
                                                         const QString& choose = QString()) {
    std::vector<std::pair<std::string, bool>> items;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        shown = true;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items.emplace_back(action->text().toStdString(), action->isChecked());
        }
        for (QAction* action : menu->actions()) {
            if (!choose.isEmpty() && action->text() == choose)
                action->trigger();
        }
        menu->close();
    });
    const QPoint at(surface->width() - 4, surface->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, surface->mapToGlobal(at));
    QApplication::sendEvent(surface, &event);
    QApplication::processEvents();
    if (!shown)
        items.clear();
    return items;
}

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

TEST_F(DesignerUserTrial, HiddenPanesAndToolbarsCanBeShownAgainAfterARestart) {
    // Everything that can be closed is closed, and the Designer restarted.
    for (QDockWidget* dock : {frame()->GetTemplateViewBar(), frame()->GetDirTreeBar()})
        dock->close();
    for (QToolBar* bar : {frame()->GetMainToolBar(), frame()->GetArrangeToolBar(),
                          static_cast<QToolBar*>(frame()->GetAreaToolBar())}) {
        bar->toggleViewAction()->trigger();
    }
    QApplication::processEvents();
    app_.reset();
    ASSERT_TRUE(Start());
    EXPECT_TRUE(frame()->GetTemplateViewBar()->isHidden());
    EXPECT_TRUE(frame()->GetMainToolBar()->isHidden());

    // The menu bar and the status bar still offer every pane and toolbar.
    const std::vector<std::pair<std::string, bool>> expected{{"Template View", false},
                                                             {"Directory Tree", false},
                                                             {"Standard", false},
                                                             {"Arrange", false},
                                                             {"Area Tools", false}};
    EXPECT_EQ(RightClickMenu(frame()->statusBar()), expected);
    EXPECT_EQ(RightClickMenu(frame()->menuBar(), "Template View"), expected);
    EXPECT_FALSE(frame()->GetTemplateViewBar()->isHidden());
    const auto again = RightClickMenu(frame()->statusBar(), "Standard");
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(again[0], std::make_pair(std::string("Template View"), true));
    EXPECT_FALSE(frame()->GetMainToolBar()->isHidden());
    // And so do the toolbars and the pane titles, as before.
    EXPECT_EQ(RightClickMenu(frame()->GetMainToolBar()).size(), expected.size());
}

// The pixels of an icon at `size`, to tell icons apart.
QImage IconImage(const QIcon& icon, int size) {
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(DesignerUserTrial, ProductIconOnEveryWindowAndTheModifiedMark) {
    const QImage product = IconImage(ProductIcon(), 32);
    ASSERT_FALSE(product.isNull());
    EXPECT_EQ(IconImage(QApplication::windowIcon(), 32), product);
    EXPECT_EQ(IconImage(frame()->windowIcon(), 32), product);
    CChildFrame* child = NewTemplate();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(IconImage(child->windowIcon(), 16), IconImage(ProductIcon(), 16));
    QDialog dialog(frame());
    EXPECT_EQ(IconImage(dialog.windowIcon(), 32), product);

    // "*" after the title while the template has unsaved changes.
    const std::string title = child->GetDocument()->GetTitle();
    EXPECT_EQ(child->windowTitle().toStdString(), title);
    DesignerChanged();  // what a page reports after an edit
    EXPECT_TRUE(child->GetDocument()->IsModified());
    EXPECT_EQ(child->windowTitle().toStdString(), title + "*");
    child->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(frame()->windowTitle().toStdString(),
              "Corvantis Template Designer - [" + title + "*]");
    ui_.saveAnswers.push_back(TemplatePath("marked.xml"));
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(child->windowTitle().toStdString(), "marked.xml");
    DesignerChanged();
    EXPECT_EQ(child->windowTitle().toStdString(), "marked.xml*");
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(child->windowTitle().toStdString(), "marked.xml");
    QApplication::processEvents();
    EXPECT_EQ(frame()->windowTitle().toStdString(), "Corvantis Template Designer - [marked.xml]");
}

// What the modal dialog on the screen shows of its frame.
struct DialogLook {
    QString title;
    Qt::WindowFlags flags;
    int width = 0;
};

// Runs `show` (which opens a modal dialog with the Qt forms, not the
// scripted ones) and describes the dialog it opened, then closes it.
DialogLook LookAtModalDialog(const std::function<void()>& show) {
    DialogLook look;
    QTimer::singleShot(0, [&look] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        look = {dialog->windowTitle(), dialog->windowFlags(), dialog->width()};
        dialog->close();
    });
    DesignerUi* scripted = DesignerUi::Set(nullptr);
    show();
    DesignerUi::Set(scripted);
    return look;
}

TEST_F(DesignerUserTrial, DialogsHaveDialogButtonsAndShowTheirWholeTitle) {
    CNewTemplateDlg newTemplate(&app_->GetManager(), frame());
    const DialogLook looks[] = {
        LookAtModalDialog(
            [this] { DesignerUi::Get()->MessageBox(frame(), "Short.", platform::MB_OK); }),
        LookAtModalDialog([this] {
            DesignerUi::Get()->MessageBox(frame(), "Save changes?", platform::MB_YESNOCANCEL);
        }),
        LookAtModalDialog([&newTemplate] { DesignerUi::Get()->RunDialog(&newTemplate); }),
    };
    for (const DialogLook& look : looks) {
        SCOPED_TRACE(look.title.toStdString());
        ASSERT_FALSE(look.title.isEmpty());
        EXPECT_EQ(look.flags & Qt::WindowType_Mask, Qt::Dialog);
        EXPECT_TRUE(look.flags & Qt::CustomizeWindowHint);
        EXPECT_TRUE(look.flags & Qt::WindowTitleHint);
        EXPECT_TRUE(look.flags & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(look.flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(look.flags & Qt::WindowMaximizeButtonHint);
        EXPECT_GE(look.width, DialogTitleWidth(look.title, frame()));
    }
    EXPECT_EQ(looks[0].title.toStdString(), "Corvantis Template Designer");
    // The room a title needs grows with the title.
    EXPECT_GT(DialogTitleWidth("Corvantis Template Designer", frame()),
              DialogTitleWidth("New Template", frame()) + 50);
}

}  // namespace
