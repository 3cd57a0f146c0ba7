#include "designer/child_frame.h"

#include <QCloseEvent>
#include <QPointer>

#include "designer/app_icon.h"
#include "designer/main_frame.h"
#include "designer/xml_editor_view.h"
#include "framework/template_page.h"

CChildFrame::CChildFrame(CMainFrame* mainFrame)
    : mainFrame_(mainFrame), doc_(this), view_(new CXMLEditorView(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view_);
    setWindowIcon(ProductIcon());
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
