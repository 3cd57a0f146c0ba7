// Basic value types shared by every module: the integer and colour types the
// module contracts use, and the export marker for plug-in entry points.
#pragma once

#include <cstdint>

using BOOL = int;  // non-zero for success / true, zero for failure / false
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;

// A colour as 0x00BBGGRR.
using COLORREF = std::uint32_t;
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned GetRValue(COLORREF c) {
    return c & 0xFF;
}
constexpr unsigned GetGValue(COLORREF c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(COLORREF c) {
    return (c >> 16) & 0xFF;
}

// Marks a C-linkage entry point of a plug-in module as exported; everything
// else in a module is hidden.
#define CV_EXPORT extern "C" __attribute__((visibility("default")))
