// The device context's inside, shared by the files that implement it:
// platform/dc.cpp (state, primitives, clip and copies), platform/dc_text.cpp
// (text) and platform/dc_bitmap.cpp (bitmaps and PNG). Private to platform/.
// Include after <cairo.h> and <pango/pangocairo.h> (with glib's TRUE and
// FALSE undefined), as those files do.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dc.h"

namespace platform {

namespace dcimpl {

// Bitmaps above this many pixels on a side are refused (Cairo's own limit).
constexpr int kMaxSide = 32767;
// ... and above this many pixels in all (1 GiB of pixel memory).
constexpr long long kMaxPixels = 1LL << 28;

void SetColor(cairo_t* cr, COLORREF c);
// A colour from a raw surface pixel; with `alpha`, premultiplied values are
// divided out again.
COLORREF FromRaw(std::uint32_t v, bool alpha);
// An image surface of the size asked, or of size 0 x 0 when it is too big.
cairo_surface_t* MakeSurface(int w, int h, bool alpha);
bool SurfaceOk(cairo_surface_t* s);
int SurfaceWidth(cairo_surface_t* s);
int SurfaceHeight(cairo_surface_t* s);
// The font a new DC starts with, and the 1 x 1 bitmap a memory DC holds
// until one is selected.
Font* DefaultFont();
Bitmap* StockBitmap();

}  // namespace dcimpl

struct DCState {
    Pen pen;
    Pen* penSel = nullptr;
    Brush brush;
    Brush* brushSel = nullptr;
    LogFont font;
    Font* fontSel = nullptr;
    COLORREF text = RGB(0, 0, 0);
    COLORREF bk = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT align = TA_LEFT | TA_TOP;
    int stretchMode = COLORONCOLOR;
    Point pos;
    int styleStep = 0;  // position in the styled pen's pattern along a polyline
    Point org;
    bool hasClip = false;
    Rect clip;  // device pixels
};

struct DC::Impl {
    cairo_surface_t* surface = nullptr;  // referenced
    cairo_t* cr = nullptr;
    Bitmap* bitmap = nullptr;  // selected bitmap of a memory DC
    bool hasBase = false;
    Rect base;  // device pixels
    Point baseOrigin;
    DCState st;
    std::vector<DCState> saved;
    int dpiX = 96;
    int dpiY = 96;
    cairo_surface_t* scratchSurface = nullptr;
    cairo_t* scratch = nullptr;

    ~Impl();

    void Detach();
    void Attach(cairo_surface_t* s);
    void ResetState();

    Rect SurfaceRect() const {
        return Rect(0, 0, dcimpl::SurfaceWidth(surface), dcimpl::SurfaceHeight(surface));
    }

    // The area drawing may touch, in device pixels.
    Rect Effective() const;

    // Prepares Cairo for one primitive in logical coordinates; false when
    // nothing can be drawn.
    bool Begin();
    void End() { cairo_restore(cr); }

    // ---- primitives (platform/dc.cpp) ----------------------------------------
    // One pixel in logical coordinates, added to the current path.
    static void PixelPath(cairo_t* c, int x, int y) { cairo_rectangle(c, x, y, 1, 1); }
    // A 1-pixel line with the pen's style, end point excluded; the pattern
    // continues from the previous segment.
    void ThinLine(int x0, int y0, int x1, int y1);
    // Adds pixels (in drawing order) to the path, neighbours in a row or a
    // column joined into one rectangle.
    void RunsPath(const std::vector<Point>& pts);
    // A wide pen: a round-ended stroke centred on the pixel line.
    void WideLine(int x0, int y0, int x1, int y1);
    void Line(int x0, int y0, int x1, int y1);
    void FillLogical(const Rect& r, COLORREF c);

    // ---- text (platform/dc_text.cpp) -----------------------------------------
    // The Cairo context text is measured on: the DC's own, else a scratch one.
    cairo_t* TextContext();
    PangoLayout* MakeLayout(cairo_t* c, const LogFont& lf);
    // Character (em) height in pixels for a LogFont height.
    double EmPixels(PangoContext* ctx, PangoFontDescription* desc, const LogFont& lf);
    // Font decorations and mnemonic underlines as attributes. `text` is the
    // UTF-8 text after mnemonic processing; `mnemonicByte` the byte offset of
    // the underlined character or -1.
    void ApplyAttributes(PangoLayout* layout, const LogFont& lf, const std::string& text,
                         int mnemonicByte);
};

}  // namespace platform
