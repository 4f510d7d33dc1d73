// Byte layout of the error journal's lines.
#include "log/journal.h"

#include "log/contest_rules.h"

namespace velmor {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kGap = "  ";
}  // namespace

std::string journalHeaderLine() {
    std::string line(rules::kJournalHeader);
    line += kLineEnd;
    return line;
}

std::string_view turnAwayReason(const QsoFields& qso) {
    if (rules::findMode(qso.mode) == nullptr) return rules::kReasonNoTestMode;
    if (qso.exchRcvd.empty() || qso.exchSent.empty()) return rules::kReasonNoRxNumber;
    return {};
}

std::string journalLine(const QsoFields& qso, std::string_view reason) {
    std::string line = "QSO:  ";
    line += std::to_string(qso.freqHz / 1000u);
    for (const std::string& piece : {qso.mode, formatQsoTime(qso.time), qso.ownCall, qso.rstSent,
                                     qso.exchSent, qso.call, qso.rstRcvd, qso.exchRcvd}) {
        line += kGap;
        line += piece;
    }
    line += reason;
    line += kLineEnd;
    return line;
}

}  // namespace velmor
