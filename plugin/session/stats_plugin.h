// The plug-in's one state object: what the exports reach, as plain values in and out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

#include "cabrillo/cabrillo_log.h"
#include "checks/exchange_check.h"  // IsValidExchg0 answers through IsValidExchange
#include "log/cinfo.h"
#include "log/qso_log.h"
#include "services/services.h"

namespace velmor {

// Answer of the repeat check: 1 (may be worked) or 4 (repeat), with the warning for 4.
struct CheckCallResult {
    std::int32_t result = 1;
    std::string warning;
};

class StatsPlugin {
public:
    explicit StatsPlugin(Services services);

    // ResetStats0: companion once per load, empty log and bands, journal header,
    // station-details dialog when writeCabrillo is non-zero. Returns 1.
    std::int32_t ResetStats(std::int32_t writeCabrillo, const std::string& ownCall);
    // AddData0: 1 stored, 0 turned away (journal line).
    std::int32_t AddData(const QsoFields& qso);
    // RemoveData0: removes the QSO the host deleted (QsoLog::removeQso: the oldest record
    // equal in call, mode, band, exchanges and date-time, else the oldest with that call,
    // mode and band). Returns 1.
    std::int32_t RemoveData(const QsoFields& qso);
    // Removes the oldest record with this call, mode and band. Returns 1.
    std::int32_t RemoveData(const std::string& call, const std::string& mode, const std::string& band);
    // CheckCall0 against the clock's current UTC hour.
    CheckCallResult CheckCall(const std::string& call, const std::string& mode, const std::string& band) const;
    // GetResult0: rebuilds the statistics text, stores the score; Cabrillo hand-off while
    // writeCabrillo is set (then *score is -1). The text stays owned by the plug-in.
    const std::string& GetResult(std::int32_t* score);

    // State, for tests and the Windows layer.
    const QsoLog& qsoLog() const { return qsoLog_; }
    const BandList& bandList() const { return bandList_; }
    const CCabrilloLog& cabrillo() const { return cabrillo_; }
    std::int32_t writeCabrillo() const { return writeCabrillo_; }
    std::int32_t claimedScore() const { return claimedScore_; }
    bool companionStarted() const { return companionStarted_; }

private:
    Services services_;
    QsoLog qsoLog_;
    BandList bandList_;
    CCabrilloLog cabrillo_;
    std::string resultText_;
    std::int32_t writeCabrillo_ = 0;
    std::int32_t claimedScore_ = 0;
    bool companionStarted_ = false;
    bool journalChecked_ = false;  // err.txt made sure to exist once per load
    // The "Claimed" value this load last wrote or read in the settings file; a score
    // request writes the key only when its score text differs (a profile write is slow).
    std::optional<std::string> claimedInSettings_;
    std::unordered_set<std::string> bandsSeen_;  // the texts of bandList_, for AddData's lookup
};

}  // namespace velmor
