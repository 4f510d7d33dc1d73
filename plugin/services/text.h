// ASCII text helpers: letter case, blanks, digits and whole numbers, the one set every module uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Logs and settings are code page 1251 bytes: only the ASCII letters have a case here, and
// every byte from 0x80 up (Cyrillic letters among them) is left as it is, whatever the C
// library's locale says. Blanks are the space and the tab, the separators of every format
// the system reads.
namespace velmor::text {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool isLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool isLetter(char c) { return isUpper(c) || isLower(c); }
// Space or tab.
constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }
// Blanks and the line, vertical-tab and form-feed controls.
constexpr bool isSpace(char c) {
    return isBlank(c) || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr char upper(char c) { return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char lower(char c) { return isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string upperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upper(c);
    return out;
}

inline std::string lowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

inline bool hasLowerCase(std::string_view s) {
    for (char c : s)
        if (isLower(c)) return true;
    return false;
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

constexpr bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

constexpr bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// `s` without blanks (space, tab) at either end.
constexpr std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// `s` without white space (isSpace) at either end.
constexpr std::string_view trimSpace(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// At least one character, and every one a decimal digit.
constexpr bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

// The value of a text of decimal digits only (allDigits), if it is at most `max`; nullopt
// for anything else, so that no number read from a file can overflow.
constexpr std::optional<std::int64_t> number(std::string_view digits,
                                             std::int64_t max = INT64_MAX) {
    if (!allDigits(digits)) return std::nullopt;
    std::int64_t n = 0;
    for (char c : digits) {
        const int d = c - '0';
        if (n > (max - d) / 10) return std::nullopt;
        n = n * 10 + d;
    }
    return n;
}

}  // namespace velmor::text
