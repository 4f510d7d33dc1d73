// The cross-check's outputs: the CSV files, the entrants' reports and the results page.
// Each writer streams to an std::ostream and never reads or writes files itself.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/contest.h"
#include "services/file_name.h"

namespace velmor::crosscheck {

// | file          | one row per                   | columns                                         |
// |---------------|-------------------------------|-------------------------------------------------|
// | verdicts.csv  | QSO line of every counted log | log_call,line,freq,mode,date,time,call,         |
// |               | (logs by call, lines in order)| exch_rcvd,verdict,detail                        |
// | results.csv   | entrant (by category, place,  | call,category,claimed,lines,counted,ok,         |
// |               | call)                         | bad_exch,dupe,busted,nil,unique,unverified,     |
// |               |                               | invalid,out_of_period,score,place               |
// | skipped.csv   | file left out or superseded   | file,reason                                     |
//
// Values are written as they stand in the log (calls in upper case), each through the one
// CSV cell function (services/shown_text.h: csvCell): a value a spreadsheet would take as a
// formula (beginning with =, +, -, @, a tab or a CR) gets a leading ', and a value holding a
// comma, a quote or a line break is quoted, with quotes doubled. Lines end in LF.
inline constexpr std::string_view kVerdictsHeader =
    "log_call,line,freq,mode,date,time,call,exch_rcvd,verdict,detail\n";
inline constexpr std::string_view kResultsHeader =
    "call,category,claimed,lines,counted,ok,bad_exch,dupe,busted,nil,unique,unverified,"
    "invalid,out_of_period,score,place\n";
inline constexpr std::string_view kSkippedHeader = "file,reason\n";
// The QSO line's fields in verdicts.csv (and the database's verdicts table), after
// log_call and line: freq, mode, date, time, call, exch_rcvd.
inline constexpr qso_line::Field kVerdictLineFields[] = {
    qso_line::Field::Frequency, qso_line::Field::Mode, qso_line::Field::Date,
    qso_line::Field::Time,      qso_line::Field::Call, qso_line::Field::ExchangeReceived,
};

// A field of a QSO line as verdicts.csv and the database show it: as written, the call in
// upper case (calls are compared without letter case).
std::string shownField(const LineFields& fields, qso_line::Field field);

// The detail column of QSO `index`: the reason (INVALID, OUT-OF-PERIOD), the counting
// line's number (DUPE), the partner's sent exchange (BAD-EXCH), the station really worked
// (BUSTED); empty otherwise.
std::string verdictDetail(const Contest& contest, std::uint32_t index);

// Counted logs in the order of results.csv and the results page: category (byte order),
// place, call.
std::vector<std::uint32_t> resultsOrder(const Contest& contest);

// Share of a log's QSO lines that do not count, in percent with one decimal ("12.5").
std::string errorRate(const LogSummary& s);

// The report file names of all counted logs (indexed by log; empty for a log that does not
// count): each call through the one rule for call file names (services/file_name.h:
// callFileNames, ".txt", at most `longest` bytes), so that no name leaves reports/, names a
// device or passes a length limit, and no two reports share a file, also by letter case.
std::vector<std::string> reportFileNames(const Contest& contest, std::size_t longest = kLongestCallFileName);

void writeVerdictsCsv(const Contest& contest, std::ostream& out);
void writeResultsCsv(const Contest& contest, std::ostream& out);
void writeSkippedCsv(const std::vector<SkippedFile>& skipped, std::ostream& out);
// The entrant's report: the summary, then every QSO that does not count or is UNIQUE with
// its line, verdict and evidence.
void writeReport(const Contest& contest, std::uint32_t log, std::ostream& out);
// One self-contained page: per category the sortable results table and a bar chart of the
// final scores; each call links to reports/<file>.
void writeResultsHtml(const Contest& contest, const std::vector<std::string>& reportNames, std::ostream& out);

}  // namespace velmor::crosscheck
