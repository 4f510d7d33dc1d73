#include "adif_reader.h"

#include <array>

#include "log/contest_rules.h"
#include "services/shown_text.h"
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

// ADIF's band table (ADIF 3.1's Band enumeration), in Hz, both edges inside the band.
constexpr std::uint64_t kMHz = 1000000;
constexpr std::array<Band, 33> kBands{{
    {"2190M", 135700, 137800},
    {"630M", 472000, 479000},
    {"560M", 501000, 504000},
    {"160M", 1800000, 2000000},
    {"80M", 3500000, 4000000},
    {"60M", 5060000, 5450000},
    {"40M", 7000000, 7300000},
    {"30M", 10100000, 10150000},
    {"20M", 14000000, 14350000},
    {"17M", 18068000, 18168000},
    {"15M", 21000000, 21450000},
    {"12M", 24890000, 24990000},
    {"10M", 28000000, 29700000},
    {"8M", 40 * kMHz, 45 * kMHz},
    {"6M", 50 * kMHz, 54 * kMHz},
    {"5M", 54 * kMHz + 1, 69900000},
    {"4M", 70 * kMHz, 71 * kMHz},
    {"2M", 144 * kMHz, 148 * kMHz},
    {"1.25M", 222 * kMHz, 225 * kMHz},
    {"70CM", 420 * kMHz, 450 * kMHz},
    {"33CM", 902 * kMHz, 928 * kMHz},
    {"23CM", 1240 * kMHz, 1300 * kMHz},
    {"13CM", 2300 * kMHz, 2450 * kMHz},
    {"9CM", 3300 * kMHz, 3500 * kMHz},
    {"6CM", 5650 * kMHz, 5925 * kMHz},
    {"3CM", 10000 * kMHz, 10500 * kMHz},
    {"1.25CM", 24000 * kMHz, 24250 * kMHz},
    {"6MM", 47000 * kMHz, 47200 * kMHz},
    {"4MM", 75500 * kMHz, 81000 * kMHz},
    {"2.5MM", 119980 * kMHz, 123000 * kMHz},
    {"2MM", 134000 * kMHz, 149000 * kMHz},
    {"1MM", 241000 * kMHz, 250000 * kMHz},
    {"SUBMM", 300000 * kMHz, 7500000 * kMHz},
}};

constexpr const char* kBeyondHost = "beyond the host's frequency range (up to 4294.967295 MHz)";

// A frequency in Hz as MHz for messages, without trailing zeros ("14.025", "10368.1").
std::string megahertzText(std::uint64_t hz) {
    std::string text = std::to_string(hz / kMHz);
    std::string fraction = std::to_string(hz % kMHz);
    fraction.insert(0, 6 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

// The strict form: digits, at most one '.', at most `maxWholeDigits` before it.
std::optional<std::uint64_t> strictMegahertz(std::string_view mhz, std::size_t maxWholeDigits) {
    const std::size_t dot = mhz.find('.');
    const std::string_view whole = mhz.substr(0, dot);
    std::string fraction(dot == std::string_view::npos ? std::string_view() : mhz.substr(dot + 1));
    if (whole.empty() && fraction.empty()) return std::nullopt;
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction)))
        return std::nullopt;
    if (whole.size() > maxWholeDigits) return std::nullopt;
    fraction = fraction.substr(0, 6);
    fraction.append(6 - fraction.size(), '0');
    const std::uint64_t megahertz = whole.empty() ? 0 : static_cast<std::uint64_t>(*text::number(whole));
    return megahertz * kMHz + static_cast<std::uint64_t>(*text::number(fraction));
}

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
    const std::optional<std::uint64_t> hz = strictMegahertz(mhz, 4);  // beyond 4294 MHz: no
    if (!hz || *hz > kHostMaxHz) return std::nullopt;
    return static_cast<std::uint32_t>(*hz);
}

std::optional<Megahertz> readMegahertz(std::string_view mhz) {
    Megahertz out;
    std::string value(text::trimSpace(mhz));
    if (value.size() != mhz.size()) out.note = "blanks around it";
    const std::size_t comma = value.find(',');
    if (comma != std::string::npos && value.find('.') == std::string::npos &&
        value.find(',', comma + 1) == std::string::npos) {
        value[comma] = '.';
        out.note += std::string(out.note.empty() ? "" : ", ") + "a decimal comma";
    }
    const std::optional<std::uint64_t> hz = strictMegahertz(value, 7);
    if (!hz) return std::nullopt;
    out.hz = *hz;
    return out;
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

std::string_view bandOfFrequency(std::uint64_t hz) {
    for (const Band& b : kBands)
        if (hz >= b.lowHz && hz <= b.highHz) return b.name;
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
    auto report = [&problems](Problem::Severity severity, const Record& r, const char* field, std::string message) {
        problems.push_back({severity, r.number, r.offset, field, std::move(message)});
    };
    auto fail = [&](const Record& r, const char* field, std::string m) { report(Problem::Severity::Error, r, field, std::move(m)); };
    auto warn = [&](const Record& r, const char* field, std::string m) { report(Problem::Severity::Warning, r, field, std::move(m)); };
    for (const Record& r : doc.records) {
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
                fail(r, "QSO_DATE", "missing QSO_DATE; record left out");
            } else if (time.empty()) {
                fail(r, "TIME_ON", "missing TIME_ON; record left out");
            } else if (!qsoTime(date, "0000")) {
                fail(r, "QSO_DATE", "impossible or malformed date " + shown::quoted(date) + "; record left out");
            } else {
                fail(r, "TIME_ON", "impossible or malformed time " + shown::quoted(time) + "; record left out");
            }
            continue;
        }
        q.time = OleDateTime{fromCalendar(*when), DateStatus::Valid};

        // The frequency: no record is left out for it, as the host passes whatever it has.
        std::string band = upperCase(r.get("BAND"));
        const std::string& freq = r.get("FREQ");
        const std::optional<Megahertz> mhz = freq.empty() ? std::nullopt : readMegahertz(freq);
        if (mhz && !mhz->note.empty())
            warn(r, "FREQ", "frequency " + shown::quoted(freq) + " read as " + megahertzText(mhz->hz) + " MHz (" + mhz->note + ")");
        if (band.empty() && mhz) band = std::string(bandOfFrequency(mhz->hz));
        if (mhz && mhz->hz <= kHostMaxHz) {
            q.freqHz = static_cast<std::uint32_t>(mhz->hz);
        } else {
            // What FREQ says cannot reach the host: the lower edge of the band instead, as
            // Cabrillo allows for a log that gives the band alone.
            const Band* b = findBand(band);
            const std::string why = freq.empty() ? std::string("no FREQ")
                                    : mhz        ? "frequency " + megahertzText(mhz->hz) + " MHz is " + kBeyondHost
                                                 : "malformed frequency " + shown::quoted(freq);
            if (b && b->lowHz <= kHostMaxHz) {
                q.freqHz = static_cast<std::uint32_t>(b->lowHz);
                if (!freq.empty())
                    warn(r, "FREQ", why + "; the lower edge of band " + std::string(b->name) + ", " +
                                        megahertzText(b->lowHz) + " MHz, passed instead");
            } else {
                q.freqHz = 0;
                const std::string& given = r.get("BAND");
                std::string message = why;
                if (freq.empty() && given.empty())
                    message = "neither FREQ nor BAND";
                else if (b && !mhz)
                    message += " and band " + std::string(b->name) + " lies " + kBeyondHost;
                else if (!b && !given.empty())
                    message += " and unknown band " + shown::quoted(given);
                else if (!b && !mhz)
                    message += " and no BAND";
                fail(r, freq.empty() && !given.empty() ? "BAND" : "FREQ", message + "; frequency passed as 0");
            }
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

std::size_t fillUsualReports(std::vector<HostQso>& qsos) {
    std::size_t filled = 0;
    for (HostQso& h : qsos) {
        const rules::ModeRule* mode = rules::findMode(h.fields.mode);
        if (!mode || (!h.fields.rstSent.empty() && !h.fields.rstRcvd.empty())) continue;
        if (h.fields.rstSent.empty()) h.fields.rstSent = std::string(mode->usualReport);
        if (h.fields.rstRcvd.empty()) h.fields.rstRcvd = std::string(mode->usualReport);
        ++filled;
    }
    return filled;
}

}  // namespace velmor::adif
