// The host's date-time record as the plug-in keeps it, and its conversion to calendar fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "services/calendar_time.h"

namespace velmor {

// Status values of the host's date-time record.
enum class DateStatus : std::int32_t { Valid = 0, Invalid = 1, Null = 2 };

// A copy of the host's record: an automation date (days since 1899-12-30, the fraction
// being the time of day) and its status.
struct OleDateTime {
    double date = 0.0;
    DateStatus status = DateStatus::Valid;
};

// Days since 1970-01-01 of a proleptic Gregorian date (any year, month 1-12, day 1-31):
// the one place of this arithmetic, used by the date conversion here and by the ADIF
// reader. Negative before 1970.
constexpr std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// nullopt when the value cannot be a calendar date: NaN, infinities, or outside the
// years 100-9999.
std::optional<CalendarTime> toCalendar(double date);

// "%Y-%m-%d %H%M" for a valid, convertible record; "Invalid DateTime" for an invalid or
// unconvertible one; "" for a null one.
std::string formatQsoTime(const OleDateTime& t);

// The automation date of a calendar time: the log counts clock hours with it; tests and
// benchmarks build QSO times with it.
double fromCalendar(const CalendarTime& c);

}  // namespace velmor
