// The plug-in's own logic run outside the logging program: a StatsPlugin with services in
// memory, fed QSOs exactly as the host feeds them (reset, one add per QSO, the result).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cabrillo/qso_line.h"
#include "cabrillo_reader/cabrillo_reader.h"
#include "log/cinfo.h"
#include "services/services.h"

namespace velmor::cli {

// One QSO of an input log with where it came from (line or ADIF record number).
struct LogQso {
    int source = 0;
    QsoFields fields;
};

// The host's fields of a read Cabrillo QSO line: frequency kHz to Hz (0 when the host's
// 32-bit hertz cannot hold it, from 4.3 GHz up), the label's host mode, the line's date and
// time, the given band text ("20M").
QsoFields hostFields(const qso_line::Qso& q, const std::string& band);

// The QSO lines of a Cabrillo file as the logging program would hold them: every line the
// QSO-line reader reads, with the band named from its frequency, as `velmor score` and the
// robot feed them to the plug-in. `ownCall`, when empty, becomes the first read line's own
// call. `unread` (if any) is told of every line that is not read, with the reason.
std::vector<LogQso> cabrilloQsos(
    const cabrillo_reader::File& file, std::string& ownCall,
    const std::function<void(const cabrillo_reader::Line&, const qso_line::Fault&)>& unread = {});

// What a session produced.
struct SessionOutput {
    std::string statistics;    // GetResult0's text, code page 1251 bytes
    std::int32_t score = 0;    // the score (never -1: taken from the plug-in's claimed score)
    std::string journal;       // err.txt as the plug-in left it, header line included
    std::string cabrilloName;  // with `cabrillo`: the file name the plug-in chose ("RZ3VLM.cbr")
    std::string cabrilloFile;  // with `cabrillo`: the file's bytes
    std::vector<std::string> qsoLines;  // with `cabrillo`: the QSO lines, each with CR LF
    std::vector<bool> stored;  // per input QSO: AddData0 answered 1 (kept in the log)
};

struct SessionInput {
    std::string ownCall;                       // the host's own call (ResetStats0)
    bool cabrillo = false;                     // run the station-details step and the writer
    std::optional<std::string> settingsFile;   // bytes of a stored "Plugins\VARDO.ini"
    std::optional<std::string> extraHeader;    // bytes of "cabrillo.ini"
    std::optional<std::string> category;       // chosen in the dialog's CATEGORY list before OK
};

// Reset, one AddData0 per QSO in order, GetResult0. With `cabrillo`, the station-details
// dialog is confirmed as it opens (stored details, or the dialog's defaults; `category`
// chosen, when given) and the writer runs. `progress` (if any) is called after every QSO with the count so far.
SessionOutput runSession(const SessionInput& input, const std::vector<LogQso>& qsos,
                         void (*progress)(std::size_t done, std::size_t total) = nullptr);

// The score of a list of QSOs as the plug-in computes it.
std::int32_t sessionScore(const std::vector<QsoFields>& qsos);

}  // namespace velmor::cli
