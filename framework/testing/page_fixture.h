// A small page class and area classes for the page and area tests, and a
// fixture that puts a Letter page (8.5 x 11 inches) into a view on the
// headless host, with a page-style manager whose tool manager makes the test
// areas in-process: tool 0 text areas (2 x 1.5 inches), tool 1 image areas
// (3 x 2 inches), tool 2 plain areas (neither image nor text).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "framework/testing/page_callbacks.h"
#include "platform/headless_host.h"
#include "platform/message_box.h"

namespace pagetest {

inline constexpr double kInch = 2540.0;

inline void CopyText(const char* text, char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    std::snprintf(buf, static_cast<size_t>(len), "%s", text);
}

class TestTool : public CTemplateTool {
  public:
    enum Kind { Text = 0, Image = 1, Plain = 2 };

    explicit TestTool(Kind k) : kind(k) {
        rect.width = (k == Image ? 3.0 : 2.0) * kInch;
        rect.height = (k == Image ? 2.0 : 1.5) * kInch;
        rect.unit = UNIT_INCHES;
    }

    platform::HICON GetToolIcon() override { return nullptr; }
    platform::HCURSOR GetToolCursor() override { return platform::LoadCursor(platform::IDC_CROSS); }
    void GetMenuStrings(std::vector<std::string>& labels, std::vector<std::string>& extraLabels,
                        std::vector<ToolMenuHandler>& extraHandlers) override {
        labels = {"&Properties...", "To &Front", "To &Back", "&Forward", "B&ackward"};
        extraLabels = menuExtraLabels;
        extraHandlers = menuExtraHandlers;
    }
    CXMLTreeNode* WriteXML() override { return nullptr; }
    BOOL ReadXML(CXMLTreeNode*) override { return FALSE; }
    void GetToolName(char* buf, int len) override {
        CopyText(kind == Image ? "Image" : kind == Text ? "Text" : "Plain", buf, len);
    }
    void EditProperties() override { ++propertiesEdits; }
    // Fills the area's rectangle when a colour is set.
    void Draw(platform::DC* dc) override {
        if (fill == platform::CLR_INVALID)
            return;
        platform::Rect r;
        GetRectInPage(&r);
        dc->FillSolidRect(r, fill);
    }
    BOOL IsImageTool() override { return kind == Image; }
    BOOL IsTextTool() override { return kind == Text; }
    // Like the text tool: a ring of text areas only is not a valid link.
    BOOL IsLinkValid() override {
        if (kind != Text)
            return TRUE;
        for (CTemplateTool* m = GetNextLinked(); m != this; m = m->GetNextLinked()) {
            if (!m->IsTextTool())
                return TRUE;
        }
        return !IsLinked();
    }

    Kind kind;
    COLORREF fill = platform::CLR_INVALID;
    int propertiesEdits = 0;
    std::vector<std::string> menuExtraLabels;
    std::vector<ToolMenuHandler> menuExtraHandlers;
};

inline CTemplateTool* NewTextTool() {
    return new TestTool(TestTool::Text);
}
inline CTemplateTool* NewImageTool() {
    return new TestTool(TestTool::Image);
}
inline CTemplateTool* NewPlainTool() {
    return new TestTool(TestTool::Plain);
}
inline void DeleteTestTool(CTemplateTool* tool) {
    delete tool;
}

class TestPage : public CTemplatePage {
  public:
    TestPage() { paper = PaperSize(8.5, 11, UNIT_INCHES); }

    void CopyPageSettings(const CTemplatePage*) override {}
    void GetMenuStrings(std::vector<std::string>& labels, std::vector<std::string>& extraLabels,
                        std::vector<PageMenuHandler>& extraHandlers) override {
        labels = {"&Properties...", "[&Un]Link Tools", "Cut", "Copy", "Paste"};
        extraLabels = menuExtraLabels;
        extraHandlers = menuExtraHandlers;
    }
    CXMLTreeNode* WriteXML() override { return nullptr; }
    BOOL CreateFromXML(CXMLTreeNode*, PendingToolFn, ChangedFn, MarginsFn,
                       platform::Window*) override {
        return FALSE;
    }
    void GetPaperName(char* buf, int len) override { CopyText("Letter", buf, len); }
    void GetPaperSizeText(char* buf, int len) override { CopyText("8.5 x 11.0 Inches", buf, len); }
    void GetMarginsText(char* buf, int len) override { CopyText("", buf, len); }
    int Checkpoint() override { return ++checkpoints; }
    void Cut() override { ++cuts; }
    void Copy() override { ++copies; }
    void DrawBackground(platform::DC* dc) override {
        platform::Rect r;
        GetClientRect(&r);
        dc->FillSolidRect(r, RGB(255, 255, 255));
    }

    int checkpoints = 0;
    int cuts = 0;
    int copies = 0;
    std::vector<std::string> menuExtraLabels;
    std::vector<PageMenuHandler> menuExtraHandlers;
};

// Callbacks the Designer would give the page; the tool waiting to be placed
// is g_armedTool (none: -1).
using pagecallbacks::Changed;
using pagecallbacks::g_changed;
using pagecallbacks::NoMargins;
inline int g_armedTool = -1;
inline int ArmedTool(int* out) {
    if (out != nullptr)
        *out = 0;
    return g_armedTool;
}

class PageFixture : public ::testing::Test {
  protected:
    // The page is placed at (kPageX, kPageY) in the view, 40 pixels per inch
    // (340 x 440 pixels) unless a test sizes it otherwise.
    static constexpr int kPageX = 20;
    static constexpr int kPageY = 10;
    static constexpr int kPixelsPerInch = 40;

    PageFixture() : host(1000, 600) {}

    void SetUp() override {
        g_armedTool = -1;
        g_changed = 0;
        platform::SetDefaultHost(&host);
        ASSERT_TRUE(view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                                platform::Rect(0, 0, 1000, 600), host.root()));
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewTextTool, DeleteTestTool), 0);
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewImageTool, DeleteTestTool), 1);
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewPlainTool, DeleteTestTool), 2);
        page = std::make_unique<TestPage>();
        page->host = &manager;
        ASSERT_TRUE(page->CreatePage(ArmedTool, Changed, NoMargins, &view));
        SetScale(kPixelsPerInch);
    }

    void TearDown() override {
        page.reset();
        platform::SetDefaultHost(nullptr);
    }

    void SetScale(int pixelsPerInch) {
        page->MoveWindow(kPageX, kPageY, pixelsPerInch * 17 / 2, pixelsPerInch * 11);
        host.Idle();
    }

    void SetMargins(double inches) {
        page->activeMargins = MarginRect(inches, inches, inches, inches, UNIT_INCHES);
    }

    // An area of tool `kind` attached at (x, y) with size w x h (inches; a
    // zero size keeps the tool's default), its window placed.
    TestTool* Add(int kind, double x, double y, double w = 0, double h = 0) {
        auto* tool = static_cast<TestTool*>(manager.toolManager.CreateTool(kind));
        ToolRect r = tool->rect;
        r.x = x * kInch;
        r.y = y * kInch;
        if (w > 0)
            r.width = w * kInch;
        if (h > 0)
            r.height = h * kInch;
        EXPECT_TRUE(tool->AttachToPage(&r, page.get()));
        tool->UpdateWindowPos();
        host.Idle();
        return tool;
    }

    // Selects exactly these areas; the first becomes the focus.
    void Select(std::initializer_list<CTemplateTool*> selected) {
        bool first = true;
        for (CTemplateTool* t : selected) {
            t->SetSelection(SELECT_ON, first ? FALSE : TRUE);
            first = false;
        }
        // SetSelection(SELECT_ON, TRUE) moves the focus to the last one.
        if (selected.size() > 1) {
            for (CTemplateTool* t : selected)
                t->flags &= ~TOOL_FOCUS;
            (*selected.begin())->flags |= TOOL_FOCUS;
        }
    }

    // A point in root (host) pixels from page client pixels.
    platform::Point RootOf(int x, int y) {
        platform::Point p(x, y);
        page->MapWindowPoints(host.root(), &p, 1);
        return p;
    }

    std::vector<CTemplateTool*> Order() {
        std::vector<CTemplateTool*> order;
        for (int i = 0; i < page->GetToolCount(); ++i)
            order.push_back(page->GetToolAt(i));
        return order;
    }

    double InchesX(const CTemplateTool* t) const { return t->rect.x / kInch; }
    double InchesY(const CTemplateTool* t) const { return t->rect.y / kInch; }

    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;
    std::unique_ptr<TestPage> page;
};

}  // namespace pagetest
