// Calendar fields of a moment: what the clock service gives and the date conversion produces.
#pragma once

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

}  // namespace velmor
