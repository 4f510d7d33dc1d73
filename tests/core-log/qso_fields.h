// A QSO as the host would pass it, with ordinary contest values unless a test changes them.
#pragma once

#include "log/cinfo.h"
#include "log/ole_date.h"

namespace velmor::test {

inline OleDateTime validTime(int y, int mo, int d, int h, int mi, int s = 0) {
    return OleDateTime{fromCalendar(CalendarTime{y, mo, d, h, mi, s}), DateStatus::Valid};
}

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

}  // namespace velmor::test
