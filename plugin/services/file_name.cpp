// The file name rule: forbidden bytes and reserved device names, as Windows applies them.
#include "services/file_name.h"

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

}  // namespace velmor
