// Fuzz target: DIB::Wrap and the operations on a wrapped bitmap. The first
// eight bytes of the input choose the operations and their arguments; the
// rest is the packed bitmap (header, colour table, pixels) put into a global
// memory block. Target sizes stay small so that one input stays fast.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "decoder/dib.h"
#include "platform/dc.h"

namespace {

constexpr size_t kControlBytes = 8;

void Check(const DIB* result, int width, int height) {
    if (result != nullptr && (result->Width() != width || result->Height() != height))
        std::abort();  // an operation gave a bitmap of another size than asked
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kControlBytes)
        return 0;
    const uint8_t* c = data;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size - kControlBytes);
    if (block == nullptr)
        return 0;
    if (size > kControlBytes) {
        void* bytes = GlobalLock(block);
        std::memcpy(bytes, data + kControlBytes, size - kControlBytes);
        GlobalUnlock(block);
    }
    DIBPtr dib(DIB::Wrap(block));
    if (!dib) {
        GlobalFree(block);
        return 0;
    }
    const int w = dib->Width();
    const int h = dib->Height();
    const unsigned ops = c[0];

    const int tw = 1 + c[1] % 48;
    const int th = 1 + c[2] % 48;
    if (ops & 0x01) {
        DIBPtr r(DIB::Resample(dib.get(), tw, th, c[3] % 4));
        Check(r.get(), tw, th);
    }
    if (ops & 0x02) {
        DIBPtr r(DIB::ResampleFiltered(dib.get(), tw, th, (c[3] >> 2) % 8));
        Check(r.get(), tw, th);
    }
    if (ops & 0x04) {
        static const int kAngles[] = {0, 90, 180, 270, -90, -180, -270, 45};
        const int angle = kAngles[c[4] % 8];
        DIBPtr r(DIB::Rotate(dib.get(), angle));
        if (angle % 90 != 0 && r)
            std::abort();
        if (r && angle % 180 == 0)
            Check(r.get(), w, h);
        else if (r)
            Check(r.get(), h, w);
    }
    if (ops & 0x08) {
        // Corners anywhere near the bitmap, inside or a little outside.
        const int x0 = static_cast<int>(c[5] % 64) - 4;
        const int y0 = static_cast<int>(c[6] % 64) - 4;
        const int x1 = x0 + static_cast<int>(c[7] % 64) - 4;
        const int y1 = y0 + static_cast<int>(c[7] / 4 % 64) - 4;
        DIBPtr r(DIB::Crop(dib.get(), x0, y0, x1, y1));
        Check(r.get(), x1 - x0, y1 - y0);
    }
    if (ops & 0x10) {
        DIB::Sharpen(dib.get());
    }
    if ((ops & 0x20) && static_cast<long long>(w) * h <= 1 << 20) {
        platform::Bitmap bitmap;
        if (DIB::MakeDrawable(dib.get(), &bitmap)) {
            HGLOBAL packed = DIB::Pack(bitmap);
            if (packed != nullptr) {
                DIBPtr again(DIB::Wrap(packed));
                if (!again)
                    std::abort();  // what Pack makes, Wrap must take
                Check(again.get(), w, h);
            }
        }
    }
    if (ops & 0x40) {
        std::unique_ptr<DIBPalette> palette(DIB::MakePalette(dib.get()).release());
        (void)palette;
    }
    return 0;
}
