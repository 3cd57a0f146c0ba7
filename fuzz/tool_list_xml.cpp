// Fuzz target: LoadToolListXMLString, which reads the tool list a paste
// carries. The input is the text (up to its first zero byte, as the C string
// a paste hands over). A tree it gives must be writable, and the elements
// written back out must read as the same tool list.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"

namespace {

// The written children of the ToolList root, without the root's own tags.
std::string Inner(const std::string& written) {
    const std::size_t open = written.find('>');
    const std::size_t close = written.rfind("</ToolList>");
    if (open == std::string::npos || close == std::string::npos || close <= open)
        return std::string();
    return written.substr(open + 1, close - open - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXMLTree tree;
    if (!CTemplateFactory::LoadToolListXMLString(text.c_str(), &tree))
        return 0;
    CXMLTreeNode* root = tree.GetRoot();
    if (root == nullptr || XMLNodeName(root) != "ToolList")
        std::abort();
    const std::string written = XMLTreeText(tree);
    if (written.empty())
        return 0;
    CXMLTree again;
    if (!CTemplateFactory::LoadToolListXMLString(Inner(written).c_str(), &again) ||
        XMLTreeText(again) != written) {
        std::abort();  // a tool list written out does not read back as itself
    }
    return 0;
}
