// Bitmaps: Cairo image surfaces with or without alpha, their pixels, and
// PNG files read and written (with the image size checked before any pixel
// memory is taken).
#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>
// glib defines TRUE and FALSE as macros; the platform's own constants take
// their place from here on.
#undef TRUE
#undef FALSE

#include "platform/dc.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/dc_impl.h"
#include "platform/files.h"

namespace platform {

using namespace dcimpl;

// ---------------------------------------------------------------------------
// Bitmap

Bitmap::Bitmap() : surface_(MakeSurface(0, 0, false)) {}

Bitmap::Bitmap(int width, int height, bool withAlpha) : surface_(nullptr) {
    Create(width, height, withAlpha);
}

Bitmap::~Bitmap() {
    if (surface_)
        cairo_surface_destroy(surface_);
}

Bitmap::Bitmap(Bitmap&& other) noexcept : surface_(other.surface_) {
    other.surface_ = MakeSurface(0, 0, false);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        std::swap(surface_, other.surface_);
    }
    return *this;
}

BOOL Bitmap::Create(int width, int height, bool withAlpha) {
    cairo_surface_t* s = MakeSurface(width, height, withAlpha);
    BOOL ok = TRUE;
    if (!SurfaceOk(s)) {
        cairo_surface_destroy(s);
        s = MakeSurface(0, 0, withAlpha);
        ok = FALSE;
    }
    if (surface_)
        cairo_surface_destroy(surface_);
    surface_ = s;
    if (width > 0 && height > 0 && IsEmpty())
        ok = FALSE;  // refused as too large
    if (!withAlpha)
        Fill(RGB(255, 255, 255));
    return ok;
}

BOOL Bitmap::CreateCompatibleBitmap(const DC* dc, int width, int height) {
    (void)dc;
    return Create(width, height, false);
}

namespace {
struct PngReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<PngReader*>(closure);
    if (length > r->size - r->pos)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

// Takes a loaded PNG surface and turns it into a bitmap surface of ours
// (ARGB32 or RGB24), or null when it is not usable.
cairo_surface_t* AdoptPng(cairo_surface_t* png) {
    if (!SurfaceOk(png)) {
        if (png)
            cairo_surface_destroy(png);
        return nullptr;
    }
    cairo_format_t f = cairo_image_surface_get_format(png);
    if (f == CAIRO_FORMAT_ARGB32 || f == CAIRO_FORMAT_RGB24)
        return png;
    int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    cairo_surface_t* s = MakeSurface(w, h, true);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(png);
    return s;
}
}  // namespace

namespace {
// Whether a PNG's header announces a size we are willing to allocate: the
// image header chunk comes first, width and height at bytes 16 to 23.
bool PngSizeAcceptable(const unsigned char* head, std::size_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 24 || std::memcmp(head, kSignature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    auto be32 = [](const unsigned char* p) {
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) |
               (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
    };
    const std::uint32_t w = be32(head + 16), h = be32(head + 20);
    return w > 0 && h > 0 && w <= std::uint32_t(kMaxSide) && h <= std::uint32_t(kMaxSide) &&
           static_cast<long long>(w) * h <= kMaxPixels;
}
}  // namespace

BOOL Bitmap::LoadPng(const void* data, std::size_t size) {
    if (!data || !PngSizeAcceptable(static_cast<const unsigned char*>(data), size)) {
        Create(0, 0);
        return FALSE;
    }
    PngReader reader{static_cast<const unsigned char*>(data), size, 0};
    cairo_surface_t* s = AdoptPng(cairo_image_surface_create_from_png_stream(ReadPng, &reader));
    if (!s) {
        Create(0, 0);
        return FALSE;
    }
    if (surface_)
        cairo_surface_destroy(surface_);
    surface_ = s;
    return TRUE;
}

BOOL Bitmap::LoadPngFile(const std::string& path) {
    // Read through the shared reader, which refuses FIFOs and devices
    // instead of waiting on them.
    std::string data;
    if (!ReadRegularFile(path, &data, "PNG")) {
        Create(0, 0);
        return FALSE;
    }
    return LoadPng(data.data(), data.size());
}

BOOL Bitmap::SavePng(const std::string& path) const {
    if (IsEmpty())
        return FALSE;
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

Bitmap Bitmap::Clone() const {
    Bitmap copy(Width(), Height(), HasAlpha());
    if (!copy.IsEmpty()) {
        cairo_surface_flush(surface_);
        const int rows = Height();
        const int bytes = std::min(Stride(), copy.Stride());
        for (int y = 0; y < rows; ++y) {
            std::memcpy(copy.Data() + y * copy.Stride(), Data() + y * Stride(), bytes);
        }
        copy.MarkDirty();
    }
    return copy;
}

int Bitmap::Width() const {
    return SurfaceWidth(surface_);
}
int Bitmap::Height() const {
    return SurfaceHeight(surface_);
}
bool Bitmap::HasAlpha() const {
    return SurfaceOk(surface_) && cairo_image_surface_get_format(surface_) == CAIRO_FORMAT_ARGB32;
}

std::uint32_t Bitmap::GetRawPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * Stride();
    std::uint32_t v;
    std::memcpy(&v, row + 4 * x, 4);
    return v;
}

COLORREF Bitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return CLR_INVALID;
    return FromRaw(GetRawPixel(x, y), HasAlpha());
}

BOOL Bitmap::SetPixel(int x, int y, COLORREF c) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return FALSE;
    cairo_surface_flush(surface_);
    std::uint32_t v = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    std::memcpy(cairo_image_surface_get_data(surface_) + y * Stride() + 4 * x, &v, 4);
    cairo_surface_mark_dirty(surface_);
    return TRUE;
}

void Bitmap::Fill(COLORREF c) {
    if (IsEmpty())
        return;
    cairo_t* cr = cairo_create(surface_);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    SetColor(cr, c);
    cairo_paint(cr);
    cairo_destroy(cr);
}

unsigned char* Bitmap::Data() {
    if (IsEmpty())
        return nullptr;
    cairo_surface_flush(surface_);
    return cairo_image_surface_get_data(surface_);
}
const unsigned char* Bitmap::Data() const {
    if (IsEmpty())
        return nullptr;
    cairo_surface_flush(surface_);
    return cairo_image_surface_get_data(surface_);
}
int Bitmap::Stride() const {
    return SurfaceOk(surface_) ? cairo_image_surface_get_stride(surface_) : 0;
}
void Bitmap::MarkDirty() {
    if (SurfaceOk(surface_))
        cairo_surface_mark_dirty(surface_);
}

// ---------------------------------------------------------------------------
// A DC's pixels as PNG

BOOL DC::SavePng(const std::string& path) const {
    if (!impl_->surface || impl_->SurfaceRect().IsEmpty())
        return FALSE;
    cairo_surface_flush(impl_->surface);
    return cairo_surface_write_to_png(impl_->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace platform
