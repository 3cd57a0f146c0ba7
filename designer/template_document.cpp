#include "designer/template_document.h"

#include <QApplication>
#include <cstring>

#include "designer/app_icon.h"
#include "designer/child_frame.h"
#include "designer/designer_ui.h"
#include "designer/main_frame.h"
#include "designer/resource_ids.h"
#include "designer/settings.h"
#include "designer/strings.h"
#include "designer/xml_editor_view.h"
#include "engine/xml_tree.h"
#include "framework/designer_keys.h"
#include "framework/template_page.h"
#include "platform/ascii.h"
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
    if (platform::ascii::EndsWithNoCase(name, ".xml"))
        return name;
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
        frame_->setWindowTitle(TemplateWindowTitle(title_, modified_));
}

void CXMLEditorDoc::SetModifiedFlag(bool modified) {
    modified_ = modified;
    if (frame_)
        frame_->setWindowTitle(TemplateWindowTitle(title_, modified_));
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
            folder = user_settings::ReadFolder(designer_keys::kTemplateDir);
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
