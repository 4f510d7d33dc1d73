// The plug-in's behaviour written as plain walks over the log, to check the indexed one against.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "log/cinfo.h"
#include "services/services.h"
#include "session/stats_plugin.h"

namespace velmor::reference {

// Same calls and services as StatsPlugin, but every question is answered by walking the
// whole log the way the algorithms read: the repeat check, the removal and the statistics
// count visit the records one by one. Only the date conversion and the Cabrillo line and
// file formatting are shared with the plug-in. Slow on purpose; used by the differential
// test and as the baseline of the benchmarks.
class ReferencePlugin {
public:
    explicit ReferencePlugin(Services services);

    std::int32_t ResetStats(std::int32_t writeCabrillo, const std::string& ownCall);
    std::int32_t AddData(const QsoFields& qso);
    std::int32_t RemoveData(const QsoFields& qso);
    std::int32_t RemoveData(const std::string& call, const std::string& mode, const std::string& band);
    CheckCallResult CheckCall(const std::string& call, const std::string& mode, const std::string& band) const;
    const std::string& GetResult(std::int32_t* score);

    const std::vector<CInfo>& qsoLog() const { return qsoLog_; }
    const std::vector<std::string>& bandList() const { return bandList_; }
    const CCabrilloLog& cabrillo() const { return cabrillo_; }
    std::int32_t writeCabrillo() const { return writeCabrillo_; }
    std::int32_t claimedScore() const { return claimedScore_; }
    bool companionStarted() const { return companionStarted_; }

private:
    void journal(const QsoFields& qso, const char* reason);
    void handOffCabrillo();

    Services services_;
    std::vector<CInfo> qsoLog_;
    std::vector<std::string> bandList_;
    CCabrilloLog cabrillo_;
    std::string resultText_;
    std::int32_t writeCabrillo_ = 0;
    std::int32_t claimedScore_ = 0;
    bool companionStarted_ = false;
    bool journalEnsured_ = false;
    std::optional<std::string> claimedInSettings_;  // "Claimed" as last written or read
};

// IsValidExchg0 written out character by character.
std::int32_t ReferenceIsValidExchange(const std::string& exchange);

// The band order's comparison key: left-padded with '0' to 20 characters.
std::string bandSortKey(const std::string& band);

}  // namespace velmor::reference
