// The score and the statistics text: band order, per-band rows, total row and score line.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "log/qso_log.h"

namespace velmor {

// Layout of the statistics text (TAB written \t, line end CR LF). Every number is a signed
// decimal without fill; each column after the first is preceded by a TAB and one blank.
//
// | line          | format                                                  |
// |---------------|---------------------------------------------------------|
// | header        | "\t<Competitions, cp1251> Velmor\r\n\tQSOs\tPoints\tBPSK63\tCW\tSSB\r\n" |
// | one per band  | "%s\t %i\t %i\t %i\t %i\t %i\r\n"  band, QSOs, points, BPSK63, CW, SSB |
// | total         | "Total\t %i\t %i\t %i\t %i\t %i\r\n"  N (all records), score, BPSK63, CW, SSB |
// | score         | "\r\nScore:  %i"  (no line end: it ends the text)        |
namespace report {
// "\t" + "Соревнования" (code page 1251) + " Velmor\r\n" + the column names.
inline constexpr const char* kHeader =
    "\t\xD1\xEE\xF0\xE5\xE2\xED\xEE\xE2\xE0\xED\xE8\xFF Velmor\r\n"
    "\tQSOs\tPoints\tBPSK63\tCW\tSSB\r\n";
inline constexpr std::size_t kBandKeyWidth = 20;  // band texts are left-padded with '0' to this
}  // namespace report

// Sort key of a band text: left-padded with '0' to 20 characters; a text of 20 or more
// characters is its own key.
std::string bandSortKey(const std::string& band);

// strcmp-like comparison of two band texts' keys (bytes as unsigned characters).
int compareBandKeys(const std::string& a, const std::string& b);

// Reorders the band list in place, descending by key, with the exchange sort the report
// has always used: for each i, for each j > i, swap when key(i) < key(j). Texts with equal
// keys ("7", "07") are never swapped with each other.
void sortBandList(BandList& bands);

// Points of one band: one per counted QSO plus the bonus for each distinct "WM" station.
std::int32_t bandPoints(const BandTally& tally);

// Sums over the band rows; qsos is N, the number of records in the log.
struct ReportTotals {
    std::int32_t qsos = 0;
    std::int32_t points = 0;
    std::array<std::int32_t, rules::kModeCount> modes{};  // by statistics column
};

void appendReportHeader(std::string& text);
void appendBandRow(std::string& text, const std::string& band, const BandTally& tally);
void appendTotalRow(std::string& text, const ReportTotals& totals);
void appendScoreLine(std::string& text, std::int32_t score);

// Header, band list sorted in place, one row per band from the log's tallies, total row.
// Returns the totals; totals.points is the score. Work grows with the number of bands,
// not of QSOs: the tallies are kept by the log.
ReportTotals appendStatisticsTable(std::string& text, const QsoLog& log, BandList& bands);

}  // namespace velmor
