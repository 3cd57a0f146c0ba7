// One template window: the document (file and modified state), the view that
// hosts the page object, and the MDI child frame that holds them.
#pragma once

#include <QMdiSubWindow>
#include <memory>
#include <string>

#include "designer/window_host_widget.h"
#include "platform/types.h"

class CChildFrame;
class CTemplatePage;
class CXMLEditorView;
class CMainFrame;

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

// The window of the page: hosts the page object's window tree. The page
// window is the only child of the view's own window, which fills the widget.
class CXMLEditorView : public CWindowHostWidget {
    Q_OBJECT
  public:
    explicit CXMLEditorView(CChildFrame* frame);
    ~CXMLEditorView() override;

    CTemplatePage* GetPage() const { return page_; }
    // Takes ownership of the page (destroyed through the page-style manager
    // with the view). A previous page loses its areas and is destroyed.
    void SetPage(CTemplatePage* page);
    // The window the page is created in.
    platform::Window* GetViewWindow() const;
    CChildFrame* GetFrame() const { return frame_; }

    // The commands of the Edit and Tools menus: whether `id` is enabled, and
    // carrying it out. Unknown ids are not handled (false).
    bool IsCommandEnabled(unsigned id);
    bool OnCommand(unsigned id);
    // Repaints the page now.
    void RepaintPage();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool HandleKey(UINT virtualKey, bool down) override;

  private:
    class ViewWindow;
    CChildFrame* frame_;
    std::unique_ptr<ViewWindow> viewWindow_;
    CTemplatePage* page_ = nullptr;
};

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    explicit CChildFrame(CMainFrame* mainFrame);
    ~CChildFrame() override;

    CXMLEditorDoc* GetDocument() { return &doc_; }
    CXMLEditorView* GetView() const { return view_; }
    CMainFrame* GetMainFrame() const { return mainFrame_; }
    // Closes the window as its close box would (asking about saving);
    // true when it is gone.
    bool CloseFrame();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    CMainFrame* mainFrame_;
    CXMLEditorDoc doc_;
    CXMLEditorView* view_;
};

// Splits a path at its last "/" into folder and name.
void SplitTemplatePath(const std::string& path, std::string* folder, std::string* name);
// Whether a title can stand as a file name (none of \ / : * ? " < > |).
bool IsValidFileTitle(const std::string& title);
// The file name the Designer saves under: ".xml" appended unless the name
// already ends in ".XML" in any case.
std::string TemplateFileName(const std::string& name);
