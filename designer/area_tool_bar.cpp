#include "designer/area_tool_bar.h"

#include <QButtonGroup>
#include <QMdiArea>
#include <QMouseEvent>

#include "designer/child_frame.h"
#include "designer/main_frame.h"
#include "designer/resource_ids.h"
#include "designer/window_host_widget.h"
#include "designer/xml_editor_view.h"
#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"

using namespace platform;

CAreaToolButton::CAreaToolButton(CAreaToolBar* bar, int toolIndex)
    : QToolButton(bar), bar_(bar), toolIndex_(toolIndex) {
    setCheckable(true);
    setAutoRaise(true);
}

void CAreaToolButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QToolButton::mousePressEvent(event);
    bar_->PressButton(toolIndex_);
}

void CAreaToolButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QToolButton::mouseDoubleClickEvent(event);
    bar_->DoubleClickButton(toolIndex_);
}

void CAreaToolButton::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return QToolButton::mouseMoveEvent(event);
    setCursor(bar_->DragCursorAt(toolIndex_, event->globalPosition().toPoint()));
}

void CAreaToolButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QToolButton::mouseReleaseEvent(event);
    unsetCursor();
    bar_->DropAt(toolIndex_, event->globalPosition().toPoint(),
                 event->modifiers() & Qt::ControlModifier);
}

CAreaToolBar::CAreaToolBar(CMainFrame* frame, CToolManager* tools)
    : QToolBar("Area Tools", frame), frame_(frame), tools_(tools) {
    setObjectName("AreaToolBar");
    setOrientation(Qt::Vertical);
    setAllowedAreas(Qt::AllToolBarAreas);
    setIconSize(QSize(16, 16));
}

CAreaToolBar::~CAreaToolBar() {
    for (CTemplateTool* tool : objects_)
        tools_->DestroyTool(tool);
}

bool CAreaToolBar::Build() {
    if (!tools_ || tools_->GetToolTypeCount() <= 0)
        return false;
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    for (int i = 0;
         i < tools_->GetToolTypeCount() && i <= int(ID_AREA_TOOL_LAST - ID_AREA_TOOL_FIRST); ++i) {
        CTemplateTool* tool = tools_->CreateTool(i);
        // A tool whose area cannot be made gets no button.
        if (!tool)
            continue;
        objects_.push_back(tool);
        std::string name;
        tools_->GetToolTypeName(i, name);
        auto* button = new CAreaToolButton(this, i);
        button->setObjectName(QString("AreaTool%1").arg(ID_AREA_TOOL_FIRST + i));
        button->setToolTip(QString::fromStdString(name));
        QIcon icon = IconOfHandle(tool->GetToolIcon());
        if (icon.isNull()) {
            // Without an icon the tool's name stands on the button.
            button->setText(QString::fromStdString(name));
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        } else {
            button->setIcon(icon);
        }
        group_->addButton(button, static_cast<int>(ID_AREA_TOOL_FIRST) + i);
        addWidget(button);
        buttons_.push_back(button);
    }
    if (buttons_.empty())
        return false;
    buttons_.front()->setChecked(true);
    return true;
}

CAreaToolButton* CAreaToolBar::ButtonOf(int toolIndex) const {
    for (CAreaToolButton* b : buttons_) {
        if (b->toolIndex() == toolIndex)
            return b;
    }
    return nullptr;
}

int CAreaToolBar::ArmedTool() const {
    for (CAreaToolButton* b : buttons_) {
        if (b->isChecked())
            return b->toolIndex();
    }
    return -1;
}

int CAreaToolBar::TakeArmedTool(int* out) {
    if (out)
        *out = 0;
    int armed = ArmedTool();
    if (!locked_ && !buttons_.empty())
        buttons_.front()->setChecked(true);
    return armed;
}

void CAreaToolBar::PressButton(int toolIndex) {
    if (CAreaToolButton* b = ButtonOf(toolIndex))
        b->setChecked(true);
    locked_ = 0;
}

void CAreaToolBar::DoubleClickButton(int toolIndex) {
    if (CAreaToolButton* b = ButtonOf(toolIndex))
        b->setChecked(true);
    locked_ = 1;
}

namespace {
// The active page and the point in its client pixels, when `global` is over it.
CTemplatePage* PageAt(CMainFrame* frame, const QPoint& global, Point* pagePoint) {
    CXMLEditorView* view = frame ? frame->GetActiveView() : nullptr;
    if (!view || !view->isVisible())
        return nullptr;
    QPoint local = view->mapFromGlobal(global);
    if (!view->rect().contains(local))
        return nullptr;
    CTemplatePage* page = view->GetPage();
    if (!page || !page->IsWindow())
        return nullptr;
    Rect r;
    page->GetWindowRect(&r);  // screen pixels of the view's host
    Point origin = view->GetScreenOrigin();
    Point p(local.x() + origin.x, local.y() + origin.y);
    if (!r.PtInRect(p))
        return nullptr;
    page->ScreenToClient(&p);
    *pagePoint = p;
    return page;
}
}  // namespace

QCursor CAreaToolBar::DragCursorAt(int toolIndex, const QPoint& global) const {
    CAreaToolButton* button = ButtonOf(toolIndex);
    bool overButton = button && button->rect().contains(button->mapFromGlobal(global));
    CXMLEditorView* view = frame_ ? frame_->GetActiveView() : nullptr;
    bool overView = view && view->rect().contains(view->mapFromGlobal(global));
    int armed = ArmedTool();
    if (!overButton && overView && armed >= 0) {
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            if (buttons_[i]->toolIndex() == armed && i < objects_.size()) {
                return CursorOfHandle(objects_[i]->GetToolCursor());
            }
        }
    }
    return QCursor(Qt::ForbiddenCursor);
}

bool CAreaToolBar::DropAt(int toolIndex, const QPoint& global, bool ctrl) {
    (void)toolIndex;
    Point at;
    bool placed = false;
    int before = -1;
    // Ctrl locks before the placement, so that the dragged tool (not the
    // resting one) stays armed for the next areas.
    if (ctrl)
        locked_ = 1;
    if (CTemplatePage* page = PageAt(frame_, global, &at)) {
        before = page->GetToolCount();
        page->PlaceToolAt(at, ctrl ? UINT{MK_CONTROL} : UINT{0});
        placed = page->GetToolCount() > before;
        if (CXMLEditorView* view = frame_->GetActiveView())
            view->RepaintPage();
    }
    return placed;
}
