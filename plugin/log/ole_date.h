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

// nullopt when the value cannot be a calendar date: NaN, infinities, or outside the
// years 100-9999.
std::optional<CalendarTime> toCalendar(double date);

// "%Y-%m-%d %H%M" for a valid, convertible record; "Invalid DateTime" for an invalid or
// unconvertible one; "" for a null one.
std::string formatQsoTime(const OleDateTime& t);

// The automation date of a calendar time: the log counts clock hours with it; tests and
// benchmarks build QSO times with it.
double fromCalendar(const CalendarTime& c);

// Whole minutes since 1970-01-01 00:00 (minutesSinceEpoch) of a valid record that has a
// calendar date; nullopt for an invalid, null or unconvertible one.
std::optional<std::int64_t> qsoMinute(const OleDateTime& t);

}  // namespace velmor
