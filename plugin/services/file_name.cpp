// The file name rule: forbidden bytes and reserved device names, as Windows applies them.
#include "services/file_name.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "services/text.h"

namespace velmor {

namespace {

// Length of the device word at the start of `fileName`, or 0. Windows maps a device name
// whatever follows its first dot, and blanks before that dot.
std::size_t deviceWordLength(std::string_view fileName) {
    std::string_view stem = fileName.substr(0, fileName.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (text::equalsNoCase(stem, device)) return 3;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (text::equalsNoCase(stem.substr(0, 3), "COM") || text::equalsNoCase(stem.substr(0, 3), "LPT")))
        return 4;
    return 0;
}

// 12 hex digits of the call's FNV-1a hash: the same on every build.
std::string shortHash(std::string_view call) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : call) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string out(12, '0');
    for (int i = 11; i >= 0; --i, h >>= 4) out[static_cast<std::size_t>(i)] = kHex[h & 0xF];
    return out;
}

// The call with every byte but ASCII letters, digits and '-' as '_', and a device name
// made harmless.
std::string plainBase(std::string_view call) {
    std::string base;
    base.reserve(call.size());
    for (const char c : call) base += text::isLetter(c) || text::isDigit(c) || c == '-' ? c : '_';
    if (base.empty()) base = "_";
    return safeFileBaseName(std::move(base));
}

// `base` within `room` bytes: cut, with the call's hash after a "-", when longer.
std::string fitted(const std::string& base, std::string_view call, std::size_t room) {
    if (base.size() <= room) return base;
    const std::string hash = shortHash(call);
    if (room <= hash.size() + 1) return hash;
    return base.substr(0, room - hash.size() - 1) + "-" + hash;
}

std::string nameWith(const std::string& base, std::string_view call, std::string_view suffix,
                     std::string_view extension, std::size_t longest) {
    const std::size_t fixed = suffix.size() + extension.size();
    return fitted(base, call, longest > fixed ? longest - fixed : 0) + std::string(suffix) + std::string(extension);
}

}  // namespace

bool isForbiddenFileNameChar(char c) {
    if (static_cast<unsigned char>(c) < 0x20) return true;
    switch (c) {
        case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
            return true;
        default:
            return false;
    }
}

bool isReservedDeviceName(std::string_view fileName) { return deviceWordLength(fileName) != 0; }

bool isPlainFileName(std::string_view fileName) {
    if (fileName.empty()) return false;
    for (const char c : fileName)
        if (isForbiddenFileNameChar(c)) return false;
    if (fileName.back() == ' ' || fileName.back() == '.') return false;
    return !isReservedDeviceName(fileName);
}

std::string safeFileBaseName(std::string name) {
    for (char& c : name)
        if (isForbiddenFileNameChar(c)) c = '_';
    if (const std::size_t n = deviceWordLength(name)) name.insert(n, 1, '_');
    return name;
}

std::string callFileName(std::string_view call, std::string_view extension, std::size_t longest) {
    return nameWith(plainBase(call), call, {}, extension, longest);
}

std::vector<std::string> callFileNames(const std::vector<std::string>& calls, std::string_view extension,
                                       std::size_t longest) {
    std::vector<std::string> names(calls.size());
    std::unordered_set<std::string> taken;  // in lower case: one file on a case-blind file system
    // Calls that name a file unchanged first, so that they keep the plain name.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const std::string base = plainBase(calls[i]);
            const bool unchanged = base == calls[i] && base.size() + extension.size() <= longest;
            if (unchanged != (pass == 0)) continue;
            std::string name = nameWith(base, calls[i], {}, extension, longest);
            for (int n = 2; !taken.insert(text::lowerCase(name)).second; ++n)
                name = nameWith(base, calls[i], "-" + std::to_string(n), extension, longest);
            names[i] = std::move(name);
        }
    }
    return names;
}

bool isLogFileName(std::string_view name) {
    return name.size() > 4 && (text::endsWithNoCase(name, ".cbr") || text::endsWithNoCase(name, ".log"));
}

std::size_t longestCallFileNameIn(const std::string& folder) {
#ifdef _WIN32
    // MAX_PATH less its terminating zero, counted in UTF-16 units as the system counts.
    constexpr std::size_t kLongestPath = 259;
    constexpr std::size_t kTemporarySuffix = 1 + 16 + 4;  // ".<16 hex digits>.tmp"
    constexpr std::size_t kShortest = 20;
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(std::filesystem::u8path(folder), ec);
    const std::size_t used = (ec ? std::filesystem::u8path(folder) : whole).wstring().size() + 1 + kTemporarySuffix;
    const std::size_t room = used < kLongestPath ? kLongestPath - used : 0;
    return std::clamp(room, kShortest, kLongestCallFileName);
#else
    (void)folder;
    return kLongestCallFileName;
#endif
}

}  // namespace velmor
