// The shared text helpers and the one calendar: letter case of code page 1251 bytes, numbers that cannot overflow, real dates, whole minutes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "services/calendar_time.h"
#include "services/text.h"

namespace velmor {
namespace {

TEST(Text, OnlyAsciiLettersHaveACase) {
    // Cyrillic letters of code page 1251 (0xC0 'А', 0xE0 'а') are bytes like any other:
    // folding them would make two calls one, or one call two, depending on the locale.
    EXPECT_TRUE(text::equalsNoCase("ua1aaa", "UA1AAA"));
    EXPECT_FALSE(text::equalsNoCase("\xC0", "\xE0"));
    EXPECT_EQ(text::upperCase("rz3vlm/p \xE0"), "RZ3VLM/P \xE0");
    EXPECT_EQ(text::lowerCase("CQ-WW \xC0"), "cq-ww \xC0");
    EXPECT_FALSE(text::equalsNoCase("UA1", "UA1A"));
    EXPECT_TRUE(text::endsWithNoCase("log.ADIF", ".adif"));
    EXPECT_FALSE(text::endsWithNoCase("adi", ".adi"));
    EXPECT_TRUE(text::startsWithNoCase("x-qso", "X-"));
    EXPECT_EQ(text::trim(" \t a b \t "), "a b");
    EXPECT_EQ(text::trim("\r\nab\r\n"), "\r\nab\r\n");
    EXPECT_EQ(text::trimSpace("\r\n ab\v\f"), "ab");
    EXPECT_EQ(text::trim("   "), "");
}

TEST(Text, NumbersAreDigitsOnlyAndNeverOverflow) {
    struct Case {
        const char* digits;
        std::int64_t max;
        std::optional<std::int64_t> value;
    };
    const Case cases[] = {
        {"0", INT64_MAX, 0},
        {"007", INT64_MAX, 7},
        {"9223372036854775807", INT64_MAX, INT64_MAX},
        {"9223372036854775808", INT64_MAX, std::nullopt},
        {"99999999999999999999999", INT64_MAX, std::nullopt},
        {"255", 255, 255},
        {"256", 255, std::nullopt},
        {"", INT64_MAX, std::nullopt},
        {"-1", INT64_MAX, std::nullopt},
        {"+1", INT64_MAX, std::nullopt},
        {" 1", INT64_MAX, std::nullopt},
        {"1.5", INT64_MAX, std::nullopt},
        {"\xD9", INT64_MAX, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(text::number(c.digits, c.max), c.value) << c.digits;
}

TEST(Calendar, RealDaysOfTheHostsYearsOnly) {
    struct Case {
        int y, m, d;
        bool valid;
    };
    const Case cases[] = {
        {2026, 5, 16, true},   {2024, 2, 29, true},  {2026, 2, 29, false}, {1900, 2, 29, false},
        {2000, 2, 29, true},   {2026, 4, 31, false}, {2026, 12, 31, true}, {2026, 13, 1, false},
        {2026, 0, 1, false},   {2026, 1, 0, false},  {2026, 1, 32, false}, {100, 1, 1, true},
        {99, 12, 31, false},   {9999, 12, 31, true}, {10000, 1, 1, false}, {26, 5, 16, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidDate(c.y, c.m, c.d), c.valid) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_TRUE(isValidTimeOfDay(23, 59, 59));
    EXPECT_FALSE(isValidTimeOfDay(24, 0));
    EXPECT_FALSE(isValidTimeOfDay(12, 60));
    EXPECT_FALSE(isValidTimeOfDay(-1, 0));
}

TEST(Calendar, WholeMinutesAndClockHours) {
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(1899, 12, 30), -25569);
    EXPECT_EQ(minutesSinceEpoch({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(minutesSinceEpoch({1970, 1, 1, 0, 1, 59}), 1);  // seconds never count
    EXPECT_EQ(minutesSinceEpoch({2024, 3, 1, 0, 0, 0}) - minutesSinceEpoch({2024, 2, 29, 23, 59, 0}), 1);
    EXPECT_EQ(minutesSinceEpoch({2026, 1, 1, 0, 0, 0}) - minutesSinceEpoch({2025, 1, 1, 0, 0, 0}), 365 * 1440);
    EXPECT_EQ(clockHour(0), 0);
    EXPECT_EQ(clockHour(59), 0);
    EXPECT_EQ(clockHour(60), 1);
    EXPECT_EQ(clockHour(-1), -1);
    EXPECT_EQ(clockHour(-60), -1);
    EXPECT_EQ(clockHour(-61), -2);
}

}  // namespace
}  // namespace velmor
