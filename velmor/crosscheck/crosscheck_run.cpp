// One cross-check run: read the logs, apply the rules, write every output into a folder.
#include "crosscheck/crosscheck_run.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>

#include "crosscheck/contest.h"
#include "crosscheck/sqlite_writer.h"
#include "crosscheck/writers.h"

namespace velmor::crosscheck {
namespace {

namespace fs = std::filesystem;

bool digits(std::string_view s, std::size_t from, std::size_t n, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

// Writes `name` through a temporary file beside it, put in place only when whole: a failed
// run never leaves a cut-off output. Returns an empty string or the reason of the failure.
std::string writeOutput(const fs::path& name, const std::function<void(std::ostream&)>& write) {
    fs::path tmp = name;
    tmp += ".tmp";
    std::string error;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return "cannot create " + tmp.u8string();
        write(out);
        out.flush();
        if (!out) error = "cannot write " + tmp.u8string();
    }
    std::error_code ec;
    if (error.empty()) {
        fs::rename(tmp, name, ec);
        if (ec) error = "cannot put " + name.u8string() + " in place: " + ec.message();
    }
    if (!error.empty()) fs::remove(tmp, ec);
    return error;
}

}  // namespace

std::optional<std::int64_t> parsePeriodTime(std::string_view t) {
    int y, mo, d, h, mi;
    if (t.size() != 16 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':') return std::nullopt;
    if (!digits(t, 0, 4, y) || !digits(t, 5, 2, mo) || !digits(t, 8, 2, d) || !digits(t, 11, 2, h) ||
        !digits(t, 14, 2, mi))
        return std::nullopt;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] + (mo == 2 && leap ? 1 : 0) || h > 23 || mi > 59)
        return std::nullopt;
    return minutesSinceEpoch(y, mo, d, h, mi);
}

int runCrosscheck(const RunOptions& options, std::ostream& err) {
    Options rules;
    rules.toleranceMinutes = options.toleranceMinutes;
    if (options.toleranceMinutes < 0) {
        err << "crosscheck: error: --tolerance must be 0 or more minutes\n";
        return kExitUsage;
    }
    if (!options.periodStart.empty() || !options.periodEnd.empty()) {
        rules.periodStart = parsePeriodTime(options.periodStart);
        rules.periodEnd = parsePeriodTime(options.periodEnd);
        if (!rules.periodStart || !rules.periodEnd) {
            err << "crosscheck: error: --period takes two UTC times written like 2026-05-16T12:00\n";
            return kExitUsage;
        }
        if (*rules.periodEnd <= *rules.periodStart) {
            err << "crosscheck: error: --period: END must be later than START\n";
            return kExitUsage;
        }
    }
    if (options.outDir.empty()) {
        err << "crosscheck: error: -o OUTDIR is required\n";
        return kExitUsage;
    }
    if (!options.sqlitePath.empty() && !sqliteAvailable()) {
        err << "crosscheck: error: --sqlite: " << writeSqlite(Contest(rules), options.sqlitePath) << "\n";
        return kExitUsage;
    }
    std::vector<std::string> files;
    for (const std::string& arg : options.logs) {
        const std::vector<std::string> found = expandLogArgument(arg);
        if (found.empty()) err << "crosscheck: warning: " << arg << ": no .cbr or .log files in this folder\n";
        files.insert(files.end(), found.begin(), found.end());
    }
    std::vector<NamedLog> kept;
    if (!options.db.empty()) {
        if (!options.readDb) {
            err << "crosscheck: error: --db: the robot's database is read by the Linux build only\n";
            return kExitUsage;
        }
        const std::string error = options.readDb(options.db, kept);
        if (!error.empty()) {
            err << "crosscheck: error: --db: " << error << "\n";
            return kExitUsage;
        }
        if (kept.empty()) err << "crosscheck: warning: " << options.db << ": no logs in the database\n";
    }
    if (files.empty() && kept.empty()) {
        err << "crosscheck: error: no log files given\n";
        return kExitUsage;
    }

    Contest contest(rules);
    for (const std::string& path : files) contest.addPath(path);
    for (const NamedLog& log : kept) contest.addBytes(log.name, log.bytes);
    contest.run();
    const std::vector<SkippedFile> skipped = contest.skipped();
    for (const SkippedFile& s : skipped) err << s.file << ": left out: " << s.reason << "\n";

    const fs::path dir = fs::u8path(options.outDir);
    std::error_code ec;
    fs::create_directories(dir / "reports", ec);
    if (ec) {
        err << "crosscheck: error: cannot create " << (dir / "reports").u8string() << ": " << ec.message() << "\n";
        return kExitFailed;
    }
    std::vector<std::string> errors;
    auto put = [&errors](const fs::path& name, const std::function<void(std::ostream&)>& write) {
        std::string e = writeOutput(name, write);
        if (!e.empty()) errors.push_back(std::move(e));
    };
    put(dir / "verdicts.csv", [&](std::ostream& o) { writeVerdictsCsv(contest, o); });
    put(dir / "results.csv", [&](std::ostream& o) { writeResultsCsv(contest, o); });
    put(dir / "skipped.csv", [&](std::ostream& o) { writeSkippedCsv(skipped, o); });
    const std::vector<std::string> reportNames = reportFileNames(contest);
    for (std::uint32_t log : contest.engine.countedLogsByCall())
        put(dir / "reports" / fs::u8path(reportNames[log]), [&](std::ostream& o) { writeReport(contest, log, o); });
    put(dir / "results.html", [&](std::ostream& o) { writeResultsHtml(contest, reportNames, o); });
    if (!options.sqlitePath.empty()) {
        std::string e = writeSqlite(contest, options.sqlitePath);
        if (!e.empty()) errors.push_back(options.sqlitePath + ": " + e);
    }
    for (const std::string& e : errors) err << "crosscheck: error: " << e << "\n";
    if (!errors.empty()) return kExitFailed;

    err << "crosscheck: " << contest.engine.countedLogsByCall().size() << " logs, " << contest.engine.qsoCount()
        << " QSO lines read, " << skipped.size() << " files left out; results in " << options.outDir << "\n";
    return contest.unreadableCount() ? kExitSkipped : kExitOk;
}

}  // namespace velmor::crosscheck
