// Fuzz target: the DC's PNG reader. The input is the bytes of a PNG file. A
// bitmap it gives is drawn onto a small DC, scaled, to go through the
// drawing of loaded pixels too.
#include <cstdint>
#include <cstdlib>

#include "platform/dc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::Bitmap bitmap;
    if (!bitmap.LoadPng(data, size)) {
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
