// Saturating conversion of doubles to integers (platform/saturate.h) and the
// pixel conversions built on it (framework/tool_geometry.h): values from
// templates and clipboard text may be any number, NaN or an infinity.
#include "platform/saturate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "framework/tool_geometry.h"

namespace {

template <class Int>
using Lim = std::numeric_limits<Int>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Usable where a constant is needed.
static_assert(platform::SaturateCast<int>(1e300) == Lim<int>::max());
static_assert(platform::SaturateCast<int>(-7.9) == -7);

TEST(Saturate, HoldsEveryDoubleToTheTargetRange) {
    const struct {
        double v;
        int expected;
    } toInt[] = {
        {0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {kNaN, 0},
        {1e300, Lim<int>::max()},
        {-1e300, Lim<int>::min()},
        {kInf, Lim<int>::max()},
        {-kInf, Lim<int>::min()},
        {2147483647.9, Lim<int>::max()},
        {2147483648.0, Lim<int>::max()},
        {-2147483648.9, Lim<int>::min()},
        {-2147483649.0, Lim<int>::min()},
    };
    for (const auto& c : toInt)
        EXPECT_EQ(platform::SaturateCast<int>(c.v), c.expected) << c.v;

    // 64-bit bounds are not doubles themselves: the nearest doubles inside
    // convert exactly, 2^63 and beyond are held.
    EXPECT_EQ(platform::SaturateCast<long long>(9223372036854774784.0), 9223372036854774784LL);
    EXPECT_EQ(platform::SaturateCast<long long>(9223372036854775808.0), Lim<long long>::max());
    EXPECT_EQ(platform::SaturateCast<long long>(-9223372036854775808.0), Lim<long long>::min());
    EXPECT_EQ(platform::SaturateCast<long long>(-1e19), Lim<long long>::min());
    EXPECT_EQ(platform::SaturateCast<std::uint64_t>(18446744073709549568.0),
              18446744073709549568ULL);
    EXPECT_EQ(platform::SaturateCast<std::uint64_t>(18446744073709551616.0),
              Lim<std::uint64_t>::max());
    // Unsigned and narrow types.
    EXPECT_EQ(platform::SaturateCast<unsigned>(-0.5), 0u);
    EXPECT_EQ(platform::SaturateCast<unsigned>(-1e300), 0u);
    EXPECT_EQ(platform::SaturateCast<unsigned>(4294967295.5), Lim<unsigned>::max());
    EXPECT_EQ(platform::SaturateCast<unsigned>(4294967296.0), Lim<unsigned>::max());
    EXPECT_EQ(platform::SaturateCast<short>(40000.0), Lim<short>::max());
    EXPECT_EQ(platform::SaturateCast<short>(-40000.0), Lim<short>::min());
}

TEST(Saturate, HoldsToAGivenRange) {
    EXPECT_EQ(platform::SaturateCast<int>(5e9, -10, 10), 10);
    EXPECT_EQ(platform::SaturateCast<int>(-5e9, -10, 10), -10);
    EXPECT_EQ(platform::SaturateCast<int>(7.5, -10, 10), 7);
    EXPECT_EQ(platform::SaturateCast<int>(kNaN, -10, 10), 0);
    EXPECT_EQ(platform::SaturateCast<int>(kNaN, 5, 10), 5);  // the bound nearer to 0

    // Pixels: truncated or rounded (halves up), held to +-2^20.
    const int limit = toolgeom::kPixelLimit;
    EXPECT_EQ(limit, 1 << 20);
    const struct {
        double v;
        int truncated, rounded;
    } pixels[] = {
        {2.5, 2, 3},
        {-2.5, -2, -2},
        {-2.6, -2, -3},
        {kNaN, 0, 0},
        {1e300, limit, limit},
        {-1e300, -limit, -limit},
        {kInf, limit, limit},
        {1048576.7, limit, limit},
        {-1048575.5, -1048575, -1048575},
    };
    for (const auto& c : pixels) {
        EXPECT_EQ(toolgeom::TruncToInt(c.v), c.truncated) << c.v;
        EXPECT_EQ(toolgeom::RoundToInt(c.v), c.rounded) << c.v;
    }
}

}  // namespace
