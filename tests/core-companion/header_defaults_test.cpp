// The header editor's first CALLSIGN and CREATED-BY values and upper case in code page 1251.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "header_defaults.h"

namespace orvin {
namespace {

struct UpperCase {
    const char* what;
    std::string in, out;
};
// Shown by name in test listings and failures.
void PrintTo(const UpperCase& c, std::ostream* os) { *os << c.what; }

class UpperCp1251Test : public ::testing::TestWithParam<UpperCase> {};

TEST_P(UpperCp1251Test, ConvertsLettersOnly) { EXPECT_EQ(UpperCp1251(GetParam().in), GetParam().out); }

// Cyrillic as code page 1251 bytes.
const UpperCase kUpperCases[] = {
    {"Empty", "", ""},
    {"Latin", "ua3abc/p", "UA3ABC/P"},
    {"DigitsAndSignsStay", "0-9 /.,_@[]{}", "0-9 /.,_@[]{}"},
    {"CyrillicBlock", "\xE0\xE1\xE2\xFE\xFF", "\xC0\xC1\xC2\xDE\xDF"},       // абвюя
    {"YoOutsideTheBlock", "\xB8\xEB\xEA\xE0", "\xA8\xCB\xCA\xC0"},          // ёлка
    {"OtherCyrillicLetters", "\x90\x83\x9A\x9C\x9D\x9E\x9F\xA2\xBC\xB4\xBA\xBF\xB3\xBE",
     "\x80\x81\x8A\x8C\x8D\x8E\x8F\xA1\xA3\xA5\xAA\xAF\xB2\xBD"},
    {"UpperStays", "\xC0\xDF\xA8 RZ3", "\xC0\xDF\xA8 RZ3"},
    // Not letters of the code page: micro sign, no-break space, section, quotes, euro.
    {"NonLettersStay", "\xB5\xA0\xA7\xAB\xBB\x88", "\xB5\xA0\xA7\xAB\xBB\x88"},
    {"ZeroByteKept", std::string("a\0b", 3), std::string("A\0B", 3)},
};
INSTANTIATE_TEST_SUITE_P(Texts, UpperCp1251Test, ::testing::ValuesIn(kUpperCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Every byte: upper case is stable, and no two bytes fold into one unless one of them is
// the upper case of the other (no letter turns into a different letter).
TEST(UpperCp1251, IsStableAndFoldsOnlyCasePairs) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string upper = UpperCp1251(one);
        ASSERT_EQ(upper.size(), 1u);
        EXPECT_EQ(UpperCp1251(upper), upper) << "byte " << b;
        if (upper != one) {
            // A byte that changes is a lower-case letter: nothing maps onto it.
            for (int other = 0; other < 256; ++other)
                EXPECT_NE(UpperCp1251(std::string(1, static_cast<char>(other))), one)
                    << other << " maps onto lower-case byte " << b;
        }
    }
}

TEST(HeaderDefaults, CallsignIsTheHostsCallInUpperCase) {
    EXPECT_EQ(InitialCallsign("rz3vlm/p"), "RZ3VLM/P");
    EXPECT_EQ(InitialCallsign(""), "");
    EXPECT_EQ(InitialCallsign("MyCall"), "MYCALL");  // the host did not answer
}

TEST(HeaderDefaults, CreatedByNamesTheHostAndItsVersion) {
    EXPECT_EQ(InitialCreatedBy("2.31b"), "Kova 2.31B");
    EXPECT_EQ(InitialCreatedBy(""), "Kova ");
    EXPECT_EQ(InitialCreatedBy("Version"), "Kova VERSION");  // the host did not answer
    EXPECT_EQ(InitialCreatedBy("\xE1\xE5\xF2\xE0 3"), "Kova \xC1\xC5\xD2\xC0 3");  // бета
}

}  // namespace
}  // namespace orvin
