// The exchange check: three digits above zero other than 599, or exactly WM.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "checks/exchange_check.h"

namespace velmor {
namespace {

struct ExchangeCase {
    std::string exchange;
    std::int32_t expected;
};

// Test names stay plain ASCII: other bytes are shown as hex.
void PrintTo(const ExchangeCase& c, std::ostream* os) {
    static const char kHex[] = "0123456789ABCDEF";
    *os << '"';
    for (unsigned char b : c.exchange) {
        if (b >= 0x20 && b < 0x7F) *os << static_cast<char>(b);
        else *os << "\\x" << kHex[b >> 4] << kHex[b & 15];
    }
    *os << '"';
}

class ExchangeCheck : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(ExchangeCheck, Answers) {
    EXPECT_EQ(IsValidExchange(GetParam().exchange), GetParam().expected)
        << '"' << GetParam().exchange << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, ExchangeCheck, ::testing::Values(
    ExchangeCase{"599", 0},   // the signal report, not a serial number
    ExchangeCase{"598", 1},
    ExchangeCase{"600", 1},
    ExchangeCase{"001", 1},
    ExchangeCase{"999", 1},
    ExchangeCase{"000", 0},
    ExchangeCase{"WM", 1},
    ExchangeCase{"wm", 0},
    ExchangeCase{"Wm", 0},
    ExchangeCase{"W M", 0},
    ExchangeCase{"WM1", 0},
    ExchangeCase{"12", 0},
    ExchangeCase{"1234", 0},
    ExchangeCase{"0599", 0},
    ExchangeCase{"1A3", 0},
    ExchangeCase{"12 ", 0},
    ExchangeCase{" 12", 0},
    ExchangeCase{"-12", 0},
    ExchangeCase{"+12", 0},
    ExchangeCase{"", 0},
    ExchangeCase{"1", 0},
    ExchangeCase{"\xB3\xB2\xB1", 0},          // cp1251 bytes above 127 are not digits
    ExchangeCase{std::string("1\0" "2", 3), 0},  // an embedded zero byte is no digit either
    ExchangeCase{"\xD6\xCC", 0}));

}  // namespace
}  // namespace velmor
