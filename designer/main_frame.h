// The Designer's main frame: menus, toolbars, status bar, the two library
// panes, the area-tool palette and the MDI area holding the template windows.
#pragma once

#include <QMainWindow>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "designer/settings.h"

class CAreaToolBar;
class CChildFrame;
struct CommandRow;
enum class CommandBar;
class CDesignerApp;
class CTemplatePage;
class CWindowHostWidget;
class CXMLEditorView;
class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QMimeData;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(CDesignerApp* app);
    ~CMainFrame() override;

    // The frame's creation steps; false when a part could not be made.
    bool Create();

    CDesignerApp* GetApp() const { return app_; }
    QMdiArea* GetMdiArea() const { return mdi_; }
    CAreaToolBar* GetAreaToolBar() const { return palette_; }
    QToolBar* GetMainToolBar() const { return mainToolBar_; }
    QToolBar* GetArrangeToolBar() const { return arrangeToolBar_; }
    QDockWidget* GetTemplateViewBar() const { return templateViewBar_; }
    QDockWidget* GetDirTreeBar() const { return dirTreeBar_; }
    // The action of a command id (null if none).
    QAction* GetAction(unsigned id) const;
    QLabel* GetStatusPane(int index) const;  // 1 to 4

    // The active template window and its view (null when none is open).
    CChildFrame* GetActiveChild() const;
    CXMLEditorView* GetActiveView() const;
    std::vector<CChildFrame*> GetChildren() const;
    // Adds a new template window (shown maximised or normal).
    CChildFrame* NewChild(bool maximized);
    void ActivateChild(CChildFrame* child);

    // Runs a command as the menu would; false when nobody handled it.
    bool OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;
    // Enables and checks every action from the current state (what an idle
    // pass does).
    void UpdateCommandUI();
    // Panes 1-4 show the texts of a page's GetPropertyText.
    void UpdateStatusPanes(CTemplatePage* page);

    // Recent templates, most recent first.
    const std::array<std::string, kRecentCount>& GetRecent() const { return recent_; }
    void AddRecent(const std::string& path);
    // The template the library panes select at start-up ("" for none).
    const std::string& GetStartSelection() const { return startSelection_; }

    // Close All: closes the template windows until none is left or one
    // stays open (the user cancelled its save prompt). True when all closed.
    bool CloseAllChildren();
    // Files dropped on the frame open as templates; returns how many opened.
    int OpenDroppedFiles(const QMimeData* data);
    // Frame destruction: tells the caller, saves the settings. Runs once.
    void OnDestroyFrame();
    // Show Order: toggles the order numbers on every page.
    void ToggleShowOrder();
    // Opens the recent template at `index` (0 the most recent).
    void OpenRecent(int index);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The action of a command row (made once per row).
    QAction* AddCommand(const CommandRow& row);
    // Builds the menus from the command table.
    void CreateMenus();
    // Puts the commands of toolbar `which` on `bar`; returns their actions.
    std::vector<QAction*> FillToolBar(QToolBar* bar, CommandBar which);
    void CreateMainToolBar();
    void CreateArrangeToolBar();
    void CreateStatusBar();
    void CreateDockPanes();
    void RestorePlacement();
    void SavePlacement();
    void RestoreDockLayout();
    void SaveDockLayout();
    void RefreshRecentMenu();

    CDesignerApp* app_;
    QMdiArea* mdi_ = nullptr;
    QDockWidget* templateViewBar_ = nullptr;
    QDockWidget* dirTreeBar_ = nullptr;
    CAreaToolBar* palette_ = nullptr;
    // Shows message boxes of plug-ins that name no owner window.
    CWindowHostWidget* defaultHost_ = nullptr;
    QToolBar* mainToolBar_ = nullptr;
    QToolBar* arrangeToolBar_ = nullptr;
    std::array<QLabel*, 4> panes_{};
    std::map<unsigned, QAction*> actions_;
    std::array<std::string, kRecentCount> recent_;
    std::string startSelection_;
    bool destroyed_ = false;
    bool created_ = false;
};
