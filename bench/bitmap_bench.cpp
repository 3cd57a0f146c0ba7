// Bitmap toolkit benchmark: times shrinking, enlarging, quarter turns and
// cropping on generated photographs, next to two references measured in the
// same run: the memory floor (one plain pass over the source bytes, or a plain
// copy for turns and crops) and, when it is installed, libvips doing the same
// work on the same pixels with one thread.
//
//   cv_bitmap_bench [--runs N]
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "decoder/dib.h"

#ifdef CV_HAVE_VIPS
#include <vips/vips.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// --- peak memory ------------------------------------------------------------

long StatusKB(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t len = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, len) == 0 && line[len] == ':') {
            value = std::strtol(line + len + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

// Resets the peak resident size so that the next peak belongs to one call.
bool ResetPeak() {
    FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f == nullptr)
        return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

// Extra peak memory of one call in MB, or a negative value when the system
// does not tell.
double ExtraPeakMB(const std::function<void()>& work) {
    malloc_trim(0);
    const long before = StatusKB("VmRSS");
    if (!ResetPeak() || before < 0) {
        work();
        return -1;
    }
    work();
    const long peak = StatusKB("VmHWM");
    return peak < 0 ? -1 : std::max(0L, peak - before) / 1024.0;
}

// --- test images ------------------------------------------------------------

// Noise on smooth colour gradients, crossed by one-pixel lines every few
// pixels: detail at every scale, like a photograph of a fence against a sky.
DIB* MakePhoto(int width, int height, std::uint32_t seed) {
    DIB* dib = DIB::Create(width, height, 24);
    if (dib == nullptr)
        return nullptr;
    std::uint32_t s = seed;
    for (int y = 0; y < height; ++y) {
        BYTE* row = dib->pixels + std::size_t(y) * dib->Stride();
        const bool hline = y % 37 == 0 || y % 53 == 1;
        for (int x = 0; x < width; ++x) {
            s ^= s << 13, s ^= s >> 17, s ^= s << 5;
            const int noise = int(s & 31) - 16;
            const bool vline = x % 29 == 0 || x % 41 == 3;
            int b = 40 + 160 * x / width + noise;
            int g = 30 + 180 * y / height + noise;
            int r = 200 - 150 * (x + y) / (width + height) + noise;
            if (hline || vline)
                b = g = r = (x + y) % 2 ? 250 : 10;
            row[3 * x] = BYTE(std::clamp(b, 0, 255));
            row[3 * x + 1] = BYTE(std::clamp(g, 0, 255));
            row[3 * x + 2] = BYTE(std::clamp(r, 0, 255));
        }
    }
    return dib;
}

std::size_t PixelBytes(const DIB* d) {
    return d->Stride() * std::size_t(d->Height());
}

// One plain pass reading every byte of the bitmap.
volatile std::uint64_t g_sink;
void ReadPass(const DIB* d) {
    const auto* p = reinterpret_cast<const std::uint64_t*>(d->pixels);
    const std::size_t n = PixelBytes(d) / 8;
    std::uint64_t a = 0, b = 0;
    for (std::size_t i = 0; i + 1 < n; i += 2)
        a += p[i], b ^= p[i + 1];
    g_sink = a + b;
}

// A plain copy into new memory, as any operation producing a new bitmap of
// the same size must at least do.
void WritePass(std::size_t n) {
    auto* q = static_cast<BYTE*>(std::malloc(n));
    if (q == nullptr)
        return;
    std::memset(q, 0x55, n);
    g_sink = q[n / 2];
    std::free(q);
}

void CopyPass(const DIB* d) {
    const std::size_t n = PixelBytes(d);
    auto* q = static_cast<BYTE*>(std::malloc(n));
    if (q == nullptr)
        return;
    std::memcpy(q, d->pixels, n);
    g_sink = q[n / 2];
    std::free(q);
}

// --- peers ------------------------------------------------------------------

#ifdef CV_HAVE_VIPS
VipsImage* VipsWrap(const DIB* d) {
    return vips_image_new_from_memory(d->pixels, PixelBytes(d), d->Width(), d->Height(), 3,
                                      VIPS_FORMAT_UCHAR);
}

// Runs a vips operation producing `out` from `in` and forces every pixel into
// memory, as our operations do.
bool VipsRun(const DIB* src, const std::function<int(VipsImage*, VipsImage**)>& op) {
    VipsImage* in = VipsWrap(src);
    if (in == nullptr)
        return false;
    VipsImage* out = nullptr;
    bool ok = op(in, &out) == 0;
    if (ok) {
        std::size_t size = 0;
        void* mem = vips_image_write_to_memory(out, &size);
        ok = mem != nullptr;
        g_free(mem);
    }
    if (out)
        g_object_unref(out);
    g_object_unref(in);
    return ok;
}
#endif

struct Peer {
    std::string name;
    std::function<bool()> run;
};

// The memory floor of an operation: a read pass over the source (shrinks),
// an allocating copy of the source (turns, crops), or writing a new bitmap of
// the target's size (enlargements).
enum Floor { kRead, kCopy, kWrite };

struct Case {
    std::string name;
    const DIB* src;
    std::function<DIB*()> ours;
    Floor floor;
    double megapixels;  // source pixels for shrinks, target pixels otherwise
    std::vector<Peer> peers;
    // For operations in place: makes the bitmap to work on, outside the timing.
    std::function<DIB*()> prepare = nullptr;
    std::function<void(DIB*)> inPlace = nullptr;
    std::size_t writeBytes = 0;  // for kWrite
};

struct Result {
    double ours = 0, floor = 0;
    std::vector<double> peers;
    double oursMB = -1, targetMB = 0;
    std::vector<double> peersMB;
};

template <typename F>
double TimeOnce(F&& f) {
    const auto t0 = Clock::now();
    f();
    return Ms(Clock::now() - t0);
}

Result Measure(const Case& c, int runs) {
    std::vector<double> ours, floor;
    std::vector<std::vector<double>> peers(c.peers.size());
    // Interleaved, so that a burst of load from elsewhere hits all columns.
    for (int i = 0; i < runs; ++i) {
        if (c.inPlace) {
            DIB* d = c.prepare();
            ours.push_back(TimeOnce([&] { c.inPlace(d); }));
            DIB::Destroy(d);
        } else {
            ours.push_back(TimeOnce([&] { DIB::Destroy(c.ours()); }));
        }
        floor.push_back(TimeOnce([&] {
            if (c.floor == kRead)
                ReadPass(c.src);
            if (c.floor == kCopy)
                CopyPass(c.src);
            if (c.floor == kWrite)
                WritePass(c.writeBytes);
        }));
        for (std::size_t p = 0; p < c.peers.size(); ++p)
            peers[p].push_back(TimeOnce([&] { c.peers[p].run(); }));
    }
    Result r;
    r.ours = Median(ours);
    r.floor = Median(floor);
    for (auto& p : peers)
        r.peers.push_back(Median(p));
    DIB* kept = c.inPlace ? c.prepare() : nullptr;
    r.oursMB = ExtraPeakMB([&] {
        if (c.inPlace) {
            c.inPlace(kept);
        } else {
            kept = c.ours();
        }
    });
    if (kept != nullptr)
        r.targetMB = PixelBytes(kept) / 1048576.0;
    DIB::Destroy(kept);
    for (const Peer& p : c.peers)
        r.peersMB.push_back(ExtraPeakMB([&] { p.run(); }));
    return r;
}

std::string MB(double v) {
    char buf[32];
    if (v < 0)
        return "n/a";
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    // Large blocks always come from and go back to the system, so that the
    // peak resident size of one call shows what that call needed.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024);

    char host[256] = "unknown";
    gethostname(host, sizeof host - 1);
    std::printf("Bitmap toolkit benchmark on %s, median of %d runs, one thread\n", host, runs);
#ifdef CV_HAVE_VIPS
    if (VIPS_INIT(argv[0]) != 0) {
        std::printf("libvips failed to start: %s\n", vips_error_buffer());
        return 1;
    }
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    std::printf("peer: libvips %s (in process, concurrency 1, no operation cache)\n",
                vips_version_string());
#else
    std::printf("peer: libvips is not installed; only our figures and the memory floor\n");
#endif

    DIB* large = MakePhoto(6000, 4000, 12345);
    DIB* medium = MakePhoto(1500, 1000, 777);
    DIB* small = MakePhoto(800, 533, 4242);
    if (!large || !medium || !small) {
        std::printf("cannot allocate the test images\n");
        return 1;
    }
    DIB* shrunk = DIB::Resample(large, 1500, 1000, 0);

    std::vector<Case> cases;
    auto peer = [](std::string name, std::function<bool()> run) { return Peer{name, run}; };
#ifdef CV_HAVE_VIPS
#define VIPS_PEER(label, src, ...)                                                        \
    peer(label, [=] {                                                                     \
        return VipsRun(src, [=](VipsImage* in, VipsImage** out) { return __VA_ARGS__; }); \
    })
#else
#define VIPS_PEER(label, src, ...) peer(label, [] { return false; })
#endif
    std::vector<Peer> none;
    cases.push_back(
        {"mode 0 6000x4000 -> 600x400",
         large,
         [=] { return DIB::Resample(large, 600, 400, 0); },
         kRead,
         24.0,
         {VIPS_PEER("vips_shrink 10", large, vips_shrink(in, out, 10.0, 10.0, nullptr))}});
    cases.push_back(
        {"mode 0 6000x4000 -> 1500x1000",
         large,
         [=] { return DIB::Resample(large, 1500, 1000, 0); },
         kRead,
         24.0,
         {VIPS_PEER("vips_shrink 4", large, vips_shrink(in, out, 4.0, 4.0, nullptr)),
          VIPS_PEER("vips_reduce linear 4", large,
                    vips_reduce(in, out, 4.0, 4.0, "kernel", VIPS_KERNEL_LINEAR, nullptr))}});
    cases.push_back({"mode 1 6000x4000 -> 1500x1000",
                     large,
                     [=] { return DIB::Resample(large, 1500, 1000, 1); },
                     kRead,
                     24.0,
                     {VIPS_PEER("vips_shrink 4", large, vips_shrink(in, out, 4.0, 4.0, nullptr))}});
    Case sharpen{"sharpen 1500x1000 (mode 1 step)", shrunk, nullptr, kRead, 1.5, none};
    sharpen.prepare = [=] { return DIB::Create(1500, 1000, 24, 0, nullptr, shrunk->pixels); };
    sharpen.inPlace = [](DIB* d) { DIB::Sharpen(d); };
    cases.push_back(sharpen);
    cases.push_back({"mode 2 800x533 -> 2400x1600",
                     small,
                     [=] { return DIB::Resample(small, 2400, 1600, 2); },
                     kWrite,
                     2400 * 1600 / 1e6,
                     {VIPS_PEER("vips_resize cubic", small,
                                vips_resize(in, out, 3.0, "vscale", 1600.0 / 533.0, "kernel",
                                            VIPS_KERNEL_CUBIC, nullptr))}});
    cases.back().writeBytes = 2400 * 1600 * 3;
    cases.push_back(
        {"mode 2 6000x4000 -> 1500x1000",
         large,
         [=] { return DIB::Resample(large, 1500, 1000, 2); },
         kRead,
         24.0,
         {VIPS_PEER("vips_reduce cubic 4", large,
                    vips_reduce(in, out, 4.0, 4.0, "kernel", VIPS_KERNEL_CUBIC, nullptr))}});
    cases.push_back(
        {"mode 3 6000x4000 -> 600x400",
         large,
         [=] { return DIB::Resample(large, 600, 400, 3); },
         kRead,
         24.0,
         {VIPS_PEER("vips_subsample 10", large, vips_subsample(in, out, 10, 10, nullptr))}});
    cases.push_back(
        {"rotate 90 1500x1000",
         medium,
         [=] { return DIB::Rotate(medium, 90); },
         kCopy,
         1.5,
         {VIPS_PEER("vips_rot 90", medium, vips_rot(in, out, VIPS_ANGLE_D90, nullptr))}});
    cases.push_back(
        {"rotate 90 6000x4000",
         large,
         [=] { return DIB::Rotate(large, 90); },
         kCopy,
         24.0,
         {VIPS_PEER("vips_rot 90", large, vips_rot(in, out, VIPS_ANGLE_D90, nullptr))}});
    cases.push_back({"crop 6000x4000 -> 4000x3000",
                     large,
                     [=] { return DIB::Crop(large, 1000, 500, 5000, 3500); },
                     kCopy,
                     12.0,
                     {VIPS_PEER("vips_extract_area", large,
                                vips_extract_area(in, out, 1000, 500, 4000, 3000, nullptr))}});
#ifndef CV_HAVE_VIPS
    for (Case& c : cases)
        c.peers.clear();
#endif

    std::printf("\n%-34s %9s %8s %9s %9s %9s %9s  %-22s %9s %9s %9s\n", "operation", "ours ms",
                "MP/s", "extra MB", "target MB", "floor ms", "ours/flr", "peer", "peer ms",
                "ours/peer", "peer MB");
    std::vector<Result> results;
    for (const Case& c : cases) {
        Result r = Measure(c, runs);
        results.push_back(r);
        std::printf("%-34s %9.2f %8.1f %9s %9s %9.2f %9.2f", c.name.c_str(), r.ours,
                    c.megapixels / (r.ours / 1000.0), MB(r.oursMB).c_str(), MB(r.targetMB).c_str(),
                    r.floor, r.ours / r.floor);
        if (c.peers.empty())
            std::printf("  %-22s", "-");
        for (std::size_t p = 0; p < c.peers.size(); ++p) {
            if (p > 0)
                std::printf("\n%-34s %9s %8s %9s %9s %9s %9s", "", "", "", "", "", "", "");
            std::printf("  %-22s %9.2f %9.2f %9s", c.peers[p].name.c_str(), r.peers[p],
                        r.ours / r.peers[p], MB(r.peersMB[p]).c_str());
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf(
        "\nfloor: a read pass over the source (shrinks, sharpen), an allocating copy of the "
        "source (turns, crops),\n       or writing a new bitmap of the target's size "
        "(enlargement)\nMP/s: source pixels for shrinks, target pixels otherwise\n");

    // The goals, as ratios.
    auto line = [](const char* what, double ratio, double limit) {
        std::printf("  %-58s %6.2f  (goal <= %.2f) %s\n", what, ratio, limit,
                    ratio <= limit ? "met" : "MISSED");
    };
    std::printf("\ngoals\n");
    line("mode 0 -> 600x400 / memory floor", results[0].ours / results[0].floor, 5.0);
    line("mode 0 -> 1500x1000 / memory floor", results[1].ours / results[1].floor, 5.0);
    line("mode 1 -> 1500x1000 / memory floor", results[2].ours / results[2].floor, 5.0);
    line("sharpen 1500x1000 / mode 0 shrink to 1500x1000", results[3].ours / results[1].ours, 0.25);
    line("rotate 90 6000x4000 / plain copy", results[8].ours / results[8].floor, 3.0);
#ifdef CV_HAVE_VIPS
    line("mode 0 -> 600x400 / vips_shrink", results[0].ours / results[0].peers[0], 1.0);
    line("mode 0 -> 1500x1000 / vips_shrink", results[1].ours / results[1].peers[0], 1.0);
    line("mode 1 -> 1500x1000 / vips_shrink", results[2].ours / results[2].peers[0], 1.0);
    line("mode 2 enlarge / vips_resize cubic", results[4].ours / results[4].peers[0], 1.0);
#endif

    DIB::Destroy(shrunk);
    DIB::Destroy(small);
    DIB::Destroy(medium);
    DIB::Destroy(large);
#ifdef CV_HAVE_VIPS
    vips_shutdown();
#endif
    return 0;
}
