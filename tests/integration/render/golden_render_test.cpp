// Rendered templates against reference images. Every case of
// testdata/render is a template `<case>.xml` opened by the real page styles
// and area tools, drawn on the headless host and compared (the page window
// only) with `<case>.png` under the case's tolerance; see
// platform/testing/golden_image.h for the tolerance file, CV_UPDATE_GOLDEN and
// the images written on failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/template_factory.h"
#include "engine/xml_tree.h"
#include "framework/testing/staged_modules.h"
#include "platform/testing/golden_image.h"

namespace {

using namespace stagedtest;

const std::string kCases = CV_TESTDATA_DIR "/render";
const std::string kOutput = CV_TEST_BINARY_DIR "/render";

class GoldenRender : public StagedModules, public ::testing::WithParamInterface<std::string> {
  protected:
    GoldenRender() : StagedModules(600, 800) {}
};

TEST_P(GoldenRender, PageMatchesItsReference) {
    const std::string name = GetParam();
    const std::string input = kCases + "/" + name + ".xml";
    ASSERT_TRUE(std::filesystem::exists(input)) << "a reference without its template " << input;
    CXMLTree tree;
    ASSERT_TRUE(CTemplateFactory::LoadXML(input.c_str(), &tree)) << input;
    CTemplatePage* page =
        manager.CreatePageForTemplate(tree.GetRoot(), NoPendingTool, Changed, NoMargins, &view);
    ASSERT_NE(page, nullptr) << "no page style opens " << input;
    page->FitToParent(-1, -1);
    host.Idle();

    platform::Rect r;
    page->GetClientRect(&r);
    page->MapWindowPoints(host.root(), &r);
    const platform::Bitmap shot = golden::Crop(host.Render(), r);
    EXPECT_TRUE(golden::MatchesGolden(shot, kCases, name, kOutput));
}

INSTANTIATE_TEST_SUITE_P(Templates, GoldenRender,
                         ::testing::ValuesIn(golden::Cases(kCases, ".xml")),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return golden::TestName(info.param);
                         });

}  // namespace
