// Fuzz target: the header editor's submission file built from any form values and body.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "header_file.h"
#include "services/file_name.h"

using velmor::fuzz::Input;

namespace {

class MemoryLogFiles : public orvin::LogFiles {
public:
    std::map<std::string, std::string> files;
    std::optional<std::string> readFile(const std::string& name) override {
        auto it = files.find(name);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    bool replaceFile(const std::string& name, const std::string& bytes) override {
        files[name] = bytes;
        return true;
    }
};

std::string withoutLineBreaks(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    orvin::HeaderFields f;
    // One-line boxes cannot hold line breaks; the three multi-line ones can hold anything.
    f.callsign = withoutLineBreaks(in.text());
    f.contest = in.text();
    f.categoryOperator = withoutLineBreaks(in.text());
    f.categoryBand = withoutLineBreaks(in.text());
    f.categoryMode = withoutLineBreaks(in.text());
    f.location = withoutLineBreaks(in.text());
    f.claimed = withoutLineBreaks(in.text());
    f.createdBy = withoutLineBreaks(in.text());
    f.name = withoutLineBreaks(in.text());
    f.address = in.text();
    f.club = withoutLineBreaks(in.text());
    f.operators = in.text();
    f.soapbox = in.text();
    f.email = withoutLineBreaks(in.text());
    const bool haveBody = in.byte() & 1;
    const std::string body = in.bytes(in.left());

    const std::string file = orvin::BuildLogFile(f, body);
    FUZZ_CHECK(file.rfind("START-OF-LOG: 3.0\r\nCONTEST: KALVER-PSK\r\nCALLSIGN: " + f.callsign + "\r\n", 0) == 0);
    // Every line ends in CR LF.
    for (std::size_t at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1))
        FUZZ_CHECK(at > 0 && file[at - 1] == '\r');
    // The body's lines close the file, in order, each with CR LF.
    std::string bodyLines;
    for (const std::string& line : orvin::BodyLines(body)) bodyLines += line + "\r\n";
    FUZZ_CHECK(endsWith(file, bodyLines + "END-OF-LOG:\r\n"));
    // A body's lines joined by LF are the body without CR before LF and its last line end.
    const std::vector<std::string> lines = orvin::BodyLines(body);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) joined += (i == 0 ? "" : "\n") + lines[i];
    std::string expected;
    for (std::size_t i = 0; i < body.size(); ++i)
        if (!(body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')) expected += body[i];
    if (!expected.empty() && expected.back() == '\n') expected.pop_back();
    FUZZ_CHECK(joined == expected);

    // OK: a name the rule refuses writes nothing; any other writes exactly this file.
    MemoryLogFiles files;
    if (haveBody) files.files[orvin::kBodyFileName] = body;
    const orvin::SaveResult result = orvin::SaveLogFile(f, files);
    const std::string name = orvin::LogFileName(f.callsign);
    if (!velmor::isPlainFileName(name)) {
        FUZZ_CHECK(result == orvin::SaveResult::BadName);
        FUZZ_CHECK(files.files.size() == (haveBody ? 1u : 0u));
    } else if (!haveBody) {
        FUZZ_CHECK(result == orvin::SaveResult::NoBody && files.files.empty());
    } else {
        FUZZ_CHECK(result == orvin::SaveResult::Written);
        FUZZ_CHECK(files.files[name] == file);
    }
    return 0;
}
