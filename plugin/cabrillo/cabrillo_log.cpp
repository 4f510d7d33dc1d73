// The Cabrillo writer: QSO lines, the whole file, and the text helpers of the header fields.
#include "cabrillo/cabrillo_log.h"

#include "cabrillo/qso_line.h"
#include "log/contest_rules.h"
#include "services/file_name.h"
#include "services/text.h"

namespace velmor {

std::string ReplaceAll(const std::string& text, const std::string& find,
                       const std::string& replacement) {
    if (find.empty() || find == replacement) return text;
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(find, from);
        if (at == std::string::npos) break;
        result.append(text, from, at - from);
        result += replacement;
        from = at + find.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string escapeLineBreaks(const std::string& plain) {
    return ReplaceAll(ReplaceAll(plain, "\r", "<CR>"), "\n", "<LF>");
}

std::string unescapeLineBreaks(const std::string& escaped) {
    return ReplaceAll(ReplaceAll(escaped, "<CR>", "\r"), "<LF>", "\n");
}

std::string tagLineBreaks(const std::string& escaped, const std::string& tag) {
    return ReplaceAll(ReplaceAll(escaped, "<CR>", "\r\n" + tag + ": "), "<LF>", "");
}

std::string cabrilloBaseName(const std::string& ownCall) {
    std::string name(text::trimSpace(ReplaceAll(ReplaceAll(ownCall, "/", "_"), "\\", "_")));
    if (name.empty()) name = cabrillo::kDefaultBaseName;
    // Whatever the own call holds, the file stays a plain file in the host's folder: no
    // drive ("C:RA3FLT"), no alternate stream ("RA3ABC:P"), no device ("CON").
    return safeFileBaseName(name);
}

std::string_view cabrilloModeLabel(const std::string& mode) {
    const rules::ModeRule* rule = rules::findMode(mode);
    return rule != nullptr ? rule->cabrilloLabel : std::string_view();
}

void CCabrilloLog::AddQsoLine(const std::string& call, std::int32_t freqKHz,
                              const std::string& modeLabel, const OleDateTime& time,
                              const std::string& rstSent, const std::string& exchSent,
                              const std::string& rstRcvd, const std::string& exchRcvd) {
    const std::string frequency = qso_line::frequencyText(freqKHz);
    const std::string dateTime = formatQsoTime(time);
    qsoLines.push_back(qso_line::format(qso_line::Texts{frequency, modeLabel, dateTime, callsign, rstSent,
                                                        exchSent, call, rstRcvd, exchRcvd}));
}

void CCabrilloLog::AddQso(const CInfo& r) {
    AddQsoLine(r.call, static_cast<std::int32_t>(r.freqKHz), std::string(cabrilloModeLabel(r.mode)),
               r.time, r.rstSent, r.exchSent, r.rstRcvd, r.exchRcvd);
}

std::string headerValue(const StationField& field, const std::string& plain) {
    if (!field.multiLine) return plain;
    return tagLineBreaks(escapeLineBreaks(plain), field.cabrilloTag);
}

namespace {
// The header lines that are not station details, by line number.
constexpr int kHeaderLines = 14;
constexpr int kScoreLine = 7;
struct FixedLine {
    int line;
    const char* text;
};
constexpr FixedLine kFixedLines[] = {
    {1, "START-OF-LOG: 3.0"},
    {2, "CONTEST: Velmor "},
    {9, "CREATED-BY: Kova "},
};
}  // namespace

std::string CCabrilloLog::buildLog(std::int32_t claimedScore, const std::string* extraHeader) const {
    std::string out;
    for (int line = 1; line <= kHeaderLines; ++line) {
        for (const FixedLine& fixed : kFixedLines)
            if (fixed.line == line) out += fixed.text;
        if (line == kScoreLine) out += "CLAIMED-SCORE: " + std::to_string(claimedScore);
        for (const StationField& f : kStationFields) {
            if (f.headerLine != line) continue;
            out += f.cabrilloTag;
            out += ": ";
            out += headerValue(f, this->*f.member);
        }
        out += "\r\n";
    }
    if (extraHeader != nullptr && !extraHeader->empty()) {
        out += *extraHeader;
        // A last line without its line end would swallow the first QSO line.
        if (extraHeader->back() != '\n') out += "\r\n";
    }
    for (const auto& line : qsoLines) out += line;
    out += "END-OF-LOG:\r\n";
    return out;
}

std::string CCabrilloLog::WriteLog(FileSystem& files, std::int32_t claimedScore) const {
    const std::optional<std::string> extra = files.readFile(std::string(cabrillo::kExtraHeaderFile));
    const std::string fileName = baseName + std::string(cabrillo::kExtension);
    const std::string reason =
        files.replaceFile(fileName, buildLog(claimedScore, extra ? &*extra : nullptr));
    if (reason.empty()) return std::string(cabrillo::kProducedPrefix) + fileName;
    return std::string(cabrillo::kNotProducedPrefix) + fileName + " (" + reason + ")";
}

}  // namespace velmor
