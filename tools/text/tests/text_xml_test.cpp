// The text area's `Tool` subtree: what it writes, what it accepts, and what
// survives a round trip through a template file.
#include <gtest/gtest.h>

#include <unistd.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "platform/testing/decimal_comma_locale.h"
#include "tools/common/area_xml.h"
#include "tools/text/text_tool.h"

namespace {

std::string Content(const CXMLTreeNode* n, int len = 65536) {
    return areaxml::ContentOf(n, len);
}

// The children of a node as "Name[attributes]=content" lines.
std::vector<std::string> Children(const CXMLTreeNode* node) {
    std::vector<std::string> out;
    for (const CXMLTreeNode* c = node ? node->GetFirstChild() : nullptr; c;
         c = c->GetNextSibling()) {
        std::string line = areaxml::NameOf(c);
        const std::string attributes = areaxml::AttributesOf(c);
        if (!attributes.empty())
            line += "[" + attributes + "]";
        if (c->GetNumChildren() == 0)
            line += "=" + Content(c);
        out.push_back(line);
    }
    return out;
}

// A `Tool` element parsed from text (the tree owns it).
struct Parsed {
    CXMLTree tree;
    CXMLTreeNode* tool = nullptr;
    explicit Parsed(const std::string& xml) {
        EXPECT_TRUE(CTemplateFactory::LoadToolListXMLString(xml.c_str(), &tree)) << xml;
        if (tree.GetRoot() != nullptr)
            tool = tree.GetRoot()->GetFirstChild();
    }
};

std::string ToolXml(const std::string& properties, const std::string& content,
                    const std::string& name = "Text") {
    return "<Tool><Name>" + name + "</Name>" + properties + content + "</Tool>";
}

const std::string kInchProperties =
    "<Properties><String id=\"XPos\">1.000000IN</String><String id=\"YPos\">0.500000IN</String>"
    "<String id=\"Width\">2.000000IN</String><String "
    "id=\"Height\">1.500000IN</String></Properties>";

}  // namespace

TEST(TextXml, NewAreaWritesOnlyNameAndProperties) {
    CTextTool tool;
    std::unique_ptr<CXMLTreeNode> xml(tool.WriteXML());
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(areaxml::NameOf(xml.get()), "Tool");
    EXPECT_EQ(Children(xml.get()), (std::vector<std::string>{"Name=Text", "Properties"}));
    EXPECT_EQ(Children(xml->FindName("Properties")),
              (std::vector<std::string>{
                  "String[id=\"XPos\"]=0.000000IN", "String[id=\"YPos\"]=0.000000IN",
                  "String[id=\"Width\"]=2.000000IN", "String[id=\"Height\"]=1.500000IN"}));

    // Reading such a subtree sets the rectangle and leaves the record alone.
    CTextTool other;
    other.textObject.Text = "keep me";
    other.textObject.Fontsize = 33;
    const CTextObject before = other.textObject;
    ASSERT_TRUE(other.ReadXML(xml.get()));
    EXPECT_EQ(other.textObject, before);
    EXPECT_EQ(other.rect, tool.rect);
}

TEST(TextXml, ContentWithEmptyTextWritesEveryOtherValue) {
    CTextTool tool;
    tool.rect = ToolRect(10, 20, 30, 40, UNIT_MILLIMETERS);
    CTextObject& t = tool.textObject;
    t.UseTextData = 1;
    t.Facename = "Liberation Serif";
    t.Fontsize = 14;
    t.Weight = 700;
    t.Bold = 1;
    t.Italic = 1;
    t.TextColor = 0x0000FF;
    t.Rotate = 90;
    t.Justify = 2;
    std::unique_ptr<CXMLTreeNode> xml(tool.WriteXML());
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(Children(xml.get()),
              (std::vector<std::string>{"Name=Text", "Properties", "Content"}));
    EXPECT_EQ(Children(xml->FindName("Properties"))[2], "String[id=\"Width\"]=30.000000MM");
    EXPECT_EQ(
        Children(xml->FindName("Content")),
        (std::vector<std::string>{
            "String[id=\"Facename\"]=Liberation Serif", "Bool[id=\"UseTextData\"]=TRUE",
            "Int[id=\"Rotate\"]=90", "Int[id=\"Fontsize\"]=14", "Int[id=\"Weight\"]=700",
            "Bool[id=\"Italic\"]=TRUE", "Bool[id=\"Bold\"]=TRUE", "Bool[id=\"Underline\"]=FALSE",
            "Bool[id=\"Strikeout\"]=FALSE", "Bool[id=\"UseBGColor\"]=TRUE",
            "Int[id=\"TextColor\"]=255", "Int[id=\"BGColor\"]=16777215", "Int[id=\"Justify\"]=2"}));

    // A style name, when there is one, follows the face name.
    t.Stylename = "Bold Italic";
    xml.reset(tool.WriteXML());
    EXPECT_EQ(Children(xml->FindName("Content"))[1], "String[id=\"Stylename\"]=Bold Italic");

    CTextTool back;
    ASSERT_TRUE(back.ReadXML(xml.get()));
    EXPECT_EQ(back.textObject, tool.textObject);
    EXPECT_EQ(back.rect.unit, UNIT_MILLIMETERS);
    EXPECT_DOUBLE_EQ(back.rect.height, 4000);
}

TEST(TextXml, TextIsEscapedAndSurvivesTheTemplateFile) {
    CTextTool tool;
    tool.textObject.UseTextData = 1;
    tool.textObject.Facename = "Arial";
    tool.textObject.Text = "a&b<c>\r\nd \xE2\x82\xAC %f&amp;";
    std::unique_ptr<CXMLTreeNode> xml(tool.WriteXML());
    ASSERT_NE(xml, nullptr);
    const CXMLTreeNode* text = xml->FindName("Content")->GetFirstChild();
    ASSERT_EQ(areaxml::AttributesOf(text), "id=\"Text\"");

    CXMLTree tree(xml.release());
    tree.SetTopTag("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    std::unique_ptr<char[]> document(tree.GetXML());
    ASSERT_NE(document, nullptr);
    EXPECT_NE(std::string(document.get()).find("a&amp;b&lt;c&gt;\\p\\d "), std::string::npos)
        << document.get();

    char path[] = "/tmp/cv-text-xml-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string bytes(document.get());
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    CXMLTree loaded;
    ASSERT_TRUE(CTemplateFactory::LoadXML(path, &loaded));
    std::remove(path);

    CTextTool back;
    ASSERT_TRUE(back.ReadXML(loaded.GetRoot()));
    EXPECT_EQ(back.textObject.Text, tool.textObject.Text);
}

TEST(TextXml, ReadingTable) {
    struct Case {
        const char* what;
        std::string xml;
        BOOL result;
        // Checks on the area after reading (the area starts with Italic 1,
        // Fontsize 33 and the default rectangle).
        std::function<void(const CTextTool&)> check;
    };
    const ToolRect defaults = CTextTool().rect;
    const Case cases[] = {
        {"last suffix wins",
         ToolXml(
             "<Properties><String id=\"XPos\">1.0IN</String><String id=\"YPos\">1.0IN</String>"
             "<String id=\"Width\">1.0IN</String><String id=\"Height\">3MM</String></Properties>",
             ""),
         TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.rect.unit, UNIT_MILLIMETERS);
             EXPECT_DOUBLE_EQ(t.rect.x, 100);
             EXPECT_DOUBLE_EQ(t.rect.y, 100);
             EXPECT_DOUBLE_EQ(t.rect.width, 100);
             EXPECT_DOUBLE_EQ(t.rect.height, 300);
         }},
        {"no suffix keeps inches, missing lengths are 0",
         ToolXml("<Properties><String id=\"Width\">2</String></Properties>", ""), TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.rect.unit, UNIT_INCHES);
             EXPECT_DOUBLE_EQ(t.rect.width, 5080);
             EXPECT_DOUBLE_EQ(t.rect.x, 0);
             EXPECT_DOUBLE_EQ(t.rect.height, 0);
         }},
        {"RL is looked for first",
         ToolXml("<Properties><String id=\"XPos\">-12.5RLINMM</String></Properties>", ""), TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.rect.unit, UNIT_REAL);
             EXPECT_DOUBLE_EQ(t.rect.x, -12.5);
         }},
        {"identifiers and element names are exact",
         ToolXml("<Properties><String id=\"xpos\">1IN</String><Int id=\"YPos\">1</Int>"
                 "<String id='XPos'>3IN</String><String  id=\"Width\">1IN</String></Properties>",
                 ""),
         TRUE,
         [](const CTextTool& t) {
             // The parser normalises the quotes and spaces of the last two.
             EXPECT_DOUBLE_EQ(t.rect.x, 3 * 2540);
             EXPECT_DOUBLE_EQ(t.rect.y, 0);
         }},
        {"other tool's name", ToolXml(kInchProperties, "", "Image"), FALSE,
         [&](const CTextTool& t) {
             EXPECT_EQ(t.rect, defaults);
             EXPECT_EQ(t.textObject.Fontsize, 33);
         }},
        {"name is case-sensitive", ToolXml(kInchProperties, "", "text"), FALSE,
         [&](const CTextTool& t) { EXPECT_EQ(t.rect, defaults); }},
        {"not a Tool", "<Area><Name>Text</Name>" + kInchProperties + "</Area>", FALSE,
         [&](const CTextTool& t) { EXPECT_EQ(t.rect, defaults); }},
        {"no Name", "<Tool>" + kInchProperties + "</Tool>", FALSE,
         [&](const CTextTool& t) { EXPECT_EQ(t.rect, defaults); }},
        {"no Properties", ToolXml("", "<Content><Int id=\"Fontsize\">9</Int></Content>"), FALSE,
         [&](const CTextTool& t) {
             EXPECT_EQ(t.rect, defaults);
             EXPECT_EQ(t.textObject.Fontsize, 33);
         }},
        {"no Content", ToolXml(kInchProperties, ""), TRUE,
         [](const CTextTool& t) {
             EXPECT_DOUBLE_EQ(t.rect.x, 2540);
             EXPECT_DOUBLE_EQ(t.rect.y, 1270);
             EXPECT_EQ(t.textObject.Fontsize, 33);
             EXPECT_EQ(t.textObject.Italic, 1);
         }},
        {"truth values",
         ToolXml(kInchProperties,
                 "<Content><Bool id=\"UseTextData\">yes</Bool>"
                 "<Bool id=\"Bold\">t</Bool><Bool id=\"Underline\">1</Bool>"
                 "<Bool id=\"Strikeout\">No</Bool><Bool id=\"UseBGColor\">f</Bool>"
                 "<Bool id=\"Italic\">maybe</Bool></Content>"),
         TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.textObject.UseTextData, 1);
             EXPECT_EQ(t.textObject.Bold, 1);
             EXPECT_EQ(t.textObject.Underline, 1);
             EXPECT_EQ(t.textObject.Strikeout, 0);
             EXPECT_EQ(t.textObject.UseBGColor, 0);
             EXPECT_EQ(t.textObject.Italic, 1);  // "maybe" leaves it
         }},
        {"Italic yes",
         ToolXml(kInchProperties, "<Content><Bool id=\"Italic\">YeS</Bool></Content>"), TRUE,
         [](const CTextTool& t) { EXPECT_EQ(t.textObject.Italic, 1); }},
        {"Italic false",
         ToolXml(kInchProperties, "<Content><Bool id=\"Italic\">FALSE</Bool></Content>"), TRUE,
         [](const CTextTool& t) { EXPECT_EQ(t.textObject.Italic, 0); }},
        {"integers stored as read",
         ToolXml(kInchProperties,
                 "<Content><Int id=\"Rotate\">45</Int><Int id=\"Fontsize\">-7pt</Int>"
                 "<Int id=\"Weight\">abc</Int><Int id=\"Justify\">99999999999999</Int>"
                 "<Int id=\"TextColor\">-1</Int><Int id=\"BGColor\"> 65280</Int></Content>"),
         TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.textObject.Rotate, 45);
             EXPECT_EQ(t.textObject.Fontsize, -7);
             EXPECT_EQ(t.textObject.Weight, 0);
             EXPECT_EQ(t.textObject.Justify, 2147483647);
             EXPECT_EQ(t.textObject.TextColor, 0xFFFFFFFFu);
             EXPECT_EQ(t.textObject.BGColor, 0x00FF00u);
         }},
        {"strings and line breaks",
         ToolXml(kInchProperties,
                 "<Content><String id=\"Text\">one\\p\\two\\p\\\\p\\</String>"
                 "<String id=\"Facename\">DejaVu Sans</String>"
                 "<String id=\"Stylename\">Bold</String><Other id=\"Text\">x</Other></Content>"),
         TRUE,
         [](const CTextTool& t) {
             EXPECT_EQ(t.textObject.Text, "one\r\ntwo\r\n\r\n");
             EXPECT_EQ(t.textObject.Facename, "DejaVu Sans");
             EXPECT_EQ(t.textObject.Stylename, "Bold");
         }},
        {"hostile numbers",
         ToolXml("<Properties><String id=\"XPos\">1e999IN</String>"
                 "<String id=\"YPos\">nanIN</String><String id=\"Width\">-5IN</String>"
                 "<String id=\"Height\">1e300IN</String></Properties>",
                 ""),
         TRUE,
         [](const CTextTool& t) {
             EXPECT_DOUBLE_EQ(t.rect.x, 0);
             EXPECT_DOUBLE_EQ(t.rect.y, 0);
             EXPECT_DOUBLE_EQ(t.rect.width, -5 * 2540);
             EXPECT_TRUE(std::isfinite(t.rect.height));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed parsed(c.xml);
        ASSERT_NE(parsed.tool, nullptr);
        CTextTool tool;
        tool.textObject.Italic = 1;
        tool.textObject.Fontsize = 33;
        EXPECT_EQ(tool.ReadXML(parsed.tool), c.result);
        c.check(tool);
    }
    CTextTool tool;
    EXPECT_FALSE(tool.ReadXML(nullptr));
}

// The text reads back whole (it is written whole); the font names are cut.
TEST(TextXml, LongTextReadsWholeAndLongNamesAreCut) {
    const std::string longName(70000, 'N');
    const std::string longText(70000, 'x');
    Parsed parsed(ToolXml(kInchProperties, "<Content><" + longName + " id=\"Text\">y</" + longName +
                                               "><String id=\"Text\">" + longText +
                                               "</String><String id=\"Facename\">" + longText +
                                               "</String></Content>"));
    ASSERT_NE(parsed.tool, nullptr);
    CTextTool tool;
    ASSERT_TRUE(tool.ReadXML(parsed.tool));
    EXPECT_EQ(tool.textObject.Text, longText);
    EXPECT_EQ(tool.textObject.Facename.size(), 65535u);

    Parsed named(ToolXml(kInchProperties, "", std::string(70000, 'T')));
    ASSERT_NE(named.tool, nullptr);
    EXPECT_FALSE(tool.ReadXML(named.tool));
}

TEST(TextXml, LengthsIgnoreTheLocale) {
    // The Designer runs with the user's locale, which may write numbers with
    // a decimal comma; template files must not change with it.
    platform::testing::DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no way to make a German locale here";
    CTextTool tool;
    tool.rect = ToolRect(0.25, 0.5, 2.75, 1.5, UNIT_INCHES);
    std::unique_ptr<CXMLTreeNode> xml(tool.WriteXML());
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(Content(xml->FindName("Properties")->GetFirstChild()), "0.250000IN");
    CTextTool back;
    ASSERT_TRUE(back.ReadXML(xml.get()));
    EXPECT_EQ(back.rect, tool.rect);
}
