// The Cabrillo QSO line: its columns, its writer and reader, the contest-QSO rule and the repeat key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/contest_rules.h"
#include "services/calendar_time.h"

// Everything that writes or reads a QSO line goes through here: the plug-in's writer, the
// velmor readers, `velmor check`, `velmor crosscheck` and `velmor score`, so that none of
// them can disagree about a column, a mode label or what counts as a contest QSO.
//
// The line, "QSO: %5s %2s %s %-13s %-3s %-6s %-13s %-3s %s" + CR LF (columns from 1, for
// values that fit; a wider value is written whole and moves the rest right; nothing is cut):
//
// | field | columns | content            | written                        | read as                   |
// |-------|---------|--------------------|--------------------------------|---------------------------|
// |       |  1-5    | "QSO: "            | fixed                          | the tag, any letter case  |
// |   1   |  6-10   | frequency          | kHz, right-aligned in 5; from  | 1-9 digits (kHz) or a     |
// |       |         |                    | 50 MHz on the band designator  | band designator (its band |
// |       |         |                    | (kBandDesignators)             | edge in kHz)              |
// |   2   | 12-13   | mode label         | right-aligned in 2             | a label of rules::kModes  |
// |   3   | 15-24   | date               | YYYY-MM-DD                     | a real day (isValidDate)  |
// |   4   | 26-29   | time (UTC)         | HHMM                           | 0000-2359                 |
// |   5   | 31-43   | own call sign      | left-aligned in 13             | not empty                 |
// |   6   | 45-47   | RST sent           | left-aligned in 3              | not empty                 |
// |   7   | 49-54   | exchange sent      | left-aligned in 6              | not empty                 |
// |   8   | 56-68   | worked call sign   | left-aligned in 13             | not empty                 |
// |   9   | 70-72   | RST received       | left-aligned in 3              | not empty                 |
// |  10   | 74 on   | exchange received  | as is                          | not empty                 |
//
// The plug-in's writer puts "Invalid DateTime" in place of the date and time of an invalid
// record and nothing at all for a null one; a reader names both faults as such.
//
// A reader splits the line at runs of blanks (tabs count as blanks), because a wide value
// moves every later field; the columns only explain a line with a missing field: an empty
// report leaves its columns blank and shifts every later field one place left, so that a
// robot would read the exchange as the call.
namespace velmor::qso_line {

// The fields in the order they stand on the line; Line stands for the line as a whole.
enum class Field {
    Line,
    Frequency,
    Mode,
    Date,
    Time,
    OwnCall,
    RstSent,
    ExchangeSent,
    Call,
    RstReceived,
    ExchangeReceived,
};
inline constexpr std::size_t kFieldCount = 10;

struct Column {
    Field field;
    std::string_view name;  // for messages: "frequency", "RST sent", ...
    std::size_t first;      // 0-based column of a value that fits
    std::size_t width;      // filled to this width; 0: to the end of the line
    bool rightAligned;
};
inline constexpr std::array<Column, kFieldCount> kColumns{{
    {Field::Frequency, "frequency", 5, 5, true},
    {Field::Mode, "mode", 11, 2, true},
    {Field::Date, "date", 14, 10, false},
    {Field::Time, "time", 25, 4, false},
    {Field::OwnCall, "own call", 30, 13, false},
    {Field::RstSent, "RST sent", 44, 3, false},
    {Field::ExchangeSent, "exchange sent", 48, 6, false},
    {Field::Call, "call", 55, 13, false},
    {Field::RstReceived, "RST received", 69, 3, false},
    {Field::ExchangeReceived, "exchange received", 73, 0, false},
}};
inline constexpr std::string_view kTag = "QSO";

// The column of a field (Line: the last one).
constexpr const Column& column(Field field) {
    for (const Column& c : kColumns)
        if (c.field == field) return c;
    return kColumns.back();
}

// Lower-case name of a field for messages; "QSO line" for Field::Line.
std::string_view fieldName(Field field);

// Cabrillo 3.0 writes a frequency of 50 MHz and up as the band's designator, not in kHz.
// The designator of the highest band whose lower edge a frequency reaches is written; a
// reader takes a designator as that lower edge.
struct BandDesignator {
    std::string_view text;
    std::int64_t lowKHz;
};
inline constexpr std::array<BandDesignator, 18> kBandDesignators{{
    {"50", 50000},          {"70", 70000},          {"144", 144000},       {"222", 222000},
    {"432", 420000},        {"902", 902000},        {"1.2G", 1240000},     {"2.3G", 2300000},
    {"3.4G", 3300000},      {"5.7G", 5650000},      {"10G", 10000000},     {"24G", 24000000},
    {"47G", 47000000},      {"75G", 75500000},      {"122G", 122250000},   {"134G", 134000000},
    {"241G", 241000000},    {"LIGHT", 300000000},
}};
inline constexpr std::int64_t kDesignatorsFromKHz = 50000;

// The designator a frequency in kHz is written as; nullptr below kDesignatorsFromKHz.
const BandDesignator* designatorOf(std::int64_t kHz);

// The frequency field for a frequency in kHz: decimal kHz below 50 MHz, else the band
// designator.
std::string frequencyText(std::int64_t kHz);

// One QSO line's values, typed.
struct Qso {
    std::int64_t freqKHz = 0;
    const rules::ModeRule* mode = nullptr;  // a contest mode; never null in a read line
    CalendarTime time;                      // to the minute (second 0)
    std::string ownCall;
    std::string rstSent;
    std::string exchangeSent;
    std::string call;
    std::string rstReceived;
    std::string exchangeReceived;

    std::string_view hostMode() const { return mode ? mode->hostName : std::string_view(); }
    std::string_view modeLabel() const { return mode ? mode->cabrilloLabel : std::string_view(); }
    // Minutes since 1970-01-01 00:00 UTC: what every comparison of QSO times compares.
    std::int64_t minute() const { return minutesSinceEpoch(time); }
    // "YYYY-MM-DD" and "HHMM" as the writer prints them.
    std::string dateText() const;
    std::string timeText() const;
};

// The texts of one line's fields, before any are typed; the writer fills them to their
// columns. `dateTime` is the date and time as one text ("2026-05-16 1203"), which the
// plug-in's writer may also give as "Invalid DateTime" or as empty.
struct Texts {
    std::string_view frequency, mode, dateTime, ownCall, rstSent, exchangeSent, call,
        rstReceived, exchangeReceived;
};

// The whole line with its CR LF.
std::string format(const Texts& texts);
std::string format(const Qso& qso);

// The fields of a line as written: after the tag's ':' the line split at runs of blanks.
// `count` is the number of fields the line has (it may be more than kFieldCount; the
// fields beyond are not kept).
struct Split {
    std::array<std::string_view, kFieldCount> fields{};
    std::size_t count = 0;

    // The text of a field (empty when the line does not have it).
    std::string_view operator[](Field field) const {
        return field == Field::Line ? std::string_view() : fields[static_cast<std::size_t>(field) - 1];
    }
};
Split split(std::string_view line);

// Whether `line` starts with the tag "QSO:" in any letter case.
bool isQsoLine(std::string_view line);

// Why a line cannot be read, or a QSO does not count: the field and the reason.
struct Fault {
    Field field = Field::Line;
    std::string reason;
};

// Either the typed QSO or the first fault found, field by field from the left.
struct Parse {
    std::optional<Qso> qso;
    Fault fault;  // meaningful only when !qso
    bool ok() const { return qso.has_value(); }
};

// Reads one line ("QSO: ..." without its line end). Checks the format alone: frequency,
// a contest mode label, a real date and time ("Invalid DateTime" and an empty date named as
// such), ten fields, and which empty field shifted the others. Contest rules on the values
// are contestFault's.
Parse read(std::string_view line);

// Why a QSO is not one the contest counts, or nullopt when it is: a frequency outside the
// contest bands, a mode outside the contest's, a received exchange that is not a Velmor
// exchange. The one rule and the one wording for every checker.
// contestFaults gives every reason, in field order; contestFault the first.
std::vector<Fault> contestFaults(std::int64_t freqKHz, std::string_view hostMode,
                                 std::string_view exchangeReceived);
std::optional<Fault> contestFault(std::int64_t freqKHz, std::string_view hostMode,
                                  std::string_view exchangeReceived);
std::optional<Fault> contestFault(const Qso& qso);

// The key under which a station may be worked once: call, band, mode and UTC clock hour.
std::string repeatKey(std::string_view call, std::string_view band, std::string_view mode,
                      std::int64_t minute);

}  // namespace velmor::qso_line
