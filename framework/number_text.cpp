#include "framework/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "framework/units.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view SkipSpace(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return s.substr(i);
}

// Length of the decimal number at the start of `s`; 0 when there is none.
size_t DecimalLength(std::string_view s, bool allowFraction) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (allowFraction && i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (allowFraction && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j]))
            ++j, ++expDigits;
        if (expDigits > 0)
            i = j;
    }
    return i;
}

}  // namespace

std::string FormatDecimal(double value) {
    if (!std::isfinite(value))
        value = 0;
    char buf[400];  // the largest double has 309 integer digits
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buf, end) : std::string("0.000000");
}

std::string FormatLength(double internalValue, int unit) {
    return FormatDecimal(ToDisplayUnits(internalValue, unit)) + UnitSuffix(unit);
}

size_t ParseDecimalPrefix(std::string_view text, double* value) {
    const std::string_view s = SkipSpace(text);
    const size_t n = DecimalLength(s, true);
    if (n == 0)
        return 0;
    const char* first = s.data();
    if (*first == '+')
        ++first;  // from_chars takes no plus sign
    double v = 0;
    auto [ptr, ec] = std::from_chars(first, s.data() + n, v, std::chars_format::general);
    (void)ptr;
    if (ec != std::errc() || !std::isfinite(v))
        return 0;
    *value = v;
    return static_cast<size_t>(s.data() + n - text.data());
}

double ParseDecimal(std::string_view text) {
    double value = 0;
    return ParseDecimalPrefix(text, &value) != 0 ? value : 0;
}

int ParseInteger(std::string_view text) {
    const std::string_view s = SkipSpace(text);
    const size_t n = DecimalLength(s, false);
    if (n == 0)
        return 0;
    const bool negative = s[0] == '-';
    size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    long long value = 0;
    for (; i < n; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;  // held below
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
