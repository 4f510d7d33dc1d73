// The plug-in's state object: reset, storing and removing QSOs, and the repeat check.
#include "session/stats_plugin.h"

#include <string_view>
#include <utility>

#include "checks/repeat_check.h"
#include "log/contest_rules.h"
#include "log/journal.h"

namespace velmor {

namespace {

const std::string kJournal(rules::kJournalFile);

}  // namespace

StatsPlugin::StatsPlugin(Services services) : services_(services) {}

std::int32_t StatsPlugin::ResetStats(std::int32_t writeCabrillo, const std::string& ownCall) {
    if (!companionStarted_) {
        // Set before the attempt: whatever its outcome, the companion is started at most once.
        companionStarted_ = true;
        services_.launcher.start(std::string(rules::kCompanionCommand));
    }
    qsoLog_.clear();
    bandList_.clear();
    bandsSeen_.clear();
    writeCabrillo_ = writeCabrillo;
    // A journal that cannot be written is not reported; the reset goes on.
    services_.files.writeFile(kJournal, journalHeaderLine());
    if (writeCabrillo_ != 0) {
        // Confirmed or cancelled makes no difference to the reset.
        cabrillo_.EditStationDetails(ownCall, services_.settings, services_.ui);
        // The dialog read "Claimed" and keeps that text whatever the operator typed.
        claimedInSettings_ = cabrillo_.claimed;
    }
    return 1;
}

std::int32_t StatsPlugin::AddData(const QsoFields& qso) {
    const std::string_view reason = turnAwayReason(qso);
    if (!reason.empty()) {
        // A lost journal line is not reported; the QSO is turned away all the same.
        services_.files.appendFile(kJournal, journalLine(qso, reason));
        journalChecked_ = true;
        return 0;
    }
    if (!journalChecked_) {
        // The journal exists after the first AddData of a load, even without a reset;
        // stored QSOs otherwise never touch the file.
        services_.files.appendFile(kJournal, std::string());
        journalChecked_ = true;
    }

    if (bandsSeen_.insert(qso.band).second) bandList_.push_back(qso.band);

    CInfo record;
    record.call = qso.call;
    record.hostText23 = qso.hostText23;
    record.hostText30 = qso.hostText30;
    record.band = qso.band;
    record.mode = qso.mode;
    record.rstRcvd = qso.rstRcvd;
    record.rstSent = qso.rstSent;
    record.exchRcvd = qso.exchRcvd;
    record.exchSent = qso.exchSent;
    if (qso.exchRcvd == rules::kWmExchange) record.wmCall = qso.call;
    record.freqKHz = qso.freqHz / 1000u;
    record.time = qso.time;
    qsoLog_.add(std::move(record));
    return 1;
}

std::int32_t StatsPlugin::RemoveData(const QsoFields& qso) {
    qsoLog_.removeQso(qso);
    return 1;
}

std::int32_t StatsPlugin::RemoveData(const std::string& call, const std::string& mode,
                                     const std::string& band) {
    qsoLog_.removeFirst(call, mode, band);
    return 1;
}

CheckCallResult StatsPlugin::CheckCall(const std::string& call, const std::string& mode,
                                       const std::string& band) const {
    CheckCallResult answer;
    if (isRepeatInClockHour(qsoLog_, call, mode, band, services_.clock.utcNow())) {
        answer.result = 4;
        answer.warning = repeatWarning(call);
    }
    return answer;
}

}  // namespace velmor
