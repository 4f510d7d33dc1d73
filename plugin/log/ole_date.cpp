// Automation dates to calendar fields and back, matching the OLE automation library's conversion.
#include "log/ole_date.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace velmor {
namespace {


// The system library nudges the time of day up by this many days before it splits it into
// hours, minutes and seconds, so that a value a hair below a whole second does not lose
// that second to truncation. We do the same so both agree on every value.
constexpr double kTruncationNudge = 0.00000000001;

// Day 0 of the automation calendar, 1899-12-30, counted from 1970-01-01.
// A compile-time constant, so dates converted during static initialisation elsewhere are right.
constexpr std::int64_t kEpochOffset = daysFromCivil(1899, 12, 30);
static_assert(kEpochOffset == -25569);

// Automation dates of the first and the last day the record holds (0100-01-01, 9999-12-31).
constexpr double kFirstDay = static_cast<double>(daysFromCivil(kFirstYear, 1, 1) - kEpochOffset);
constexpr double kLastDay = static_cast<double>(daysFromCivil(kLastYear, 12, 31) - kEpochOffset);
static_assert(kFirstDay == -657434.0 && kLastDay == 2958465.0);

}  // namespace

std::optional<CalendarTime> toCalendar(double date) {
    // NaN fails both comparisons and so is turned away here as well.
    if (!(date > kFirstDay - 1.0 && date < kLastDay + 1.0)) return std::nullopt;

    // The day is the integer part truncated toward zero; for negative dates the fraction
    // counts forward from the start of that day.
    const double dayPart = date < 0.0 ? std::ceil(date) : std::floor(date);
    double timePart = std::fabs(date - dayPart) + kTruncationNudge;
    if (timePart >= 1.0) timePart -= kTruncationNudge;

    // The one calendar's inverse of daysFromCivil (services/calendar_time.h).
    CalendarTime c = civilFromDays(kEpochOffset + static_cast<std::int64_t>(dayPart));

    timePart *= 24.0;
    c.hour = static_cast<int>(timePart);
    timePart -= c.hour;
    timePart *= 60.0;
    c.minute = static_cast<int>(timePart);
    timePart -= c.minute;
    timePart *= 60.0;
    c.second = static_cast<int>(timePart);
    timePart -= c.second;

    // Nearest second; the carry may run into the next day, month and year.
    if (timePart > 0.5 && ++c.second == 60) {
        c.second = 0;
        if (++c.minute == 60) {
            c.minute = 0;
            if (++c.hour == 24) {
                c.hour = 0;
                const CalendarTime next = civilFromDays(kEpochOffset + static_cast<std::int64_t>(dayPart) + 1);
                c.year = next.year;
                c.month = next.month;
                c.day = next.day;
            }
        }
    }
    // The last second of 9999-12-31 can round into the year 10000, which no record holds.
    if (c.year < kFirstYear || c.year > kLastYear) return std::nullopt;
    return c;
}

std::string formatQsoTime(const OleDateTime& t) {
    if (t.status == DateStatus::Null) return {};
    if (t.status == DateStatus::Valid) {
        if (const auto c = toCalendar(t.date)) {
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d", c->year, c->month, c->day,
                          c->hour, c->minute);
            return text;
        }
    }
    return "Invalid DateTime";
}

std::optional<std::int64_t> qsoMinute(const OleDateTime& t) {
    if (t.status != DateStatus::Valid) return std::nullopt;
    const std::optional<CalendarTime> c = toCalendar(t.date);
    if (!c) return std::nullopt;
    return minutesSinceEpoch(*c);
}

double fromCalendar(const CalendarTime& c) {
    const std::int64_t day = daysFromCivil(c.year, c.month, c.day) - kEpochOffset;
    const double fraction = (c.hour * 3600.0 + c.minute * 60.0 + c.second) / 86400.0;
    // Before day 0 the fraction still counts forward from the start of the day, so it is
    // subtracted from the (negative) day number.
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace velmor
