// The Cabrillo QSO line: writing it column by column, reading it field by field, and the contest-QSO rule.
#include "cabrillo/qso_line.h"

#include <algorithm>
#include <cstdio>

#include "checks/exchange_check.h"
#include "log/contest_bands.h"
#include "services/shown_text.h"
#include "services/text.h"

namespace velmor::qso_line {
namespace {

// printf's "%Ns" and "%-Ns": fill with blanks to the column's width; never cut.
void append(std::string& out, std::string_view value, Field field) {
    const Column& c = column(field);
    const std::size_t fill = value.size() < c.width ? c.width - value.size() : 0;
    if (c.rightAligned) out.append(fill, ' ');
    out += value;
    if (!c.rightAligned) out.append(fill, ' ');
}

// A field in a fault's reason is quoted at most 80 bytes long, so a reason never grows with
// the line.
using shown::quoted;

Parse fault(Field field, std::string reason) {
    Parse p;
    p.fault = {field, std::move(reason)};
    return p;
}

// For a line in the writer's columns with fields missing, the first field from the own call
// on whose columns are blank; nullopt when the line does not show one.
std::optional<Field> blankColumns(std::string_view line) {
    for (const Column& c : kColumns) {
        if (c.field < Field::OwnCall) continue;
        if (c.width == 0) {
            if (text::trim(line.substr(std::min(c.first, line.size()))).empty()) return c.field;
            continue;
        }
        if (line.size() < c.first + c.width) return std::nullopt;
        if (text::trim(line.substr(c.first, c.width)).empty()) return c.field;
    }
    return std::nullopt;
}

// The kHz of a frequency field: digits (kHz) or a band designator; nullopt for anything else.
std::optional<std::int64_t> readFrequency(std::string_view field) {
    for (const BandDesignator& d : kBandDesignators)
        if (text::equalsNoCase(field, d.text)) return d.lowKHz;
    if (field.size() > 9) return std::nullopt;
    return text::number(field);
}

const rules::ModeRule* modeOfLabel(std::string_view label) {
    for (const rules::ModeRule& m : rules::kModes)
        if (text::equalsNoCase(label, m.cabrilloLabel)) return &m;
    return nullptr;
}

// The contest's mode labels ("CW, PH or PM") or host modes ("BPSK63, CW, SSB"), sorted.
std::string modeList(std::string_view rules::ModeRule::*member, const char* lastSeparator) {
    std::vector<std::string_view> names;
    for (const rules::ModeRule& m : rules::kModes) names.push_back(m.*member);
    std::sort(names.begin(), names.end());
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? lastSeparator : ", ";
        out += names[i];
    }
    return out;
}

}  // namespace

std::string_view fieldName(Field field) { return field == Field::Line ? "QSO line" : column(field).name; }

const BandDesignator* designatorOf(std::int64_t kHz) {
    if (kHz < kDesignatorsFromKHz) return nullptr;
    const BandDesignator* found = &kBandDesignators.front();
    for (const BandDesignator& d : kBandDesignators)
        if (kHz >= d.lowKHz) found = &d;
    return found;
}

std::string frequencyText(std::int64_t kHz) {
    const BandDesignator* d = designatorOf(kHz);
    return d ? std::string(d->text) : std::to_string(kHz);
}

std::string Qso::dateText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", time.year % 10000, time.month % 100, time.day % 100);
    return buf;
}

std::string Qso::timeText() const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d", time.hour % 100, time.minute % 100);
    return buf;
}

std::string format(const Texts& t) {
    std::string line = "QSO: ";
    append(line, t.frequency, Field::Frequency);
    line += ' ';
    append(line, t.mode, Field::Mode);
    line += ' ';
    line += t.dateTime;
    line += ' ';
    append(line, t.ownCall, Field::OwnCall);
    line += ' ';
    append(line, t.rstSent, Field::RstSent);
    line += ' ';
    append(line, t.exchangeSent, Field::ExchangeSent);
    line += ' ';
    append(line, t.call, Field::Call);
    line += ' ';
    append(line, t.rstReceived, Field::RstReceived);
    line += ' ';
    line += t.exchangeReceived;
    line += "\r\n";
    return line;
}

std::string format(const Qso& q) {
    const std::string frequency = frequencyText(q.freqKHz);
    const std::string dateTime = q.dateText() + " " + q.timeText();
    return format(Texts{frequency, q.modeLabel(), dateTime, q.ownCall, q.rstSent, q.exchangeSent, q.call,
                        q.rstReceived, q.exchangeReceived});
}

bool isQsoLine(std::string_view line) {
    return line.size() > kTag.size() && line[kTag.size()] == ':' &&
           text::equalsNoCase(line.substr(0, kTag.size()), kTag);
}

Split split(std::string_view line) {
    Split out;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return out;
    std::size_t i = colon + 1;
    for (;;) {
        while (i < line.size() && text::isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !text::isBlank(line[i])) ++i;
        if (out.count < kFieldCount) out.fields[out.count] = line.substr(start, i - start);
        ++out.count;
    }
    return out;
}

Parse read(std::string_view line) {
    if (!isQsoLine(line)) return fault(Field::Line, "not a QSO line");
    const Split s = split(line);
    const auto& f = s.fields;
    if (s.count == 0) return fault(Field::Line, "QSO line without fields");

    Qso q;
    const std::optional<std::int64_t> kHz = readFrequency(f[0]);
    if (!kHz)
        return fault(Field::Frequency, "frequency " + quoted(f[0]) + " is not a whole number of kHz "
                                       "or a band designator");
    q.freqKHz = *kHz;

    if (s.count < 2) return fault(Field::Mode, "missing mode");
    q.mode = modeOfLabel(f[1]);
    if (q.mode == nullptr) return fault(Field::Mode, "mode " + quoted(f[1]) + " is not " + modeList(&rules::ModeRule::cabrilloLabel, " or "));

    // The writer prints "Invalid DateTime" for an invalid record and nothing at all for a
    // null one (then the own call stands where the date belongs).
    if (s.count < 3) return fault(Field::Date, "missing date");
    if (f[2] == "Invalid" && s.count > 3 && f[3] == "DateTime")
        return fault(Field::Date, "\"Invalid DateTime\" in place of the date and time");
    const std::string_view d = f[2];
    const bool dateShape = d.size() == 10 && d[4] == '-' && d[7] == '-' && text::allDigits(d.substr(0, 4)) &&
                           text::allDigits(d.substr(5, 2)) && text::allDigits(d.substr(8, 2));
    if (!dateShape) {
        if (s.count == kFieldCount - 2) return fault(Field::Date, "empty date and time");
        return fault(Field::Date, "date " + quoted(d) + " is not YYYY-MM-DD");
    }
    q.time.year = static_cast<int>(*text::number(d.substr(0, 4)));
    q.time.month = static_cast<int>(*text::number(d.substr(5, 2)));
    q.time.day = static_cast<int>(*text::number(d.substr(8, 2)));
    if (!isValidDate(q.time.year, q.time.month, q.time.day))
        return fault(Field::Date, "impossible date " + std::string(d));

    if (s.count < 4) return fault(Field::Time, "missing time");
    const std::string_view t = f[3];
    if (t.size() != 4 || !text::allDigits(t)) return fault(Field::Time, "time " + quoted(t) + " is not HHMM");
    q.time.hour = static_cast<int>(*text::number(t.substr(0, 2)));
    q.time.minute = static_cast<int>(*text::number(t.substr(2, 2)));
    if (!isValidTimeOfDay(q.time.hour, q.time.minute)) return fault(Field::Time, "impossible time " + std::string(t));

    if (s.count < kFieldCount) {
        if (const std::optional<Field> empty = blankColumns(line)) {
            std::string reason = "empty " + std::string(fieldName(*empty));
            // A robot reads the fields by position: the call is the eighth.
            if (*empty < Field::Call && s.count > 7)
                reason += " shifts the columns: the call is read as " + quoted(f[7]);
            else if (*empty == Field::RstReceived)
                reason += " shifts the columns: the exchange is read as the report";
            return fault(*empty, reason);
        }
    }
    if (s.count != kFieldCount)
        return fault(Field::Line, std::to_string(s.count) + " fields where " + std::to_string(kFieldCount) +
                                      " are expected");
    q.ownCall = f[4];
    q.rstSent = f[5];
    q.exchangeSent = f[6];
    q.call = f[7];
    q.rstReceived = f[8];
    q.exchangeReceived = f[9];
    Parse p;
    p.qso = std::move(q);
    return p;
}

std::vector<Fault> contestFaults(std::int64_t freqKHz, std::string_view hostMode,
                                 std::string_view exchangeReceived) {
    std::vector<Fault> faults;
    if (rules::contestBandIndex(freqKHz) < 0)
        faults.push_back({Field::Frequency, "frequency " + std::to_string(freqKHz) +
                                                " kHz is outside the contest bands"});
    if (rules::findMode(hostMode) == nullptr)
        faults.push_back({Field::Mode, "mode " + quoted(hostMode) + " is not a contest mode (" +
                                           modeList(&rules::ModeRule::hostName, ", ") + ")"});
    if (IsValidExchange(std::string(exchangeReceived)) == 0)
        faults.push_back({Field::ExchangeReceived,
                          "exchange received " + quoted(exchangeReceived) +
                              " is not a Velmor exchange (three digits above 000 other than 599, or WM)"});
    return faults;
}

std::optional<Fault> contestFault(std::int64_t freqKHz, std::string_view hostMode,
                                  std::string_view exchangeReceived) {
    std::vector<Fault> faults = contestFaults(freqKHz, hostMode, exchangeReceived);
    if (faults.empty()) return std::nullopt;
    return std::move(faults.front());
}

std::optional<Fault> contestFault(const Qso& q) {
    return contestFault(q.freqKHz, q.hostMode(), q.exchangeReceived);
}

std::string repeatKey(std::string_view call, std::string_view band, std::string_view mode, std::int64_t minute) {
    std::string key;
    key.reserve(call.size() + band.size() + mode.size() + 24);
    key += call;
    key += '\n';
    key += band;
    key += '\n';
    key += mode;
    key += '\n';
    key += std::to_string(clockHour(minute));
    return key;
}

}  // namespace velmor::qso_line
