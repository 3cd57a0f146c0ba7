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
#include <algorithm>

#include "designer/area_tool_bar.h"
#include "designer/child_frame.h"
#include "designer/commands.h"
#include "designer/designer_app.h"
#include "designer/pane_menu.h"
#include "designer/resource_ids.h"
#include "designer/strings.h"
#include "designer/window_host_widget.h"
#include "designer/xml_editor_view.h"
#include "framework/template_page.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/registry.h"

using namespace platform;

namespace {

// The framework's application profile, where the dock layout is kept.
constexpr const char* kProfileKey =
    "Software\\ZYN Systems\\Corvantis Template Designer\\ControlBar";

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

QAction* CMainFrame::AddCommand(const CommandRow& row) {
    const unsigned id = row.id;
    QString text =
        row.text ? QString::fromUtf8(row.text) : QString::fromStdString(CommandTooltip(id));
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QString("ID%1").arg(id));
    action->setStatusTip(QString::fromStdString(CommandPrompt(id)));
    std::string tip = CommandTooltip(id);
    if (!tip.empty())
        action->setToolTip(QString::fromStdString(tip));
    if (row.accelerator)
        action->setShortcut(QKeySequence(QString::fromUtf8(row.accelerator)));
    action->setCheckable(row.checkable);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    actions_[id] = action;
    addAction(action);  // shortcuts work even while the menu bar is hidden
    return action;
}

void CMainFrame::CreateMenus() {
    // Every command gets its action; those with a menu place go into their
    // menu in table order, with a separator where the group changes.
    std::vector<QMenu*> menus;
    std::map<std::string, QMenu*> byPath;
    std::map<QMenu*, int> lastGroup;
    for (const CommandRow& row : DesignerCommands()) {
        QAction* action = AddCommand(row);
        if (!row.menu)
            continue;
        std::string path = row.menu;
        std::size_t slash = path.find('/');
        std::string top = path.substr(0, slash);
        QMenu*& menu = byPath[top];
        if (!menu) {
            menu = menuBar()->addMenu(QString::fromStdString(top));
            menus.push_back(menu);
            lastGroup[menu] = row.menuGroup;
        } else if (lastGroup[menu] != row.menuGroup) {
            menu->addSeparator();
            lastGroup[menu] = row.menuGroup;
        }
        QMenu* target = menu;
        if (slash != std::string::npos) {
            QMenu*& sub = byPath[path];
            if (!sub)
                sub = menu->addMenu(QString::fromStdString(path.substr(slash + 1)));
            target = sub;
        }
        target->addAction(action);
    }

    // The open template windows, listed under the Window menu's commands.
    if (QMenu* window = byPath["&Window"]) {
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
    }

    for (QMenu* m : menus) {
        connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    }
}

std::vector<QAction*> CMainFrame::FillToolBar(QToolBar* bar, CommandBar which) {
    std::vector<const CommandRow*> rows;
    for (const CommandRow& row : DesignerCommands()) {
        if (row.bar == which)
            rows.push_back(&row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const CommandRow* a, const CommandRow* b) {
        return a->barSlot < b->barSlot;
    });
    std::vector<QAction*> added;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i]->barSlot / 10 != rows[i - 1]->barSlot / 10)
            bar->addSeparator();
        QAction* action = GetAction(rows[i]->id);
        action->setIcon(CommandIcon(*rows[i]));
        bar->addAction(action);
        added.push_back(action);
    }
    return added;
}

void CMainFrame::CreateMainToolBar() {
    mainToolBar_ = new QToolBar("Standard", this);
    mainToolBar_->setObjectName("MainToolBar");
    mainToolBar_->setIconSize(QSize(16, 15));
    mainToolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QFontMetrics fm(mainToolBar_->font());
    for (QAction* action : FillToolBar(mainToolBar_, CommandBar::kMain)) {
        // The label under the image: the last line of the command's prompt.
        action->setIconText(
            QString::fromStdString(CommandTooltip(action->data().toUInt())).trimmed());
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
    FillToolBar(arrangeToolBar_, CommandBar::kArrange);
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
    const CommandRow* row = FindCommand(id);
    if (!row || !row->enabled)
        return false;
    CXMLEditorView* view = GetActiveView();
    // A view command asks the active view.
    if (row->scope == CommandScope::kView)
        return view && view->IsCommandEnabled(id);
    return row->enabled({const_cast<CMainFrame*>(this), view, id});
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
    const CommandRow* row = FindCommand(id);
    if (!row || !row->handler)
        return false;
    if (row->scope == CommandScope::kView) {
        if (!IsCommandEnabled(id))
            return false;
        CXMLEditorView* view = GetActiveView();
        bool handled = view && view->OnCommand(id);
        UpdateCommandUI();
        return handled;
    }
    row->handler({this, GetActiveView(), id});
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
