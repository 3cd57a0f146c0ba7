// Text drawing on Pango. The text is laid out and rendered into a transparent
// image that covers only the visible part of the box, and the image is
// blended onto the device context at the box's place: the DC keeps applying
// its own origin and clip, and a huge or hostile box never costs more memory
// than the visible area.
#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>
// glib defines TRUE and FALSE as macros; the platform's own constants take
// their place from here on.
#undef TRUE
#undef FALSE

#include "engine/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/text_layout.h"

namespace {

// Character heights above this many pixels are drawn at this height: glyph
// images grow with the square of the size, and nothing larger is ever shown.
constexpr double kMaxEmPixels = 2048.0;
// Layout widths are held below this many pixels (Pango counts in 1/1024
// pixel in an int).
constexpr int kMaxLayoutPixels = 1000000;

// Rotation as a quarter-turn count (0..3); angles other than 90, 180 and 270
// (after reduction to 0..359) draw unturned.
int QuarterTurns(int degrees) {
    int d = degrees % 360;
    if (d < 0)
        d += 360;
    switch (d) {
        case 90:
            return 1;
        case 180:
            return 2;
        case 270:
            return 3;
        default:
            return 0;
    }
}

// The face of the style `styleName` in the family that `desc` resolves to,
// described (weight, slant, width) in `desc`. False when the family has no
// face of that name.
bool ApplyStyleName(PangoContext* ctx, PangoFontDescription* desc, const std::string& styleName) {
    if (styleName.empty())
        return false;
    PangoFont* font = pango_context_load_font(ctx, desc);
    if (font == nullptr)
        return false;
    bool applied = false;
    PangoFontFace* resolved = pango_font_get_face(font);
    PangoFontFamily* family = resolved ? pango_font_face_get_family(resolved) : nullptr;
    if (family != nullptr) {
        PangoFontFace** faces = nullptr;
        int count = 0;
        pango_font_family_list_faces(family, &faces, &count);
        for (int i = 0; i < count && !applied; ++i) {
            const char* name = pango_font_face_get_face_name(faces[i]);
            if (name == nullptr || g_ascii_strcasecmp(name, styleName.c_str()) != 0)
                continue;
            PangoFontDescription* faceDesc = pango_font_face_describe(faces[i]);
            if (faceDesc != nullptr) {
                pango_font_description_set_family(desc, pango_font_family_get_name(family));
                pango_font_description_set_weight(desc,
                                                  pango_font_description_get_weight(faceDesc));
                pango_font_description_set_style(desc, pango_font_description_get_style(faceDesc));
                pango_font_description_set_stretch(desc,
                                                   pango_font_description_get_stretch(faceDesc));
                pango_font_description_free(faceDesc);
                applied = true;
            }
        }
        g_free(faces);
    }
    g_object_unref(font);
    return applied;
}

}  // namespace

BOOL CDraw::Init(platform::DC* dc) {
    dc_ = nullptr;
    width_ = height_ = 0;
    if (dc == nullptr || dc->surface() == nullptr)
        return FALSE;
    dc_ = dc;
    const platform::Size size = dc->GetSurfaceSize();
    SetSize(size.cx, size.cy);
    return TRUE;
}

void CDraw::Release() {
    dc_ = nullptr;
    width_ = height_ = 0;
}

void CDraw::SetSize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

BOOL CDraw::Clear(COLORREF color) {
    if (dc_ == nullptr)
        return FALSE;
    platform::Brush brush(color);
    dc_->FillRect(platform::Rect(0, 0, width_, height_), &brush);
    return TRUE;
}

int CDraw::GetVRes() const {
    if (dc_ == nullptr)
        return 96;
    const int v = dc_->GetDeviceCaps(platform::LOGPIXELSY);
    return v > 0 ? v : 96;
}

BOOL CDraw::DrawTextA(int x, int y, int w, int h, const CTextObject* text, platform::DC* dc) {
    if (dc == nullptr)
        dc = dc_;
    if (dc == nullptr || text == nullptr)
        return FALSE;
    if (w <= 0 || h <= 0 || text->Fontsize <= 0 || text->Text.empty())
        return TRUE;

    // The visible part of the box, in logical pixels (64-bit: x + w may pass
    // the int range for a damaged rectangle).
    platform::Rect clip;
    if (dc->GetClipBox(&clip) == platform::NULLREGION)
        return TRUE;
    const std::int64_t boxRight = static_cast<std::int64_t>(x) + w;
    const std::int64_t boxBottom = static_cast<std::int64_t>(y) + h;
    const std::int64_t left = std::max<std::int64_t>(x, clip.left);
    const std::int64_t top = std::max<std::int64_t>(y, clip.top);
    const std::int64_t right = std::min<std::int64_t>(boxRight, clip.right);
    const std::int64_t bottom = std::min<std::int64_t>(boxBottom, clip.bottom);
    if (right <= left || bottom <= top)
        return TRUE;
    const int visW = static_cast<int>(right - left);
    const int visH = static_cast<int>(bottom - top);

    int vres = dc->GetDeviceCaps(platform::LOGPIXELSY);
    if (vres <= 0)
        vres = 96;
    const double em = std::min(text->Fontsize * static_cast<double>(vres) / 72.0, kMaxEmPixels);
    if (em <= 0)
        return TRUE;

    platform::Bitmap block(visW, visH, true);  // fully transparent
    if (block.IsEmpty())
        return FALSE;
    cairo_t* cr = cairo_create(block.surface());
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return FALSE;
    }

    PangoLayout* layout = platform::CreateTextLayout(cr);
    PangoContext* ctx = pango_layout_get_context(layout);
    PangoFontDescription* desc =
        platform::NewFontDescription(text->Facename, "Arial", text->Weight, text->Italic);
    pango_font_description_set_absolute_size(desc, em * PANGO_SCALE);
    ApplyStyleName(ctx, desc, platform::ValidUtf8(text->Stylename));
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);

    const std::string body = platform::ValidUtf8(text->Text);
    pango_layout_set_text(layout, body.c_str(), static_cast<int>(body.size()));
    platform::SetTextDecorations(layout, text->Underline, text->Strikeout);

    // Quarter turns lay the lines out along the box's height.
    const int turns = QuarterTurns(text->Rotate);
    const int lineWidth = std::min(turns % 2 ? h : w, kMaxLayoutPixels);
    pango_layout_set_width(layout, lineWidth * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    PangoAlignment align = PANGO_ALIGN_LEFT;
    if (text->Justify == 1)
        align = PANGO_ALIGN_CENTER;
    if (text->Justify == 2)
        align = PANGO_ALIGN_RIGHT;
    pango_layout_set_alignment(layout, align);

    // Box coordinates relative to the image, then the turn: the layout's top
    // left goes to the box corner where the turned text starts.
    cairo_translate(cr, static_cast<double>(x - left), static_cast<double>(y - top));
    switch (turns) {
        case 1:  // reads upwards: starts at the bottom left
            cairo_translate(cr, 0, h);
            cairo_rotate(cr, -M_PI / 2);
            break;
        case 2:
            cairo_translate(cr, w, h);
            cairo_rotate(cr, M_PI);
            break;
        case 3:  // reads downwards: starts at the top right
            cairo_translate(cr, w, 0);
            cairo_rotate(cr, M_PI / 2);
            break;
        default:
            break;
    }
    const COLORREF c = text->TextColor;
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    pango_cairo_update_layout(cr, layout);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(block.surface());
    block.MarkDirty();

    // Blend the image onto the DC, which applies its own origin and clip.
    return dc->DrawBitmap(static_cast<int>(left), static_cast<int>(top), block);
}
