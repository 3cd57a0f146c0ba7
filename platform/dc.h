// The device context: classic desktop-graphics drawing (pens, brushes, fonts,
// lines, rectangles, pixels, text, clipping, memory bitmaps and block copies)
// on a Cairo image surface, with text laid out by Pango.
//
// Pixel rules follow the desktop conventions code written for them expects:
//   - colours are COLORREF 0x00BBGGRR;
//   - LineTo draws from the current position up to, but not including, the
//     end point; 1-pixel lines set whole pixels (no anti-aliasing);
//   - Rectangle, FillRect and friends leave the right and bottom edges out;
//   - styled (dotted, dashed) pens fill their gaps with the background colour
//     while the background mode is OPAQUE;
//   - text is anti-aliased; the text background is filled in OPAQUE mode;
//   - a DC reports 96 dots per inch unless SetResolution says otherwise.
// Objects selected into a DC are copied: a pen, brush or font may be destroyed
// while selected without harm. A bitmap stays alive as long as a DC draws on
// it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"
#include "platform/types.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Cursor;
using HICON = const Cursor*;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Pen styles.
enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,        // 6 on, 2 off
    PS_DOT = 2,         // 1 on, 1 off
    PS_DASHDOT = 3,     // 6 on, 2 off, 1 on, 2 off
    PS_DASHDOTDOT = 4,  // 6 on, 2 off, 1 on, 2 off, 1 on, 2 off
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,  // solid; in Rectangle the frame lies inside the rectangle
};

// Stock objects.
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = NULL_BRUSH,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
};

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Font weights.
enum : int {
    FW_DONTCARE = 0,
    FW_THIN = 100,
    FW_LIGHT = 300,
    FW_NORMAL = 400,
    FW_MEDIUM = 500,
    FW_SEMIBOLD = 600,
    FW_BOLD = 700,
    FW_HEAVY = 900,
};

// DrawText flags. Unlike the classic implementation, DT_VCENTER and DT_BOTTOM
// also place multi-line text.
enum : UINT {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_EXPANDTABS = 0x0040,
    DT_NOCLIP = 0x0100,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
    DT_END_ELLIPSIS = 0x8000,
};

// Text alignment for TextOut.
enum : UINT {
    TA_NOUPDATECP = 0,
    TA_UPDATECP = 1,
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};

// Raster operations for BitBlt (only plain copies and fills are supported;
// any other code copies).
enum : DWORD {
    SRCCOPY = 0x00CC0020,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

// StretchBlt modes.
enum : int { COLORONCOLOR = 3, HALFTONE = 4 };

// GetDeviceCaps indexes.
enum : int {
    HORZSIZE = 4,  // millimetres
    VERTSIZE = 6,
    HORZRES = 8,  // pixels
    VERTRES = 10,
    BITSPIXEL = 12,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
};

// ExtTextOut-free region results of clipping calls.
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2 };

// A font description. Height in device pixels: negative for the character
// (em) height, positive for the cell height (ascent + descent), 0 for the
// default (12 points). Escapement rotates the text counter-clockwise in
// tenths of a degree.
struct LogFont {
    int height = 0;
    int width = 0;  // ignored: the face's own proportions are used
    int escapement = 0;
    int orientation = 0;  // ignored: characters follow the escapement
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    BYTE charSet = 0;
    std::string faceName = "Arial";
};

struct TextMetric {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

class Pen {
  public:
    Pen() = default;  // a solid black 1-pixel pen
    Pen(int style, int width, COLORREF color) : style_(style), width_(width), color_(color) {}
    BOOL CreatePen(int style, int width, COLORREF color) {
        style_ = style;
        width_ = width;
        color_ = color;
        return TRUE;
    }
    int style() const { return style_; }
    int width() const { return width_ < 1 ? 1 : width_; }
    COLORREF color() const { return color_; }
    // WHITE_PEN, BLACK_PEN or NULL_PEN; nullptr for any other index.
    static Pen* Stock(int index);

  private:
    int style_ = PS_SOLID;
    int width_ = 1;
    COLORREF color_ = 0;
};

class Brush {
  public:
    Brush() = default;  // a solid white brush
    explicit Brush(COLORREF color) : color_(color) {}
    BOOL CreateSolidBrush(COLORREF color) {
        color_ = color;
        null_ = false;
        return TRUE;
    }
    bool IsNull() const { return null_; }
    COLORREF color() const { return color_; }
    // The stock brushes (WHITE_BRUSH ... NULL_BRUSH); nullptr for any other index.
    static Brush* Stock(int index);

  private:
    friend class DC;
    static Brush MakeNull() {
        Brush b;
        b.null_ = true;
        return b;
    }
    COLORREF color_ = RGB(255, 255, 255);
    bool null_ = false;
};

class DC;

class Font {
  public:
    Font() = default;  // the default font (Arial, 12 points)
    explicit Font(const LogFont& lf) : lf_(lf) {}
    BOOL CreateFontIndirect(const LogFont& lf) {
        lf_ = lf;
        return TRUE;
    }
    // Height in tenths of a point, converted with the DC's vertical
    // resolution (96 dpi without a DC).
    BOOL CreatePointFont(int pointSizeTenths, std::string_view faceName, const DC* dc = nullptr);
    const LogFont& logFont() const { return lf_; }
    LogFont& logFont() { return lf_; }

  private:
    LogFont lf_;
};

// A bitmap of 32-bit pixels (Cairo's native-endian 0xAARRGGBB words). Without
// alpha the top byte is ignored. Zero or negative sizes make an empty bitmap
// that every drawing call ignores.
class Bitmap {
  public:
    Bitmap();  // empty (0 x 0)
    Bitmap(int width, int height, bool withAlpha = false);
    ~Bitmap();
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Replaces the pixels by a new bitmap, white when without alpha, fully
    // transparent with alpha. FALSE only when the surface cannot be made.
    BOOL Create(int width, int height, bool withAlpha = false);
    BOOL CreateCompatibleBitmap(const DC* dc, int width, int height);
    // Loads a PNG image from memory or a file; FALSE (and an empty bitmap)
    // for data that is not a readable PNG, and for a path that is not a
    // regular file (a FIFO or a device is refused, never waited on).
    BOOL LoadPng(const void* data, std::size_t size);
    BOOL LoadPngFile(const std::string& path);
    // Writes the bitmap as PNG (for debugging and tests).
    BOOL SavePng(const std::string& path) const;
    // An independent copy of the pixels.
    Bitmap Clone() const;

    int Width() const;
    int Height() const;
    bool HasAlpha() const;
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }

    // The colour of one pixel (alpha dropped); CLR_INVALID outside.
    COLORREF GetPixel(int x, int y) const;
    // The raw 32-bit pixel value (premultiplied 0xAARRGGBB); 0 outside.
    std::uint32_t GetRawPixel(int x, int y) const;
    BOOL SetPixel(int x, int y, COLORREF color);
    // Fills the whole bitmap with a colour.
    void Fill(COLORREF color);

    // Direct access to the pixel rows. Call MarkDirty after writing through
    // Data() so that Cairo sees the change.
    unsigned char* Data();
    const unsigned char* Data() const;
    int Stride() const;
    void MarkDirty();

    // The underlying surface (never null; a 0 x 0 bitmap has a valid empty
    // surface). The bitmap keeps its own reference.
    cairo_surface_t* surface() const { return surface_; }

  private:
    cairo_surface_t* surface_ = nullptr;
};

// A saved drawing state (see DC::SaveDC).
struct DCState;

class DC {
  public:
    // A memory DC with no bitmap yet (drawing on it does nothing until a
    // bitmap is selected).
    DC();
    // A DC drawing on `bitmap` (the bitmap must outlive nothing: the DC keeps
    // the surface alive itself).
    explicit DC(Bitmap* bitmap);
    // A DC drawing on an existing Cairo image surface (referenced, not owned).
    explicit DC(cairo_surface_t* surface);
    virtual ~DC();
    DC(const DC&) = delete;
    DC& operator=(const DC&) = delete;

    // Makes this a memory DC (any selected bitmap is dropped) with the
    // resolution of `like` (96 dpi when null).
    BOOL CreateCompatibleDC(const DC* like);
    BOOL DeleteDC();

    // ---- objects -------------------------------------------------------
    // Each returns the previously selected object for later restoration.
    // Passing nullptr selects nothing and returns nullptr.
    Pen* SelectObject(Pen* pen);
    Brush* SelectObject(Brush* brush);
    Font* SelectObject(Font* font);
    // Selects a bitmap into a memory DC: drawing goes to it. Returns the
    // previously selected bitmap; for a fresh memory DC that is a shared 1 x 1
    // stock bitmap, and selecting it back leaves the DC drawing on nothing.
    Bitmap* SelectObject(Bitmap* bitmap);
    // Selects WHITE_BRUSH ... NULL_PEN; returns FALSE for an unknown index.
    BOOL SelectStockObject(int index);
    const Pen& GetCurrentPen() const;
    const Brush& GetCurrentBrush() const;
    const LogFont& GetCurrentFont() const;
    // The bitmap a memory DC draws on (nullptr for other DCs).
    Bitmap* GetCurrentBitmap() const;

    // ---- colours and modes ---------------------------------------------
    COLORREF SetTextColor(COLORREF color);  // returns the previous colour
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);  // TRANSPARENT or OPAQUE; returns the previous one
    int GetBkMode() const;
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const;
    int SetStretchBltMode(int mode);

    // ---- coordinates -----------------------------------------------------
    // Logical (0,0) lies at this device pixel.
    Point SetViewportOrg(int x, int y);
    Point SetViewportOrg(Point p) { return SetViewportOrg(p.x, p.y); }
    Point OffsetViewportOrg(int dx, int dy);
    Point GetViewportOrg() const;

    // ---- device ----------------------------------------------------------
    // Dots per inch reported by GetDeviceCaps(LOGPIXELSX/Y); 96 by default.
    void SetResolution(int dpiX, int dpiY);
    int GetDeviceCaps(int index) const;
    // Size of the drawing surface in pixels.
    Size GetSurfaceSize() const;

    // ---- lines and shapes ------------------------------------------------
    Point MoveTo(int x, int y);  // returns the previous position
    Point MoveTo(Point p) { return MoveTo(p.x, p.y); }
    // Line from the current position to (x, y), the end pixel excluded; the
    // end becomes the current position.
    BOOL LineTo(int x, int y);
    BOOL LineTo(Point p) { return LineTo(p.x, p.y); }
    Point GetCurrentPosition() const;
    // Connected lines through the points (the last point excluded).
    BOOL Polyline(const Point* points, int count);
    // Frame with the pen along (l,t)..(r-1,b-1), interior with the brush.
    // With a null pen the filled area is one pixel narrower and shorter.
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(const Rect& r) { return Rectangle(r.left, r.top, r.right, r.bottom); }
    // Ellipse inscribed in the rectangle (anti-aliasing off).
    BOOL Ellipse(int l, int t, int r, int b);
    BOOL Ellipse(const Rect& r) { return Ellipse(r.left, r.top, r.right, r.bottom); }
    // Fills the rectangle (right and bottom excluded) with the brush.
    int FillRect(const Rect& r, const Brush* brush);
    void FillSolidRect(const Rect& r, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // A 1-pixel border inside the rectangle painted with the brush.
    int FrameRect(const Rect& r, const Brush* brush);
    // Draws a dotted focus rectangle by inverting pixels (XOR).
    void DrawFocusRect(const Rect& r);
    // Inverts the pixels of the rectangle.
    void InvertRect(const Rect& r);

    // ---- pixels ----------------------------------------------------------
    // Sets exactly one pixel; returns the colour set, or CLR_INVALID when the
    // pixel lies outside the surface or the clip.
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(Point p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    // CLR_INVALID outside the surface.
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(Point p) const { return GetPixel(p.x, p.y); }

    // ---- text ------------------------------------------------------------
    // Draws text (UTF-8) at the reference point given by the text alignment,
    // rotated by the font's escapement around that point.
    BOOL TextOut(int x, int y, std::string_view text);
    // Lays text out in the rectangle with the DT_ flags. Returns the height
    // of the text; with DT_CALCRECT draws nothing and sets the rectangle's
    // right and bottom to fit the text. `&` marks a mnemonic (underlined, `&&`
    // for a plain ampersand) unless DT_NOPREFIX is given. A rotated font turns
    // the laid-out block around the rectangle's centre (for quarter turns the
    // block is laid out in the rectangle's turned width and height).
    int DrawText(std::string_view text, Rect* rect, UINT format);
    int DrawText(std::string_view text, const Rect& rect, UINT format) {
        Rect r = rect;
        return DrawText(text, &r, format & ~DT_CALCRECT);
    }
    // Width and height of a single line in the current font.
    Size GetTextExtent(std::string_view text) const;
    BOOL GetTextMetrics(TextMetric* metric) const;

    // ---- clipping --------------------------------------------------------
    // The clip is one rectangle in logical coordinates, always within the
    // DC's base area (the surface, or a window's visible client area).
    int IntersectClipRect(int l, int t, int r, int b);
    int IntersectClipRect(const Rect& r) {
        return IntersectClipRect(r.left, r.top, r.right, r.bottom);
    }
    // Removes the clip set by IntersectClipRect (back to the base area).
    int SelectClipRgn(std::nullptr_t);
    int RemoveClip() { return SelectClipRgn(nullptr); }
    // The clip in logical coordinates (empty rectangle when nothing can be drawn).
    int GetClipBox(Rect* r) const;
    bool PtVisible(int x, int y) const;

    // ---- state -----------------------------------------------------------
    // Saves pens, brush, font, colours, modes, alignment, position, origin and
    // clip; returns the new level (1 for the first save) or 0 on failure.
    int SaveDC();
    // Restores the state of `level` (a negative level counts back from the
    // most recent save: -1 the last). FALSE for a level that does not exist.
    BOOL RestoreDC(int level);

    // ---- bitmaps and copies ----------------------------------------------
    // Copies a w x h block from `src` at (sx, sy) to (x, y) pixel for pixel
    // (SRCCOPY); BLACKNESS and WHITENESS fill without a source.
    BOOL BitBlt(int x, int y, int w, int h, const DC* src, int sx, int sy, DWORD rop = SRCCOPY);
    // Scales the source block into the destination block.
    BOOL StretchBlt(int x, int y, int w, int h, const DC* src, int sx, int sy, int sw, int sh,
                    DWORD rop = SRCCOPY);
    // Draws a bitmap (alpha blended when it has alpha) at (x, y) at its own size.
    BOOL DrawBitmap(int x, int y, const Bitmap& bitmap);
    // Draws a bitmap scaled into the destination rectangle.
    BOOL DrawBitmap(const Rect& dest, const Bitmap& bitmap);
    // Draws an icon's image with its top left at (x, y); FALSE for a null icon.
    BOOL DrawIcon(int x, int y, HICON icon);

    // ---- access for hosts and tests --------------------------------------
    // Writes what the DC draws on as a PNG file.
    BOOL SavePng(const std::string& path) const;
    // The surface drawn on (may be null for a memory DC with no bitmap).
    cairo_surface_t* surface() const;
    // Restricts all drawing to `area` (device pixels) and places logical
    // (0,0) at `origin`: the window manager uses it for window DCs.
    void SetBaseArea(const Rect& area, Point origin);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
