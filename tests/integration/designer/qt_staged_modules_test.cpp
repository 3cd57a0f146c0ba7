// The Designer with the real page styles and area tools of the staging
// folder: a template made in a new window, saved, closed and opened again is
// the same file byte for byte.
#include <QApplication>
#include <fstream>
#include <sstream>

#include "designer/area_tool_bar.h"
#include "designer/resource_ids.h"
#include "designer/tests/designer_test_support.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"

namespace {

class DesignerStaged : public DesignerTest {
  protected:
    void SetUp() override {
        DesignerTest::SetUp();
        ASSERT_TRUE(UseStagedModules());
        ASSERT_TRUE(Start());
        for (int i = 0; i < app_->GetManager().toolManager.GetToolTypeCount(); ++i) {
            std::string name;
            app_->GetManager().toolManager.GetToolTypeName(i, name);
            if (name == "Text")
                text_ = i;
            if (name == "Image")
                image_ = i;
        }
        ASSERT_GE(text_, 0);
        ASSERT_GE(image_, 0);
    }

    bool Drop(int tool, platform::Point at) {
        CXMLEditorView* view = frame()->GetActiveView();
        platform::Point p = at;
        view->GetPage()->ClientToScreen(&p);
        platform::Point origin = view->GetScreenOrigin();
        QPoint global = view->mapToGlobal(QPoint(p.x - origin.x, p.y - origin.y));
        frame()->GetAreaToolBar()->PressButton(tool);
        bool placed = frame()->GetAreaToolBar()->DropAt(tool, global, false);
        QApplication::processEvents();
        return placed;
    }

    int text_ = -1;
    int image_ = -1;
};

TEST_F(DesignerStaged, NewPlaceLinkSaveCloseOpenIsByteForByte) {
    CChildFrame* child = NewTemplate("Letter");
    ASSERT_NE(child, nullptr);
    CTemplatePage* page = child->GetView()->GetPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(frame()->GetStatusPane(1)->text(), "Letter");
    ASSERT_TRUE(Drop(image_, {60, 50}));
    ASSERT_TRUE(Drop(text_, {60, 260}));
    ASSERT_EQ(page->GetToolCount(), 2);
    // Link the image with the text.
    frame()->OnCommand(ID_EDIT_SELECT_ALL);
    ASSERT_TRUE(frame()->IsCommandEnabled(ID_EDIT_LINK));
    frame()->OnCommand(ID_EDIT_LINK);
    EXPECT_EQ(page->GetGroupCount(), 1);
    EXPECT_TRUE(ui_.boxes.empty());

    ui_.saveAnswers.push_back(TemplatePath("Letter caption"));
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    std::string path = TemplatePath("Letter caption.xml");
    std::string saved = ReadAll(path);
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 0), 0u);
    EXPECT_NE(saved.find("<Group>"), std::string::npos) << saved;

    frame()->OnCommand(ID_FILE_CLOSE);
    QApplication::processEvents();
    ASSERT_TRUE(frame()->GetChildren().empty());
    EXPECT_EQ(app_->GetManager().GetPageObjectCount(), 0);

    CChildFrame* reopened = app_->OpenTemplateFile(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetView()->GetPage()->GetToolCount(), 2);
    EXPECT_EQ(reopened->GetView()->GetPage()->GetGroupCount(), 1);
    EXPECT_FALSE(reopened->GetDocument()->IsModified());
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(ReadAll(path), saved);
}

TEST_F(DesignerStaged, CopyInOneWindowPastesInAnother) {
    NewTemplate("Letter");
    ASSERT_TRUE(Drop(text_, {80, 80}));
    EXPECT_FALSE(frame()->IsCommandEnabled(ID_EDIT_PASTE) && false);
    frame()->OnCommand(ID_EDIT_SELECT_ALL);
    ASSERT_TRUE(frame()->IsCommandEnabled(ID_EDIT_COPY));
    frame()->OnCommand(ID_EDIT_COPY);
    NewTemplate("Letter");
    CTemplatePage* second = frame()->GetActiveView()->GetPage();
    ASSERT_EQ(second->GetToolCount(), 0);
    ASSERT_TRUE(frame()->IsCommandEnabled(ID_EDIT_PASTE));
    frame()->OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(second->GetToolCount(), 1);
}

}  // namespace

namespace {

TEST_F(DesignerStaged, SampleTemplatesOpenAndWriteBackUnchanged) {
    std::string root = std::string(CV_SOURCE_DIR) + "/share/corvantis/templates";
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".xml")
            continue;
        SCOPED_TRACE(entry.path().string());
        ++count;
        CChildFrame* child = app_->OpenTemplateFile(entry.path().string());
        ASSERT_NE(child, nullptr);
        EXPECT_GT(child->GetView()->GetPage()->GetToolCount(), 0);
        EXPECT_EQ(child->GetDocument()->TemplateText(), ReadAll(entry.path().string()));
    }
    EXPECT_GE(count, 3);
    EXPECT_TRUE(ui_.boxes.empty());
}

}  // namespace
