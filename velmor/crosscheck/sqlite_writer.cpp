// The cross-check's data as an SQLite database (where the build has libsqlite3).
#include "crosscheck/sqlite_writer.h"

#ifdef VELMOR_HAVE_SQLITE

#include <sqlite3.h>

#include "crosscheck/writers.h"

namespace velmor::crosscheck {
namespace {

class Database {
public:
    // An existing file (the empty temporary file made through the file table), opened by
    // SQLite without creating anything itself and never through a link put there since.
    explicit Database(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK)
            fail();
    }
    ~Database() {
        for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
        if (db_) sqlite3_close(db_);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& error() const { return error_; }
    bool ok() const { return error_.empty(); }

    void exec(const char* sql) {
        if (!ok()) return;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail();
    }
    sqlite3_stmt* prepare(const char* sql) {
        if (!ok()) return nullptr;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) {
            fail();
            return nullptr;
        }
        statements_.push_back(s);
        return s;
    }
    void text(sqlite3_stmt* s, int col, std::string_view v) {
        if (ok()) sqlite3_bind_text(s, col, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void integer(sqlite3_stmt* s, int col, sqlite3_int64 v) {
        if (ok()) sqlite3_bind_int64(s, col, v);
    }
    void step(sqlite3_stmt* s) {
        if (!ok()) return;
        if (sqlite3_step(s) != SQLITE_DONE) fail();
        sqlite3_reset(s);
    }

private:
    void fail() { error_ = db_ ? sqlite3_errmsg(db_) : "cannot open the database"; }

    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
    std::string error_;
};

std::string fill(const Contest& contest, const std::string& path) {
    Database db(path);
    db.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
            "CREATE TABLE verdicts(log_call TEXT, line INTEGER, freq TEXT, mode TEXT, date TEXT, time TEXT,"
            " call TEXT, exch_rcvd TEXT, verdict TEXT, detail TEXT);"
            "CREATE TABLE results(call TEXT, category TEXT, claimed TEXT, lines INTEGER, counted INTEGER,"
            " ok INTEGER, bad_exch INTEGER, dupe INTEGER, busted INTEGER, nil INTEGER, \"unique\" INTEGER,"
            " unverified INTEGER, invalid INTEGER, out_of_period INTEGER, score INTEGER, place INTEGER);"
            "CREATE TABLE skipped(file TEXT, reason TEXT);");
    const Engine& e = contest.engine;
    sqlite3_stmt* v = db.prepare("INSERT INTO verdicts VALUES(?,?,?,?,?,?,?,?,?,?)");
    for (std::uint32_t log : e.countedLogsByCall()) {
        const auto [first, last] = e.qsoRange(log);
        for (std::uint32_t i = first; i < last && db.ok(); ++i) {
            const Engine::QsoResult r = e.qso(i);
            const LineFields f = contest.fields(i);
            db.text(v, 1, e.logCall(log));
            db.integer(v, 2, r.line);
            int col = 3;
            for (qso_line::Field k : kVerdictLineFields) db.text(v, col++, shownField(f, k));
            db.text(v, 9, verdictName(r.verdict));
            db.text(v, 10, verdictDetail(contest, i));
            db.step(v);
        }
    }
    sqlite3_stmt* res = db.prepare("INSERT INTO results VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (std::uint32_t log : resultsOrder(contest)) {
        const LogSummary& s = e.summary(log);
        db.text(res, 1, e.logCall(log));
        db.text(res, 2, e.logCategory(log));
        db.text(res, 3, contest.claimed(log));
        const auto n = [&s](Verdict x) { return s.byVerdict[static_cast<int>(x)]; };
        const sqlite3_int64 values[] = {s.lines, s.counted, n(Verdict::Ok), n(Verdict::BadExch), n(Verdict::Dupe),
                                        n(Verdict::Busted), n(Verdict::Nil), n(Verdict::Unique),
                                        n(Verdict::Unverified), n(Verdict::Invalid), n(Verdict::OutOfPeriod),
                                        s.score, s.place};
        int col = 4;
        for (sqlite3_int64 x : values) db.integer(res, col++, x);
        db.step(res);
    }
    sqlite3_stmt* sk = db.prepare("INSERT INTO skipped VALUES(?,?)");
    for (const SkippedFile& f : contest.skipped()) {
        db.text(sk, 1, f.file);
        db.text(sk, 2, f.reason);
        db.step(sk);
    }
    db.exec("COMMIT;");
    return db.error();
}

}  // namespace

bool sqliteAvailable() { return true; }

std::string writeSqlite(const Contest& contest, const std::string& path, const FileOps& ops) {
    FileReplacement file(ops, path);
    // An empty file is an empty database; SQLite fills it (no journal: the whole file is
    // put in place or dropped).
    if (!file.open() || !file.closeTemporary()) return file.reason();
    const std::string error = fill(contest, file.temporaryPath());
    if (!error.empty()) return error;  // the replacement removes its temporary file
    return file.commit();
}

}  // namespace velmor::crosscheck

#else  // no libsqlite3 in this build

namespace velmor::crosscheck {

bool sqliteAvailable() { return false; }

std::string writeSqlite(const Contest&, const std::string&, const FileOps&) {
    return "this build of velmor cannot write SQLite databases (the Linux build can)";
}

}  // namespace velmor::crosscheck

#endif
