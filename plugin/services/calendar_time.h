// Calendar fields of a moment and the one calendar arithmetic: days from a date, validity, whole minutes.
#pragma once

#include <cstdint>

namespace velmor {

// Calendar fields of an automation date, as the OLE automation library converts it:
// rounded to the nearest second; for dates before 1899-12-30 the fraction counts forward
// from the start of the day (-1.25 is 1899-12-29 06:00).
struct CalendarTime {
    int year = 0;
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;
    int second = 0;
};

// The years the host's date-time record can hold; every date the system reads must lie
// within them.
inline constexpr int kFirstYear = 100;
inline constexpr int kLastYear = 9999;

// Days since 1970-01-01 of a proleptic Gregorian date (any year, month 1-12, day 1-31):
// the one place of this arithmetic. Negative before 1970.
constexpr std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The date of a day since 1970-01-01 (the inverse of daysFromCivil), as a CalendarTime at
// midnight.
constexpr CalendarTime civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return CalendarTime{year, month, day, 0, 0, 0};
}

constexpr bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int daysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Whether the date is a real day of the years kFirstYear to kLastYear: the one validity
// check of a date read from anywhere.
constexpr bool isValidDate(int year, int month, int day) {
    return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

constexpr bool isValidTimeOfDay(int hour, int minute, int second = 0) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

constexpr bool isValid(const CalendarTime& t) {
    return isValidDate(t.year, t.month, t.day) && isValidTimeOfDay(t.hour, t.minute, t.second);
}

// Whole minutes since 1970-01-01 00:00 (the seconds dropped). QSO times are compared as
// these integers, never as floating-point dates, so that every build (the 32-bit ones
// too) gives the same answer.
constexpr std::int64_t minutesSinceEpoch(const CalendarTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * 1440 + t.hour * 60 + t.minute;
}

// The day (since 1970-01-01) of a minute from minutesSinceEpoch.
constexpr std::int64_t dayOfMinute(std::int64_t minute) {
    return minute >= 0 ? minute / 1440 : -((-minute + 1439) / 1440);
}

// The calendar fields of a minute from minutesSinceEpoch (the inverse, to the minute).
constexpr CalendarTime calendarOfMinute(std::int64_t minute) {
    const std::int64_t day = dayOfMinute(minute);
    CalendarTime t = civilFromDays(day);
    const std::int64_t inDay = minute - day * 1440;
    t.hour = static_cast<int>(inDay / 60);
    t.minute = static_cast<int>(inDay % 60);
    return t;
}

// The UTC clock hour (date and hour) of a minute from minutesSinceEpoch, comparable across
// days: the key of the contest's once-per-hour rule.
constexpr std::int64_t clockHour(std::int64_t minute) {
    return minute >= 0 ? minute / 60 : -((-minute + 59) / 60);
}

constexpr std::int64_t clockHourKey(const CalendarTime& t) { return clockHour(minutesSinceEpoch(t)); }

}  // namespace velmor
