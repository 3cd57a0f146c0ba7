// The Qt window host and the desktop clipboard backend.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "designer/qt_clipboard.h"
#include "designer/window_host_widget.h"
#include "platform/clipboard.h"
#include "platform/menu.h"

namespace {

using namespace platform;

class Recorder : public Window {
  public:
    ~Recorder() override { DestroyWindow(); }
    void OnLButtonDown(UINT, Point p) override { events.push_back("down " + Str(p)); }
    void OnLButtonUp(UINT, Point p) override { events.push_back("up " + Str(p)); }
    void OnLButtonDblClk(UINT, Point p) override { events.push_back("dbl " + Str(p)); }
    void OnKeyDown(UINT key, UINT, UINT) override {
        events.push_back("key " + std::to_string(key));
    }
    void OnPaint(DC* dc) override {
        Rect r;
        GetClientRect(&r);
        Brush red(RGB(255, 0, 0));
        dc->FillRect(r, &red);
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_USER + 5)
            events.push_back("posted " + std::to_string(wParam));
        return 0;
    }
    static std::string Str(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    std::vector<std::string> events;
};

void Mouse(QWidget* w, QEvent::Type type, QPoint at, ulong time) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    e.setTimestamp(time);
    QApplication::sendEvent(w, &e);
}

TEST(DesignerWindowHost, ForwardsInputPaintsAndDrainsPostedMessages) {
    CWindowHostWidget host;
    host.resize(200, 100);
    host.show();
    QApplication::processEvents();
    Recorder child;
    ASSERT_TRUE(child.Create("", WS_CHILD | WS_VISIBLE, Rect(20, 10, 120, 60), host.root()));

    Mouse(&host, QEvent::MouseButtonPress, {30, 20}, 1000);
    Mouse(&host, QEvent::MouseButtonRelease, {30, 20}, 1010);
    Mouse(&host, QEvent::MouseButtonDblClick, {30, 20}, 1100);
    Mouse(&host, QEvent::MouseButtonRelease, {30, 20}, 1110);
    EXPECT_EQ(child.events,
              (std::vector<std::string>{"down 10,10", "up 10,10", "dbl 10,10", "up 10,10"}));

    child.SetFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&host, &key);
    EXPECT_EQ(child.events.back(), "key " + std::to_string(VK_DELETE));

    child.PostMessage(WM_USER + 5, 7);
    EXPECT_EQ(child.events.back(), "key " + std::to_string(VK_DELETE));  // not yet
    QApplication::processEvents();
    EXPECT_EQ(child.events.back(), "posted 7");

    QImage shown = host.grab().toImage();
    EXPECT_EQ(shown.pixelColor(50, 30), QColor(255, 0, 0));
    EXPECT_NE(shown.pixelColor(5, 5), QColor(255, 0, 0));
}

TEST(DesignerWindowHost, MenusAndCursorsBecomeQtOnes) {
    Menu menu;
    menu.AppendMenu(MF_STRING, 5001, "&Properties...");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | MF_GRAYED, 5003, "Cu&t");
    menu.AppendMenu(MF_STRING | MF_CHECKED, 5004, "&Copy");
    QMenu qmenu;
    CWindowHostWidget::FillQMenu(&qmenu, menu);
    QList<QAction*> actions = qmenu.actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "&Properties...");
    EXPECT_EQ(actions[0]->data().toUInt(), 5001u);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_TRUE(actions[3]->isChecked());

    EXPECT_EQ(CursorOfHandle(LoadCursor(IDC_NO)).shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(CursorOfHandle(LoadCursor(IDC_SIZEWE)).shape(), Qt::SizeHorCursor);
    EXPECT_EQ(CursorOfHandle(nullptr).shape(), Qt::ArrowCursor);
    EXPECT_EQ(VirtualKeyOfQtKey(Qt::Key_Left), UINT{VK_LEFT});
    EXPECT_EQ(VirtualKeyOfQtKey(Qt::Key_A), UINT{'A'});
    EXPECT_EQ(VirtualKeyOfQtKey(Qt::Key_F1), UINT{VK_F1});
}

TEST(DesignerClipboard, TemplateDataTravelsAsItsMimeType) {
    QtClipboardBackend::Install();
    UINT format = RegisterClipboardFormat("CBTemplateFormat");
    EXPECT_EQ(QtClipboardBackend::MimeTypeOf(format), "application/x-corvantis-cbtemplateformat");
    EXPECT_EQ(QtClipboardBackend::FormatOfMimeType("application/x-corvantis-cbtemplateformat"),
              format);
    EXPECT_EQ(QtClipboardBackend::FormatOfMimeType("application/x-corvantis-unknown"), 0u);

    // Copy: the desktop's clipboard offers the template data.
    DataSource source;
    source.SetText(format, "<ToolList><Group/></ToolList>");
    Clipboard::SetDataSource(source);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat("application/x-corvantis-cbtemplateformat"));

    // Another program (no owner mark) puts template data there: this
    // process sees it.
    auto* other = new QMimeData;
    other->setData("application/x-corvantis-cbtemplateformat", QByteArray("<ToolList/>", 12));
    QGuiApplication::clipboard()->setMimeData(other);
    EXPECT_TRUE(Clipboard::IsFormatAvailable(format));
    EXPECT_EQ(Clipboard::GetText(format), "<ToolList/>");

    // Plain text from elsewhere replaces it.
    QGuiApplication::clipboard()->setText("hello");
    EXPECT_FALSE(Clipboard::IsFormatAvailable(format));
    EXPECT_EQ(Clipboard::GetText(CF_TEXT), "hello");
    Clipboard::SetBackend(nullptr);
}

}  // namespace
