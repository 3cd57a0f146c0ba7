// Saturating conversion of a floating-point value to an integer type.
//
// Converting a double that lies outside the target type's range (or is NaN)
// with a plain cast is undefined behaviour. Lengths, positions and sizes read
// from templates, settings and clipboard text can hold any value a number
// parses to (1e300, -1e300), so every conversion of such a value to an
// integer goes through SaturateCast, which holds it at the nearest limit
// instead.
#pragma once

#include <limits>
#include <type_traits>

namespace platform {

// `v` truncated towards zero, held to the range of `Int`; NaN gives 0.
template <class Int>
constexpr Int SaturateCast(double v) {
    static_assert(std::is_integral_v<Int> && !std::is_same_v<Int, bool>, "an integer type");
    using Limits = std::numeric_limits<Int>;
    // Both bounds are powers of two (or zero), so they are exact doubles:
    // the lowest value itself and one past the highest.
    constexpr double kLowest = static_cast<double>(Limits::min());
    constexpr double kPastHighest = static_cast<double>(Limits::max() / 2 + 1) * 2.0;
    if (v != v)  // NaN
        return 0;
    if (v < kLowest)
        return Limits::min();
    if (v >= kPastHighest)
        return Limits::max();
    return static_cast<Int>(v);
}

// `v` truncated towards zero and held to [lo, hi] (lo <= hi); NaN gives 0
// when 0 lies in the range, else the bound nearer to it.
template <class Int>
constexpr Int SaturateCast(double v, Int lo, Int hi) {
    const Int n = SaturateCast<Int>(v);
    return n < lo ? lo : (n > hi ? hi : n);
}

}  // namespace platform
