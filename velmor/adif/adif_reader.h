// Reading ADIF logs: records as read from the file, and each record as the host's QSO
// fields (the same values the logging program hands to AddData0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/cinfo.h"

namespace velmor::adif {

// One finding about the file: an error leaves out a field or a record, a warning does not.
struct Problem {
    enum class Severity { Error, Warning };
    Severity severity = Severity::Error;
    int record = 0;           // from 1; 0 for the header
    std::size_t offset = 0;   // byte offset in the file where the problem was found
    std::string field;        // upper-case field name, empty when none
    std::string message;
};

// One record: field names in upper case mapped to their values (the last one wins when a
// name repeats; an empty value is kept and counts as missing).
struct Record {
    int number = 0;           // from 1, in file order
    std::size_t offset = 0;   // byte offset of the record's first tag
    std::map<std::string, std::string> fields;

    // The value of `name`, empty when missing.
    const std::string& get(const std::string& name) const;
};

struct Document {
    std::vector<Record> records;
    std::vector<Problem> problems;
};

// Reads an ADIF text: an optional byte-order mark, a header up to <EOH> when the text does
// not start with '<', then "<NAME:length[:type]>value" fields; <EOR> ends a record. Names
// are case-insensitive, lengths count bytes, text between fields is ignored, CR LF and LF
// alike. A malformed tag is an error (record number and byte offset): the field is left
// out and reading goes on at the next tag. A last record without <EOR> is kept, with a
// warning. Never throws.
Document parse(std::string_view text);

// FREQ in MHz ("14.025", "7", ".5") as whole Hz, without floating-point rounding (digits
// beyond 1 Hz are dropped); nullopt when malformed or above 4294.967295 MHz.
std::optional<std::uint32_t> megahertzToHertz(const std::string& mhz);

// FREQ as a logging program may have written it, read where the meaning is plain: the strict
// form of megahertzToHertz, or the same with a decimal comma ("14,025") or blanks around the
// number (" 14.025"), which `note` then names. Any number of MHz up to 9999999 (the bands end
// at 7.5 THz), so that a frequency the host cannot hold still names its band.
struct Megahertz {
    std::uint64_t hz = 0;
    std::string note;  // empty when the value was written as ADIF writes it
};
std::optional<Megahertz> readMegahertz(std::string_view mhz);

// The largest frequency the host's QSO holds: 32-bit hertz.
inline constexpr std::uint64_t kHostMaxHz = 0xFFFFFFFFu;

// QSO_DATE "YYYYMMDD" and TIME_ON "HHMM" or "HHMMSS" as calendar fields; nullopt when
// either is malformed or names no real day or time (20260231, 2460).
std::optional<CalendarTime> qsoTime(const std::string& qsoDate, const std::string& timeOn);

// QSO_DATE and TIME_ON as an automation date; nullopt as for qsoTime.
std::optional<double> adifDate(const std::string& qsoDate, const std::string& timeOn);

// The host's mode text for ADIF MODE and SUBMODE, by the table in adif_reader.cpp
// (case-insensitive): CW; SSB, USB, LSB -> "SSB"; PSK with PSK63/BPSK63, PSK63, BPSK63 ->
// "BPSK63"; anything else passes through (the submode when there is one, else the mode, in
// upper case) and the plug-in turns it away.
std::string hostMode(const std::string& mode, const std::string& submode);

// The amateur bands of ADIF's band table, named as the host names them ("20M", "23CM",
// "1.25CM"), with their edges in Hz (both edges belong to the band).
struct Band {
    std::string_view name;
    std::uint64_t lowHz;
    std::uint64_t highHz;
};
// The band of a frequency in Hz ("20M"), empty when it lies in no band.
std::string_view bandOfFrequency(std::uint64_t hz);
// The band named `band` (any case, "20m" or "20M"), or nullptr.
const Band* findBand(std::string_view band);

// One record turned into the host's fields.
struct HostQso {
    int record = 0;
    QsoFields fields;
};

// Every record that has a date and time, in file order; records without a usable date or
// time are left out, with an error in `problems`. No other field leaves a record out: a
// frequency that cannot be read or held gives the lower edge of the band (with a warning),
// or 0 (with an error naming the record and field) when no band gives one. The mapping
// (written down in the README):
//   call CALL; own call STATION_CALLSIGN, else OPERATOR, else `fallbackOwnCall`;
//   date and time QSO_DATE and TIME_ON; frequency FREQ (MHz, to Hz; a decimal comma or
//   blanks around it read with a warning), else the lower edge of BAND (ADIF's band table)
//   or of the band FREQ lies in when FREQ does not fit the host's 32-bit hertz, else 0;
//   reports RST_SENT, RST_RCVD; exchanges STX_STRING / SRX_STRING, else STX / SRX with at
//   least three digits ("14" -> "014"); band BAND in upper case, else derived from the
//   frequency; mode by hostMode(MODE, SUBMODE). An empty field counts as missing.
std::vector<HostQso> toHostQsos(const Document& doc, const std::string& fallbackOwnCall,
                                std::vector<Problem>& problems);

// Gives every QSO in a contest mode without RST_SENT or RST_RCVD the mode's usual report
// (rules::ModeRule::usualReport: 599 for CW and BPSK63, 59 for SSB), as an operator fills it
// in, so that the Cabrillo line keeps its columns. Returns how many QSOs got one or two.
std::size_t fillUsualReports(std::vector<HostQso>& qsos);

}  // namespace velmor::adif
