// The MDI child frame of a template window: holds the document and the view.
#pragma once

#include <QMdiSubWindow>

#include "designer/template_document.h"

class CMainFrame;
class CXMLEditorView;

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
