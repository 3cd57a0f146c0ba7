#include "designer/commands.h"

#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <unordered_map>

#include "designer/child_frame.h"
#include "designer/designer_app.h"
#include "designer/designer_ui.h"
#include "designer/main_frame.h"
#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/strings.h"
#include "designer/window_arrangement.h"
#include "designer/xml_editor_view.h"
#include "framework/designer_keys.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/message_box.h"

namespace {

// ---- predicates -----------------------------------------------------------------

bool Always(const CommandContext&) {
    return true;
}

// A template window is open.
bool HasView(const CommandContext& c) {
    return c.view != nullptr;
}

CTemplatePage* PageOf(const CommandContext& c) {
    return c.view ? c.view->GetPage() : nullptr;
}

int SelectedCount(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    return page ? page->GetSelectedCount() : 0;
}

// At least `N` tools are selected.
template <int N>
bool Selected(const CommandContext& c) {
    return SelectedCount(c) >= N;
}

bool CanPaste(const CommandContext& c) {
    return PageOf(c) && CDesignerApp::Get() &&
           CDesignerApp::Get()->GetManager().IsTemplateOnClipboard();
}

bool CanUndo(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    return page && page->canUndo != 0;
}

bool CanRedo(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    return page && page->canRedo != 0;
}

bool CanLink(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    return page && page->CanToggleLink();
}

bool HasTools(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    return page && page->GetToolCount() > 0;
}

bool HasRecent(const CommandContext& c) {
    unsigned index = c.id - ID_FILE_MRU_FIRST;
    return c.frame && index < kRecentCount && !c.frame->GetRecent()[index].empty();
}

// ---- frame handlers -----------------------------------------------------------------

CChildFrame* ChildOf(const CommandContext& c) {
    return c.view ? c.view->GetFrame() : nullptr;
}

// A handler that calls an application operation when there is an application.
template <auto Operation>
void OnApp(const CommandContext& c) {
    if (CDesignerApp* app = c.frame->GetApp())
        (app->*Operation)();
}

// Without the library panes' template list the templates to open are chosen
// in a file dialog.
void FileOpen(const CommandContext& c) {
    CDesignerApp* app = c.frame->GetApp();
    if (!app)
        return;
    std::string root = user_settings::ReadFolder(designer_keys::kTemplateDir);
    for (const std::string& path : DesignerUi::Get()->OpenTemplates(c.frame, root))
        app->OpenTemplateFile(path);
}

void FileClose(const CommandContext& c) {
    if (CChildFrame* child = ChildOf(c))
        child->CloseFrame();
}

void FileSave(const CommandContext& c) {
    if (CChildFrame* child = ChildOf(c))
        child->GetDocument()->DoFileSave();
}

void FileSaveAs(const CommandContext& c) {
    if (CChildFrame* child = ChildOf(c))
        child->GetDocument()->DoSave(std::string(), TRUE);
}

void OpenRecent(const CommandContext& c) {
    c.frame->OpenRecent(static_cast<int>(c.id - ID_FILE_MRU_FIRST));
}

void AppExit(const CommandContext& c) {
    c.frame->close();
}

void ShowOrder(const CommandContext& c) {
    if (c.view)
        c.frame->ToggleShowOrder();
}

void WindowCascade(const CommandContext& c) {
    CascadeTemplateWindows(c.frame->GetMdiArea());
}

void WindowTile(const CommandContext& c) {
    c.frame->GetMdiArea()->tileSubWindows();
}

// Minimised windows line up along the bottom of the MDI area.
void WindowArrange(const CommandContext& c) {
    for (QMdiSubWindow* w : c.frame->GetMdiArea()->subWindowList()) {
        if (w->isMinimized())
            w->showMinimized();
    }
}

void WindowCloseAll(const CommandContext& c) {
    c.frame->CloseAllChildren();
}

void Nothing(const CommandContext&) {}

// ---- view handlers ------------------------------------------------------------------

// A handler that calls a page operation when the view holds a page.
template <auto Operation>
void OnPage(const CommandContext& c) {
    if (CTemplatePage* page = PageOf(c))
        (page->*Operation)();
}

void EditLink(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    if (page && !page->ToggleLink()) {
        DesignerUi::Get()->MessageBox(c.view->GetFrame(), LoadDesignerString(IDS_LINK_REFUSED),
                                      platform::MB_OK);
    }
}

void SelectAll(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    if (!page)
        return;
    for (int i = 0; i < page->GetToolCount(); ++i) {
        if (CTemplateTool* tool = page->GetToolAt(i))
            tool->SetSelection(SELECT_ON, TRUE);
    }
}

void SelectNone(const CommandContext& c) {
    CTemplatePage* page = PageOf(c);
    if (!page)
        return;
    if (CTemplateTool* tool = page->GetToolAt(0))
        tool->SetSelection(SELECT_OFF, FALSE);
}

// ---- the table ----------------------------------------------------------------------

using B = CommandBar;
constexpr CommandScope kView = CommandScope::kView;

// Menu groups per top-level menu; a separator falls between two groups.
constexpr const char* kFile = "&File";
constexpr const char* kRecent = "&File/Recent Templates";
constexpr const char* kEdit = "&Edit";
constexpr const char* kTools = "&Tools";
constexpr const char* kWindow = "&Window";
constexpr const char* kHelp = "&Help";

static_assert(kRecentCount == 5, "one row per recent template");

const CommandRow kCommands[] = {
    // File.
    {.id = ID_FILE_NEW,
     .menu = kFile,
     .text = "&New...",
     .accelerator = "Ctrl+N",
     .prompt = "Create a new template\nNew",
     .icon = "file_new",
     .bar = B::kMain,
     .barSlot = 10,
     .enabled = Always,
     .handler = OnApp<&CDesignerApp::OnFileNew>},
    {.id = ID_FILE_OPEN,
     .menu = kFile,
     .text = "&Open",
     .accelerator = "Ctrl+O",
     .prompt = "Open selected template(s)\nOpen",
     .icon = "file_open",
     .bar = B::kMain,
     .barSlot = 11,
     .enabled = Always,
     .handler = FileOpen},
    {.id = ID_FILE_CLOSE,
     .menu = kFile,
     .text = "&Close",
     .prompt = "Close the active template\nClose",
     .enabled = HasView,
     .handler = FileClose},
    {.id = ID_FILE_SAVE,
     .menu = kFile,
     .text = "&Save",
     .accelerator = "Ctrl+S",
     .prompt = "Save the active template\nSave",
     .icon = "file_save",
     .bar = B::kMain,
     .barSlot = 12,
     .enabled = HasView,
     .handler = FileSave},
    {.id = ID_FILE_SAVE_AS,
     .menu = kFile,
     .text = "Save &As...",
     .prompt = "Save the active template with a new name\nSave As",
     .enabled = HasView,
     .handler = FileSaveAs},
    // Template packages are not built yet: their items stay disabled.
    {.id = ID_FILE_IMPORT,
     .menu = kFile,
     .menuGroup = 1,
     .text = "Import Templates...",
     .prompt = "Imports templates from a TPF file\nImport Templates"},
    {.id = ID_FILE_EXPORT,
     .menu = kFile,
     .menuGroup = 1,
     .text = "Export Templates...",
     .prompt = "Exports templates to a TPF file\nExport Templates"},
    {.id = ID_FILE_MRU_FIRST,
     .menu = kRecent,
     .menuGroup = 2,
     .text = "MRU 1",
     .enabled = HasRecent,
     .handler = OpenRecent},
    {.id = ID_FILE_MRU_FIRST + 1,
     .menu = kRecent,
     .menuGroup = 2,
     .text = "MRU 2",
     .enabled = HasRecent,
     .handler = OpenRecent},
    {.id = ID_FILE_MRU_FIRST + 2,
     .menu = kRecent,
     .menuGroup = 2,
     .text = "MRU 3",
     .enabled = HasRecent,
     .handler = OpenRecent},
    {.id = ID_FILE_MRU_FIRST + 3,
     .menu = kRecent,
     .menuGroup = 2,
     .text = "MRU 4",
     .enabled = HasRecent,
     .handler = OpenRecent},
    {.id = ID_FILE_MRU_FIRST + 4,
     .menu = kRecent,
     .menuGroup = 2,
     .text = "MRU 5",
     .enabled = HasRecent,
     .handler = OpenRecent},
    {.id = ID_APP_EXIT,
     .menu = kFile,
     .menuGroup = 3,
     .text = "E&xit to Corvantis",
     .accelerator = "Esc",
     .prompt = "Exit the Designer back to Corvantis; prompts to save templates\nExit",
     .enabled = Always,
     .handler = AppExit},
    // Edit.
    {.id = ID_EDIT_UNDO,
     .menu = kEdit,
     .text = "&Undo",
     .accelerator = "Ctrl+Z",
     .prompt = "Undo the last action\nUndo",
     .icon = "edit_undo",
     .bar = B::kMain,
     .barSlot = 30,
     .scope = kView,
     .enabled = CanUndo,
     .handler = OnPage<&CTemplatePage::Undo>},
    {.id = ID_EDIT_REDO,
     .menu = kEdit,
     .text = "&Redo",
     .accelerator = "Ctrl+Y",
     .prompt = "Redo the previously undone action\nRedo",
     .icon = "edit_redo",
     .bar = B::kMain,
     .barSlot = 31,
     .scope = kView,
     .enabled = CanRedo,
     .handler = OnPage<&CTemplatePage::Redo>},
    {.id = ID_EDIT_CUT,
     .menu = kEdit,
     .menuGroup = 1,
     .text = "Cu&t",
     .accelerator = "Ctrl+X",
     .prompt = "Cut the selected tools and put them on the Clipboard\nCut",
     .icon = "edit_cut",
     .bar = B::kMain,
     .barSlot = 20,
     .scope = kView,
     .enabled = Selected<1>,
     .handler = OnPage<&CTemplatePage::Cut>},
    {.id = ID_EDIT_COPY,
     .menu = kEdit,
     .menuGroup = 1,
     .text = "&Copy",
     .accelerator = "Ctrl+C",
     .prompt = "Copy the selected tools and put them on the Clipboard\nCopy",
     .icon = "edit_copy",
     .bar = B::kMain,
     .barSlot = 21,
     .scope = kView,
     .enabled = Selected<1>,
     .handler = OnPage<&CTemplatePage::Copy>},
    {.id = ID_EDIT_PASTE,
     .menu = kEdit,
     .menuGroup = 1,
     .text = "&Paste",
     .accelerator = "Ctrl+V",
     .prompt = "Insert Clipboard contents\nPaste",
     .icon = "edit_paste",
     .bar = B::kMain,
     .barSlot = 22,
     .scope = kView,
     .enabled = CanPaste,
     .handler = OnPage<&CTemplatePage::Paste>},
    {.id = ID_EDIT_LINK,
     .menu = kEdit,
     .menuGroup = 2,
     .text = "[Un]Lin&k",
     .accelerator = "Ctrl+L",
     .prompt = "Links or unlinks image areas with one or more text areas\nLink",
     .icon = "edit_link",
     .bar = B::kMain,
     .barSlot = 40,
     .scope = kView,
     .enabled = CanLink,
     .handler = EditLink},
    {.id = ID_EDIT_SELECT_ALL,
     .menu = kEdit,
     .menuGroup = 3,
     .text = "Select A&ll",
     .accelerator = "Ctrl+A",
     .prompt = "Select all the tools in the page\nSelect All",
     .scope = kView,
     .enabled = HasTools,
     .handler = SelectAll},
    {.id = ID_EDIT_SELECT_NONE,
     .menu = kEdit,
     .menuGroup = 3,
     .text = "Select &None",
     .accelerator = "Shift+Ctrl+A",
     .prompt = "Unselects any selected tools in the page",
     .scope = kView,
     .enabled = Always,
     .handler = SelectNone},
    // Tools. The grid and margin dialogs are not built yet: their items stay
    // disabled.
    {.id = ID_TOOLS_GRID,
     .menu = kTools,
     .text = "Set &Grid Properties...",
     .accelerator = "Ctrl+G",
     .prompt = "Set the grid properties\nSet Grid",
     .icon = "tools_grid",
     .bar = B::kArrange,
     .barSlot = 50},
    {.id = ID_TOOLS_PAGE_PROPERTIES,
     .menu = kTools,
     .text = "Set &Page Properties...",
     .accelerator = "Ctrl+I",
     .prompt = "Set the properties of the current page template\nSet Properties",
     .scope = kView,
     .enabled = Always,
     .handler = OnPage<&CTemplatePage::EditProperties>},
    {.id = ID_TOOLS_MARGINS,
     .menu = kTools,
     .text = "Show Printer &Margins...",
     .accelerator = "Ctrl+M",
     .prompt = "Shows the printable area for selected printer\nShow Margins",
     .icon = "tools_margins",
     .bar = B::kArrange,
     .barSlot = 51},
    {.id = ID_TOOLS_SHOW_ORDER,
     .menu = kTools,
     .text = "Show &Order",
     .accelerator = "Ctrl+D",
     .prompt = "Shows the relative Order of the tools on the template page\nShow Order",
     .checkable = true,
     .enabled = HasView,
     .handler = ShowOrder},
    // Window (the open template windows are listed under these).
    {.id = ID_WINDOW_CASCADE,
     .menu = kWindow,
     .text = "&Cascade",
     .enabled = HasView,
     .handler = WindowCascade},
    {.id = ID_WINDOW_TILE,
     .menu = kWindow,
     .text = "&Tile",
     .enabled = HasView,
     .handler = WindowTile},
    {.id = ID_WINDOW_ARRANGE,
     .menu = kWindow,
     .text = "&Arrange Icons",
     .enabled = HasView,
     .handler = WindowArrange},
    {.id = ID_WINDOW_CLOSE_ALL,
     .menu = kWindow,
     .text = "Close Al&l",
     .prompt = "Closes all open templates\nClose All",
     .enabled = HasView,
     .handler = WindowCloseAll},
    // Help.
    {.id = ID_HELP_CONTENTS,
     .menu = kHelp,
     .text = "Template Designer Help",
     .accelerator = "F1",
     .prompt = "Help documentation for Corvantis Template Designer\nHelp ",
     .icon = "help_contents",
     .bar = B::kMain,
     .barSlot = 50,
     .enabled = Always,
     .handler = OnApp<&CDesignerApp::OnHelp>},
    {.id = ID_APP_ABOUT,
     .menu = kHelp,
     .text = "&About Template Designer...",
     .enabled = Always,
     .handler = OnApp<&CDesignerApp::OnAbout>},
    // Accelerators without a menu item.
    {.id = ID_EDIT_DELETE,
     .text = "Delete",
     .accelerator = "Delete",
     .scope = kView,
     .enabled = Always,
     .handler = OnPage<&CTemplatePage::DeleteSelection>},
    {.id = ID_VIEW_REFRESH,
     .text = "Refresh",
     .accelerator = "F5",
     .enabled = Always,
     .handler = Nothing},
    // The Arrange toolbar.
    {.id = ID_ALIGN_LEFT,
     .prompt = "Aligns the left edges of the selected tools with the tool in focus\nAlign Left",
     .icon = "align_left",
     .bar = B::kArrange,
     .barSlot = 10,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::AlignLeft>},
    {.id = ID_ALIGN_RIGHT,
     .prompt = "Aligns the right edges of the selected tools with the tool in focus\nAlign Right",
     .icon = "align_right",
     .bar = B::kArrange,
     .barSlot = 11,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::AlignRight>},
    {.id = ID_ALIGN_TOP,
     .prompt = "Aligns the top edges of the selected tools with the tool in focus\nAlign Top",
     .icon = "align_top",
     .bar = B::kArrange,
     .barSlot = 12,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::AlignTop>},
    {.id = ID_ALIGN_BOTTOM,
     .prompt = "Aligns the bottom edges of the selected tools with the tool in focus\nAlign Bottom",
     .icon = "align_bottom",
     .bar = B::kArrange,
     .barSlot = 13,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::AlignBottom>},
    {.id = ID_CENTER_VERTICAL,
     .prompt = "Centers the selected tools vertically within the page\nCenter Vertically",
     .icon = "center_vertical",
     .bar = B::kArrange,
     .barSlot = 20,
     .scope = kView,
     .enabled = Selected<1>,
     .handler = OnPage<&CTemplatePage::CenterVertically>},
    {.id = ID_CENTER_HORIZONTAL,
     .prompt = "Centers the selected tools horizontally within the page\nCenter Horizontally",
     .icon = "center_horizontal",
     .bar = B::kArrange,
     .barSlot = 21,
     .scope = kView,
     .enabled = Selected<1>,
     .handler = OnPage<&CTemplatePage::CenterHorizontally>},
    {.id = ID_SPACE_ACROSS,
     .prompt = "Evenly spaces the tools horizontally\nSpace Across",
     .icon = "space_across",
     .bar = B::kArrange,
     .barSlot = 30,
     .scope = kView,
     .enabled = Selected<3>,
     .handler = OnPage<&CTemplatePage::SpaceAcrossEvenly>},
    {.id = ID_SPACE_DOWN,
     .prompt = "Evenly spaces the tools vertically\nSpace Down",
     .icon = "space_down",
     .bar = B::kArrange,
     .barSlot = 31,
     .scope = kView,
     .enabled = Selected<3>,
     .handler = OnPage<&CTemplatePage::SpaceDownEvenly>},
    {.id = ID_SAME_WIDTH,
     .prompt = "Resizes the selected tools to have the same width as the tool in focus\nMake "
               "Same Width",
     .icon = "same_width",
     .bar = B::kArrange,
     .barSlot = 40,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::MakeSameWidth>},
    {.id = ID_SAME_HEIGHT,
     .prompt = "Resizes the selected tools to have the same height as the tool in focus\nMake "
               "Same Height",
     .icon = "same_height",
     .bar = B::kArrange,
     .barSlot = 41,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::MakeSameHeight>},
    {.id = ID_SAME_SIZE,
     .prompt = "Resizes the selected tools to have the same size as the tool in focus\nMake "
               "Same Size",
     .icon = "same_size",
     .bar = B::kArrange,
     .barSlot = 42,
     .scope = kView,
     .enabled = Selected<2>,
     .handler = OnPage<&CTemplatePage::MakeSameSize>},
};

}  // namespace

std::span<const CommandRow> DesignerCommands() {
    return kCommands;
}

const CommandRow* FindCommand(unsigned id) {
    static const std::unordered_map<unsigned, const CommandRow*> index = [] {
        std::unordered_map<unsigned, const CommandRow*> map;
        for (const CommandRow& row : kCommands)
            map.emplace(row.id, &row);
        return map;
    }();
    auto it = index.find(id);
    return it == index.end() ? nullptr : it->second;
}

std::string CommandPrompt(unsigned id) {
    const CommandRow* row = FindCommand(id);
    std::string text = row && row->prompt ? row->prompt : "";
    return text.substr(0, text.find('\n'));
}

std::string CommandTooltip(unsigned id) {
    const CommandRow* row = FindCommand(id);
    std::string text = row && row->prompt ? row->prompt : "";
    std::size_t nl = text.rfind('\n');
    return nl == std::string::npos ? std::string() : text.substr(nl + 1);
}

// The resource is compiled into the Designer's static library: registering
// it here keeps the linker from dropping it.
static void InitIconResource() {
    Q_INIT_RESOURCE(icons);
}

QIcon CommandIcon(const CommandRow& row) {
    static const bool registered = (InitIconResource(), true);
    (void)registered;
    if (!row.icon)
        return QIcon();
    return QIcon(QString(":/icons/%1.png").arg(QString::fromUtf8(row.icon)));
}
