// The Designer's application object: command line, start-up, the page-style
// manager, the caller exchange and the commands that belong to the
// application (New, Open, Help, About).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "designer/caller_link.h"
#include "designer/command_line.h"
#include "framework/plugin_managers.h"

class CChildFrame;
class CMainFrame;
class CNewTemplateDlg;
class CXMLTreeNode;
class QWidget;

class CDesignerApp {
  public:
    CDesignerApp();
    ~CDesignerApp();
    CDesignerApp(const CDesignerApp&) = delete;
    CDesignerApp& operator=(const CDesignerApp&) = delete;

    // The one application object (null before construction / after).
    static CDesignerApp* Get();

    // Start-up with the program's arguments; false when the Designer must
    // end without a window.
    bool InitInstance(const std::vector<std::string>& args);
    // Destroys the main frame if still there.
    void ExitInstance();

    CPageStyleManager& GetManager() { return manager_; }
    CMainFrame* GetMainFrame() const { return mainFrame_.get(); }
    CallerLink* GetCallerLink() const { return callerLink_.get(); }
    // Tests give their own link; the -C option gives the descriptor's.
    void SetCallerLink(std::unique_ptr<CallerLink> link) { callerLink_ = std::move(link); }
    bool HasCaller() const { return callerHandle_ != 0; }

    // File New: the New Template dialog, then a new template window.
    CChildFrame* OnFileNew();
    // Makes the window of a template whose tree is given: brings an already
    // open one (same path, exact comparison) forward instead.
    CChildFrame* OpenTemplate(const std::string& path, CXMLTreeNode* root);
    // Parses a template file and opens it. A file that cannot be read or
    // parsed gives message 10020 with the file and the parser's reason
    // (TemplateOpenFailureText); a template no page style takes gives
    // message 10020 alone.
    CChildFrame* OpenTemplateFile(const std::string& path);
    void OnHelp();
    void OnAbout();

    std::string currentPrinter;
    std::string startTemplate;
    std::string helpFileOption;
    // The help file path (260 characters and the terminator); empty when the
    // -H value did not fit (helpFileTooLong).
    char helpFilePath[261] = {};
    bool helpFileTooLong = false;
    // The guide Help opens without -H; empty: the one installed with the
    // program (InstalledUserGuide).
    std::string userGuidePath;

  private:
    CPageStyleManager manager_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<CallerLink> callerLink_;
    DWORD callerHandle_ = 0;
};

// The message of a template file that could not be opened: message 10020,
// then, when the reason is known, the file and the reason.
std::string TemplateOpenFailureText(const std::string& path, const std::string& reason);

// The callbacks every page gets.
int DesignerPendingTool(int* out);
void DesignerChanged();
BOOL DesignerMargins(CTemplatePage* page);
