// Automation date conversion: known values, rounding and carries, range ends, formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "log/ole_date.h"
#include "log/qso_log.h"

namespace velmor {

static std::ostream& operator<<(std::ostream& os, const CalendarTime& c) {
    return os << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':'
              << c.second;
}

static bool operator==(const CalendarTime& a, const CalendarTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

namespace {

constexpr double kSecond = 1.0 / 86400.0;

struct KnownDate {
    const char* what;
    double date;
    CalendarTime expected;
};

void PrintTo(const KnownDate& k, std::ostream* os) { *os << k.what; }

const KnownDate kKnownDates[] = {
    {"day zero", 0.0, {1899, 12, 30, 0, 0, 0}},
    {"noon of day one", 1.5, {1899, 12, 31, 12, 0, 0}},
    {"negative: fraction counts forward from the day", -1.25, {1899, 12, 29, 6, 0, 0}},
    {"negative fraction within day zero", -0.5, {1899, 12, 30, 12, 0, 0}},
    {"first day of 1900", 2.0, {1900, 1, 1, 0, 0, 0}},
    {"a contest morning", 40672.398, {2011, 5, 9, 9, 33, 7}},
    {"leap day of 2000", 36585.75, {2000, 2, 29, 18, 0, 0}},
    {"first day of 100", -657434.0, {100, 1, 1, 0, 0, 0}},
    {"last moments of the first day", -657434.999, {100, 1, 1, 23, 58, 34}},
    {"last day of 9999", 2958465.0, {9999, 12, 31, 0, 0, 0}},
    {"last second of 9999", 2958465.99999, {9999, 12, 31, 23, 59, 59}},
    {"half a second rounds up", 0.5 * kSecond, {1899, 12, 30, 0, 0, 1}},
    {"just under half a second rounds down", 0.49 * kSecond, {1899, 12, 30, 0, 0, 0}},
    {"half second carries into the minute", 40672.0 + 59.5 * kSecond, {2011, 5, 9, 0, 1, 0}},
    {"half second carries into the next day", 40672.0 + 86399.5 * kSecond, {2011, 5, 10, 0, 0, 0}},
    {"carry into March", 40602.0 + 86399.5 * kSecond, {2011, 3, 1, 0, 0, 0}},
    {"carry into a leap day", 40967.0 + 86399.5 * kSecond, {2012, 2, 29, 0, 0, 0}},
    {"carry into the next year", 40908.0 + 86399.5 * kSecond, {2012, 1, 1, 0, 0, 0}},
    {"negative day carries forward", -2.0 - 86399.5 * kSecond, {1899, 12, 29, 0, 0, 0}},
    {"negative half second", -1.0 - 0.5 * kSecond, {1899, 12, 29, 0, 0, 1}},
};

class KnownDates : public ::testing::TestWithParam<KnownDate> {};

TEST_P(KnownDates, ConvertLikeTheAutomationLibrary) {
    const KnownDate& k = GetParam();
    const auto c = toCalendar(k.date);
    ASSERT_TRUE(c.has_value()) << k.what;
    EXPECT_EQ(*c, k.expected) << k.what;
}

INSTANTIATE_TEST_SUITE_P(Table, KnownDates, ::testing::ValuesIn(kKnownDates));

TEST(ToCalendar, ValuesWithoutACalendarDateAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        double date;
    } cases[] = {
        {"NaN", std::numeric_limits<double>::quiet_NaN()},
        {"+infinity", inf},
        {"-infinity", -inf},
        {"the day before 0100-01-01", -657435.0},
        {"far before", -1e300},
        {"the day after 9999-12-31", 2958466.0},
        {"far after", 1e300},
        {"last instant of 9999 rounds into the year 10000", 2958465.0 + 86399.6 * kSecond},
    };
    for (const auto& c : cases) EXPECT_FALSE(toCalendar(c.date).has_value()) << c.what;
}

TEST(FromCalendar, IsTheInverseOfToCalendarOverTheWholeRange) {
    // Spread over every era of the range, with times that hit the minute and hour edges.
    const int times[][3] = {{0, 0, 0}, {0, 0, 1}, {6, 0, 0}, {12, 30, 30}, {23, 59, 59}, {13, 59, 59}};
    int checked = 0;
    for (double day = -657434.0; day <= 2958465.0; day += 9973.0) {
        const auto midnight = toCalendar(day);
        ASSERT_TRUE(midnight.has_value()) << day;
        for (const auto& t : times) {
            CalendarTime c = *midnight;
            c.hour = t[0];
            c.minute = t[1];
            c.second = t[2];
            const auto back = toCalendar(fromCalendar(c));
            ASSERT_TRUE(back.has_value()) << c;
            EXPECT_EQ(*back, c);
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
    EXPECT_EQ(fromCalendar({1899, 12, 29, 6, 0, 0}), -1.25);
    EXPECT_EQ(fromCalendar({1899, 12, 31, 12, 0, 0}), 1.5);
}

TEST(ClockHourKey, SeparatesDaysAndFollowsTheHours) {
    const std::int64_t noon = clockHourKey({2026, 6, 13, 12, 0, 0});
    EXPECT_EQ(clockHourKey({2026, 6, 13, 12, 59, 59}), noon);
    EXPECT_EQ(clockHourKey({2026, 6, 13, 13, 0, 0}), noon + 1);
    EXPECT_EQ(clockHourKey({2026, 6, 12, 12, 20, 0}), noon - 24);
    EXPECT_EQ(clockHourKey({2026, 6, 14, 0, 0, 0}) - clockHourKey({2026, 6, 13, 23, 0, 0}), 1);
    EXPECT_EQ(clockHourKey({2026, 1, 1, 0, 0, 0}) - clockHourKey({2025, 12, 31, 23, 0, 0}), 1);
}

TEST(FormatQsoTime, FollowsTheStatusAndTheCalendar) {
    const struct {
        const char* what;
        OleDateTime time;
        const char* expected;
    } cases[] = {
        {"valid", {40672.0 + (9 * 3600 + 37 * 60) * kSecond, DateStatus::Valid}, "2011-05-09 0937"},
        {"seconds are not shown", {40672.0 + (9 * 3600 + 37 * 60 + 29) * kSecond, DateStatus::Valid},
         "2011-05-09 0937"},
        {"rounding carries into the hour", {40672.0 + (9 * 3600 + 3599.5) * kSecond, DateStatus::Valid},
         "2011-05-09 1000"},
        {"zero-padded year", {-657434.0, DateStatus::Valid}, "0100-01-01 0000"},
        {"negative date", {-1.25, DateStatus::Valid}, "1899-12-29 0600"},
        {"null", {40672.5, DateStatus::Null}, ""},
        {"invalid", {40672.5, DateStatus::Invalid}, "Invalid DateTime"},
        {"unknown status", {40672.5, static_cast<DateStatus>(7)}, "Invalid DateTime"},
        {"NaN", {std::nan(""), DateStatus::Valid}, "Invalid DateTime"},
        {"infinity", {std::numeric_limits<double>::infinity(), DateStatus::Valid}, "Invalid DateTime"},
        {"out of range", {2958466.0, DateStatus::Valid}, "Invalid DateTime"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatQsoTime(c.time), c.expected) << c.what;
}

}  // namespace
}  // namespace velmor
