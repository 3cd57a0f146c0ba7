// The bitmap toolkit: device-independent bitmaps in memory, packed into and
// unpacked from single global memory blocks, made drawable, resampled, turned
// by quarter turns and cropped.
//
// A bitmap is a 40-byte information header followed by its colour table
// (4 bytes per entry: blue, green, red, 0) and by pixel rows, bottom row first
// unless the height is negative, each row padded to a multiple of 4 bytes.
//
// No operation modifies or frees its source. Every failure (bad arguments,
// unsupported depth, allocation failure, a stop from the progress routine)
// yields no result and leaves nothing allocated.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/global_memory.h"
#include "platform/types.h"

typedef struct _cairo_surface cairo_surface_t;
namespace platform {
class Bitmap;
}

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is 40 bytes on every platform");

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// A logical palette: version 0x300 and one entry per colour of a bitmap.
struct DIBPalette {
    WORD version = 0x300;
    std::vector<PALETTEENTRY> entries;
};

// Progress routine: receives (total, context, done, 100); returning 0 stops
// the operation, which then frees its partial result and returns none.
// Operations report in units of target rows.
using DIBProgressProc = int (*)(int total, void* context, int done, int range);

// Windows-style MulDiv: a × b ÷ c rounded to nearest (halves away from zero),
// computed without intermediate overflow; -1 when c is 0 or the result does
// not fit 32 bits.
int MulDiv(int a, int b, int c);

// Resampling filters of the filtered mode, by number: 0 box, 1 triangle,
// 2 Hermite, 3 bell, 4 cubic B-spline, 5 Lanczos (three lobes), 6 Mitchell
// (B = C = 1/3). Resample always uses the Hermite filter.
enum DIBFilter {
    kFilterBox = 0,
    kFilterTriangle = 1,
    kFilterHermite = 2,
    kFilterBell = 3,
    kFilterBSpline = 4,
    kFilterLanczos3 = 5,
    kFilterMitchell = 6,
};
// The filter's value at distance x (in source pixels); 0 for an unknown filter.
double DIBFilterValue(int filter, double x);
// The filter's support (half-width); 0 for an unknown filter.
double DIBFilterSupport(int filter);

struct DIB {
    // The global memory block holding the whole bitmap when this object wraps
    // a packed bitmap; none otherwise.
    HGLOBAL block = nullptr;
    // The information header, immediately followed by the colour table.
    BITMAPINFOHEADER* header = nullptr;
    // The pixel rows.
    BYTE* pixels = nullptr;
    bool ownsHeader = false;
    bool ownsPixels = false;

    // Geometry. Widths and heights are absolute values; a negative height in
    // the header only marks a top-down bitmap.
    int Width() const;
    int Height() const;
    int BitCount() const { return header->biBitCount; }
    bool IsTopDown() const { return header->biHeight < 0; }
    std::size_t Stride() const { return StrideFor(Width(), BitCount()); }
    // Row y counted from the top of the picture.
    BYTE* RowFromTop(int y) const;
    // Colour table: the colours-used field, or 2^bits when that is 0 and
    // bits <= 8, at most 256; 0 entries above 8 bits.
    int ColorCount() const;
    RGBQUAD* Colors() const;
    // At most 8 bits, and every colour-table entry has blue = green = red.
    bool HasGreyPalette() const;

    static std::size_t StrideFor(int width, int bits);

    // A new bitmap (bottom-up for a positive height, top-down for a negative
    // one) of 1, 4, 8, 16, 24 or 32 bits with n colour entries, zeroed, or
    // filled from the given palette and pixels (stride × height bytes). For
    // 8 bits or fewer a colour table is always present: n = 0 gives 2^bits
    // black entries. Above 8 bits n is ignored.
    static DIB* Create(int width, int height, int bits, int n = 0, const RGBQUAD* palette = nullptr,
                       const void* pixels = nullptr);
    // Wraps a packed bitmap (header, colour table, pixels in one block). The
    // block is validated: a block that is too small for what its header
    // announces, or whose header is not a plain 40-byte header with a
    // supported depth, is refused (none; the block stays the caller's). On
    // success the object takes the block over and Destroy frees it.
    static DIB* Wrap(HGLOBAL block);
    // Frees the object: a wrapped block is unlocked and freed, otherwise the
    // owned parts are deleted. Safe on null.
    static void Destroy(DIB* dib);

    // Packs a drawable bitmap (a Cairo image surface) into a new fixed global
    // memory block with bottom-up rows: RGB24 surfaces give 24-bit bitmaps,
    // ARGB32 32-bit (bytes as stored), A8 8-bit with a grey palette, A1 1-bit
    // with a black and white palette, RGB16_565 16-bit 5-5-5. None for any
    // other surface.
    static HGLOBAL Pack(cairo_surface_t* surface);
    // The same for a DC bitmap (24 bits, or 32 with alpha).
    static HGLOBAL Pack(const platform::Bitmap& bitmap);
    // A drawable copy: a Cairo RGB24 image surface with the pixels converted
    // through the colour table (depths <= 8), from 5-5-5 (16 bits) or copied
    // (24 and 32 bits). The caller destroys it; none on failure.
    static cairo_surface_t* MakeDrawable(const DIB* dib);
    // The same into a DC bitmap (made anew at the bitmap's size); false when
    // the bitmap cannot be made.
    static bool MakeDrawable(const DIB* dib, platform::Bitmap* bitmap);
    // A palette with the bitmap's colour entries (flags 0), for 8 bits or
    // fewer; none otherwise. The tone factor is accepted and not applied.
    static std::unique_ptr<DIBPalette> MakePalette(const DIB* dib, double factor = 1.0);

    // A new bitmap of the given size. Shrinking (source at least as wide and
    // as high as the target): mode 3 nearest neighbour at the source's depth,
    // modes 0 and 1 area averaging to 8-bit grey (grey-palette sources) or
    // 24 bits, mode 1 then sharpened. Enlarging in either direction, or mode
    // 2: separable Hermite-filtered resampling to 8-bit grey or 24 bits.
    static DIB* Resample(const DIB* dib, int width, int height, int mode,
                         DIBProgressProc progress = nullptr, void* context = nullptr);
    // Separable filtered resampling with any of the filters above.
    static DIB* ResampleFiltered(const DIB* dib, int width, int height, int filter,
                                 DIBProgressProc progress = nullptr, void* context = nullptr);
    // The 3 × 3 sharpen of mode 1, in place, on an 8-bit or 24-bit bitmap;
    // the outermost pixels are left as they are. False for other depths or
    // when memory runs out.
    static bool Sharpen(DIB* dib);
    // Turns the picture by 0, 90 (clockwise), 180 or 270 degrees; negative
    // angles count counter-clockwise. Any other angle fails.
    static DIB* Rotate(const DIB* dib, int angle, DIBProgressProc progress = nullptr,
                       void* context = nullptr);
    // Pixels x0 … x1 − 1 of rows y0 … y1 − 1 (from the top). A rectangle that
    // is empty or not inside the bitmap fails.
    static DIB* Crop(const DIB* dib, int x0, int y0, int x1, int y1,
                     DIBProgressProc progress = nullptr, void* context = nullptr);
};

// Frees a DIB through DIB::Destroy when it goes out of scope.
struct DIBDeleter {
    void operator()(DIB* dib) const { DIB::Destroy(dib); }
};
using DIBPtr = std::unique_ptr<DIB, DIBDeleter>;
