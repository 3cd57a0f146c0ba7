// Fuzz target: the DC's PNG reader. The input is the bytes of a PNG file,
// whose chunk checksums are set right before reading (so that changed bytes
// reach the decoder instead of failing its checksum test). A bitmap it gives
// is drawn onto a small DC, scaled, to go through the drawing of loaded
// pixels too.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/dc.h"

namespace {

uint32_t Crc32(const uint8_t* p, size_t n) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Sets the checksum of every whole chunk after the 8-byte signature.
void FixChecksums(std::vector<uint8_t>& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) |
                                (uint32_t(png[at + 2]) << 8) | uint32_t(png[at + 3]);
        if (length > png.size() - at - 12)
            break;
        const uint32_t crc = Crc32(&png[at + 4], 4 + size_t(length));
        uint8_t* out = &png[at + 8 + length];
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        at += 12 + size_t(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> png(data, data + size);
    FixChecksums(png);
    platform::Bitmap bitmap;
    if (!bitmap.LoadPng(png.data(), png.size())) {
        if (!bitmap.IsEmpty())
            std::abort();  // a refused PNG leaves an empty bitmap
        return 0;
    }
    if (bitmap.IsEmpty())
        return 0;
    bitmap.GetPixel(0, 0);
    bitmap.GetPixel(bitmap.Width() - 1, bitmap.Height() - 1);
    platform::Bitmap clone = bitmap.Clone();
    if (clone.Width() != bitmap.Width() || clone.Height() != bitmap.Height())
        std::abort();
    platform::Bitmap target(16, 16);
    platform::DC dc(&target);
    dc.DrawBitmap(platform::Rect(0, 0, 16, 16), bitmap);
    dc.DrawBitmap(-1, -1, bitmap);
    return 0;
}
