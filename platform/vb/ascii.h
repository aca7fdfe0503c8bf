// ASCII case folding, the one copy every layer uses.
//
// Codes, keys, field and member names are ASCII; like SQLite's NOCASE only
// A-Z and a-z fold, and UTF-8 bytes (all >= 0x80) pass unchanged, so Chinese
// text is never altered. Locale-free on purpose: a Qt host calls setlocale().
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane::vb {

constexpr char lower_ascii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char upper_ascii(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string lower_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = lower_ascii(c);
    return r;
}

inline std::string upper_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = upper_ascii(c);
    return r;
}

constexpr bool iequals_ascii(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    return true;
}

// Byte order after folding (unsigned, so UTF-8 text sorts after ASCII).
constexpr bool iless_ascii(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(lower_ascii(a[i]));
        const auto y = static_cast<unsigned char>(lower_ascii(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace korvane::vb
