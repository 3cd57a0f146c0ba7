// Test support: rendered images checked against reference PNG files
// ("golden" images). A case is a reference `<dir>/<case>.png` with an
// optional tolerance file `<dir>/<case>.tolerance`:
//
//     # how far one channel of a pixel may be off (0-255) ...
//     channel 8
//     # ... and how many pixels may be off by more than that
//     pixels 40
//
// (no file: the images must be equal). On a mismatch the actual image and a
// difference image are written to an output folder and their paths are part
// of the failure message. With CV_UPDATE_GOLDEN=1 in the environment the
// references are rewritten from the actual images instead. Header-only.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dc.h"

namespace golden {

struct Tolerance {
    int channel = 0;       // largest allowed difference of one channel
    long long pixels = 0;  // pixels allowed to differ by more than `channel`
};

// Reads a tolerance file. A missing file is the exact tolerance; FALSE with a
// reason for a line that is not "channel N" or "pixels N" (N >= 0, channel
// at most 255), a blank line or a # comment.
inline bool ReadTolerance(const std::string& path, Tolerance* out, std::string* error) {
    *out = Tolerance{};
    if (!std::filesystem::exists(path))
        return true;
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string key;
        if (!(words >> key) || key[0] == '#')
            continue;
        long long value = -1;
        std::string rest;
        const bool ok = (words >> value) && !(words >> rest) && value >= 0 &&
                        ((key == "channel" && value <= 255) || key == "pixels");
        if (!ok) {
            *error =
                path + ":" + std::to_string(number) + ": expected \"channel N\" or \"pixels N\"";
            return false;
        }
        if (key == "channel")
            out->channel = static_cast<int>(value);
        else
            out->pixels = value;
    }
    return true;
}

// The result of comparing two images of the same size.
struct Comparison {
    long long differing = 0;  // pixels off by more than the channel tolerance
    int largest = 0;          // largest difference of one channel anywhere
    // Where they differ: red beyond the tolerance, orange within it, the
    // reference faded to light grey where the pixels are equal.
    platform::Bitmap difference;
};

// The raw (premultiplied) pixel; an image without alpha is opaque, whatever
// its unused byte holds.
inline std::uint32_t Pixel(const platform::Bitmap& image, int x, int y) {
    const std::uint32_t raw = image.GetRawPixel(x, y);
    return image.HasAlpha() ? raw : (raw | 0xFF000000u);
}

// Compares the pixels (alpha, red, green, blue) of two images of equal size.
inline Comparison Compare(const platform::Bitmap& actual, const platform::Bitmap& expected,
                          int channelTolerance) {
    Comparison c;
    const int w = expected.Width(), h = expected.Height();
    c.difference.Create(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = Pixel(actual, x, y), e = Pixel(expected, x, y);
            int diff = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const int da = static_cast<int>((a >> shift) & 0xFF);
                const int de = static_cast<int>((e >> shift) & 0xFF);
                diff = std::max(diff, std::abs(da - de));
            }
            c.largest = std::max(c.largest, diff);
            COLORREF mark;
            if (diff > channelTolerance) {
                ++c.differing;
                mark = RGB(255, 0, 0);
            } else if (diff > 0) {
                mark = RGB(255, 160, 0);
            } else {
                const int grey = ((e >> 16 & 0xFF) + (e >> 8 & 0xFF) + (e & 0xFF)) / 3;
                const int light = 255 - (255 - grey) / 4;
                mark = RGB(light, light, light);
            }
            c.difference.SetPixel(x, y, mark);
        }
    }
    return c;
}

// The part `r` (clipped to the image) of an image, e.g. a window's rectangle
// in a host's rendering.
inline platform::Bitmap Crop(const platform::Bitmap& image, platform::Rect r) {
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min(r.right, image.Width()), bottom = std::min(r.bottom, image.Height());
    if (right <= left || bottom <= top)
        return platform::Bitmap();
    platform::Bitmap out(right - left, bottom - top, image.HasAlpha());
    cairo_surface_flush(image.surface());
    for (int y = top; y < bottom; ++y) {
        std::memcpy(out.Data() + (y - top) * out.Stride(),
                    image.Data() + y * image.Stride() + left * 4,
                    static_cast<std::size_t>(right - left) * 4);
    }
    out.MarkDirty();
    return out;
}

// Where two renderings of the same size differ in colour (alpha dropped):
// "N pixels in (left,top)-(right,bottom)", or "" when they agree everywhere.
// For checking that a partial repaint left what a full repaint draws.
inline std::string DifferingPixels(const platform::Bitmap& a, const platform::Bitmap& b) {
    const int w = std::min(a.Width(), b.Width()), h = std::min(a.Height(), b.Height());
    long long count = 0;
    platform::Rect where;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (a.GetPixel(x, y) == b.GetPixel(x, y))
                continue;
            const platform::Rect pixel(x, y, x + 1, y + 1);
            where = count++ == 0 ? pixel : where.United(pixel);
        }
    }
    if (count == 0)
        return {};
    return std::to_string(count) + " pixels in (" + std::to_string(where.left) + "," +
           std::to_string(where.top) + ")-(" + std::to_string(where.right) + "," +
           std::to_string(where.bottom) + ")";
}

// Whether CV_UPDATE_GOLDEN asks for the references to be rewritten.
inline bool Updating() {
    const char* v = std::getenv("CV_UPDATE_GOLDEN");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

// The case names of a folder: the stems of its *.png files and of the files
// ending in `inputExtension` (a case's input without a reference yet is a
// case too), sorted.
inline std::vector<std::string> Cases(const std::string& dir, const std::string& inputExtension) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file(ec) && (ext == ".png" || ext == inputExtension))
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// A name GoogleTest accepts for a case: letters, digits and '_'.
inline std::string TestName(const std::string& caseName) {
    std::string out = caseName;
    for (char& ch : out) {
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    }
    return out;
}

// Checks `actual` against `<referenceDir>/<name>.png` with the case's
// tolerance. On failure writes `<outputDir>/<name>.actual.png` and, when the
// sizes agree, `<outputDir>/<name>.diff.png`, and names them. When updating,
// writes the reference and succeeds.
inline ::testing::AssertionResult MatchesGolden(const platform::Bitmap& actual,
                                                const std::string& referenceDir,
                                                const std::string& name,
                                                const std::string& outputDir) {
    const std::string reference = referenceDir + "/" + name + ".png";
    if (actual.IsEmpty())
        return ::testing::AssertionFailure() << name << ": nothing was rendered";
    if (Updating()) {
        if (!actual.SavePng(reference))
            return ::testing::AssertionFailure() << "cannot write " << reference;
        std::cout << "[  GOLDEN  ] rewrote " << reference << "\n";
        return ::testing::AssertionSuccess();
    }
    Tolerance tolerance;
    std::string error;
    if (!ReadTolerance(referenceDir + "/" + name + ".tolerance", &tolerance, &error))
        return ::testing::AssertionFailure() << error;

    std::filesystem::create_directories(outputDir);
    const std::string actualPath = outputDir + "/" + name + ".actual.png";
    const std::string diffPath = outputDir + "/" + name + ".diff.png";
    std::filesystem::remove(actualPath);
    std::filesystem::remove(diffPath);

    platform::Bitmap expected;
    if (!expected.LoadPngFile(reference)) {
        actual.SavePng(actualPath);
        return ::testing::AssertionFailure()
               << "no readable reference " << reference << " (actual image: " << actualPath
               << "; CV_UPDATE_GOLDEN=1 writes the reference)";
    }
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) {
        actual.SavePng(actualPath);
        return ::testing::AssertionFailure()
               << name << ": rendered " << actual.Width() << " x " << actual.Height()
               << ", reference " << expected.Width() << " x " << expected.Height()
               << "\n  actual image: " << actualPath;
    }
    const Comparison c = Compare(actual, expected, tolerance.channel);
    if (c.differing <= tolerance.pixels)
        return ::testing::AssertionSuccess();
    actual.SavePng(actualPath);
    c.difference.SavePng(diffPath);
    return ::testing::AssertionFailure()
           << name << ": " << c.differing << " pixels differ by more than " << tolerance.channel
           << " (allowed: " << tolerance.pixels << "; largest difference " << c.largest << ")"
           << "\n  actual image:     " << actualPath << "\n  difference image: " << diffPath;
}

}  // namespace golden
