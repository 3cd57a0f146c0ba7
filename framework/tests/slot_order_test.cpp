// Pages and areas cross module boundaries through their virtual tables: the
// operations must occupy consecutive slots, in their fixed order, right
// after the window's own virtual operations. An operation inserted in the
// middle or moved would make every module built earlier call the wrong
// function; this test notices. The slots are also pinned to their absolute
// numbers, so a virtual operation added to (or removed from) the window, or
// to any base below the page and the area, is noticed too: it would shift
// every plug-in slot just the same.
//
// It reads the slot from a pointer to a virtual member function, which the
// Itanium C++ ABI (GCC and Clang on Linux) encodes as 1 + the slot's byte
// offset in the table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/template_page.h"
#include "framework/template_tool.h"

namespace {

template <class F>
std::ptrdiff_t SlotOf(F member) {
    static_assert(sizeof(F) == 2 * sizeof(std::ptrdiff_t), "Itanium member pointers");
    std::ptrdiff_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    EXPECT_EQ(raw[0] & 1, 1) << "not a virtual operation";
    return (raw[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

// The operations follow the window's own (the window's last operation is
// OnMessage) and take one slot each, in order.
void ExpectConsecutiveAfterWindow(const std::vector<std::ptrdiff_t>& slots) {
    ASSERT_FALSE(slots.empty());
    EXPECT_GT(slots[0], SlotOf(&platform::Window::OnMessage));
    const std::ptrdiff_t first = slots[0];
    for (size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i], first + static_cast<std::ptrdiff_t>(i)) << "operation " << i + 1;
    }
}

// The absolute slots (counted from the table's address point: the window's
// two destructor entries are slots 0 and 1 and its OnMessage is slot 35) of
// the first and last page and area operations.
constexpr std::ptrdiff_t kFirstPageSlot = 36;  // EditProperties
constexpr std::ptrdiff_t kLastPageSlot = 113;  // DrawToolFrames
constexpr std::ptrdiff_t kFirstAreaSlot = 36;  // GetToolIcon
constexpr std::ptrdiff_t kLastAreaSlot = 75;   // PassedDragThreshold

TEST(SlotOrder, PageOperationsFollowTheWindowsInTheirOrder) {
    using P = CTemplatePage;
    const std::vector<std::ptrdiff_t> slots = {
        SlotOf(&P::EditProperties),
        SlotOf(&P::CopyPageSettings),
        SlotOf(&P::GetMenuStrings),
        SlotOf(&P::WriteXML),
        SlotOf(&P::CreateFromXML),
        SlotOf(&P::GetPaperName),
        SlotOf(&P::GetPaperSizeText),
        SlotOf(&P::GetMarginsText),
        SlotOf(&P::PlaceNewTool),
        SlotOf(&P::CreatePage),
        SlotOf(&P::PaintPage),
        SlotOf(&P::GetPropertyText),
        SlotOf(&P::CreatePropertiesView),
        SlotOf(&P::DestroyPropertiesView),
        SlotOf(&P::GetHost),
        SlotOf(&P::FitToParent),
        SlotOf(&P::GetToolCount),
        SlotOf(&P::GetSelectedCount),
        SlotOf(&P::DeleteSelection),
        SlotOf(&P::AddTool),
        SlotOf(&P::RemoveTool),
        SlotOf(&P::DeleteAllTools),
        SlotOf(&P::SetModified),
        SlotOf(&P::QueryPendingTool),
        SlotOf(&P::UpdateMargins),
        SlotOf(&P::GetToolAt),
        SlotOf(&P::GetToolIndex),
        SlotOf(&P::GetGroupFirstIndexAt),
        SlotOf(&P::GetGroupFirstIndex),
        SlotOf(&P::GetGroupFirstAt),
        SlotOf(&P::GetGroupFirst),
        SlotOf(&P::GetGroupLastIndexAt),
        SlotOf(&P::GetGroupLastIndex),
        SlotOf(&P::GetGroupLastAt),
        SlotOf(&P::GetGroupLast),
        SlotOf(&P::CollectGroupAt),
        SlotOf(&P::CollectGroup),
        SlotOf(&P::GetGroupSizeAt),
        SlotOf(&P::GetGroupSize),
        SlotOf(&P::IsInGroup),
        SlotOf(&P::GetGroupCount),
        SlotOf(&P::SpaceDownEvenly),
        SlotOf(&P::SpaceAcrossEvenly),
        SlotOf(&P::CenterVertically),
        SlotOf(&P::CenterHorizontally),
        SlotOf(&P::MakeSameSize),
        SlotOf(&P::MakeSameWidth),
        SlotOf(&P::MakeSameHeight),
        SlotOf(&P::AlignRight),
        SlotOf(&P::AlignLeft),
        SlotOf(&P::AlignTop),
        SlotOf(&P::AlignBottom),
        SlotOf(&P::ApplyZOrder),
        SlotOf(&P::GetUnitsPerPixelX),
        SlotOf(&P::GetUnitsPerPixelY),
        SlotOf(&P::GetPixelsPerUnitX),
        SlotOf(&P::GetPixelsPerUnitY),
        SlotOf(&P::MoveBackward),
        SlotOf(&P::MoveForward),
        SlotOf(&P::MoveToBack),
        SlotOf(&P::MoveToFront),
        SlotOf(&P::IsInPrintableArea),
        SlotOf(&P::MoveSelection),
        SlotOf(&P::OnArrowKey),
        SlotOf(&P::CommitMove),
        SlotOf(&P::Undo),
        SlotOf(&P::Redo),
        SlotOf(&P::Checkpoint),
        SlotOf(&P::Cut),
        SlotOf(&P::Copy),
        SlotOf(&P::Paste),
        SlotOf(&P::RestoreState),
        SlotOf(&P::GetSelectionBounds),
        SlotOf(&P::DrawBackground),
        SlotOf(&P::DrawMargins),
        SlotOf(&P::DrawGrid),
        SlotOf(&P::DrawTools),
        SlotOf(&P::DrawToolFrames),
    };
    ASSERT_EQ(slots.size(), 78u);
    ExpectConsecutiveAfterWindow(slots);
    EXPECT_EQ(slots.front(), kFirstPageSlot);
    EXPECT_EQ(slots.back(), kLastPageSlot);
}

TEST(SlotOrder, AreaOperationsFollowTheWindowsInTheirOrder) {
    using T = CTemplateTool;
    const std::vector<std::ptrdiff_t> slots = {
        SlotOf(&T::GetToolIcon),
        SlotOf(&T::GetToolCursor),
        SlotOf(&T::GetMenuStrings),
        SlotOf(&T::WriteXML),
        SlotOf(&T::ReadXML),
        SlotOf(&T::GetToolName),
        SlotOf(&T::AttachToPage),
        SlotOf(&T::Draw),
        SlotOf(&T::DrawOutline),
        SlotOf(&T::DrawLinkLine),
        SlotOf(&T::DrawOrderNumber),
        SlotOf(&T::EditProperties),
        SlotOf(&T::UpdateWindowPos),
        SlotOf(&T::GetRectInPage),
        SlotOf(&T::SetSelection),
        SlotOf(&T::SetToolRect),
        SlotOf(&T::GetToolManager),
        SlotOf(&T::CacheToolIcon),
        SlotOf(&T::GetCachedIcon),
        SlotOf(&T::DrawToolIcon),
        SlotOf(&T::DrawToolIconOn),
        SlotOf(&T::SetSelectionFlags),
        SlotOf(&T::GetSelectionFlags),
        SlotOf(&T::TransposeRect),
        SlotOf(&T::SnapToGrid),
        SlotOf(&T::FitToMargins),
        SlotOf(&T::LinkTo),
        SlotOf(&T::IsLinkValid),
        SlotOf(&T::UnlinkAll),
        SlotOf(&T::Unlink),
        SlotOf(&T::GetPrevLinked),
        SlotOf(&T::GetNextLinked),
        SlotOf(&T::IsImageTool),
        SlotOf(&T::IsTextTool),
        SlotOf(&T::IsLinked),
        SlotOf(&T::IsLinkedWith),
        SlotOf(&T::SnapTrackRect),
        SlotOf(&T::ClampTrackRect),
        SlotOf(&T::PassedSnapThreshold),
        SlotOf(&T::PassedDragThreshold),
    };
    ASSERT_EQ(slots.size(), 40u);
    ExpectConsecutiveAfterWindow(slots);
    EXPECT_EQ(slots.front(), kFirstAreaSlot);
    EXPECT_EQ(slots.back(), kLastAreaSlot);
}

}  // namespace
