#include "engine/xml_tree.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "engine/xml_text.h"

namespace {

// Indentation stops growing here, so that writing a very deep tree does not
// take space quadratic in its depth. Readers ignore the indentation.
constexpr int kMaxIndent = 64;

// Copies `text` into a caller buffer: at most len - 1 bytes, never ending in
// the middle of a UTF-8 sequence, and a terminating zero.
BOOL CopyToBuffer(std::string_view text, char* buf, int len) {
    if (buf == nullptr || len < 1)
        return FALSE;
    std::size_t room = static_cast<std::size_t>(len) - 1;
    if (text.size() <= room) {
        std::memcpy(buf, text.data(), text.size());
        buf[text.size()] = '\0';
        return TRUE;
    }
    std::size_t cut = room;
    // Step back over continuation bytes to the start of the cut character;
    // keep it only if all of it fits (it never does, since we are cutting).
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::memcpy(buf, text.data(), cut);
    buf[cut] = '\0';
    return FALSE;
}

}  // namespace

// ---- CXMLTreeNode ------------------------------------------------------------

CXMLTreeNode::CXMLTreeNode(std::string name, std::string attributes, std::string content)
    : name_(std::move(name)), attributes_(std::move(attributes)), content_(std::move(content)) {}

CXMLTreeNode::~CXMLTreeNode() {
    Unhook();
    // Delete the subtree without recursion, so that even a very deep tree
    // cannot exhaust the stack: each node's children are spliced into the
    // work list in its place before it is deleted childless.
    CXMLTreeNode* n = firstChild_;
    firstChild_ = lastChild_ = nullptr;
    while (n != nullptr) {
        if (n->firstChild_ != nullptr) {
            n->lastChild_->nextSibling_ = n->nextSibling_;
            n->nextSibling_ = n->firstChild_;
            n->firstChild_ = n->lastChild_ = nullptr;
        }
        CXMLTreeNode* next = n->nextSibling_;
        n->parent_ = nullptr;
        n->prevSibling_ = n->nextSibling_ = nullptr;
        delete n;
        n = next;
    }
}

void CXMLTreeNode::Unhook() {
    if (parent_ != nullptr) {
        if (prevSibling_ != nullptr) {
            prevSibling_->nextSibling_ = nextSibling_;
        } else {
            parent_->firstChild_ = nextSibling_;
        }
        if (nextSibling_ != nullptr) {
            nextSibling_->prevSibling_ = prevSibling_;
        } else {
            parent_->lastChild_ = prevSibling_;
        }
        --parent_->numChildren_;
        parent_ = prevSibling_ = nextSibling_ = nullptr;
    }
    if (tree_ != nullptr) {
        tree_->root_ = nullptr;
        tree_ = nullptr;
    }
}

BOOL CXMLTreeNode::GetName(char* buf, int len) const {
    return CopyToBuffer(name_, buf, len);
}

BOOL CXMLTreeNode::GetAttributes(char* buf, int len) const {
    return CopyToBuffer(attributes_, buf, len);
}

BOOL CXMLTreeNode::GetContent(char* buf, int len) const {
    if (content_.find('&') == std::string::npos)
        return CopyToBuffer(content_, buf, len);
    try {
        return CopyToBuffer(xmltext::FromMarkup(content_), buf, len);
    } catch (const std::bad_alloc&) {
        CopyToBuffer({}, buf, len);
        return FALSE;
    }
}

CXMLTreeNode* CXMLTreeNode::FindName(const char* name) const {
    if (name == nullptr)
        return nullptr;
    for (CXMLTreeNode* c = firstChild_; c != nullptr; c = c->nextSibling_) {
        if (c->name_ == name)
            return c;
    }
    return nullptr;
}

BOOL CXMLTreeNode::AddChild(CXMLTreeNode* child) {
    if (child == nullptr || child == this)
        return FALSE;
    // Only a node with children can be one of our ancestors; a fresh node
    // needs no walk up the tree, which keeps building deep trees linear.
    if (child->firstChild_ != nullptr) {
        for (const CXMLTreeNode* p = parent_; p != nullptr; p = p->parent_) {
            if (p == child)
                return FALSE;  // would make a cycle
        }
    }
    child->Unhook();
    child->parent_ = this;
    child->prevSibling_ = lastChild_;
    if (lastChild_ != nullptr) {
        lastChild_->nextSibling_ = child;
    } else {
        firstChild_ = child;
    }
    lastChild_ = child;
    ++numChildren_;
    return TRUE;
}

// ---- CXMLTree ----------------------------------------------------------------

CXMLTree::CXMLTree(CXMLTreeNode* root) {
    SetRoot(root);
}

CXMLTree::~CXMLTree() {
    delete root_;
}

void CXMLTree::SetTopTag(const char* topTag) {
    topTag_ = topTag != nullptr ? topTag : "";
}

CXMLTreeNode* CXMLTree::SetRoot(CXMLTreeNode* root) {
    CXMLTreeNode* previous = root_;
    if (root == previous)
        return nullptr;
    if (previous != nullptr)
        previous->tree_ = nullptr;
    root_ = nullptr;
    if (root != nullptr) {
        root->Unhook();
        root->tree_ = this;
        root_ = root;
    }
    return previous;
}

char* CXMLTree::GetXML() const {
    if (root_ == nullptr)
        return nullptr;
    try {
        const xmltext::OutputEncoding encoding = xmltext::EncodingForTopTag(topTag_);
        std::string out = topTag_;
        if (!out.empty())
            out += '\n';

        struct Step {
            const CXMLTreeNode* node;
            int depth;
            bool close;
        };
        std::vector<Step> work{{root_, 0, false}};
        std::vector<xmltext::Attribute> attributes;
        while (!work.empty()) {
            const Step step = work.back();
            work.pop_back();
            const CXMLTreeNode* n = step.node;
            out.append(static_cast<std::size_t>(std::min(step.depth, kMaxIndent)), '\t');
            if (step.close) {
                out += "</";
                xmltext::AppendName(out, n->name_, encoding);
                out += ">\n";
                continue;
            }
            out += '<';
            if (!xmltext::AppendName(out, n->name_, encoding))
                return nullptr;
            if (!n->attributes_.empty()) {
                if (!xmltext::SplitAttributes(n->attributes_, &attributes))
                    return nullptr;
                for (const xmltext::Attribute& a : attributes) {
                    out += ' ';
                    if (!xmltext::AppendName(out, a.name, encoding))
                        return nullptr;
                    out += "=\"";
                    xmltext::AppendEscaped(out, a.value, encoding, true);
                    out += '"';
                }
            }
            out += '>';
            xmltext::AppendEscaped(out, n->content_, encoding, false);
            if (n->firstChild_ == nullptr) {
                out += "</";
                xmltext::AppendName(out, n->name_, encoding);
                out += ">\n";
                continue;
            }
            out += '\n';
            work.push_back({n, step.depth, true});
            for (const CXMLTreeNode* c = n->lastChild_; c != nullptr; c = c->prevSibling_) {
                work.push_back({c, step.depth + 1, false});
            }
        }

        char* text = new (std::nothrow) char[out.size() + 1];
        if (text == nullptr)
            return nullptr;
        std::memcpy(text, out.c_str(), out.size() + 1);
        return text;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---- node makers -------------------------------------------------------------

CXMLTreeNode* NewNode(const char* name, const char* attributes, const char* content,
                      CXMLTreeNode* parent) {
    if (name == nullptr || !xmltext::IsValidName(name))
        return nullptr;
    std::string_view attributeText = attributes != nullptr ? attributes : "";
    if (!attributeText.empty()) {
        std::vector<xmltext::Attribute> pairs;
        if (!xmltext::SplitAttributes(attributeText, &pairs))
            return nullptr;
        for (const xmltext::Attribute& a : pairs) {
            if (!xmltext::IsValidName(a.name))
                return nullptr;
        }
    }
    CXMLTreeNode* node = nullptr;
    try {
        node =
            new CXMLTreeNode(name, std::string(attributeText), content != nullptr ? content : "");
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (parent != nullptr)
        parent->AddChild(node);
    return node;
}

namespace {

CXMLTreeNode* NewTypedNode(const char* element, const char* identifier, const char* value,
                           CXMLTreeNode* parent) {
    if (identifier == nullptr)
        return nullptr;
    try {
        std::string attributes = "id=\"";
        for (const char* p = identifier; *p != '\0'; ++p) {
            if (*p == '"') {
                attributes += "&quot;";
            } else {
                attributes += *p;
            }
        }
        attributes += '"';
        return NewNode(element, attributes.c_str(), value, parent);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

CXMLTreeNode* NewIntNode(const char* identifier, int value, CXMLTreeNode* parent) {
    return NewTypedNode("Int", identifier, std::to_string(value).c_str(), parent);
}

CXMLTreeNode* NewStringNode(const char* identifier, const char* value, CXMLTreeNode* parent) {
    return NewTypedNode("String", identifier, value, parent);
}

CXMLTreeNode* NewBoolNode(const char* identifier, BOOL value, CXMLTreeNode* parent) {
    return NewTypedNode("Bool", identifier, value ? "TRUE" : "FALSE", parent);
}

namespace {

using TextGetter = BOOL (CXMLTreeNode::*)(char*, int) const;

std::string ReadNodeText(const CXMLTreeNode* node, TextGetter get, int len) {
    if (node == nullptr || len < 0)
        return {};
    // A fixed length reads once; the whole text grows the buffer until it
    // fits (texts are bounded by the parser's and the tree's size limits).
    std::string buffer(len > 0 ? static_cast<size_t>(len) : 256, '\0');
    while (!(node->*get)(buffer.data(), static_cast<int>(buffer.size())) && len == 0 &&
           buffer.size() < (1u << 30) / 4) {
        buffer.assign(buffer.size() * 4, '\0');
    }
    buffer.resize(std::strlen(buffer.c_str()));
    // A text read into a large fixed buffer keeps only its own length.
    buffer.shrink_to_fit();
    return buffer;
}

}  // namespace

std::string XMLNodeName(const CXMLTreeNode* node, int len) {
    return ReadNodeText(node, &CXMLTreeNode::GetName, len);
}
std::string XMLNodeAttributes(const CXMLTreeNode* node, int len) {
    return ReadNodeText(node, &CXMLTreeNode::GetAttributes, len);
}
std::string XMLNodeContent(const CXMLTreeNode* node, int len) {
    return ReadNodeText(node, &CXMLTreeNode::GetContent, len);
}

std::string XMLTreeText(const CXMLTree& tree) {
    std::unique_ptr<char[]> text(tree.GetXML());
    return text ? std::string(text.get()) : std::string();
}
