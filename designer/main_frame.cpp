#include "designer/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "designer/area_tool_bar.h"
#include "designer/command_icons.h"
#include "designer/designer_app.h"
#include "designer/designer_ui.h"
#include "designer/pane_menu.h"
#include "designer/resource_ids.h"
#include "designer/strings.h"
#include "designer/template_document.h"
#include "designer/window_arrangement.h"
#include "designer/window_host_widget.h"
#include "framework/template_page.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"

using namespace platform;

namespace {

// The framework's application profile, where the dock layout is kept.
constexpr const char* kProfileKey =
    "Software\\ZYN Systems\\Corvantis Template Designer\\ControlBar";

// Commands that the template view carries out.
bool IsViewCommand(unsigned id) {
    switch (id) {
        case ID_EDIT_DELETE:
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
        case ID_EDIT_UNDO:
        case ID_EDIT_REDO:
        case ID_EDIT_LINK:
        case ID_EDIT_SELECT_ALL:
        case ID_EDIT_SELECT_NONE:
        case ID_ALIGN_LEFT:
        case ID_ALIGN_RIGHT:
        case ID_ALIGN_TOP:
        case ID_ALIGN_BOTTOM:
        case ID_SAME_WIDTH:
        case ID_SAME_HEIGHT:
        case ID_SAME_SIZE:
        case ID_CENTER_VERTICAL:
        case ID_CENTER_HORIZONTAL:
        case ID_SPACE_DOWN:
        case ID_SPACE_ACROSS:
        case ID_TOOLS_PAGE_PROPERTIES:
            return true;
        default:
            return false;
    }
}

// A docking pane that keeps the size it was given as its preferred size.
class CSizingPane : public QWidget {
  public:
    explicit CSizingPane(QWidget* parent) : QWidget(parent) {}
    QSize sizeHint() const override { return QSize(200, 150); }
};

}  // namespace

CMainFrame::CMainFrame(CDesignerApp* app) : app_(app) {
    setObjectName("MainFrame");
    setWindowTitle(LoadDesignerString(IDS_APP_TITLE));
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame() {
    OnDestroyFrame();
    if (defaultHost_ && platform::GetDefaultHost() == defaultHost_)
        platform::SetDefaultHost(nullptr);
    // The MDI area reports activations while it is being taken down.
    if (mdi_)
        disconnect(mdi_, nullptr, this, nullptr);
    for (CChildFrame* child : GetChildren())
        child->GetView()->SetPage(nullptr);
}

QAction* CMainFrame::GetAction(unsigned id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QLabel* CMainFrame::GetStatusPane(int index) const {
    return index >= 1 && index <= 4 ? panes_[index - 1] : nullptr;
}

QAction* CMainFrame::AddCommand(QMenu* menu, unsigned id, const char* text, const char* shortcut) {
    QAction* action = GetAction(id);
    if (!action) {
        action = new QAction(QString::fromUtf8(text), this);
        action->setData(id);
        action->setObjectName(QString("ID%1").arg(id));
        action->setStatusTip(QString::fromStdString(CommandPrompt(id)));
        std::string tip = CommandTooltip(id);
        if (!tip.empty())
            action->setToolTip(QString::fromStdString(tip));
        if (shortcut)
            action->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        actions_[id] = action;
        addAction(action);  // shortcuts work even while the menu bar is hidden
    }
    if (menu)
        menu->addAction(action);
    return action;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    AddCommand(file, ID_FILE_NEW, "&New...", "Ctrl+N");
    AddCommand(file, ID_FILE_OPEN, "&Open", "Ctrl+O");
    AddCommand(file, ID_FILE_CLOSE, "&Close");
    AddCommand(file, ID_FILE_SAVE, "&Save", "Ctrl+S");
    AddCommand(file, ID_FILE_SAVE_AS, "Save &As...");
    file->addSeparator();
    AddCommand(file, ID_FILE_IMPORT, "Import Templates...");
    AddCommand(file, ID_FILE_EXPORT, "Export Templates...");
    file->addSeparator();
    recentMenu_ = file->addMenu("Recent Templates");
    for (int i = 0; i < kRecentCount; ++i) {
        std::string label = "MRU " + std::to_string(i + 1);
        AddCommand(recentMenu_, ID_FILE_MRU_FIRST + i, label.c_str());
    }
    file->addSeparator();
    AddCommand(file, ID_APP_EXIT, "E&xit to Corvantis", "Esc");

    QMenu* edit = menuBar()->addMenu("&Edit");
    AddCommand(edit, ID_EDIT_UNDO, "&Undo", "Ctrl+Z");
    AddCommand(edit, ID_EDIT_REDO, "&Redo", "Ctrl+Y");
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_CUT, "Cu&t", "Ctrl+X");
    AddCommand(edit, ID_EDIT_COPY, "&Copy", "Ctrl+C");
    AddCommand(edit, ID_EDIT_PASTE, "&Paste", "Ctrl+V");
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_LINK, "[Un]Lin&k", "Ctrl+L");
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_SELECT_ALL, "Select A&ll", "Ctrl+A");
    AddCommand(edit, ID_EDIT_SELECT_NONE, "Select &None", "Shift+Ctrl+A");

    QMenu* tools = menuBar()->addMenu("&Tools");
    AddCommand(tools, ID_TOOLS_GRID, "Set &Grid Properties...", "Ctrl+G");
    AddCommand(tools, ID_TOOLS_PAGE_PROPERTIES, "Set &Page Properties...", "Ctrl+I");
    AddCommand(tools, ID_TOOLS_MARGINS, "Show Printer &Margins...", "Ctrl+M");
    AddCommand(tools, ID_TOOLS_SHOW_ORDER, "Show &Order", "Ctrl+D")->setCheckable(true);

    QMenu* window = menuBar()->addMenu("&Window");
    AddCommand(window, ID_WINDOW_CASCADE, "&Cascade");
    AddCommand(window, ID_WINDOW_TILE, "&Tile");
    AddCommand(window, ID_WINDOW_ARRANGE, "&Arrange Icons");
    AddCommand(window, ID_WINDOW_CLOSE_ALL, "Close Al&l");
    // The open template windows, listed under the commands.
    QAction* listStart = window->addSeparator();
    connect(window, &QMenu::aboutToShow, this, [this, window, listStart] {
        bool after = false;
        for (QAction* a : window->actions()) {
            if (after)
                window->removeAction(a), a->deleteLater();
            if (a == listStart)
                after = true;
        }
        std::vector<CChildFrame*> children = GetChildren();
        listStart->setVisible(!children.empty());
        int n = 0;
        for (CChildFrame* child : children) {
            QString text = QString("&%1 %2").arg(++n).arg(child->windowTitle());
            QAction* a = window->addAction(text);
            a->setCheckable(true);
            a->setChecked(child == GetActiveChild());
            QPointer<CChildFrame> target(child);
            connect(a, &QAction::triggered, this, [this, target] {
                if (target)
                    ActivateChild(target);
            });
        }
    });

    QMenu* help = menuBar()->addMenu("&Help");
    AddCommand(help, ID_HELP_CONTENTS, "Template Designer Help", "F1");
    AddCommand(help, ID_APP_ABOUT, "&About Template Designer...");

    // Accelerators without a menu item.
    AddCommand(nullptr, ID_EDIT_DELETE, "Delete", "Delete");
    AddCommand(nullptr, ID_VIEW_REFRESH, "Refresh", "F5");

    for (QMenu* m : {file, edit, tools, window, help}) {
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    }
}

void CMainFrame::CreateMainToolBar() {
    mainToolBar_ = new QToolBar("Standard", this);
    mainToolBar_->setObjectName("MainToolBar");
    mainToolBar_->setIconSize(QSize(16, 15));
    mainToolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const unsigned layout[] = {ID_FILE_NEW,
                               ID_FILE_OPEN,
                               ID_FILE_SAVE,
                               0,
                               ID_EDIT_CUT,
                               ID_EDIT_COPY,
                               ID_EDIT_PASTE,
                               0,
                               ID_EDIT_UNDO,
                               ID_EDIT_REDO,
                               0,
                               ID_EDIT_LINK,
                               0,
                               ID_HELP_CONTENTS};
    QFontMetrics fm(mainToolBar_->font());
    for (unsigned id : layout) {
        if (id == 0) {
            mainToolBar_->addSeparator();
            continue;
        }
        QAction* action = GetAction(id);
        action->setIcon(CommandIcon(id));
        // The label under the image: the last line of the command's prompt.
        action->setIconText(QString::fromStdString(CommandTooltip(id)).trimmed());
        mainToolBar_->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(mainToolBar_->widgetForAction(action))) {
            int label = fm.horizontalAdvance(action->iconText());
            button->setMinimumWidth(std::max(16 + 7, label + 10));
            button->setMinimumHeight(15 + fm.height() + 7);
        }
    }
    addToolBar(Qt::TopToolBarArea, mainToolBar_);
}

void CMainFrame::CreateArrangeToolBar() {
    arrangeToolBar_ = new QToolBar("Arrange", this);
    arrangeToolBar_->setObjectName("ArrangeToolBar");
    arrangeToolBar_->setIconSize(QSize(16, 15));
    const unsigned layout[] = {ID_ALIGN_LEFT,
                               ID_ALIGN_RIGHT,
                               ID_ALIGN_TOP,
                               ID_ALIGN_BOTTOM,
                               0,
                               ID_CENTER_VERTICAL,
                               ID_CENTER_HORIZONTAL,
                               0,
                               ID_SPACE_ACROSS,
                               ID_SPACE_DOWN,
                               0,
                               ID_SAME_WIDTH,
                               ID_SAME_HEIGHT,
                               ID_SAME_SIZE,
                               0,
                               ID_TOOLS_GRID,
                               ID_TOOLS_MARGINS};
    for (unsigned id : layout) {
        if (id == 0) {
            arrangeToolBar_->addSeparator();
            continue;
        }
        QAction* action = GetAction(id);
        if (!action) {
            std::string text = CommandTooltip(id);
            action = AddCommand(nullptr, id, text.c_str());
        }
        action->setIcon(CommandIcon(id));
        arrangeToolBar_->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, arrangeToolBar_);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    const int widths[4] = {80, 80, 90, 70};
    for (int i = 0; i < 4; ++i) {
        panes_[i] = new QLabel(bar);
        panes_[i]->setObjectName(QString("Indicator%1").arg(ID_INDICATOR_FIRST + i));
        // The classic widths are the least a pane takes; a longer text in a
        // larger desktop font widens its pane instead of being cut off.
        panes_[i]->setMinimumWidth(widths[i]);
        panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(panes_[i]);
    }
    const QString idle = LoadDesignerString(IDS_IDLE);
    connect(bar, &QStatusBar::messageChanged, this, [bar, idle](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(idle);
    });
    bar->showMessage(idle);
}

void CMainFrame::CreateDockPanes() {
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    auto makePane = [this](unsigned titleId, unsigned barId) {
        auto* dock = new QDockWidget(LoadDesignerString(titleId), this);
        dock->setObjectName(QString("ControlBar-%1").arg(barId));
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        dock->setWidget(new CSizingPane(dock));
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        return dock;
    };
    templateViewBar_ = makePane(IDS_TEMPLATE_VIEW, ID_TEMPLATE_VIEW_BAR);
    dirTreeBar_ = makePane(IDS_DIRECTORY_TREE, ID_DIRECTORY_TREE_BAR);
}

void CMainFrame::RestorePlacement() {
    auto raw = user_settings::ReadBinary("WindowPosition");
    std::optional<WindowPlacement> placement = raw ? DecodePlacement(*raw) : std::nullopt;
    if (!placement) {
        resize(1024, 720);
        show();
        return;
    }
    WindowPlacement p = PlacementToRestore(*placement);
    int w = std::clamp(p.right - p.left, 320, 16384);
    int h = std::clamp(p.bottom - p.top, 240, 16384);
    QRect wanted(p.left, p.top, w, h);
    // A placement saved on a screen that is gone would hide the frame.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted))
            onScreen = true;
    }
    if (onScreen) {
        setGeometry(wanted);
    } else {
        resize(w, h);
    }
    if (p.showCmd == kShowMaximized) {
        showMaximized();
    } else {
        showNormal();
    }
}

void CMainFrame::SavePlacement() {
    WindowPlacement p;
    QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (!normal.isValid())
        normal = geometry();
    p.showCmd = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    user_settings::WriteBinary("WindowPosition", EncodePlacement(p));
}

void CMainFrame::RestoreDockLayout() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kProfileKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    auto read = [key](const char* name, DWORD wantType) -> std::optional<std::vector<BYTE>> {
        DWORD type = 0, size = 0;
        if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != wantType || size > (1u << 20)) {
            return std::nullopt;
        }
        std::vector<BYTE> data(size);
        if (RegQueryValueEx(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        data.resize(size);
        return data;
    };
    auto bars = read("Bars", REG_SZ);
    auto state = read("State", REG_BINARY);
    RegCloseKey(key);
    if (!bars || !state)
        return;
    // Every bar the layout names must still exist, or the layout is ignored.
    std::string names(bars->begin(), bars->end());
    names = names.substr(0, names.find('\0'));
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t comma = names.find(',', start);
        std::string name =
            names.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!name.empty() && !findChild<QWidget*>(QString::fromStdString(name)))
            return;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    for (QDockWidget* dock : {dirTreeBar_, templateViewBar_}) {
        std::string value = dock->objectName().toStdString();
        if (auto raw = user_settings::ReadBinary(value.c_str())) {
            if (auto sizes = DecodePaneSizes(*raw)) {
                Qt::DockWidgetArea area = dockWidgetArea(dock);
                bool horizontal = area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
                const auto& pair = horizontal ? sizes->horizontal : sizes->vertical;
                int extent = std::clamp(horizontal ? pair[1] : pair[0], 40, 4000);
                resizeDocks({dock}, {extent}, horizontal ? Qt::Vertical : Qt::Horizontal);
            }
        }
    }
    restoreState(QByteArray(reinterpret_cast<const char*>(state->data()),
                            static_cast<qsizetype>(state->size())));
}

void CMainFrame::SaveDockLayout() {
    for (QDockWidget* dock : {dirTreeBar_, templateViewBar_}) {
        if (!dock)
            continue;
        std::string value = dock->objectName().toStdString();
        PaneSizes sizes;
        if (auto raw = user_settings::ReadBinary(value.c_str())) {
            if (auto old = DecodePaneSizes(*raw))
                sizes = *old;
        }
        std::array<std::int32_t, 2> now{dock->width(), dock->height()};
        Qt::DockWidgetArea area = dockWidgetArea(dock);
        if (dock->isFloating()) {
            sizes.floating = now;
        } else if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea) {
            sizes.horizontal = now;
        } else {
            sizes.vertical = now;
        }
        user_settings::WriteBinary(value.c_str(), EncodePaneSizes(sizes));
    }
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kProfileKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_WRITE | KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::string bars;
    for (QObject* bar : std::initializer_list<QObject*>{mainToolBar_, arrangeToolBar_, palette_,
                                                        templateViewBar_, dirTreeBar_}) {
        if (!bar)
            continue;
        if (!bars.empty())
            bars += ',';
        bars += bar->objectName().toStdString();
    }
    RegSetValueEx(key, "Bars", 0, REG_SZ, bars.c_str(), static_cast<DWORD>(bars.size() + 1));
    QByteArray state = saveState();
    RegSetValueEx(key, "State", 0, REG_BINARY, state.constData(), static_cast<DWORD>(state.size()));
    RegCloseKey(key);
}

bool CMainFrame::Create() {
    // 1. The frame itself.
    if (app_ && app_->HasCaller()) {
        setWindowFlags(windowFlags() & ~Qt::WindowMinimizeButtonHint);
    }
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("MdiArea");
    mdi_->setBackground(QBrush(QColor(128, 128, 128)));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (auto* child = qobject_cast<CChildFrame*>(w))
            UpdateStatusPanes(child->GetView()->GetPage());
        else if (!w)
            UpdateStatusPanes(nullptr);
        UpdateCommandUI();
    });
    CreateMenus();
    defaultHost_ = new CWindowHostWidget(this);
    defaultHost_->hide();
    platform::SetDefaultHost(defaultHost_);
    // 2. Placement.
    RestorePlacement();
    // 3. Recent templates.
    recent_ = LoadRecentTemplates();
    RefreshRecentMenu();
    // 4. - 6. Main toolbar, status bar, docking panes.
    CreateMainToolBar();
    CreateStatusBar();
    CreateDockPanes();
    // 8. Arrange toolbar.
    CreateArrangeToolBar();
    // 9. The area-tool palette.
    palette_ = new CAreaToolBar(this, app_ ? &app_->GetManager().toolManager : nullptr);
    if (!palette_->Build())
        return false;
    addToolBar(Qt::LeftToolBarArea, palette_);
    // 7. The saved layout (once every bar it may name exists).
    RestoreDockLayout();
    OfferPaneMenu(this);
    // 11. The template the library panes will select.
    startSelection_.clear();
    if (app_ && !app_->startTemplate.empty() && FileExists(app_->startTemplate)) {
        startSelection_ = app_->startTemplate;
    } else if (!recent_[0].empty() && FileExists(recent_[0])) {
        startSelection_ = recent_[0];
    }
    // 12. Shared editing settings.
    if (app_) {
        EditingSettings::Load(app_->GetManager(), app_->currentPrinter);
        GetAction(ID_TOOLS_SHOW_ORDER)->setChecked(app_->GetManager().toolManager.ShowZOrder != 0);
    }
    // Command enabling follows the state while the Designer is idle.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] { UpdateCommandUI(); });
    idle->start(250);
    UpdateCommandUI();
    created_ = true;
    // 13. The caller learns the frame is up.
    if (app_ && app_->GetCallerLink()) {
        app_->GetCallerLink()->FrameCreated(static_cast<std::uint64_t>(winId()));
    }
    return true;
}

void CMainFrame::RefreshRecentMenu() {
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* action = GetAction(ID_FILE_MRU_FIRST + i);
        if (!action)
            continue;
        const std::string& path = recent_[i];
        action->setVisible(i == 0 || !path.empty());
        std::string label = path.empty() ? "MRU " + std::to_string(i + 1)
                                         : "&" + std::to_string(i + 1) + " " + path;
        action->setText(QString::fromStdString(label));
    }
}

void CMainFrame::AddRecent(const std::string& path) {
    AddRecentTemplate(recent_, path);
    RefreshRecentMenu();
}

void CMainFrame::OpenRecent(int index) {
    if (index < 0 || index >= kRecentCount || recent_[index].empty() || !app_)
        return;
    app_->OpenTemplateFile(recent_[index]);
}

std::vector<CChildFrame*> CMainFrame::GetChildren() const {
    std::vector<CChildFrame*> children;
    if (!mdi_)
        return children;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        auto* child = qobject_cast<CChildFrame*>(w);
        if (child && !child->property("closed").toBool())
            children.push_back(child);
    }
    return children;
}

CChildFrame* CMainFrame::GetActiveChild() const {
    if (!mdi_)
        return nullptr;
    auto* child = qobject_cast<CChildFrame*>(mdi_->currentSubWindow());
    if (child && child->property("closed").toBool())
        return nullptr;
    return child;
}

CXMLEditorView* CMainFrame::GetActiveView() const {
    CChildFrame* child = GetActiveChild();
    return child ? child->GetView() : nullptr;
}

CChildFrame* CMainFrame::NewChild(bool maximized) {
    auto* child = new CChildFrame(this);
    mdi_->addSubWindow(child);
    if (maximized) {
        child->showMaximized();
    } else {
        child->show();
    }
    mdi_->setActiveSubWindow(child);
    return child;
}

void CMainFrame::ActivateChild(CChildFrame* child) {
    if (!child)
        return;
    mdi_->setActiveSubWindow(child);
    child->raise();
    child->GetView()->setFocus();
}

void CMainFrame::UpdateStatusPanes(CTemplatePage* page) {
    for (int i = 0; i < 4; ++i) {
        if (!panes_[i])
            continue;
        char text[256] = {};
        if (page)
            page->GetPropertyText(i, text, sizeof text);
        text[sizeof text - 1] = '\0';
        panes_[i]->setText(QString::fromUtf8(text));
    }
    statusBar()->update();
}

bool CMainFrame::IsCommandEnabled(unsigned id) const {
    CXMLEditorView* view = GetActiveView();
    if (IsViewCommand(id))
        return view && view->IsCommandEnabled(id);
    if (id >= ID_FILE_MRU_FIRST && id < ID_FILE_MRU_FIRST + kRecentCount) {
        return !recent_[id - ID_FILE_MRU_FIRST].empty();
    }
    switch (id) {
        case ID_FILE_CLOSE:
        case ID_FILE_SAVE:
        case ID_FILE_SAVE_AS:
        case ID_TOOLS_SHOW_ORDER:
        case ID_WINDOW_CLOSE_ALL:
        case ID_WINDOW_CASCADE:
        case ID_WINDOW_TILE:
        case ID_WINDOW_ARRANGE:
            return view != nullptr;
        case ID_FILE_NEW:
        case ID_FILE_OPEN:
        case ID_APP_EXIT:
        case ID_HELP_CONTENTS:
        case ID_APP_ABOUT:
        case ID_VIEW_REFRESH:
            return true;
        // Template packages and the grid and margin dialogs are not built
        // yet: their items stay disabled.
        case ID_FILE_IMPORT:
        case ID_FILE_EXPORT:
        case ID_TOOLS_GRID:
        case ID_TOOLS_MARGINS:
        default:
            return false;
    }
}

void CMainFrame::UpdateCommandUI() {
    for (auto& [id, action] : actions_)
        action->setEnabled(IsCommandEnabled(id));
}

void CMainFrame::ToggleShowOrder() {
    QAction* action = GetAction(ID_TOOLS_SHOW_ORDER);
    if (!app_)
        return;
    // The check mark follows the command (a shortcut does not toggle it).
    bool shown = app_->GetManager().toolManager.ShowZOrder == 0;
    action->setChecked(shown);
    app_->GetManager().toolManager.ShowZOrder = shown ? 1 : 0;
    // The flag is shared by every page: all of them show the change.
    for (CChildFrame* child : GetChildren())
        child->GetView()->RepaintPage();
}

bool CMainFrame::CloseAllChildren() {
    while (CChildFrame* child = GetActiveChild()
                                    ? GetActiveChild()
                                    : (GetChildren().empty() ? nullptr : GetChildren().front())) {
        if (!child->CloseFrame())
            return false;
    }
    return true;
}

bool CMainFrame::OnCommand(unsigned id) {
    if (IsViewCommand(id)) {
        if (!IsCommandEnabled(id))
            return false;
        CXMLEditorView* view = GetActiveView();
        bool handled = view && view->OnCommand(id);
        UpdateCommandUI();
        return handled;
    }
    if (id >= ID_FILE_MRU_FIRST && id < ID_FILE_MRU_FIRST + kRecentCount) {
        OpenRecent(static_cast<int>(id - ID_FILE_MRU_FIRST));
        return true;
    }
    CChildFrame* child = GetActiveChild();
    switch (id) {
        case ID_FILE_NEW:
            if (app_)
                app_->OnFileNew();
            break;
        case ID_FILE_OPEN:
            // Without the library panes' template list the templates to open
            // are chosen in a file dialog.
            if (app_) {
                std::string root = user_settings::ReadFolder("TemplateDir");
                for (const std::string& path : DesignerUi::Get()->OpenTemplates(this, root)) {
                    app_->OpenTemplateFile(path);
                }
            }
            break;
        case ID_FILE_CLOSE:
            if (child)
                child->CloseFrame();
            break;
        case ID_FILE_SAVE:
            if (child)
                child->GetDocument()->DoFileSave();
            break;
        case ID_FILE_SAVE_AS:
            if (child)
                child->GetDocument()->DoSave(std::string(), TRUE);
            break;
        case ID_APP_EXIT:
            close();
            break;
        case ID_TOOLS_SHOW_ORDER:
            if (child)
                ToggleShowOrder();
            break;
        case ID_WINDOW_CASCADE:
            CascadeTemplateWindows(mdi_);
            break;
        case ID_WINDOW_TILE:
            mdi_->tileSubWindows();
            break;
        case ID_WINDOW_ARRANGE:
            // Minimised windows line up along the bottom of the MDI area.
            for (QMdiSubWindow* w : mdi_->subWindowList()) {
                if (w->isMinimized())
                    w->showMinimized();
            }
            break;
        case ID_WINDOW_CLOSE_ALL:
            CloseAllChildren();
            break;
        case ID_HELP_CONTENTS:
            if (app_)
                app_->OnHelp();
            break;
        case ID_APP_ABOUT:
            if (app_)
                app_->OnAbout();
            break;
        case ID_VIEW_REFRESH:
            break;
        default:
            return false;
    }
    UpdateCommandUI();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Exit asks about every modified template first.
    if (!CloseAllChildren()) {
        event->ignore();
        return;
    }
    OnDestroyFrame();
    QMainWindow::closeEvent(event);
}

void CMainFrame::OnDestroyFrame() {
    if (destroyed_ || !created_)
        return;
    destroyed_ = true;
    CallerLink* link = app_ ? app_->GetCallerLink() : nullptr;
    if (link)
        link->FrameClosing(static_cast<std::uint64_t>(winId()), recent_[0]);
    SavePlacement();
    SaveRecentTemplates(recent_);
    SaveDockLayout();
    if (app_)
        EditingSettings::Save(app_->GetManager(), app_->currentPrinter);
    if (link)
        link->BringCallerToFront();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

int CMainFrame::OpenDroppedFiles(const QMimeData* data) {
    int opened = 0;
    if (!app_ || !data)
        return 0;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && app_->OpenTemplateFile(url.toLocalFile().toStdString()))
            ++opened;
    }
    return opened;
}

void CMainFrame::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(event->mimeData());
    event->acceptProposedAction();
}
