// Fuzz target: the Cabrillo reader, the QSO line parser and velmor check's rules on any bytes.
// Invariants: lines are numbered 1..n in order, hold no line ends and at most the reader's limit; a QSO line parses to
// either a QSO whose fields are in range (whose texts print back as read, and whose written
// line reads back as the same QSO) or a fault with a reason; check findings name existing lines (1 for an empty file) and come sorted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cabrillo/qso_line.h"
#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"

namespace {
void require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace cr = velmor::cabrillo_reader;
    namespace qso_line = velmor::qso_line;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cr::LineReader reader(bytes);
    cr::Line line;
    int count = 0;
    while (reader.next(line)) {
        require(line.number == ++count);
        require(line.text.find_first_of("\r\n") == std::string::npos);
        require(line.text.size() <= cr::kMaxLineBytes && line.text.size() <= line.length);
        if (!line.isQso()) continue;
        const qso_line::Parse p = cr::readQso(line);
        if (!p.ok()) {
            require(!p.fault.reason.empty());
            continue;
        }
        const qso_line::Qso& q = *p.qso;
        require(q.freqKHz >= 0);
        require(velmor::isValid(q.time));
        require(q.mode != nullptr);
        const qso_line::Split fields = qso_line::split(line.text);
        require(fields.count == qso_line::kFieldCount);
        require(q.dateText() == fields[qso_line::Field::Date] && q.timeText() == fields[qso_line::Field::Time]);
        require(!q.call.empty() && !q.exchangeReceived.empty());
        // The writer's line of what was read reads back as the same QSO.
        const std::string again = qso_line::format(q);
        const qso_line::Parse back = qso_line::read(std::string_view(again).substr(0, again.size() - 2));
        require(back.ok() && qso_line::format(*back.qso) == again);
        for (const qso_line::Fault& f : qso_line::contestFaults(q.freqKHz, q.hostMode(), q.exchangeReceived))
            require(!f.reason.empty());
    }
    const auto findings = velmor::check::checkCabrillo(bytes);
    const int last = count > 0 ? count : 1;
    int previous = 0;
    for (const auto& f : findings) {
        require(f.line >= 1 && f.line <= last);
        require(f.line >= previous);
        previous = f.line;
        require(!f.message.empty());
    }
    return 0;
}
