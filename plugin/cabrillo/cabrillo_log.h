// The one Cabrillo report object: station details, file base name and finished QSO lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cabrillo/station_details.h"
#include "log/cinfo.h"
#include "log/ole_date.h"
#include "services/services.h"

namespace velmor {

// The Cabrillo 3.0 file written by WriteLog, in this order (every line ends in CR LF):
//
// |  # | line                                                                   |
// |----|------------------------------------------------------------------------|
// |  1 | "START-OF-LOG: 3.0"                                                    |
// |  2 | "CONTEST: Velmor "             (fixed, blank before the line end)      |
// |  3 | "CALLSIGN: " callsign                                                  |
// |  4 | "CATEGORY-OPERATOR: " categoryOperator                                 |
// |  5 | "CATEGORY: " category                                                  |
// |  6 | "LOCATION: " location                                                  |
// |  7 | "CLAIMED-SCORE: " the plug-in's score as plain decimal                 |
// |  8 | "CLUB: " club                                                          |
// |  9 | "CREATED-BY: Kova "            (fixed, blank before the line end)      |
// | 10 | "EMAIL: " email                                                        |
// | 11 | "NAME: " name                                                          |
// | 12 | "ADDRESS: " address            (tagged form: may hold several lines)   |
// | 13 | "OPERATORS: " operators        (tagged form)                           |
// | 14 | "SOAPBOX: " soapbox            (tagged form)                           |
// |    | bytes of "cabrillo.ini" unchanged; CR LF added when its last byte is not LF |
// |    | the QSO lines                                                          |
// |    | "END-OF-LOG:"                                                          |
//
// The QSO lines: cabrillo/qso_line.h, the one place of their columns (AddQsoLine writes
// them with qso_line::format).
//
// The header lines 3-14 come from the station-details table (station_details.h, column
// "line"); lines 1, 2 and 9 are fixed and line 7 is the score. The details are kept plain;
// multi-line values (address, operators, soapbox) take two more forms only where written:
//   escaped   in the settings file: CR as "<CR>", LF as "<LF>" (one INI line);
//   tagged    in the file: the escaped form with each "<CR>" made "\r\n<TAG>: " and each
//             "<LF>" dropped.
namespace cabrillo {
inline constexpr std::string_view kExtraHeaderFile = "cabrillo.ini";
inline constexpr std::string_view kExtension = ".cbr";
inline constexpr std::string_view kDefaultBaseName = "VARDO";
inline constexpr std::string_view kProducedPrefix = "File produced: ";
inline constexpr std::string_view kNotProducedPrefix = "File not produced: ";

// The settings key the score report writes (the station-details table's "claimed" row).
inline constexpr const char* kKeyClaimed = stationField(&StationDetails::claimed)->settingsKey;
}  // namespace cabrillo

// `text` with every occurrence of `find` replaced by `replacement`, searching left to right;
// inserted text is never searched again. Equal `find` and `replacement` (or an empty
// `find`) return `text` unchanged.
std::string ReplaceAll(const std::string& text, const std::string& find,
                       const std::string& replacement);

// Plain <-> escaped form of a multi-line value.
std::string escapeLineBreaks(const std::string& plain);
std::string unescapeLineBreaks(const std::string& escaped);
// Escaped -> tagged form, e.g. tag "ADDRESS" turns "a<CR><LF>b" into "a\r\nADDRESS: b".
std::string tagLineBreaks(const std::string& escaped, const std::string& tag);

// File name (without extension) of the log for an own call sign: white space is trimmed at
// both ends, "VARDO" when nothing is left; every byte Windows refuses in a file name
// becomes '_' and a device name gets a '_' (safeFileBaseName), so the file always lands
// in the host's folder.
std::string cabrilloBaseName(const std::string& ownCall);

// Cabrillo mode label of a contest mode ("CW" -> "CW", "BPSK63" -> "PM", "SSB" -> "PH");
// empty for any other text.
std::string_view cabrilloModeLabel(const std::string& mode);

// The header details (plain, as the dialog shows them), the file's base name and the
// finished QSO lines.
class CCabrilloLog : public StationDetails {
public:
    std::string baseName;                 // file name without ".cbr"
    std::vector<std::string> qsoLines;    // each ends in CR LF

    // Formats one "QSO:" line and appends it to qsoLines.
    void AddQsoLine(const std::string& call, std::int32_t freqKHz, const std::string& modeLabel,
                    const OleDateTime& time, const std::string& rstSent, const std::string& exchSent,
                    const std::string& rstRcvd, const std::string& exchRcvd);

    // A stored QSO as a "QSO:" line: its columns taken from the record, its mode as the
    // Cabrillo label (cabrilloModeLabel).
    void AddQso(const CInfo& qso);

    // The whole file's bytes: header lines, "cabrillo.ini" content (if any), QSO lines, end.
    std::string buildLog(std::int32_t claimedScore, const std::string* extraHeader) const;

    // Writes baseName + ".cbr" through `files` and returns the operator's message:
    // "File produced: <name>" on success, a plain failure text otherwise.
    std::string WriteLog(FileSystem& files, std::int32_t claimedScore) const;

    // Station-details step: base name, stored settings, the dialog, and on OK the writes.
    // Returns true when the operator confirmed.
    bool EditStationDetails(const std::string& ownCall, SettingsStore& settings, Ui& ui);
};

// A header value as the file carries it: multi-line values as tagged lines.
std::string headerValue(const StationField& field, const std::string& plain);

}  // namespace velmor
