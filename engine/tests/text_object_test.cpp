#include "engine/text_object.h"

#include <gtest/gtest.h>

TEST(TextObject, FreshRecordHasNoFaceAndNoContent) {
    CTextObject t;
    EXPECT_EQ(t.UseTextData, 0);
    EXPECT_TRUE(t.Facename.empty());
    EXPECT_TRUE(t.Stylename.empty());
    EXPECT_TRUE(t.Text.empty());
    EXPECT_GT(t.Fontsize, 0);
    EXPECT_EQ(t.Weight, 400);
    EXPECT_EQ(t.Rotate, 0);
    EXPECT_EQ(t.Justify, 0);
    EXPECT_FALSE(t.HasContent());
}

TEST(TextObject, CopiesAndComparesEveryField) {
    CTextObject a;
    a.UseTextData = 1;
    a.Facename = "Arial";
    a.Stylename = "Bold";
    a.Fontsize = 20;
    a.TextColor = 0x123456;
    a.Weight = 700;
    a.Strikeout = 1;
    a.Underline = 1;
    a.Italic = 1;
    a.Bold = 1;
    a.BGColor = 0x00FF00;
    a.Rotate = 270;
    a.UseBGColor = 1;
    a.Text = "line one\r\nline two";
    a.Justify = 2;

    CTextObject b = a;
    EXPECT_EQ(a, b);
    CTextObject c;
    c = a;
    EXPECT_EQ(c, a);

    // Each field on its own makes the records differ.
    auto differs = [&](auto change) {
        CTextObject d = a;
        change(d);
        return !(d == a);
    };
    EXPECT_TRUE(differs([](CTextObject& d) { d.UseTextData = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Facename = "Arial Black"; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Stylename.clear(); }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Fontsize = 21; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.TextColor = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Weight = 600; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Strikeout = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Underline = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Italic = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Bold = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.BGColor = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Rotate = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.UseBGColor = 0; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Text += "!"; }));
    EXPECT_TRUE(differs([](CTextObject& d) { d.Justify = 0; }));
}

TEST(TextObject, HasContentWhenSwitchedOnWithTextOrBackground) {
    struct Case {
        int use;
        const char* text;
        int useBg;
        BOOL expected;
    } cases[] = {
        {0, "hello", 1, FALSE},  // content off hides everything
        {1, "", 0, FALSE},       // nothing to draw
        {1, "hello", 0, TRUE},
        {1, "", 1, TRUE},  // a filled background is drawn
    };
    for (const Case& c : cases) {
        CTextObject t;
        t.UseTextData = c.use;
        t.Text = c.text;
        t.UseBGColor = c.useBg;
        EXPECT_EQ(t.HasContent(), c.expected) << c.use << " '" << c.text << "' " << c.useBg;
    }
}
