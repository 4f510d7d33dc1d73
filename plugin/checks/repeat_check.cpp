// The repeat check against the log's clock-hour index, and its warning text.
#include "checks/repeat_check.h"

#include "log/contest_rules.h"

namespace velmor {

bool isRepeatInClockHour(const QsoLog& log, const std::string& call, const std::string& mode,
                         const std::string& band, const CalendarTime& nowUtc) {
    return log.workedInHour(call, band, mode, clockHourKey(nowUtc));
}

std::string repeatWarning(const std::string& call) {
    std::string text(rules::kRepeatPrefix);
    text += call;
    text += rules::kRepeatTail;
    return text;
}

}  // namespace velmor
