// Case folding of ASCII letters only, as the system compares registry key
// and value names, XML encoding names, file extensions, clipboard format
// names and paper names. Bytes outside A-Z / a-z (including every byte of a
// multi-byte UTF-8 sequence) compare as they are, and the C locale's
// tolower/toupper are never consulted, so results do not depend on the
// user's locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::ascii {

// 'A'-'Z' to 'a'-'z'; every other byte unchanged.
constexpr char ToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 'a'-'z' to 'A'-'Z'; every other byte unchanged.
constexpr char ToUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A copy of `s` with its ASCII letters lowered.
inline std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = ToLower(c);
    return out;
}

// A copy of `s` with its ASCII letters raised.
inline std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = ToUpper(c);
    return out;
}

// Whether `a` and `b` are equal when ASCII letters are folded.
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLower(a[i]) != ToLower(b[i]))
            return false;
    }
    return true;
}

// -1, 0 or 1 as `a` sorts before, with or after `b` when ASCII letters are
// folded; bytes compare as unsigned, a prefix sorts first.
constexpr int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(ToLower(a[i]));
        const auto cb = static_cast<unsigned char>(ToLower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Whether `s` begins with `prefix` when ASCII letters are folded.
constexpr bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

// Whether `s` ends with `suffix` when ASCII letters are folded (a file
// extension such as ".pge" or ".ZPL").
constexpr bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace platform::ascii
