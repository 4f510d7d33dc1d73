// The robot's database: every accepted upload with its exact bytes, in SQLite (WAL mode,
// full synchronous commits, so a receipt is sent only for an upload that is on disk).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace velmor::robot {

// Schema, version 1 (PRAGMA user_version; PRAGMA application_id is 0x564C4D52, "VLMR"):
//
// | table    | column         | content                                                  |
// |----------|----------------|----------------------------------------------------------|
// | uploads  | id             | order of arrival (the later id supersedes for export)     |
// |          | receipt        | the receipt code, unique                                 |
// |          | received_utc   | "2026-05-20T12:34:56Z"                                   |
// |          | call           | CALLSIGN as written (no blanks at the ends)              |
// |          | entrant        | the call in upper case: one entrant per value             |
// |          | category       | as crosscheck reads it                                   |
// |          | qso_lines      | lines tagged QSO:                                        |
// |          | claimed_score  | CLAIMED-SCORE as written                                 |
// |          | score          | the score velmor score computes                          |
// |          | warning_count  | all warnings (the first 500 are in `warnings`)            |
// |          | size, sha256   | of the bytes                                             |
// |          | log            | the bytes exactly as received (BLOB)                     |
// |          | email          | the form's e-mail field ("" when empty)                  |
// |          | client_address | the peer's address as the server saw it                  |
// |          | file_name      | the name the browser gave (at most 255 bytes; never used |
// |          |                | on disk)                                                 |
// | warnings | upload_id, seq | the upload and the warning's place among its warnings    |
// |          | line, message, | velmor check's warning, its line and the line's text     |
// |          | line_text      | (its first 1024 bytes)                                   |

inline constexpr int kSchemaVersion = 1;
inline constexpr std::size_t kMaxStoredWarnings = 500;

struct StoredWarning {
    int line = 0;
    std::string message;
    std::string lineText;
};

struct Upload {
    std::int64_t id = 0;
    std::string receipt;
    std::string receivedUtc;
    std::string call;
    std::string entrant;
    std::string category;
    std::string claimedScore;
    int qsoLines = 0;
    std::int32_t score = 0;
    std::vector<StoredWarning> warnings;
    int warningCount = 0;
    std::int64_t size = 0;
    std::string sha256;
    std::string email;
    std::string clientAddress;
    std::string fileName;
    std::string log;  // the bytes; filled by insert's caller and by latestLogs
};

// One line of the public list: the entrant's latest upload.
struct EntrantSummary {
    std::string call;
    std::string category;
    int qsoLines = 0;
    std::string receivedUtc;  // of the latest upload
    int uploads = 0;
};

// The entrant key of a call: without blanks at the ends, in upper case (ASCII letters).
std::string entrantOf(const std::string& call);

// "2026-05-20T12:34:56Z" for seconds since the epoch.
std::string utcText(std::int64_t seconds);

class Store {
public:
    enum class Mode {
        Serve,  // create the file and its schema when missing
        Read,   // the file must exist and hold a robot database
    };
    // Opens (and in Serve mode creates) the database; nullptr and `error` on failure.
    static std::unique_ptr<Store> open(const std::string& path, Mode mode, std::string& error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Stores `upload`, giving it its id, receipt code and time; returns only when the
    // commit is durable. Empty string, or the reason it was not stored. Thread-safe: uploads
    // stored at the same time share one commit.
    std::string insert(Upload& upload, std::int64_t nowSeconds);

    // The upload with receipt `code` (without its bytes); nullopt when there is none or on
    // a failure. `error` is empty, or the failure (as for the two below).
    std::optional<Upload> findReceipt(const std::string& code, std::string& error);
    // Every entrant's latest upload, by entrant.
    std::vector<EntrantSummary> entrants(std::string& error);
    // Every entrant's latest upload with its bytes, by entrant (export, crosscheck --db).
    std::vector<Upload> latestLogs(std::string& error);
    // Whether the database answers a query.
    bool healthy();

    const std::string& path() const { return path_; }

private:
    class Connection;
    struct Pending;
    static constexpr std::size_t kMaxBatch = 64;
    Store(std::string path, Mode mode);
    void commitBatch(const std::vector<Pending*>& batch);
    std::unique_ptr<Connection> acquire();
    void release(std::unique_ptr<Connection> c);

    std::string path_;
    Mode mode_;
    std::unique_ptr<Connection> writer_;  // used by the one committing thread (other processes wait on
                                          // SQLite's busy timeout)
    std::mutex queueMutex_;
    std::condition_variable queueDone_;
    std::deque<Pending*> queue_;
    bool committing_ = false;
    std::mutex poolMutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace velmor::robot
