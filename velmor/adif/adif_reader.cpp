#include "adif_reader.h"

#include <array>
#include <cstdlib>

#include "services/text.h"

namespace velmor::adif {
namespace {

// The most problems one file lists; the rest are counted in one last problem.
constexpr std::size_t kMaxProblems = 1000;

using text::allDigits;
using text::upperCase;

// The value of digits the caller has checked (allDigits) and limited in number.
int number(std::string_view digits) { return static_cast<int>(text::number(digits).value_or(0)); }

// Field names: ADIF allows letters, digits and underscores (and we accept the few other
// printable characters some programs use in application-defined names), never blanks,
// ':', '<', '>' or ','.
bool validName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u >= 127 || c == ':' || c == '<' || c == '>' || c == ',') return false;
    }
    return true;
}

const std::string kEmpty;

// The mode table: (MODE, SUBMODE) -> the host's mode text. An empty submode in the table
// matches a record without SUBMODE as well as any submode not listed for that mode.
struct ModeRow {
    std::string_view mode;
    std::string_view submode;
    std::string_view host;
};
constexpr std::array<ModeRow, 10> kModeTable{{
    {"CW", "", "CW"},
    {"SSB", "", "SSB"},
    {"USB", "", "SSB"},
    {"LSB", "", "SSB"},
    {"PSK", "PSK63", "BPSK63"},
    {"PSK", "BPSK63", "BPSK63"},
    {"PSK63", "", "BPSK63"},
    {"BPSK63", "", "BPSK63"},
    // ADIF writes SSB with its sideband as a submode, under any MODE a program chose.
    {"", "USB", "SSB"},
    {"", "LSB", "SSB"},
}};

constexpr std::array<Band, 14> kBands{{
    {"160M", 1800, 2000},    {"80M", 3500, 4000},     {"60M", 5060, 5450},
    {"40M", 7000, 7300},     {"30M", 10100, 10150},   {"20M", 14000, 14350},
    {"17M", 18068, 18168},   {"15M", 21000, 21450},   {"12M", 24890, 24990},
    {"10M", 28000, 29700},   {"6M", 50000, 54000},    {"4M", 70000, 71000},
    {"2M", 144000, 148000},  {"70CM", 420000, 450000},
}};

// STX/SRX serial as sent on the air: at least three digits.
std::string serial(const std::string& s) {
    if (allDigits(s) && s.size() < 3) return std::string(3 - s.size(), '0') + s;
    return s;
}

}  // namespace

const std::string& Record::get(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? kEmpty : it->second;
}

Document parse(std::string_view text) {
    Document doc;
    std::size_t pos = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    // A text that does not start with '<' has a header, which ends at <EOH>.
    if (pos < text.size() && text[pos] != '<') {
        const std::string upperText = upperCase(text);
        const std::size_t eoh = upperText.find("<EOH>", pos);
        pos = eoh == std::string::npos ? text.find('<', pos) : eoh + 5;
        if (pos == std::string_view::npos) pos = text.size();
    }
    Record current;
    bool open = false;  // a record has begun (some tag was read since the last <EOR>)
    int nextNumber = 1;
    // A file of nothing but stray '<' would otherwise hold a problem for every byte.
    std::size_t unlisted = 0;
    bool unlistedError = false;
    auto problem = [&](Problem::Severity s, std::size_t at, std::string field, std::string message) {
        if (doc.problems.size() >= kMaxProblems) {
            ++unlisted;
            unlistedError = unlistedError || s == Problem::Severity::Error;
            return;
        }
        doc.problems.push_back({s, open ? current.number : nextNumber, at, std::move(field), std::move(message)});
    };
    // Where the next '>' at or after a '<' is: found once for every '<' before it, so that
    // a run of '<' without '>' is read in linear time.
    std::size_t nextGt = std::string_view::npos;  // npos also once none is left
    bool searched = false;
    auto findGt = [&](std::size_t from) {
        if (!searched || nextGt < from) nextGt = text.find('>', from);
        searched = true;
        return nextGt;
    };
    auto begin = [&](std::size_t at) {
        if (!open) {
            current = Record{};
            current.number = nextNumber;
            current.offset = at;
            open = true;
        }
    };
    while (pos < text.size()) {
        const std::size_t lt = text.find('<', pos);
        if (lt == std::string_view::npos) break;
        const std::size_t gt = findGt(lt);
        const std::size_t nextLt = text.find('<', lt + 1);
        if (gt == std::string_view::npos || (nextLt != std::string_view::npos && nextLt < gt)) {
            begin(lt);
            problem(Problem::Severity::Error, lt, "", "malformed tag: '<' without '>'");
            if (nextLt == std::string_view::npos) {
                pos = text.size();
                break;
            }
            pos = nextLt;
            continue;
        }
        const std::string_view tag = text.substr(lt + 1, gt - lt - 1);
        pos = gt + 1;
        const std::size_t colon = tag.find(':');
        if (colon == std::string_view::npos) {
            const std::string name = upperCase(tag);
            if (name == "EOR") {
                if (open) {
                    doc.records.push_back(std::move(current));
                    open = false;
                    ++nextNumber;
                }
            } else if (name == "EOH") {
                // A second header end (or one in a file that started with a tag): ignored.
            } else {
                begin(lt);
                problem(Problem::Severity::Error, lt, validName(tag) ? name : "",
                        "malformed tag <" + std::string(tag) + ">: no length");
            }
            continue;
        }
        begin(lt);
        const std::string_view nameView = tag.substr(0, colon);
        std::string_view length = tag.substr(colon + 1);
        const std::size_t typeColon = length.find(':');
        if (typeColon != std::string_view::npos) length = length.substr(0, typeColon);
        if (!validName(nameView) || !allDigits(length) || length.size() > 9) {
            problem(Problem::Severity::Error, lt, validName(nameView) ? upperCase(nameView) : "",
                    "malformed tag <" + std::string(tag) + ">");
            continue;
        }
        const std::string name = upperCase(nameView);
        const std::size_t n = static_cast<std::size_t>(number(length));
        if (n > text.size() - pos) {
            problem(Problem::Severity::Error, lt, name,
                    "field length " + std::to_string(n) + " runs past the end of the file");
            pos = text.size();
            break;
        }
        current.fields[name] = std::string(text.substr(pos, n));
        pos += n;
    }
    if (open) {
        if (!current.fields.empty()) {
            problem(Problem::Severity::Warning, text.size(), "", "last record has no <EOR>; read anyway");
            doc.records.push_back(std::move(current));
        }
        open = false;
    }
    if (unlisted > 0)
        doc.problems.push_back({unlistedError ? Problem::Severity::Error : Problem::Severity::Warning, nextNumber,
                                text.size(), "", std::to_string(unlisted) + " more problems in the file, not listed"});
    return doc;
}

std::optional<std::uint32_t> megahertzToHertz(const std::string& mhz) {
    const std::size_t dot = mhz.find('.');
    const std::string whole = mhz.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : mhz.substr(dot + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction)))
        return std::nullopt;
    if (whole.size() > 4) return std::nullopt;  // beyond 4294 MHz
    fraction = fraction.substr(0, 6);
    fraction.append(6 - fraction.size(), '0');
    const unsigned long long hz = std::strtoull(whole.empty() ? "0" : whole.c_str(), nullptr, 10) * 1000000ULL +
                                  std::strtoull(fraction.c_str(), nullptr, 10);
    if (hz > 0xFFFFFFFFULL) return std::nullopt;
    return static_cast<std::uint32_t>(hz);
}

std::optional<CalendarTime> qsoTime(const std::string& qsoDate, const std::string& timeOn) {
    if (qsoDate.size() != 8 || !allDigits(qsoDate)) return std::nullopt;
    if ((timeOn.size() != 4 && timeOn.size() != 6) || !allDigits(timeOn)) return std::nullopt;
    CalendarTime c;
    c.year = number(qsoDate.substr(0, 4));
    c.month = number(qsoDate.substr(4, 2));
    c.day = number(qsoDate.substr(6, 2));
    c.hour = number(timeOn.substr(0, 2));
    c.minute = number(timeOn.substr(2, 2));
    c.second = timeOn.size() == 6 ? number(timeOn.substr(4, 2)) : 0;
    // The host's date-time holds the years 100 to 9999: an earlier year (00260516, a typing
    // slip) is no date at all, nor is a day the month does not have (February 31).
    if (!isValid(c)) return std::nullopt;
    return c;
}

std::optional<double> adifDate(const std::string& qsoDate, const std::string& timeOn) {
    const std::optional<CalendarTime> c = qsoTime(qsoDate, timeOn);
    if (!c) return std::nullopt;
    return fromCalendar(*c);
}

std::string hostMode(const std::string& mode, const std::string& submode) {
    const std::string m = upperCase(mode);
    const std::string s = upperCase(submode);
    for (const ModeRow& row : kModeTable)
        if (row.mode == m && !row.submode.empty() && row.submode == s) return std::string(row.host);
    for (const ModeRow& row : kModeTable)
        if (row.submode.empty() && row.mode == m) return std::string(row.host);
    for (const ModeRow& row : kModeTable)
        if (row.mode.empty() && row.submode == s)
            return std::string(row.host);
    return s.empty() ? m : s;
}

std::string_view bandOfFrequency(std::uint32_t hz) {
    const std::uint32_t khz = hz / 1000;
    for (const Band& b : kBands)
        if (khz >= b.lowKHz && (khz < b.highKHz || (khz == b.highKHz && hz % 1000 == 0))) return b.name;
    return {};
}

const Band* findBand(std::string_view band) {
    const std::string name = upperCase(band);
    for (const Band& b : kBands)
        if (b.name == name) return &b;
    return nullptr;
}

std::vector<HostQso> toHostQsos(const Document& doc, const std::string& fallbackOwnCall,
                                std::vector<Problem>& problems) {
    std::vector<HostQso> out;
    out.reserve(doc.records.size());
    for (const Record& r : doc.records) {
        auto fail = [&](const char* field, std::string message) {
            problems.push_back({Problem::Severity::Error, r.number, r.offset, field, std::move(message)});
        };
        HostQso h;
        h.record = r.number;
        QsoFields& q = h.fields;
        q.call = r.get("CALL");
        q.ownCall = r.get("STATION_CALLSIGN");
        if (q.ownCall.empty()) q.ownCall = r.get("OPERATOR");
        if (q.ownCall.empty()) q.ownCall = fallbackOwnCall;

        const std::string& date = r.get("QSO_DATE");
        const std::string& time = r.get("TIME_ON");
        const std::optional<CalendarTime> when = qsoTime(date, time);
        if (!when) {
            if (date.empty()) {
                fail("QSO_DATE", "missing QSO_DATE; record left out");
            } else if (time.empty()) {
                fail("TIME_ON", "missing TIME_ON; record left out");
            } else if (!qsoTime(date, "0000")) {
                fail("QSO_DATE", "impossible or malformed date \"" + date + "\"; record left out");
            } else {
                fail("TIME_ON", "impossible or malformed time \"" + time + "\"; record left out");
            }
            continue;
        }
        q.time = OleDateTime{fromCalendar(*when), DateStatus::Valid};

        std::string band = upperCase(r.get("BAND"));
        const std::string& freq = r.get("FREQ");
        if (!freq.empty()) {
            const std::optional<std::uint32_t> hz = megahertzToHertz(freq);
            if (!hz) {
                fail("FREQ", "malformed frequency \"" + freq + "\"; record left out");
                continue;
            }
            q.freqHz = *hz;
            if (band.empty()) band = std::string(bandOfFrequency(*hz));
        } else if (const Band* b = findBand(band)) {
            // Online log books often give the band alone: its lower edge, as Cabrillo allows.
            q.freqHz = b->lowKHz * 1000;
        } else {
            fail(band.empty() ? "FREQ" : "BAND",
                 band.empty() ? "neither FREQ nor BAND; record left out"
                              : "no FREQ and unknown band \"" + r.get("BAND") + "\"; record left out");
            continue;
        }
        q.band = band;
        q.mode = hostMode(r.get("MODE"), r.get("SUBMODE"));
        q.rstSent = r.get("RST_SENT");
        q.rstRcvd = r.get("RST_RCVD");
        q.exchSent = r.get("STX_STRING");
        if (q.exchSent.empty()) q.exchSent = serial(r.get("STX"));
        q.exchRcvd = r.get("SRX_STRING");
        if (q.exchRcvd.empty()) q.exchRcvd = serial(r.get("SRX"));
        out.push_back(std::move(h));
    }
    return out;
}

}  // namespace velmor::adif
