#include "tools/image/image_tool.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/xml_tree.h"
#include "framework/template_page.h"
#include "tools/common/area_frame.h"
#include "tools/common/area_xml.h"

using platform::DC;
using platform::Rect;

namespace image_res {
extern const unsigned char image_icon_png[];
extern const std::size_t image_icon_png_size;
extern const unsigned char image_cursor_png[];
extern const std::size_t image_cursor_png_size;
}  // namespace image_res

namespace imageres {

platform::HICON ToolIcon() {
    static std::unique_ptr<platform::Cursor> icon;
    static std::once_flag once;
    std::call_once(once, [] {
        icon = platform::Cursor::FromPng(image_res::image_icon_png, image_res::image_icon_png_size);
    });
    return icon.get();
}

platform::HCURSOR ToolCursor() {
    static std::unique_ptr<platform::Cursor> cursor;
    static std::once_flag once;
    std::call_once(once, [] {
        cursor = platform::Cursor::FromPng(image_res::image_cursor_png,
                                           image_res::image_cursor_png_size, {8, 8});
    });
    return cursor.get();
}

}  // namespace imageres

namespace {

CImageArea::PropertiesRunner g_propertiesRunner = nullptr;

// Room the label needs beside the icon: the icon, a gap and one line of text.
constexpr int kIconSize = 16;
constexpr int kLabelGap = 4;
constexpr int kLabelPoints = 8;

}  // namespace

void CImageArea::SetPropertiesRunner(PropertiesRunner runner) {
    g_propertiesRunner = runner;
}

CImageArea::CImageArea() {
    rect = ToolRect(0.0, 0.0, 3.0, 2.0, UNIT_INCHES);
}

CImageArea::~CImageArea() = default;

platform::HICON CImageArea::GetToolIcon() {
    return icon != nullptr ? icon : imageres::ToolIcon();
}

platform::HCURSOR CImageArea::GetToolCursor() {
    if (cursor == nullptr)
        cursor = imageres::ToolCursor();
    return cursor;
}

void CImageArea::GetMenuStrings(std::vector<std::string>& labels,
                                std::vector<std::string>& extraLabels,
                                std::vector<ToolMenuHandler>& extraHandlers) {
    labels = {"&Properties...", "Move to Front", "Move to Back", "Move Forward", "Move Back"};
    extraLabels.clear();
    extraHandlers.clear();
}

CXMLTreeNode* CImageArea::WriteXML() {
    CXMLTreeNode* tool = NewNode("Tool", "", nullptr, nullptr);
    if (tool == nullptr)
        return nullptr;
    if (NewNode("Name", "", imageres::kToolName, tool) == nullptr ||
        areaxml::WriteProperties(rect, tool) == nullptr) {
        delete tool;
        return nullptr;
    }
    return tool;
}

BOOL CImageArea::ReadXML(CXMLTreeNode* node) {
    if (!areaxml::IsToolNamed(node, imageres::kToolName))
        return FALSE;
    const CXMLTreeNode* properties = node->FindName("Properties");
    if (properties == nullptr)
        return FALSE;
    rect = areaxml::ReadProperties(properties);
    return TRUE;
}

void CImageArea::GetToolName(char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    const size_t n = std::min(std::strlen(imageres::kToolName), static_cast<size_t>(len - 1));
    std::memcpy(buf, imageres::kToolName, n);
    buf[n] = '\0';
}

void CImageArea::Draw(DC* dc) {
    if (dc == nullptr)
        return;
    Rect r;
    GetRectInPage(&r);
    if (r.IsEmpty())
        return;
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(r);

    platform::Brush fill(kFillColor);
    dc->FillRect(r, &fill);
    // A light inner frame where there is room for one.
    Rect inner = r;
    inner.Deflate(3, 3);
    if (inner.Width() > 8 && inner.Height() > 8) {
        platform::Brush line(kLineColor);
        dc->FrameRect(inner, &line);
    }

    // The picture icon, with the label under it when both fit; in a small
    // area the icon sits at the top left and is cut by the area's edge.
    const COLORREF oldText = dc->SetTextColor(kLabelColor);
    const int oldMode = dc->SetBkMode(platform::TRANSPARENT);
    platform::Font font;
    font.CreatePointFont(kLabelPoints * 10, "Arial", dc);
    platform::Font* oldFont = dc->SelectObject(&font);
    const platform::Size label = dc->GetTextExtent(imageres::kToolName);
    const int blockH = kIconSize + kLabelGap + label.cy;
    const bool roomForLabel = r.Width() >= label.cx + 12 && r.Height() >= blockH + 12;
    const bool roomForIcon = r.Width() >= kIconSize + 8 && r.Height() >= kIconSize + 8;
    const int iconX = roomForIcon ? r.left + (r.Width() - kIconSize) / 2 : r.left + 4;
    int iconY = roomForIcon ? r.top + (r.Height() - kIconSize) / 2 : r.top + 4;
    if (roomForLabel)
        iconY = r.top + (r.Height() - blockH) / 2;
    if (platform::HICON picture = imageres::ToolIcon())
        dc->DrawIcon(iconX, iconY, picture);
    if (roomForLabel) {
        Rect text(r.left, iconY + kIconSize + kLabelGap, r.right, iconY + blockH);
        dc->DrawText(imageres::kToolName, &text,
                     platform::DT_CENTER | platform::DT_SINGLELINE | platform::DT_NOPREFIX);
    }
    if (oldFont != nullptr)
        dc->SelectObject(oldFont);
    dc->SetBkMode(oldMode);
    dc->SetTextColor(oldText);
    if (saved > 0) {
        dc->RestoreDC(saved);
    } else {
        dc->SelectClipRgn(nullptr);
    }
    areaframe::DrawSelectionFrame(dc, r, flags);
}

void CImageArea::DrawOutline(DC* dc) {
    if (dc == nullptr)
        return;
    Rect r;
    GetRectInPage(&r);
    areaframe::DrawDottedOutline(dc, r, flags);
    CTemplateTool::DrawOutline(dc);  // the link line and the order number
}

void CImageArea::EditProperties() {
    if (g_propertiesRunner == nullptr)
        return;
    ToolRect r = rect;
    if (g_propertiesRunner(this, &r))
        ApplyProperties(r);
}

BOOL CImageArea::ApplyProperties(const ToolRect& r) {
    if (!SetToolRect(r))
        return FALSE;
    if (page != nullptr) {
        UpdateWindowPos();
        page->SetModified();
        page->InvalidateRect(nullptr, FALSE);
    }
    return TRUE;
}

BOOL CImageArea::IsImageTool() {
    return TRUE;
}
