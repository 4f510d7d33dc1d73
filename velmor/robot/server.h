// The robot's web service: the routes, their limits and the request log, on cpp-httplib.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "robot/storage.h"

namespace velmor::robot {

// | route              | answer                                                              |
// |--------------------|---------------------------------------------------------------------|
// | GET /              | the upload form (200)                                               |
// | POST /upload       | multipart/form-data, fields "log" and "email": 200 receipt, or     |
// |                    | 400 unreadable body, no log, two logs, bad e-mail; 403 after the    |
// |                    | deadline; 408 upload too slow; 411 no Content-Length; 413 over      |
// |                    | --max-bytes; 415 not multipart; 422 the log's errors; 429 over the  |
// |                    | rate limit (Retry-After); 503 the database did not store it         |
// | GET /upload        | 405 (Allow: POST)                                                   |
// | GET /receipt/CODE  | the receipt (200), 404 for an unknown code                          |
// | GET /logs          | every entrant's latest upload: call, category, QSO lines, time      |
// | GET /healthz       | "ok" (200) when the database answers, else 503                     |
// | GET /style.css     | the pages' style sheet                                              |
//
// Pages are HTML when the request's Accept names text/html, else plain text (curl). Every
// answer carries a strict Content-Security-Policy and nosniff; one line per request goes to
// the log stream.
struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 8080;                     // 0: any free port
    std::optional<std::int64_t> closesAt;  // first second (UTC, since the epoch) uploads are refused
    std::string deadline;                // the deadline as the pages show it
    std::size_t maxBytes = 2 * 1024 * 1024;
    int rateLimit = 20;                  // uploads per address and minute; 0: no limit
    std::vector<std::string> otherContests;
    int threads = 32;                    // connections served at once
    int readTimeoutSeconds = 10;         // each read from a client
    int writeTimeoutSeconds = 10;        // each write to a client
    int uploadSeconds = 120;             // the whole body of one upload
};

// Seconds since the epoch, UTC.
using Clock = std::function<std::int64_t()>;
std::int64_t systemSeconds();

class Server {
public:
    Server(Store& store, ServerOptions options, std::ostream& log, Clock clock = systemSeconds);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the address; the port bound, or -1 and `error`.
    int bind(std::string& error);
    // Serves until stop() (from another thread or a signal's thread). Writes to closed
    // connections must not end the process, so SIGPIPE is ignored from here on.
    bool run();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::robot
