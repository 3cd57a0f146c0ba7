// The image area: defaults, its `Tool` subtree and its placeholder drawing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "framework/testing/page_fixture.h"
#include "tools/common/area_xml.h"
#include "tools/image/image_tool.h"

using platform::Rect;

namespace {

CTemplateTool* NewImage() {
    return new CImageArea();
}
void Delete(CTemplateTool* t) {
    delete t;
}

std::unique_ptr<CXMLTree> Parse(const std::string& xml) {
    auto tree = std::make_unique<CXMLTree>();
    EXPECT_TRUE(CTemplateFactory::LoadToolListXMLString(xml.c_str(), tree.get())) << xml;
    return tree;
}

}  // namespace

TEST(ImageArea, DefaultsAndIdentity) {
    CImageArea area;
    EXPECT_EQ(area.rect, ToolRect(0, 0, 3.0, 2.0, UNIT_INCHES));
    EXPECT_TRUE(area.IsImageTool());
    EXPECT_FALSE(area.IsTextTool());
    EXPECT_TRUE(area.IsLinkValid());
    char name[16];
    area.GetToolName(name, sizeof name);
    EXPECT_STREQ(name, "Image");
    std::vector<std::string> labels, extra{"x"};
    std::vector<ToolMenuHandler> handlers{nullptr};
    area.GetMenuStrings(labels, extra, handlers);
    EXPECT_EQ(labels.size(), 5u);
    EXPECT_EQ(labels[0], "&Properties...");
    EXPECT_TRUE(extra.empty() && handlers.empty());
    ASSERT_NE(area.GetToolIcon(), nullptr);
    EXPECT_EQ(area.GetToolIcon()->image()->Width(), 16);
    ASSERT_NE(area.GetToolCursor(), nullptr);
    EXPECT_NE(area.GetToolCursor(), area.GetToolIcon());
}

TEST(ImageArea, XmlRoundTripAndRefusals) {
    CImageArea area;
    area.rect = ToolRect(12.5, 20, 80, 60, UNIT_MILLIMETERS);
    std::unique_ptr<CXMLTreeNode> xml(area.WriteXML());
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(areaxml::ContentOf(xml->FindName("Name")), "Image");
    const CXMLTreeNode* properties = xml->FindName("Properties");
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(properties->GetNumChildren(), 4);
    EXPECT_EQ(areaxml::ContentOf(properties->GetFirstChild()), "12.500000MM");
    EXPECT_EQ(xml->GetNumChildren(), 2);

    CImageArea back;
    ASSERT_TRUE(back.ReadXML(xml.get()));
    EXPECT_EQ(back.rect, area.rect);

    struct Case {
        const char* what;
        std::string xml;
        BOOL result;
    } cases[] = {
        {"a text area", "<Tool><Name>Text</Name><Properties/></Tool>", FALSE},
        {"no Properties", "<Tool><Name>Image</Name></Tool>", FALSE},
        {"not a Tool", "<Group><Name>Image</Name><Properties/></Group>", FALSE},
        {"empty Properties", "<Tool><Name>Image</Name><Properties/></Tool>", TRUE},
    };
    for (const Case& c : cases) {
        auto tree = Parse(c.xml);
        CImageArea a;
        EXPECT_EQ(a.ReadXML(tree->GetRoot()->GetFirstChild()), c.result) << c.what;
        if (!c.result) {
            EXPECT_EQ(a.rect, CImageArea().rect) << c.what;
        }
    }
    EXPECT_FALSE(back.ReadXML(nullptr));
}

class ImagePageTest : public ::testing::Test {
  protected:
    ImagePageTest() : host(900, 900) {}

    void SetUp() override {
        platform::SetDefaultHost(&host);
        ASSERT_TRUE(view.Create("view", platform::WS_CHILD | platform::WS_VISIBLE,
                                Rect(0, 0, 900, 900), host.root()));
        ASSERT_EQ(manager.toolManager.AddToolProvider(NewImage, Delete), 0);
        page = std::make_unique<pagetest::TestPage>();
        page->host = &manager;
        ASSERT_TRUE(
            page->CreatePage(pagetest::ArmedTool, pagetest::Changed, pagetest::NoMargins, &view));
        page->MoveWindow(0, 0, 80 * 17 / 2, 80 * 11);  // 80 pixels per inch
        host.Idle();
    }

    void TearDown() override {
        page.reset();
        platform::SetDefaultHost(nullptr);
    }

    CImageArea* Add(double x, double y, double w = 0, double h = 0) {
        auto* area = static_cast<CImageArea*>(manager.toolManager.CreateTool(0));
        ToolRect r = area->rect;
        r.x = x * 2540;
        r.y = y * 2540;
        if (w > 0)
            r.width = w * 2540;
        if (h > 0)
            r.height = h * 2540;
        EXPECT_TRUE(area->AttachToPage(&r, page.get()));
        area->UpdateWindowPos();
        host.Idle();
        return area;
    }

    int Count(const Rect& r, COLORREF c) {
        const platform::Bitmap& shot = host.Render();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x)
                n += shot.GetPixel(x, y) == c;
        }
        return n;
    }

    platform::HeadlessHost host;
    platform::Window view;
    CPageStyleManager manager;
    std::unique_ptr<pagetest::TestPage> page;
};

TEST_F(ImagePageTest, FramedPlaceholderWithIconAndLabel) {
    CImageArea* big = Add(1, 1);                // 240 x 160 pixels
    CImageArea* small = Add(5, 1, 0.25, 0.25);  // 20 x 20 pixels
    small->SetSelection(SELECT_ON, FALSE);      // the only selection
    Rect b, s;
    big->GetRectInPage(&b);
    small->GetRectInPage(&s);
    ASSERT_EQ(b, Rect(80, 80, 320, 240));
    const platform::Bitmap& shot = host.Render();

    EXPECT_EQ(shot.GetPixel(b.left + 10, b.top + 10), CImageArea::kFillColor);
    EXPECT_EQ(shot.GetPixel(b.left + 3, b.top + 40), CImageArea::kLineColor);
    EXPECT_EQ(shot.GetPixel(b.left, b.top + 40), RGB(0, 0, 0));  // unselected frame

    // The icon's sun and meadow colours appear near the centre of the big area.
    const Rect centre(b.left + 100, b.top + 50, b.right - 100, b.bottom - 50);
    EXPECT_GT(Count(centre, RGB(40, 140, 60)), 20);
    // The label: darker pixels under the icon, none in the small area.
    const Rect below(b.left + 80, b.top + 86, b.right - 80, b.top + 110);
    int dark = 0;
    for (int y = below.top; y < below.bottom; ++y) {
        for (int x = below.left; x < below.right; ++x) {
            COLORREF c = shot.GetPixel(x, y);
            dark += GetRValue(c) < 160 && GetGValue(c) < 160 && GetBValue(c) < 170;
        }
    }
    EXPECT_GT(dark, 15);

    // The small one is selected (focus): the frame, and only part of the icon.
    EXPECT_EQ(shot.GetPixel(s.left, s.top + 10), 0xFF4040u);
    Rect outside = s;
    outside.Inflate(4, 4);
    EXPECT_EQ(shot.GetPixel(outside.right - 1, outside.bottom - 1), RGB(255, 255, 255));
}

TEST_F(ImagePageTest, PropertiesResultGoesThroughSetToolRect) {
    CImageArea* area = Add(1, 1);
    const int before = page->checkpoints;
    CImageArea::SetPropertiesRunner([](CImageArea*, ToolRect* r) -> BOOL {
        r->width = 2540;
        return TRUE;
    });
    area->EditProperties();
    EXPECT_DOUBLE_EQ(area->rect.width, 2540);
    EXPECT_EQ(page->checkpoints, before + 1);
    CImageArea::SetPropertiesRunner([](CImageArea*, ToolRect* r) -> BOOL {
        r->x = -5;  // refused
        return TRUE;
    });
    area->EditProperties();
    EXPECT_DOUBLE_EQ(area->rect.x, 2540);
    EXPECT_EQ(page->checkpoints, before + 1);
    CImageArea::SetPropertiesRunner(nullptr);
}
