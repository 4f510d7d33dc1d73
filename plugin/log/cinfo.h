// One logged QSO as the plug-in keeps it, and the host's QSO fields it is built from.
#pragma once

#include <cstdint>
#include <string>

#include "log/ole_date.h"

namespace velmor {

// One stored QSO. Field order and meaning as the host hands them to AddData0.
struct CInfo {
    std::string call;        // worked station
    std::string hostText23;  // host text kept as given; nothing reads it
    std::string hostText30;  // host text kept as given; nothing reads it
    std::string band;        // band text as the host names it
    std::string mode;        // "CW", "SSB" or "BPSK63"
    std::string rstRcvd;
    std::string rstSent;
    std::string exchRcvd;    // never empty
    std::string exchSent;    // never empty
    std::string wmCall;      // == call when exchRcvd is exactly "WM", else empty
    std::uint32_t freqKHz = 0;
    OleDateTime time;
};

// The host's fields of one AddData0/RemoveData0 call, as plain values (null texts empty).
struct QsoFields {
    std::string ownCall;     // 1
    std::string call;        // 2
    OleDateTime time;        // 3
    std::uint32_t freqHz = 0;  // 8
    std::string mode;        // 9
    std::string rstSent;     // 10
    std::string rstRcvd;     // 11
    std::string exchSent;    // 12
    std::string exchRcvd;    // 13
    std::string hostText23;  // 23
    std::string hostText30;  // 30
    std::string band;        // 32
};

}  // namespace velmor
