// Shared helpers of the report tests: golden files and the worked example's QSOs.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "qso_builders.h"

namespace velmor::test {

// Bytes of a golden file under tests/data/report.
inline std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(REPORT_DATA_DIR) + "/" + name, std::ios::binary);
    if (!in) return "<missing fixture " + name + ">";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
