// GetResult0: the statistics text, the score, and the Cabrillo hand-off while it is wanted.
#include <string>
#include <utility>

#include "cabrillo/cabrillo_log.h"
#include "score/statistics_report.h"
#include "session/stats_plugin.h"

namespace velmor {

const std::string& StatsPlugin::GetResult(std::int32_t* score) {
    resultText_.clear();
    const ReportTotals totals = appendStatisticsTable(resultText_, qsoLog_, bandList_);
    const std::int32_t points = totals.points;

    claimedScore_ = points;
    if (score != nullptr) *score = points;
    // The station-details dialog shows this value next time; a failed write is not reported.
    // Written only when it changes what the file holds, as far as this load knows.
    std::string claimedText = std::to_string(points);
    if (claimedInSettings_ != claimedText) {
        services_.settings.write(cabrillo::kKeyClaimed, claimedText);
        claimedInSettings_ = std::move(claimedText);
    }
    appendScoreLine(resultText_, points);

    if (writeCabrillo_ != 0) {
        // Rebuilt at every request, so a second request does not repeat the QSO lines.
        cabrillo_.qsoLines.clear();
        for (const CInfo& r : qsoLog_.records()) cabrillo_.AddQso(r);
        services_.ui.showOutput(cabrillo_.WriteLog(services_.files, claimedScore_));
        if (score != nullptr) *score = -1;
    }
    return resultText_;
}

}  // namespace velmor
