// The page set-up of the page-style fuzz targets: a headless window host with
// a view, a page-style manager whose one page style is the page-style code
// built into the target (the 4x6 paper) and whose area tools are the real
// image and text tools registered as in-process providers.
#pragma once

#include <new>

#include "framework/plugin_managers.h"
#include "framework/template_page.h"
#include "framework/template_tool.h"
#include "framework/testing/page_callbacks.h"
#include "fuzz/fuzz_support.h"
#include "platform/headless_host.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "tools/image/image_tool.h"
#include "tools/text/text_tool.h"

extern "C" CTemplatePage* NewKanvo();
extern "C" void DeleteKanvo(CTemplatePage* page);

namespace fuzzsupport {

inline CTemplateTool* NewImageArea() {
    return new (std::nothrow) CImageArea();
}
inline CTemplateTool* NewTextArea() {
    return new (std::nothrow) CTextTool();
}
inline void DeleteArea(CTemplateTool* tool) {
    delete tool;
}
using pagecallbacks::Changed;
using pagecallbacks::NoMargins;
using pagecallbacks::NoPendingTool;

class PageHarness {
  public:
    PageHarness() : host(480, 360) {
        EnsurePrivateHives();
        platform::SetDefaultHost(&host);
        if (!view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                         platform::Rect(0, 0, 480, 360), host.root()) ||
            manager.AddPageStyleProvider(NewKanvo, DeleteKanvo) != 0 ||
            manager.toolManager.AddToolProvider(NewImageArea, DeleteArea) != 0 ||
            manager.toolManager.AddToolProvider(NewTextArea, DeleteArea) != 1) {
            std::abort();
        }
    }

    // A page with its window in the view, empty or read from a template
    // (null when the page style refuses the template).
    CTemplatePage* NewPage(CXMLTreeNode* templateRoot = nullptr) {
        CTemplatePage* page = manager.CreatePageObject(0);
        if (page == nullptr)
            std::abort();
        const BOOL made =
            templateRoot != nullptr
                ? page->CreateFromXML(templateRoot, NoPendingTool, Changed, NoMargins, &view)
                : page->CreatePage(NoPendingTool, Changed, NoMargins, &view);
        if (!made) {
            manager.DestroyPageObject(page);
            return nullptr;
        }
        page->FitToParent(-1, -1);
        host.Idle();
        return page;
    }

    // Selects every area of the page.
    static void SelectAll(CTemplatePage* page) {
        for (int i = 0; i < page->GetToolCount(); ++i) {
            if (CTemplateTool* tool = page->GetToolAt(i))
                tool->SetSelection(SELECT_ON, i == 0 ? FALSE : TRUE);
        }
    }

    // Paints the view and drops what the host recorded.
    void Render() {
        host.Idle();
        host.Render();
        host.ClearRecords();
    }

    void DestroyPages() {
        while (manager.GetPageObjectCount() > 0)
            manager.DestroyPageObject(manager.GetPageObjectAt(0));
        host.Idle();
        host.ClearRecords();
    }

    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;
};

// One harness for the whole run, made on first use.
inline PageHarness& Harness() {
    static PageHarness* harness = new PageHarness;
    return *harness;
}

}  // namespace fuzzsupport
