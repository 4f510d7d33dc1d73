// One cross-check run: read the logs, apply the rules, write every output into a folder.
#include "crosscheck/crosscheck_run.h"

#include <filesystem>
#include <functional>
#include <map>
#include <utility>
#include <system_error>

#include "crosscheck/contest.h"
#include "crosscheck/sqlite_writer.h"
#include "crosscheck/writers.h"
#include "services/calendar_time.h"
#include "services/file_name.h"
#include "services/shown_text.h"
#include "services/text.h"

namespace velmor::crosscheck {
namespace {

namespace fs = std::filesystem;

// The messages' stream: file names and reasons come from anyone who sends a log, so every
// control byte but the line end is shown as \xNN (shown::visible), never sent to a terminal.
class VisibleBuffer : public std::streambuf {
public:
    explicit VisibleBuffer(std::ostream& to) : to_(to) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        to_ << shown::visibleLines(std::string_view(&ch, 1));
        return to_ ? c : traits_type::eof();
    }
    int sync() override { return to_.flush() ? 0 : -1; }

private:
    std::ostream& to_;
};

}  // namespace

std::optional<std::int64_t> parsePeriodTime(std::string_view t) {
    if (t.size() != 16 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':') return std::nullopt;
    const auto y = text::number(t.substr(0, 4)), mo = text::number(t.substr(5, 2)), d = text::number(t.substr(8, 2)),
               h = text::number(t.substr(11, 2)), mi = text::number(t.substr(14, 2));
    if (!y || !mo || !d || !h || !mi) return std::nullopt;
    const CalendarTime c{static_cast<int>(*y), static_cast<int>(*mo), static_cast<int>(*d),
                         static_cast<int>(*h), static_cast<int>(*mi), 0};
    if (!isValid(c)) return std::nullopt;
    return minutesSinceEpoch(c);
}

RunOutcome runCrosscheck(const RunOptions& options, std::ostream& messages) {
    VisibleBuffer visible(messages);
    std::ostream err(&visible);
    Options rules;
    rules.toleranceMinutes = options.toleranceMinutes;
    if (options.toleranceMinutes < 0) {
        err << "crosscheck: error: --tolerance must be 0 or more minutes\n";
        return RunOutcome::UsageError;
    }
    if (!options.periodStart.empty() || !options.periodEnd.empty()) {
        rules.periodStart = parsePeriodTime(options.periodStart);
        rules.periodEnd = parsePeriodTime(options.periodEnd);
        if (!rules.periodStart || !rules.periodEnd) {
            err << "crosscheck: error: --period takes two UTC times written like 2026-05-16T12:00\n";
            return RunOutcome::UsageError;
        }
        if (*rules.periodEnd <= *rules.periodStart) {
            err << "crosscheck: error: --period: END must be later than START\n";
            return RunOutcome::UsageError;
        }
    }
    if (options.outDir.empty()) {
        err << "crosscheck: error: -o OUTDIR is required\n";
        return RunOutcome::UsageError;
    }
    if (!options.sqlitePath.empty() && !sqliteAvailable()) {
        err << "crosscheck: error: --sqlite: " << writeSqlite(Contest(rules), options.sqlitePath, *options.files)
            << "\n";
        return RunOutcome::UsageError;
    }
    const FileOps& ops = *options.files;
    // Every input in the order given: a file to read, or a folder that could not be listed
    // (an input that could not be read, as a file would be).
    struct Input {
        std::string path;
        std::string unreadable;  // why, for a folder that cannot be listed
    };
    std::vector<Input> inputs;
    for (const std::string& arg : options.logs) {
        std::string folderError;
        const std::vector<std::string> found = expandLogArgument(arg, ops, folderError);
        if (!folderError.empty()) {
            inputs.push_back({arg, "cannot read the folder: " + folderError});
            continue;
        }
        if (found.empty()) err << "crosscheck: warning: " << arg << ": no .cbr or .log files in this folder\n";
        for (const std::string& file : found) inputs.push_back({file, {}});
    }
    std::vector<NamedLog> kept;
    if (!options.db.empty()) {
        if (!options.readDb) {
            err << "crosscheck: error: --db: the robot's database is read by the Linux build only\n";
            return RunOutcome::UsageError;
        }
        const std::string error = options.readDb(options.db, kept);
        if (!error.empty()) {
            err << "crosscheck: error: --db: " << error << "\n";
            return RunOutcome::UsageError;
        }
        if (kept.empty()) err << "crosscheck: warning: " << options.db << ": no logs in the database\n";
    }
    if (inputs.empty() && kept.empty()) {
        err << "crosscheck: error: no log files given\n";
        return RunOutcome::UsageError;
    }

    Contest contest(rules, options.otherContests);
    for (const Input& input : inputs) {
        if (input.unreadable.empty())
            contest.addPath(input.path, ops);
        else
            contest.addUnreadable(input.path, input.unreadable);
    }
    for (const NamedLog& log : kept) contest.addBytes(log.name, log.bytes);
    contest.run();
    const std::vector<SkippedFile> skipped = contest.skipped();
    // A folder's entries are named by whoever put them there: a line end in a name is shown,
    // never a line of its own.
    for (const SkippedFile& s : skipped)
        err << shown::visible(s.file) << ": left out: " << shown::visible(s.reason) << "\n";

    const fs::path dir = fs::u8path(options.outDir);
    // No output may replace an input (under any name: a link, another path): a log named
    // results.csv, --sqlite naming a log or the robot's database. Checked before anything is
    // written.
    const std::vector<std::string> reportNames =
        reportFileNames(contest, longestCallFileNameIn((dir / "reports").u8string()));
    std::vector<std::string> outputs;
    for (const char* name : {"verdicts.csv", "results.csv", "skipped.csv", "results.html"})
        outputs.push_back((dir / name).u8string());
    for (std::uint32_t log : contest.engine.countedLogsByCall())
        outputs.push_back((dir / "reports" / fs::u8path(reportNames[log])).u8string());
    if (!options.sqlitePath.empty()) outputs.push_back(options.sqlitePath);
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> inputFiles;
    std::vector<std::string> inputPaths;
    for (const Input& input : inputs) inputPaths.push_back(input.path);
    if (!options.db.empty()) inputPaths.push_back(options.db);
    for (const std::string& path : inputPaths) {
        std::string ignored;
        if (const std::optional<FileIdentity> id = ops.identity(path, ignored))
            inputFiles.emplace(std::make_pair(id->volume, id->index), path);
    }
    for (const std::string& output : outputs) {
        std::string ignored;
        const std::optional<FileIdentity> id = ops.identity(output, ignored);
        if (!id) continue;
        const auto input = inputFiles.find({id->volume, id->index});
        if (input == inputFiles.end()) continue;
        err << "crosscheck: error: cannot write " << output << ": it is the input " << shown::visible(input->second)
            << "; nothing written (choose another OUTDIR or --sqlite FILE)\n";
        return RunOutcome::OutputFailed;
    }

    std::error_code ec;
    fs::create_directories(dir / "reports", ec);
    if (ec) {
        err << "crosscheck: error: cannot create " << (dir / "reports").u8string() << ": " << ec.message() << "\n";
        return RunOutcome::OutputFailed;
    }
    // The reports go into a folder of OUTDIR's own: a link planted there would lead them
    // anywhere.
    std::string why;
    const std::optional<FileKind> reportsKind = ops.kind((dir / "reports").u8string(), why);
    if (!reportsKind || *reportsKind != FileKind::Folder) {
        err << "crosscheck: error: cannot write into " << (dir / "reports").u8string() << ": "
            << (reportsKind ? "is " + std::string(KindName(*reportsKind)) + ", not a folder" : why) << "\n";
        return RunOutcome::OutputFailed;
    }
    std::vector<std::string> errors;
    auto put = [&](const fs::path& name, const std::function<void(std::ostream&)>& write) {
        const std::string path = name.u8string();
        const std::string e = ReplaceFileStreaming(ops, path, write);
        if (!e.empty()) errors.push_back("cannot write " + path + ": " + e);
    };
    put(dir / "verdicts.csv", [&](std::ostream& o) { writeVerdictsCsv(contest, o); });
    put(dir / "results.csv", [&](std::ostream& o) { writeResultsCsv(contest, o); });
    put(dir / "skipped.csv", [&](std::ostream& o) { writeSkippedCsv(skipped, o); });
    for (std::uint32_t log : contest.engine.countedLogsByCall())
        put(dir / "reports" / fs::u8path(reportNames[log]), [&](std::ostream& o) { writeReport(contest, log, o); });
    put(dir / "results.html", [&](std::ostream& o) { writeResultsHtml(contest, reportNames, o); });
    if (!options.sqlitePath.empty()) {
        std::string e = writeSqlite(contest, options.sqlitePath, ops);
        if (!e.empty()) errors.push_back("cannot write " + options.sqlitePath + ": " + e);
    }
    for (const std::string& e : errors) err << "crosscheck: error: " << e << "\n";
    if (!errors.empty()) return RunOutcome::OutputFailed;

    err << "crosscheck: " << contest.engine.countedLogsByCall().size() << " logs, " << contest.engine.qsoCount()
        << " QSO lines read, " << skipped.size() << " files left out; results in " << options.outDir << "\n";
    return contest.unreadableCount() ? RunOutcome::FilesLeftOut : RunOutcome::AllRead;
}

}  // namespace velmor::crosscheck
