// Test data shared by the test groups: QSO times, host QSO fields, and the statistics text's header.
#pragma once

#include <cstdint>
#include <string>

#include "log/cinfo.h"
#include "log/ole_date.h"

namespace velmor::test {

inline OleDateTime validTime(int y, int mo, int d, int h, int mi, int s = 0) {
    return OleDateTime{fromCalendar(CalendarTime{y, mo, d, h, mi, s}), DateStatus::Valid};
}

inline OleDateTime at(int year, int month, int day, int hour, int minute) {
    return validTime(year, month, day, hour, minute);
}

// A QSO as the host would pass it, with ordinary contest values unless a test changes them.
inline QsoFields sampleQso() {
    QsoFields q;
    q.ownCall = "UA3ABC";
    q.call = "RA1XYZ";
    q.time = validTime(2026, 6, 13, 12, 10);  // same UTC hour as FakeClock's default
    q.freqHz = 14025000;
    q.mode = "CW";
    q.rstSent = "599";
    q.rstRcvd = "579";
    q.exchSent = "001";
    q.exchRcvd = "123";
    q.hostText23 = "h23";
    q.hostText30 = "h30";
    q.band = "20M";
    return q;
}

// The QSO fields of one AddData call with the parts the report reads.
inline QsoFields qso(const std::string& call, const std::string& band, const std::string& mode,
                     const std::string& exchRcvd, std::uint32_t freqHz = 7000000,
                     OleDateTime time = at(2026, 6, 13, 12, 0), const std::string& exchSent = "001",
                     const std::string& rstSent = "599", const std::string& rstRcvd = "599") {
    QsoFields f;
    f.ownCall = "W1AW";
    f.call = call;
    f.time = time;
    f.freqHz = freqHz;
    f.mode = mode;
    f.rstSent = rstSent;
    f.rstRcvd = rstRcvd;
    f.exchSent = exchSent;
    f.exchRcvd = exchRcvd;
    f.band = band;
    return f;
}

// The first two lines of the statistics text: TAB, "Соревнования" in code page 1251,
// " Velmor", then the column names.
inline const std::string kStatisticsHeader =
    "\t\xD1\xEE\xF0\xE5\xE2\xED\xEE\xE2\xE0\xED\xE8\xFF Velmor\r\n"
    "\tQSOs\tPoints\tBPSK63\tCW\tSSB\r\n";

}  // namespace velmor::test
