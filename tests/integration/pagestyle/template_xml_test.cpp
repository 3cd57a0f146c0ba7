// The page styles' template XML: what a page writes, which templates each
// page style accepts, how the properties and areas are read back.
#include <gtest/gtest.h>

#include <set>

#include "pagestyle/style_page.h"
#include "platform/testing/decimal_comma_locale.h"
#include "tests/integration/pagestyle/style_fixture.h"

namespace styletest {
namespace {

CStylePage* Style(CTemplatePage* page) {
    return static_cast<CStylePage*>(page);
}

std::string Property(CTemplatePage* page, int which, int len = 256) {
    std::string buf(static_cast<size_t>(std::max(len, 1)), 'x');
    page->GetPropertyText(which, buf.data(), len);
    return len > 0 ? std::string(buf.c_str()) : std::string();
}

using TemplateXml = StyleFixture;

TEST_F(TemplateXml, FourteenPageStylesWithTheirPapers) {
    struct Paper {
        const char* name;
        double width, height;  // portrait, display unit
        int unit;
        int orientation;
    };
    const Paper papers[] = {
        {"Hagaki", 100, 148, UNIT_MILLIMETERS, 0},
        {"A6", 105, 148.5, UNIT_MILLIMETERS, 1},
        {"114 X 175mm", 114, 175, UNIT_MILLIMETERS, 1},
        {"Tabloid", 11, 17, UNIT_INCHES, 1},
        {"Legal", 8.5, 14, UNIT_INCHES, 1},
        {"A3", 297, 420, UNIT_MILLIMETERS, 1},
        {"8X10", 8, 10, UNIT_INCHES, 1},
        {"4X6", 4, 6, UNIT_INCHES, 1},
        {"127 X 178mm", 127, 178, UNIT_MILLIMETERS, 1},
        {"5X7", 5, 7, UNIT_INCHES, 1},
        {"Letter", 8.5, 11, UNIT_INCHES, 1},
        {"89 X 127mm", 89, 127, UNIT_MILLIMETERS, 1},
        {"A4", 210, 297, UNIT_MILLIMETERS, 1},
        {"NoteCard", 5.5, 8.5, UNIT_INCHES, 0},
    };
    ASSERT_EQ(manager.GetPageStyleCount(), 14);
    for (const Paper& p : papers) {
        SCOPED_TRACE(p.name);
        CTemplatePage* page = manager.CreatePageObject(StyleIndex(p.name));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->paper, PaperSize(p.width, p.height, p.unit));
        EXPECT_EQ(Style(page)->orientation, p.orientation);
        EXPECT_EQ(Property(page, 0), p.name);
        manager.DestroyPageObject(page);
    }
    EXPECT_EQ(manager.GetPageObjectCount(), 0);
}

TEST_F(TemplateXml, EveryStyleReadsItsOwnTemplateBackStablyAndRefusesTheOthers) {
    std::vector<std::string> names;
    for (int i = 0; i < manager.GetPageStyleCount(); ++i) {
        std::string name;
        manager.GetPaperNameOf(i, name);
        names.push_back(name);
    }
    for (int style = 0; style < static_cast<int>(names.size()); ++style) {
        SCOPED_TRACE(names[style]);
        CTemplatePage* page = NewPage(names[style]);
        ASSERT_NE(page, nullptr);
        CTemplateTool* image = AddArea(page, true, 5, 6, 30, 20);
        CTemplateTool* text = AddArea(page, false, 10, 40);
        text->LinkTo(image);
        AddArea(page, false, 50, 50);
        Style(page)->autoFill = 1;
        Style(page)->useBGColor = 1;
        Style(page)->color = 0x336699;
        const std::string written = TextOf(page->WriteXML());
        ASSERT_FALSE(written.empty());

        std::unique_ptr<CXMLTree> tree = Parse(written);
        ASSERT_TRUE(tree);
        for (int other = 0; other < static_cast<int>(names.size()); ++other) {
            CTemplatePage* reader = manager.CreatePageObject(other);
            ASSERT_NE(reader, nullptr);
            const BOOL accepted =
                reader->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, NoMargins, &view);
            EXPECT_EQ(accepted != FALSE, other == style) << "read by " << names[other];
            if (accepted) {
                EXPECT_EQ(reader->GetToolCount(), 3);
                EXPECT_EQ(TextOf(reader->WriteXML()), written);
            } else {
                EXPECT_FALSE(reader->IsWindow());
            }
            manager.DestroyPageObject(reader);
        }

        // The Designer's way finds the same style.
        CTemplatePage* opened = manager.CreatePageForTemplate(tree->GetRoot(), NoPendingTool,
                                                              Changed, NoMargins, &view);
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(manager.objects.at(opened), style);
        EXPECT_EQ(manager.GetPageObjectCount(), 2);  // the written page and the opened one
        manager.DestroyPageObject(opened);
        manager.DestroyPageObject(page);
    }
}

TEST_F(TemplateXml, HagakiStartsLandscapeAndWritesTurnedPaper) {
    CTemplatePage* page = NewPage("Hagaki");
    ASSERT_NE(page, nullptr);
    EXPECT_DOUBLE_EQ(page->paper.width, 148 * kMM);
    EXPECT_DOUBLE_EQ(page->paper.height, 100 * kMM);
    const std::string text = TextOf(page->WriteXML());
    EXPECT_NE(text.find("<String id=\"Width\">148.000000MM</String>"), std::string::npos) << text;
    EXPECT_NE(text.find("<String id=\"Height\">100.000000MM</String>"), std::string::npos);
    EXPECT_NE(text.find("<String id=\"Orientation\">Landscape</String>"), std::string::npos);
    EXPECT_NE(text.find("<Version>1.5</Version>"), std::string::npos);
    EXPECT_NE(text.find("<Name>Hagaki</Name>"), std::string::npos);
    EXPECT_NE(text.find("<Int id=\"Color\">16777215</Int>"), std::string::npos);
    EXPECT_NE(text.find("<Bool id=\"AutoRotate\">FALSE</Bool>"), std::string::npos);
}

TEST_F(TemplateXml, TemplatesDoNotFollowTheProcessLocale) {
    // The Designer runs under the user's locale; a decimal comma there must
    // neither change what is written nor break what is read.
    platform::testing::DecimalCommaLocale german;
    if (!german.active())
        GTEST_SKIP() << "no way to make a German locale here";
    CTemplatePage* page = NewPage("Hagaki");
    ASSERT_NE(page, nullptr);
    AddArea(page, false, 10.5, 20.25);
    const std::string text = TextOf(page->WriteXML());
    EXPECT_NE(text.find("<String id=\"Width\">148.000000MM</String>"), std::string::npos) << text;
    CTemplatePage* back = OpenAs("Hagaki", text);
    ASSERT_NE(back, nullptr);
    EXPECT_DOUBLE_EQ(back->paper.width, 148 * kMM);
    EXPECT_EQ(TextOf(back->WriteXML()), text);
}

TEST_F(TemplateXml, HagakiOrientationDecidesWhichSidesMustMatch) {
    CTemplatePage* portrait =
        OpenAs("Hagaki", TemplateText("Hagaki", "100.000000MM", "148.000000MM", "Portrait"));
    ASSERT_NE(portrait, nullptr);
    EXPECT_EQ(Style(portrait)->orientation, 1);
    EXPECT_DOUBLE_EQ(portrait->paper.width, 100 * kMM);
    EXPECT_DOUBLE_EQ(portrait->paper.height, 148 * kMM);

    CTemplatePage* landscape =
        OpenAs("Hagaki", TemplateText("Hagaki", "148.000000MM", "100.000000MM", "Landscape"));
    ASSERT_NE(landscape, nullptr);
    EXPECT_DOUBLE_EQ(landscape->paper.width, 148 * kMM);

    EXPECT_EQ(OpenAs("Hagaki", TemplateText("Hagaki", "148.000000MM", "100.000000MM", "Portrait")),
              nullptr);
    EXPECT_EQ(OpenAs("Hagaki", TemplateText("Hagaki", "100.000000MM", "148.000000MM", "Landscape")),
              nullptr);
}

TEST_F(TemplateXml, RefusesTemplatesThatAreNotThisStyles) {
    struct Case {
        const char* what;
        std::string text;
    };
    const std::string ok = TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait");
    const Case cases[] = {
        {"millimetres", TemplateText("Letter", "215.900000MM", "279.400000MM", "Portrait")},
        {"lower-case name", TemplateText("letter", "8.500000IN", "11.000000IN", "Portrait")},
        {"other version",
         TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait", "", "", "1.4")},
        {"no unit suffix", TemplateText("Letter", "8.5", "11.000000IN", "Portrait")},
        {"not a number", TemplateText("Letter", "nanIN", "11.000000IN", "Portrait")},
        {"absurd number", TemplateText("Letter", "1e999IN", "11.000000IN", "Portrait")},
        {"nearly the width", TemplateText("Letter", "8.500001IN", "11.000000IN", "Portrait")},
        {"other paper", TemplateText("Letter", "8.500000IN", "14.000000IN", "Portrait")},
        {"no height",
         "<Template><Version>1.5</Version><Page><Name>Letter</Name><Properties>"
         "<String id=\"Width\">8.500000IN</String></Properties></Page></Template>"},
        {"no properties",
         "<Template><Version>1.5</Version><Page><Name>Letter</Name></Page></Template>"},
        {"no page", "<Template><Version>1.5</Version></Template>"},
        {"no version", "<Template><Page><Name>Letter</Name></Page></Template>"},
        {"other root",
         "<template><Version>1.5</Version><Page><Name>Letter</Name></Page></template>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OpenAs("Letter", c.text), nullptr) << c.what;
    }
    EXPECT_EQ(manager.GetPageObjectCount(), 0);
    EXPECT_TRUE(view.GetChildren().empty()) << "a refused template left a page window";
    EXPECT_NE(OpenAs("Letter", ok), nullptr);

    // Missing arguments.
    std::unique_ptr<CXMLTree> tree = Parse(ok);
    CTemplatePage* page = manager.CreatePageObject(StyleIndex("Letter"));
    EXPECT_FALSE(page->CreateFromXML(nullptr, NoPendingTool, Changed, NoMargins, &view));
    EXPECT_FALSE(page->CreateFromXML(tree->GetRoot(), nullptr, Changed, NoMargins, &view));
    EXPECT_FALSE(page->CreateFromXML(tree->GetRoot(), NoPendingTool, nullptr, NoMargins, &view));
    EXPECT_FALSE(page->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, nullptr, &view));
    EXPECT_FALSE(page->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, NoMargins, nullptr));
    EXPECT_FALSE(page->IsWindow());
}

TEST_F(TemplateXml, BooleanWordsAndOtherProperties) {
    struct Case {
        const char* word;
        int expected;  // -1: unchanged
    };
    const Case cases[] = {{"Y", 1},   {"T", 1},     {"YES", 1},    {"TRUE", 1},  {"1", 1},
                          {"N", 0},   {"F", 0},     {"NO", 0},     {"FALSE", 0}, {"0", 0},
                          {"yes", 1}, {"false", 0}, {"maybe", -1}, {"", -1},     {"YES!", -1}};
    for (const Case& c : cases) {
        for (int before : {0, 1}) {
            SCOPED_TRACE(std::string(c.word) + " over " + std::to_string(before));
            std::unique_ptr<CXMLTree> tree =
                Parse(TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait",
                                   std::string("<Bool id=\"AutoFill\">") + c.word + "</Bool>\n"));
            ASSERT_TRUE(tree);
            CTemplatePage* page = manager.CreatePageObject(StyleIndex("Letter"));
            Style(page)->autoFill = before;
            ASSERT_TRUE(
                page->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, NoMargins, &view));
            EXPECT_EQ(Style(page)->autoFill, c.expected < 0 ? before : c.expected);
            manager.DestroyPageObject(page);
        }
    }

    CTemplatePage* page = OpenAs(
        "Letter", TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait",
                               "<Bool id=\"AutoRotate\">TRUE</Bool>\n"
                               "<Bool id=\"UseBGColor\">T</Bool>\n<Int id=\"Color\">255</Int>\n"
                               "<Bool id=\"Unknown\">TRUE</Bool>\n"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Style(page)->autoRotate, 1);
    EXPECT_EQ(Style(page)->useBGColor, 1);
    EXPECT_EQ(Style(page)->color, 255u);
    // Opening records the first undo state; writing it forgot the author.
    EXPECT_EQ(Style(page)->GetUndoStateCount(), 1);
    EXPECT_EQ(Style(page)->author, "");
}

TEST_F(TemplateXml, AuthorIsReadAndLostWhenWrittenAgain) {
    std::unique_ptr<CXMLTree> tree =
        Parse(TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait"));
    CTemplatePage* page = manager.CreatePageObject(StyleIndex("Letter"));
    // Without an undo snapshot in the way (its WriteXML also forgets it).
    page->recordingSuspended = 1;
    ASSERT_TRUE(page->CreateFromXML(tree->GetRoot(), NoPendingTool, Changed, NoMargins, &view));
    EXPECT_EQ(Style(page)->author, "someone");
    const std::string text = TextOf(page->WriteXML());
    EXPECT_NE(text.find("<String id=\"Author\"></String>"), std::string::npos) << text;
    EXPECT_EQ(Style(page)->author, "");
}

TEST_F(TemplateXml, ToolListGroupsBecomeLinkRings) {
    // No ToolList at all: an empty page.
    CTemplatePage* empty =
        OpenAs("Letter", TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait", "", ""));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetToolCount(), 0);

    CTemplatePage* source = NewPage("Letter");
    CTemplateTool* image = AddArea(source, true, 10, 10, 40, 30);
    CTemplateTool* text = AddArea(source, false, 10, 50);
    text->LinkTo(image);
    AddArea(source, false, 60, 60);
    std::string written = TextOf(source->WriteXML());
    // A node no area tool knows and a child of ToolList that is not a Group.
    written.insert(written.find("</ToolList>"),
                   "<Group><Tool><Name>Unknown</Name></Tool></Group><Other/>");

    CTemplatePage* page = OpenAs("Letter", written);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->GetToolCount(), 3);
    CTemplateTool* a = page->GetToolAt(0);
    CTemplateTool* b = page->GetToolAt(1);
    CTemplateTool* lone = page->GetToolAt(2);
    EXPECT_TRUE(a->IsLinkedWith(b));
    EXPECT_EQ(a->GetNextLinked(), b);
    EXPECT_EQ(b->GetNextLinked(), a);
    EXPECT_FALSE(lone->IsLinked());
    EXPECT_TRUE(a->IsImageTool() != b->IsImageTool());
    // Written in the paper's inches to six decimals: within a micrometre.
    EXPECT_NEAR(page->GetToolAt(0)->rect.x, source->GetToolAt(0)->rect.x, 0.1);
    EXPECT_NEAR(page->GetToolAt(0)->rect.height, source->GetToolAt(0)->rect.height, 0.1);
}

TEST_F(TemplateXml, ManyToolNodesNeverCrash) {
    std::string groups = "<ToolList>";
    for (int i = 0; i < 10000; ++i)
        groups += "<Group><Tool><Name>Unknown</Name></Tool></Group>";
    for (int i = 0; i < 10000; ++i) {
        groups += "<Group><Tool><Name>Image</Name><Properties><String id=\"XPos\">" +
                  std::to_string(i % 100) + "MM</String></Properties></Tool></Group>";
    }
    groups += "</ToolList>";
    CTemplatePage* page = OpenAs(
        "Letter", TemplateText("Letter", "8.500000IN", "11.000000IN", "Portrait", "", groups));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetToolCount(), 10000);
}

TEST_F(TemplateXml, TextsAndMenuLabels) {
    CTemplatePage* page = NewPage("Letter");
    char buf[1024];
    page->GetPaperSizeText(buf, sizeof buf);
    EXPECT_STREQ(buf, "8.5 x 11.0 Inches");
    page->activeMargins = MarginRect(0.25, 0.5, 0.75, 1, UNIT_INCHES);
    page->GetMarginsText(buf, sizeof buf);
    EXPECT_STREQ(buf,
                 "\tTop:\t0.500 Inches\n\tBottom:\t1.000 Inches\n\tLeft:\t0.250 Inches\n"
                 "\tRight:\t0.750 Inches");
    EXPECT_EQ(Property(page, 1), "Portrait");
    EXPECT_EQ(Property(page, 2), "Autorotate: No");
    EXPECT_EQ(Property(page, 3), "Autofill: No");
    Style(page)->autoRotate = 1;
    Style(page)->autoFill = 1;
    EXPECT_EQ(Property(page, 2), "Autorotate: Yes");
    EXPECT_EQ(Property(page, 3), "Autofill: Yes");
    EXPECT_EQ(Property(page, 4), "");
    EXPECT_EQ(Property(page, -1), "");
    // Short buffers hold len - 1 characters and the zero.
    EXPECT_EQ(Property(page, 0, 4), "Let");
    EXPECT_EQ(Property(page, 0, 1), "");
    page->GetPaperSizeText(buf, 5);
    EXPECT_STREQ(buf, "8.5 ");

    CTemplatePage* hagaki = manager.CreatePageObject(StyleIndex("Hagaki"));
    Style(hagaki)->orientation = 1;
    ASSERT_TRUE(hagaki->CreatePage(NoPendingTool, Changed, NoMargins, &view));
    hagaki->GetPaperSizeText(buf, sizeof buf);
    EXPECT_STREQ(buf, "100.0 x 148.0 Millimeters");
    // A second window is refused and does not turn the paper.
    EXPECT_FALSE(hagaki->CreatePage(NoPendingTool, Changed, NoMargins, &view));

    std::vector<std::string> labels{"old"}, extraLabels{"old"};
    std::vector<PageMenuHandler> handlers{nullptr};
    page->GetMenuStrings(labels, extraLabels, handlers);
    EXPECT_EQ(labels, (std::vector<std::string>{"&Properties...", "[&Un]Link Tools", "Cut", "Copy",
                                                "Paste"}));
    EXPECT_TRUE(extraLabels.empty());
    EXPECT_TRUE(handlers.empty());
}

TEST_F(TemplateXml, CopyPageSettingsTakesThePropertiesOfAnotherStyle) {
    CTemplatePage* from = manager.CreatePageObject(StyleIndex("Hagaki"));
    Style(from)->author = "me";
    Style(from)->autoFill = 1;
    Style(from)->useBGColor = 1;
    Style(from)->color = 0x123456;
    CTemplatePage* to = manager.CreatePageObject(StyleIndex("A4"));
    to->CopyPageSettings(from);
    EXPECT_EQ(Style(to)->author, "me");
    EXPECT_EQ(Style(to)->autoFill, 1);
    EXPECT_EQ(Style(to)->orientation, 0);  // Hagaki's landscape
    EXPECT_EQ(Style(to)->color, 0x123456u);
    to->CopyPageSettings(nullptr);
    EXPECT_EQ(Style(to)->author, "me");
}

}  // namespace
}  // namespace styletest
