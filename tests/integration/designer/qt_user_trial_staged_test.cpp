// What a user meets in the Designer with the staged tree: the installed user
// guide behind Help, and the real area tools' selection frames leaving no
// marks behind when areas move and windows are resized.
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
#include "platform/testing/golden_image.h"

namespace {

class DesignerUserTrial : public DesignerTest {
  protected:
    void SetUp() override {
        DesignerTest::SetUp();
        ASSERT_TRUE(Start());
    }
};

TEST_F(DesignerUserTrial, HelpWithoutAHelpFileOpensTheInstalledUserGuide) {
    const std::string stage = CV_STAGE_DIR;
    const std::string staged = stage + "/share/doc/corvantis/user-guide.html";
    // Found beside the program like the rest of the installed layout.
    EXPECT_EQ(InstalledUserGuide(stage + "/bin/corvantis-designer"), staged);
    EXPECT_EQ(InstalledUserGuide(stage + "/bin/../bin/corvantis-designer"), staged);
    EXPECT_EQ(InstalledUserGuide("/nowhere/bin/corvantis-designer"), "");
    EXPECT_EQ(InstalledUserGuide(""), "");
    // One HTML page whose contents links reach their sections.
    std::ifstream in(staged);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* part :
         {"<!DOCTYPE html>", "<title>Corvantis Template Designer", "<a href=\"#placing-areas\">",
          "<h2 id=\"placing-areas\">", "<h2 id=\"cut-copy-paste-and-undo\">", "Ctrl+Z"}) {
        EXPECT_NE(html.find(part), std::string::npos) << part;
    }

    // Help asks the desktop to open the guide's address.
    app_->userGuidePath = InstalledUserGuide(stage + "/bin/corvantis-designer");
    QTextBrowser desktop;  // stands in for the desktop's handler of file addresses
    QDesktopServices::setUrlHandler("file", &desktop, "setSource");
    DesignerUi* scripted = DesignerUi::Set(nullptr);
    frame()->OnCommand(ID_HELP_CONTENTS);
    DesignerUi::Set(scripted);
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(desktop.source(), QUrl::fromLocalFile(QString::fromStdString(staged)));
    EXPECT_TRUE(ui_.boxes.empty());

    // A help file given with -H is opened instead, as before.
    app_.reset();
    ASSERT_TRUE(Start({"-H/usr/share/doc/designer.chm"}));
    app_->userGuidePath = staged;
    frame()->OnCommand(ID_HELP_CONTENTS);
    EXPECT_EQ(ui_.helpOpened, std::vector<std::string>{"/usr/share/doc/designer.chm"});
}

// The Designer with the real page styles and area tools of the staging
// folder, whose areas draw the selection frames the user sees.
class DesignerUserTrialStaged : public DesignerTest {
  protected:
    void SetUp() override {
        DesignerTest::SetUp();
        ASSERT_TRUE(UseStagedModules());
        ASSERT_TRUE(Start());
    }

    // Places an area of tool `tool` at a page point as a drop from the palette.
    bool Drop(int tool, platform::Point at) {
        CXMLEditorView* view = frame()->GetActiveView();
        view->GetPage()->ClientToScreen(&at);
        const platform::Point origin = view->GetScreenOrigin();
        const QPoint global = view->mapToGlobal(QPoint(at.x - origin.x, at.y - origin.y));
        frame()->GetAreaToolBar()->PressButton(tool);
        const bool placed = frame()->GetAreaToolBar()->DropAt(tool, global, false);
        QApplication::processEvents();
        return placed;
    }
};

// Brings the view's pixels up to date as a repaint would, then paints all of
// it afresh, and describes where the two differ ("" when nowhere).
std::string StrayPixels(CXMLEditorView* view) {
    view->ProcessIdle();
    platform::WindowManager& manager = view->manager();
    manager.Paint();
    const platform::Bitmap shown = manager.BackingStore().Clone();
    manager.Root()->Invalidate(TRUE);
    manager.Paint();
    return golden::DifferingPixels(shown, manager.BackingStore());
}

TEST_F(DesignerUserTrialStaged, MovedAreasAndResizedWindowsLeaveNoStrayPixels) {
    CChildFrame* child = NewTemplate("Letter");
    ASSERT_NE(child, nullptr);
    child->showNormal();
    child->resize(700, 640);
    QApplication::processEvents();
    CXMLEditorView* view = child->GetView();
    ASSERT_TRUE(Drop(0, {60, 60}));
    ASSERT_TRUE(Drop(1, {200, 260}));
    CTemplatePage* page = view->GetPage();
    ASSERT_EQ(page->GetToolCount(), 2);
    frame()->OnCommand(ID_EDIT_SELECT_ALL);  // both framed, one as the focus
    EXPECT_EQ(StrayPixels(view), "");

    // Moves of both areas across the page, as dragging them does.
    const QPoint moves[] = {{37, 23}, {-50, 61}, {12, -70}, {3, 1}};
    for (const QPoint& by : moves) {
        SCOPED_TRACE(by.x());
        for (int i = 0; i < page->GetToolCount(); ++i) {
            CTemplateTool* tool = page->GetToolAt(i);
            ToolRect r = tool->rect;
            r.x += by.x() * page->GetUnitsPerPixelX();
            r.y += by.y() * page->GetUnitsPerPixelY();
            ASSERT_TRUE(tool->SetToolRect(r));
            tool->UpdateWindowPos();
        }
        EXPECT_EQ(StrayPixels(view), "");
    }

    // The template window made smaller and larger again: the page and its
    // areas are fitted anew each time.
    for (const QSize& size : {QSize(420, 380), QSize(903, 777), QSize(640, 520)}) {
        SCOPED_TRACE(size.width());
        child->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(StrayPixels(view), "");
    }
}

}  // namespace
