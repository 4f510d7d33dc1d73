// The robot's database in SQLite.
#include "robot/storage.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "robot/receipt_code.h"

namespace velmor::robot {
namespace {

constexpr int kApplicationId = 0x564C4D52;  // "VLMR"
constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema = R"(
CREATE TABLE uploads (
  id INTEGER PRIMARY KEY,
  receipt TEXT NOT NULL UNIQUE,
  received_utc TEXT NOT NULL,
  call TEXT NOT NULL,
  entrant TEXT NOT NULL,
  category TEXT NOT NULL,
  qso_lines INTEGER NOT NULL,
  claimed_score TEXT NOT NULL,
  score INTEGER NOT NULL,
  warning_count INTEGER NOT NULL,
  size INTEGER NOT NULL,
  sha256 TEXT NOT NULL,
  log BLOB NOT NULL,
  email TEXT NOT NULL,
  client_address TEXT NOT NULL,
  file_name TEXT NOT NULL
);
CREATE INDEX uploads_by_entrant ON uploads(entrant, id);
CREATE TABLE warnings (
  upload_id INTEGER NOT NULL REFERENCES uploads(id),
  seq INTEGER NOT NULL,
  line INTEGER NOT NULL,
  message TEXT NOT NULL,
  line_text TEXT NOT NULL,
  PRIMARY KEY (upload_id, seq)
) WITHOUT ROWID;
)";

constexpr const char* kUploadColumns =
    "id, receipt, received_utc, call, entrant, category, claimed_score, qso_lines, score, warning_count, size, "
    "sha256, email, client_address, file_name";

struct SqliteError : std::runtime_error {
    SqliteError(const std::string& what, int code) : std::runtime_error(what), code(code) {}
    int code;
};

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw SqliteError(sqlite3_errmsg(db), sqlite3_errcode(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, const std::string& text) {
        check(sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int i, const std::string& bytes) {
        check(sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bind(int i, std::int64_t value) {
        check(sqlite3_bind_int64(stmt_, i, value));
        return *this;
    }
    // Ready to run again with new values.
    void reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw SqliteError(sqlite3_errmsg(db_), rc);
    }
    std::string text(int i) const {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))) : std::string();
    }
    std::int64_t integer(int i) const { return sqlite3_column_int64(stmt_, i); }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) throw SqliteError(sqlite3_errmsg(db_), rc);
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string what = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw SqliteError(what, sqlite3_errcode(db));
    }
}

std::int64_t pragmaNumber(sqlite3* db, const char* sql) {
    Statement s(db, sql);
    return s.step() ? s.integer(0) : 0;
}

Upload uploadFromRow(const Statement& s) {
    Upload u;
    u.id = s.integer(0);
    u.receipt = s.text(1);
    u.receivedUtc = s.text(2);
    u.call = s.text(3);
    u.entrant = s.text(4);
    u.category = s.text(5);
    u.claimedScore = s.text(6);
    u.qsoLines = static_cast<int>(s.integer(7));
    u.score = static_cast<std::int32_t>(s.integer(8));
    u.warningCount = static_cast<int>(s.integer(9));
    u.size = s.integer(10);
    u.sha256 = s.text(11);
    u.email = s.text(12);
    u.clientAddress = s.text(13);
    u.fileName = s.text(14);
    return u;
}

}  // namespace

class Store::Connection {
public:
    Connection(const std::string& path, Mode mode) {
        const int flags = SQLITE_OPEN_READWRITE | (mode == Mode::Serve ? SQLITE_OPEN_CREATE : 0) |
                          SQLITE_OPEN_NOMUTEX;
        const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string what = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
            sqlite3_close(db);
            db = nullptr;
            throw SqliteError("cannot open " + path + ": " + what, rc);
        }
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // Every commit reaches the disk before it returns: the receipt follows the commit.
        try {
            exec(db, "PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
        } catch (...) {
            sqlite3_close(db);  // no destructor runs for a constructor that throws
            throw;
        }
    }
    ~Connection() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

std::string entrantOf(const std::string& call) {
    std::size_t b = 0, e = call.size();
    while (b < e && (call[b] == ' ' || call[b] == '\t')) ++b;
    while (e > b && (call[e - 1] == ' ' || call[e - 1] == '\t')) --e;
    std::string out = call.substr(b, e - b);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string utcText(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

std::unique_ptr<Store> Store::open(const std::string& path, Mode mode, std::string& error) {
    std::unique_ptr<Store> store(new Store(path, mode));
    try {
        store->writer_ = std::make_unique<Connection>(path, mode);
        sqlite3* db = store->writer_->db;
        exec(db, "BEGIN IMMEDIATE");
        try {
            const std::int64_t version = pragmaNumber(db, "PRAGMA user_version");
            const std::int64_t appId = pragmaNumber(db, "PRAGMA application_id");
            const std::int64_t tables = pragmaNumber(db, "SELECT count(*) FROM sqlite_master");
            if (version == 0 && appId == 0 && tables == 0) {
                if (mode == Mode::Read) throw std::runtime_error(path + " holds no robot database (it is empty)");
                exec(db, kSchema);
                exec(db, ("PRAGMA application_id=" + std::to_string(kApplicationId) + "; PRAGMA user_version=" +
                          std::to_string(kSchemaVersion) + ";")
                             .c_str());
            } else if (appId != kApplicationId) {
                throw std::runtime_error(path + " is not a velmor robot database");
            } else if (version > kSchemaVersion) {
                throw std::runtime_error(path + " has schema version " + std::to_string(version) +
                                         "; this velmor knows versions up to " + std::to_string(kSchemaVersion) +
                                         " (a newer release made it)");
            } else if (version < 1) {
                throw std::runtime_error(path + " has no schema version: not a velmor robot database");
            }
            // Later schema versions migrate here, one step per version, inside this transaction.
            exec(db, "COMMIT");
        } catch (...) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        if (mode == Mode::Serve) exec(db, "PRAGMA journal_mode=WAL");
    } catch (const std::exception& e) {
        error = e.what();
        const std::string notDb = "file is not a database";
        if (error.find(notDb) != std::string::npos && error.find(path) == std::string::npos)
            error = path + ": " + error;
        return nullptr;
    }
    return store;
}

Store::Store(std::string path, Mode mode) : path_(std::move(path)), mode_(mode) {}

Store::~Store() = default;

std::unique_ptr<Store::Connection> Store::acquire() {
    {
        std::lock_guard<std::mutex> lock(poolMutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Connection> c = std::move(idle_.back());
            idle_.pop_back();
            return c;
        }
    }
    return std::make_unique<Connection>(path_, mode_);
}

void Store::release(std::unique_ptr<Connection> c) {
    std::lock_guard<std::mutex> lock(poolMutex_);
    idle_.push_back(std::move(c));
}

namespace {

// One row of `uploads` and its warnings, inside the caller's transaction.
void insertRow(sqlite3* db, Upload& u) {
    Statement s(db,
                "INSERT INTO uploads (receipt, received_utc, call, entrant, category, claimed_score, qso_lines, "
                "score, warning_count, size, sha256, log, email, client_address, file_name) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
    s.bind(1, u.receipt).bind(2, u.receivedUtc).bind(3, u.call).bind(4, u.entrant).bind(5, u.category);
    s.bind(6, u.claimedScore).bind(7, std::int64_t{u.qsoLines}).bind(8, std::int64_t{u.score});
    s.bind(9, std::int64_t{u.warningCount}).bind(10, static_cast<std::int64_t>(u.log.size()));
    s.bind(11, u.sha256).bindBlob(12, u.log).bind(13, u.email).bind(14, u.clientAddress);
    s.bind(15, u.fileName);
    s.step();
    u.id = sqlite3_last_insert_rowid(db);
    Statement w(db, "INSERT INTO warnings (upload_id, seq, line, message, line_text) VALUES (?1, ?2, ?3, ?4, ?5)");
    const std::size_t n = std::min(u.warnings.size(), kMaxStoredWarnings);
    for (std::size_t i = 0; i < n; ++i) {
        w.reset();
        w.bind(1, u.id).bind(2, static_cast<std::int64_t>(i)).bind(3, std::int64_t{u.warnings[i].line});
        w.bind(4, u.warnings[i].message).bind(5, u.warnings[i].lineText);
        w.step();
    }
}

void prepare(Upload& u, std::int64_t nowSeconds) {
    u.entrant = entrantOf(u.call);
    u.receivedUtc = utcText(nowSeconds);
    u.warningCount = std::max(u.warningCount, static_cast<int>(u.warnings.size()));
    u.size = static_cast<std::int64_t>(u.log.size());
    u.receipt = newReceiptCode();
}

}  // namespace

// Uploads that arrive while a commit is under way wait for the next one, which stores them
// all in one transaction: one sync to the disk for many receipts (group commit). Each
// caller returns only when the commit holding its row is durable.
struct Store::Pending {
    Upload* upload;
    std::int64_t now;
    std::string error;
    bool done = false;
};

std::string Store::insert(Upload& u, std::int64_t nowSeconds) {
    Pending mine{&u, nowSeconds, {}};
    std::unique_lock<std::mutex> lock(queueMutex_);
    queue_.push_back(&mine);
    while (!mine.done) {
        if (committing_) {
            queueDone_.wait(lock);
            continue;
        }
        // This thread commits whatever waits, its own upload among it.
        committing_ = true;
        std::vector<Pending*> batch;
        while (!queue_.empty() && batch.size() < kMaxBatch) {
            batch.push_back(queue_.front());
            queue_.pop_front();
        }
        lock.unlock();
        commitBatch(batch);
        lock.lock();
        for (Pending* p : batch) p->done = true;
        committing_ = false;
        queueDone_.notify_all();
    }
    return mine.error;
}

void Store::commitBatch(const std::vector<Pending*>& batch) {
    sqlite3* db = writer_->db;
    const auto fail = [](Pending* p, const std::exception& e) {
        p->error = std::string("the database did not store the log: ") + e.what();
    };
    bool committing = false;
    try {
        exec(db, "BEGIN IMMEDIATE");
        try {
            for (Pending* p : batch) {
                prepare(*p->upload, p->now);
                insertRow(db, *p->upload);
            }
            committing = true;
            exec(db, "COMMIT");
            return;
        } catch (...) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const std::exception& e) {
        // A failed COMMIT is reported to every upload of the batch (they are sent again);
        // never stored a second time on a guess that it did not reach the disk.
        if (committing || batch.size() == 1) {
            const auto* sqlite = dynamic_cast<const SqliteError*>(&e);
            const bool clash = !committing && sqlite && sqlite->code == SQLITE_CONSTRAINT_UNIQUE;
            if (!clash) {
                for (Pending* p : batch) fail(p, e);
                return;
            }
        }
    }
    // A row failed before the commit: each upload on its own, so that one cannot fail the
    // others; a receipt code equal to an earlier one (never seen) gets a new one.
    for (Pending* p : batch) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            try {
                prepare(*p->upload, p->now);
                exec(db, "BEGIN IMMEDIATE");
                try {
                    insertRow(db, *p->upload);
                    exec(db, "COMMIT");
                } catch (...) {
                    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                    throw;
                }
                p->error.clear();
                break;
            } catch (const SqliteError& e) {
                fail(p, e);
                if (e.code != SQLITE_CONSTRAINT_UNIQUE) break;
            } catch (const std::exception& e) {
                fail(p, e);
                break;
            }
        }
    }
}

std::optional<Upload> Store::findReceipt(const std::string& code, std::string& error) {
    error.clear();
    std::unique_ptr<Connection> c;
    try {
        c = acquire();
        std::optional<Upload> found;
        exec(c->db, "BEGIN");
        try {
            Statement s(c->db, (std::string("SELECT ") + kUploadColumns + " FROM uploads WHERE receipt = ?1").c_str());
            s.bind(1, code);
            if (s.step()) {
                found = uploadFromRow(s);
                Statement w(c->db, "SELECT line, message, line_text FROM warnings WHERE upload_id = ?1 ORDER BY seq");
                w.bind(1, found->id);
                while (w.step()) found->warnings.push_back({static_cast<int>(w.integer(0)), w.text(1), w.text(2)});
            }
        } catch (...) {
            sqlite3_exec(c->db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        exec(c->db, "COMMIT");
        release(std::move(c));
        return found;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

std::vector<EntrantSummary> Store::entrants(std::string& error) {
    error.clear();
    std::vector<EntrantSummary> out;
    try {
        std::unique_ptr<Connection> c = acquire();
        {
            Statement s(c->db,
                        "SELECT u.call, u.category, u.qso_lines, u.received_utc, n.uploads FROM uploads u JOIN "
                        "(SELECT max(id) AS id, count(*) AS uploads FROM uploads GROUP BY entrant) n ON u.id = n.id "
                        "ORDER BY u.entrant");
            while (s.step())
                out.push_back({s.text(0), s.text(1), static_cast<int>(s.integer(2)), s.text(3),
                               static_cast<int>(s.integer(4))});
        }
        release(std::move(c));
    } catch (const std::exception& e) {
        error = e.what();
        out.clear();
    }
    return out;
}

std::vector<Upload> Store::latestLogs(std::string& error) {
    error.clear();
    std::vector<Upload> out;
    try {
        std::unique_ptr<Connection> c = acquire();
        {
            Statement s(c->db, (std::string("SELECT ") + kUploadColumns +
                                ", log FROM uploads WHERE id IN (SELECT max(id) FROM uploads GROUP BY entrant) "
                                "ORDER BY entrant")
                                   .c_str());
            while (s.step()) {
                out.push_back(uploadFromRow(s));
                out.back().log = s.text(15);
            }
        }
        release(std::move(c));
    } catch (const std::exception& e) {
        error = e.what();
        out.clear();
    }
    return out;
}

bool Store::healthy() {
    try {
        std::unique_ptr<Connection> c = acquire();
        {
            Statement s(c->db, "SELECT count(*) FROM (SELECT 1 FROM uploads LIMIT 1)");
            s.step();
        }
        release(std::move(c));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace velmor::robot
