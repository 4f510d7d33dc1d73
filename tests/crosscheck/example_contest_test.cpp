// The hand-made contest in examples/crosscheck against its expected outputs, byte for byte,
// and the command's statuses on usage errors and unwritable outputs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "crosscheck_test_support.h"

#ifdef VELMOR_HAVE_SQLITE
#include <sqlite3.h>
#endif

namespace velmor::crosscheck::test {
namespace {

namespace fs = std::filesystem;

// The example contest: one case per verdict and the edge cases between them (see the
// README's checking rules): a bust that could be two calls, a pair exactly at the tolerance
// and one a minute beyond it, a repeat in the next hour, a partner who logged another
// band, the first minute after the period, a tie in time difference, a second log of one
// call, a file that is not Cabrillo.
RunOptions exampleOptions(const std::string& out) {
    RunOptions o;
    o.logs = {"examples/crosscheck"};
    o.outDir = out;
    o.periodStart = "2026-05-16T12:00";
    o.periodEnd = "2026-05-16T16:00";
    return o;
}

std::set<std::string> filesUnder(const fs::path& dir) {
    std::set<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) out.insert(fs::relative(e.path(), dir).generic_string());
    return out;
}

TEST(ExampleContest, OutputsMatchTheExpectedFilesByteForByte) {
    const std::string out = freshDir("example");
    std::string messages;
    EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, exampleOptions(out), &messages), RunOutcome::FilesLeftOut) << messages;
    EXPECT_NE(messages.find("examples/crosscheck/notes.log: left out: no START-OF-LOG line"), std::string::npos)
        << messages;

    const fs::path expected = fs::path(VELMOR_SOURCE_DIR) / "tests/data/crosscheck/expected";
    if (std::getenv("VELMOR_UPDATE_GOLDEN")) {
        fs::remove_all(expected);
        fs::create_directories(expected.parent_path());
        fs::copy(out, expected, fs::copy_options::recursive);
    }
    // Every output is there, nothing more (no temporary file left behind).
    const std::set<std::string> names = filesUnder(expected);
    EXPECT_EQ(filesUnder(out), names);
    for (const std::string& name : names)
        EXPECT_EQ(readFile((fs::path(out) / name).string()), readFile((expected / name).string())) << name;
}

TEST(ExampleContest, OneMinuteLessToleranceUnpairsTheQsoExactlyAtTheTolerance) {
    const std::string out = freshDir("example-tolerance");
    RunOptions o = exampleOptions(out);
    o.toleranceMinutes = 4;
    runIn(VELMOR_SOURCE_DIR, o);
    const std::string verdicts = readFile(out + "/verdicts.csv");
    // UA1AAA 12:10 and UA3CCC 12:15 on 40 m SSB: five minutes apart.
    EXPECT_NE(verdicts.find("UA1AAA,16,7055,PH,2026-05-16,1210,UA3CCC,WM,NIL,\n"), std::string::npos) << verdicts;
    EXPECT_NE(verdicts.find("UA3CCC,15,7056,PH,2026-05-16,1215,UA1AAA,001,NIL,\n"), std::string::npos) << verdicts;
}

TEST(ExampleContest, WithoutAPeriodNoQsoIsOutOfPeriod) {
    const std::string out = freshDir("example-noperiod");
    RunOptions o = exampleOptions(out);
    o.periodStart.clear();
    o.periodEnd.clear();
    runIn(VELMOR_SOURCE_DIR, o);
    const std::string verdicts = readFile(out + "/verdicts.csv");
    EXPECT_EQ(verdicts.find("OUT-OF-PERIOD"), std::string::npos);
    // UA2BBB and UA4DDF at 11:50/11:51 now pair.
    EXPECT_NE(verdicts.find("UA2BBB,9,14010,CW,2026-05-16,1150,UA4DDF,006,OK,\n"), std::string::npos) << verdicts;
}

TEST(ExampleContest, UsageErrorsWriteNothing) {
    struct Case {
        const char* what;
        std::vector<std::string> logs;
        std::int32_t tolerance;
        const char* start;
        const char* end;
    };
    const Case cases[] = {
        {"malformed START", {"examples/crosscheck"}, 5, "2026-05-16 12:00", "2026-05-16T16:00"},
        {"impossible END", {"examples/crosscheck"}, 5, "2026-05-16T12:00", "2026-05-16T24:00"},
        {"only START", {"examples/crosscheck"}, 5, "2026-05-16T12:00", ""},
        {"END before START", {"examples/crosscheck"}, 5, "2026-05-16T16:00", "2026-05-16T12:00"},
        {"negative tolerance", {"examples/crosscheck"}, -1, "", ""},
        {"no logs at all", {"tests"}, 5, "", ""},
    };
    for (const Case& c : cases) {
        const std::string out = freshDir("usage") + "/out";
        RunOptions o;
        o.logs = c.logs;
        o.outDir = out;
        o.toleranceMinutes = c.tolerance;
        o.periodStart = c.start;
        o.periodEnd = c.end;
        std::string messages;
        EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o, &messages), RunOutcome::UsageError) << c.what;
        EXPECT_NE(messages.find("error"), std::string::npos) << c.what;
        EXPECT_FALSE(fs::exists(out)) << c.what;
    }
}

TEST(ExampleContest, AnOutputFolderThatCannotBeMadeIsAFailureNotSuccess) {
    const std::string dir = freshDir("blocked");
    writeFile(dir + "/out", "a file where the folder should go");
    RunOptions o = exampleOptions(dir + "/out");
    std::string messages;
    EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o, &messages), RunOutcome::OutputFailed);
    EXPECT_NE(messages.find("cannot create"), std::string::npos) << messages;
}

TEST(ExampleContest, ASecondRunReplacesTheOutputsWhole) {
    const std::string out = freshDir("rerun");
    writeFile(out + "/verdicts.csv", std::string(100000, 'x'));
    runIn(VELMOR_SOURCE_DIR, exampleOptions(out));
    EXPECT_EQ(readFile(out + "/verdicts.csv").find('x' + std::string(10, 'x')), std::string::npos);
}

TEST(ExampleContest, CallsThatNameTheSameReportFileGetOneReportEach) {
    const std::string dir = freshDir("report-names");
    // "/" and "." become "_" in a report's name: all three calls would write
    // reports/UA1AAA_P.txt. The call that names a file unchanged keeps the plain name.
    for (const char* call : {"UA1AAA/P", "UA1AAA_P", "UA1AAA.P"}) {
        std::string name = std::string(call) + ".log";
        for (char& c : name)
            if (c == '/') c = '-';
        writeFile(dir + "/" + name, std::string("START-OF-LOG: 3.0\r\nCALLSIGN: ") + call +
                                        "\r\nQSO: 14025 CW 2026-05-16 1200 X 599 001 R9XYZ 599 002\r\nEND-OF-LOG:\r\n");
    }
    RunOptions o;
    o.logs = {"."};
    o.outDir = "out";
    ASSERT_EQ(runIn(dir, o), RunOutcome::AllRead);
    const std::pair<const char*, const char*> reports[] = {
        {"UA1AAA_P.txt", "UA1AAA_P"}, {"UA1AAA_P-2.txt", "UA1AAA.P"}, {"UA1AAA_P-3.txt", "UA1AAA/P"}};
    const std::string page = readFile(dir + "/out/results.html");
    for (const auto& [file, call] : reports) {
        EXPECT_NE(readFile(dir + "/out/reports/" + file).find(std::string("report for ") + call + "\n"),
                  std::string::npos)
            << file;
        EXPECT_NE(page.find(std::string("href=\"reports/") + file + "\">" + call + "<"), std::string::npos) << file;
    }
}

// Every log is read and every output (the --sqlite file too) made and put in place through
// the run's one file table.
TEST(ExampleContest, EveryFileGoesThroughTheFileTable) {
    const std::string out = freshDir("table");
    const FileOps real = StdioFileOps();
    FileOps ops = real;
    std::set<std::string> read, placed;
    ops.open = [&](const std::string& path, const char* mode, std::string& r) {
        if (mode[0] == 'r') read.insert(fs::path(path).filename().string());
        return real.open(path, mode, r);
    };
    ops.rename = [&](const std::string& from, const std::string& to, std::string& r) {
        placed.insert(fs::relative(to, out).generic_string());
        return real.rename(from, to, r);
    };
    RunOptions o = exampleOptions(out);
    o.files = &ops;
#ifdef VELMOR_HAVE_SQLITE
    o.sqlitePath = out + "/contest.db";
#endif
    EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o), RunOutcome::FilesLeftOut);
    EXPECT_EQ(placed, filesUnder(out));
    EXPECT_EQ(placed.count("reports/UA2BBB.txt"), 1u);
    EXPECT_EQ(read, (std::set<std::string>{"notes.log", "ua1aaa.cbr", "ua2bbb.log", "ua3ccc.cbr", "ua4ddd.cbr",
                                           "ua4ddf.cbr", "ua5eee-2.cbr", "ua5eee.cbr"}));
}

// One step of the file table failing for the outputs: status 3 with the reason, and the
// outputs of an earlier run stay as they were, with no temporary file beside them.
TEST(ExampleContest, AFailingFileStepFailsTheRunAndKeepsTheEarlierOutputs) {
    const std::string out = freshDir("faults");
    ASSERT_EQ(runIn(VELMOR_SOURCE_DIR, exampleOptions(out)), RunOutcome::FilesLeftOut);
    const std::set<std::string> names = filesUnder(out);
    std::map<std::string, std::string> earlier;
    for (const std::string& name : names) earlier[name] = readFile(out + "/" + name);

    const FileOps real = StdioFileOps();
    const std::string injected = "injected failure";
    for (const std::string step : {"kind", "random", "create", "write", "flush", "close", "rename"}) {
        SCOPED_TRACE(step);
        FileOps ops = real;
        if (step == "kind")
            ops.kind = [&](const std::string&, std::string& r) -> std::optional<FileKind> {
                r = injected;
                return std::nullopt;
            };
        if (step == "random") ops.random = [&](std::uint64_t&, std::string& r) { r = injected; return false; };
        if (step == "create")
            ops.create = [&](const std::string&, std::string& r) -> std::FILE* {
                r = injected;
                return nullptr;
            };
        if (step == "write")
            ops.write = [&](std::FILE*, std::string_view, std::string& r) { r = injected; return false; };
        if (step == "flush") ops.flush = [&](std::FILE*, std::string& r) { r = injected; return false; };
        if (step == "close")
            ops.close = [&](std::FILE* f, std::string& r) {
                std::string ignored;
                real.close(f, ignored);
                r = injected;
                return false;
            };
        if (step == "rename")
            ops.rename = [&](const std::string&, const std::string&, std::string& r) { r = injected; return false; };
        RunOptions o = exampleOptions(out);
        o.files = &ops;
        std::string messages;
        EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o, &messages), RunOutcome::OutputFailed);
        // The first output written, or (when the kind of a name cannot be told) the reports folder.
        const std::string first = step == "kind" ? "cannot write into " + out + "/reports: "
                                                 : "cannot write " + out + "/verdicts.csv: ";
        EXPECT_NE(messages.find("crosscheck: error: " + first + injected + "\n"), std::string::npos) << messages;
        EXPECT_EQ(filesUnder(out), names);
        for (const std::string& name : names) EXPECT_EQ(readFile(out + "/" + name), earlier[name]) << name;
    }
}

// A log folder that cannot be listed (the table's list step fails, as for a folder without
// read permission) is an input that could not be read: listed in skipped.csv with the
// reason, the other inputs read, status 1 as for a file; never a warning and success.
TEST(ExampleContest, AnUnreadableLogFolderIsAnInputLeftOut) {
    const std::string out = freshDir("unreadable-folder");
    FileOps ops = StdioFileOps();
    ops.list = [](const std::string&, std::vector<std::string>&, std::string& reason) {
        reason = "Permission denied";
        return false;
    };
    for (const std::vector<std::string>& logs : {std::vector<std::string>{"examples/crosscheck"},
                                                std::vector<std::string>{"examples/crosscheck/ua1aaa.cbr",
                                                                         "examples/crosscheck",
                                                                         "examples/crosscheck/ua2bbb.log"}}) {
        SCOPED_TRACE(logs.size());
        RunOptions o;
        o.logs = logs;
        o.outDir = out;
        o.files = &ops;
        std::string messages;
        EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o, &messages), RunOutcome::FilesLeftOut) << messages;
        EXPECT_NE(messages.find("examples/crosscheck: left out: cannot read the folder: Permission denied\n"),
                  std::string::npos)
            << messages;
        EXPECT_EQ(lines(readFile(out + "/skipped.csv")),
                  (std::vector<std::string>{"file,reason", "examples/crosscheck,cannot read the folder: Permission denied"}));
        EXPECT_EQ(lines(readFile(out + "/results.csv")).size(), logs.size() == 1 ? 1u : 3u);
    }
}

#ifdef VELMOR_HAVE_SQLITE
TEST(ExampleContest, SqliteHoldsTheSameRowsAsTheCsvFiles) {
    const std::string out = freshDir("sqlite");
    RunOptions o = exampleOptions(out);
    o.sqlitePath = out + "/contest.db";
    runIn(VELMOR_SOURCE_DIR, o);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(o.sqlitePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    auto scalar = [db](const char* sql) {
        sqlite3_stmt* s = nullptr;
        std::string v;
        if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            v = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
        return v;
    };
    EXPECT_EQ(scalar("SELECT count(*) FROM verdicts"),
              std::to_string(lines(readFile(out + "/verdicts.csv")).size() - 1));
    EXPECT_EQ(scalar("SELECT count(*) FROM results"), std::to_string(lines(readFile(out + "/results.csv")).size() - 1));
    EXPECT_EQ(scalar("SELECT detail FROM verdicts WHERE log_call='UA2BBB' AND verdict='BUSTED'"), "UA3CCC");
    EXPECT_EQ(scalar("SELECT score FROM results WHERE call='UA1AAA'"), "10");
    EXPECT_EQ(scalar("SELECT reason FROM skipped WHERE file LIKE '%ua5eee.cbr'"),
              "superseded by examples/crosscheck/ua5eee-2.cbr: its latest valid QSO inside the period is at "
              "2026-05-16 1331, this file's at 2026-05-16 1250");
    sqlite3_close(db);
    EXPECT_FALSE(fs::exists(o.sqlitePath + ".tmp"));
}
#endif

}  // namespace
}  // namespace velmor::crosscheck::test
