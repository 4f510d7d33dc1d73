// The header editor's first CALLSIGN and CREATED-BY values, and upper case in code page 1251.
#include "header_defaults.h"

#include "services/text.h"

namespace orvin {
namespace {

constexpr char kCreatedByPrefix[] = "Kova ";

// Code page 1251 letters outside the two contiguous blocks (a-z and а-я), lower to upper.
struct CasePair {
    unsigned char lower, upper;
};
constexpr CasePair kCyrillicOutsideBlock[] = {
    {0x90, 0x80},  // ђ Ђ
    {0x83, 0x81},  // ѓ Ѓ
    {0x9A, 0x8A},  // љ Љ
    {0x9C, 0x8C},  // њ Њ
    {0x9D, 0x8D},  // ќ Ќ
    {0x9E, 0x8E},  // ћ Ћ
    {0x9F, 0x8F},  // џ Џ
    {0xA2, 0xA1},  // ў Ў
    {0xBC, 0xA3},  // ј Ј
    {0xB4, 0xA5},  // ґ Ґ
    {0xB8, 0xA8},  // ё Ё
    {0xBA, 0xAA},  // є Є
    {0xBF, 0xAF},  // ї Ї
    {0xB3, 0xB2},  // і І
    {0xBE, 0xBD},  // ѕ Ѕ
};

unsigned char UpperByte(unsigned char c) {
    if (velmor::text::isLower(static_cast<char>(c))) return static_cast<unsigned char>(velmor::text::upper(static_cast<char>(c)));
    if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а-я
    for (const CasePair& pair : kCyrillicOutsideBlock)
        if (pair.lower == c) return pair.upper;
    return c;
}

}  // namespace

std::string UpperCp1251(std::string text) {
    for (char& c : text) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
    return text;
}

std::string InitialCallsign(const std::string& myCall) { return UpperCp1251(myCall); }

std::string InitialCreatedBy(const std::string& version) {
    return kCreatedByPrefix + UpperCp1251(version);
}

}  // namespace orvin
