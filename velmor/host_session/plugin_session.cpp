#include "plugin_session.h"

#include <limits>
#include <utility>

#include "adif/adif_reader.h"
#include "cabrillo/cabrillo_log.h"
#include "cabrillo/ini_file.h"
#include "log/contest_rules.h"
#include "services/memory_files.h"
#include "session/stats_plugin.h"

namespace velmor::cli {
namespace {

const std::string kSettingsFile(rules::kSettingsFile);
const std::string kJournal(rules::kJournalFile);

// The clock only answers the repeat check while a QSO is typed, which no session here does.
class FixedClock : public Clock {
public:
    CalendarTime utcNow() const override { return CalendarTime{2000, 1, 1, 0, 0, 0}; }
};

// The station-details dialog with OK pressed as it opens, after the category (if given)
// was chosen from its list.
class ConfirmingUi : public Ui {
public:
    explicit ConfirmingUi(std::optional<std::string> category) : category_(std::move(category)) {}
    bool editStationDetails(StationDetails& details) override {
        if (category_) details.category = *category_;
        return true;
    }
    void showOutput(const std::string& text) override { output = text; }
    std::string output;

private:
    std::optional<std::string> category_;
};

class NoLauncher : public Launcher {
public:
    void start(const std::string&) override {}
};

}  // namespace

QsoFields hostFields(const qso_line::Qso& q, const std::string& band) {
    QsoFields f;
    f.ownCall = q.ownCall;
    f.call = q.call;
    f.time = OleDateTime{fromCalendar(q.time), DateStatus::Valid};
    const std::int64_t hz = q.freqKHz * 1000;
    f.freqHz = hz >= 0 && hz <= std::numeric_limits<std::uint32_t>::max() ? static_cast<std::uint32_t>(hz) : 0;
    f.mode = std::string(q.hostMode());
    f.rstSent = q.rstSent;
    f.rstRcvd = q.rstReceived;
    f.exchSent = q.exchangeSent;
    f.exchRcvd = q.exchangeReceived;
    f.band = band;
    return f;
}

std::vector<LogQso> cabrilloQsos(
    const cabrillo_reader::File& file, std::string& ownCall,
    const std::function<void(const cabrillo_reader::Line&, const qso_line::Fault&)>& unread) {
    std::vector<LogQso> qsos;
    for (const cabrillo_reader::Line& line : file.qsos) {
        const qso_line::Parse p = cabrillo_reader::readQso(line);
        if (!p.ok()) {
            if (unread) unread(line, p.fault);
            continue;
        }
        // The band as a logging program names it, from the whole frequency (also where the
        // host's 32-bit hertz cannot hold it).
        const std::string band(adif::bandOfFrequency(static_cast<std::uint64_t>(p.qso->freqKHz) * 1000));
        qsos.push_back({line.number, hostFields(*p.qso, band)});
        if (ownCall.empty()) ownCall = p.qso->ownCall;
    }
    return qsos;
}

SessionOutput runSession(const SessionInput& input, const std::vector<LogQso>& qsos,
                         void (*progress)(std::size_t, std::size_t)) {
    MemoryFileSystem files;
    if (input.settingsFile) files.files[kSettingsFile] = *input.settingsFile;
    if (input.extraHeader) files.files[std::string(cabrillo::kExtraHeaderFile)] = *input.extraHeader;
    IniFileSettings settings(files, kSettingsFile, std::string(rules::kSettingsSection));
    FixedClock clock;
    ConfirmingUi ui(input.category);
    NoLauncher launcher;
    StatsPlugin plugin(Services{clock, files, settings, ui, launcher});

    SessionOutput out;
    out.stored.reserve(qsos.size());
    plugin.ResetStats(input.cabrillo ? 1 : 0, input.ownCall);
    for (std::size_t i = 0; i < qsos.size(); ++i) {
        out.stored.push_back(plugin.AddData(qsos[i].fields) == 1);
        if (progress) progress(i + 1, qsos.size());
    }
    std::int32_t score = 0;
    out.statistics = plugin.GetResult(&score);
    out.score = plugin.claimedScore();
    out.journal = files.readFile(kJournal).value_or(std::string());
    if (input.cabrillo) {
        const CCabrilloLog& log = plugin.cabrillo();
        out.cabrilloName = log.baseName + std::string(cabrillo::kExtension);
        out.cabrilloFile = files.readFile(out.cabrilloName).value_or(std::string());
        out.qsoLines = log.qsoLines;
    }
    return out;
}

std::int32_t sessionScore(const std::vector<QsoFields>& qsos) {
    std::vector<LogQso> list;
    list.reserve(qsos.size());
    for (const QsoFields& f : qsos) list.push_back({0, f});
    return runSession(SessionInput{}, list).score;
}

}  // namespace velmor::cli
