// Fuzz target: a page style reading a template. The input is a template
// file's bytes. A template the page style accepts is painted, all its areas
// are selected, copied and pasted, the page is painted and written again, and
// what it writes must open again.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/xml_parser.h"
#include "engine/xml_tree.h"
#include "fuzz/page_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::PageHarness& h = fuzzsupport::Harness();
    std::unique_ptr<CXMLTreeNode> root(ParseXMLDocument(reinterpret_cast<const char*>(data), size));
    if (root == nullptr)
        return 0;
    CTemplatePage* page = h.NewPage(root.get());
    if (page == nullptr)
        return 0;
    h.Render();
    fuzzsupport::PageHarness::SelectAll(page);
    page->Copy();
    page->Paste();
    h.Render();
    page->Undo();

    std::unique_ptr<CXMLTreeNode> written(page->WriteXML());
    if (written == nullptr)
        std::abort();  // an opened page must be writable
    CTemplatePage* reopened = h.NewPage(written.get());
    if (reopened == nullptr)
        std::abort();  // what a page writes must open again
    h.DestroyPages();
    return 0;
}
