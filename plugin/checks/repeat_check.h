// The repeat check: a station may be worked once per band and mode in each UTC clock hour.
#pragma once

#include <string>

#include "log/ole_date.h"
#include "log/qso_log.h"

namespace velmor {

// True when the log holds a QSO with exactly this call, mode and band whose valid time lies
// in the same UTC clock hour (same date and hour) as `nowUtc`. Records whose time is
// invalid, null or has no calendar date never count.
bool isRepeatInClockHour(const QsoLog& log, const std::string& call, const std::string& mode,
                         const std::string& band, const CalendarTime& nowUtc);

// The warning for the host's buffer (code page 1251), whole; the caller cuts it to fit:
//   "QSO c " + call + " \xC2 \xCE\xC4\xCD\xCE\xCC ... !!!"   (49 bytes + the call)
std::string repeatWarning(const std::string& call);

}  // namespace velmor
