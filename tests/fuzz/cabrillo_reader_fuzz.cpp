// Fuzz target: the Cabrillo reader, the QSO line parser and velmor check's rules on any bytes.
// Invariants: lines are numbered 1..n in order and hold no line ends; a QSO line parses to
// either a QSO whose fields are in range (and whose texts print back as read) or a fault
// with a reason; check findings name existing lines (1 for an empty file) and come sorted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"

namespace {
void require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace cr = velmor::cabrillo_reader;
    const cr::File file = cr::readCabrillo(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const cr::Line& line = file.lines[i];
        require(line.number == static_cast<int>(i) + 1);
        require(line.text.find_first_of("\r\n") == std::string::npos);
        if (!line.isQso()) continue;
        const cr::QsoParse p = cr::parseQso(line);
        if (!p.ok()) {
            require(!p.fault.reason.empty());
            continue;
        }
        const cr::Qso& q = *p.qso;
        require(q.freqKHz >= 0);
        require(q.month >= 1 && q.month <= 12 && q.day >= 1 && q.day <= 31);
        require(q.hour >= 0 && q.hour <= 23 && q.minute >= 0 && q.minute <= 59);
        require(!q.hostMode.empty());
        require(line.fields.size() == 10);
        require(q.dateText() == line.fields[2] && q.timeText() == line.fields[3]);
        require(!q.call.empty() && !q.exchangeReceived.empty());
    }
    const auto findings = velmor::check::checkCabrillo(file);
    const int last = file.lastLineNumber() > 0 ? file.lastLineNumber() : 1;
    int previous = 0;
    for (const auto& f : findings) {
        require(f.line >= 1 && f.line <= last);
        require(f.line >= previous);
        previous = f.line;
        require(!f.message.empty());
    }
    return 0;
}
