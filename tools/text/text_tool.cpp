#include "tools/text/text_tool.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/draw.h"
#include "engine/xml_tree.h"
#include "framework/template_page.h"
#include "platform/saturate.h"
#include "tools/common/area_frame.h"
#include "tools/common/area_xml.h"
#include "tools/text/text_resources.h"
#include "tools/text/text_settings.h"

using platform::DC;
using platform::Rect;

namespace {

CTextTool::PropertiesRunner g_propertiesRunner = nullptr;

// The line break of the template file.
constexpr const char kFileLineBreak[] = "\\p\\";

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
}

// Text as stored in the file: line breaks as "\p\", then '&', '>' and '<' as
// entities (so a '&' the user typed never reads as the start of one).
std::string EscapeText(const std::string& text) {
    std::string s = text;
    ReplaceAll(s, "\r\n", kFileLineBreak);
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '<':
                out += "&lt;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

// The fields a `Bool`, `Int` or `String` element of `Content` sets.
struct BoolField {
    const char* attributes;
    int CTextObject::*field;
};
struct IntField {
    const char* attributes;
    int CTextObject::*field;
};
struct ColorField {
    const char* attributes;
    COLORREF CTextObject::*field;
};

const BoolField kBoolFields[] = {
    {"id=\"UseTextData\"", &CTextObject::UseTextData},
    {"id=\"Italic\"", &CTextObject::Italic},
    {"id=\"Bold\"", &CTextObject::Bold},
    {"id=\"Underline\"", &CTextObject::Underline},
    {"id=\"Strikeout\"", &CTextObject::Strikeout},
    {"id=\"UseBGColor\"", &CTextObject::UseBGColor},
};
const IntField kIntFields[] = {
    {"id=\"Rotate\"", &CTextObject::Rotate},
    {"id=\"Fontsize\"", &CTextObject::Fontsize},
    {"id=\"Weight\"", &CTextObject::Weight},
    {"id=\"Justify\"", &CTextObject::Justify},
};
const ColorField kColorFields[] = {
    {"id=\"TextColor\"", &CTextObject::TextColor},
    {"id=\"BGColor\"", &CTextObject::BGColor},
};

void ReadContent(const CXMLTreeNode* content, CTextObject* t) {
    for (const CXMLTreeNode* child = content->GetFirstChild(); child != nullptr;
         child = child->GetNextSibling()) {
        const std::string name = areaxml::NameOf(child);
        const std::string attributes = areaxml::AttributesOf(child);
        if (name == "String") {
            if (attributes == "id=\"Text\"") {
                // The text is read whole, however long: the writer saves it
                // whole, so a cut here would lose the rest at the next save.
                std::string text = XMLNodeContent(child);
                ReplaceAll(text, kFileLineBreak, "\r\n");
                t->Text = std::move(text);
            } else if (attributes == "id=\"Facename\"") {
                t->Facename = areaxml::ContentOf(child, areaxml::kLongText);
            } else if (attributes == "id=\"Stylename\"") {
                t->Stylename = areaxml::ContentOf(child, areaxml::kLongText);
            }
        } else if (name == "Bool") {
            for (const BoolField& f : kBoolFields) {
                if (attributes != f.attributes)
                    continue;
                const int truth = areaxml::ParseTruth(areaxml::ContentOf(child));
                if (truth >= 0)
                    t->*f.field = truth;
                break;
            }
        } else if (name == "Int") {
            for (const IntField& f : kIntFields) {
                if (attributes == f.attributes) {
                    t->*f.field = areaxml::ParseInteger(areaxml::ContentOf(child));
                }
            }
            for (const ColorField& f : kColorFields) {
                if (attributes == f.attributes) {
                    t->*f.field =
                        static_cast<COLORREF>(areaxml::ParseInteger(areaxml::ContentOf(child)));
                }
            }
        }
    }
}

}  // namespace

void CTextTool::SetPropertiesRunner(PropertiesRunner runner) {
    g_propertiesRunner = runner;
}

CTextTool::CTextTool() : placeholder(textres::LoadBitmap(textres::IDB_PLACEHOLDER)) {
    rect = ToolRect(0.0, 0.0, 2.0, 1.5, UNIT_INCHES);
    textObject.UseTextData = 0;
    textObject.BGColor = 0xFFFFFF;
    textObject.UseBGColor = 1;
}

CTextTool::~CTextTool() = default;

platform::HICON CTextTool::GetToolIcon() {
    if (icon != nullptr)
        return icon;
    return textres::LoadIcon(textres::IDI_TOOL);
}

platform::HCURSOR CTextTool::GetToolCursor() {
    if (cursor == nullptr)
        cursor = textres::LoadCursor(textres::IDC_TOOL);
    return cursor;
}

void CTextTool::GetMenuStrings(std::vector<std::string>& labels,
                               std::vector<std::string>& extraLabels,
                               std::vector<ToolMenuHandler>& extraHandlers) {
    labels.clear();
    for (int id :
         {textres::IDS_MENU_PROPERTIES, textres::IDS_MENU_TO_FRONT, textres::IDS_MENU_TO_BACK,
          textres::IDS_MENU_FORWARD, textres::IDS_MENU_BACKWARD}) {
        labels.emplace_back(textres::LoadString(id));
    }
    extraLabels.clear();
    extraHandlers.clear();
}

CXMLTreeNode* CTextTool::WriteXML() {
    char name[areaxml::kShortText] = {};
    GetToolName(name, sizeof name);
    CXMLTreeNode* tool = NewNode("Tool", "", nullptr, nullptr);
    if (tool == nullptr)
        return nullptr;
    auto fail = [tool]() -> CXMLTreeNode* {
        delete tool;
        return nullptr;
    };
    if (NewNode("Name", "", name, tool) == nullptr)
        return fail();
    if (areaxml::WriteProperties(rect, tool) == nullptr)
        return fail();
    const CTextObject& t = textObject;
    if (t.UseTextData == 0)
        return tool;

    CXMLTreeNode* content = NewNode("Content", "", nullptr, tool);
    if (content == nullptr)
        return fail();
    bool ok = true;
    if (!t.Text.empty())
        ok = NewStringNode("Text", EscapeText(t.Text).c_str(), content) != nullptr;
    ok = ok && NewStringNode("Facename", t.Facename.c_str(), content) != nullptr;
    if (ok && !t.Stylename.empty()) {
        ok = NewStringNode("Stylename", t.Stylename.c_str(), content) != nullptr;
    }
    ok = ok && NewBoolNode("UseTextData", t.UseTextData == 1, content) != nullptr;
    ok = ok && NewIntNode("Rotate", t.Rotate, content) != nullptr;
    ok = ok && NewIntNode("Fontsize", t.Fontsize, content) != nullptr;
    ok = ok && NewIntNode("Weight", t.Weight, content) != nullptr;
    ok = ok && NewBoolNode("Italic", t.Italic == 1, content) != nullptr;
    ok = ok && NewBoolNode("Bold", t.Bold == 1, content) != nullptr;
    ok = ok && NewBoolNode("Underline", t.Underline == 1, content) != nullptr;
    ok = ok && NewBoolNode("Strikeout", t.Strikeout == 1, content) != nullptr;
    ok = ok && NewBoolNode("UseBGColor", t.UseBGColor == 1, content) != nullptr;
    ok = ok && NewIntNode("TextColor", static_cast<int>(t.TextColor), content) != nullptr;
    ok = ok && NewIntNode("BGColor", static_cast<int>(t.BGColor), content) != nullptr;
    ok = ok && NewIntNode("Justify", t.Justify, content) != nullptr;
    return ok ? tool : fail();
}

BOOL CTextTool::ReadXML(CXMLTreeNode* node) {
    char name[areaxml::kShortText] = {};
    GetToolName(name, sizeof name);
    if (!areaxml::IsToolNamed(node, name))
        return FALSE;
    CXMLTreeNode* nameNode = node->FindName("Name");
    CXMLTreeNode* parent = nameNode->GetParent();
    CXMLTreeNode* properties = parent != nullptr ? parent->FindName("Properties") : nullptr;
    if (properties == nullptr)
        return FALSE;
    rect = areaxml::ReadProperties(properties);

    CXMLTreeNode* top = properties->GetParent();
    if (top == nullptr)
        return FALSE;
    CXMLTreeNode* content = top->FindName("Content");
    if (content == nullptr)
        return TRUE;
    ReadContent(content, &textObject);
    return TRUE;
}

void CTextTool::GetToolName(char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    const char* name = textres::LoadString(textres::IDS_TOOL_NAME);
    const size_t n = std::min(std::strlen(name), static_cast<size_t>(len - 1));
    std::memcpy(buf, name, n);
    buf[n] = '\0';
}

int CTextTool::ScreenFontSize(int points, double pixelsPerUnit, int vres) {
    if (vres <= 0)
        vres = 96;
    // Tenths of internal units, whole internal units first.
    const long long a = (static_cast<long long>(points) * 2540 / 72) * 10;
    // Tenths of pixels, truncated towards zero (held well inside 64 bits,
    // so the products below cannot overflow; NaN gives 0).
    constexpr long long kMaxTenths = 1'000'000'000'000'000;
    const long long p = platform::SaturateCast<long long>(static_cast<double>(a) * pixelsPerUnit,
                                                          -kMaxTenths, kMaxTenths);
    long long t = p * 72 / vres;
    if (t < 2)
        t = 2;
    const long long size = t / 10;
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

double CTextTool::PageScale() {
    if (page == nullptr)
        return 0;
    Rect window;
    page->GetWindowRect(&window);
    const double w = page->paper.width;
    const double h = page->paper.height;
    const double sx = w > 0 ? window.Width() / w : 0;
    const double sy = h > 0 ? window.Height() / h : 0;
    return std::max(sx, sy);
}

void CTextTool::Draw(DC* dc) {
    if (dc == nullptr)
        return;
    Rect r;
    GetRectInPage(&r);
    const CTextObject& t = textObject;
    if (t.UseTextData == 1 && t.UseBGColor == 1) {
        platform::Brush background(t.BGColor);
        dc->FillRect(r, &background);
    }
    bool drawn = false;
    if (t.UseTextData != 0 && !t.Text.empty()) {
        CDraw draw;
        if (draw.Init(dc)) {
            CTextObject copy = t;
            copy.Fontsize = ScreenFontSize(t.Fontsize, PageScale(), draw.GetVRes());
            draw.DrawTextA(r.left, r.top, r.Width(), r.Height(), &copy, dc);
            draw.Release();
            drawn = true;
        }
    }
    if (!drawn)
        DrawPlaceholder(dc, r);
    areaframe::DrawSelectionFrame(dc, r, flags);
}

void CTextTool::DrawPlaceholder(DC* dc, const Rect& r) {
    // The page's own clip comes back afterwards, not just "no clip".
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(r);
    if (!placeholder.IsEmpty())
        dc->DrawBitmap(r.left + 4, r.top + 4, placeholder);
    if (saved > 0) {
        dc->RestoreDC(saved);
    } else {
        dc->SelectClipRgn(nullptr);
    }
    if (textObject.UseTextData != 0) {
        // A small plus sign at the top right: content is on but empty.
        dc->MoveTo(r.right - 10, r.top + 6);
        dc->LineTo(r.right - 3, r.top + 6);
        dc->MoveTo(r.right - 7, r.top + 3);
        dc->LineTo(r.right - 7, r.top + 10);
    }
}

void CTextTool::DrawOutline(DC* dc) {
    if (dc == nullptr)
        return;
    Rect r;
    GetRectInPage(&r);
    areaframe::DrawDottedOutline(dc, r, flags);
    DrawLinkLine(dc);
    DrawOrderNumber(dc);
}

void CTextTool::DrawLinkLine(DC* dc) {
    (void)dc;
}

void CTextTool::EditProperties() {
    if (g_propertiesRunner == nullptr)
        return;
    CTextObject text = textObject;
    ToolRect r = rect;
    if (!g_propertiesRunner(this, &text, &r))
        return;
    ApplyProperties(text, r);
}

BOOL CTextTool::ApplyProperties(const CTextObject& text, const ToolRect& r) {
    bool changed = false;
    if (!(text == textObject)) {
        textObject = text;
        CTextObject& t = textObject;
        if (t.UseTextData != 0 && !t.Text.empty() && t.Facename.empty()) {
            t.Facename = textres::LoadString(textres::IDS_DEFAULT_FACE);
            if (t.Fontsize <= 0)
                t.Fontsize = 12;
            if (t.Weight <= 0)
                t.Weight = 400;
        }
        changed = true;
    }
    if (SetToolRect(r))
        changed = true;
    if (page != nullptr && changed) {
        UpdateWindowPos();
        page->SetModified();
        page->InvalidateRect(nullptr, FALSE);
    }
    return changed ? TRUE : FALSE;
}

BOOL CTextTool::IsLinkValid() {
    int size = 1;
    if (page != nullptr) {
        size = page->GetGroupSize(this);
    } else if (IsLinked()) {
        size = 2;
    }
    if (size <= 1)
        return TRUE;
    char own[256] = {};
    GetToolName(own, sizeof own);
    // Bounded walk: a damaged ring must not hang the Designer.
    int steps = 0;
    for (CTemplateTool* t = GetNextLinked(); t != nullptr && t != this && steps < (1 << 20);
         t = t->GetNextLinked(), ++steps) {
        char other[256] = {};
        t->GetToolName(other, sizeof other);
        other[sizeof other - 1] = '\0';
        if (std::strcmp(own, other) != 0)
            return TRUE;
    }
    return FALSE;
}

BOOL CTextTool::IsTextTool() {
    return TRUE;
}
