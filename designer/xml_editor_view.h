// The view of a template window: the widget that hosts the page object's
// window tree and carries out the view's commands.
#pragma once

#include <memory>

#include "designer/window_host_widget.h"
#include "platform/types.h"

class CChildFrame;
class CTemplatePage;

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

    // The view's commands (the rows of the command table with view scope):
    // whether `id` is enabled, and carrying it out. Other ids are not
    // handled (false).
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
