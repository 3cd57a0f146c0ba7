// The DIB object: creation, packed blocks, drawable surfaces, palettes,
// quarter turns and cropping.
#include "decoder/dib.h"

#include <cairo.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "decoder/dib_internal.h"
#include "platform/dc.h"

using namespace dibdetail;

namespace {

// Largest pixel area we allocate: far beyond any photograph, and small enough
// that every size computation below stays exact.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(1) << 40;

bool PixelBytes(int width, int height, int bits, std::size_t* bytes) {
    if (width <= 0 || height == 0 || height == INT_MIN)
        return false;
    std::uint64_t stride = (std::uint64_t(width) * std::uint64_t(bits) + 31) / 32 * 4;
    std::uint64_t rows = std::uint64_t(std::abs(static_cast<long long>(height)));
    if (stride > kMaxPixelBytes / rows)
        return false;
    *bytes = static_cast<std::size_t>(stride * rows);
    return true;
}

int TableLength(const BITMAPINFOHEADER* h) {
    if (h->biBitCount > 8)
        return 0;
    DWORD n = h->biClrUsed != 0 ? h->biClrUsed : (DWORD(1) << h->biBitCount);
    return n > 256 ? 256 : static_cast<int>(n);
}

// Native-endian 0x00RRGGBB words for the 256 possible indices of a bitmap of
// 8 bits or fewer; indices beyond the colour table are black.
void PaletteWords(const DIB* dib, std::uint32_t* words) {
    const RGBQUAD* colors = dib->Colors();
    int n = dib->ColorCount();
    for (int i = 0; i < 256; ++i) {
        words[i] = i < n ? (std::uint32_t(colors[i].rgbRed) << 16) |
                               (std::uint32_t(colors[i].rgbGreen) << 8) | colors[i].rgbBlue
                         : 0;
    }
}

}  // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    long long num = static_cast<long long>(a) * b;
    long long den = c;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    long long q = num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
    if (q > INT_MAX || q < INT_MIN)
        return -1;
    return static_cast<int>(q);
}

int DIB::Width() const {
    return header->biWidth < 0 ? -header->biWidth : header->biWidth;
}

int DIB::Height() const {
    return header->biHeight < 0 ? -header->biHeight : header->biHeight;
}

std::size_t DIB::StrideFor(int width, int bits) {
    return static_cast<std::size_t>((std::uint64_t(width) * std::uint64_t(bits) + 31) / 32 * 4);
}

BYTE* DIB::RowFromTop(int y) const {
    std::size_t row = IsTopDown() ? std::size_t(y) : std::size_t(Height() - 1 - y);
    return pixels + row * Stride();
}

int DIB::ColorCount() const {
    return TableLength(header);
}

RGBQUAD* DIB::Colors() const {
    return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(header) + sizeof(BITMAPINFOHEADER));
}

bool DIB::HasGreyPalette() const {
    if (BitCount() > 8)
        return false;
    const RGBQUAD* c = Colors();
    for (int i = 0, n = ColorCount(); i < n; ++i) {
        if (c[i].rgbBlue != c[i].rgbGreen || c[i].rgbGreen != c[i].rgbRed)
            return false;
    }
    return true;
}

DIB* DIB::Create(int width, int height, int bits, int n, const RGBQUAD* palette,
                 const void* pixels) {
    std::size_t bytes = 0;
    if (!IsSupportedDepth(bits) || !PixelBytes(width, height, bits, &bytes))
        return nullptr;
    if (bits > 8) {
        n = 0;
    } else {
        if (n < 0)
            n = 0;
        if (n > 256)
            n = 256;
        // A bitmap of 8 bits or fewer always gets a colour table, so the
        // table length the header implies is always backed by memory.
        if (n == 0) {
            n = 1 << bits;
            palette = nullptr;
        }
    }
    auto* header = static_cast<BITMAPINFOHEADER*>(
        std::calloc(1, sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * std::size_t(n)));
    auto* bits_ = static_cast<BYTE*>(std::calloc(1, bytes));
    DIB* dib = (header && bits_) ? new (std::nothrow) DIB : nullptr;
    if (dib == nullptr) {
        std::free(header);
        std::free(bits_);
        return nullptr;
    }
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = 0;
    header->biSizeImage = bytes <= 0xFFFFFFFFu ? static_cast<DWORD>(bytes) : 0;
    header->biClrUsed = static_cast<DWORD>(n);
    dib->header = header;
    dib->pixels = bits_;
    dib->ownsHeader = true;
    dib->ownsPixels = true;
    if (palette != nullptr && n > 0)
        std::memcpy(dib->Colors(), palette, sizeof(RGBQUAD) * n);
    if (pixels != nullptr)
        std::memcpy(bits_, pixels, bytes);
    return dib;
}

DIB* DIB::Wrap(HGLOBAL block) {
    std::size_t size = GlobalSize(block);
    auto* base = static_cast<BYTE*>(GlobalLock(block));
    if (base == nullptr)
        return nullptr;
    auto refuse = [&]() -> DIB* {
        GlobalUnlock(block);
        return nullptr;
    };
    if (size < sizeof(BITMAPINFOHEADER))
        return refuse();
    BITMAPINFOHEADER h;
    std::memcpy(&h, base, sizeof h);
    std::size_t bytes = 0;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biCompression != 0 ||
        !IsSupportedDepth(h.biBitCount) || !PixelBytes(h.biWidth, h.biHeight, h.biBitCount, &bytes))
        return refuse();
    std::size_t offset = sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * std::size_t(TableLength(&h));
    if (offset > size || bytes > size - offset)
        return refuse();
    DIB* dib = new (std::nothrow) DIB;
    if (dib == nullptr)
        return refuse();
    dib->block = block;
    dib->header = reinterpret_cast<BITMAPINFOHEADER*>(base);
    dib->pixels = base + offset;
    return dib;
}

void DIB::Destroy(DIB* dib) {
    if (dib == nullptr)
        return;
    if (dib->block != nullptr) {
        GlobalUnlock(dib->block);
        GlobalFree(dib->block);
    } else {
        if (dib->ownsHeader)
            std::free(dib->header);
        if (dib->ownsPixels)
            std::free(dib->pixels);
    }
    delete dib;
}

DIB* dibdetail::CreateLike(const DIB* src, int width, int height) {
    int n = src->ColorCount();
    return DIB::Create(width, src->IsTopDown() ? -height : height, src->BitCount(), n,
                       n > 0 ? src->Colors() : nullptr);
}

HGLOBAL DIB::Pack(cairo_surface_t* surface) {
    if (surface == nullptr || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return nullptr;
    cairo_surface_flush(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int srcStride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int bits = 0, colors = 0;
    switch (format) {
        case CAIRO_FORMAT_RGB24:
            bits = 24;
            break;
        case CAIRO_FORMAT_ARGB32:
            bits = 32;
            break;
        case CAIRO_FORMAT_RGB16_565:
            bits = 16;
            break;
        case CAIRO_FORMAT_A8:
            bits = 8, colors = 256;
            break;
        case CAIRO_FORMAT_A1:
            bits = 1, colors = 2;
            break;
        default:
            return nullptr;
    }
    std::size_t bytes = 0;
    if (data == nullptr || !PixelBytes(width, height, bits, &bytes))
        return nullptr;
    const std::size_t offset = sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * colors;
    HGLOBAL block = GlobalAlloc(GPTR, offset + bytes);
    auto* base = static_cast<BYTE*>(GlobalLock(block));
    if (base == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = 0;
    h.biSizeImage = bytes <= 0xFFFFFFFFu ? static_cast<DWORD>(bytes) : 0;
    h.biClrUsed = static_cast<DWORD>(colors);
    std::memcpy(base, &h, sizeof h);
    auto* table = reinterpret_cast<RGBQUAD*>(base + sizeof h);
    for (int i = 0; i < colors; ++i) {
        BYTE v = colors == 2 ? BYTE(i ? 255 : 0) : BYTE(i);
        table[i] = RGBQUAD{v, v, v, 0};
    }
    const std::size_t stride = StrideFor(width, bits);
    BYTE* pixels = base + offset;
    for (int y = 0; y < height; ++y) {
        const unsigned char* s = data + std::size_t(y) * srcStride;
        BYTE* d = pixels + std::size_t(height - 1 - y) * stride;
        switch (bits) {
            case 24: {
                const auto* w = reinterpret_cast<const std::uint32_t*>(s);
                for (int x = 0; x < width; ++x) {
                    d[3 * x] = BYTE(w[x]);
                    d[3 * x + 1] = BYTE(w[x] >> 8);
                    d[3 * x + 2] = BYTE(w[x] >> 16);
                }
                break;
            }
            case 32: {
                const auto* w = reinterpret_cast<const std::uint32_t*>(s);
                for (int x = 0; x < width; ++x) {
                    d[4 * x] = BYTE(w[x]);
                    d[4 * x + 1] = BYTE(w[x] >> 8);
                    d[4 * x + 2] = BYTE(w[x] >> 16);
                    d[4 * x + 3] = BYTE(w[x] >> 24);
                }
                break;
            }
            case 16: {
                const auto* w = reinterpret_cast<const std::uint16_t*>(s);
                for (int x = 0; x < width; ++x) {
                    unsigned p = w[x];
                    unsigned v = ((p >> 11) << 10) | (((p >> 6) & 0x1F) << 5) | (p & 0x1F);
                    d[2 * x] = BYTE(v);
                    d[2 * x + 1] = BYTE(v >> 8);
                }
                break;
            }
            case 8:
                std::memcpy(d, s, std::size_t(width));
                break;
            case 1: {
                const auto* w = reinterpret_cast<const std::uint32_t*>(s);
                for (int x = 0; x < width; ++x) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
                    unsigned bit = (w[x >> 5] >> (x & 31)) & 1u;
#else
                    unsigned bit = (w[x >> 5] >> (31 - (x & 31))) & 1u;
#endif
                    OrPackedPixel(d, x, 1, bit);
                }
                break;
            }
        }
    }
    GlobalUnlock(block);
    return block;
}

namespace {

// Writes the bitmap as native-endian 0xFFRRGGBB words, top row first.
void FillDrawable(const DIB* dib, unsigned char* data, std::size_t stride) {
    const int width = dib->Width(), height = dib->Height(), bits = dib->BitCount();
    std::uint32_t table[256];
    if (bits <= 8)
        PaletteWords(dib, table);
    for (int y = 0; y < height; ++y) {
        const BYTE* s = dib->RowFromTop(y);
        auto* d = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            std::uint32_t v;
            switch (bits) {
                case 1:
                case 4:
                    v = table[GetPackedPixel(s, x, bits)];
                    break;
                case 8:
                    v = table[s[x]];
                    break;
                case 16: {
                    unsigned p = s[2 * x] | (unsigned(s[2 * x + 1]) << 8);
                    v = (std::uint32_t(Widen5((p >> 10) & 0x1F)) << 16) |
                        (std::uint32_t(Widen5((p >> 5) & 0x1F)) << 8) | Widen5(p & 0x1F);
                    break;
                }
                case 24:
                    v = (std::uint32_t(s[3 * x + 2]) << 16) | (std::uint32_t(s[3 * x + 1]) << 8) |
                        s[3 * x];
                    break;
                default:
                    v = (std::uint32_t(s[4 * x + 2]) << 16) | (std::uint32_t(s[4 * x + 1]) << 8) |
                        s[4 * x];
                    break;
            }
            d[x] = 0xFF000000u | v;
        }
    }
}

bool Drawable(const DIB* dib) {
    return dib != nullptr && dib->header != nullptr && IsSupportedDepth(dib->BitCount());
}

}  // namespace

cairo_surface_t* DIB::MakeDrawable(const DIB* dib) {
    if (!Drawable(dib))
        return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, dib->Width(), dib->Height());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    FillDrawable(dib, cairo_image_surface_get_data(surface),
                 std::size_t(cairo_image_surface_get_stride(surface)));
    cairo_surface_mark_dirty(surface);
    return surface;
}

bool DIB::MakeDrawable(const DIB* dib, platform::Bitmap* bitmap) {
    if (!Drawable(dib) || bitmap == nullptr || !bitmap->Create(dib->Width(), dib->Height()) ||
        bitmap->Width() != dib->Width() || bitmap->Height() != dib->Height())
        return false;
    FillDrawable(dib, bitmap->Data(), std::size_t(bitmap->Stride()));
    bitmap->MarkDirty();
    return true;
}

HGLOBAL DIB::Pack(const platform::Bitmap& bitmap) {
    return Pack(bitmap.surface());
}

std::unique_ptr<DIBPalette> DIB::MakePalette(const DIB* dib, double /*factor*/) {
    if (dib == nullptr || dib->header == nullptr || dib->BitCount() > 8)
        return nullptr;
    std::unique_ptr<DIBPalette> palette(new (std::nothrow) DIBPalette);
    if (!palette)
        return nullptr;
    const RGBQUAD* c = dib->Colors();
    try {
        for (int i = 0, n = dib->ColorCount(); i < n; ++i)
            palette->entries.push_back(PALETTEENTRY{c[i].rgbRed, c[i].rgbGreen, c[i].rgbBlue, 0});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return palette;
}

// ---------------------------------------------------------------------------
// Quarter turns

namespace {

// Copies one pixel of `bytes` bytes.
template <int Bytes>
inline void CopyPixel(BYTE* d, const BYTE* s) {
    if constexpr (Bytes == 1) {
        *d = *s;
    } else if constexpr (Bytes == 2) {
        std::memcpy(d, s, 2);
    } else if constexpr (Bytes == 3) {
        std::memcpy(d, s, 2);
        d[2] = s[2];
    } else {
        std::memcpy(d, s, 4);
    }
}

// Target pixel (c, r) takes source pixel (x, y) = map(c, r), in top-counted
// coordinates, for 90 and 270 degrees. Works in square tiles so that both the
// reads and the writes stay within a few cache lines per row.
template <int Bytes, bool Clockwise>
bool TurnTiled(const DIB* src, DIB* dst, DIBProgressProc progress, void* context) {
    constexpr int kTile = 32;
    const int W = src->Width(), H = src->Height();  // target is H wide, W high
    const int dstRows = W, dstCols = H;
    const std::ptrdiff_t sstep =
        src->IsTopDown() ? std::ptrdiff_t(src->Stride()) : -std::ptrdiff_t(src->Stride());
    const BYTE* top = src->RowFromTop(0);
    for (int r0 = 0; r0 < dstRows; r0 += kTile) {
        const int r1 = r0 + kTile < dstRows ? r0 + kTile : dstRows;
        for (int c0 = 0; c0 < dstCols; c0 += kTile) {
            const int c1 = c0 + kTile < dstCols ? c0 + kTile : dstCols;
            for (int r = r0; r < r1; ++r) {
                BYTE* d = dst->RowFromTop(r) + std::size_t(c0) * Bytes;
                // Clockwise: (c, r) <- (x = r, y = H - 1 - c);
                // counter-clockwise: (c, r) <- (x = W - 1 - r, y = c).
                const int x = Clockwise ? r : W - 1 - r;
                const int y0 = Clockwise ? H - 1 - c0 : c0;
                const BYTE* s = top + std::ptrdiff_t(y0) * sstep + std::ptrdiff_t(x) * Bytes;
                const std::ptrdiff_t step = Clockwise ? -sstep : sstep;
                for (int c = c0; c < c1; ++c, d += Bytes, s += step)
                    CopyPixel<Bytes>(d, s);
            }
        }
        if (!Report(progress, context, dstRows, r1))
            return false;
    }
    return true;
}

bool TurnPacked(const DIB* src, DIB* dst, int angle, DIBProgressProc progress, void* context) {
    const int bits = src->BitCount();
    const int W = src->Width(), H = src->Height();
    const int dw = dst->Width(), dh = dst->Height();
    for (int r = 0; r < dh; ++r) {
        BYTE* d = dst->RowFromTop(r);
        for (int c = 0; c < dw; ++c) {
            int x, y;
            if (angle == 90) {
                x = r, y = H - 1 - c;
            } else if (angle == 270) {
                x = W - 1 - r, y = c;
            } else {
                x = W - 1 - c, y = H - 1 - r;
            }
            OrPackedPixel(d, c, bits, GetPackedPixel(src->RowFromTop(y), x, bits));
        }
        if (!Report(progress, context, dh, r + 1))
            return false;
    }
    return true;
}

template <int Bytes>
bool TurnHalf(const DIB* src, DIB* dst, DIBProgressProc progress, void* context) {
    const int W = src->Width(), H = src->Height();
    for (int r = 0; r < H; ++r) {
        BYTE* d = dst->RowFromTop(r);
        const BYTE* s = src->RowFromTop(H - 1 - r) + std::size_t(W - 1) * Bytes;
        for (int c = 0; c < W; ++c, d += Bytes, s -= Bytes)
            CopyPixel<Bytes>(d, s);
        if (!Report(progress, context, H, r + 1))
            return false;
    }
    return true;
}

template <int Bytes>
bool Turn(const DIB* src, DIB* dst, int angle, DIBProgressProc progress, void* context) {
    if (angle == 90)
        return TurnTiled<Bytes, true>(src, dst, progress, context);
    if (angle == 270)
        return TurnTiled<Bytes, false>(src, dst, progress, context);
    return TurnHalf<Bytes>(src, dst, progress, context);
}

}  // namespace

DIB* DIB::Rotate(const DIB* src, int angle, DIBProgressProc progress, void* context) {
    if (src == nullptr || src->header == nullptr)
        return nullptr;
    angle %= 360;
    if (angle < 0)
        angle += 360;
    if (angle % 90 != 0)
        return nullptr;
    const int bits = src->BitCount();
    if (!IsSupportedDepth(bits))
        return nullptr;
    const int W = src->Width(), H = src->Height();
    const bool swap = angle == 90 || angle == 270;
    DIBPtr dst(CreateLike(src, swap ? H : W, swap ? W : H));
    if (!dst)
        return nullptr;
    bool ok = true;
    if (angle == 0) {
        std::memcpy(dst->pixels, src->pixels, src->Stride() * std::size_t(H));
        ok = Report(progress, context, H, H);
    } else {
        switch (bits) {
            case 1:
            case 4:
                ok = TurnPacked(src, dst.get(), angle, progress, context);
                break;
            case 8:
                ok = Turn<1>(src, dst.get(), angle, progress, context);
                break;
            case 16:
                ok = Turn<2>(src, dst.get(), angle, progress, context);
                break;
            case 24:
                ok = Turn<3>(src, dst.get(), angle, progress, context);
                break;
            default:
                ok = Turn<4>(src, dst.get(), angle, progress, context);
                break;
        }
    }
    return ok ? dst.release() : nullptr;
}

DIB* DIB::Crop(const DIB* src, int x0, int y0, int x1, int y1, DIBProgressProc progress,
               void* context) {
    if (src == nullptr || src->header == nullptr || !IsSupportedDepth(src->BitCount()))
        return nullptr;
    const int W = src->Width(), H = src->Height(), bits = src->BitCount();
    if (x0 < 0 || y0 < 0 || x1 > W || y1 > H || x1 <= x0 || y1 <= y0)
        return nullptr;
    const int w = x1 - x0, h = y1 - y0;
    DIBPtr dst(CreateLike(src, w, h));
    if (!dst)
        return nullptr;
    for (int i = 0; i < h; ++i) {
        const BYTE* s = src->RowFromTop(y0 + i);
        BYTE* d = dst->RowFromTop(i);
        if (bits >= 8) {
            const std::size_t bpp = std::size_t(bits) / 8;
            std::memcpy(d, s + std::size_t(x0) * bpp, std::size_t(w) * bpp);
        } else {
            for (int x = 0; x < w; ++x)
                OrPackedPixel(d, x, bits, GetPackedPixel(s, x0 + x, bits));
        }
        if (!Report(progress, context, h, i + 1))
            return nullptr;
    }
    return dst.release();
}
