#include "designer/designer_app.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <filesystem>

#include "designer/app_icon.h"
#include "designer/area_tool_bar.h"
#include "designer/child_frame.h"
#include "designer/designer_ui.h"
#include "designer/dialogs/new_template_dlg.h"
#include "designer/help.h"
#include "designer/main_frame.h"
#include "designer/qt_clipboard.h"
#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/strings.h"
#include "designer/xml_editor_view.h"
#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "framework/designer_keys.h"
#include "framework/template_page.h"
#include "platform/message_box.h"

using namespace platform;

namespace {
CDesignerApp* g_app = nullptr;
int g_untitled = 0;
}  // namespace

int DesignerPendingTool(int* out) {
    if (out)
        *out = 0;
    CMainFrame* frame = g_app ? g_app->GetMainFrame() : nullptr;
    if (!frame || !frame->GetAreaToolBar())
        return -1;
    return frame->GetAreaToolBar()->TakeArmedTool(out);
}

void DesignerChanged() {
    CMainFrame* frame = g_app ? g_app->GetMainFrame() : nullptr;
    CChildFrame* child = frame ? frame->GetActiveChild() : nullptr;
    if (child)
        child->GetDocument()->SetModifiedFlag(true);
}

BOOL DesignerMargins(CTemplatePage* page) {
    // Printer margins are not read yet: the page keeps zero margins.
    return page ? TRUE : FALSE;
}

CDesignerApp::CDesignerApp() {
    g_app = this;
}

CDesignerApp::~CDesignerApp() {
    ExitInstance();
    if (g_app == this)
        g_app = nullptr;
}

CDesignerApp* CDesignerApp::Get() {
    return g_app;
}

bool CDesignerApp::InitInstance(const std::vector<std::string>& args) {
    InstallProductIcon();
    // Options.
    std::string line = JoinArguments(args);
    DesignerCommandLine parsed;
    if (line.find('-') != std::string::npos)
        parsed = ParseDesignerCommandLine(line);
    callerHandle_ = parsed.callerHandle;
    startTemplate = parsed.startTemplate;
    helpFileOption = parsed.helpFile;
    manager_.toolManager.fullInformation = parsed.fullInformation ? 1 : 0;
    if (callerHandle_ != 0 && !callerLink_)
        callerLink_ = MakeCallerLink(callerHandle_);

    // Plug-ins.
    manager_.registryKey = designer_keys::kKey;
    manager_.valueName = designer_keys::kPageDir;
    manager_.toolManager.registryKey = designer_keys::kKey;
    manager_.toolManager.valueName = designer_keys::kToolDir;
    unsigned failure = 0;
    if (!manager_.LoadPageStyles()) {
        failure = IDS_NO_PAGE_STYLES;
    } else if (!manager_.toolManager.LoadTools()) {
        failure = IDS_NO_AREA_TOOLS;
    }
    if (failure) {
        DesignerUi::Get()->MessageBox(nullptr, LoadDesignerString(failure),
                                      MB_OK | MB_ICONEXCLAMATION);
        if (callerLink_)
            callerLink_->StartupFailed();
        return false;
    }

    QtClipboardBackend::Install();

    // The main frame.
    mainFrame_ = std::make_unique<CMainFrame>(this);
    if (!mainFrame_->Create()) {
        mainFrame_.reset();
        return false;
    }

    // Files named on the command line open as templates; with none a new
    // Designer greets the user with the New Template dialog.
    std::vector<std::string> files = FileArguments(args, parsed);
    if (files.empty()) {
        OnFileNew();
    } else {
        for (const std::string& file : files)
            OpenTemplateFile(file);
    }

    // The help file: a path longer than the buffer is refused, not cut.
    helpFileTooLong = helpFileOption.size() > sizeof helpFilePath - 1;
    if (!helpFileTooLong) {
        std::copy(helpFileOption.begin(), helpFileOption.end(), helpFilePath);
        helpFilePath[helpFileOption.size()] = '\0';
    }
    mainFrame_->update();
    return true;
}

void CDesignerApp::ExitInstance() {
    if (mainFrame_) {
        // Template windows (and their pages) go before the plug-ins.
        for (CChildFrame* child : mainFrame_->GetChildren()) {
            child->GetView()->SetPage(nullptr);
        }
        mainFrame_->OnDestroyFrame();
        mainFrame_.reset();
    }
}

CChildFrame* CDesignerApp::OnFileNew() {
    if (!mainFrame_)
        return nullptr;
    int style = -1;
    std::string paper;
    CChildFrame* child = nullptr;
    {
        CNewTemplateDlg dlg(&manager_, mainFrame_.get());
        if (DesignerUi::Get()->RunDialog(&dlg) != QDialog::Accepted)
            return nullptr;
        style = dlg.GetSelectedIndex();
        paper = dlg.GetSelectedName();
        if (style < 0)
            return nullptr;

        CChildFrame* before = mainFrame_->GetActiveChild();
        bool maximize = !before || before->isMaximized();
        child = mainFrame_->NewChild(maximize);
        child->GetDocument()->SetTitle("Untitled" + std::to_string(++g_untitled));
        CXMLEditorView* view = child->GetView();
        CTemplatePage* page = manager_.CreatePageObject(style);
        if (!view || !page) {
            if (page)
                manager_.DestroyPageObject(page);
            child->GetDocument()->SetModifiedFlag(false);
            child->CloseFrame();
            return nullptr;
        }
        view->SetPage(page);
        if (CTemplatePage* preview = dlg.GetPreviewPage())
            page->CopyPageSettings(preview);
        if (!page->CreatePage(DesignerPendingTool, DesignerChanged, DesignerMargins,
                              view->GetViewWindow())) {
            child->GetDocument()->SetModifiedFlag(false);
            child->CloseFrame();
            return nullptr;
        }
        page->FitToParent(-1, -1);
        page->Checkpoint();
        page->UpdateMargins();
        view->RepaintPage();
        mainFrame_->ActivateChild(child);
        mainFrame_->UpdateStatusPanes(page);
    }
    // The choice is remembered only once the Designer's key exists.
    if (user_settings::KeyExists())
        user_settings::WriteString("LastNewPageStyle", paper);
    child->GetDocument()->SetModifiedFlag(false);
    return child;
}

CChildFrame* CDesignerApp::OpenTemplate(const std::string& path, CXMLTreeNode* root) {
    if (!mainFrame_ || !root)
        return nullptr;
    for (CChildFrame* child : mainFrame_->GetChildren()) {
        if (child->GetView()->GetPage() && child->GetDocument()->GetPathName() == path) {
            mainFrame_->ActivateChild(child);
            return child;
        }
    }
    CChildFrame* before = mainFrame_->GetActiveChild();
    bool maximize = !before || before->isMaximized();
    CChildFrame* child = mainFrame_->NewChild(maximize);
    CXMLEditorView* view = child->GetView();
    CTemplatePage* page = manager_.CreatePageForTemplate(root, DesignerPendingTool, DesignerChanged,
                                                         DesignerMargins, view->GetViewWindow());
    if (!page) {
        child->CloseFrame();
        DesignerUi::Get()->MessageBox(mainFrame_.get(),
                                      LoadDesignerString(IDS_TEMPLATE_NOT_SUPPORTED),
                                      MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    view->SetPage(page);
    child->GetDocument()->SetPathName(path);
    page->FitToParent(-1, -1);
    page->UpdateMargins();
    view->RepaintPage();
    mainFrame_->ActivateChild(child);
    mainFrame_->UpdateStatusPanes(page);
    child->GetDocument()->SetModifiedFlag(false);
    mainFrame_->AddRecent(path);
    return child;
}

std::string TemplateOpenFailureText(const std::string& path, const std::string& reason) {
    std::string text = LoadDesignerString(IDS_TEMPLATE_NOT_SUPPORTED);
    if (!reason.empty())
        text += "\n\n" + path + ":\n" + reason;
    return text;
}

CChildFrame* CDesignerApp::OpenTemplateFile(const std::string& given) {
    if (!mainFrame_)
        return nullptr;
    // A relative name (from the command line) is made absolute here, so the
    // window, the recent templates and later saves do not depend on the
    // folder the Designer was started in.
    std::string path = given;
    if (!path.empty() && path[0] != '/') {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(path, ec);
        if (!ec)
            path = full.lexically_normal().string();
    }
    for (CChildFrame* child : mainFrame_->GetChildren()) {
        if (child->GetView()->GetPage() && child->GetDocument()->GetPathName() == path) {
            mainFrame_->ActivateChild(child);
            return child;
        }
    }
    CXMLTree tree;
    std::string reason;
    if (!CTemplateFactory::LoadXML(path.c_str(), &tree, &reason) || !tree.GetRoot()) {
        DesignerUi::Get()->MessageBox(mainFrame_.get(), TemplateOpenFailureText(path, reason),
                                      MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    return OpenTemplate(path, tree.GetRoot());
}

void CDesignerApp::OnHelp() {
    if (helpFileTooLong) {
        DesignerUi::Get()->MessageBox(
            mainFrame_.get(),
            "The help file path is longer than 260 characters and cannot be used:\n" +
                helpFileOption,
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Without -H the installed user guide is opened. Without either, or
    // with a file the desktop cannot open, the user is told why nothing
    // appears.
    std::string help = helpFilePath;
    if (help.empty())
        help = userGuidePath.empty() ? InstalledUserGuide() : userGuidePath;
    if (help.empty()) {
        DesignerUi::Get()->MessageBox(mainFrame_.get(),
                                      "No help file was given to the Template Designer "
                                      "(start it with -H and the path of the help file).",
                                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!DesignerUi::Get()->OpenHelpFile(help)) {
        DesignerUi::Get()->MessageBox(mainFrame_.get(),
                                      std::string("The help file could not be opened:\n") + help,
                                      MB_OK | MB_ICONEXCLAMATION);
    }
}

void CDesignerApp::OnAbout() {
    QDialog about(mainFrame_.get());
    about.setObjectName("AboutDialog100");
    about.setWindowTitle("About Template Designer");
    auto* layout = new QVBoxLayout(&about);
    auto* title = new QLabel(LoadDesignerString(IDS_APP_TITLE), &about);
    title->setObjectName("AppTitle");
    auto* version = new QLabel(QString("Version ") + kDesignerVersion, &about);
    version->setObjectName("Version");
    layout->addWidget(title);
    layout->addWidget(version);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    DesignerUi::Get()->RunDialog(&about);
}
