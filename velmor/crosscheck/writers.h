// The cross-check's outputs: the CSV files, the entrants' reports and the results page.
// Each writer streams to an std::ostream and never reads or writes files itself.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "crosscheck/contest.h"

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
// Values are written as they stand in the log; a value holding a comma, a quote or a line
// break is quoted, with quotes doubled. Lines end in LF.
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

// The detail column of QSO `index`: the reason (INVALID, OUT-OF-PERIOD), the counting
// line's number (DUPE), the partner's sent exchange (BAD-EXCH), the station really worked
// (BUSTED); empty otherwise.
std::string verdictDetail(const Contest& contest, std::uint32_t index);

// Counted logs in the order of results.csv and the results page: category (byte order),
// place, call.
std::vector<std::uint32_t> resultsOrder(const Contest& contest);

// Share of a log's QSO lines that do not count, in percent with one decimal ("12.5").
std::string errorRate(const LogSummary& s);

// The report's file name under reports/ for a call: letters, digits and '-' kept, any
// other byte becomes '_' (so "RZ3VLM/P" gives "RZ3VLM_P.txt").
std::string reportFileName(std::string_view call);

// The report file names of all counted logs (indexed by log; empty for a log that does not
// count). Two calls that would share a name, also when only letter case tells them apart
// (one file on Windows), are kept apart: the later one in call order gets "-2", "-3", ...
// before ".txt", so that no report overwrites another.
std::vector<std::string> reportFileNames(const Contest& contest);

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
