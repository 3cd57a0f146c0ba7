// Global memory blocks: the C interface through which bitmaps and clipboard
// data cross module boundaries. The receiver of a block frees it with
// GlobalFree from this same library, whichever module allocated it.
//
// Every call is safe on a null handle and on a handle this library did not
// hand out (a foreign handle): it fails instead of touching the memory.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CvGlobalBlock* HGLOBAL;

enum {
    GMEM_FIXED = 0x0000,
    GMEM_MOVEABLE = 0x0002,
    GMEM_ZEROINIT = 0x0040,
    GHND = GMEM_MOVEABLE | GMEM_ZEROINIT,
    GPTR = GMEM_FIXED | GMEM_ZEROINIT,
};

// A block of `bytes` bytes (zero-filled with GMEM_ZEROINIT); NULL on failure.
// For a fixed block the handle is the address of its first byte.
__attribute__((visibility("default"))) HGLOBAL GlobalAlloc(unsigned flags, size_t bytes);
// Address of the block's first byte and one more lock; NULL for a bad handle.
__attribute__((visibility("default"))) void* GlobalLock(HGLOBAL block);
// One lock fewer; non-zero while the block stays locked.
__attribute__((visibility("default"))) int GlobalUnlock(HGLOBAL block);
// The block's size in bytes; 0 for a bad handle.
__attribute__((visibility("default"))) size_t GlobalSize(HGLOBAL block);
// Frees the block; NULL on success, the handle itself when it was not ours.
__attribute__((visibility("default"))) HGLOBAL GlobalFree(HGLOBAL block);

#ifdef __cplusplus
}
#endif
