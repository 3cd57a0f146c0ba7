#include "designer/window_host_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "designer/designer_ui.h"
#include "platform/menu.h"

using namespace platform;

QImage ImageOfBitmap(const Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        return QImage();
    // Cairo's 32-bit pixels have the layout of Qt's (premultiplied) RGB32.
    QImage view(bitmap.Data(), bitmap.Width(), bitmap.Height(), bitmap.Stride(),
                bitmap.HasAlpha() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return view.copy();
}

QIcon IconOfHandle(HICON icon) {
    if (!icon || !icon->image())
        return QIcon();
    return QIcon(QPixmap::fromImage(ImageOfBitmap(*icon->image())));
}

QCursor CursorOfHandle(HCURSOR cursor) {
    if (!cursor)
        return QCursor(Qt::ArrowCursor);
    if (!cursor->IsStandard()) {
        return QCursor(QPixmap::fromImage(ImageOfBitmap(*cursor->image())), cursor->hotSpot().x,
                       cursor->hotSpot().y);
    }
    switch (cursor->shape()) {
        case StandardCursor::IBeam:
            return QCursor(Qt::IBeamCursor);
        case StandardCursor::Wait:
            return QCursor(Qt::WaitCursor);
        case StandardCursor::Cross:
            return QCursor(Qt::CrossCursor);
        case StandardCursor::SizeNWSE:
            return QCursor(Qt::SizeFDiagCursor);
        case StandardCursor::SizeNESW:
            return QCursor(Qt::SizeBDiagCursor);
        case StandardCursor::SizeWE:
            return QCursor(Qt::SizeHorCursor);
        case StandardCursor::SizeNS:
            return QCursor(Qt::SizeVerCursor);
        case StandardCursor::SizeAll:
            return QCursor(Qt::SizeAllCursor);
        case StandardCursor::No:
            return QCursor(Qt::ForbiddenCursor);
        case StandardCursor::Hand:
            return QCursor(Qt::PointingHandCursor);
        case StandardCursor::AppStarting:
            return QCursor(Qt::BusyCursor);
        case StandardCursor::Arrow:
            break;
    }
    return QCursor(Qt::ArrowCursor);
}

UINT VirtualKeyOfQtKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>(key);  // same codes
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        default:
            return 0;
    }
}

CWindowHostWidget::CWindowHostWidget(QWidget* parent)
    : QWidget(parent), manager_(std::make_unique<WindowManager>(this, 0, 0)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    manager_->SetDoubleClickTime(static_cast<std::uint32_t>(QApplication::doubleClickInterval()));
}

CWindowHostWidget::~CWindowHostWidget() {
    // The windows go before the widget they are shown in.
    manager_.reset();
}

void CWindowHostWidget::ProcessIdle() {
    idlePending_ = false;
    if (manager_)
        manager_->ProcessPostedMessages();
}

void CWindowHostWidget::InvalidateHost(const Rect& r) {
    update(QRect(r.left, r.top, r.Width(), r.Height()));
}

void CWindowHostWidget::SetHostCursor(HCURSOR cursor) {
    setCursor(CursorOfHandle(cursor));
}

void CWindowHostWidget::FillQMenu(QMenu* qmenu, const Menu& menu) {
    for (const Menu::Item& item : menu.items()) {
        if (item.IsSeparator()) {
            qmenu->addSeparator();
            continue;
        }
        // Qt marks mnemonics with "&" as well.
        QString text = QString::fromStdString(item.text);
        if (item.subMenu) {
            QMenu* sub = qmenu->addMenu(text);
            sub->setEnabled(item.IsEnabled());
            FillQMenu(sub, *item.subMenu);
            continue;
        }
        QAction* action = qmenu->addAction(text);
        action->setData(item.id);
        action->setEnabled(item.IsEnabled());
        if (item.IsChecked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
}

UINT CWindowHostWidget::TrackPopupMenu(const Menu& menu, Point screenPoint, UINT flags,
                                       Window* owner) {
    (void)flags, (void)owner;
    QMenu qmenu(this);
    FillQMenu(&qmenu, menu);
    QAction* chosen = qmenu.exec(QPoint(screenPoint.x, screenPoint.y));
    return chosen ? chosen->data().toUInt() : 0;
}

int CWindowHostWidget::ShowMessageBox(Window* owner, std::string_view text,
                                      std::string_view caption, UINT type) {
    (void)owner, (void)caption;
    return DesignerUi::Get()->MessageBox(this, std::string(text), type);
}

bool CWindowHostWidget::IsKeyDown(int virtualKey) const {
    Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    switch (virtualKey) {
        case VK_SHIFT:
            return mods & Qt::ShiftModifier;
        case VK_CONTROL:
            return mods & Qt::ControlModifier;
        case VK_MENU:
            return mods & Qt::AltModifier;
        default:
            return keysDown_.count(static_cast<UINT>(virtualKey)) != 0;
    }
}

Point CWindowHostWidget::GetScreenOrigin() const {
    QPoint p = mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}

void CWindowHostWidget::RequestIdleProcessing() {
    if (idlePending_)
        return;
    idlePending_ = true;
    QTimer::singleShot(0, this, [this] { ProcessIdle(); });
}

void CWindowHostWidget::paintEvent(QPaintEvent* event) {
    manager_->Paint();
    QPainter painter(this);
    const Bitmap& store = manager_->BackingStore();
    if (store.IsEmpty()) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    QImage view(store.Data(), store.Width(), store.Height(), store.Stride(),
                store.HasAlpha() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    painter.drawImage(event->rect(), view, event->rect());
}

void CWindowHostWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    manager_->SetRootSize(width(), height());
}

UINT CWindowHostWidget::KeysOf(Qt::KeyboardModifiers modifiers) {
    UINT keys = 0;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

namespace {
bool ButtonOf(Qt::MouseButton b, MouseButton* out) {
    switch (b) {
        case Qt::LeftButton:
            *out = MouseButton::Left;
            return true;
        case Qt::RightButton:
            *out = MouseButton::Right;
            return true;
        case Qt::MiddleButton:
            *out = MouseButton::Middle;
            return true;
        default:
            return false;
    }
}
Point PointOf(QMouseEvent* e) {
    QPoint p = e->position().toPoint();
    return {p.x(), p.y()};
}
}  // namespace

void CWindowHostWidget::mousePressEvent(QMouseEvent* e) {
    MouseButton b;
    if (!ButtonOf(e->button(), &b))
        return;
    setFocus(Qt::MouseFocusReason);
    manager_->MouseDown(b, PointOf(e), KeysOf(e->modifiers()),
                        static_cast<std::uint32_t>(e->timestamp()));
}

void CWindowHostWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    // The window manager tells double clicks from single ones by itself.
    mousePressEvent(e);
}

void CWindowHostWidget::mouseReleaseEvent(QMouseEvent* e) {
    MouseButton b;
    if (!ButtonOf(e->button(), &b))
        return;
    manager_->MouseUp(b, PointOf(e), KeysOf(e->modifiers()),
                      static_cast<std::uint32_t>(e->timestamp()));
}

void CWindowHostWidget::mouseMoveEvent(QMouseEvent* e) {
    manager_->MouseMove(PointOf(e), KeysOf(e->modifiers()),
                        static_cast<std::uint32_t>(e->timestamp()));
}

void CWindowHostWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    manager_->MouseLeave();
}

void CWindowHostWidget::keyPressEvent(QKeyEvent* e) {
    UINT vk = VirtualKeyOfQtKey(e->key());
    if (vk != 0) {
        keysDown_.insert(vk);
        if (HandleKey(vk, true))
            return;
        manager_->KeyDown(vk, KeysOf(e->modifiers()));
    } else if (e->text().isEmpty()) {
        QWidget::keyPressEvent(e);
        return;
    }
    QString text = e->text();
    for (char32_t c : text.toStdU32String()) {
        if (c >= 0x20 || c == '\r' || c == '\b' || c == '\t')
            manager_->Char(static_cast<UINT>(c));
    }
}

void CWindowHostWidget::keyReleaseEvent(QKeyEvent* e) {
    UINT vk = VirtualKeyOfQtKey(e->key());
    if (vk == 0 || e->isAutoRepeat()) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    keysDown_.erase(vk);
    if (HandleKey(vk, false))
        return;
    manager_->KeyUp(vk, KeysOf(e->modifiers()));
}

void CWindowHostWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    keysDown_.clear();
}
