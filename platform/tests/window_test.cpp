#include "platform/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <limits>
#include "platform/debug_output.h"

#include "platform/headless_host.h"
#include "platform/message_box.h"

using namespace platform;

namespace {

// A window that records what reaches it and can run a hook on any event.
class Probe : public Window {
  public:
    explicit Probe(std::string name, std::vector<std::string>* log = nullptr)
        : name_(std::move(name)), log_(log) {}

    struct Event {
        std::string what;
        Point point;
        UINT flags = 0;
    };
    std::vector<Event> events;
    std::function<void(Probe*, const std::string&)> hook;
    COLORREF paintColor = CLR_INVALID;

    const std::string& name() const { return name_; }
    int Count(const std::string& what) const {
        int n = 0;
        for (const Event& e : events)
            n += e.what == what;
        return n;
    }

    void OnLButtonDown(UINT f, Point p) override { Record("down", p, f); }
    void OnLButtonUp(UINT f, Point p) override { Record("up", p, f); }
    void OnLButtonDblClk(UINT f, Point p) override { Record("dbl", p, f); }
    void OnRButtonDown(UINT f, Point p) override { Record("rdown", p, f); }
    void OnMouseMove(UINT f, Point p) override { Record("move", p, f); }
    void OnNcLButtonDown(UINT hit, Point p) override {
        Record("ncdown", p, hit);
        Window::OnNcLButtonDown(hit, p);
    }
    void OnSizing(UINT edge, Rect* r) override {
        sizingRects.push_back(*r);
        Record("sizing", r->TopLeft(), edge);
        if (sizingHook)
            sizingHook(edge, r);
    }
    void OnCaptureChanged(Window* w) override {
        leftDownAtCaptureChange = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
        Record("capturechanged", Point(), w ? 1 : 0);
    }
    void OnContextMenu(Window* w, Point screen) override {
        Record("contextmenu", screen, w == this ? 1 : 0);
    }
    LRESULT OnMessage(UINT m, WPARAM w, LPARAM l) override {
        messages.push_back({m, w, l});
        Record("message", Point(), m);
        return static_cast<LRESULT>(w + 1);
    }
    BOOL OnCommand(UINT id, LPARAM) override {
        commands.push_back(id);
        return TRUE;
    }
    void OnKeyDown(UINT key, UINT, UINT) override { Record("keydown", Point(), key); }
    void OnPaint(DC* dc) override {
        ++paints;
        if (paintColor != CLR_INVALID) {
            Rect r;
            GetClientRect(&r);
            dc->FillSolidRect(r, paintColor);
        }
    }
    void OnSize(UINT, int cx, int cy) override { lastSize = {cx, cy}; }

    struct Msg {
        UINT m;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Msg> messages;
    std::vector<UINT> commands;
    std::vector<Rect> sizingRects;
    std::function<void(UINT, Rect*)> sizingHook;
    bool leftDownAtCaptureChange = true;
    int paints = 0;
    Size lastSize;

  private:
    void Record(const std::string& what, Point p, UINT f) {
        events.push_back({what, p, f});
        if (log_)
            log_->push_back(name_ + ":" + what);
        if (hook)
            hook(this, what);
    }
    std::string name_;
    std::vector<std::string>* log_;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

}  // namespace

TEST(WindowManager, MouseGoesToTheDeepestVisibleWindowInZOrder) {
    HeadlessHost host(400, 300, Point(1000, 500));
    Probe a("A"), b("B"), c("C"), hidden("H"), sized("S");
    ASSERT_TRUE(a.Create("A", kChild, Rect(10, 10, 210, 160), host.root()));
    ASSERT_TRUE(b.Create("B", kChild, Rect(20, 20, 120, 100), &a));
    ASSERT_TRUE(c.Create("C", kChild, Rect(100, 50, 180, 140), &a));      // on top of B
    ASSERT_TRUE(hidden.Create("H", WS_CHILD, Rect(0, 0, 200, 150), &a));  // hidden, on top
    ASSERT_TRUE(sized.Create("S", kChild | WS_THICKFRAME, Rect(250, 50, 350, 150), host.root()));
    ASSERT_EQ(sized.GetFrameWidth(), 4);

    struct Case {
        Point at;
        Probe* target;
        Point client;
    };
    const Case cases[] = {
        {{15, 15}, &a, {5, 5}},        // A only
        {{40, 40}, &b, {10, 10}},      // B inside A, hidden H ignored
        {{115, 65}, &c, {5, 5}},       // B and C overlap: C is on top
        {{205, 155}, &a, {195, 145}},  // A's last pixel
        {{260, 60}, &sized, {6, 6}},   // client coordinates start inside the band
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.target->name());
        for (Probe* p : {&a, &b, &c, &hidden, &sized})
            p->events.clear();
        host.Click(k.at.x, k.at.y);
        host.AdvanceTime(1000);
        ASSERT_EQ(k.target->Count("down"), 1);
        EXPECT_EQ(k.target->events.front().point, k.client);
        for (Probe* p : {&a, &b, &c, &hidden, &sized}) {
            if (p != k.target) {
                EXPECT_EQ(p->Count("down"), 0) << p->name();
            }
        }
    }

    // Raising B above C changes who gets the overlap; outside every child the root gets it.
    b.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    b.events.clear();
    host.Click(115, 65);
    host.AdvanceTime(1000);
    EXPECT_EQ(b.Count("down"), 1);
    EXPECT_EQ(host.manager().WindowFromPoint(Point(5, 5)), host.root());
    EXPECT_EQ(host.manager().WindowFromPoint(Point(400, 5)), nullptr);
    // A hidden window is not found even where it would be on top.
    hidden.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    EXPECT_EQ(host.manager().WindowFromPoint(Point(40, 40)), &hidden);
    hidden.ShowWindow(SW_HIDE);
    EXPECT_EQ(host.manager().WindowFromPoint(Point(40, 40)), &b);

    // Screen coordinates add the host's origin.
    Rect r;
    b.GetWindowRect(&r);
    EXPECT_EQ(r, Rect(1030, 530, 1130, 610));
    sized.GetWindowRect(&r);
    EXPECT_EQ(r, Rect(1250, 550, 1350, 650));
    sized.GetClientRect(&r);
    EXPECT_EQ(r, Rect(0, 0, 92, 92));
    Point p(0, 0);
    sized.ClientToScreen(&p);
    EXPECT_EQ(p, Point(1254, 554));
    Rect inA = r;
    b.MapWindowPoints(&a, &inA);
    EXPECT_EQ(inA, Rect(20, 20, 112, 112));
}

TEST(WindowManager, CaptureHolderGetsInputOutsideItsRectangle) {
    HeadlessHost host(300, 300);
    Probe a("A"), other("O");
    a.Create("A", kChild, Rect(50, 50, 100, 100), host.root());
    other.Create("O", kChild, Rect(150, 150, 250, 250), host.root());
    a.hook = [](Probe* self, const std::string& what) {
        if (what == "down")
            self->SetCapture();
        if (what == "up")
            ReleaseCapture();
    };
    host.PressLeft(60, 60);
    EXPECT_TRUE(a.HasCapture());
    EXPECT_EQ(GetCapture(), &a);
    host.MouseMove(200, 10);
    host.ReleaseLeft(200, 200);
    ASSERT_EQ(a.Count("move"), 1);
    EXPECT_EQ(a.events[1].point, Point(150, -40));
    EXPECT_NE(a.events[1].flags & MK_LBUTTON, 0u);
    ASSERT_EQ(a.Count("up"), 1);
    EXPECT_EQ(a.events.back().what, "capturechanged");
    EXPECT_FALSE(a.HasCapture());
    EXPECT_EQ(other.events.size(), 0u);
    // Once released, input goes by position again.
    host.AdvanceTime(1000);
    host.Click(200, 200);
    EXPECT_EQ(other.Count("down"), 1);

    // Taking the capture from another window tells the old holder.
    a.SetCapture();
    a.events.clear();
    other.SetCapture();
    ASSERT_EQ(a.Count("capturechanged"), 1);
    EXPECT_EQ(a.events[0].flags, 1u);  // told who took it
    ReleaseCapture();
}

TEST(WindowManager, DoubleClicksNeedTimeAndDistanceAndTheSameWindow) {
    struct Case {
        std::uint32_t gap;
        int dx, dy;
        bool dbl;
    };
    const Case cases[] = {
        {0, 0, 0, true},   {500, 0, 0, true},  {501, 0, 0, false},
        {100, 2, 2, true}, {100, 3, 0, false}, {100, 0, -3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gap << " ms, " << c.dx << "," << c.dy);
        HeadlessHost host(200, 200);
        Probe w("W");
        w.Create("W", kChild, Rect(0, 0, 200, 200), host.root());
        host.Click(50, 50);
        host.AdvanceTime(c.gap);
        host.Click(50 + c.dx, 50 + c.dy);
        EXPECT_EQ(w.Count("dbl"), c.dbl ? 1 : 0);
        EXPECT_EQ(w.Count("down"), c.dbl ? 1 : 2);
        // A third click at once: after a double click it is an ordinary press
        // again; otherwise it pairs with the second click.
        host.Click(50 + c.dx, 50 + c.dy);
        EXPECT_EQ(w.Count("dbl"), 1);
    }
    // Clicks on two different windows never make a double click.
    HeadlessHost host(200, 200);
    Probe l("L"), r("R");
    l.Create("L", kChild, Rect(0, 0, 100, 200), host.root());
    r.Create("R", kChild, Rect(100, 0, 200, 200), host.root());
    host.Click(99, 10);
    host.Click(100, 10);
    EXPECT_EQ(l.Count("dbl") + r.Count("dbl"), 0);
}

TEST(WindowManager, PostedMessagesArriveInOrderOnlyWhenIdleAndSendIsImmediate) {
    HeadlessHost host(100, 100);
    host.SetAutoIdle(false);
    Probe w("W");
    w.Create("W", kChild, Rect(0, 0, 50, 50), host.root());
    // Full-width parameters: nothing is packed into 16 bits.
    const WPARAM big = (WPARAM{1} << 40) | 0x12345;
    const LPARAM negative = -70000;
    EXPECT_TRUE(w.PostMessage(WM_USER + 32, big, negative));
    EXPECT_TRUE(w.PostMessage(WM_USER + 33, 2, 3));
    EXPECT_TRUE(host.IdleRequested());
    EXPECT_TRUE(w.messages.empty());
    host.Click(10, 10);  // input alone does not drain the queue
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.SendMessage(WM_USER + 1, 41, 0), 42);  // at once, ahead of the queue
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(host.Idle(), 2);
    ASSERT_EQ(w.messages.size(), 3u);
    EXPECT_EQ(w.messages[1].m, WM_USER + 32u);
    EXPECT_EQ(w.messages[1].w, big);
    EXPECT_EQ(w.messages[1].l, negative);
    EXPECT_EQ(w.messages[2].m, WM_USER + 33u);
    EXPECT_FALSE(host.manager().HasPostedMessages());

    // A message posted while the queue drains waits for the next idle turn.
    w.hook = [](Probe* self, const std::string& what) {
        if (what == "message" && self->messages.back().m == WM_USER + 40) {
            self->PostMessage(WM_USER + 41);
        }
    };
    w.PostMessage(WM_USER + 40);
    EXPECT_EQ(host.manager().ProcessPostedMessages(), 1);
    EXPECT_TRUE(host.manager().HasPostedMessages());
    EXPECT_EQ(host.manager().ProcessPostedMessages(), 1);
    EXPECT_EQ(w.messages.back().m, WM_USER + 41u);
    // A command message reaches OnCommand.
    w.SendMessage(WM_COMMAND, 5003, 0);
    ASSERT_EQ(w.commands.size(), 1u);
    EXPECT_EQ(w.commands[0], 5003u);
}

TEST(WindowManager, SizingBorderRunsTheResizeLoop) {
    HeadlessHost host(400, 300, Point(100, 200));
    Probe page("P"), tool("T");
    page.Create("P", kChild, Rect(20, 10, 380, 290), host.root());
    tool.Create("T", kChild, Rect(50, 40, 150, 120), &page);
    tool.ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
    EXPECT_EQ(tool.lastSize, Size(92, 72));  // the band narrows the client area
    // The handler snaps the right edge to a multiple of 10 screen pixels.
    tool.sizingHook = [](UINT edge, Rect* r) {
        EXPECT_EQ(edge, WMSZ_RIGHT);
        r->right = (r->right + 5) / 10 * 10;
    };
    int capturedAt = -1;
    tool.hook = [&](Probe* self, const std::string& what) {
        if (what == "capturechanged")
            capturedAt = static_cast<int>(self->events.size());
    };
    // The right band: root x = 20 + 150 - 2.
    const int bx = 168, by = 10 + 80;
    host.PressLeft(bx, by);
    ASSERT_EQ(tool.Count("ncdown"), 1);
    EXPECT_EQ(tool.events[0].flags, unsigned(HTRIGHT));
    EXPECT_EQ(tool.events[0].point, Point(100 + bx, 200 + by));  // screen pixels
    EXPECT_TRUE(host.manager().InResizeLoop());
    EXPECT_TRUE(tool.HasCapture());
    host.MouseMove(bx + 13, by + 7);
    ASSERT_EQ(tool.sizingRects.size(), 1u);
    // Proposed in screen pixels: only the right edge follows the mouse.
    EXPECT_EQ(tool.sizingRects[0], Rect(100 + 70, 200 + 50, 100 + 183, 200 + 130));
    Rect r;
    tool.GetWindowRect(&r);
    EXPECT_EQ(r.right, 280);  // where the handler put it, not where the mouse is
    host.MouseMove(bx + 31, by);
    host.ReleaseLeft(bx + 31, by);
    EXPECT_FALSE(host.manager().InResizeLoop());
    EXPECT_FALSE(tool.HasCapture());
    tool.GetWindowRect(&r);
    EXPECT_EQ(r, Rect(170, 250, 300, 330));
    EXPECT_EQ(tool.GetRectInParent(), Rect(50, 40, 180, 120));
    EXPECT_EQ(tool.Count("capturechanged"), 1);
    EXPECT_EQ(capturedAt, static_cast<int>(tool.events.size()));  // the very last event
    EXPECT_FALSE(tool.leftDownAtCaptureChange);
    EXPECT_EQ(tool.Count("move"), 0);  // the loop eats the moves
    EXPECT_EQ(tool.Count("up"), 0);

    // Escape puts the window back where it started.
    tool.sizingHook = nullptr;
    host.PressLeft(20 + 180 - 1, 10 + 120 - 1);  // bottom-right corner
    host.MouseMove(20 + 180 + 20, 10 + 120 + 20);
    EXPECT_EQ(tool.sizingRects.back().BottomRight(), Point(100 + 221, 200 + 151));
    host.KeyDown(VK_ESCAPE);
    EXPECT_EQ(tool.GetRectInParent(), Rect(50, 40, 180, 120));
    EXPECT_FALSE(tool.HasCapture());
    host.ReleaseLeft(0, 0);

    // Two quick presses on the band: the second one resizes as well.
    host.AdvanceTime(1000);
    const int ex = 20 + 180 - 2;
    host.Click(ex, by);
    host.PressLeft(ex, by);
    EXPECT_TRUE(host.manager().InResizeLoop());
    host.MouseMove(ex + 10, by);
    host.ReleaseLeft(ex + 10, by);
    EXPECT_EQ(tool.GetRectInParent(), Rect(50, 40, 190, 120));

    // Without the sizing style the band is ordinary client area.
    tool.ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
    tool.events.clear();
    host.AdvanceTime(1000);
    host.PressLeft(20 + 190 - 1, 10 + 60);
    EXPECT_EQ(tool.Count("down"), 1);
    EXPECT_EQ(tool.Count("ncdown"), 0);
    host.ReleaseLeft(20 + 190 - 1, 10 + 60);
}

TEST(WindowManager, ResizeLoopSurvivesItsWindowGoingAway) {
    HeadlessHost host(300, 300);
    auto tool = std::make_unique<Probe>("T");
    tool->Create("T", kChild | WS_THICKFRAME, Rect(50, 50, 150, 150), host.root());
    tool->sizingHook = [&](UINT, Rect*) { tool.reset(); };
    host.PressLeft(50, 100);  // left band
    EXPECT_TRUE(host.manager().InResizeLoop());
    host.MouseMove(40, 100);
    EXPECT_FALSE(host.manager().InResizeLoop());
    EXPECT_EQ(host.manager().GetCapture(), nullptr);
    host.MouseMove(30, 100);
    host.ReleaseLeft(30, 100);
}

TEST(WindowManager, CursorFollowsTheBandAndTheHandlers) {
    HeadlessHost host(300, 300);
    Probe tool("T");
    tool.Create("T", kChild | WS_THICKFRAME, Rect(100, 100, 200, 180), host.root());
    struct Case {
        Point at;
        StandardCursor shape;
    };
    const Case cases[] = {
        {{150, 140}, StandardCursor::Arrow},    {{101, 140}, StandardCursor::SizeWE},
        {{198, 140}, StandardCursor::SizeWE},   {{150, 100}, StandardCursor::SizeNS},
        {{150, 179}, StandardCursor::SizeNS},   {{100, 100}, StandardCursor::SizeNWSE},
        {{199, 179}, StandardCursor::SizeNWSE}, {{199, 101}, StandardCursor::SizeNESW},
        {{102, 177}, StandardCursor::SizeNESW}, {{50, 50}, StandardCursor::Arrow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        host.MouseMove(c.at.x, c.at.y);
        ASSERT_NE(host.cursor(), nullptr);
        EXPECT_EQ(host.cursor()->shape(), c.shape);
    }
    // A class cursor shows over the client area; an override decides first.
    tool.SetClassCursor(LoadCursor(IDC_SIZEALL));
    host.MouseMove(150, 140);
    EXPECT_EQ(host.cursor(), LoadCursor(IDC_SIZEALL));
    class Parent : public Window {
      public:
        BOOL OnSetCursor(Window*, UINT hit, UINT) override {
            if (hit != HTCLIENT)
                return FALSE;
            SetCursor(LoadCursor(IDC_NO));
            return TRUE;
        }
    } parent;
    parent.Create("", kChild, Rect(0, 0, 300, 300), host.root());
    Probe inner("I");
    inner.Create("I", kChild, Rect(10, 10, 50, 50), &parent);
    host.MouseMove(20, 20);
    EXPECT_EQ(host.cursor(), LoadCursor(IDC_NO));
}

TEST(WindowManager, DestroyedWindowsLeaveNothingDangling) {
    HeadlessHost host(200, 200);
    host.SetAutoIdle(false);
    {
        // Destroyed while holding the capture and with messages queued.
        auto w = std::make_unique<Probe>("W");
        w->Create("W", kChild, Rect(0, 0, 100, 100), host.root());
        w->SetCapture();
        w->PostMessage(WM_USER + 1);
        w->SetFocus();
        w.reset();
        EXPECT_EQ(host.manager().GetCapture(), nullptr);
        EXPECT_EQ(host.manager().GetFocus(), nullptr);
        EXPECT_EQ(host.Idle(), 0);
        host.MouseMove(10, 10);
        host.KeyDown('A');
        host.KeyUp('A');
    }
    {
        // A handler that deletes its own window object.
        auto* self = new Probe("S");
        self->Create("S", kChild, Rect(0, 0, 100, 100), host.root());
        self->hook = [](Probe* p, const std::string& what) {
            if (what == "down")
                delete p;
        };
        host.PressLeft(10, 10);
        host.ReleaseLeft(10, 10);
        EXPECT_EQ(host.root()->GetChildren().size(), 0u);
    }
    {
        // A child's handler that destroys its parent (and so the child).
        Probe parent("P");
        auto child = std::make_unique<Probe>("C");
        parent.Create("P", kChild, Rect(0, 0, 100, 100), host.root());
        child->Create("C", kChild, Rect(0, 0, 50, 50), &parent);
        child->hook = [&](Probe*, const std::string& what) {
            if (what == "down")
                parent.DestroyWindow();
        };
        host.AdvanceTime(1000);
        host.PressLeft(10, 10);
        EXPECT_FALSE(parent.IsWindow());
        EXPECT_FALSE(child->IsWindow());
        host.ReleaseLeft(10, 10);
        EXPECT_FALSE(child->PostMessage(WM_USER));
        EXPECT_EQ(child->SendMessage(WM_USER), 0);
        child.reset();
    }
    {
        // A window deleted from its own OnDestroy.
        class SelfDeleting : public Window {
          public:
            void OnDestroy() override { delete this; }
        };
        auto* w = new SelfDeleting;
        Probe kid("K");
        w->Create("", kChild, Rect(0, 0, 10, 10), host.root());
        kid.Create("K", kChild, Rect(0, 0, 5, 5), w);
        w->DestroyWindow();
        EXPECT_FALSE(kid.IsWindow());
        EXPECT_EQ(host.root()->GetChildren().size(), 0u);
    }
    {
        // Re-entrant sends: a handler that sends to itself without end is cut off.
        ScopedDebugCapture capture;
        Probe loop("L");
        loop.Create("L", kChild, Rect(0, 0, 10, 10), host.root());
        int depth = 0;
        loop.hook = [&](Probe* p, const std::string& what) {
            if (what == "message") {
                ++depth;
                p->SendMessage(WM_USER + 2);
            }
        };
        loop.SendMessage(WM_USER + 2);
        EXPECT_GT(depth, 10);
        EXPECT_TRUE(capture.Contains("nested too deeply"));
    }
    // Windows outlive nothing: destroying the host destroys their windows.
    auto survivor = std::make_unique<Probe>("X");
    {
        HeadlessHost shortLived(50, 50);
        survivor->Create("X", kChild, Rect(0, 0, 10, 10), shortLived.root());
        survivor->PostMessage(WM_USER);
    }
    EXPECT_FALSE(survivor->IsWindow());
    survivor.reset();
}

TEST(WindowManager, CreationNeedsAParentAndHonoursOnCreate) {
    HeadlessHost host(100, 100);
    Probe orphan("O");
    EXPECT_FALSE(orphan.Create("O", kChild, Rect(0, 0, 10, 10), nullptr));
    EXPECT_FALSE(orphan.IsWindow());
    class Refuses : public Window {
        int OnCreate() override { return -1; }
    } refuses;
    EXPECT_FALSE(refuses.Create("", kChild, Rect(0, 0, 10, 10), host.root()));
    EXPECT_FALSE(refuses.IsWindow());
    Probe w("W");
    ASSERT_TRUE(w.Create("Letter", kChild, Rect(5, 5, 1, 1), host.root(), 7));  // inverted: empty
    EXPECT_FALSE(w.Create("again", kChild, Rect(), host.root()));
    EXPECT_EQ(w.GetWindowText(), "Letter");
    EXPECT_EQ(w.GetDlgCtrlID(), 7u);
    EXPECT_EQ(host.root()->GetDlgItem(7), &w);
    Rect r;
    w.GetClientRect(&r);
    EXPECT_TRUE(r.IsEmpty());
    w.MoveWindow(0, 0, -10, 20);
    w.GetClientRect(&r);
    EXPECT_EQ(r, Rect(0, 0, 0, 20));
}

TEST(WindowManager, ZOrderPlacement) {
    HeadlessHost host(100, 100);
    Probe t0("0"), t1("1"), t2("2"), t3("3");
    for (Probe* p : {&t3, &t2, &t1, &t0})
        p->Create(p->name(), kChild, Rect(), host.root());
    auto order = [&] {
        std::string s;
        for (Window* w : host.root()->GetChildren())
            s += w->GetWindowText();
        return s;
    };
    EXPECT_EQ(order(), "0123");  // each new window goes on top
    // Restack in array order the way a page does: 3 on top, each next one below it.
    std::vector<Window*> wanted = {&t3, &t1, &t0, &t2};
    wanted[0]->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (size_t i = 1; i < wanted.size(); ++i) {
        wanted[i]->SetWindowPos(wanted[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    EXPECT_EQ(order(), "3102");
    t3.SetWindowPos(HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(order(), "1023");
    EXPECT_EQ(t0.GetNextWindow(), &t2);
    EXPECT_EQ(t0.GetPrevWindow(), &t1);
    t2.SetWindowPos(&t2, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // after itself: no change
    EXPECT_EQ(order(), "1023");
}

TEST(WindowManager, PositionsNearTheIntLimitsNeverTurnAWindowInsideOut) {
    HeadlessHost host(100, 100);
    Probe w("w");
    ASSERT_TRUE(w.Create("w", kChild, Rect(0, 0, 50, 40), host.root()));
    const int big = std::numeric_limits<int>::max() - 10;
    struct Case {
        int x, y, cx, cy;
        UINT flags;
    } cases[] = {
        {big, big, 100, 100, 0},        // moved and sized past the limit
        {big, -big, 0, 0, SWP_NOSIZE},  // moved keeping a size that no longer fits
        {-big - 5, 0, 100, 100, 0},     // far to the left
        {0, 0, std::numeric_limits<int>::max(), 5, SWP_NOMOVE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        w.MoveWindow(0, 0, 50, 40);
        w.SetWindowPos(nullptr, c.x, c.y, c.cx, c.cy, c.flags | SWP_NOZORDER);
        Rect r;
        w.GetWindowRect(&r);
        EXPECT_LE(r.left, r.right);
        EXPECT_LE(r.top, r.bottom);
    }
}

TEST(WindowManager, PaintingFollowsZOrderVisibilityAndInvalidation) {
    HeadlessHost host(100, 100);
    Probe back("B"), front("F");
    back.paintColor = RGB(255, 0, 0);
    front.paintColor = RGB(0, 0, 255);
    back.Create("B", kChild, Rect(10, 10, 60, 60), host.root());
    front.Create("F", kChild, Rect(40, 40, 90, 90), host.root());
    EXPECT_EQ(host.PixelAt(20, 20), RGB(255, 0, 0));
    EXPECT_EQ(host.PixelAt(50, 50), RGB(0, 0, 255));  // front on top
    EXPECT_EQ(host.PixelAt(5, 5), RGB(255, 255, 255));
    // Invalidating the window below repaints the one above over it too.
    back.Invalidate(FALSE);
    EXPECT_EQ(host.PixelAt(50, 50), RGB(0, 0, 255));
    back.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(host.PixelAt(50, 50), RGB(255, 0, 0));
    front.ShowWindow(SW_HIDE);
    EXPECT_EQ(host.PixelAt(80, 80), RGB(255, 255, 255));
    // Nothing invalid: nothing painted.
    int before = back.paints;
    host.Render();
    EXPECT_EQ(back.paints, before);
    // Drawing through GetDC lands on the window's client area, clipped to it.
    {
        auto dc = back.GetDC();
        ASSERT_NE(dc, nullptr);
        dc->FillSolidRect(Rect(-100, -100, 1000, 1000), RGB(0, 255, 0));
    }
    EXPECT_EQ(host.InvalidatedArea(), Rect(10, 10, 60, 60));  // the host is told to show it
    EXPECT_EQ(host.PixelAt(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(host.PixelAt(59, 59), RGB(0, 255, 0));
    EXPECT_EQ(host.PixelAt(60, 60), RGB(255, 255, 255));
}

TEST(WindowManager, PaintHandlersThatAskForPaintingAgainDoNotRecurse) {
    HeadlessHost host(50, 50);
    class Restless : public Window {
      public:
        int paints = 0;
        void OnPaint(DC* dc) override {
            ++paints;
            dc->SetPixel(0, 0, RGB(0, 0, 255));
            Invalidate(FALSE);
            UpdateWindow();
        }
    } w;
    w.Create("", kChild, Rect(0, 0, 20, 20), host.root());
    EXPECT_EQ(host.PixelAt(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(w.paints, 1);
    host.Render();  // it is invalid again, so it paints once more
    EXPECT_EQ(w.paints, 2);
}

TEST(WindowManager, RightButtonAsksForTheContextMenuWithAScreenPoint) {
    HeadlessHost host(200, 200, Point(300, 400));
    Probe w("W");
    w.Create("W", kChild, Rect(10, 20, 110, 120), host.root());
    host.RightClick(30, 50);
    ASSERT_EQ(w.Count("contextmenu"), 1);
    EXPECT_EQ(w.events.back().point, Point(330, 450));
    EXPECT_EQ(w.events.back().flags, 1u);
    // A child without its own handling passes the request to its parent.
    Window plain;
    plain.Create("", kChild, Rect(0, 0, 10, 10), &w);
    host.AdvanceTime(1000);
    host.RightClick(12, 22);
    ASSERT_EQ(w.Count("contextmenu"), 2);
    EXPECT_EQ(w.events.back().flags, 0u);  // it was the child's request
}

TEST(WindowManager, KeysGoToTheFocusWindowAndKeyStateComesFromTheHost) {
    HeadlessHost host(100, 100);
    Probe a("A"), b("B");
    a.Create("A", kChild, Rect(0, 0, 50, 50), host.root());
    b.Create("B", kChild, Rect(50, 0, 100, 50), host.root());
    b.SetFocus();
    host.PressKey(VK_LEFT);
    EXPECT_EQ(a.Count("keydown"), 0);
    EXPECT_EQ(b.Count("keydown"), 1);
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    host.KeyDown(VK_SHIFT);
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    host.Click(10, 10);
    EXPECT_NE(a.events.back().flags & MK_SHIFT, 0u);
    host.KeyUp(VK_SHIFT);
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST(MessageBox, AnswersComeFromTheHostScript) {
    HeadlessHost host(100, 100);
    Window w;
    w.Create("", kChild, Rect(0, 0, 10, 10), host.root());
    host.QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBox(&w, "Replace it?", "Designer", MB_YESNO | MB_ICONQUESTION), IDNO);
    // No script: the default button answers.
    EXPECT_EQ(MessageBox(&w, "Sure?", "", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBox(&w, "Note", "", MB_OK | MB_ICONEXCLAMATION), IDOK);
    // An answer that is not one of the buttons becomes the default one.
    host.QueueMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(MessageBox(&w, "Again", "", MB_OKCANCEL), IDOK);
    ASSERT_EQ(host.messageBoxes().size(), 4u);
    EXPECT_EQ(host.messageBoxes()[0].text, "Replace it?");
    EXPECT_EQ(host.messageBoxes()[0].caption, "Designer");
    EXPECT_EQ(host.messageBoxes()[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
    // Without an owner the default host shows it; without any host nothing does.
    EXPECT_EQ(MessageBox(nullptr, "lost"), 0);
    SetDefaultHost(&host);
    EXPECT_EQ(MessageBox(nullptr, "found"), IDOK);
    EXPECT_EQ(host.messageBoxes().back().text, "found");
    SetDefaultHost(nullptr);
}
