// The document of a template window: file path, title and modified state,
// saving, and the rules for template file names. The window's view
// (xml_editor_view.h) holds the page object; its MDI child frame
// (child_frame.h) holds both.
#pragma once

#include <string>

#include "platform/types.h"

class CChildFrame;
class CXMLEditorView;

// The document: path name, title and modified flag. The template itself is
// held by the view's page object.
class CXMLEditorDoc {
  public:
    explicit CXMLEditorDoc(CChildFrame* frame) : frame_(frame) {}

    const std::string& GetPathName() const { return pathName_; }
    // Takes the path and titles the window with its file name.
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title);
    bool IsModified() const { return modified_; }
    // Also marks the window's title ("*") while modified.
    void SetModifiedFlag(bool modified = true);
    CXMLEditorView* GetView() const;

    // The save operation: `path` empty for Save As (and for a first save),
    // `replace` when the document takes the new path. FALSE on any failure
    // or cancel; the user has been told what went wrong.
    BOOL DoSave(const std::string& path, BOOL replace = TRUE);
    // The Save command: saves under the document's own path.
    BOOL DoFileSave() { return DoSave(pathName_, TRUE); }
    // Writes the page's template to `fullPath`: a file beside it renamed over
    // it, so a failed write leaves the old file as it was. On failure
    // `error` says why.
    BOOL OnSaveDocument(const std::string& fullPath, std::string* error);
    // The template text the page writes (empty without a page).
    std::string TemplateText() const;
    // Asks whether to save a modified document: false when the user
    // cancelled or the save failed.
    bool SaveModified();

  private:
    CChildFrame* frame_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;
};

// Splits a path at its last "/" into folder and name.
void SplitTemplatePath(const std::string& path, std::string* folder, std::string* name);
// Whether a title can stand as a file name (none of \ / : * ? " < > |).
bool IsValidFileTitle(const std::string& title);
// The file name the Designer saves under: ".xml" appended unless the name
// already ends in ".XML" in any case.
std::string TemplateFileName(const std::string& name);
