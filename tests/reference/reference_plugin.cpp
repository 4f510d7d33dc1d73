// The plug-in's behaviour as plain walks over the log: the baseline of the differential test.
#include "reference_plugin.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "log/ole_date.h"

namespace velmor::reference {
namespace {

const char kJournal[] = "err.txt";

std::string decimal(long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld", value);
    return buffer;
}

bool isContestMode(const std::string& mode) {
    return mode == "CW" || mode == "BPSK63" || mode == "SSB";
}

// Date and hour of a record's time; nothing when the time has no calendar date.
std::optional<CalendarTime> clockHourOf(const OleDateTime& t) {
    if (t.status != DateStatus::Valid) return std::nullopt;
    return toCalendar(t.date);
}

bool sameClockHour(const CalendarTime& a, const CalendarTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour;
}

}  // namespace

std::string bandSortKey(const std::string& band) {
    if (band.size() >= 20) return band;
    return std::string(20 - band.size(), '0') + band;
}

std::int32_t ReferenceIsValidExchange(const std::string& exchange) {
    if (exchange == "599") return 0;
    if (exchange.size() == 3) {
        int value = 0;
        for (char c : exchange) {
            if (c < '0' || c > '9') return 0;
            value = value * 10 + (c - '0');
        }
        return value > 0 ? 1 : 0;
    }
    if (exchange.size() == 2) return exchange == "WM" ? 1 : 0;
    return 0;
}

ReferencePlugin::ReferencePlugin(Services services) : services_(services) {}

std::int32_t ReferencePlugin::ResetStats(std::int32_t writeCabrillo, const std::string& ownCall) {
    if (!companionStarted_) {
        services_.launcher.start(".\\Plugins\\Orvin.exe");
        companionStarted_ = true;
    }
    qsoLog_.clear();
    bandList_.clear();
    writeCabrillo_ = writeCabrillo;
    services_.files.writeFile(kJournal, "Velmor TEST UBN file \r\n");
    if (writeCabrillo_ != 0) {
        cabrillo_.EditStationDetails(ownCall, services_.settings, services_.ui);
        claimedInSettings_ = cabrillo_.claimed;
    }
    return 1;
}

void ReferencePlugin::journal(const QsoFields& q, const char* reason) {
    std::string line = "QSO:  ";
    line += decimal(q.freqHz / 1000u);
    line += "  " + q.mode;
    line += "  " + formatQsoTime(q.time);
    line += "  " + q.ownCall;
    line += "  " + q.rstSent;
    line += "  " + q.exchSent;
    line += "  " + q.call;
    line += "  " + q.rstRcvd;
    line += "  " + q.exchRcvd;
    line += reason;
    line += "\r\n";
    services_.files.appendFile(kJournal, line);
}

std::int32_t ReferencePlugin::AddData(const QsoFields& q) {
    // The journal is touched for a stored QSO only once per load, so that it exists.
    if (!journalEnsured_) {
        services_.files.appendFile(kJournal, "");
        journalEnsured_ = true;
    }
    if (!isContestMode(q.mode)) {
        journal(q, "   NO TEST MODE !!!");
        return 0;
    }
    if (q.exchRcvd.empty() || q.exchSent.empty()) {
        journal(q, "   NO RX NUMBER !!!");
        return 0;
    }
    bool known = false;
    for (const std::string& b : bandList_)
        if (b == q.band) known = true;
    if (!known) bandList_.push_back(q.band);

    CInfo r;
    r.call = q.call;
    r.band = q.band;
    r.mode = q.mode;
    r.hostText30 = q.hostText30;
    r.rstRcvd = q.rstRcvd;
    r.rstSent = q.rstSent;
    r.hostText23 = q.hostText23;
    r.freqKHz = q.freqHz / 1000u;
    r.time = q.time;
    r.exchSent = q.exchSent;
    r.exchRcvd = q.exchRcvd;
    if (q.exchRcvd.size() == 2 && q.exchRcvd == "WM") r.wmCall = q.call;
    qsoLog_.push_back(std::move(r));
    return 1;
}

std::int32_t ReferencePlugin::RemoveData(const QsoFields& qso) {
    // First the oldest record that is the deleted QSO itself: call, mode, band, both
    // exchanges, and the date-time with equal status and, when valid, the same calendar
    // minute (one without a calendar date is never equal).
    auto sameTime = [](const OleDateTime& a, const OleDateTime& b) {
        if (a.status != b.status) return false;
        if (a.status != DateStatus::Valid) return true;
        const std::optional<CalendarTime> ca = toCalendar(a.date), cb = toCalendar(b.date);
        return ca && cb && ca->year == cb->year && ca->month == cb->month && ca->day == cb->day &&
               ca->hour == cb->hour && ca->minute == cb->minute;
    };
    for (std::size_t i = 0; i < qsoLog_.size(); ++i) {
        const CInfo& r = qsoLog_[i];
        if (r.call == qso.call && r.mode == qso.mode && r.band == qso.band &&
            r.exchSent == qso.exchSent && r.exchRcvd == qso.exchRcvd && sameTime(r.time, qso.time)) {
            qsoLog_.erase(qsoLog_.begin() + static_cast<std::ptrdiff_t>(i));
            return 1;
        }
    }
    // None: the oldest with that call, mode and band.
    return RemoveData(qso.call, qso.mode, qso.band);
}

std::int32_t ReferencePlugin::RemoveData(const std::string& call, const std::string& mode,
                                         const std::string& band) {
    for (std::size_t i = 0; i < qsoLog_.size(); ++i) {
        const CInfo& r = qsoLog_[i];
        if (r.call == call && r.mode == mode && r.band == band) {
            qsoLog_.erase(qsoLog_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    return 1;
}

CheckCallResult ReferencePlugin::CheckCall(const std::string& call, const std::string& mode,
                                           const std::string& band) const {
    const CalendarTime now = services_.clock.utcNow();
    bool repeated = false;
    for (const CInfo& r : qsoLog_) {
        if (r.call != call || r.band != band || r.mode != mode) continue;
        const std::optional<CalendarTime> when = clockHourOf(r.time);
        if (when && sameClockHour(*when, now)) {
            repeated = true;
            break;
        }
    }
    CheckCallResult result;
    if (!repeated) return result;
    result.result = 4;
    result.warning = "QSO c " + call +
                     " \xC2 \xCE\xC4\xCD\xCE\xCC \xC8 \xD2\xCE\xCC \xC6\xC5 \xD2\xD3\xD0\xC5 "
                     "\xCF\xD0\xCE\xC2\xCE\xC4\xC8\xD2\xDC \xCD\xC5\xCB\xDC\xC7\xDF !!!";
    return result;
}

const std::string& ReferencePlugin::GetResult(std::int32_t* score) {
    resultText_.clear();
    const std::size_t n = qsoLog_.size();
    resultText_ += "\t\xD1\xEE\xF0\xE5\xE2\xED\xEE\xE2\xE0\xED\xE8\xFF Velmor\r\n";
    resultText_ += "\tQSOs\tPoints\tBPSK63\tCW\tSSB\r\n";

    // Exchange sort, descending by padded key; equal keys never swap.
    for (std::size_t i = 0; i + 1 < bandList_.size(); ++i)
        for (std::size_t j = i + 1; j < bandList_.size(); ++j)
            if (std::strcmp(bandSortKey(bandList_[i]).c_str(), bandSortKey(bandList_[j]).c_str()) < 0)
                std::swap(bandList_[i], bandList_[j]);

    std::int32_t points = 0, bpsk = 0, cw = 0, ssb = 0;
    char row[512];
    for (const std::string& band : bandList_) {
        std::int32_t qsos = 0, bBpsk = 0, bCw = 0, bSsb = 0;
        std::vector<std::string> wmCalls;
        for (const CInfo& r : qsoLog_) {
            if (r.band != band || r.call.empty()) continue;
            ++qsos;
            if (r.mode == "BPSK63") ++bBpsk;
            if (r.mode == "CW") ++bCw;
            if (r.mode == "SSB") ++bSsb;
            if (!r.wmCall.empty()) {
                bool seen = false;
                for (const std::string& w : wmCalls)
                    if (w == r.wmCall) seen = true;
                if (!seen) wmCalls.push_back(r.wmCall);
            }
        }
        const std::int32_t bandPoints = qsos + 5 * static_cast<std::int32_t>(wmCalls.size());
        std::snprintf(row, sizeof row, "\t %i\t %i\t %i\t %i\t %i\r\n", qsos, bandPoints, bBpsk, bCw, bSsb);
        resultText_ += band;  // the band text is copied whole, however long
        resultText_ += row;
        points += bandPoints;
        bpsk += bBpsk;
        cw += bCw;
        ssb += bSsb;
    }
    std::snprintf(row, sizeof row, "Total\t %i\t %i\t %i\t %i\t %i\r\n", static_cast<std::int32_t>(n),
                  points, bpsk, cw, ssb);
    resultText_ += row;

    claimedScore_ = points;
    if (score) *score = points;
    // Only a value that differs from the one last written or read is written.
    if (claimedInSettings_ != decimal(points)) {
        services_.settings.write("Claimed", decimal(points));
        claimedInSettings_ = decimal(points);
    }
    resultText_ += "\r\nScore:  " + decimal(points);

    if (writeCabrillo_ != 0) {
        handOffCabrillo();
        if (score) *score = -1;
    }
    return resultText_;
}

void ReferencePlugin::handOffCabrillo() {
    // The lines are rebuilt at every request, so a second request does not repeat them.
    cabrillo_.qsoLines.clear();
    for (const CInfo& r : qsoLog_) cabrillo_.AddQso(r);

    const CCabrilloLog& c = cabrillo_;
    std::string file;
    file += "START-OF-LOG: 3.0\r\n";
    file += "CONTEST: Velmor \r\n";
    file += "CALLSIGN: " + c.callsign + "\r\n";
    file += "CATEGORY-OPERATOR: " + c.categoryOperator + "\r\n";
    file += "CATEGORY: " + c.category + "\r\n";
    file += "LOCATION: " + c.location + "\r\n";
    file += "CLAIMED-SCORE: " + decimal(claimedScore_) + "\r\n";
    file += "CLUB: " + c.club + "\r\n";
    file += "CREATED-BY: Kova \r\n";
    file += "EMAIL: " + c.email + "\r\n";
    file += "NAME: " + c.name + "\r\n";
    // The details are plain; the file carries multi-line values as tagged lines.
    file += "ADDRESS: " + tagLineBreaks(escapeLineBreaks(c.address), "ADDRESS") + "\r\n";
    file += "OPERATORS: " + tagLineBreaks(escapeLineBreaks(c.operators), "OPERATORS") + "\r\n";
    file += "SOAPBOX: " + tagLineBreaks(escapeLineBreaks(c.soapbox), "SOAPBOX") + "\r\n";
    if (std::optional<std::string> extra = services_.files.readFile("cabrillo.ini")) {
        file += *extra;
        // A last line without its line end would swallow the first QSO line.
        if (!extra->empty() && extra->back() != '\n') file += "\r\n";
    }
    for (const std::string& line : c.qsoLines) file += line;
    file += "END-OF-LOG:\r\n";

    const std::string name = c.baseName + ".cbr";
    const std::string failure = services_.files.replaceFile(name, file);
    services_.ui.showOutput(failure.empty() ? "File produced: " + name
                                            : "File not produced: " + name + " (" + failure + ")");
}

}  // namespace velmor::reference
