// The one Cabrillo report object: station details, file base name and finished QSO lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/ole_date.h"
#include "session/services.h"

namespace velmor {

class CCabrilloLog {
public:
    // Header details (multi-line ones in tagged form once the dialog was confirmed).
    std::string callsign, name, address, claimed, contest, email, club, soapbox, operators,
        category, categoryOperator, location;
    std::string baseName;                 // file name without ".cbr"
    std::vector<std::string> qsoLines;    // each ends in CR LF

    // Formats one "QSO:" line and appends it to qsoLines.
    void AddQsoLine(const std::string& call, std::int32_t freqKHz, const std::string& modeLabel,
                    const OleDateTime& time, const std::string& rstSent, const std::string& exchSent,
                    const std::string& rstRcvd, const std::string& exchRcvd);

    // The whole file's bytes: header lines, "cabrillo.ini" content (if any), QSO lines, end.
    std::string buildLog(std::int32_t claimedScore, const std::string* extraHeader) const;

    // Writes baseName + ".cbr" through `files` and returns the operator's message:
    // "File produced: <name>" on success, a plain failure text otherwise.
    std::string WriteLog(FileSystem& files, std::int32_t claimedScore) const;

    // Station-details step: base name, stored settings, the dialog, and on OK the writes
    // and the tagged form. Returns true when the operator confirmed.
    bool EditStationDetails(const std::string& ownCall, SettingsStore& settings, Ui& ui);
};

}  // namespace velmor
