// Resampling: nearest neighbour, area averaging (12-bit fixed point) with the
// optional sharpen, and separable filtered resampling (16-bit fixed-point
// weights). All per-pixel work is integer arithmetic over contribution lists
// computed once per column and once per row; the inner loops run over
// contiguous rows without branches so that the compiler can vectorise them.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "decoder/dib.h"
#include "decoder/dib_internal.h"

using namespace dibdetail;

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) {
    if (x == 0.0)
        return 1.0;
    x *= kPi;
    return std::sin(x) / x;
}

// ---------------------------------------------------------------------------
// Source rows as 8-bit channels: one grey channel, or blue, green, red.

class RowSource {
  public:
    RowSource(const DIB* src, bool grey) : src_(src), bits_(src->BitCount()) {
        channels_ = grey ? 1 : 3;
        stride_ = src->Stride();
        if (bits_ <= 8) {
            const RGBQUAD* colors = src->Colors();
            const int n = src->ColorCount();
            bool identity = grey && bits_ == 8 && n == 256;
            for (int i = 0; i < 256; ++i) {
                RGBQUAD c = i < n ? colors[i] : RGBQUAD{0, 0, 0, 0};
                grey_[i] = c.rgbGreen;
                bgr_[i][0] = c.rgbBlue;
                bgr_[i][1] = c.rgbGreen;
                bgr_[i][2] = c.rgbRed;
                if (c.rgbGreen != i)
                    identity = false;
            }
            direct_ = identity;
        } else {
            direct_ = bits_ == 24;
        }
        for (unsigned v = 0; v < 32; ++v)
            widen_[v] = Widen5(v);
    }

    int channels() const { return channels_; }
    // Rows can be read in place (24-bit, or 8-bit with the identity grey
    // palette); otherwise Row converts into a buffer.
    bool direct() const { return direct_; }
    const BYTE* Raw(int y) const { return src_->pixels + std::size_t(y) * stride_; }

    // Row y in memory order as channels; `buffer` holds width × channels bytes.
    const BYTE* Row(int y, BYTE* buffer) const {
        const BYTE* s = Raw(y);
        if (direct_)
            return s;
        const int width = src_->Width();
        BYTE* d = buffer;
        switch (bits_) {
            case 1:
            case 4:
                for (int x = 0; x < width; ++x)
                    Put(d, x, GetPackedPixel(s, x, bits_));
                break;
            case 8:
                for (int x = 0; x < width; ++x)
                    Put(d, x, s[x]);
                break;
            case 16:
                for (int x = 0; x < width; ++x) {
                    unsigned p = s[2 * x] | (unsigned(s[2 * x + 1]) << 8);
                    d[3 * x] = widen_[p & 0x1F];
                    d[3 * x + 1] = widen_[(p >> 5) & 0x1F];
                    d[3 * x + 2] = widen_[(p >> 10) & 0x1F];
                }
                break;
            case 24:
                std::memcpy(d, s, std::size_t(width) * 3);
                break;
            default:
                for (int x = 0; x < width; ++x) {
                    d[3 * x] = s[4 * x];
                    d[3 * x + 1] = s[4 * x + 1];
                    d[3 * x + 2] = s[4 * x + 2];
                }
                break;
        }
        return buffer;
    }

  private:
    void Put(BYTE* d, int x, unsigned index) const {
        if (channels_ == 1) {
            d[x] = grey_[index];
        } else {
            d[3 * x] = bgr_[index][0];
            d[3 * x + 1] = bgr_[index][1];
            d[3 * x + 2] = bgr_[index][2];
        }
    }

    const DIB* src_;
    int bits_;
    int channels_;
    std::size_t stride_;
    bool direct_ = false;
    BYTE grey_[256];
    BYTE bgr_[256][3];
    BYTE widen_[32];
};

// A new 8-bit grey (256-step grey palette) or 24-bit bitmap in the source's
// row order.
DIB* CreateResult(const DIB* src, int width, int height, bool grey) {
    if (!grey)
        return DIB::Create(width, src->IsTopDown() ? -height : height, 24);
    RGBQUAD ramp[256];
    for (int i = 0; i < 256; ++i)
        ramp[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    return DIB::Create(width, src->IsTopDown() ? -height : height, 8, 256, ramp);
}

// Contribution lists: for target cell t, the source cells index[first[t] …
// first[t + 1]) with their weights.
template <typename Weight>
struct Contributions {
    std::vector<int> first{0};
    std::vector<int> index;
    std::vector<Weight> weight;
    std::vector<std::uint32_t> init;  // area averaging: the rounding term

    int Count(int t) const { return first[t + 1] - first[t]; }
    void Add(int i, Weight w) {
        index.push_back(i);
        weight.push_back(w);
    }
    void Close() { first.push_back(static_cast<int>(index.size())); }
};

// ---------------------------------------------------------------------------
// Area averaging

// n source cells onto m target cells (n >= m): each source cell carries
// MulDiv(m, 4096, n) units, each target cell collects 4096; a cell that
// straddles two targets gives the first the part that fills it and the second
// the rest. The first target starts from 0, the others from 2048, so all but
// the first are rounded to nearest.
Contributions<std::uint16_t> AreaContributions(int n, int m) {
    Contributions<std::uint16_t> c;
    int w = MulDiv(m, 4096, n);
    if (w < 0)
        w = 0;
    int t = 0, need = 4096;
    c.init.push_back(0);
    for (int s = 0; s < n && t < m; ++s) {
        if (w < need) {
            if (w > 0)
                c.Add(s, std::uint16_t(w));
            need -= w;
            continue;
        }
        c.Add(s, std::uint16_t(need));
        c.Close();
        const int rest = w - need;
        if (++t < m) {
            c.init.push_back(2048);
            if (rest > 0)
                c.Add(s, std::uint16_t(rest));
            need = 4096 - rest;
        }
    }
    // Rounded weights can fall short of filling the last targets; the last
    // source cell fills what is left rather than leaving them empty.
    while (t < m) {
        c.Add(n - 1, std::uint16_t(need));
        c.Close();
        if (++t < m) {
            c.init.push_back(2048);
            need = 4096;
        }
    }
    return c;
}

enum { kStart = 1, kFinish = 2 };

// Adds G weighted rows into the sums (starting from `init` with kStart) or,
// with kFinish, writes the finished 8-bit values instead.
template <int G, int Op>
void AreaRows(const BYTE* const* rows, const std::uint16_t* w, std::uint32_t init,
              std::uint32_t* __restrict sum, BYTE* __restrict out, std::size_t len) {
    const BYTE* __restrict r0 = rows[0];
    const BYTE* __restrict r1 = G > 1 ? rows[1] : rows[0];
    const BYTE* __restrict r2 = G > 2 ? rows[2] : rows[0];
    const BYTE* __restrict r3 = G > 3 ? rows[3] : rows[0];
    const std::uint16_t w0 = w[0], w1 = G > 1 ? w[1] : 0, w2 = G > 2 ? w[2] : 0,
                        w3 = G > 3 ? w[3] : 0;
    for (std::size_t j = 0; j < len; ++j) {
        std::uint32_t s = (Op & kStart) ? init : sum[j];
        s += std::uint32_t(w0) * r0[j];
        if constexpr (G > 1)
            s += std::uint32_t(w1) * r1[j];
        if constexpr (G > 2)
            s += std::uint32_t(w2) * r2[j];
        if constexpr (G > 3)
            s += std::uint32_t(w3) * r3[j];
        if constexpr ((Op & kFinish) != 0) {
            out[j] = BYTE(s >> 12);
        } else {
            sum[j] = s;
        }
    }
}

template <int G>
void AreaRowsOp(int op, const BYTE* const* rows, const std::uint16_t* w, std::uint32_t init,
                std::uint32_t* sum, BYTE* out, std::size_t len) {
    switch (op) {
        case 0:
            AreaRows<G, 0>(rows, w, init, sum, out, len);
            break;
        case kStart:
            AreaRows<G, kStart>(rows, w, init, sum, out, len);
            break;
        case kFinish:
            AreaRows<G, kFinish>(rows, w, init, sum, out, len);
            break;
        default:
            AreaRows<G, kStart | kFinish>(rows, w, init, sum, out, len);
            break;
    }
}

void AreaGroup(int g, int op, const BYTE* const* rows, const std::uint16_t* w, std::uint32_t init,
               std::uint32_t* sum, BYTE* out, std::size_t len) {
    switch (g) {
        case 1:
            AreaRowsOp<1>(op, rows, w, init, sum, out, len);
            break;
        case 2:
            AreaRowsOp<2>(op, rows, w, init, sum, out, len);
            break;
        case 3:
            AreaRowsOp<3>(op, rows, w, init, sum, out, len);
            break;
        default:
            AreaRowsOp<4>(op, rows, w, init, sum, out, len);
            break;
    }
}

// Horizontal reduction of one finished row.
template <int CH>
void AreaColumns(const BYTE* __restrict in, BYTE* __restrict out,
                 const Contributions<std::uint16_t>& c, int m) {
    const int* first = c.first.data();
    const int* index = c.index.data();
    const std::uint16_t* weight = c.weight.data();
    for (int t = 0; t < m; ++t) {
        std::uint32_t a[CH];
        for (int ch = 0; ch < CH; ++ch)
            a[ch] = c.init[t];
        const int end = first[t + 1];
        for (int k = first[t]; k < end; ++k) {
            const std::uint32_t w = weight[k];
            const BYTE* p = in + std::size_t(index[k]) * CH;
            for (int ch = 0; ch < CH; ++ch)
                a[ch] += w * p[ch];
        }
        for (int ch = 0; ch < CH; ++ch)
            out[std::size_t(t) * CH + ch] = BYTE(a[ch] >> 12);
    }
}

DIB* AreaAverage(const DIB* src, int tw, int th, DIBProgressProc progress, void* context) {
    const bool grey = src->HasGreyPalette();
    RowSource rows(src, grey);
    const int ch = rows.channels();
    const int sw = src->Width(), sh = src->Height();
    const std::size_t n = std::size_t(sw) * ch;
    DIBPtr dst(CreateResult(src, tw, th, grey));
    if (!dst)
        return nullptr;
    const Contributions<std::uint16_t> rc = AreaContributions(sh, th);
    const bool reduce = tw != sw;
    Contributions<std::uint16_t> cc;
    if (reduce)
        cc = AreaContributions(sw, tw);

    // Direct sources are summed in strips whose sums stay in the first-level
    // cache; converted sources are converted four rows at a time and summed
    // over the whole row.
    constexpr std::size_t kStrip = 4096;
    std::vector<std::uint32_t> sum(rows.direct() ? std::min(n, kStrip) : n);
    std::vector<BYTE> converted(rows.direct() ? 0 : 4 * n);
    std::vector<BYTE> vertical(reduce ? n : 0);

    for (int t = 0; t < th; ++t) {
        BYTE* out = reduce ? vertical.data() : dst->pixels + std::size_t(t) * dst->Stride();
        const int k = rc.Count(t);
        const int* idx = rc.index.data() + rc.first[t];
        const std::uint16_t* w = rc.weight.data() + rc.first[t];
        const std::uint32_t init = rc.init[t];
        const BYTE* group[4];
        if (rows.direct()) {
            for (std::size_t s0 = 0; s0 < n; s0 += kStrip) {
                const std::size_t len = std::min(kStrip, n - s0);
                for (int i = 0; i < k; i += 4) {
                    const int g = std::min(4, k - i);
                    for (int q = 0; q < g; ++q)
                        group[q] = rows.Raw(idx[i + q]) + s0;
                    const int op = (i == 0 ? kStart : 0) | (i + g == k ? kFinish : 0);
                    AreaGroup(g, op, group, w + i, init, sum.data(), out + s0, len);
                }
            }
        } else {
            for (int i = 0; i < k; i += 4) {
                const int g = std::min(4, k - i);
                for (int q = 0; q < g; ++q)
                    group[q] = rows.Row(idx[i + q], converted.data() + std::size_t(q) * n);
                const int op = (i == 0 ? kStart : 0) | (i + g == k ? kFinish : 0);
                AreaGroup(g, op, group, w + i, init, sum.data(), out, n);
            }
        }
        if (reduce) {
            BYTE* d = dst->pixels + std::size_t(t) * dst->Stride();
            if (ch == 1) {
                AreaColumns<1>(vertical.data(), d, cc, tw);
            } else {
                AreaColumns<3>(vertical.data(), d, cc, tw);
            }
        }
        if (!Report(progress, context, th, t + 1))
            return nullptr;
    }
    return dst.release();
}

// ---------------------------------------------------------------------------
// Nearest neighbour at the source's own depth

template <int Bytes>
void PickPixels(const BYTE* __restrict s, BYTE* __restrict d, const int* col, int tw) {
    for (int c = 0; c < tw; ++c) {
        const BYTE* p = s + std::size_t(col[c]) * Bytes;
        for (int b = 0; b < Bytes; ++b)
            d[std::size_t(c) * Bytes + b] = p[b];
    }
}

DIB* Nearest(const DIB* src, int tw, int th, DIBProgressProc progress, void* context) {
    const int sw = src->Width(), sh = src->Height(), bits = src->BitCount();
    DIBPtr dst(CreateLike(src, tw, th));
    if (!dst)
        return nullptr;
    // Column c takes source column max(0, ceil(c × sw ÷ tw) − 1): the column
    // an accumulator reaches that adds sw per target pixel and steps one
    // source pixel per tw it exceeds.
    std::vector<int> col(static_cast<std::size_t>(tw));
    for (int c = 0; c < tw; ++c)
        col[c] = c == 0 ? 0 : static_cast<int>((std::int64_t(c) * sw - 1) / tw);
    const std::size_t sstride = src->Stride(), dstride = dst->Stride();
    for (int r = 0; r < th; ++r) {
        const int sr = std::clamp(MulDiv(r, sh, th), 0, sh - 1);
        const BYTE* s = src->pixels + std::size_t(sr) * sstride;
        BYTE* d = dst->pixels + std::size_t(r) * dstride;
        switch (bits) {
            case 1:
            case 4:
                for (int c = 0; c < tw; ++c)
                    OrPackedPixel(d, c, bits, GetPackedPixel(s, col[c], bits));
                break;
            case 8:
                PickPixels<1>(s, d, col.data(), tw);
                break;
            case 16:
                PickPixels<2>(s, d, col.data(), tw);
                break;
            case 24:
                PickPixels<3>(s, d, col.data(), tw);
                break;
            default:
                PickPixels<4>(s, d, col.data(), tw);
                break;
        }
        if (!Report(progress, context, th, r + 1))
            return nullptr;
    }
    return dst.release();
}

// ---------------------------------------------------------------------------
// Filtered resampling

// Source index j mirrored back into 0 … n − 1.
int Mirror(int j, int n) {
    if (j < 0)
        j = -j;
    if (j >= n)
        j = 2 * n - j - 1;
    return std::clamp(j, 0, n - 1);
}

Contributions<std::int32_t> FilterContributions(int n, int m, int filter) {
    Contributions<std::int32_t> c;
    const float scale = float(m) / float(n);
    const double support = DIBFilterSupport(filter);
    const bool shrink = scale < 1.0f;
    const double width = shrink ? support / scale : support;
    for (int i = 0; i < m; ++i) {
        const float center = float(i) / scale;
        const int left = static_cast<int>(std::ceil(center - width));
        const int right = static_cast<int>(std::floor(center + width));
        for (int j = left; j <= right; ++j) {
            const double x = double(center) - j;
            const double weight =
                shrink ? DIBFilterValue(filter, x * scale) * scale : DIBFilterValue(filter, x);
            const auto w = static_cast<std::int32_t>(weight * 65536.0);
            if (w != 0)
                c.Add(Mirror(j, n), w);
        }
        c.Close();
    }
    return c;
}

inline BYTE ClampDiv(std::int32_t s) {
    const std::int32_t v = s / 65536;
    return BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
}

template <int G, int Op>
void FilterRows(const BYTE* const* rows, const std::int32_t* w, std::int32_t* __restrict sum,
                BYTE* __restrict out, std::size_t len) {
    const BYTE* __restrict r0 = rows[0];
    const BYTE* __restrict r1 = G > 1 ? rows[1] : rows[0];
    const BYTE* __restrict r2 = G > 2 ? rows[2] : rows[0];
    const BYTE* __restrict r3 = G > 3 ? rows[3] : rows[0];
    const std::int32_t w0 = w[0], w1 = G > 1 ? w[1] : 0, w2 = G > 2 ? w[2] : 0,
                       w3 = G > 3 ? w[3] : 0;
    for (std::size_t j = 0; j < len; ++j) {
        std::int32_t s = (Op & kStart) ? 0 : sum[j];
        s += w0 * std::int32_t(r0[j]);
        if constexpr (G > 1)
            s += w1 * std::int32_t(r1[j]);
        if constexpr (G > 2)
            s += w2 * std::int32_t(r2[j]);
        if constexpr (G > 3)
            s += w3 * std::int32_t(r3[j]);
        if constexpr ((Op & kFinish) != 0) {
            out[j] = ClampDiv(s);
        } else {
            sum[j] = s;
        }
    }
}

template <int G>
void FilterRowsOp(int op, const BYTE* const* rows, const std::int32_t* w, std::int32_t* sum,
                  BYTE* out, std::size_t len) {
    switch (op) {
        case 0:
            FilterRows<G, 0>(rows, w, sum, out, len);
            break;
        case kStart:
            FilterRows<G, kStart>(rows, w, sum, out, len);
            break;
        case kFinish:
            FilterRows<G, kFinish>(rows, w, sum, out, len);
            break;
        default:
            FilterRows<G, kStart | kFinish>(rows, w, sum, out, len);
            break;
    }
}

void FilterGroup(int g, int op, const BYTE* const* rows, const std::int32_t* w, std::int32_t* sum,
                 BYTE* out, std::size_t len) {
    switch (g) {
        case 1:
            FilterRowsOp<1>(op, rows, w, sum, out, len);
            break;
        case 2:
            FilterRowsOp<2>(op, rows, w, sum, out, len);
            break;
        case 3:
            FilterRowsOp<3>(op, rows, w, sum, out, len);
            break;
        default:
            FilterRowsOp<4>(op, rows, w, sum, out, len);
            break;
    }
}

template <int CH>
void FilterColumns(const BYTE* __restrict in, BYTE* __restrict out,
                   const Contributions<std::int32_t>& c, int m) {
    const int* first = c.first.data();
    const int* index = c.index.data();
    const std::int32_t* weight = c.weight.data();
    for (int t = 0; t < m; ++t) {
        std::int32_t a[CH] = {};
        const int end = first[t + 1];
        for (int k = first[t]; k < end; ++k) {
            const std::int32_t w = weight[k];
            const BYTE* p = in + std::size_t(index[k]) * CH;
            for (int ch = 0; ch < CH; ++ch)
                a[ch] += w * std::int32_t(p[ch]);
        }
        for (int ch = 0; ch < CH; ++ch)
            out[std::size_t(t) * CH + ch] = ClampDiv(a[ch]);
    }
}

DIB* Filtered(const DIB* src, int tw, int th, int filter, DIBProgressProc progress, void* context) {
    const bool grey = src->HasGreyPalette();
    RowSource rows(src, grey);
    const int ch = rows.channels();
    if (std::int64_t(tw) * th * ch > INT32_MAX)
        return nullptr;
    const int sw = src->Width(), sh = src->Height();
    const Contributions<std::int32_t> cc = FilterContributions(sw, tw, filter);
    const Contributions<std::int32_t> rc = FilterContributions(sh, th, filter);
    // The horizontally filtered source rows one target row needs always form
    // a run of consecutive rows; a ring of as many slots as the longest run
    // keeps each of them filtered once.
    int ring = 1;
    for (int t = 0; t < th; ++t) {
        const int b = rc.first[t], e = rc.first[t + 1];
        if (b == e)
            continue;
        const auto [lo, hi] = std::minmax_element(rc.index.begin() + b, rc.index.begin() + e);
        ring = std::max(ring, *hi - *lo + 1);
    }
    const std::size_t n = std::size_t(tw) * ch;
    // A very long run (a steep shrink of a wide result) would make the ring
    // as large as a bitmap. Four slots always suffice for the four rows one
    // group of taps uses at a time; rows are then filtered more than once.
    constexpr std::size_t kRingBytes = std::size_t(64) << 20;
    if (std::size_t(ring) * n > kRingBytes)
        ring = 4;
    DIBPtr dst(CreateResult(src, tw, th, grey));
    if (!dst)
        return nullptr;
    std::vector<BYTE> slots(n * std::size_t(ring));
    std::vector<int> tags(static_cast<std::size_t>(ring), -1);
    std::vector<BYTE> converted(rows.direct() ? 0 : std::size_t(sw) * ch);
    std::vector<std::int32_t> sum(n);
    auto filteredRow = [&](int y) -> const BYTE* {
        const int slot = y % ring;
        BYTE* p = slots.data() + std::size_t(slot) * n;
        if (tags[slot] != y) {
            const BYTE* in = rows.Row(y, converted.data());
            if (ch == 1) {
                FilterColumns<1>(in, p, cc, tw);
            } else {
                FilterColumns<3>(in, p, cc, tw);
            }
            tags[slot] = y;
        }
        return p;
    };
    for (int t = 0; t < th; ++t) {
        BYTE* out = dst->pixels + std::size_t(t) * dst->Stride();
        const int k = rc.Count(t);
        const int* idx = rc.index.data() + rc.first[t];
        const std::int32_t* w = rc.weight.data() + rc.first[t];
        if (k == 0)
            std::memset(out, 0, n);
        const BYTE* group[4];
        for (int i = 0; i < k; i += 4) {
            const int g = std::min(4, k - i);
            for (int q = 0; q < g; ++q)
                group[q] = filteredRow(idx[i + q]);
            const int op = (i == 0 ? kStart : 0) | (i + g == k ? kFinish : 0);
            FilterGroup(g, op, group, w + i, sum.data(), out, n);
        }
        if (!Report(progress, context, th, t + 1))
            return nullptr;
    }
    return dst.release();
}

}  // namespace

double DIBFilterValue(int filter, double x) {
    const double a = std::fabs(x);
    switch (filter) {
        case kFilterBox:
            return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0;
        case kFilterTriangle:
            return a < 1.0 ? 1.0 - a : 0.0;
        case kFilterHermite:
            return a < 1.0 ? (2.0 * a - 3.0) * a * a + 1.0 : 0.0;
        case kFilterBell:
            if (a < 0.5)
                return 0.75 - x * x;
            if (a < 1.5)
                return 0.5 * (a - 1.5) * (a - 1.5);
            return 0.0;
        case kFilterBSpline:
            if (a < 1.0)
                return 0.5 * a * a * a - x * x + 2.0 / 3.0;
            if (a < 2.0)
                return (2.0 - a) * (2.0 - a) * (2.0 - a) / 6.0;
            return 0.0;
        case kFilterLanczos3:
            return a < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0;
        case kFilterMitchell:
            if (a < 1.0)
                return (7.0 * a * a * a - 12.0 * x * x + 16.0 / 3.0) / 6.0;
            if (a < 2.0)
                return (-7.0 / 3.0 * a * a * a + 12.0 * x * x - 20.0 * a + 32.0 / 3.0) / 6.0;
            return 0.0;
        default:
            return 0.0;
    }
}

double DIBFilterSupport(int filter) {
    static const double kSupport[] = {0.5, 1.0, 1.0, 1.5, 2.0, 3.0, 2.0};
    return filter >= 0 && filter <= 6 ? kSupport[filter] : 0.0;
}

bool DIB::Sharpen(DIB* dib) {
    if (dib == nullptr || dib->header == nullptr)
        return false;
    const int bits = dib->BitCount();
    if (bits != 8 && bits != 24)
        return false;
    const int ch = bits / 8;
    const int width = dib->Width(), height = dib->Height();
    if (width < 3 || height < 3)
        return true;  // every pixel is on the border
    const std::size_t n = std::size_t(width) * ch, stride = dib->Stride();
    std::vector<BYTE> saved;
    try {
        saved.resize(2 * n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The rows above and at the current one are kept as they were before
    // sharpening; the row below is still untouched in place.
    BYTE* prev = saved.data();
    BYTE* cur = saved.data() + n;
    std::memcpy(prev, dib->pixels, n);
    for (int y = 1; y + 1 < height; ++y) {
        BYTE* row = dib->pixels + std::size_t(y) * stride;
        std::memcpy(cur, row, n);
        const BYTE* __restrict u = prev;
        const BYTE* __restrict m = cur;
        const BYTE* __restrict d = row + stride;
        BYTE* __restrict o = row;
        for (std::size_t j = ch; j + ch < n; ++j) {
            const int s = 28 * m[j] - 2 * (m[j - ch] + m[j + ch] + u[j] + d[j]) -
                          (u[j - ch] + u[j + ch] + d[j - ch] + d[j + ch]);
            const int v = (s + 7) >> 4;  // negative sums give 0, sums above 4080 give 255
            o[j] = BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
        }
        std::swap(prev, cur);
    }
    return true;
}

DIB* DIB::ResampleFiltered(const DIB* src, int width, int height, int filter,
                           DIBProgressProc progress, void* context) {
    if (src == nullptr || src->header == nullptr || width <= 0 || height <= 0 ||
        !IsSupportedDepth(src->BitCount()) || DIBFilterSupport(filter) == 0.0)
        return nullptr;
    try {
        return Filtered(src, width, height, filter, progress, context);
    } catch (const std::bad_alloc&) {  // the working tables; the partial result is freed
        return nullptr;
    }
}

DIB* DIB::Resample(const DIB* src, int width, int height, int mode, DIBProgressProc progress,
                   void* context) {
    if (src == nullptr || src->header == nullptr || width <= 0 || height <= 0 || mode < 0 ||
        mode > 3 || !IsSupportedDepth(src->BitCount()))
        return nullptr;
    const bool shrinking = src->Width() >= width && src->Height() >= height;
    try {
        if (shrinking && mode == 3)
            return Nearest(src, width, height, progress, context);
        if (shrinking && mode != 2) {
            DIB* dst = AreaAverage(src, width, height, progress, context);
            if (dst != nullptr && mode == 1 && !Sharpen(dst)) {
                Destroy(dst);
                return nullptr;
            }
            return dst;
        }
        return Filtered(src, width, height, kFilterHermite, progress, context);
    } catch (const std::bad_alloc&) {  // the working tables; the partial result is freed
        return nullptr;
    }
}
