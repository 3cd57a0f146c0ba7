// Fuzz target: the text a paste receives. The input is put on the clipboard
// in the template clipboard format and pasted into an empty page; what was
// pasted is painted, moved, copied and pasted again, and undone.
#include <cstdint>
#include <cstdlib>

#include "fuzz/page_harness.h"
#include "platform/clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::PageHarness& h = fuzzsupport::Harness();
    platform::DataSource source;
    if (!source.SetData(h.manager.clipboardFormat, data, size))
        return 0;
    platform::Clipboard::SetDataSource(source);

    CTemplatePage* page = h.NewPage();
    if (page == nullptr)
        std::abort();
    page->Paste();
    h.Render();
    if (page->GetSelectedCount() > 0) {
        page->MoveSelection(3, 2, FALSE);
        page->CommitMove();
        page->Copy();
        page->Paste();
        h.Render();
    }
    page->Undo();
    page->Redo();
    h.DestroyPages();
    platform::Clipboard::Empty();
    return 0;
}
