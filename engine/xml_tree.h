// The engine's XML tree: element nodes with a name, an attribute text and a
// content text, the tree that writes them as a document, and the node makers
// for the typed property elements `Int`, `String` and `Bool`.
//
// Ownership: a node owns its children; deleting a node deletes its whole
// subtree and first unhooks it from its parent (or from the tree whose root
// it is). A tree owns its root. All texts are UTF-8. See docs/xml.md.
#pragma once

#include <string>

#include "platform/types.h"

class CXMLTree;
class XMLTreeBuilder;

class CXMLTreeNode {
  public:
    ~CXMLTreeNode();
    CXMLTreeNode(const CXMLTreeNode&) = delete;
    CXMLTreeNode& operator=(const CXMLTreeNode&) = delete;

    // Copy the element name, the attribute text (name="value" pairs joined by
    // single spaces, values escaped as in the document) or the content into
    // `buf`: at most len - 1 bytes and a terminating zero, cut at a character
    // boundary. TRUE when the whole text fitted; FALSE when it was cut or no
    // buffer was given (len < 1: nothing is written).
    //
    // The content is the text of the element with entity and character
    // references decoded. For an element with children it is the text found
    // between the children, each piece trimmed of surrounding white space.
    BOOL GetName(char* buf, int len) const;
    BOOL GetAttributes(char* buf, int len) const;
    BOOL GetContent(char* buf, int len) const;

    // The first direct child with exactly this name, or null.
    CXMLTreeNode* FindName(const char* name) const;
    CXMLTreeNode* GetFirstChild() const { return firstChild_; }
    CXMLTreeNode* GetNextSibling() const { return nextSibling_; }
    CXMLTreeNode* GetParent() const { return parent_; }
    int GetNumChildren() const { return numChildren_; }

    // Appends `child` as the last child and takes ownership of it. A child
    // that already has a parent (or is a tree's root) is moved here. Refused
    // (FALSE, nothing changes) for null, for the node itself and for any of
    // its ancestors.
    BOOL AddChild(CXMLTreeNode* child);

  private:
    friend class CXMLTree;
    friend class XMLTreeBuilder;
    friend CXMLTreeNode* NewNode(const char*, const char*, const char*, CXMLTreeNode*);

    CXMLTreeNode(std::string name, std::string attributes, std::string content);
    void Unhook();

    std::string name_;
    std::string attributes_;  // as given, or name="value" pairs from a parsed document
    std::string content_;     // markup form: see engine/xml_text.h
    CXMLTreeNode* parent_ = nullptr;
    CXMLTreeNode* firstChild_ = nullptr;
    CXMLTreeNode* lastChild_ = nullptr;
    CXMLTreeNode* prevSibling_ = nullptr;
    CXMLTreeNode* nextSibling_ = nullptr;
    CXMLTree* tree_ = nullptr;  // set while the node is a tree's root
    int numChildren_ = 0;
};

class CXMLTree {
  public:
    CXMLTree() = default;
    // Takes ownership of `root` (may be null).
    explicit CXMLTree(CXMLTreeNode* root);
    ~CXMLTree();  // deletes the root and its subtree
    CXMLTree(const CXMLTree&) = delete;
    CXMLTree& operator=(const CXMLTree&) = delete;

    // The text written before the root element, e.g.
    // <?xml version="1.0" encoding="ISO-8859-1"?>; null or "" writes none.
    // The encoding it names decides the bytes GetXML produces.
    void SetTopTag(const char* topTag);

    // Makes `root` the tree's root and returns the previous root, which the
    // tree no longer owns: SetRoot(nullptr) detaches the root so the caller
    // can delete it. A node that is a child elsewhere is moved here.
    CXMLTreeNode* SetRoot(CXMLTreeNode* root);
    CXMLTreeNode* GetRoot() const { return root_; }

    // The document text: the top tag and a line end (when there is a top
    // tag), then the root element, each element on its own line, children
    // indented by one tab per level; leaf content is written directly between
    // its tags. Returns a zero-terminated buffer allocated with new[] that the
    // caller frees with delete[]; null when there is no root or a name cannot
    // be written in the declared encoding.
    char* GetXML() const;

  private:
    friend class CXMLTreeNode;
    CXMLTreeNode* root_ = nullptr;
    std::string topTag_;
};

// Makes an element. `attributes` is an attribute text such as id="Width"
// (null or "" for none); `content` is the element's text (null for none), in
// which a '&' that already begins an entity or character reference is kept
// as such. When `parent` is given the node is appended to it. Returns null
// (and leaves `parent` unchanged) when the name is not a valid element name
// or the attribute text is not a list of name="value" pairs.
CXMLTreeNode* NewNode(const char* name, const char* attributes, const char* content,
                      CXMLTreeNode* parent);
// Typed property elements: <Int id="identifier">value</Int>,
// <String id="identifier">value</String>, <Bool id="identifier">TRUE</Bool>
// (FALSE for a zero value).
CXMLTreeNode* NewIntNode(const char* identifier, int value, CXMLTreeNode* parent);
CXMLTreeNode* NewStringNode(const char* identifier, const char* value, CXMLTreeNode* parent);
CXMLTreeNode* NewBoolNode(const char* identifier, BOOL value, CXMLTreeNode* parent);

// A node's name, attribute text or content as a string; empty for a null
// node. With `len` 0 the whole text; otherwise what a caller's buffer of
// `len` bytes would hold (at most len - 1 bytes, cut at a character boundary).
std::string XMLNodeName(const CXMLTreeNode* node, int len = 0);
std::string XMLNodeAttributes(const CXMLTreeNode* node, int len = 0);
std::string XMLNodeContent(const CXMLTreeNode* node, int len = 0);

// The document text of a tree as a string; empty when it cannot be written.
std::string XMLTreeText(const CXMLTree& tree);
