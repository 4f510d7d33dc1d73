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
    int errors = 0;             // records or lines left out (each reported on stderr)
};

// Reads `path` ("-": standard input). ADIF when the name ends in .adi or .adif (any case),
// Cabrillo for any other name; for standard input, Cabrillo when the text starts with
// START-OF-LOG. Problems go to standard error as "FILE:record N: error: FIELD: ..." or
// "FILE:LINE: error: ...". False (and a message) when the file cannot be read.
bool readLog(const std::string& path, const std::string& callOption, LogInput& out);

// "record N" or "line N" for a QSO of this input.
std::string sourceName(const LogInput& in, int source);

}  // namespace velmor::cli
