// Text on a device context through Pango with grey anti-aliasing: single
// lines, formatted boxes, extents and metrics. Layouts come from the shared
// helper in platform/text_layout.h.
#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>
// glib defines TRUE and FALSE as macros; the platform's own constants take
// their place from here on.
#undef TRUE
#undef FALSE

#include "platform/dc.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "platform/dc_impl.h"
#include "platform/text_layout.h"

// Fontconfig keeps the patterns of every font Pango opened in caches that
// live as long as the process (some reachable only through thread-local
// storage or Pango's worker thread), and loses a little memory while reading
// its configuration. Sanitizer builds tell the leak checker so, for every
// program of the product that draws text: allocations made inside fontconfig
// are not reported.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace platform {

using namespace dcimpl;

BOOL Font::CreatePointFont(int pointSizeTenths, std::string_view faceName, const DC* dc) {
    int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    lf_ = LogFont();
    lf_.height = -static_cast<int>(std::lround(pointSizeTenths / 10.0 * dpi / 72.0));
    lf_.faceName = std::string(faceName);
    return TRUE;
}

// ---- layouts ----------------------------------------------------------------

cairo_t* DC::Impl::TextContext() {
    if (cr)
        return cr;
    if (!scratch) {
        scratchSurface = MakeSurface(1, 1, false);
        scratch = cairo_create(scratchSurface);
    }
    return scratch;
}

PangoLayout* DC::Impl::MakeLayout(cairo_t* c, const LogFont& lf) {
    PangoLayout* layout = CreateTextLayout(c);
    PangoContext* ctx = pango_layout_get_context(layout);
    PangoFontDescription* desc = NewFontDescription(lf.faceName, "Sans", lf.weight, lf.italic);
    double px = EmPixels(ctx, desc, lf);
    pango_font_description_set_absolute_size(desc, std::max(px, 0.0) * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    return layout;
}

double DC::Impl::EmPixels(PangoContext* ctx, PangoFontDescription* desc, const LogFont& lf) {
    if (lf.height < 0)
        return std::min(-static_cast<double>(lf.height), 16384.0);
    if (lf.height == 0)
        return 12.0 * dpiY / 72.0;
    // Positive: the cell height; scale by the face's ascent + descent.
    const double probe = 100.0;
    pango_font_description_set_absolute_size(desc, probe * PANGO_SCALE);
    PangoFontMetrics* m = pango_context_get_metrics(ctx, desc, nullptr);
    double cell = (pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m)) /
                  static_cast<double>(PANGO_SCALE);
    pango_font_metrics_unref(m);
    double h = std::min(static_cast<double>(lf.height), 16384.0);
    return cell > 0 ? h * probe / cell : h;
}

void DC::Impl::ApplyAttributes(PangoLayout* layout, const LogFont& lf, const std::string& text,
                               int mnemonicByte) {
    int start = -1, end = -1;
    if (mnemonicByte >= 0 && mnemonicByte < static_cast<int>(text.size())) {
        const char* next = g_utf8_next_char(text.c_str() + mnemonicByte);
        start = mnemonicByte;
        end = static_cast<int>(next - text.c_str());
    }
    SetTextDecorations(layout, lf.underline, lf.strikeOut, start, end);
}

// ---- text -------------------------------------------------------------------

namespace {

// Removes `&` mnemonic markers: "&&" becomes "&", "&x" underlines x.
std::string StripPrefix(const std::string& text, int* mnemonicByte) {
    std::string out;
    *mnemonicByte = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&' && *mnemonicByte < 0)
                *mnemonicByte = static_cast<int>(out.size());
        } else if (text[i] == '&') {
            continue;  // a lone trailing marker shows nothing
        }
        out += text[i];
    }
    return out;
}

double EscapementRadians(const LogFont& lf) {
    return -lf.escapement / 10.0 * std::numbers::pi / 180.0;  // counter-clockwise on screen
}

struct Extents {
    double w = 0, h = 0, baseline = 0;
};

Extents LayoutExtents(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    Extents e;
    e.w = std::ceil(logical.width / static_cast<double>(PANGO_SCALE));
    e.h = std::ceil(logical.height / static_cast<double>(PANGO_SCALE));
    e.baseline = pango_layout_get_baseline(layout) / static_cast<double>(PANGO_SCALE);
    return e;
}

}  // namespace

BOOL DC::TextOut(int x, int y, std::string_view text) {
    Impl& d = *impl_;
    if (d.st.align & TA_UPDATECP) {
        x = d.st.pos.x;
        y = d.st.pos.y;
    }
    std::string s = ValidUtf8(text);
    if (!d.cr)
        return TRUE;
    PangoLayout* layout = d.MakeLayout(d.cr, d.st.font);
    pango_layout_set_text(layout, s.c_str(), static_cast<int>(s.size()));
    d.ApplyAttributes(layout, d.st.font, s, -1);
    Extents e = LayoutExtents(layout);
    double dx = 0, dy = 0;
    UINT h = d.st.align & (TA_CENTER | TA_RIGHT);
    if (h == TA_CENTER) {
        dx = -std::floor(e.w / 2);
    } else if (h == TA_RIGHT) {
        dx = -e.w;
    }
    UINT v = d.st.align & TA_BASELINE;
    if (v == TA_BASELINE) {
        dy = -std::round(e.baseline);
    } else if (v == TA_BOTTOM) {
        dy = -e.h;
    }
    if (d.Begin()) {
        cairo_translate(d.cr, x, y);
        cairo_rotate(d.cr, EscapementRadians(d.st.font));
        if (d.st.bkMode == OPAQUE) {
            cairo_rectangle(d.cr, dx, dy, e.w, e.h);
            SetColor(d.cr, d.st.bk);
            cairo_fill(d.cr);
        }
        cairo_move_to(d.cr, dx, dy);
        SetColor(d.cr, d.st.text);
        pango_cairo_update_layout(d.cr, layout);
        pango_cairo_show_layout(d.cr, layout);
        d.End();
    }
    if (d.st.align & TA_UPDATECP)
        d.st.pos.x = x + static_cast<int>(e.w);
    g_object_unref(layout);
    return TRUE;
}

int DC::DrawText(std::string_view text, Rect* rect, UINT format) {
    if (!rect)
        return 0;
    Impl& d = *impl_;
    std::string s = ValidUtf8(text);
    // Line ends: one line for DT_SINGLELINE, otherwise CR LF, CR and LF all break.
    {
        std::string t;
        t.reserve(s.size());
        for (size_t i = 0; i < s.size(); ++i) {
            char c = s[i];
            if (c == '\r') {
                if (i + 1 < s.size() && s[i + 1] == '\n')
                    ++i;
                c = '\n';
            }
            if (c == '\n' && (format & DT_SINGLELINE))
                c = ' ';
            t += c;
        }
        s = std::move(t);
    }
    int mnemonic = -1;
    if (!(format & DT_NOPREFIX))
        s = StripPrefix(s, &mnemonic);

    const LogFont& lf = d.st.font;
    const double angle = EscapementRadians(lf);
    const bool turned = std::abs(std::sin(angle)) > std::abs(std::cos(angle));
    Rect box = rect->Normalized();
    const int boxW = turned ? box.Height() : box.Width();
    const int boxH = turned ? box.Width() : box.Height();

    cairo_t* c = d.cr ? d.cr : d.TextContext();
    PangoLayout* layout = d.MakeLayout(c, lf);
    pango_layout_set_text(layout, s.c_str(), static_cast<int>(s.size()));
    d.ApplyAttributes(layout, lf, s, mnemonic);
    const bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
    PangoAlignment align = PANGO_ALIGN_LEFT;
    if (format & DT_CENTER) {
        align = PANGO_ALIGN_CENTER;
    } else if (format & DT_RIGHT) {
        align = PANGO_ALIGN_RIGHT;
    }
    pango_layout_set_alignment(layout, align);
    if (wrap && boxW > 0) {
        pango_layout_set_width(layout, boxW * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    } else if ((format & DT_END_ELLIPSIS) && boxW > 0) {
        pango_layout_set_width(layout, boxW * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    Extents e = LayoutExtents(layout);

    double bx = 0, by = 0;  // block position inside the (turned) box
    if (pango_layout_get_width(layout) < 0) {
        if (format & DT_CENTER) {
            bx = std::floor((boxW - e.w) / 2);
        } else if (format & DT_RIGHT) {
            bx = boxW - e.w;
        }
    }
    if (format & DT_VCENTER) {
        by = std::floor((boxH - e.h) / 2);
    } else if (format & DT_BOTTOM) {
        by = boxH - e.h;
    }
    const int height = static_cast<int>(e.h);
    int result = height;
    if (format & (DT_VCENTER | DT_BOTTOM))
        result = static_cast<int>(by + e.h);

    if (format & DT_CALCRECT) {
        int w = static_cast<int>(wrap ? std::max<double>(e.w, boxW) : e.w);
        if (turned) {
            rect->right = rect->left + height;
            rect->bottom = rect->top + w;
        } else {
            rect->right = rect->left + w;
            rect->bottom = rect->top + height;
        }
        g_object_unref(layout);
        return height;
    }

    if (d.cr && d.Begin()) {
        if (!(format & DT_NOCLIP)) {
            cairo_rectangle(d.cr, box.left, box.top, box.Width(), box.Height());
            cairo_clip(d.cr);
        }
        if (turned || angle != 0) {
            cairo_translate(d.cr, box.left + box.Width() / 2.0, box.top + box.Height() / 2.0);
            cairo_rotate(d.cr, angle);
            cairo_translate(d.cr, -boxW / 2.0, -boxH / 2.0);
        } else {
            cairo_translate(d.cr, box.left, box.top);
        }
        cairo_translate(d.cr, bx, by);
        if (d.st.bkMode == OPAQUE) {
            // Fill behind each line, as wide as the line's own extent.
            PangoLayoutIter* it = pango_layout_get_iter(layout);
            do {
                PangoRectangle line;
                pango_layout_iter_get_line_extents(it, nullptr, &line);
                double lx = std::floor(line.x / static_cast<double>(PANGO_SCALE));
                double ly = std::floor(line.y / static_cast<double>(PANGO_SCALE));
                double lw =
                    std::ceil((line.x + line.width) / static_cast<double>(PANGO_SCALE)) - lx;
                double lh =
                    std::ceil((line.y + line.height) / static_cast<double>(PANGO_SCALE)) - ly;
                cairo_rectangle(d.cr, lx, ly, lw, lh);
            } while (pango_layout_iter_next_line(it));
            pango_layout_iter_free(it);
            SetColor(d.cr, d.st.bk);
            cairo_fill(d.cr);
        }
        cairo_move_to(d.cr, 0, 0);
        SetColor(d.cr, d.st.text);
        pango_cairo_update_layout(d.cr, layout);
        pango_cairo_show_layout(d.cr, layout);
        d.End();
    }
    g_object_unref(layout);
    return result;
}

Size DC::GetTextExtent(std::string_view text) const {
    Impl& d = *impl_;
    std::string s = ValidUtf8(text);
    PangoLayout* layout = d.MakeLayout(d.TextContext(), d.st.font);
    pango_layout_set_text(layout, s.c_str(), static_cast<int>(s.size()));
    d.ApplyAttributes(layout, d.st.font, s, -1);
    Extents e = LayoutExtents(layout);
    g_object_unref(layout);
    return {static_cast<int>(e.w), static_cast<int>(e.h)};
}

BOOL DC::GetTextMetrics(TextMetric* tm) const {
    if (!tm)
        return FALSE;
    Impl& d = *impl_;
    PangoLayout* layout = d.MakeLayout(d.TextContext(), d.st.font);
    PangoContext* ctx = pango_layout_get_context(layout);
    const PangoFontDescription* desc = pango_layout_get_font_description(layout);
    PangoFontMetrics* m = pango_context_get_metrics(ctx, desc, nullptr);
    auto px = [](int v) {
        return static_cast<int>(std::ceil(v / static_cast<double>(PANGO_SCALE)));
    };
    tm->ascent = px(pango_font_metrics_get_ascent(m));
    tm->descent = px(pango_font_metrics_get_descent(m));
    tm->height = tm->ascent + tm->descent;
    int em = static_cast<int>(
        std::lround(pango_font_description_get_size(desc) / static_cast<double>(PANGO_SCALE)));
    tm->internalLeading = std::max(0, tm->height - em);
    tm->externalLeading = 0;
    tm->aveCharWidth = px(pango_font_metrics_get_approximate_char_width(m));
    tm->maxCharWidth = std::max(tm->aveCharWidth, em);
    pango_font_metrics_unref(m);
    g_object_unref(layout);
    return TRUE;
}

}  // namespace platform
