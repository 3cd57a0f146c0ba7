// Helpers shared by the bitmap toolkit's sources.
#pragma once

#include <cstdint>

#include "decoder/dib.h"

namespace dibdetail {

inline bool IsSupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Pixel index of a 1- or 4-bit row (most significant bits first).
inline unsigned GetPackedPixel(const BYTE* row, int x, int bits) {
    if (bits == 1)
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0Fu;
}

// Sets a pixel of a 1- or 4-bit row whose bits were zero.
inline void OrPackedPixel(BYTE* row, int x, int bits, unsigned value) {
    if (bits == 1) {
        row[x >> 3] |= static_cast<BYTE>((value & 1u) << (7 - (x & 7)));
    } else {
        row[x >> 1] |= static_cast<BYTE>((value & 0x0Fu) << ((x & 1) ? 0 : 4));
    }
}

// A new, zeroed bitmap with the source's depth, colour table and row order.
DIB* CreateLike(const DIB* src, int width, int height);

// Calls the progress routine, if any; false when it asks to stop.
inline bool Report(DIBProgressProc progress, void* context, int total, int done) {
    return progress == nullptr || progress(total, context, done, 100) != 0;
}

// 5-5-5 channel widened to 8 bits.
inline BYTE Widen5(unsigned v) {
    return static_cast<BYTE>((v * 255 + 16) / 31);
}

}  // namespace dibdetail
