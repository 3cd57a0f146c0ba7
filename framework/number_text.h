// Numbers as text in template files and clipboard data: always written with
// a '.' and six decimals, and read without regard to the process's locale
// (the Designer runs under the user's locale, which may use a decimal comma).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The value with six decimals, as "%lf" prints it in the C locale
// ("2.000000"); a value that is not finite is written as 0.
std::string FormatDecimal(double value);

// A length in the given display unit followed at once by the unit suffix
// ("2.000000IN").
std::string FormatLength(double internalValue, int unit);

// Reads the decimal number at the start of `text` (after white space: sign,
// digits, fraction, exponent) into `value`. Returns the number of characters
// read, or 0 when there is no number or it is not finite (nothing stored).
size_t ParseDecimalPrefix(std::string_view text, double* value);

// The leading decimal number of a text; 0 when there is none or it is out of
// range.
double ParseDecimal(std::string_view text);

// The leading decimal integer; 0 when there is none; held to the int range.
int ParseInteger(std::string_view text);
