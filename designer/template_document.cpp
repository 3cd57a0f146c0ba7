#include "designer/template_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QPointer>
#include <cerrno>
#include <cstring>

#include "designer/designer_app.h"
#include "designer/designer_ui.h"
#include "designer/main_frame.h"
#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/strings.h"
#include "engine/xml_tree.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "platform/files.h"
#include "platform/message_box.h"

using namespace platform;

// ---- path rules ---------------------------------------------------------------

void SplitTemplatePath(const std::string& path, std::string* folder, std::string* name) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder->clear();
        *name = path;
    } else {
        *folder = path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

bool IsValidFileTitle(const std::string& title) {
    return title.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

std::string TemplateFileName(const std::string& name) {
    if (name.size() >= 4) {
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (ext == ".XML")
            return name;
    }
    return name + ".xml";
}

namespace {

std::string RemoveExtension(const std::string& name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

int Ask(QWidget* parent, const std::string& text, UINT type) {
    return DesignerUi::Get()->MessageBox(parent, text, type);
}

// Writes `text` to a new file beside `path`, flushes it and renames it over
// `path` (see platform::WriteFileAtomically). The old file stays as it was
// when anything fails.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    const int err = platform::WriteFileAtomically(path, text);
    if (err != 0)
        *error = std::strerror(err);
    return err == 0;
}

}  // namespace

// ---- document -------------------------------------------------------------------

void CXMLEditorDoc::SetPathName(const std::string& path) {
    pathName_ = path;
    std::string folder, name;
    SplitTemplatePath(path, &folder, &name);
    SetTitle(name);
}

void CXMLEditorDoc::SetTitle(const std::string& title) {
    title_ = title;
    if (frame_)
        frame_->setWindowTitle(QString::fromStdString(title));
}

CXMLEditorView* CXMLEditorDoc::GetView() const {
    return frame_ ? frame_->GetView() : nullptr;
}

std::string CXMLEditorDoc::TemplateText() const {
    CXMLEditorView* view = GetView();
    CTemplatePage* page = view ? view->GetPage() : nullptr;
    if (!page)
        return {};
    CXMLTreeNode* root = page->WriteXML();
    if (!root)
        return {};
    CXMLTree tree(root);
    tree.SetTopTag(LoadDesignerString(IDS_XML_TOP_TAG));
    char* text = tree.GetXML();
    std::string result = text ? text : "";
    delete[] text;
    // The tree gives the root back; deleting it frees the whole template tree.
    delete tree.SetRoot(nullptr);
    return result;
}

BOOL CXMLEditorDoc::OnSaveDocument(const std::string& fullPath, std::string* error) {
    std::string text = TemplateText();
    if (text.empty()) {
        *error = "the template has no content to write";
        return FALSE;
    }
    if (!WriteFileAtomically(fullPath, text, error))
        return FALSE;
    SetModifiedFlag(false);
    return TRUE;
}

BOOL CXMLEditorDoc::DoSave(const std::string& path, BOOL replace) {
    QWidget* parent = frame_;
    std::string folder, name;
    SplitTemplatePath(path, &folder, &name);
    bool dialogShown = false;
    if (name.empty()) {
        SplitTemplatePath(pathName_, &folder, &name);
        if (replace && name.empty()) {
            name = title_;
            if (!IsValidFileTitle(name)) {
                Ask(parent, LoadDesignerString(IDS_INVALID_FILE_NAME), MB_OK | MB_ICONEXCLAMATION);
                return FALSE;
            }
        }
        name = RemoveExtension(name);
        // Until the library panes choose it, a first save starts in the
        // template library's root folder.
        if (folder.empty())
            folder = user_settings::ReadFolder("TemplateDir");
        std::string newFolder, newName;
        if (!DesignerUi::Get()->SaveTemplateAs(parent, folder, name, &newFolder, &newName)) {
            return FALSE;
        }
        folder = newFolder;
        name = newName;
        dialogShown = true;
    }
    if (name.empty()) {
        Ask(parent, LoadDesignerString(IDS_INVALID_FILE_NAME), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    name = TemplateFileName(name);
    std::string fullPath = JoinPath(folder, name);
    if (FileExists(fullPath)) {
        if (IsReadOnly(fullPath)) {
            Ask(parent, FormatString(LoadDesignerString(IDS_READ_ONLY), name),
                MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
        if (dialogShown && Ask(parent, FormatString(LoadDesignerString(IDS_ASK_OVERWRITE), name),
                               MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            return FALSE;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string error;
    BOOL saved = OnSaveDocument(fullPath, &error);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        // The file was written beside the target and renamed over it: a
        // failure leaves any earlier file untouched, so nothing is deleted.
        Ask(parent, "The template could not be saved as \"" + fullPath + "\":\n" + error,
            MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (replace)
        SetPathName(fullPath);
    if (frame_ && frame_->GetMainFrame())
        frame_->GetMainFrame()->AddRecent(fullPath);
    return TRUE;
}

bool CXMLEditorDoc::SaveModified() {
    if (!modified_)
        return true;
    std::string name = title_.empty() ? std::string("Untitled") : title_;
    int answer = Ask(frame_, "Save changes to " + name + "?", MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES)
        return DoFileSave() != FALSE;
    return true;
}

// ---- view -----------------------------------------------------------------------

// The view's own window: the parent of the page window, as big as the view.
class CXMLEditorView::ViewWindow : public Window {
  public:
    explicit ViewWindow(CXMLEditorView* view) : view_(view) {}
    ~ViewWindow() override { DestroyWindow(); }
    // The desk around the page.
    void OnPaint(DC* dc) override {
        Rect r;
        GetClientRect(&r);
        Brush desk(RGB(128, 128, 128));
        dc->FillRect(r, &desk);
    }
    void OnSize(UINT type, int cx, int cy) override {
        (void)type;
        Invalidate(FALSE);
        if (CTemplatePage* page = view_->GetPage(); page && page->IsWindow()) {
            page->FitToParent(cx, cy);
        }
    }

  private:
    CXMLEditorView* view_;
};

CXMLEditorView::CXMLEditorView(CChildFrame* frame)
    : CWindowHostWidget(frame), frame_(frame), viewWindow_(std::make_unique<ViewWindow>(this)) {
    viewWindow_->SetBackgroundColor(RGB(128, 128, 128));
    viewWindow_->Create("", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Rect(0, 0, 0, 0), root());
    setMinimumSize(120, 90);
}

CXMLEditorView::~CXMLEditorView() {
    SetPage(nullptr);
}

Window* CXMLEditorView::GetViewWindow() const {
    return viewWindow_.get();
}

void CXMLEditorView::SetPage(CTemplatePage* page) {
    if (page_ == page)
        return;
    if (page_) {
        page_->DeleteAllTools();
        CDesignerApp* app = CDesignerApp::Get();
        if (app)
            app->GetManager().DestroyPageObject(page_);
    }
    page_ = page;
}

void CXMLEditorView::resizeEvent(QResizeEvent* event) {
    CWindowHostWidget::resizeEvent(event);
    viewWindow_->MoveWindow(0, 0, width(), height());
}

bool CXMLEditorView::HandleKey(UINT vk, bool down) {
    if (vk < VK_LEFT || vk > VK_DOWN || !page_)
        return false;
    if (down) {
        page_->OnArrowKey(vk);
    } else {
        page_->CommitMove();
    }
    return true;
}

void CXMLEditorView::RepaintPage() {
    if (page_ && page_->IsWindow())
        page_->Invalidate(FALSE);
    update();
}

bool CXMLEditorView::IsCommandEnabled(unsigned id) {
    CTemplatePage* page = page_;
    int selected = page ? page->GetSelectedCount() : 0;
    switch (id) {
        case ID_EDIT_DELETE:
        case ID_EDIT_SELECT_NONE:
        case ID_TOOLS_PAGE_PROPERTIES:
        case ID_TOOLS_SHOW_ORDER:
        case ID_WINDOW_CLOSE_ALL:
            return true;
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
            return page && selected > 0;
        case ID_EDIT_PASTE:
            return page && CDesignerApp::Get() &&
                   CDesignerApp::Get()->GetManager().IsTemplateOnClipboard();
        case ID_EDIT_UNDO:
            return page && page->canUndo != 0;
        case ID_EDIT_REDO:
            return page && page->canRedo != 0;
        case ID_EDIT_LINK:
            return page && page->CanToggleLink();
        case ID_EDIT_SELECT_ALL:
            return page && page->GetToolCount() > 0;
        case ID_ALIGN_LEFT:
        case ID_ALIGN_RIGHT:
        case ID_ALIGN_TOP:
        case ID_ALIGN_BOTTOM:
        case ID_SAME_WIDTH:
        case ID_SAME_HEIGHT:
        case ID_SAME_SIZE:
            return page && selected > 1;
        case ID_CENTER_VERTICAL:
        case ID_CENTER_HORIZONTAL:
            return page && selected > 0;
        case ID_SPACE_DOWN:
        case ID_SPACE_ACROSS:
            return page && selected > 2;
        default:
            return false;
    }
}

bool CXMLEditorView::OnCommand(unsigned id) {
    CTemplatePage* page = page_;
    switch (id) {
        case ID_EDIT_DELETE:
            if (page)
                page->DeleteSelection();
            break;
        case ID_EDIT_CUT:
            if (page)
                page->Cut();
            break;
        case ID_EDIT_COPY:
            if (page)
                page->Copy();
            break;
        case ID_EDIT_PASTE:
            if (page)
                page->Paste();
            break;
        case ID_EDIT_UNDO:
            if (page)
                page->Undo();
            break;
        case ID_EDIT_REDO:
            if (page)
                page->Redo();
            break;
        case ID_EDIT_LINK:
            if (page && !page->ToggleLink()) {
                DesignerUi::Get()->MessageBox(frame_, LoadDesignerString(IDS_LINK_REFUSED), MB_OK);
            }
            break;
        case ID_EDIT_SELECT_ALL:
            if (page) {
                for (int i = 0; i < page->GetToolCount(); ++i) {
                    if (CTemplateTool* tool = page->GetToolAt(i))
                        tool->SetSelection(SELECT_ON, TRUE);
                }
            }
            break;
        case ID_EDIT_SELECT_NONE:
            if (page) {
                if (CTemplateTool* tool = page->GetToolAt(0))
                    tool->SetSelection(SELECT_OFF, FALSE);
            }
            break;
        case ID_ALIGN_LEFT:
            if (page)
                page->AlignLeft();
            break;
        case ID_ALIGN_RIGHT:
            if (page)
                page->AlignRight();
            break;
        case ID_ALIGN_TOP:
            if (page)
                page->AlignTop();
            break;
        case ID_ALIGN_BOTTOM:
            if (page)
                page->AlignBottom();
            break;
        case ID_SAME_WIDTH:
            if (page)
                page->MakeSameWidth();
            break;
        case ID_SAME_HEIGHT:
            if (page)
                page->MakeSameHeight();
            break;
        case ID_SAME_SIZE:
            if (page)
                page->MakeSameSize();
            break;
        case ID_CENTER_VERTICAL:
            if (page)
                page->CenterVertically();
            break;
        case ID_CENTER_HORIZONTAL:
            if (page)
                page->CenterHorizontally();
            break;
        case ID_SPACE_DOWN:
            if (page)
                page->SpaceDownEvenly();
            break;
        case ID_SPACE_ACROSS:
            if (page)
                page->SpaceAcrossEvenly();
            break;
        case ID_TOOLS_PAGE_PROPERTIES:
            if (page)
                page->EditProperties();
            break;
        default:
            return false;
    }
    RepaintPage();
    return true;
}

// ---- child frame ----------------------------------------------------------------

CChildFrame::CChildFrame(CMainFrame* mainFrame)
    : mainFrame_(mainFrame), doc_(this), view_(new CXMLEditorView(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view_);
    resize(640, 520);
}

CChildFrame::~CChildFrame() = default;

bool CChildFrame::CloseFrame() {
    QPointer<CChildFrame> self(this);
    close();
    // With WA_DeleteOnClose the frame is deleted later; until then it is
    // marked closed (a cancelled close leaves it unmarked).
    return !self || self->property("closed").toBool();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!doc_.SaveModified()) {
        event->ignore();
        return;
    }
    setProperty("closed", true);
    // The page goes with the window, before the main frame looks for the
    // next active template.
    view_->SetPage(nullptr);
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    if (mainFrame_ && mainFrame_->GetActiveChild() == this) {
        mainFrame_->UpdateStatusPanes(view_->GetPage());
    }
}
