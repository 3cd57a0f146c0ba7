// A Qt widget that hosts a tree of platform windows: it owns their window
// manager, feeds it the widget's mouse and key input, paints the manager's
// backing store, delivers posted messages when the event loop is idle, and
// shows the windows' cursors, popup menus and message boxes with Qt.
#pragma once

#include <QWidget>
#include <memory>
#include <unordered_set>

#include "platform/window.h"
#include "platform/window_host.h"

class QMenu;

// Conversions between the platform's pixels and Qt's.
QImage ImageOfBitmap(const platform::Bitmap& bitmap);
QIcon IconOfHandle(platform::HICON icon);
QCursor CursorOfHandle(platform::HCURSOR cursor);
// A Qt key as a virtual-key code; 0 when there is none.
UINT VirtualKeyOfQtKey(int qtKey);

class CWindowHostWidget : public QWidget, public platform::WindowHost {
    Q_OBJECT
  public:
    explicit CWindowHostWidget(QWidget* parent = nullptr);
    ~CWindowHostWidget() override;

    platform::WindowManager& manager() { return *manager_; }
    platform::Window* root() { return manager_->Root(); }
    // Delivers the posted messages now (the idle step).
    void ProcessIdle();
    // The Qt menu a platform menu becomes (for tests and the host itself).
    static void FillQMenu(QMenu* qmenu, const platform::Menu& menu);

    // ---- WindowHost ----------------------------------------------------------
    void InvalidateHost(const platform::Rect& rootRect) override;
    void SetHostCursor(platform::HCURSOR cursor) override;
    UINT TrackPopupMenu(const platform::Menu& menu, platform::Point screenPoint, UINT flags,
                        platform::Window* owner) override;
    int ShowMessageBox(platform::Window* owner, std::string_view text, std::string_view caption,
                       UINT type) override;
    bool IsKeyDown(int virtualKey) const override;
    platform::Point GetScreenOrigin() const override;
    void RequestIdleProcessing() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // A hook for hosts that handle some keys themselves: true when handled.
    virtual bool HandleKey(UINT virtualKey, bool down) {
        (void)virtualKey, (void)down;
        return false;
    }

  private:
    static UINT KeysOf(Qt::KeyboardModifiers modifiers);

    std::unique_ptr<platform::WindowManager> manager_;
    std::unordered_set<UINT> keysDown_;
    bool idlePending_ = false;
};
