// Builds and writes the header editor's submission file (portable; no Windows headers).
#include "header_file.h"

#include "services/file_name.h"

namespace orvin {

namespace {

constexpr const char kCrLf[] = "\r\n";

void AppendLine(std::string& out, const char* tag, const std::string& value) {
    out += tag;
    out += ' ';
    out += value;
    out += kCrLf;
}

}  // namespace

std::string TaggedLines(const std::string& tag, const std::string& value) {
    std::string out = tag;
    out += ' ';
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\n') {
            if (i == 0 || value[i - 1] != '\r') out += '\r';
            out += '\n';
            out += tag;
            out += ' ';
        } else {
            out += c;
        }
    }
    out += kCrLf;
    return out;
}

std::vector<std::string> BodyLines(const std::string& body) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = body.size();
        std::size_t stop = end;
        if (!last && stop > start && body[stop - 1] == '\r') --stop;
        lines.push_back(body.substr(start, stop - start));
        start = last ? body.size() : end + 1;
    }
    return lines;
}

std::string BuildLogFile(const HeaderFields& f, const std::string& body) {
    std::string out;
    out.reserve(1024 + body.size() + body.size() / 16);
    out += "START-OF-LOG: 3.0";
    out += kCrLf;
    out += "CONTEST: KALVER-PSK";
    out += kCrLf;
    AppendLine(out, "CALLSIGN:", f.callsign);
    AppendLine(out, "CATEGORY-OPERATOR:", f.categoryOperator);
    AppendLine(out, "CATEGORY-BAND:", f.categoryBand);
    AppendLine(out, "CATEGORY-MODE:", f.categoryMode);
    AppendLine(out, "LOCATION:", f.location);
    AppendLine(out, "CLUB:", f.club);
    AppendLine(out, "CREATED-BY:", f.createdBy);
    AppendLine(out, "CLAIMED-SCORE:", f.claimed);
    AppendLine(out, "EMAIL:", f.email);
    AppendLine(out, "NAME:", f.name);
    out += TaggedLines("ADDRESS:", f.address);
    out += TaggedLines("OPERATORS:", f.operators);
    out += TaggedLines("SOAPBOX:", f.soapbox);
    for (const std::string& line : BodyLines(body)) {
        out += line;
        out += kCrLf;
    }
    out += "END-OF-LOG:";
    out += kCrLf;
    return out;
}

std::string LogFileName(const std::string& callsign) { return callsign + ".cbr"; }

bool IsPlainFileName(const std::string& fileName) { return velmor::isPlainFileName(fileName); }

SaveResult SaveLogFile(const HeaderFields& fields, LogFiles& files) {
    const std::string name = LogFileName(fields.callsign);
    if (!IsPlainFileName(name)) return SaveResult::BadName;
    const std::optional<std::string> body = files.readFile(kBodyFileName);
    if (!body) return SaveResult::NoBody;
    if (!files.replaceFile(name, BuildLogFile(fields, *body))) return SaveResult::WriteFailed;
    return SaveResult::Written;
}

std::optional<std::string> StdioLogFiles::readFile(const std::string& name) {
    return velmor::ReadWholeFile(ops_, name);
}

bool StdioLogFiles::replaceFile(const std::string& name, const std::string& bytes) {
    return velmor::ReplaceFileSafely(ops_, name, bytes).empty();
}

}  // namespace orvin
