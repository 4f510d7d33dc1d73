// Shared helpers of the report tests: golden files, QSO times and logged records.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "log/cinfo.h"
#include "log/ole_date.h"

namespace velmor::test {

// Bytes of a golden file under tests/data/report.
inline std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(REPORT_DATA_DIR) + "/" + name, std::ios::binary);
    if (!in) return "<missing fixture " + name + ">";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline OleDateTime at(int year, int month, int day, int hour, int minute) {
    return OleDateTime{fromCalendar(CalendarTime{year, month, day, hour, minute, 0}),
                       DateStatus::Valid};
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

// The worked example's log: a CW QSO on 80 with a numbered exchange, and two QSOs on 40 with
// one station that sent "WM", in SSB and in BPSK63.
inline QsoFields workedExample80() {
    return qso("UA3AAA", "80", "CW", "123", 3512000, at(2026, 6, 13, 12, 5), "001", "599", "599");
}
inline QsoFields workedExample40Ssb() {
    return qso("UA9XYZ", "40", "SSB", "WM", 7080000, at(2026, 6, 13, 12, 40), "002", "59", "59");
}
inline QsoFields workedExample40Psk() {
    return qso("UA9XYZ", "40", "BPSK63", "WM", 7040000, at(2026, 6, 13, 13, 10), "003", "599", "599");
}

}  // namespace velmor::test
