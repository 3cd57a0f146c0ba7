// Copy, cut and paste between pages, and the undo history.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pagestyle/style_page.h"
#include "platform/clipboard.h"
#include "tests/integration/pagestyle/style_fixture.h"

namespace styletest {
namespace {

CStylePage* Style(CTemplatePage* page) {
    return static_cast<CStylePage*>(page);
}

class History : public StyleFixture {
  protected:
    void SetUp() override {
        StyleFixture::SetUp();
        platform::Clipboard::Empty();
    }
    void TearDown() override {
        platform::Clipboard::Empty();
        StyleFixture::TearDown();
    }

    std::vector<CTemplateTool*> Selected(CTemplatePage* page) {
        std::vector<CTemplateTool*> out;
        for (int i = 0; i < page->GetToolCount(); ++i) {
            if (page->GetToolAt(i)->flags & TOOL_SELECTED)
                out.push_back(page->GetToolAt(i));
        }
        return out;
    }

    // One pixel of the page in internal units: the precision of a paste.
    static double Pixel(CTemplatePage* page) { return page->GetUnitsPerPixelX() + 1e-9; }

    void Offer(const std::string& text) {
        platform::DataSource source;
        source.SetText(platform::RegisterClipboardFormat("CBTemplateFormat"), text);
        platform::Clipboard::SetDataSource(source);
    }
};

TEST_F(History, RepeatedPastesIntoTheSamePageMoveOnBy3mm) {
    CTemplatePage* page = NewPage("A4");
    CTemplateTool* area = AddArea(page, false, 30, 40);
    SelectOnly({area});
    page->Copy();
    const UINT format = platform::RegisterClipboardFormat("CBTemplateFormat");
    ASSERT_TRUE(platform::Clipboard::IsFormatAvailable(format));
    EXPECT_EQ(platform::Clipboard::GetText(format), platform::Clipboard::GetText());
    EXPECT_TRUE(manager.IsTemplateOnClipboard());

    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        page->Paste();
        ASSERT_EQ(page->GetToolCount(), 1 + n);
        CTemplateTool* pasted = page->GetToolAt(0);  // moved to the front
        EXPECT_NEAR(pasted->rect.x, (30 + 3 * n) * kMM, Pixel(page));
        EXPECT_NEAR(pasted->rect.y, (40 + 3 * n) * kMM, Pixel(page));
        EXPECT_EQ(Selected(page), std::vector<CTemplateTool*>{pasted});
        EXPECT_EQ(pasted->rect.unit, UNIT_MILLIMETERS);
    }
    EXPECT_EQ(Style(page)->pasteCount, 3);
}

TEST_F(History, PasteIntoAnotherStyleKeepsPositionsAndKeepsRings) {
    CTemplatePage* from = NewPage("A4");
    CTemplateTool* image = AddArea(from, true, 20, 20, 30, 20);
    CTemplateTool* text1 = AddArea(from, false, 20, 50);
    CTemplateTool* text2 = AddArea(from, false, 20, 70);
    text1->LinkTo(image);
    text2->LinkTo(text1);
    CTemplateTool* textA = AddArea(from, false, 60, 20);
    CTemplateTool* textB = AddArea(from, false, 60, 40);
    textB->LinkTo(textA);
    SelectOnly({image, text1, text2});
    from->Copy();

    CTemplatePage* to = NewPage("Letter");
    to->Paste();
    ASSERT_EQ(to->GetToolCount(), 3);
    CTemplateTool* pastedImage = nullptr;
    for (int i = 0; i < 3; ++i) {
        if (to->GetToolAt(i)->IsImageTool())
            pastedImage = to->GetToolAt(i);
    }
    ASSERT_NE(pastedImage, nullptr);
    EXPECT_EQ(to->GetGroupSize(pastedImage), 3);
    EXPECT_NEAR(pastedImage->rect.x, 20 * kMM, Pixel(to));
    EXPECT_NEAR(pastedImage->rect.y, 20 * kMM, Pixel(to));
    EXPECT_EQ(Selected(to).size(), 3u);
    EXPECT_EQ(pastedImage->rect.unit, UNIT_INCHES);

    to->Paste();  // the second paste of the same copy moves on
    ASSERT_EQ(to->GetToolCount(), 6);
    EXPECT_EQ(Selected(to).size(), 3u);
    for (CTemplateTool* t : Selected(to)) {
        if (t->IsImageTool()) {
            EXPECT_NEAR(t->rect.x, 23 * kMM, Pixel(to));
        }
    }

    // Two linked texts without their image come back unlinked.
    SelectOnly({textA, textB});
    from->Copy();
    CTemplatePage* other = NewPage("Legal");
    other->Paste();
    ASSERT_EQ(other->GetToolCount(), 2);
    EXPECT_FALSE(other->GetToolAt(0)->IsLinked());
    EXPECT_FALSE(other->GetToolAt(1)->IsLinked());
    EXPECT_EQ(Selected(other).size(), 2u);
}

TEST_F(History, SelectionLargerThanThePaperIsRefusedWithAMessage) {
    CTemplatePage* a4 = NewPage("A4");
    CTemplateTool* wide = AddArea(a4, false, 150, 20, 50, 10);  // right edge at 200 mm
    SelectOnly({wide});
    a4->Copy();

    CTemplatePage* hagaki = manager.CreatePageObject(StyleIndex("Hagaki"));
    Style(hagaki)->orientation = 1;
    ASSERT_TRUE(hagaki->CreatePage(NoPendingTool, Changed, NoMargins, &view));
    hagaki->FitToParent(-1, -1);
    host.ClearRecords();
    hagaki->Paste();
    EXPECT_EQ(hagaki->GetToolCount(), 0);
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text,
              "The current selection is too large to fit on this page.");
    EXPECT_EQ(host.messageBoxes()[0].type & platform::MB_ICONMASK, platform::MB_ICONEXCLAMATION);
}

TEST_F(History, ClipboardTextThatIsNotOursPastesNothingSilently) {
    CTemplatePage* source = NewPage("A4");
    SelectOnly({AddArea(source, false, 10, 10)});
    source->Copy();
    const std::string good =
        *platform::Clipboard::GetText(platform::RegisterClipboardFormat("CBTemplateFormat"));
    ASSERT_NE(good.find("<Group>"), std::string::npos);

    const std::string cases[] = {
        "",
        "plain text",
        good.substr(0, good.size() / 2),                                    // truncated
        "<ClipboardXML><Width>1</Width><Height>1</Height></ClipboardXML>",  // no source
        "<ClipboardXML><Width>1</Width><Height>1</Height><Source>5</Source></ClipboardXML>",
        "<ClipboardXML><Width>x</Width><Height>1</Height><Source>5</Source><Group>"
        "</Group></ClipboardXML>",
        "<ClipboardXML><Width>1</Width><Height>1</Height><Source>5</Source><Group><Tool>"
        "</ClipboardXML>",  // not well formed
        "<ClipboardXML><Width>1</Width><Height>1</Height><Source>5</Source><Group><Tool><Name>"
        "Unknown</Name></Tool></Group></ClipboardXML>",  // no tool accepts it
        "<ClipboardXML><Width>nan</Width><Height>1</Height><Source>5</Source><Group>"
        "</Group></ClipboardXML>",
    };
    CTemplatePage* page = NewPage("Letter");
    host.ClearRecords();
    const int states = Style(page)->GetUndoStateCount();
    for (const std::string& text : cases) {
        Offer(text);
        page->Paste();
        EXPECT_EQ(page->GetToolCount(), 0) << text;
    }
    // Plain text alone is not a template.
    platform::DataSource plain;
    plain.SetText(platform::CF_TEXT, good);
    platform::Clipboard::SetDataSource(plain);
    page->Paste();
    EXPECT_EQ(page->GetToolCount(), 0);
    EXPECT_TRUE(host.messageBoxes().empty());
    EXPECT_EQ(Style(page)->GetUndoStateCount(), states);
}

TEST_F(History, GroupsWithoutAreasAreSkippedAndUnattachedAreasDestroyed) {
    CTemplatePage* source = NewPage("A4");
    SelectOnly({AddArea(source, true, 10, 10)});
    source->Copy();
    std::string text =
        *platform::Clipboard::GetText(platform::RegisterClipboardFormat("CBTemplateFormat"));
    // A first group that no area tool accepts.
    text.insert(text.find("<Group>"), "<Group><Tool><Name>Unknown</Name></Tool></Group>");
    Offer(text);

    CTemplatePage* page = NewPage("Letter");
    page->Paste();
    ASSERT_EQ(page->GetToolCount(), 1);
    EXPECT_TRUE(page->GetToolAt(0)->IsImageTool());
    EXPECT_TRUE(page->GetToolAt(0)->flags & TOOL_SELECTED);

    // A page without a window cannot take the areas: none is left alive.
    CTemplatePage* windowless = manager.CreatePageObject(StyleIndex("Letter"));
    const int live = manager.toolManager.GetToolObjectCount();
    windowless->Paste();
    EXPECT_EQ(windowless->GetToolCount(), 0);
    EXPECT_EQ(manager.toolManager.GetToolObjectCount(), live);
}

TEST_F(History, CutRemovesTheSelectionAndPastesBack) {
    CTemplatePage* page = NewPage("Letter");
    CTemplateTool* keep = AddArea(page, false, 10, 10);
    CTemplateTool* cut = AddArea(page, true, 40, 40);
    SelectOnly({cut});
    page->Cut();
    ASSERT_EQ(page->GetToolCount(), 1);
    EXPECT_EQ(page->GetToolAt(0), keep);
    page->Paste();  // into the page it came from: offset by 3 mm
    ASSERT_EQ(page->GetToolCount(), 2);
    EXPECT_TRUE(page->GetToolAt(0)->IsImageTool());
    EXPECT_NEAR(page->GetToolAt(0)->rect.x, 43 * kMM, Pixel(page));

    // Nothing selected: the clipboard keeps what it had.
    for (int i = 0; i < page->GetToolCount(); ++i)
        page->GetToolAt(i)->SetSelection(SELECT_OFF, TRUE);
    const unsigned long sequence = platform::Clipboard::SequenceNumber();
    page->Copy();
    page->Cut();
    EXPECT_EQ(platform::Clipboard::SequenceNumber(), sequence);
    EXPECT_EQ(page->GetToolCount(), 2);
}

TEST_F(History, UndoKeepsTheLastHundredStates) {
    CTemplatePage* page = NewPage("Letter");
    CStylePage* style = Style(page);
    ASSERT_EQ(style->GetUndoStateCount(), 1);
    EXPECT_FALSE(page->canUndo);
    for (int i = 1; i <= 101; ++i) {
        AddArea(page, false, i % 100, 10);
        page->SetModified();
    }
    EXPECT_EQ(style->GetUndoStateCount(), 100);
    EXPECT_EQ(page->GetToolCount(), 101);
    int undone = 0;
    while (page->canUndo) {
        ASSERT_TRUE(page->Undo());
        ++undone;
    }
    EXPECT_EQ(undone, 99);
    // The oldest reachable state is the one after the second change.
    EXPECT_EQ(page->GetToolCount(), 2);
    EXPECT_TRUE(page->canRedo);
    EXPECT_FALSE(page->recordingSuspended);
}

TEST_F(History, UndoAndRedoRestoreAreasAndProperties) {
    CTemplatePage* page = NewPage("Hagaki");
    CStylePage* style = Style(page);
    g_changed = 0;
    CTemplateTool* image = AddArea(page, true, 10, 10, 30, 20);
    CTemplateTool* text = AddArea(page, false, 10, 40);
    text->LinkTo(image);
    page->SetModified();
    EXPECT_EQ(g_changed, 1);

    // Turn the page, as the properties dialog does.
    const PaperSize landscape = page->paper;
    style->orientation = 1;
    std::swap(page->paper.width, page->paper.height);
    style->useBGColor = 1;
    style->color = 0x00FF00;
    page->SetModified();

    ASSERT_TRUE(page->Undo());
    EXPECT_EQ(style->orientation, 0);
    EXPECT_EQ(page->paper, landscape);
    EXPECT_EQ(style->useBGColor, 0);
    EXPECT_EQ(style->color, 0xFFFFFFu);
    ASSERT_EQ(page->GetToolCount(), 2);
    EXPECT_TRUE(page->GetToolAt(0)->IsLinkedWith(page->GetToolAt(1)));
    EXPECT_TRUE(page->canRedo);
    EXPECT_GE(g_changed, 3);

    ASSERT_TRUE(page->Redo());
    EXPECT_EQ(style->orientation, 1);
    EXPECT_DOUBLE_EQ(page->paper.width, 100 * kMM);
    EXPECT_EQ(style->color, 0x00FF00u);
    EXPECT_FALSE(page->canRedo);

    // Window follows the paper: portrait is taller than wide.
    host.Idle();
    platform::Rect r = page->GetRectInParent();
    EXPECT_GT(r.Height(), r.Width());
}

TEST_F(History, ANewChangeAfterUndoDropsTheRedoStates) {
    CTemplatePage* page = NewPage("Letter");
    for (int i = 0; i < 3; ++i) {
        AddArea(page, false, 10 + 10 * i, 10);
        page->SetModified();
    }
    ASSERT_EQ(Style(page)->GetUndoStateCount(), 4);
    page->Undo();
    page->Undo();
    EXPECT_EQ(page->GetToolCount(), 1);
    AddArea(page, true, 50, 50);
    page->SetModified();
    EXPECT_EQ(Style(page)->GetUndoStateCount(), 3);
    EXPECT_FALSE(page->canRedo);
    EXPECT_EQ(page->Redo(), 0);
    EXPECT_EQ(page->GetToolCount(), 2);
}

TEST_F(History, RequestsOutsideTheHistoryLeaveThePageAlone) {
    CTemplatePage* page = NewPage("Letter");
    AddArea(page, false, 10, 10);  // not recorded yet
    EXPECT_EQ(page->Undo(), 0);
    EXPECT_EQ(page->Redo(), 0);
    EXPECT_EQ(page->GetToolCount(), 1);
    EXPECT_FALSE(page->recordingSuspended);

    // A snapshot without a tool list still ends the suspension.
    CStylePage* style = Style(page);
    page->SetModified();
    CXMLTreeNode* first = style->undoList[0].get();
    delete first->FindName("ToolList");
    ASSERT_TRUE(page->Undo());
    EXPECT_EQ(page->GetToolCount(), 0);
    EXPECT_FALSE(page->recordingSuspended);
    page->SetModified();
    EXPECT_EQ(style->GetUndoStateCount(), 2);
}

TEST_F(History, BackgroundAndShadow) {
    CTemplatePage* page = NewPage("Letter");
    host.Render();
    const platform::Rect r = page->GetRectInParent();  // the view is at the root's origin
    EXPECT_EQ(host.PixelAt(r.left + r.Width() / 2, r.top + r.Height() / 2), RGB(255, 255, 255));
    EXPECT_EQ(host.PixelAt(r.left, r.top + r.Height() / 2), RGB(0, 0, 0));    // frame
    EXPECT_EQ(host.PixelAt(r.left + r.Width() / 2, r.bottom), RGB(0, 0, 0));  // shadow
    EXPECT_EQ(host.PixelAt(r.right, r.top + r.Height() / 2), RGB(0, 0, 0));

    Style(page)->useBGColor = 1;
    Style(page)->color = RGB(10, 200, 30);
    page->Invalidate(TRUE);
    host.Render();
    EXPECT_EQ(host.PixelAt(r.left + r.Width() / 2, r.top + r.Height() / 2), RGB(10, 200, 30));
}

TEST_F(History, LinkingTwoImagesShowsTheLinkMessage) {
    CTemplatePage* page = NewPage("Letter");
    CTemplateTool* a = AddArea(page, true, 10, 10);
    CTemplateTool* b = AddArea(page, true, 40, 40);
    SelectOnly({a, b});
    host.ClearRecords();
    page->SendMessage(platform::WM_COMMAND, ID_MENU_SECOND, 0);
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text.substr(0, 42),
              "You attempted to link more than one image.");
    EXPECT_FALSE(a->IsLinked());
}

// Clipboard text with one area of 1 x 1 inch at these position texts.
std::string OneAreaOnTheClipboard(const std::string& x, const std::string& y, int source) {
    return "<ClipboardXML><Width>1</Width><Height>1</Height><Source>" + std::to_string(source) +
           "</Source><Group><Tool><Name>Image</Name><Properties><String id=\"XPos\">" + x +
           "</String><String id=\"YPos\">" + y +
           "</String><String id=\"Width\">1IN</String><String id=\"Height\">1IN</String>"
           "</Properties></Tool></Group></ClipboardXML>";
}

// The texts of the files of a corpus folder under testdata/fuzz.
std::vector<std::string> CorpusTexts(const char* folder) {
    std::vector<std::string> texts;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(CV_TESTDATA_DIR) / "fuzz" / folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_FALSE(texts.empty()) << folder;
    return texts;
}

// Every area of the page lies on the paper (its top-left corner) and its
// window where the page's pixels are, not at a wrapped-around int.
void ExpectAreasOnThePaper(CTemplatePage* page, int firstPasted) {
    platform::Rect pageWindow;
    page->GetWindowRect(&pageWindow);
    for (int i = 0; i < page->GetToolCount(); ++i) {
        SCOPED_TRACE(i);
        CTemplateTool* area = page->GetToolAt(i);
        platform::Rect r;
        area->GetWindowRect(&r);
        for (int v : {r.left, r.top, r.right, r.bottom})
            EXPECT_LE(std::abs(v), (1 << 20) + 2 * pageWindow.Width() + 2 * pageWindow.Height());
        if (i < firstPasted) {  // the pasted areas are in front
            EXPECT_GE(area->rect.x, 0);
            EXPECT_LE(area->rect.x, page->paper.width);
            EXPECT_GE(area->rect.y, 0);
            EXPECT_LE(area->rect.y, page->paper.height);
        }
    }
}

TEST_F(History, PositionsBeyondThePixelRangePasteAtThePaperEdgeTheyPointTo) {
    CTemplatePage* page = NewPage("Letter");
    const double inch = 2540;                       // internal units
    const double right = page->paper.width - inch;  // a 1-inch area at the right edge
    const double bottom = page->paper.height - inch;
    const struct {
        const char* x;
        const char* y;
        double expectedX, expectedY;
    } cases[] = {
        {"1e300IN", "1e300IN", right, bottom},  // far past the int range
        {"-1e300IN", "-1e300IN", 0, 0},
        {"1e12IN", "-1e12IN", right, 0},  // past the int range, exact as a double
        {"-1e300MM", "1e9MM", 0, bottom},
        {"2IN", "1e304IN", 2 * inch, bottom},  // one side on the paper
    };
    int source = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.x) + ", " + c.y);
        Offer(OneAreaOnTheClipboard(c.x, c.y, ++source));  // a new source: no paste offset
        const int before = page->GetToolCount();
        page->Paste();
        ASSERT_EQ(page->GetToolCount(), before + 1);
        CTemplateTool* pasted = page->GetToolAt(0);
        EXPECT_NEAR(pasted->rect.x, c.expectedX, Pixel(page));
        EXPECT_NEAR(pasted->rect.y, c.expectedY, Pixel(page));
    }
    host.Idle();
    ExpectAreasOnThePaper(page, static_cast<int>(std::size(cases)));
}

TEST_F(History, HugePositionsAndSizesOpenCopyAndPasteWithinTheirBounds) {
    // Templates from the page-style corpus: open, copy everything, paste.
    for (const std::string& text : CorpusTexts("page_style_xml")) {
        SCOPED_TRACE(text);
        std::unique_ptr<CXMLTree> tree = Parse(text);
        ASSERT_TRUE(tree);
        CTemplatePage* page = manager.CreatePageForTemplate(tree->GetRoot(), NoPendingTool, Changed,
                                                            NoMargins, &view);
        ASSERT_NE(page, nullptr);
        page->FitToParent(-1, -1);
        host.Idle();
        const int opened = page->GetToolCount();
        ExpectAreasOnThePaper(page, 0);
        for (int i = 0; i < opened; ++i)
            page->GetToolAt(i)->SetSelection(SELECT_ON, i > 0 ? TRUE : FALSE);
        page->Copy();
        page->Paste();
        host.Idle();
        ExpectAreasOnThePaper(page, page->GetToolCount() - opened);
        manager.DestroyPageObject(page);
    }
    // Clipboard texts from the paste corpus, each into a fresh page.
    for (const std::string& text : CorpusTexts("clipboard_paste")) {
        SCOPED_TRACE(text);
        CTemplatePage* page = NewPage("A4");
        Offer(text);
        page->Paste();
        host.Idle();
        ExpectAreasOnThePaper(page, page->GetToolCount());
        manager.DestroyPageObject(page);
    }
}

}  // namespace
}  // namespace styletest
