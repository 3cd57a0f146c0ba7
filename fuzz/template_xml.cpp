// Fuzz target: the template XML loader. The input is a template file's bytes.
// It is parsed whole and, separately, fed in two pieces split at a place the
// input chooses; both must give the same tree. A tree that can be written
// with the template files' declaration must read back to the same text. The
// node accessors are driven with small buffers, which cut texts at character
// boundaries.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/xml_parser.h"
#include "engine/xml_tree.h"

namespace {

constexpr const char* kTopTag = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

std::string TextOf(CXMLTreeNode* root) {
    CXMLTree tree(root);
    tree.SetTopTag(kTopTag);
    std::string text = XMLTreeText(tree);
    tree.SetRoot(nullptr);
    return text;
}

void Walk(const CXMLTreeNode* node, int depth) {
    char buf[8];
    for (; node != nullptr; node = node->GetNextSibling()) {
        const int len = 1 + depth % static_cast<int>(sizeof buf);
        node->GetName(buf, len);
        node->GetAttributes(buf, len);
        node->GetContent(buf, len);
        XMLNodeContent(node, len);
        Walk(node->GetFirstChild(), depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    std::unique_ptr<CXMLTreeNode> whole(ParseXMLDocument(text, size));

    // The same document in two pieces.
    const size_t split = size == 0 ? 0 : (data[0] * 31u + size) % (size + 1);
    XMLTreeBuilder builder;
    std::unique_ptr<CXMLTreeNode> pieces;
    if (builder.Feed(text, split) && builder.Feed(text + split, size - split))
        pieces.reset(builder.Finish());
    if ((whole == nullptr) != (pieces == nullptr))
        std::abort();  // the result depends on how the bytes arrived
    if (whole == nullptr)
        return 0;

    Walk(whole.get(), 0);
    const std::string saved = TextOf(whole.get());
    if (saved != TextOf(pieces.get()))
        std::abort();
    if (saved.empty())
        return 0;
    // What was written reads back as the same tree.
    std::unique_ptr<CXMLTreeNode> reread(ParseXMLDocument(saved.data(), saved.size()));
    if (reread == nullptr || TextOf(reread.get()) != saved)
        std::abort();
    return 0;
}
