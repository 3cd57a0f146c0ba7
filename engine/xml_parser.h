// Builds CXMLTree nodes from XML text with libexpat, hardened for untrusted
// input: documents with a document type declaration are refused (so no
// entity declaration, external entity or external DTD is ever processed), and
// depth, attribute count, text size, node count and total memory are capped.
// A failed parse never leaves a partial tree behind.
//
// Encodings: whatever expat detects (UTF-8 by default, UTF-16 with a BOM,
// US-ASCII); a document declared ISO-8859-1 (or Latin-1, Windows-1252) is
// read as Windows-1252. The tree receives UTF-8.
#pragma once

#include <cstddef>
#include <string>

#include "engine/xml_tree.h"

struct XMLParseLimits {
    std::size_t maxDepth = 1024;              // element nesting
    std::size_t maxAttributes = 1024;         // attributes of one element
    std::size_t maxAttributeBytes = 1 << 20;  // attribute text of one element
    std::size_t maxTextBytes = 1 << 20;       // decoded text of one element
    std::size_t maxNodes = 100000;            // elements in the document
    std::size_t maxTreeBytes = 32u << 20;     // memory the tree may take
    std::size_t maxInputBytes = 32u << 20;    // size of the document
    // Refuse element and attribute names that xmltext::IsValidName refuses
    // (a character above U+00FF, or one of the few Latin-1 characters such as
    // U+00AA that a UTF-8 or UTF-16 document may use in a name but a
    // Latin-1 one may not). Templates are written back with an ISO-8859-1
    // declaration, where names cannot use character references, so such a
    // name could be read but never saved and read again.
    bool latin1NamesOnly = false;
};

class XMLTreeBuilder {
  public:
    enum class Input {
        kDocument,  // bytes of a document; the encoding comes from BOM or declaration
        kUtf8Text,  // UTF-8 text (no encoding detection, no Latin-1 reading)
    };

    explicit XMLTreeBuilder(Input input = Input::kDocument,
                            const XMLParseLimits& limits = XMLParseLimits());
    ~XMLTreeBuilder();
    XMLTreeBuilder(const XMLTreeBuilder&) = delete;
    XMLTreeBuilder& operator=(const XMLTreeBuilder&) = delete;

    // Passes the next bytes of the document. Returns false as soon as the
    // document is known to be unusable (see Error()).
    bool Feed(const char* data, std::size_t size);
    // Ends the document. Returns the new root, which the caller owns, or null
    // when the document was not acceptable. Call once.
    CXMLTreeNode* Finish();
    // Why the document was refused ("line N: reason").
    const std::string& Error() const { return error_; }

  private:
    struct Impl;
    friend struct Impl;
    // Node construction is private to the tree; these give Impl access.
    static CXMLTreeNode* MakeNode(std::string name, std::string attributes);
    static void SetContent(CXMLTreeNode* node, std::string content);
    static std::size_t NodeBytes(const CXMLTreeNode* node);

    Impl* impl_;
    std::string error_;
};

// Parses a whole document held in memory; null (and the reason in `error`,
// when given) on failure.
CXMLTreeNode* ParseXMLDocument(const char* data, std::size_t size, std::string* error = nullptr);
