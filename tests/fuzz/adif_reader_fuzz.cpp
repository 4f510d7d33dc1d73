// Fuzz target: the ADIF reader and the conversion to the host's fields on any bytes.
// Invariants: records are numbered from 1 in order, every field name is upper case and
// non-empty, problems name a record no later than the last one begun and an offset inside
// the text, and every QSO handed on has a valid date, a band matching its frequency when
// BAND was missing, and comes from a record that exists; the lenient frequency reader reads
// the strict form as the strict one does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "adif/adif_reader.h"

namespace {
void require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const velmor::adif::Document doc = velmor::adif::parse(text);

    int last = 0;
    for (const velmor::adif::Record& r : doc.records) {
        require(r.number > last);
        last = r.number;
        require(r.offset < size || size == 0);
        for (const auto& [name, value] : r.fields) {
            require(!name.empty());
            for (char c : name) require(!(c >= 'a' && c <= 'z'));
            require(value.size() <= size);
        }
    }
    for (const velmor::adif::Problem& p : doc.problems) {
        require(p.record >= 1 && p.record <= last + 1);
        require(p.offset <= size);
        require(!p.message.empty());
    }

    std::vector<velmor::adif::Problem> problems;
    const auto qsos = velmor::adif::toHostQsos(doc, "FALLBACK", problems);
    require(qsos.size() + problems.size() >= doc.records.size());
    for (const velmor::adif::HostQso& q : qsos) {
        require(q.record >= 1 && q.record <= last);
        require(q.fields.time.status == velmor::DateStatus::Valid);
        require(velmor::toCalendar(q.fields.time.date).has_value());
        require(!q.fields.ownCall.empty());
    }
    // The frequency reader never accepts what it cannot represent.
    if (size < 32) {
        const std::string s(text);
        if (const auto hz = velmor::adif::megahertzToHertz(s)) {
            require(s.find_first_not_of("0123456789.") == std::string::npos);
            // The lenient reader reads the strict form alike and says nothing about it.
            const auto lenient = velmor::adif::readMegahertz(s);
            require(lenient && lenient->hz == *hz && lenient->note.empty());
        }
    }
    return 0;
}
