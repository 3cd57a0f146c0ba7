// The page style's page object: construction from the module's variant,
// the page properties, texts, menu labels, the page window and its
// background.
#include "pagestyle/style_page.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "framework/number_text.h"
#include "framework/plugin_managers.h"
#include "pagestyle/style_strings.h"
#include "platform/ascii.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"

using platform::DC;
using platform::Rect;

// ---- text helpers ------------------------------------------------------------------

namespace stylepage {

void CopyText(const char* text, char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    if (text == nullptr)
        text = "";
    const size_t n = std::min(std::strlen(text), static_cast<size_t>(len - 1));
    std::memcpy(buf, text, n);
    buf[n] = '\0';
}

int ParseBool(const char* text) {
    if (text == nullptr)
        return -1;
    static const char* const kTrue[] = {"Y", "T", "YES", "TRUE", "1"};
    static const char* const kFalse[] = {"N", "F", "NO", "FALSE", "0"};
    for (const char* word : kTrue) {
        if (platform::ascii::EqualsNoCase(text, word))
            return 1;
    }
    for (const char* word : kFalse) {
        if (platform::ascii::EqualsNoCase(text, word))
            return 0;
    }
    return -1;
}

bool ParseMeasurement(const char* text, double* value, int* unit) {
    if (text == nullptr)
        return false;
    double number = 0;
    if (ParseDecimalPrefix(text, &number) == 0)
        return false;
    for (int code = 0; code < UNIT_COUNT; ++code) {
        if (std::strstr(text, UnitSuffixes[code]) != nullptr) {
            *value = number;
            *unit = code;
            return true;
        }
    }
    return false;
}

}  // namespace stylepage

using stylepage::CopyText;

// ---- construction ------------------------------------------------------------------

CStylePage::CStylePage(const PageVariant& variant) : variant_(variant) {
    paper = PaperSize(variant.width, variant.height, variant.unit);
    orientation = variant.orientation;
}

CStylePage::~CStylePage() {
    // The base destroys the areas and the properties view; the snapshots go
    // with the list.
}

void CStylePage::CopyPageSettings(const CTemplatePage* from) {
    const CStylePage* other = dynamic_cast<const CStylePage*>(from);
    if (other == nullptr)
        return;
    author = other->author;
    autoRotate = other->autoRotate;
    autoFill = other->autoFill;
    orientation = other->orientation;
    useBGColor = other->useBGColor;
    color = other->color;
}

void CStylePage::GetMenuStrings(std::vector<std::string>& labels,
                                std::vector<std::string>& extraLabels,
                                std::vector<PageMenuHandler>& extraHandlers) {
    labels.clear();
    extraLabels.clear();
    extraHandlers.clear();
    labels = {StyleString(IDS_PROPERTIES), StyleString(IDS_LINK_TOOLS), StyleString(IDS_CUT),
              StyleString(IDS_COPY), StyleString(IDS_PASTE)};
}

// ---- texts -------------------------------------------------------------------------

void CStylePage::GetPaperName(char* buf, int len) {
    CopyText(StyleString(variant_.paperNameId), buf, len);
}

void CStylePage::GetPaperSizeText(char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    std::snprintf(buf, static_cast<size_t>(len), StyleString(IDS_PAPER_SIZE_FORMAT),
                  paper.GetWidth(), paper.GetHeight(), UnitName(paper.unit));
}

void CStylePage::GetMarginsText(char* buf, int len) {
    if (buf == nullptr || len < 1)
        return;
    const int unit = activeMargins.unit;
    const double factor = UnitFactor(unit);
    const char* name = UnitName(unit);
    std::snprintf(buf, static_cast<size_t>(len), StyleString(IDS_MARGINS_FORMAT),
                  activeMargins.top / factor, name, activeMargins.bottom / factor, name,
                  activeMargins.left / factor, name, activeMargins.right / factor, name);
}

void CStylePage::GetPropertyText(int which, char* buf, int len) {
    switch (which) {
        case 0:
            GetPaperName(buf, len);
            return;
        case 1:
            CopyText(StyleString(orientation != 0 ? IDS_PORTRAIT : IDS_LANDSCAPE), buf, len);
            return;
        case 2:
            CopyText(StyleString(autoRotate != 0 ? IDS_AUTOROTATE_YES : IDS_AUTOROTATE_NO), buf,
                     len);
            return;
        case 3:
            CopyText(StyleString(autoFill != 0 ? IDS_AUTOFILL_YES : IDS_AUTOFILL_NO), buf, len);
            return;
        default:
            CopyText("", buf, len);
            return;
    }
}

// ---- window ------------------------------------------------------------------------

BOOL CStylePage::CreatePage(PendingToolFn pendingTool, ChangedFn changed, MarginsFn margins,
                            platform::Window* parent) {
    // A page has one window; a second call must not turn the paper again.
    if (IsWindow() || parent == nullptr)
        return FALSE;
    if (orientation == ORIENTATION_LANDSCAPE)
        std::swap(paper.width, paper.height);
    if (CTemplatePage::CreatePage(pendingTool, changed, margins, parent))
        return TRUE;
    if (orientation == ORIENTATION_LANDSCAPE)
        std::swap(paper.width, paper.height);
    return FALSE;
}

void CStylePage::DrawBackground(DC* dc) {
    if (dc == nullptr)
        return;
    Rect client;
    GetClientRect(&client);
    platform::Brush solid(color);
    platform::Brush* brush =
        useBGColor == 1 ? &solid : platform::Brush::Stock(platform::WHITE_BRUSH);
    platform::Brush* previous = dc->SelectObject(brush);
    dc->Rectangle(client);
    if (previous != nullptr)
        dc->SelectObject(previous);

    // The shadow: a line along the bottom edge and up the right edge, drawn
    // on the parent just outside the page.
    platform::Window* parent = GetParent();
    if (parent == nullptr)
        return;
    std::unique_ptr<DC> parentDC = parent->GetDC();
    if (!parentDC)
        return;
    const Rect r = GetRectInParent();
    parentDC->MoveTo(r.left + 1, r.bottom);
    parentDC->LineTo(r.right, r.bottom);
    parentDC->LineTo(r.right, r.top + 1);
}

BOOL CStylePage::OnCommand(UINT id, platform::LPARAM lParam) {
    if (id == ID_MENU_SECOND) {
        if (!ToggleLink()) {
            platform::MessageBox(this, StyleString(IDS_LINK_FAILED), {},
                                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
        }
        return TRUE;
    }
    return CTemplatePage::OnCommand(id, lParam);
}

UINT CStylePage::TemplateClipboardFormat() {
    if (host != nullptr) {
        if (host->clipboardFormat == 0) {
            host->clipboardFormat = platform::RegisterClipboardFormat("CBTemplateFormat");
        }
        return host->clipboardFormat;
    }
    return platform::RegisterClipboardFormat("CBTemplateFormat");
}
