#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>
// glib defines TRUE and FALSE as macros; the platform's own constants take
// their place from here on.
#undef TRUE
#undef FALSE

#include "platform/text_layout.h"

#include <algorithm>
#include <cstring>

namespace platform {

std::string ValidUtf8(std::string_view text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) &&
        std::memchr(text.data(), 0, text.size()) == nullptr) {
        return std::string(text);
    }
    std::string cleaned(text);
    std::replace(cleaned.begin(), cleaned.end(), '\0', ' ');
    gchar* valid = g_utf8_make_valid(cleaned.data(), static_cast<gssize>(cleaned.size()));
    std::string out(valid ? valid : "");
    g_free(valid);
    return out;
}

PangoLayout* CreateTextLayout(cairo_t* cr) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoContext* ctx = pango_layout_get_context(layout);
    cairo_font_options_t* opts = cairo_font_options_create();
    cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(opts, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(ctx, opts);
    cairo_font_options_destroy(opts);
    pango_cairo_context_set_resolution(ctx, 96.0);
    // The context changed after the layout was made on it.
    pango_layout_context_changed(layout);
    return layout;
}

PangoFontDescription* NewFontDescription(std::string_view face, const char* fallbackFace,
                                         int weight, bool italic) {
    PangoFontDescription* desc = pango_font_description_new();
    const std::string family = ValidUtf8(face);
    pango_font_description_set_family(desc, family.empty() ? fallbackFace : family.c_str());
    weight = weight <= 0 ? 400 : std::clamp(weight, 100, 1000);
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(desc, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return desc;
}

void SetTextDecorations(PangoLayout* layout, bool underline, bool strikeOut, int underlineStart,
                        int underlineEnd) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (underline)
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (strikeOut)
        pango_attr_list_insert(attrs, pango_attr_strikethrough_new(1));
    if (underlineStart >= 0) {
        PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        u->start_index = static_cast<guint>(underlineStart);
        u->end_index = static_cast<guint>(underlineEnd);
        pango_attr_list_insert(attrs, u);
    }
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
}

}  // namespace platform
