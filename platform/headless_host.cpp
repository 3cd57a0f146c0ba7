// The scriptable window host for tests.
#include "platform/headless_host.h"

#include "platform/message_box.h"

namespace platform {

HeadlessHost::HeadlessHost(int width, int height, Point screenOrigin)
    : origin_(screenOrigin), manager_(std::make_unique<WindowManager>(this, width, height)) {}

HeadlessHost::~HeadlessHost() {
    if (GetDefaultHost() == this)
        SetDefaultHost(nullptr);
    manager_.reset();
}

UINT HeadlessHost::Modifiers() const {
    UINT m = 0;
    if (keys_[VK_SHIFT])
        m |= MK_SHIFT;
    if (keys_[VK_CONTROL])
        m |= MK_CONTROL;
    return m;
}

void HeadlessHost::AfterEvent() {
    if (autoIdle_)
        Idle();
}

void HeadlessHost::MouseMove(int x, int y) {
    mouse_ = {x, y};
    manager_->MouseMove(mouse_, Modifiers(), now_);
    AfterEvent();
}

void HeadlessHost::PressLeft(int x, int y) {
    mouse_ = {x, y};
    manager_->MouseDown(MouseButton::Left, mouse_, Modifiers(), now_);
    AfterEvent();
}

void HeadlessHost::ReleaseLeft(int x, int y) {
    mouse_ = {x, y};
    manager_->MouseUp(MouseButton::Left, mouse_, Modifiers(), now_);
    AfterEvent();
}

void HeadlessHost::Click(int x, int y) {
    PressLeft(x, y);
    ReleaseLeft(x, y);
}

void HeadlessHost::DoubleClick(int x, int y) {
    Click(x, y);
    Click(x, y);
}

void HeadlessHost::PressRight(int x, int y) {
    mouse_ = {x, y};
    manager_->MouseDown(MouseButton::Right, mouse_, Modifiers(), now_);
    AfterEvent();
}

void HeadlessHost::ReleaseRight(int x, int y) {
    mouse_ = {x, y};
    manager_->MouseUp(MouseButton::Right, mouse_, Modifiers(), now_);
    AfterEvent();
}

void HeadlessHost::RightClick(int x, int y) {
    PressRight(x, y);
    ReleaseRight(x, y);
}

void HeadlessHost::Drag(int x0, int y0, int x1, int y1, int steps) {
    if (steps < 1)
        steps = 1;
    PressLeft(x0, y0);
    for (int i = 1; i <= steps; ++i) {
        MouseMove(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    }
    ReleaseLeft(x1, y1);
}

void HeadlessHost::MouseLeave() {
    manager_->MouseLeave();
}

void HeadlessHost::KeyDown(int virtualKey) {
    if (virtualKey >= 0 && virtualKey < 256)
        keys_[virtualKey] = true;
    manager_->KeyDown(static_cast<UINT>(virtualKey), Modifiers());
    AfterEvent();
}

void HeadlessHost::KeyUp(int virtualKey) {
    if (virtualKey >= 0 && virtualKey < 256)
        keys_[virtualKey] = false;
    manager_->KeyUp(static_cast<UINT>(virtualKey), Modifiers());
    AfterEvent();
}

void HeadlessHost::TypeChar(UINT codePoint) {
    manager_->Char(codePoint);
    AfterEvent();
}

int HeadlessHost::Idle() {
    int total = 0;
    // Bounded: a window that re-posts on every message must not hang a test.
    for (int round = 0; round < 1000 && manager_->HasPostedMessages(); ++round) {
        total += manager_->ProcessPostedMessages();
    }
    idleRequested_ = manager_->HasPostedMessages();
    return total;
}

const Bitmap& HeadlessHost::Render() {
    manager_->Paint();
    invalidated_ = Rect();
    return manager_->BackingStore();
}

void HeadlessHost::Resize(int width, int height) {
    manager_->SetRootSize(width, height);
}

void HeadlessHost::ClearRecords() {
    menus_.clear();
    boxes_.clear();
    cursors_.clear();
}

void HeadlessHost::InvalidateHost(const Rect& rootRect) {
    invalidated_ = invalidated_.United(rootRect);
}

void HeadlessHost::SetHostCursor(HCURSOR cursor) {
    cursor_ = cursor;
    cursors_.push_back(cursor);
}

UINT HeadlessHost::TrackPopupMenu(const Menu& menu, Point screenPoint, UINT flags, Window*) {
    UINT choice = 0;
    if (!menuScript_.empty()) {
        choice = menuScript_.front();
        menuScript_.pop_front();
    }
    menus_.push_back({menu, screenPoint, flags, choice});
    return choice;
}

int HeadlessHost::ShowMessageBox(Window*, std::string_view text, std::string_view caption,
                                 UINT type) {
    int answer = DefaultMessageBoxAnswer(type);
    if (!boxScript_.empty()) {
        answer = boxScript_.front();
        boxScript_.pop_front();
    }
    boxes_.push_back({std::string(text), std::string(caption), type, answer});
    return answer;
}

bool HeadlessHost::IsKeyDown(int virtualKey) const {
    return virtualKey >= 0 && virtualKey < 256 && keys_[virtualKey];
}

}  // namespace platform
