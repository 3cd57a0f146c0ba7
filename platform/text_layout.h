// Pango text layouts set up one way wherever the system draws text (the
// device context and the engine's text boxes): grey anti-aliasing, unhinted
// metrics, slight hinting, 96 pixels per inch, and fonts described by face,
// weight and slant.
#pragma once

#include <string>
#include <string_view>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace platform {

// Text as Pango takes it: zero bytes become spaces and bytes that are not
// UTF-8 become replacement characters. Text inside the program is UTF-8,
// but drawing never trusts it.
std::string ValidUtf8(std::string_view text);

// A new layout on `cr` with the system's font options. The caller releases
// it with g_object_unref.
PangoLayout* CreateTextLayout(cairo_t* cr);

// A font description of the family `face` (`fallbackFace` when `face` is
// empty once made valid UTF-8), `weight` (100 to 1000; 0 or less is the
// normal 400) and upright or italic slant, without a size. The caller frees
// it with pango_font_description_free.
PangoFontDescription* NewFontDescription(std::string_view face, const char* fallbackFace,
                                         int weight, bool italic);

// Sets the layout's attributes: underline and strike-out over the whole text,
// and with `underlineStart` >= 0 an underline of the bytes from
// `underlineStart` to `underlineEnd` (a mnemonic character).
void SetTextDecorations(PangoLayout* layout, bool underline, bool strikeOut,
                        int underlineStart = -1, int underlineEnd = -1);

}  // namespace platform
