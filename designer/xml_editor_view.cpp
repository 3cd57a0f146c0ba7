#include "designer/xml_editor_view.h"

#include "designer/child_frame.h"
#include "designer/commands.h"
#include "designer/designer_app.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"

using namespace platform;

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
    const CommandRow* row = FindCommand(id);
    if (!row || row->scope != CommandScope::kView || !row->enabled)
        return false;
    return row->enabled({frame_ ? frame_->GetMainFrame() : nullptr, this, id});
}

bool CXMLEditorView::OnCommand(unsigned id) {
    const CommandRow* row = FindCommand(id);
    if (!row || row->scope != CommandScope::kView || !row->handler)
        return false;
    row->handler({frame_ ? frame_->GetMainFrame() : nullptr, this, id});
    RepaintPage();
    return true;
}
