#include "engine/xml_tree.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr const char kLatin1Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

std::string Xml(const CXMLTree& tree) {
    std::unique_ptr<char[]> text(tree.GetXML());
    return text ? std::string(text.get()) : std::string("<null>");
}

std::string Content(const CXMLTreeNode* node) {
    return XMLNodeContent(node, 1024);
}

std::string Attributes(const CXMLTreeNode* node) {
    return XMLNodeAttributes(node, 1024);
}

// The part of a template that pages and text areas write.
CXMLTreeNode* SmallTemplate() {
    CXMLTreeNode* root = NewNode("Template", "", "", nullptr);
    NewNode("Version", "", "1.5", root);
    CXMLTreeNode* page = NewNode("Page", "", "", root);
    NewNode("Name", "", "Hagaki", page);
    CXMLTreeNode* props = NewNode("Properties", "", "", page);
    NewStringNode("Width", "148.000000MM", props);
    NewBoolNode("AutoFill", 0, props);
    NewBoolNode("UseBGColor", 1, props);
    NewIntNode("Color", 16777215, props);
    NewNode("Content", "", "", page);
    NewNode("ToolList", "", "", root);
    return root;
}

TEST(XMLTree, WritesDeclarationIndentedChildrenAndBareLeafContent) {
    CXMLTree tree(SmallTemplate());
    tree.SetTopTag(kLatin1Declaration);
    EXPECT_EQ(Xml(tree),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<Template>\n"
              "\t<Version>1.5</Version>\n"
              "\t<Page>\n"
              "\t\t<Name>Hagaki</Name>\n"
              "\t\t<Properties>\n"
              "\t\t\t<String id=\"Width\">148.000000MM</String>\n"
              "\t\t\t<Bool id=\"AutoFill\">FALSE</Bool>\n"
              "\t\t\t<Bool id=\"UseBGColor\">TRUE</Bool>\n"
              "\t\t\t<Int id=\"Color\">16777215</Int>\n"
              "\t\t</Properties>\n"
              "\t\t<Content></Content>\n"
              "\t</Page>\n"
              "\t<ToolList></ToolList>\n"
              "</Template>\n");
}

TEST(XMLTree, EmptyTopTagWritesNoDeclarationAndNoRootWritesNothing) {
    CXMLTreeNode* root = NewNode("ClipboardXML", nullptr, nullptr, nullptr);
    NewNode("Width", nullptr, "1200.000000", root);
    CXMLTree tree(root);
    tree.SetTopTag("");
    EXPECT_EQ(Xml(tree), "<ClipboardXML>\n\t<Width>1200.000000</Width>\n</ClipboardXML>\n");

    CXMLTree empty;
    EXPECT_EQ(empty.GetXML(), nullptr);
}

TEST(XMLTree, TypedNodeMakers) {
    std::unique_ptr<CXMLTreeNode> parent(NewNode("Properties", "", "", nullptr));
    struct Case {
        CXMLTreeNode* node;
        const char* name;
        const char* attributes;
        const char* content;
    } cases[] = {
        {NewIntNode("Color", 16777215, parent.get()), "Int", "id=\"Color\"", "16777215"},
        {NewIntNode("Rotate", -90, parent.get()), "Int", "id=\"Rotate\"", "-90"},
        {NewStringNode("XPos", "0.000000IN", parent.get()), "String", "id=\"XPos\"", "0.000000IN"},
        {NewStringNode("Author", "", parent.get()), "String", "id=\"Author\"", ""},
        {NewBoolNode("Italic", TRUE, parent.get()), "Bool", "id=\"Italic\"", "TRUE"},
        {NewBoolNode("Bold", 0, parent.get()), "Bool", "id=\"Bold\"", "FALSE"},
        {NewBoolNode("Odd", 7, parent.get()), "Bool", "id=\"Odd\"", "TRUE"},
    };
    ASSERT_EQ(parent->GetNumChildren(), 7);
    CXMLTreeNode* child = parent->GetFirstChild();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        ASSERT_NE(c.node, nullptr);
        EXPECT_EQ(c.node, child);  // appended in order
        EXPECT_EQ(c.node->GetParent(), parent.get());
        char name[64];
        EXPECT_TRUE(c.node->GetName(name, sizeof name));
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(Attributes(c.node), c.attributes);
        EXPECT_EQ(Content(c.node), c.content);
        child = child->GetNextSibling();
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(NewIntNode(nullptr, 1, parent.get()), nullptr);
    EXPECT_EQ(parent->GetNumChildren(), 7);
}

TEST(XMLTree, NodeMakersRefuseWhatCannotBeWritten) {
    std::unique_ptr<CXMLTreeNode> parent(NewNode("Group", "", "", nullptr));
    struct Case {
        const char* name;
        const char* attributes;
    } refused[] = {
        {nullptr, ""},
        {"", ""},
        {"1abc", ""},
        {"a b", ""},
        {"a<b", ""},
        {"-x", ""},
        {"Tool", "id=Width"},
        {"Tool", "id=\"a\" id=\"b\""},
        {"Tool", "id=\"a\"x=\"b\""},
        {"Tool", "id=\"unterminated"},
        {"Tool", "=\"x\""},
        {"Tool", "just text"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::string(c.name ? c.name : "(null)") + " / " + c.attributes);
        EXPECT_EQ(NewNode(c.name, c.attributes, "x", parent.get()), nullptr);
    }
    EXPECT_EQ(parent->GetNumChildren(), 0);
    // Accepted forms: several pairs, single quotes, spaces around '='.
    for (const char* attributes : {"a=\"1\" b=\"2\"", "a='x\"y'", " a = \"1\" "}) {
        EXPECT_NE(NewNode("Tool", attributes, "", parent.get()), nullptr) << attributes;
    }
    EXPECT_NE(NewNode("Gr\xC3\xB6\xC3\x9F"
                      "e",
                      "", "", parent.get()),
              nullptr);
}

TEST(XMLTree, TextsIntoCallerBuffers) {
    std::unique_ptr<CXMLTreeNode> node(NewNode("Template", "id=\"x\"", "a\xC3\xA9z", nullptr));
    char buf[16];
    struct Case {
        int len;
        BOOL whole;
        const char* text;
    } cases[] = {
        {16, TRUE, "a\xC3\xA9z"}, {5, TRUE, "a\xC3\xA9z"},  // exactly fits: 4 bytes and the zero
        {4, FALSE, "a\xC3\xA9"},  {3, FALSE, "a"},          // never half a character
        {1, FALSE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.len);
        std::memset(buf, 'X', sizeof buf);
        EXPECT_EQ(node->GetContent(buf, c.len), c.whole);
        EXPECT_STREQ(buf, c.text);
    }
    std::memset(buf, 'X', sizeof buf);
    EXPECT_FALSE(node->GetName(buf, 4));
    EXPECT_STREQ(buf, "Tem");
    EXPECT_FALSE(node->GetName(buf, 0));
    EXPECT_EQ(buf[0], 'T');  // nothing written with no room
    EXPECT_FALSE(node->GetAttributes(nullptr, 10));
}

TEST(XMLTree, FindNameLooksAtDirectChildrenOnly) {
    CXMLTree tree(SmallTemplate());
    CXMLTreeNode* root = tree.GetRoot();
    CXMLTreeNode* page = root->FindName("Page");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetParent(), root);
    EXPECT_EQ(root->FindName("Name"), nullptr);  // a grandchild
    EXPECT_NE(page->FindName("Name"), nullptr);
    EXPECT_EQ(root->FindName("page"), nullptr);  // case-sensitive
    EXPECT_EQ(root->FindName(nullptr), nullptr);
    EXPECT_EQ(root->GetNumChildren(), 3);
    // The first of several children with the same name.
    CXMLTreeNode* props = page->FindName("Properties");
    EXPECT_EQ(props->FindName("Bool"), props->GetFirstChild()->GetNextSibling());
}

TEST(XMLTree, OwnershipMovesAndNeverCycles) {
    std::unique_ptr<CXMLTreeNode> a(NewNode("A", "", "", nullptr));
    std::unique_ptr<CXMLTreeNode> b(NewNode("B", "", "", nullptr));
    CXMLTreeNode* child = NewNode("Child", "", "", a.get());
    CXMLTreeNode* grandchild = NewNode("Grandchild", "", "", child);

    EXPECT_TRUE(b->AddChild(child));  // moved, not shared
    EXPECT_EQ(a->GetNumChildren(), 0);
    EXPECT_EQ(a->GetFirstChild(), nullptr);
    EXPECT_EQ(child->GetParent(), b.get());

    EXPECT_FALSE(grandchild->AddChild(b.get()));  // b is an ancestor
    EXPECT_FALSE(child->AddChild(child));
    EXPECT_FALSE(child->AddChild(nullptr));
    EXPECT_EQ(b->GetParent(), nullptr);

    // Deleting a child directly unhooks it from its parent.
    NewNode("Second", "", "", b.get());
    delete child;
    EXPECT_EQ(b->GetNumChildren(), 1);
    EXPECT_EQ(b->FindName("Child"), nullptr);
    EXPECT_EQ(b->GetFirstChild()->GetNextSibling(), nullptr);
}

TEST(XMLTree, SetRootDetachesAndTheTreeForgetsADeletedRoot) {
    CXMLTree tree(NewNode("Template", "", "", nullptr));
    CXMLTreeNode* root = tree.GetRoot();
    EXPECT_EQ(tree.SetRoot(nullptr), root);  // the caller owns it now
    EXPECT_EQ(tree.GetRoot(), nullptr);
    delete root;

    CXMLTreeNode* other = NewNode("Other", "", "", nullptr);
    tree.SetRoot(other);
    delete other;  // deleting a root the tree holds clears the tree's root
    EXPECT_EQ(tree.GetRoot(), nullptr);

    // A root taken from another tree is moved, not shared.
    CXMLTree first(NewNode("Moved", "", "", nullptr));
    CXMLTreeNode* moved = first.GetRoot();
    tree.SetRoot(moved);
    EXPECT_EQ(first.GetRoot(), nullptr);
    EXPECT_EQ(tree.GetRoot(), moved);
}

TEST(XMLTree, VeryDeepTreesAreWrittenAndFreedWithoutRecursion) {
    CXMLTreeNode* root = NewNode("Deep", "", "", nullptr);
    CXMLTreeNode* n = root;
    for (int i = 0; i < 100000; ++i)
        n = NewNode("Deep", "", "", n);
    NewNode("Leaf", "", "x", n);
    CXMLTree tree(root);
    std::string text = Xml(tree);
    EXPECT_NE(text.find("<Leaf>x</Leaf>"), std::string::npos);
    EXPECT_LT(text.size(), 100001u * 160u);  // indentation is capped
}

TEST(XMLTree, WriterEscapesWithoutDoubleEscapingAndEncodesForTheDeclaration) {
    struct Case {
        const char* content;
        const char* latin1;  // as written under the ISO-8859-1 declaration
        const char* utf8;    // as written with no declaration
        const char* read;    // what GetContent gives before writing
    } cases[] = {
        {"a&b", "a&amp;b", "a&amp;b", "a&b"},
        {"a&amp;b&lt;c&gt;\\p\\d", "a&amp;b&lt;c&gt;\\p\\d", "a&amp;b&lt;c&gt;\\p\\d",
         "a&b<c>\\p\\d"},
        {"<b> & </b>", "&lt;b&gt; &amp; &lt;/b&gt;", "&lt;b&gt; &amp; &lt;/b&gt;", "<b> & </b>"},
        {"AT&T; &#169; &#xA9;", "AT&amp;T; &#169; &#xA9;", "AT&amp;T; &#169; &#xA9;",
         "AT&T; \xC2\xA9 \xC2\xA9"},  // only predefined entities count as escaped
        {"&#0; &#xD800; &#;", "&amp;#0; &amp;#xD800; &amp;#;", "&amp;#0; &amp;#xD800; &amp;#;",
         "&#0; &#xD800; &#;"},
        {"caf\xC3\xA9", "caf\xE9", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"5 \xE2\x82\xAC", "5 &#8364;", "5 \xE2\x82\xAC", "5 \xE2\x82\xAC"},
        {"c1 \xC2\x85", "c1 &#133;", "c1 \xC2\x85", "c1 \xC2\x85"},
        {"cr\r\nlf", "cr&#13;\nlf", "cr&#13;\nlf", "cr\r\nlf"},
        {"bell\x07.", "bell.", "bell.", "bell\x07."},  // XML cannot carry it
        {"legacy \x80 byte", "legacy &#8364; byte", "legacy \xE2\x82\xAC byte", "legacy \x80 byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        CXMLTreeNode* node = NewNode("Text", "", c.content, nullptr);
        EXPECT_EQ(Content(node), c.read);
        CXMLTree tree(node);
        tree.SetTopTag(kLatin1Declaration);
        EXPECT_EQ(Xml(tree), std::string(kLatin1Declaration) + "\n<Text>" + c.latin1 + "</Text>\n");
        tree.SetTopTag(nullptr);
        EXPECT_EQ(Xml(tree), std::string("<Text>") + c.utf8 + "</Text>\n");
    }
}

TEST(XMLTree, AttributeValuesAreWrittenQuotedAndEscaped) {
    CXMLTree tree(NewNode("Tool", "a='say \"hi\"' b=\"x&y<z\" c=\"&quot;\"", "", nullptr));
    EXPECT_EQ(Xml(tree),
              "<Tool a=\"say &quot;hi&quot;\" b=\"x&amp;y&lt;z\" c=\"&quot;\"></Tool>\n");
    // In an ASCII document everything beyond ASCII becomes a reference, and a
    // name that cannot be written at all makes the whole text fail.
    tree.SetTopTag("<?xml version=\"1.0\" encoding=\"US-ASCII\"?>");
    NewNode("Text", "", "\xC3\xA9", tree.GetRoot());
    EXPECT_NE(Xml(tree).find("<Text>&#233;</Text>"), std::string::npos);
    NewNode(
        "Gr\xC3\xB6\xC3\x9F"
        "e",
        "", "", tree.GetRoot());
    EXPECT_EQ(tree.GetXML(), nullptr);
}

TEST(XMLTree, ElementWithChildrenWritesItsContentBeforeThem) {
    CXMLTreeNode* root = NewNode("Mixed", "", "text", nullptr);
    NewNode("Child", "", "", root);
    CXMLTree tree(root);
    EXPECT_EQ(Xml(tree), "<Mixed>text\n\t<Child></Child>\n</Mixed>\n");
}

}  // namespace

TEST(XMLTree, NodeTextsAsStringsReadWholeOrAsABufferWould) {
    const std::string long_text(10000, 'x');
    std::unique_ptr<CXMLTreeNode> node(NewNode("Name", "id=\"A\"", long_text.c_str(), nullptr));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(XMLNodeContent(node.get()), long_text);  // grows past its first buffer
    EXPECT_EQ(XMLNodeContent(node.get(), 5), "xxxx");  // what a 5-byte buffer holds
    EXPECT_EQ(XMLNodeName(node.get()), "Name");
    EXPECT_EQ(XMLNodeAttributes(node.get()), "id=\"A\"");
    EXPECT_EQ(XMLNodeContent(nullptr), "");
    CXMLTree tree(node.release());
    tree.SetTopTag("");
    EXPECT_EQ(XMLTreeText(tree).rfind("<Name id=\"A\">xxx", 0), 0u);
}
