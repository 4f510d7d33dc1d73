// The score and the statistics text built from the log's per-band tallies.
#include "score/statistics_report.h"

#include <cstring>
#include <utility>

#include "log/contest_rules.h"

namespace velmor {

std::string bandSortKey(const std::string& band) {
    if (band.size() >= report::kBandKeyWidth) return band;
    return std::string(report::kBandKeyWidth - band.size(), '0') + band;
}

int compareBandKeys(const std::string& a, const std::string& b) {
    // Band texts come from C strings (no embedded zeros), so strcmp on the keys is the rule.
    return std::strcmp(bandSortKey(a).c_str(), bandSortKey(b).c_str());
}

void sortBandList(BandList& bands) {
    // Keys computed once; they travel with their texts when swapped.
    std::vector<std::string> keys;
    keys.reserve(bands.size());
    for (const auto& b : bands) keys.push_back(bandSortKey(b));
    for (std::size_t i = 0; i + 1 < bands.size(); ++i) {
        for (std::size_t j = i + 1; j < bands.size(); ++j) {
            if (std::strcmp(keys[i].c_str(), keys[j].c_str()) < 0) {
                std::swap(keys[i], keys[j]);
                std::swap(bands[i], bands[j]);
            }
        }
    }
}

std::int32_t bandPoints(const BandTally& tally) {
    return tally.qsos * rules::kPointsPerQso +
           static_cast<std::int32_t>(tally.wmRefs.size()) * rules::kWmBonus;
}

namespace {
void appendColumn(std::string& text, std::int32_t value) {
    text += "\t ";
    text += std::to_string(value);
}
}  // namespace

void appendReportHeader(std::string& text) { text += report::kHeader; }

void appendBandRow(std::string& text, const std::string& band, const BandTally& tally) {
    text += band;
    appendColumn(text, tally.qsos);
    appendColumn(text, bandPoints(tally));
    for (const std::int32_t count : tally.modes) appendColumn(text, count);
    text += "\r\n";
}

void appendTotalRow(std::string& text, const ReportTotals& totals) {
    text += "Total";
    appendColumn(text, totals.qsos);
    appendColumn(text, totals.points);
    for (const std::int32_t count : totals.modes) appendColumn(text, count);
    text += "\r\n";
}

void appendScoreLine(std::string& text, std::int32_t score) {
    text += "\r\nScore:  ";
    text += std::to_string(score);
}

ReportTotals appendStatisticsTable(std::string& text, const QsoLog& log, BandList& bands) {
    ReportTotals totals;
    totals.qsos = static_cast<std::int32_t>(log.size());
    appendReportHeader(text);
    sortBandList(bands);
    for (const auto& band : bands) {
        const BandTally& tally = log.tally(band);
        appendBandRow(text, band, tally);
        totals.points += bandPoints(tally);
        for (std::size_t column = 0; column < rules::kModeCount; ++column)
            totals.modes[column] += tally.modes[column];
    }
    appendTotalRow(text, totals);
    return totals;
}

}  // namespace velmor
