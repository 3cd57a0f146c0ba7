// The managers' record of which provider made which object: creation
// through the provider at an index, destruction only of recorded objects,
// and the look-ups that make and destroy objects on the way.
#include "engine/xml_tree.h"
#include "framework/testing/page_fixture.h"

namespace pagetest {
namespace {

int g_destroyed = 0;

// An area that accepts the XML node named after its kind.
class NamedTool : public TestTool {
  public:
    explicit NamedTool(Kind k) : TestTool(k) {}
    BOOL ReadXML(CXMLTreeNode* node) override {
        char name[64] = {};
        node->GetName(name, sizeof name);
        char mine[64] = {};
        GetToolName(mine, sizeof mine);
        return std::strcmp(name, mine) == 0;
    }
};

CTemplateTool* NewNamedText() {
    return new NamedTool(TestTool::Text);
}
CTemplateTool* NewNamedImage() {
    return new NamedTool(TestTool::Image);
}
CTemplateTool* NewNothing() {
    return nullptr;
}
void DeleteCounted(CTemplateTool* tool) {
    ++g_destroyed;
    delete tool;
}

// A page that accepts a template whose root carries its paper name.
class NamedPage : public TestPage {
  public:
    explicit NamedPage(const char* n) : name(n) {}
    void GetPaperName(char* buf, int len) override { CopyText(name, buf, len); }
    BOOL CreateFromXML(CXMLTreeNode* root, PendingToolFn p, ChangedFn c, MarginsFn m,
                       platform::Window* parent) override {
        char text[64] = {};
        root->GetName(text, sizeof text);
        return std::strcmp(text, name) == 0 && CreatePage(p, c, m, parent);
    }
    const char* name;
};

CTemplatePage* NewA4() {
    return new NamedPage("A4");
}
CTemplatePage* NewLetter() {
    return new NamedPage("Letter");
}
void DeletePage(CTemplatePage* page) {
    delete page;
}

TEST(ObjectRecords, ToolsAreMadeAndDestroyedThroughTheirProvider) {
    g_destroyed = 0;
    CToolManager tools;
    EXPECT_EQ(tools.AddToolProvider(nullptr, DeleteCounted), -1);
    ASSERT_EQ(tools.AddToolProvider(NewNothing, DeleteCounted), 0);
    ASSERT_EQ(tools.AddToolProvider(NewNamedText, DeleteCounted), 1);
    ASSERT_EQ(tools.AddToolProvider(NewNamedImage, DeleteCounted), 2);
    EXPECT_EQ(tools.GetToolTypeCount(), 3);
    EXPECT_EQ(tools.CreateTool(0), nullptr);
    EXPECT_EQ(tools.CreateTool(-1), nullptr);
    EXPECT_EQ(tools.CreateTool(3), nullptr);

    CTemplateTool* text = tools.CreateTool(1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetToolManager(), &tools);
    EXPECT_TRUE(tools.OwnsTool(text));

    // The first provider whose area accepts the node wins; refusing areas
    // are destroyed again.
    CXMLTreeNode* node = NewNode("Image", "", "", nullptr);
    CTemplateTool* image = tools.CreateToolFromXML(node);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->IsImageTool());
    EXPECT_EQ(g_destroyed, 1);  // the text area that refused
    CXMLTreeNode* other = NewNode("Nothing", "", "", nullptr);
    EXPECT_EQ(tools.CreateToolFromXML(other), nullptr);
    EXPECT_EQ(tools.CreateToolFromXML(nullptr), nullptr);
    EXPECT_EQ(tools.GetToolObjectCount(), 2);
    delete node;
    delete other;

    std::string name = "unchanged";
    tools.GetToolTypeName(0, name);
    EXPECT_EQ(name, "unchanged");
    tools.GetToolTypeName(2, name);
    EXPECT_EQ(name, "Image");
    EXPECT_EQ(tools.GetToolObjectCount(), 2);

    // An object this manager did not make is left alone.
    NamedTool stranger(TestTool::Text);
    const int destroyed = g_destroyed;
    tools.DestroyTool(&stranger);
    tools.DestroyTool(nullptr);
    EXPECT_EQ(g_destroyed, destroyed);
    tools.DestroyTool(text);
    tools.DestroyTool(text);  // forgotten after the first time
    tools.DestroyTool(image);
    EXPECT_EQ(g_destroyed, destroyed + 2);
    EXPECT_EQ(tools.GetToolObjectCount(), 0);
}

TEST(ObjectRecords, PagesAreFoundForTemplatesAndNamedWithoutLeftovers) {
    platform::HeadlessHost host(400, 300);
    CPageStyleManager styles;
    ASSERT_EQ(styles.AddPageStyleProvider(NewA4, DeletePage), 0);
    ASSERT_EQ(styles.AddPageStyleProvider(NewLetter, DeletePage), 1);
    EXPECT_EQ(styles.GetPageStyleCount(), 2);

    std::string name;
    styles.GetPaperNameOf(1, name);
    EXPECT_EQ(name, "Letter");
    styles.GetPaperNameOf(7, name);
    EXPECT_EQ(name, "Letter");
    EXPECT_EQ(styles.GetPageObjectCount(), 0);

    CXMLTreeNode* root = NewNode("Letter", "", "", nullptr);
    CTemplatePage* page =
        styles.CreatePageForTemplate(root, ArmedTool, Changed, NoMargins, host.root());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetHost(), &styles);
    EXPECT_TRUE(page->IsWindow());
    EXPECT_EQ(styles.GetPageObjectCount(), 1);  // the refusing A4 page is gone
    EXPECT_EQ(styles.GetPageObjectAt(0), page);
    EXPECT_EQ(styles.GetPageObjectAt(1), nullptr);
    EXPECT_EQ(styles.GetPageObjectAt(-1), nullptr);
    CXMLTreeNode* unknown = NewNode("Tabloid", "", "", nullptr);
    EXPECT_EQ(styles.CreatePageForTemplate(unknown, ArmedTool, Changed, NoMargins, host.root()),
              nullptr);
    EXPECT_EQ(styles.GetPageObjectCount(), 1);

    styles.DestroyPageObject(page);
    EXPECT_EQ(styles.GetPageObjectCount(), 0);
    CTemplatePage* again = styles.CreatePageObject(0);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(styles.OwnsPage(again));
    styles.DestroyPageObject(again);
    delete root;
    delete unknown;
}

}  // namespace
}  // namespace pagetest
