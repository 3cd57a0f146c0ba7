// The Designer on the offscreen platform with the test page styles and area
// tools: start-up, settings, template windows, saving and the commands.
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <csignal>

#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "designer/area_tool_bar.h"
#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/tests/designer_test_support.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/clipboard.h"
#include "platform/registry.h"

namespace {

// The global point of a page client point.
QPoint GlobalOfPagePoint(CXMLEditorView* view, platform::Point p) {
    view->GetPage()->ClientToScreen(&p);
    platform::Point origin = view->GetScreenOrigin();
    return view->mapToGlobal(QPoint(p.x - origin.x, p.y - origin.y));
}

// Places an area of `tool` by dragging it from the palette onto the page.
bool DropTool(CMainFrame* frame, int tool, platform::Point at, bool ctrl = false) {
    CAreaToolBar* palette = frame->GetAreaToolBar();
    palette->PressButton(tool);
    return palette->DropAt(tool, GlobalOfPagePoint(frame->GetActiveView(), at), ctrl);
}

CTemplatePage* ActivePage(CMainFrame* frame) {
    CXMLEditorView* view = frame->GetActiveView();
    return view ? view->GetPage() : nullptr;
}

class DesignerStartup : public DesignerTest {};

TEST_F(DesignerStartup, NoPageStylesOrNoAreaToolsEndsWithMessageAndCallerEvent) {
    std::string empty = hives_.Dir() + "/empty";
    std::filesystem::create_directories(empty);
    struct Case {
        std::string pageDir, toolDir;
        const char* message;
    } cases[] = {
        {empty, std::string(CV_DESIGNER_FIXTURES) + "/tools",
         "The Template Designer cannot find any installed page styles.\n\nRe-install Corvantis "
         "and try again."},
        {std::string(CV_DESIGNER_FIXTURES) + "/pagestyles", empty,
         "The Template Designer cannot find any installed area tools.\n\nRe-install Corvantis "
         "and try again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WriteMachineHive(c.pageDir, c.toolDir);
        ui_.boxes.clear();
        auto link = std::make_unique<RecordingCallerLink>();
        RecordingCallerLink* events = link.get();
        EXPECT_FALSE(Start({"-C42"}, "", std::move(link)));
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0].text, c.message);
        EXPECT_EQ(ui_.boxes[0].type & platform::MB_ICONMASK, platform::MB_ICONEXCLAMATION);
        EXPECT_EQ(events->events, std::vector<std::string>{"FAILED"});
        EXPECT_EQ(app_->GetMainFrame(), nullptr);
        EXPECT_EQ(ui_.dialogsRun, 0);
        app_.reset();
    }
}

TEST_F(DesignerStartup, CallerEventsInOrderAndNoMinimiseButton) {
    auto link = std::make_unique<RecordingCallerLink>();
    RecordingCallerLink* events = link.get();
    ASSERT_TRUE(Start({"-C7", "-A"}, "Letter", std::move(link)));
    EXPECT_FALSE(frame()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(app_->GetManager().toolManager.fullInformation, 1u);
    // A new Designer greets the user with the New Template dialog.
    EXPECT_EQ(frame()->GetChildren().size(), 1u);
    std::string id = std::to_string(static_cast<std::uint64_t>(frame()->winId()));
    ASSERT_EQ(events->events, std::vector<std::string>{"READY " + id});
    frame()->AddRecent("/x/last.xml");
    app_->ExitInstance();
    EXPECT_EQ(events->events, (std::vector<std::string>{
                                  "READY " + id, "CLOSING " + id + " /x/last.xml", "FOREGROUND"}));
}

TEST_F(DesignerStartup, WithoutCallerNoEventsAndMinimiseButton) {
    ASSERT_TRUE(Start({}, ""));
    EXPECT_EQ(app_->GetCallerLink(), nullptr);
    EXPECT_TRUE(frame()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(ui_.dialogsRun, 1);  // the New Template dialog, cancelled
    EXPECT_TRUE(frame()->GetChildren().empty());
}

TEST_F(DesignerStartup, SettingsWrittenAtExitAreReadAtNextStart) {
    // A placement saved while minimised.
    WindowPlacement p;
    p.showCmd = kShowMinimized;
    p.left = 40;
    p.top = 30;
    p.right = 940;
    p.bottom = 730;
    ASSERT_TRUE(user_settings::WriteBinary("WindowPosition", EncodePlacement(p)));
    ASSERT_TRUE(Start());
    EXPECT_FALSE(frame()->isMinimized());
    EXPECT_EQ(frame()->width(), 900);
    // No "GridDim": 0.5 x 0.5 inches.
    EXPECT_DOUBLE_EQ(app_->GetManager().gridDim.width, 1270.0);
    app_->GetManager().UseGrid = 1;
    app_->GetManager().gridDim = PaperSize(0.25, 0.25, UNIT_INCHES);
    frame()->OnCommand(ID_FILE_NEW);  // cancelled: nothing else changes
    NewTemplate();
    frame()->OnCommand(ID_TOOLS_SHOW_ORDER);
    app_->ExitInstance();
    app_.reset();

    auto raw = user_settings::ReadBinary("WindowPosition");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->size(), 44u);
    EXPECT_EQ(user_settings::ReadBinary("GridDim")->size(), 24u);
    EXPECT_EQ(user_settings::ReadBinary("ControlBar-59424")->size(), 24u);
    EXPECT_EQ(user_settings::ReadBinary("ControlBar-59425")->size(), 24u);
    EXPECT_EQ(user_settings::ReadString("LastNewPageStyle"), "Letter");
    EXPECT_EQ(user_settings::ReadDWord("ShowZOrder"), 1u);

    ASSERT_TRUE(Start());
    EXPECT_EQ(app_->GetManager().UseGrid, 1u);
    EXPECT_DOUBLE_EQ(app_->GetManager().gridDim.width, 635.0);
    EXPECT_TRUE(frame()->GetAction(ID_TOOLS_SHOW_ORDER)->isChecked());
}

TEST_F(DesignerStartup, MenusToolbarsAndStatusBar) {
    ASSERT_TRUE(Start());
    struct Item {
        unsigned id;
        const char* text;
        const char* shortcut;
    } items[] = {
        {57600, "&New...", "Ctrl+N"},
        {57601, "&Open", "Ctrl+O"},
        {57602, "&Close", ""},
        {57603, "&Save", "Ctrl+S"},
        {57604, "Save &As...", ""},
        {32797, "Import Templates...", ""},
        {32798, "Export Templates...", ""},
        {32820, "MRU 1", ""},
        {32824, "MRU 5", ""},
        {57665, "E&xit to Corvantis", "Esc"},
        {57643, "&Undo", "Ctrl+Z"},
        {57644, "&Redo", "Ctrl+Y"},
        {57635, "Cu&t", "Ctrl+X"},
        {57634, "&Copy", "Ctrl+C"},
        {57637, "&Paste", "Ctrl+V"},
        {32801, "[Un]Lin&k", "Ctrl+L"},
        {57642, "Select A&ll", "Ctrl+A"},
        {32794, "Select &None", "Shift+Ctrl+A"},
        {32802, "Set &Grid Properties...", "Ctrl+G"},
        {32803, "Set &Page Properties...", "Ctrl+I"},
        {32807, "Show Printer &Margins...", "Ctrl+M"},
        {32804, "Show &Order", "Ctrl+D"},
        {57650, "&Cascade", ""},
        {57651, "&Tile", ""},
        {57649, "&Arrange Icons", ""},
        {32805, "Close Al&l", ""},
        {32806, "Template Designer Help", "F1"},
        {57664, "&About Template Designer...", ""},
        {32775, nullptr, "Del"},
        {32814, nullptr, "F5"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.id);
        QAction* action = frame()->GetAction(item.id);
        ASSERT_NE(action, nullptr);
        if (item.text) {
            EXPECT_EQ(action->text().toStdString(), item.text);
        }
        EXPECT_EQ(action->shortcut(), QKeySequence(QString(item.shortcut)));
    }
    EXPECT_EQ(frame()->GetAction(57600)->statusTip(), "Create a new template");
    EXPECT_EQ(frame()->GetAction(57600)->toolTip(), "New");
    EXPECT_EQ(frame()->GetAction(32794)->statusTip(), "Unselects any selected tools in the page");
    EXPECT_EQ(frame()->GetAction(32791)->statusTip(), "Evenly spaces the tools horizontally");

    // Toolbars in their documented order (0 for a gap).
    auto order = [](QToolBar* bar) {
        std::vector<unsigned> ids;
        for (QAction* a : bar->actions())
            ids.push_back(a->isSeparator() ? 0 : a->data().toUInt());
        return ids;
    };
    EXPECT_EQ(order(frame()->GetMainToolBar()),
              (std::vector<unsigned>{57600, 57601, 57603, 0, 57635, 57634, 57637, 0, 57643, 57644,
                                     0, 32801, 0, 32806}));
    EXPECT_EQ(order(frame()->GetArrangeToolBar()),
              (std::vector<unsigned>{32779, 32780, 32781, 32782, 0, 32786, 32787, 0, 32791, 32790,
                                     0, 32783, 32784, 32785, 0, 32802, 32807}));
    EXPECT_EQ(frame()->GetMainToolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_EQ(frame()->GetAction(57600)->iconText(), "New");
    EXPECT_EQ(frame()->toolBarArea(frame()->GetAreaToolBar()), Qt::LeftToolBarArea);

    const int widths[] = {80, 80, 90, 70};
    for (int i = 1; i <= 4; ++i) {
        ASSERT_NE(frame()->GetStatusPane(i), nullptr);
        EXPECT_EQ(frame()->GetStatusPane(i)->width(), widths[i - 1]);
    }
    // A text wider than its pane widens the pane rather than being cut off.
    QLabel* pane = frame()->GetStatusPane(3);
    pane->setText("Autorotate: No, a text far wider than ninety pixels");
    frame()->statusBar()->layout()->activate();
    EXPECT_GE(pane->width(), pane->fontMetrics().horizontalAdvance(pane->text()));
    pane->clear();
    EXPECT_EQ(frame()->statusBar()->currentMessage(), "Ready");
    EXPECT_EQ(frame()->GetTemplateViewBar()->windowTitle(), "Template View");
    EXPECT_EQ(frame()->GetDirTreeBar()->windowTitle(), "Directory Tree");
    EXPECT_EQ(frame()->windowTitle(), "Corvantis Template Designer");
}

TEST(DesignerNewTemplateDialog, Preselection) {
    const std::vector<std::string> papers = {"A4", "Letter", "Legal"};
    EXPECT_EQ(CNewTemplateDlg::PreselectIndex(papers, "Legal"), 2);
    EXPECT_EQ(CNewTemplateDlg::PreselectIndex(papers, "Tabloid"), 1);  // "Letter"
    EXPECT_EQ(CNewTemplateDlg::PreselectIndex({"A4", "Legal"}, "Tabloid"), 0);
    EXPECT_EQ(CNewTemplateDlg::PreselectIndex({}, "Letter"), -1);
}

class DesignerTemplates : public DesignerTest {
  protected:
    void SetUp() override {
        DesignerTest::SetUp();
        ASSERT_TRUE(Start());
    }
};

TEST_F(DesignerTemplates, NewPlaceSaveCloseOpenGivesTheSameFile) {
    CChildFrame* child = NewTemplate("A4");
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(child->GetDocument()->IsModified());
    EXPECT_EQ(child->GetDocument()->GetTitle().rfind("Untitled", 0), 0u);
    EXPECT_EQ(frame()->GetStatusPane(1)->text(), "A4");
    EXPECT_EQ(frame()->GetStatusPane(4)->text(), "Fill");
    ASSERT_TRUE(DropTool(frame(), 1, {60, 80}));
    ASSERT_TRUE(DropTool(frame(), 0, {150, 200}));
    EXPECT_EQ(ActivePage(frame())->GetToolCount(), 2);
    EXPECT_TRUE(child->GetDocument()->IsModified());

    // The first save goes through the Save Template As dialog.
    ui_.saveAnswers.push_back(TemplatePath("cards"));
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    ASSERT_EQ(ui_.saveDialogs.size(), 1u);
    EXPECT_EQ(ui_.saveDialogs[0], templates_ + "|" + child->GetDocument()->GetTitle().substr(0, 0) +
                                      ui_.saveDialogs[0].substr(templates_.size() + 1));
    std::string path = TemplatePath("cards.xml");
    EXPECT_EQ(child->GetDocument()->GetPathName(), path);
    EXPECT_FALSE(child->GetDocument()->IsModified());
    EXPECT_EQ(frame()->GetRecent()[0], path);
    EXPECT_EQ(child->windowTitle().toStdString(), "cards.xml");
    // A maximised template names itself in the frame's caption.
    EXPECT_EQ(frame()->windowTitle().toStdString(), "Corvantis Template Designer - [cards.xml]");
    std::string saved = ReadAll(path);
    EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 0), 0u) << saved;
    EXPECT_NE(saved.find("Fixture Image"), std::string::npos);

    frame()->OnCommand(ID_FILE_CLOSE);
    QApplication::processEvents();
    EXPECT_TRUE(frame()->GetChildren().empty());

    CChildFrame* reopened = app_->OpenTemplateFile(path);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetDocument()->GetTitle(), "cards.xml");
    EXPECT_EQ(reopened->GetView()->GetPage()->GetToolCount(), 2);
    EXPECT_EQ(reopened->GetDocument()->TemplateText(), saved);
    // Saving again writes the same bytes, without asking.
    ASSERT_TRUE(frame()->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(ui_.saveDialogs.size(), 1u);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(ReadAll(path), saved);
}

TEST_F(DesignerTemplates, SavingNames) {
    CChildFrame* child = NewTemplate();
    ASSERT_NE(child, nullptr);
    struct Case {
        const char* chosen;
        const char* written;
    } cases[] = {{"a.txt", "a.txt.xml"}, {"B.XML", "B.XML"}, {"c.Xml", "c.Xml"}, {"d", "d.xml"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        ui_.saveAnswers.push_back(TemplatePath(c.chosen));
        EXPECT_TRUE(child->GetDocument()->DoSave("", TRUE));
        EXPECT_TRUE(std::filesystem::exists(TemplatePath(c.written)));
        EXPECT_EQ(child->GetDocument()->GetPathName(), TemplatePath(c.written));
    }
    EXPECT_FALSE(std::filesystem::exists(TemplatePath("B.XML.xml")));

    // A title that cannot be a file name: message 61464, nothing written.
    CChildFrame* other = NewTemplate();
    other->GetDocument()->SetTitle("bad:name");
    ui_.boxes.clear();
    EXPECT_FALSE(other->GetDocument()->DoFileSave());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "The file name you have entered is invalid.");
    EXPECT_EQ(ui_.saveDialogs.size(), 4u);
}

TEST_F(DesignerTemplates, ReadOnlyTargetIsRefusedAndKept) {
    CChildFrame* child = NewTemplate();
    std::string target = TemplatePath("locked.xml");
    { std::ofstream(target) << "old"; }
    ::chmod(target.c_str(), 0444);
    ui_.saveAnswers.push_back(target);
    EXPECT_FALSE(child->GetDocument()->DoSave("", TRUE));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "Cannot save the file \"locked.xml\". The file exists and is marked Read-Only.  Save "
              "the file with another file name or to another location.");
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(child->GetDocument()->GetPathName(), "");
}

TEST_F(DesignerTemplates, OverwriteQuestionOnlyAfterTheDialog) {
    CChildFrame* child = NewTemplate();
    std::string target = TemplatePath("here.xml");
    { std::ofstream(target) << "old"; }
    // Save As onto an existing file asks; No leaves it as it was.
    ui_.saveAnswers.push_back(target);
    ui_.answers.push_back(platform::IDNO);
    EXPECT_FALSE(child->GetDocument()->DoSave("", TRUE));
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "The file \"here.xml\" already exists. Do you wish to overwrite it?");
    EXPECT_EQ(ui_.boxes[0].type & platform::MB_TYPEMASK, platform::MB_YESNO);
    EXPECT_EQ(ReadAll(target), "old");
    // Yes writes it; a later Save over the same file does not ask.
    ui_.saveAnswers.push_back(target);
    ui_.answers.push_back(platform::IDYES);
    EXPECT_TRUE(child->GetDocument()->DoSave("", TRUE));
    EXPECT_NE(ReadAll(target), "old");
    EXPECT_TRUE(child->GetDocument()->DoFileSave());
    EXPECT_EQ(ui_.boxes.size(), 2u);
}

TEST_F(DesignerTemplates, FailedSaveKeepsTheOldFileAndNamesIt) {
    CChildFrame* child = NewTemplate();
    DropTool(frame(), 1, {40, 40});
    std::string target = TemplatePath("t.xml");
    { std::ofstream(target) << "old"; }
    child->GetDocument()->SetPathName(target);
    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 16;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    BOOL saved = child->GetDocument()->DoFileSave();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find(target), std::string::npos);
    EXPECT_EQ(ReadAll(target), "old");
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(templates_))
        (void)entry, ++files;
    EXPECT_EQ(files, 1);
    EXPECT_TRUE(child->GetDocument()->IsModified());
}

TEST_F(DesignerTemplates, OpeningAnOpenTemplateBringsItForward) {
    CChildFrame* child = NewTemplate();
    DropTool(frame(), 0, {50, 50});
    ui_.saveAnswers.push_back(TemplatePath("T.xml"));
    ASSERT_TRUE(child->GetDocument()->DoSave("", TRUE));
    std::filesystem::copy_file(TemplatePath("T.xml"), TemplatePath("t.xml"));
    CChildFrame* second = NewTemplate();
    ASSERT_EQ(frame()->GetActiveChild(), second);

    EXPECT_EQ(app_->OpenTemplateFile(TemplatePath("T.xml")), child);
    EXPECT_EQ(frame()->GetActiveChild(), child);
    EXPECT_EQ(frame()->GetChildren().size(), 2u);
    // Another letter case is another file.
    CChildFrame* lower = app_->OpenTemplateFile(TemplatePath("t.xml"));
    ASSERT_NE(lower, nullptr);
    EXPECT_NE(lower, child);
    EXPECT_EQ(frame()->GetChildren().size(), 3u);
}

TEST_F(DesignerTemplates, UnsupportedTemplateGivesMessageAndNoWindow) {
    std::string path = TemplatePath("other.xml");
    { std::ofstream(path) << "<?xml version=\"1.0\"?>\n<SomethingElse/>\n"; }
    EXPECT_EQ(app_->OpenTemplateFile(path), nullptr);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "This template is not currently supported\nby the available plugins.");
    QApplication::processEvents();
    EXPECT_TRUE(frame()->GetChildren().empty());
}

TEST_F(DesignerStartup, FailedOpenSaysWhyOnEveryPath) {
    const std::string unsupported =
        "This template is not currently supported\nby the available plugins.";
    struct Case {
        const char* file;
        const char* content;  // null: no file at all
        const char* reason;   // a part of the reason the message must give
    } cases[] = {
        // Windows-1252 0x8A is U+0160: a name the ISO-8859-1 declaration
        // could not write back, so the file is refused at open.
        {"element.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Page\x8A/>\n",
         "\"Page\xC5\xA0\""},
        {"attribute.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Page b\xC5\xA0=\"1\"/>\n",
         "\"b\xC5\xA0\""},
        {"broken.xml", "<Page", ""},
        {"missing.xml", nullptr, "No such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = TemplatePath(c.file);
        if (c.content) {
            std::ofstream(path, std::ios::binary) << c.content;
        }
        auto expectReason = [&](const char* how) {
            SCOPED_TRACE(how);
            ASSERT_EQ(ui_.boxes.size(), 1u);
            const std::string& text = ui_.boxes[0].text;
            EXPECT_EQ(text.rfind(unsupported, 0), 0u) << text;
            EXPECT_NE(text.find(path), std::string::npos) << text;
            EXPECT_NE(text.find(c.reason), std::string::npos) << text;
            EXPECT_GT(text.size(), unsupported.size() + path.size()) << text;
            ui_.boxes.clear();
        };
        // The command line.
        ui_.boxes.clear();
        ASSERT_TRUE(Start({path}));
        expectReason("command line");
        // A drop on the frame.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        EXPECT_EQ(frame()->OpenDroppedFiles(&mime), 0);
        expectReason("drop");
        // File Open.
        ui_.openAnswers = {path};
        frame()->OnCommand(ID_FILE_OPEN);
        ui_.openAnswers.clear();
        expectReason("file dialog");
        QApplication::processEvents();
        EXPECT_TRUE(frame()->GetChildren().empty());
        app_.reset();
    }
}

TEST_F(DesignerTemplates, NewWindowsFollowTheMaximisedState) {
    CChildFrame* first = NewTemplate();
    EXPECT_TRUE(first->isMaximized());  // no window before
    first->showNormal();
    CChildFrame* second = NewTemplate();
    EXPECT_FALSE(second->isMaximized());
    second->showMaximized();
    CChildFrame* third = NewTemplate();
    EXPECT_TRUE(third->isMaximized());
}

TEST_F(DesignerTemplates, CommandEnabling) {
    EXPECT_FALSE(frame()->IsCommandEnabled(ID_EDIT_SELECT_NONE));  // no template window
    EXPECT_FALSE(frame()->IsCommandEnabled(ID_FILE_SAVE));
    NewTemplate();
    CTemplatePage* page = ActivePage(frame());
    EXPECT_FALSE(frame()->IsCommandEnabled(ID_EDIT_SELECT_ALL));
    for (int i = 0; i < 3; ++i)
        DropTool(frame(), 1, {40 + 90 * i, 40 + 60 * i});
    ASSERT_EQ(page->GetToolCount(), 3);
    frame()->OnCommand(ID_EDIT_SELECT_NONE);
    ASSERT_EQ(page->GetSelectedCount(), 0);

    struct Rule {
        unsigned id;
        int needed;  // selected areas needed
    } rules[] = {{ID_EDIT_COPY, 1},         {ID_EDIT_CUT, 1},   {ID_ALIGN_LEFT, 2},
                 {ID_ALIGN_BOTTOM, 2},      {ID_SAME_SIZE, 2},  {ID_CENTER_VERTICAL, 1},
                 {ID_CENTER_HORIZONTAL, 1}, {ID_SPACE_DOWN, 3}, {ID_SPACE_ACROSS, 3}};
    for (int selected = 0; selected <= 3; ++selected) {
        for (int i = 0; i < 3; ++i) {
            page->GetToolAt(i)->SetSelection(i < selected ? SELECT_ON : SELECT_OFF, TRUE);
        }
        ASSERT_EQ(page->GetSelectedCount(), selected);
        for (const Rule& r : rules) {
            EXPECT_EQ(frame()->IsCommandEnabled(r.id), selected >= r.needed)
                << "command " << r.id << " with " << selected << " selected";
        }
    }
    // Select All selects every area.
    frame()->OnCommand(ID_EDIT_SELECT_NONE);
    frame()->OnCommand(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(page->GetSelectedCount(), 3);

    // Paste needs template data on the clipboard, from any window.
    platform::Clipboard::Empty();
    EXPECT_FALSE(frame()->IsCommandEnabled(ID_EDIT_PASTE));
    platform::DataSource data;
    data.SetText(platform::RegisterClipboardFormat("CBTemplateFormat"), "<ToolList/>");
    platform::Clipboard::SetDataSource(data);
    NewTemplate();
    EXPECT_EQ(ActivePage(frame())->GetSelectedCount(), 0);
    EXPECT_TRUE(frame()->IsCommandEnabled(ID_EDIT_PASTE));
    platform::Clipboard::Empty();
}

TEST_F(DesignerTemplates, PaletteArmingAndLocking) {
    NewTemplate();
    CAreaToolBar* palette = frame()->GetAreaToolBar();
    ASSERT_EQ(palette->ButtonCount(), 2);
    EXPECT_EQ(palette->ButtonOf(0)->objectName(), "AreaTool500");
    EXPECT_EQ(palette->ButtonOf(1)->toolTip(), "Fixture Text");
    EXPECT_EQ(palette->ArmedTool(), 0);
    CTemplatePage* page = ActivePage(frame());

    // Unlocked: the placement re-arms tool 0.
    EXPECT_TRUE(DropTool(frame(), 1, {30, 30}));
    EXPECT_EQ(palette->ArmedTool(), 0);
    // A double click locks: the tool stays armed across placements.
    palette->DoubleClickButton(1);
    EXPECT_TRUE(palette->DropAt(1, GlobalOfPagePoint(frame()->GetActiveView(), {60, 120}), false));
    EXPECT_EQ(palette->ArmedTool(), 1);
    EXPECT_EQ(DesignerPendingTool(nullptr), 1);
    EXPECT_EQ(palette->ArmedTool(), 1);
    // The next single press unlocks.
    palette->PressButton(1);
    EXPECT_FALSE(palette->IsLocked());
    // Ctrl held on the drop locks the dragged tool.
    EXPECT_TRUE(DropTool(frame(), 1, {90, 200}, true));
    EXPECT_TRUE(palette->IsLocked());
    EXPECT_EQ(palette->ArmedTool(), 1);
    // A drop outside the page places nothing and leaves the tool armed.
    palette->PressButton(1);
    int before = page->GetToolCount();
    EXPECT_FALSE(palette->DropAt(1, palette->mapToGlobal(QPoint(2, 2)), false));
    EXPECT_EQ(page->GetToolCount(), before);
    EXPECT_EQ(palette->ArmedTool(), 1);
    int out = 5;
    EXPECT_EQ(DesignerPendingTool(&out), 1);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(palette->ArmedTool(), 0);

    // Cursors while dragging: the tool's over the view, not-allowed elsewhere.
    palette->PressButton(1);
    EXPECT_EQ(palette->DragCursorAt(1, GlobalOfPagePoint(frame()->GetActiveView(), {5, 5})).shape(),
              Qt::CrossCursor);
    EXPECT_EQ(palette->DragCursorAt(1, palette->ButtonOf(1)->mapToGlobal(QPoint(1, 1))).shape(),
              Qt::ForbiddenCursor);
}

TEST_F(DesignerTemplates, LinkRefusedForTwoImages) {
    NewTemplate();
    CTemplatePage* page = ActivePage(frame());
    DropTool(frame(), 0, {30, 30});
    DropTool(frame(), 0, {200, 200});
    frame()->OnCommand(ID_EDIT_SELECT_ALL);
    ASSERT_EQ(page->GetSelectedCount(), 2);
    page->GetToolAt(0)->SetSelection(SELECT_ON, TRUE);
    EXPECT_FALSE(page->CanToggleLink() && page->ToggleLink());
    CChildFrame* child = frame()->GetActiveChild();
    child->GetView()->OnCommand(ID_EDIT_LINK);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              "You attempted to link more than one image.\n\nAn image can be linked to more than "
              "one text area\nbut mutliple images cannot be linked together.");
    EXPECT_EQ(ui_.boxes[0].type, platform::MB_OK);
}

TEST_F(DesignerTemplates, ArrowKeysMoveTheSelectionAndCommit) {
    NewTemplate();
    CTemplatePage* page = ActivePage(frame());
    ASSERT_TRUE(DropTool(frame(), 1, {100, 100}));
    CTemplateTool* tool = page->GetToolAt(0);
    ASSERT_NE(tool, nullptr);
    double x = tool->rect.x;
    CChildFrame* child = frame()->GetActiveChild();
    child->GetDocument()->SetModifiedFlag(false);
    CXMLEditorView* view = frame()->GetActiveView();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(view, &down);
    EXPECT_GT(tool->rect.x, x);
    EXPECT_FALSE(child->GetDocument()->IsModified());
    // Letting go of the key commits the move: one change.
    QApplication::sendEvent(view, &up);
    EXPECT_TRUE(child->GetDocument()->IsModified());
}

TEST_F(DesignerTemplates, ShowOrderIsSharedByAllWindows) {
    NewTemplate();
    NewTemplate();
    EXPECT_EQ(app_->GetManager().toolManager.ShowZOrder, 0u);
    frame()->OnCommand(ID_TOOLS_SHOW_ORDER);
    EXPECT_EQ(app_->GetManager().toolManager.ShowZOrder, 1u);
    EXPECT_TRUE(frame()->GetAction(ID_TOOLS_SHOW_ORDER)->isChecked());
    for (CChildFrame* child : frame()->GetChildren()) {
        EXPECT_EQ(child->GetView()->GetPage()->GetHost()->toolManager.ShowZOrder, 1u);
    }
    frame()->OnCommand(ID_TOOLS_SHOW_ORDER);
    EXPECT_EQ(app_->GetManager().toolManager.ShowZOrder, 0u);
    EXPECT_FALSE(frame()->GetAction(ID_TOOLS_SHOW_ORDER)->isChecked());
}

TEST_F(DesignerTemplates, CloseAllStopsAtACancelledPrompt) {
    for (int i = 0; i < 3; ++i)
        NewTemplate();
    // The middle one is modified; the active (last) one closes first.
    std::vector<CChildFrame*> children = frame()->GetChildren();
    ASSERT_EQ(children.size(), 3u);
    children[1]->GetDocument()->SetModifiedFlag(true);
    frame()->ActivateChild(children[2]);
    ui_.answers.push_back(platform::IDCANCEL);
    frame()->OnCommand(ID_WINDOW_CLOSE_ALL);
    QApplication::processEvents();
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].type & platform::MB_TYPEMASK, platform::MB_YESNOCANCEL);
    // The window whose prompt was cancelled stays, and nothing after it
    // was asked.
    std::vector<CChildFrame*> left = frame()->GetChildren();
    EXPECT_NE(std::find(left.begin(), left.end(), children[1]), left.end());
    // Answering No closes the rest.
    ui_.answers.push_back(platform::IDNO);
    EXPECT_TRUE(frame()->CloseAllChildren());
    QApplication::processEvents();
    EXPECT_TRUE(frame()->GetChildren().empty());
}

TEST_F(DesignerTemplates, AboutAndHelp) {
    frame()->OnCommand(ID_APP_ABOUT);
    ASSERT_EQ(ui_.dialogTitles.size(), 1u);
    EXPECT_EQ(ui_.dialogTitles[0], "About Template Designer");
    EXPECT_NE(
        std::find(ui_.dialogTexts.begin(), ui_.dialogTexts.end(), "Corvantis Template Designer"),
        ui_.dialogTexts.end());
    EXPECT_NE(std::find(ui_.dialogTexts.begin(), ui_.dialogTexts.end(), "Version 2.0.0.609"),
              ui_.dialogTexts.end());
}

TEST_F(DesignerStartup, StartTemplateFallsBackToTheFirstRecent) {
    // Option values end at the next "-", so these paths have none.
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("designerstart" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string given = (dir / "given.xml").string();
    std::string recent = (dir / "recent.xml").string();
    std::string missing = (dir / "missing.xml").string();
    { std::ofstream(given) << "x"; }
    { std::ofstream(recent) << "x"; }
    struct Case {
        std::string option, mru, expected;
    } cases[] = {{given, recent, given},
                 {missing, recent, recent},
                 {"", recent, recent},
                 {missing, missing, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option + " / " + c.mru);
        ASSERT_TRUE(user_settings::WriteString("MRU_Template_1", c.mru));
        std::vector<std::string> args;
        if (!c.option.empty())
            args.push_back("-T" + c.option);
        ASSERT_TRUE(Start(args));
        EXPECT_EQ(frame()->GetStartSelection(), c.expected);
        app_.reset();
    }
    std::filesystem::remove_all(dir);
}

TEST_F(DesignerTemplates, DroppedFilesOpenAsTemplatesAndOwnerlessBoxesShow) {
    NewTemplate();
    DropTool(frame(), 1, {40, 40});
    std::string path = TemplatePath("dropped.xml");
    ui_.saveAnswers.push_back(path);
    ASSERT_TRUE(frame()->GetActiveChild()->GetDocument()->DoSave("", TRUE));
    frame()->OnCommand(ID_FILE_CLOSE);
    QApplication::processEvents();
    ASSERT_TRUE(frame()->GetChildren().empty());

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    EXPECT_EQ(frame()->OpenDroppedFiles(&mime), 1);
    ASSERT_EQ(frame()->GetChildren().size(), 1u);
    EXPECT_EQ(frame()->GetActiveChild()->GetDocument()->GetPathName(), path);
    EXPECT_EQ(ActivePage(frame())->GetToolCount(), 1);

    // A plug-in's message box without an owner window still reaches the user.
    ui_.answers.push_back(platform::IDNO);
    EXPECT_EQ(platform::MessageBox(nullptr, "Question?", "", platform::MB_YESNO), platform::IDNO);
    ASSERT_FALSE(ui_.boxes.empty());
    EXPECT_EQ(ui_.boxes.back().text, "Question?");
}

TEST_F(DesignerStartup, HelpFileTooLongIsRefusedClearly) {
    std::string longPath = "/" + std::string(300, 'h') + ".chm";
    ASSERT_TRUE(Start({"-H" + longPath}));
    frame()->OnCommand(ID_HELP_CONTENTS);
    EXPECT_TRUE(ui_.helpOpened.empty());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find(longPath), std::string::npos);
    app_.reset();
    ASSERT_TRUE(Start({"-H/usr/share/doc/designer.chm"}));
    frame()->OnCommand(ID_HELP_CONTENTS);
    EXPECT_EQ(ui_.helpOpened, std::vector<std::string>{"/usr/share/doc/designer.chm"});
}

TEST_F(DesignerStartup, HelpWithoutAFileOrThatCannotOpenSaysSo) {
    // No -H: a message instead of nothing at all.
    ASSERT_TRUE(Start());
    frame()->OnCommand(ID_HELP_CONTENTS);
    EXPECT_TRUE(ui_.helpOpened.empty());
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find("-H"), std::string::npos);
    app_.reset();
    // A help file the desktop cannot open is named in the message.
    ui_.boxes.clear();
    ui_.helpOpens = false;
    ASSERT_TRUE(Start({"-H/nowhere/designer.chm"}));
    frame()->OnCommand(ID_HELP_CONTENTS);
    EXPECT_EQ(ui_.helpOpened, std::vector<std::string>{"/nowhere/designer.chm"});
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].text.find("/nowhere/designer.chm"), std::string::npos);
}

TEST_F(DesignerStartup, FilesOnTheCommandLineOpenAsTemplates) {
    ASSERT_TRUE(Start({}, "A4"));
    DropTool(frame(), 1, {40, 40});
    std::string path = TemplatePath("cli.xml");
    ui_.saveAnswers.push_back(path);
    ASSERT_TRUE(frame()->GetActiveChild()->GetDocument()->DoSave("", TRUE));
    app_.reset();
    ui_.dialogsRun = 0;
    ASSERT_TRUE(Start({path}));
    EXPECT_EQ(ui_.dialogsRun, 0);  // no New Template dialog
    ASSERT_EQ(frame()->GetChildren().size(), 1u);
    EXPECT_EQ(ActivePage(frame())->GetToolCount(), 1);
    app_.reset();

    // A name relative to the folder the Designer starts in is kept as the
    // full path: in the window, the recent templates and the next save.
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(templates_);
    bool started = Start({"./cli.xml"});
    std::filesystem::current_path(before);
    ASSERT_TRUE(started);
    ASSERT_EQ(frame()->GetChildren().size(), 1u);
    std::string opened = frame()->GetActiveChild()->GetDocument()->GetPathName();
    EXPECT_EQ(opened.front(), '/');
    EXPECT_EQ(opened.find("/./"), std::string::npos);
    EXPECT_TRUE(std::filesystem::equivalent(opened, path));
    app_.reset();
    EXPECT_EQ(user_settings::ReadString("MRU_Template_1").value_or(""), opened);
}

}  // namespace
