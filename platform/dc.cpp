// Device context on Cairo: its state (objects, colours, modes, origin), the
// primitives (lines, rectangles and fills drawn as whole pixels with
// anti-aliasing off), clipping and copies between surfaces. Every primitive
// applies the DC's clip afresh, so the Cairo state never leaks between calls.
// Text is in platform/dc_text.cpp, bitmaps and PNG in platform/dc_bitmap.cpp.
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
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/cursor.h"
#include "platform/dc_impl.h"

namespace platform {

namespace dcimpl {

void SetColor(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

COLORREF FromRaw(std::uint32_t v, bool alpha) {
    unsigned r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
    if (alpha) {
        unsigned a = v >> 24;
        if (a == 0)
            return RGB(0, 0, 0);
        if (a < 255) {
            r = std::min(255u, (r * 255 + a / 2) / a);
            g = std::min(255u, (g * 255 + a / 2) / a);
            b = std::min(255u, (b * 255 + a / 2) / a);
        }
    }
    return RGB(r, g, b);
}

cairo_surface_t* MakeSurface(int w, int h, bool alpha) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w > kMaxSide || h > kMaxSide || static_cast<long long>(w) * h > kMaxPixels)
        w = h = 0;
    return cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
}

bool SurfaceOk(cairo_surface_t* s) {
    return s && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE;
}

int SurfaceWidth(cairo_surface_t* s) {
    return SurfaceOk(s) ? cairo_image_surface_get_width(s) : 0;
}
int SurfaceHeight(cairo_surface_t* s) {
    return SurfaceOk(s) ? cairo_image_surface_get_height(s) : 0;
}

Font* DefaultFont() {
    static Font font;
    return &font;
}

Bitmap* StockBitmap() {
    static Bitmap bitmap(1, 1);
    return &bitmap;
}

}  // namespace dcimpl

using namespace dcimpl;

namespace {

// Dash patterns of the styled pens, in pixels: on, off, on, off ...
std::vector<int> PenPattern(int style) {
    switch (style) {
        case PS_DASH:
            return {6, 2};
        case PS_DOT:
            return {1, 1};
        case PS_DASHDOT:
            return {6, 2, 1, 2};
        case PS_DASHDOTDOT:
            return {6, 2, 1, 2, 1, 2};
        default:
            return {};
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// ---------------------------------------------------------------------------
// Stock objects

Pen* Pen::Stock(int index) {
    static Pen white(PS_SOLID, 1, RGB(255, 255, 255));
    static Pen black(PS_SOLID, 1, RGB(0, 0, 0));
    static Pen null(PS_NULL, 1, RGB(0, 0, 0));
    switch (index) {
        case WHITE_PEN:
            return &white;
        case BLACK_PEN:
            return &black;
        case NULL_PEN:
            return &null;
        default:
            return nullptr;
    }
}

Brush* Brush::Stock(int index) {
    static Brush white(RGB(255, 255, 255));
    static Brush ltgray(RGB(192, 192, 192));
    static Brush gray(RGB(128, 128, 128));
    static Brush dkgray(RGB(64, 64, 64));
    static Brush black(RGB(0, 0, 0));
    static Brush null = Brush::MakeNull();
    switch (index) {
        case WHITE_BRUSH:
            return &white;
        case LTGRAY_BRUSH:
            return &ltgray;
        case GRAY_BRUSH:
            return &gray;
        case DKGRAY_BRUSH:
            return &dkgray;
        case BLACK_BRUSH:
            return &black;
        case NULL_BRUSH:
            return &null;
        default:
            return nullptr;
    }
}

// ---------------------------------------------------------------------------
// DC

DC::Impl::~Impl() {
    Detach();
    if (scratch)
        cairo_destroy(scratch);
    if (scratchSurface)
        cairo_surface_destroy(scratchSurface);
}

void DC::Impl::Detach() {
    if (cr)
        cairo_destroy(cr);
    if (surface)
        cairo_surface_destroy(surface);
    cr = nullptr;
    surface = nullptr;
}

void DC::Impl::Attach(cairo_surface_t* s) {
    Detach();
    if (!SurfaceOk(s))
        return;
    surface = cairo_surface_reference(s);
    cr = cairo_create(surface);
}

void DC::Impl::ResetState() {
    st = DCState();
    st.pen = *Pen::Stock(BLACK_PEN);
    st.penSel = Pen::Stock(BLACK_PEN);
    st.brush = *Brush::Stock(WHITE_BRUSH);
    st.brushSel = Brush::Stock(WHITE_BRUSH);
    st.font = DefaultFont()->logFont();
    st.fontSel = DefaultFont();
    st.org = baseOrigin;
    saved.clear();
}

Rect DC::Impl::Effective() const {
    Rect r = SurfaceRect();
    if (hasBase)
        r = r.Intersected(base);
    if (st.hasClip)
        r = r.Intersected(st.clip);
    return r;
}

bool DC::Impl::Begin() {
    if (!cr)
        return false;
    Rect e = Effective();
    if (e.IsEmpty())
        return false;
    cairo_save(cr);
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, e.left, e.top, e.Width(), e.Height());
    cairo_clip(cr);
    cairo_translate(cr, st.org.x, st.org.y);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return true;
}

// ---- primitives -----------------------------------------------------------------

void DC::Impl::ThinLine(int x0, int y0, int x1, int y1) {
    std::vector<int> pattern = PenPattern(st.pen.style());
    int total = 0;
    for (int p : pattern)
        total += p;
    if (total == 0 && (x0 == x1 || y0 == y1)) {
        // Solid and straight: one rectangle, the end pixel left out.
        if (x0 == x1 && y0 == y1)
            return;
        const Rect r = y0 == y1 ? Rect(std::min(x0, x1 + 1), y0, std::max(x0 + 1, x1), y0 + 1)
                                : Rect(x0, std::min(y0, y1 + 1), x0 + 1, std::max(y0 + 1, y1));
        st.styleStep = static_cast<int>(
            (st.styleStep + std::max(std::llabs(static_cast<long long>(x1) - x0),
                                     std::llabs(static_cast<long long>(y1) - y0))) %
            (1 << 30));
        FillLogical(r, st.pen.color());
        return;
    }
    auto onAt = [&](int step) {
        if (total == 0)
            return true;
        int k = step % total;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (k < pattern[i])
                return i % 2 == 0;
            k -= pattern[i];
        }
        return true;
    };
    const bool fillGaps = total != 0 && st.bkMode == OPAQUE;
    // Only pixels inside the visible area are collected, so a line far
    // longer than the surface costs no memory; the pattern still runs on
    // over the invisible part. Coordinates are widened so that lines
    // between extreme points cannot overflow.
    Rect visible = Effective();
    visible.Offset(-st.org.x, -st.org.y);
    const long long steps = std::max(std::llabs(static_cast<long long>(x1) - x0),
                                     std::llabs(static_cast<long long>(y1) - y0));
    const long long firstStep = st.styleStep;
    auto isVisible = [&](long long x, long long y) {
        return x >= visible.left && x < visible.right && y >= visible.top && y < visible.bottom;
    };
    std::vector<Point> on, off;
    auto plot = [&](long long step, long long x, long long y) {
        (onAt(static_cast<int>((firstStep + step) % std::max(total, 1))) ? on : off)
            .push_back({static_cast<int>(x), static_cast<int>(y)});
    };
    if (x0 == x1 || y0 == y1) {
        // Straight: walk only the visible stretch.
        const bool across = y0 == y1;
        const long long from = across ? x0 : y0;
        const long long dir = (across ? x1 > x0 : y1 > y0) ? 1 : -1;
        const long long fixed = across ? y0 : x0;
        const long long lo = across ? visible.left : visible.top;
        const long long hi = across ? visible.right : visible.bottom;
        const bool onRow = across ? (fixed >= visible.top && fixed < visible.bottom)
                                  : (fixed >= visible.left && fixed < visible.right);
        if (onRow) {
            // Steps whose coordinate from + dir * step lies in [lo, hi).
            long long a = dir > 0 ? lo - from : from - (hi - 1);
            long long b = dir > 0 ? hi - 1 - from : from - lo;
            a = std::max(a, 0LL);
            b = std::min(b, steps - 1);
            for (long long k = a; k <= b; ++k) {
                const long long c = from + dir * k;
                across ? plot(k, c, fixed) : plot(k, fixed, c);
            }
        }
    } else {
        // Bresenham, stopping before the end point.
        const long long dx = std::llabs(static_cast<long long>(x1) - x0);
        const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        long long err = dx + dy;
        long long x = x0, y = y0;
        const bool touches = std::max<long long>(std::min(x0, x1), visible.left) <
                                 std::min<long long>(std::max(x0, x1) + 1, visible.right) &&
                             std::max<long long>(std::min(y0, y1), visible.top) <
                                 std::min<long long>(std::max(y0, y1) + 1, visible.bottom);
        for (long long k = 0; touches && k < steps; ++k) {
            if (isVisible(x, y))
                plot(k, x, y);
            const long long e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
    st.styleStep = static_cast<int>((firstStep + steps) % std::max(total, 1));
    if (!on.empty()) {
        RunsPath(on);
        SetColor(cr, st.pen.color());
        cairo_fill(cr);
    }
    if (fillGaps && !off.empty()) {
        RunsPath(off);
        SetColor(cr, st.bk);
        cairo_fill(cr);
    }
}

void DC::Impl::RunsPath(const std::vector<Point>& pts) {
    size_t i = 0;
    while (i < pts.size()) {
        Rect r(pts[i].x, pts[i].y, pts[i].x + 1, pts[i].y + 1);
        size_t j = i + 1;
        for (; j < pts.size(); ++j) {
            const Point& p = pts[j];
            if (r.Height() == 1 && p.y == r.top && p.x == r.right) {
                ++r.right;
            } else if (r.Height() == 1 && p.y == r.top && p.x == r.left - 1) {
                --r.left;
            } else if (r.Width() == 1 && p.x == r.left && p.y == r.bottom) {
                ++r.bottom;
            } else if (r.Width() == 1 && p.x == r.left && p.y == r.top - 1) {
                --r.top;
            } else {
                break;
            }
        }
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
        i = j;
    }
}

void DC::Impl::WideLine(int x0, int y0, int x1, int y1) {
    const int w = st.pen.width();
    const double off = (w % 2) ? 0.5 : 0.0;
    cairo_set_line_width(cr, w);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0 + off, y0 + off);
    cairo_line_to(cr, x1 + off, y1 + off);
    SetColor(cr, st.pen.color());
    cairo_stroke(cr);
}

void DC::Impl::Line(int x0, int y0, int x1, int y1) {
    if (st.pen.style() == PS_NULL)
        return;
    if (st.pen.width() > 1) {
        WideLine(x0, y0, x1, y1);
    } else {
        ThinLine(x0, y0, x1, y1);
    }
}

void DC::Impl::FillLogical(const Rect& r, COLORREF c) {
    if (r.IsEmpty())
        return;
    cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    SetColor(cr, c);
    cairo_fill(cr);
}

// ---- the DC's calls ---------------------------------------------------------------

DC::DC() : impl_(std::make_unique<Impl>()) {
    impl_->ResetState();
    impl_->bitmap = StockBitmap();
}

DC::DC(Bitmap* bitmap) : impl_(std::make_unique<Impl>()) {
    impl_->ResetState();
    if (bitmap) {
        impl_->Attach(bitmap->surface());
        impl_->bitmap = bitmap;
    }
}

DC::DC(cairo_surface_t* surface) : impl_(std::make_unique<Impl>()) {
    impl_->ResetState();
    impl_->Attach(surface);
}

DC::~DC() = default;

BOOL DC::CreateCompatibleDC(const DC* like) {
    impl_->Detach();
    impl_->hasBase = false;
    impl_->baseOrigin = Point();
    impl_->bitmap = StockBitmap();
    impl_->ResetState();
    if (like) {
        impl_->dpiX = like->impl_->dpiX;
        impl_->dpiY = like->impl_->dpiY;
    }
    return TRUE;
}

BOOL DC::DeleteDC() {
    impl_->Detach();
    impl_->bitmap = nullptr;
    return TRUE;
}

Pen* DC::SelectObject(Pen* pen) {
    if (!pen)
        return nullptr;
    Pen* old = impl_->st.penSel;
    impl_->st.pen = *pen;
    impl_->st.penSel = pen;
    return old;
}

Brush* DC::SelectObject(Brush* brush) {
    if (!brush)
        return nullptr;
    Brush* old = impl_->st.brushSel;
    impl_->st.brush = *brush;
    impl_->st.brushSel = brush;
    return old;
}

Font* DC::SelectObject(Font* font) {
    if (!font)
        return nullptr;
    Font* old = impl_->st.fontSel;
    impl_->st.font = font->logFont();
    impl_->st.fontSel = font;
    return old;
}

Bitmap* DC::SelectObject(Bitmap* bitmap) {
    if (!bitmap)
        return nullptr;
    Bitmap* old = impl_->bitmap;
    if (old == StockBitmap())
        old = nullptr;
    if (bitmap == StockBitmap()) {
        impl_->Detach();
    } else {
        impl_->Attach(bitmap->surface());
    }
    impl_->bitmap = bitmap;
    return old ? old : StockBitmap();
}

BOOL DC::SelectStockObject(int index) {
    if (Pen* p = Pen::Stock(index)) {
        SelectObject(p);
        return TRUE;
    }
    if (Brush* b = Brush::Stock(index)) {
        SelectObject(b);
        return TRUE;
    }
    return FALSE;
}

const Pen& DC::GetCurrentPen() const {
    return impl_->st.pen;
}
const Brush& DC::GetCurrentBrush() const {
    return impl_->st.brush;
}
const LogFont& DC::GetCurrentFont() const {
    return impl_->st.font;
}
Bitmap* DC::GetCurrentBitmap() const {
    return impl_->bitmap == StockBitmap() ? nullptr : impl_->bitmap;
}

COLORREF DC::SetTextColor(COLORREF c) {
    return std::exchange(impl_->st.text, c & 0xFFFFFF);
}
COLORREF DC::GetTextColor() const {
    return impl_->st.text;
}
COLORREF DC::SetBkColor(COLORREF c) {
    return std::exchange(impl_->st.bk, c & 0xFFFFFF);
}
COLORREF DC::GetBkColor() const {
    return impl_->st.bk;
}
int DC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(impl_->st.bkMode, mode);
}
int DC::GetBkMode() const {
    return impl_->st.bkMode;
}
UINT DC::SetTextAlign(UINT flags) {
    return std::exchange(impl_->st.align, flags);
}
UINT DC::GetTextAlign() const {
    return impl_->st.align;
}
int DC::SetStretchBltMode(int mode) {
    return std::exchange(impl_->st.stretchMode, mode);
}

Point DC::SetViewportOrg(int x, int y) {
    Point old = impl_->st.org - impl_->baseOrigin;
    impl_->st.org = impl_->baseOrigin + Point(x, y);
    return old;
}
Point DC::OffsetViewportOrg(int dx, int dy) {
    Point old = impl_->st.org - impl_->baseOrigin;
    impl_->st.org += Point(dx, dy);
    return old;
}
Point DC::GetViewportOrg() const {
    return impl_->st.org - impl_->baseOrigin;
}

void DC::SetResolution(int dpiX, int dpiY) {
    impl_->dpiX = dpiX > 0 ? dpiX : 96;
    impl_->dpiY = dpiY > 0 ? dpiY : 96;
}

int DC::GetDeviceCaps(int index) const {
    Size s = GetSurfaceSize();
    switch (index) {
        case LOGPIXELSX:
            return impl_->dpiX;
        case LOGPIXELSY:
            return impl_->dpiY;
        case HORZRES:
            return s.cx;
        case VERTRES:
            return s.cy;
        case HORZSIZE:
            return static_cast<int>(std::lround(s.cx * 25.4 / impl_->dpiX));
        case VERTSIZE:
            return static_cast<int>(std::lround(s.cy * 25.4 / impl_->dpiY));
        case BITSPIXEL:
            return 32;
        default:
            return 0;
    }
}

Size DC::GetSurfaceSize() const {
    if (impl_->hasBase)
        return impl_->base.Intersected(impl_->SurfaceRect()).GetSize();
    return impl_->SurfaceRect().GetSize();
}

Point DC::MoveTo(int x, int y) {
    Point old = impl_->st.pos;
    impl_->st.pos = {x, y};
    impl_->st.styleStep = 0;
    return old;
}

Point DC::GetCurrentPosition() const {
    return impl_->st.pos;
}

BOOL DC::LineTo(int x, int y) {
    Point from = impl_->st.pos;
    impl_->st.pos = {x, y};
    if (impl_->Begin()) {
        impl_->Line(from.x, from.y, x, y);
        impl_->End();
    }
    return TRUE;
}

BOOL DC::Polyline(const Point* points, int count) {
    if (!points || count < 2)
        return FALSE;
    Point saved = impl_->st.pos;
    MoveTo(points[0]);
    for (int i = 1; i < count; ++i)
        LineTo(points[i]);
    impl_->st.pos = saved;
    return TRUE;
}

BOOL DC::Rectangle(int l, int t, int r, int b) {
    Rect rc = Rect(l, t, r, b).Normalized();
    if (!impl_->Begin())
        return TRUE;
    Impl& d = *impl_;
    const Pen& pen = d.st.pen;
    const bool nullPen = pen.style() == PS_NULL;
    if (!d.st.brush.IsNull()) {
        Rect fill = rc;
        if (nullPen) {
            fill.right -= 1;
            fill.bottom -= 1;
        } else {
            fill.Deflate(1, 1);
        }
        d.FillLogical(fill, d.st.brush.color());
    }
    if (!nullPen && !rc.IsEmpty()) {
        const int w = pen.width();
        if (w == 1) {
            d.st.styleStep = 0;
            if (rc.Width() == 1 || rc.Height() == 1) {
                d.FillLogical(rc, pen.color());
            } else {
                d.ThinLine(rc.left, rc.top, rc.right - 1, rc.top);
                d.ThinLine(rc.right - 1, rc.top, rc.right - 1, rc.bottom - 1);
                d.ThinLine(rc.right - 1, rc.bottom - 1, rc.left, rc.bottom - 1);
                d.ThinLine(rc.left, rc.bottom - 1, rc.left, rc.top);
            }
        } else {
            // Wide frames: centred on the outline, or inside it for PS_INSIDEFRAME.
            double inset = pen.style() == PS_INSIDEFRAME ? w / 2.0 : ((w % 2) ? 0.5 : 0.0);
            double x0 = rc.left + inset, y0 = rc.top + inset;
            double x1 = rc.right - (pen.style() == PS_INSIDEFRAME ? w / 2.0 : 1 - inset);
            double y1 = rc.bottom - (pen.style() == PS_INSIDEFRAME ? w / 2.0 : 1 - inset);
            cairo_set_line_width(d.cr, w);
            cairo_set_line_join(d.cr, CAIRO_LINE_JOIN_MITER);
            cairo_rectangle(d.cr, x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0));
            SetColor(d.cr, pen.color());
            cairo_stroke(d.cr);
        }
    }
    d.End();
    return TRUE;
}

BOOL DC::Ellipse(int l, int t, int r, int b) {
    Rect rc = Rect(l, t, r, b).Normalized();
    if (rc.IsEmpty() || !impl_->Begin())
        return TRUE;
    Impl& d = *impl_;
    auto path = [&](double inset) {
        double w = rc.Width() - 2 * inset, h = rc.Height() - 2 * inset;
        if (w <= 0 || h <= 0)
            return false;
        cairo_save(d.cr);
        cairo_translate(d.cr, rc.left + inset + w / 2.0, rc.top + inset + h / 2.0);
        cairo_scale(d.cr, w / 2.0, h / 2.0);
        cairo_arc(d.cr, 0, 0, 1, 0, 2 * std::numbers::pi);
        cairo_restore(d.cr);
        return true;
    };
    if (!d.st.brush.IsNull() && path(0.5)) {
        SetColor(d.cr, d.st.brush.color());
        cairo_fill(d.cr);
    }
    if (d.st.pen.style() != PS_NULL && path(d.st.pen.width() / 2.0)) {
        cairo_set_line_width(d.cr, d.st.pen.width());
        SetColor(d.cr, d.st.pen.color());
        cairo_stroke(d.cr);
    }
    d.End();
    return TRUE;
}

int DC::FillRect(const Rect& r, const Brush* brush) {
    if (!brush || brush->IsNull() || r.IsEmpty())
        return TRUE;
    if (impl_->Begin()) {
        impl_->FillLogical(r, brush->color());
        impl_->End();
    }
    return TRUE;
}

void DC::FillSolidRect(const Rect& r, COLORREF color) {
    if (r.IsEmpty() || !impl_->Begin())
        return;
    impl_->FillLogical(r, color & 0xFFFFFF);
    impl_->End();
}

void DC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    FillSolidRect(Rect(x, y, x + cx, y + cy), color);
}

int DC::FrameRect(const Rect& r, const Brush* brush) {
    if (!brush || brush->IsNull() || r.IsEmpty())
        return TRUE;
    if (!impl_->Begin())
        return TRUE;
    Impl& d = *impl_;
    d.FillLogical(Rect(r.left, r.top, r.right, r.top + 1), brush->color());
    d.FillLogical(Rect(r.left, r.bottom - 1, r.right, r.bottom), brush->color());
    d.FillLogical(Rect(r.left, r.top, r.left + 1, r.bottom), brush->color());
    d.FillLogical(Rect(r.right - 1, r.top, r.right, r.bottom), brush->color());
    d.End();
    return TRUE;
}

void DC::InvertRect(const Rect& r) {
    if (r.IsEmpty() || !impl_->Begin())
        return;
    cairo_set_operator(impl_->cr, CAIRO_OPERATOR_DIFFERENCE);
    impl_->FillLogical(r, RGB(255, 255, 255));
    impl_->End();
}

void DC::DrawFocusRect(const Rect& r) {
    if (r.IsEmpty() || !impl_->Begin())
        return;
    Impl& d = *impl_;
    int n = 0;
    auto dot = [&](int x, int y) {
        if ((n++ % 2) == 0)
            Impl::PixelPath(d.cr, x, y);
    };
    for (int x = r.left; x < r.right; ++x)
        dot(x, r.top);
    for (int y = r.top + 1; y < r.bottom; ++y)
        dot(r.right - 1, y);
    for (int x = r.right - 2; x >= r.left && r.bottom - 1 > r.top; --x)
        dot(x, r.bottom - 1);
    for (int y = r.bottom - 2; y > r.top && r.right - 1 > r.left; --y)
        dot(r.left, y);
    cairo_set_operator(d.cr, CAIRO_OPERATOR_DIFFERENCE);
    SetColor(d.cr, RGB(255, 255, 255));
    cairo_fill(d.cr);
    d.End();
}

COLORREF DC::SetPixel(int x, int y, COLORREF color) {
    Point dev = impl_->st.org + Point(x, y);
    if (!impl_->Effective().PtInRect(dev))
        return CLR_INVALID;
    // Written straight into the surface: grids set many thousands of pixels.
    cairo_surface_t* s = impl_->surface;
    cairo_surface_flush(s);
    const std::uint32_t v =
        0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    std::memcpy(
        cairo_image_surface_get_data(s) + dev.y * cairo_image_surface_get_stride(s) + 4 * dev.x, &v,
        4);
    cairo_surface_mark_dirty_rectangle(s, dev.x, dev.y, 1, 1);
    return color & 0xFFFFFF;
}

COLORREF DC::GetPixel(int x, int y) const {
    Point dev = impl_->st.org + Point(x, y);
    Rect area = impl_->SurfaceRect();
    if (impl_->hasBase)
        area = area.Intersected(impl_->base);
    if (!area.PtInRect(dev))
        return CLR_INVALID;
    cairo_surface_flush(impl_->surface);
    const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
    int stride = cairo_image_surface_get_stride(impl_->surface);
    std::uint32_t v;
    std::memcpy(&v, data + dev.y * stride + 4 * dev.x, 4);
    return FromRaw(v, cairo_image_surface_get_format(impl_->surface) == CAIRO_FORMAT_ARGB32);
}

// ---- clipping -----------------------------------------------------------------

int DC::IntersectClipRect(int l, int t, int r, int b) {
    Impl& d = *impl_;
    Rect want(l, t, r, b);
    want.Offset(d.st.org);
    Rect current =
        d.st.hasClip ? d.st.clip : Rect(INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2);
    d.st.clip = current.Intersected(want);
    d.st.hasClip = true;
    return d.Effective().IsEmpty() ? NULLREGION : SIMPLEREGION;
}

int DC::SelectClipRgn(std::nullptr_t) {
    impl_->st.hasClip = false;
    return impl_->Effective().IsEmpty() ? NULLREGION : SIMPLEREGION;
}

int DC::GetClipBox(Rect* r) const {
    if (!r)
        return ERROR;
    Rect e = impl_->Effective();
    if (e.IsEmpty()) {
        r->SetRectEmpty();
        return NULLREGION;
    }
    e.Offset(-impl_->st.org.x, -impl_->st.org.y);
    *r = e;
    return SIMPLEREGION;
}

bool DC::PtVisible(int x, int y) const {
    return impl_->Effective().PtInRect(impl_->st.org + Point(x, y));
}

// ---- state ----------------------------------------------------------------------

int DC::SaveDC() {
    if (impl_->saved.size() >= 4096)
        return 0;
    impl_->saved.push_back(impl_->st);
    return static_cast<int>(impl_->saved.size());
}

BOOL DC::RestoreDC(int level) {
    int n = static_cast<int>(impl_->saved.size());
    if (level < 0)
        level = n + level + 1;
    if (level < 1 || level > n)
        return FALSE;
    impl_->st = impl_->saved[level - 1];
    impl_->saved.resize(level - 1);
    return TRUE;
}

// ---- copies -----------------------------------------------------------------------

BOOL DC::BitBlt(int x, int y, int w, int h, const DC* src, int sx, int sy, DWORD rop) {
    if (w <= 0 || h <= 0)
        return TRUE;
    Impl& d = *impl_;
    if (rop == BLACKNESS || rop == WHITENESS) {
        FillSolidRect(Rect(x, y, x + w, y + h),
                      rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
        return TRUE;
    }
    if (!src || !src->impl_->surface)
        return FALSE;
    const Impl& s = *src->impl_;
    // Only the part of the block that exists in the source is copied.
    Point srcDev = s.st.org + Point(sx, sy);
    Rect srcBlock(srcDev, Size(w, h));
    Rect avail = srcBlock.Intersected(s.SurfaceRect());
    if (avail.IsEmpty())
        return TRUE;
    Rect dest(x + avail.left - srcDev.x, y + avail.top - srcDev.y, 0, 0);
    dest.right = dest.left + avail.Width();
    dest.bottom = dest.top + avail.Height();

    cairo_surface_t* from = s.surface;
    cairo_surface_t* copy = nullptr;
    Point fromOrigin = avail.TopLeft();
    if (from == d.surface) {
        // Copying within one surface: take the block out first.
        copy = MakeSurface(avail.Width(), avail.Height(), true);
        cairo_t* c = cairo_create(copy);
        cairo_set_source_surface(c, from, -avail.left, -avail.top);
        cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c);
        cairo_destroy(c);
        from = copy;
        fromOrigin = Point();
    } else {
        cairo_surface_flush(from);
    }
    if (d.Begin()) {
        cairo_set_operator(d.cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(d.cr, from, dest.left - fromOrigin.x, dest.top - fromOrigin.y);
        cairo_pattern_set_filter(cairo_get_source(d.cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(d.cr, dest.left, dest.top, dest.Width(), dest.Height());
        cairo_fill(d.cr);
        d.End();
    }
    if (copy)
        cairo_surface_destroy(copy);
    return TRUE;
}

BOOL DC::StretchBlt(int x, int y, int w, int h, const DC* src, int sx, int sy, int sw, int sh,
                    DWORD rop) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0)
        return TRUE;
    if (rop == BLACKNESS || rop == WHITENESS)
        return BitBlt(x, y, w, h, nullptr, 0, 0, rop);
    if (!src || !src->impl_->surface)
        return FALSE;
    Impl& d = *impl_;
    const Impl& s = *src->impl_;
    cairo_surface_t* from = s.surface;
    cairo_surface_t* copy = nullptr;
    Point srcDev = s.st.org + Point(sx, sy);
    if (from == d.surface) {
        Rect whole = s.SurfaceRect();
        copy = MakeSurface(whole.Width(), whole.Height(), true);
        cairo_t* c = cairo_create(copy);
        cairo_set_source_surface(c, from, 0, 0);
        cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c);
        cairo_destroy(c);
        from = copy;
    } else {
        cairo_surface_flush(from);
    }
    if (d.Begin()) {
        cairo_pattern_t* pat = cairo_pattern_create_for_surface(from);
        cairo_matrix_t m;
        // Pattern space is the source; map destination logical to source pixels.
        cairo_matrix_init_translate(&m, srcDev.x, srcDev.y);
        cairo_matrix_scale(&m, static_cast<double>(sw) / w, static_cast<double>(sh) / h);
        cairo_matrix_translate(&m, -x, -y);
        cairo_pattern_set_matrix(pat, &m);
        cairo_pattern_set_filter(
            pat, d.st.stretchMode == HALFTONE ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
        Rect dest = Rect(x, y, x + w, y + h).Normalized();
        Rect srcRect = Rect(srcDev.x, srcDev.y, srcDev.x + sw, srcDev.y + sh).Normalized();
        Rect inside = srcRect.Intersected(s.SurfaceRect());
        if (!inside.IsEmpty()) {
            cairo_set_operator(d.cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source(d.cr, pat);
            cairo_rectangle(d.cr, dest.left, dest.top, dest.Width(), dest.Height());
            cairo_fill(d.cr);
        }
        cairo_pattern_destroy(pat);
        d.End();
    }
    if (copy)
        cairo_surface_destroy(copy);
    return TRUE;
}

BOOL DC::DrawBitmap(int x, int y, const Bitmap& bitmap) {
    if (bitmap.IsEmpty())
        return FALSE;
    if (impl_->Begin()) {
        cairo_surface_flush(bitmap.surface());
        cairo_set_source_surface(impl_->cr, bitmap.surface(), x, y);
        cairo_rectangle(impl_->cr, x, y, bitmap.Width(), bitmap.Height());
        cairo_fill(impl_->cr);
        impl_->End();
    }
    return TRUE;
}

BOOL DC::DrawBitmap(const Rect& dest, const Bitmap& bitmap) {
    if (bitmap.IsEmpty() || dest.IsEmpty())
        return FALSE;
    if (impl_->Begin()) {
        cairo_surface_flush(bitmap.surface());
        cairo_t* cr = impl_->cr;
        cairo_save(cr);
        cairo_translate(cr, dest.left, dest.top);
        cairo_scale(cr, static_cast<double>(dest.Width()) / bitmap.Width(),
                    static_cast<double>(dest.Height()) / bitmap.Height());
        cairo_set_source_surface(cr, bitmap.surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_rectangle(cr, 0, 0, bitmap.Width(), bitmap.Height());
        cairo_fill(cr);
        cairo_restore(cr);
        impl_->End();
    }
    return TRUE;
}

BOOL DC::DrawIcon(int x, int y, HICON icon) {
    if (!icon || !icon->image())
        return FALSE;
    return DrawBitmap(x, y, *icon->image());
}

cairo_surface_t* DC::surface() const {
    return impl_->surface;
}

void DC::SetBaseArea(const Rect& area, Point origin) {
    impl_->hasBase = true;
    impl_->base = area;
    impl_->baseOrigin = origin;
    impl_->st.org = origin;
    impl_->st.hasClip = false;
}

}  // namespace platform
