// Reading the log a subcommand works on: ADIF (.adi, .adif) or Cabrillo, as host QSOs.
#pragma once

#include <string>
#include <vector>

#include "host_session/plugin_session.h"

namespace velmor::cli {

struct LogInput {
    bool cabrillo = false;      // the file was read as Cabrillo (sources are line numbers)
    std::vector<LogQso> qsos;   // in file order
    std::string ownCall;        // --call, else the log's own call (CALLSIGN, STATION_CALLSIGN...)
    int errors = 0;             // errors reported on stderr (a field, a record or a line lost)
    std::size_t entries = 0;    // ADIF records or Cabrillo QSO lines in the file
    std::size_t notRead = 0;    // of those, left out before the plug-in (each reported)
};

// Reads `path` ("-": standard input). ADIF when the name ends in .adi or .adif (any case),
// Cabrillo for any other name; for standard input, Cabrillo when the text starts with
// START-OF-LOG. Problems go to standard error as "FILE:record N: error: FIELD: ..." or
// "FILE:LINE: error: ...". An ADIF QSO without RST_SENT or RST_RCVD gets the mode's usual
// report, said once with a count. False (and a message) when the file cannot be read.
bool readLog(const std::string& path, const std::string& callOption, LogInput& out);

// The help of a LOG argument, and of what an ADIF log must hold, for score, cabrillo and body.
inline constexpr const char* kLogHelp = "ADIF (.adi, .adif) or Cabrillo log; - for standard input";
inline constexpr const char* kAdifFieldsHelp =
    "ADIF fields read: the received exchange SRX_STRING, else the serial number SRX; the sent one "
    "STX_STRING, else STX (a QSO missing either is turned away); RST_RCVD and RST_SENT (missing: the mode's "
    "usual report, 599 or 59); CALL, QSO_DATE, TIME_ON, FREQ or BAND, MODE and SUBMODE; the own call "
    "STATION_CALLSIGN, else OPERATOR, else --call.\n";

// "record N" or "line N" for a QSO of this input.
std::string sourceName(const LogInput& in, int source);

}  // namespace velmor::cli
