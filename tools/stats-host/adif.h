// Reading ADIF logs into the host's QSO fields: tags, dates, frequencies and mode names.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace statshost {

// One ADIF record: field names in upper case mapped to their values.
using AdifRecord = std::map<std::string, std::string>;

// The records of an ADIF text (the header before <EOH>, if any, is skipped). Fields are
// "<NAME:length[:type]>value"; a record ends at <EOR>. Malformed tags end the reading.
std::vector<AdifRecord> ParseAdif(const std::string& text);

// Automation date (days since 1899-12-30, the fraction the time of day) of a calendar time.
double AutomationDate(int year, int month, int day, int hour, int minute, int second);

// QSO_DATE "YYYYMMDD" and TIME_ON "HHMM" or "HHMMSS" as an automation date; nullopt when
// either is malformed.
std::optional<double> AdifDate(const std::string& qsoDate, const std::string& timeOn);

// FREQ in MHz ("14.025") as whole Hz, without floating-point rounding; nullopt when malformed.
std::optional<std::uint32_t> MegahertzToHertz(const std::string& mhz);

// The host's mode text for ADIF MODE/SUBMODE: the SSB family as "SSB", otherwise the
// submode when there is one (PSK/BPSK63 -> "BPSK63"), otherwise the mode.
std::string HostMode(const std::string& mode, const std::string& submode);

}  // namespace statshost
