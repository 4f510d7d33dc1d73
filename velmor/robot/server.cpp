// The robot's web service on cpp-httplib (Debian's libcpp-httplib).
#include "robot/server.h"

#include <httplib.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "services/shown_text.h"
#include "robot/intake.h"
#include "robot/log_review.h"
#include "robot/pages.h"
#include "robot/rate_limit.h"
#include "robot/receipt_code.h"

namespace velmor::robot {
namespace {

using httplib::Request;
using httplib::Response;

constexpr const char* kSecurityPolicy =
    "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; base-uri 'none'; "
    "frame-ancestors 'none'";
// Room for the multipart envelope and the e-mail field around a log of --max-bytes.
constexpr std::size_t kEnvelopeBytes = 64 * 1024;
constexpr std::size_t kMaxEmailBytes = 254;
constexpr std::size_t kMaxFileNameBytes = 255;
// A warning's line is kept this long (the pages show less of it).
constexpr std::size_t kStoredLineBytes = 1024;
// A Content-Length far beyond what is taken is refused before its body is read.
constexpr std::size_t kDrainFactor = 4;

// Reviews run at most this many at a time: each holds the parsed log in memory.
class Gate {
public:
    explicit Gate(unsigned n) : free_(n) {}
    void enter() {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return free_ > 0; });
        --free_;
    }
    void leave() {
        {
            std::lock_guard<std::mutex> lock(m_);
            ++free_;
        }
        cv_.notify_one();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    unsigned free_;
};

// What the request log adds after the status: set by the handler, read by the logger,
// which httplib calls on the same thread right after the answer is written.
thread_local std::string tNote;

Format formatOf(const Request& req) {
    return req.get_header_value("Accept").find("text/html") != std::string::npos ? Format::Html : Format::Text;
}

void answer(Response& res, const Page& page) {
    res.status = page.status;
    res.set_content(page.body, page.contentType);
}

void refuse(const Request& req, Response& res, int status, const std::string& reason) {
    answer(res, errorPage(status, reason, formatOf(req)));
    tNote = "refused: " + reason;
}

// Untrusted text for the one-line request log: printable ASCII, the rest as \xNN, cut.
std::string logSafe(std::string_view s, std::size_t limit = 160) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < s.size() && out.size() < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (out.size() >= limit) out += "...";
    return out;
}

bool plausibleEmail(const std::string& s) {
    const std::size_t at = s.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= s.size() || s.find('@', at + 1) != std::string::npos)
        return false;
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F || c == '<' || c == '>' || c == '"' || c == '\\' || c == ',') return false;
    }
    return true;
}

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

}  // namespace

std::int64_t systemSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

struct Server::Impl {
    Impl(Store& store, ServerOptions options, std::ostream& log, Clock clock)
        : store(store),
          options(std::move(options)),
          log(log),
          clock(std::move(clock)),
          limiter(this->options.rateLimit),
          gate(std::max(2u, std::thread::hardware_concurrency())) {}

    Store& store;
    const ServerOptions options;
    std::ostream& log;
    std::mutex logMutex;
    Clock clock;
    RateLimiter limiter;
    Gate gate;
    httplib::Server http;
    int listenSocket = -1;

    std::size_t payloadLimit() const { return options.maxBytes + kEnvelopeBytes; }

    SiteInfo site() const {
        SiteInfo s;
        s.deadline = options.deadline;
        s.closed = options.closesAt && clock() >= *options.closesAt;
        s.maxBytes = options.maxBytes;
        s.otherContests = options.otherContests;
        return s;
    }

    void writeLog(const Request& req, const Response& res) {
        std::string line = utcText(clock()) + " " + (req.remote_addr.empty() ? "-" : req.remote_addr) + " \"" +
                           (req.method.empty() ? "-" : logSafe(req.method, 16)) + " " +
                           (req.path.empty() ? "-" : logSafe(req.path)) + "\" " + std::to_string(res.status) + " " +
                           std::to_string(res.body.size());
        if (!tNote.empty()) line += " " + logSafe(tNote, 300);
        tNote.clear();
        line += "\n";
        std::lock_guard<std::mutex> lock(logMutex);
        log << line << std::flush;
    }

    // 411 or 413 (the answer set) when the request's body is not to be read: no length, a
    // chunked body, or a length over `limit`; else 0.
    int bodyRefusal(const Request& req, Response& res, std::size_t limit) {
        if (req.has_header("Transfer-Encoding") || !req.has_header("Content-Length")) {
            refuse(req, res, 411, "the request must say its length (Content-Length) and not be chunked");
            return 411;
        }
        const std::string length = req.get_header_value("Content-Length");
        const bool digits = !length.empty() && length.size() <= 18 &&
                            length.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoull(length) > limit) {
            refuse(req, res, 413, "the upload is larger than this robot takes: a log of at most " +
                                      sizeText(options.maxBytes));
            return 413;
        }
        return 0;
    }

    void upload(const Request& req, Response& res, const httplib::ContentReader& reader);
    void setUp();
};

void Server::Impl::upload(const Request& req, Response& res, const httplib::ContentReader& reader) {
    const std::int64_t arrived = clock();
    const auto started = std::chrono::steady_clock::now();
    const auto tooSlow = [&] {
        return std::chrono::steady_clock::now() - started > std::chrono::seconds(options.uploadSeconds);
    };
    // The body is read whole (it is bounded), so that every answer reaches the client on a
    // connection in a clean state; only the log and the e-mail are kept, each to its bound.
    std::string log, email, fileName, part;
    int logParts = 0;
    bool logTooBig = false, slow = false;
    bool read = true;
    if (req.is_multipart_form_data()) {
        read = reader(
            [&](const httplib::MultipartFormData& header) {
                part = header.name;
                if (part == "log") {
                    ++logParts;
                    if (logParts == 1) fileName = header.filename.substr(0, kMaxFileNameBytes);
                }
                return true;
            },
            [&](const char* data, std::size_t n) {
                if (tooSlow()) {
                    slow = true;
                    return false;
                }
                if (part == "log" && logParts == 1) {
                    if (logTooBig || log.size() + n > options.maxBytes)
                        logTooBig = true;
                    else
                        log.append(data, n);
                } else if (part == "email" && email.size() <= kMaxEmailBytes) {
                    email.append(data, std::min(n, kMaxEmailBytes + 1 - email.size()));
                }
                return true;
            });
    } else {
        read = reader([&](const char*, std::size_t) {
            slow = tooSlow();
            return !slow;
        });
    }
    // A Content-Length over the payload limit: httplib has read past the body and said 413.
    const bool overPayload = !read && res.status == 413;

    if (overPayload || logTooBig)
        return refuse(req, res, 413, "the upload is larger than this robot takes: a log of at most " +
                                         sizeText(options.maxBytes));
    if (slow) {
        res.set_header("Connection", "close");  // the rest of the body is left unread
        return refuse(req, res, 408, "the upload took longer than " + std::to_string(options.uploadSeconds) +
                                         " seconds");
    }
    if (!read) return refuse(req, res, 400, "the request's body could not be read as multipart/form-data");
    if (!req.is_multipart_form_data())
        return refuse(req, res, 415, "send the log as multipart/form-data with the file in the field \"log\" "
                                     "(the form on / does this)");
    if (const int wait = limiter.admit(req.remote_addr, arrived)) {
        res.set_header("Retry-After", std::to_string(wait));
        return refuse(req, res, 429, "too many uploads from your address: at most " +
                                         std::to_string(options.rateLimit) + " a minute; try again in " +
                                         std::to_string(wait) + " seconds");
    }
    if (options.closesAt && arrived >= *options.closesAt)
        return refuse(req, res, 403, "the deadline, " + options.deadline + ", has passed: logs are no longer taken");
    if (logParts == 0 || (log.empty() && fileName.empty()))
        return refuse(req, res, 400, "no log: the file goes in the field \"log\"");
    if (logParts > 1) return refuse(req, res, 400, "more than one file in the field \"log\": send one log at a time");
    email = trimmed(email);
    if (email.size() > kMaxEmailBytes) return refuse(req, res, 400, "the e-mail address is longer than 254 bytes");
    if (!email.empty() && !plausibleEmail(email))
        return refuse(req, res, 400, "the e-mail field does not hold an e-mail address");

    IntakeLimits limits;
    limits.maxBytes = options.maxBytes;
    if (const std::optional<IntakeRefusal> r = screenUpload(log, limits)) return refuse(req, res, r->status, r->reason);

    gate.enter();
    LogReview review;
    try {
        review = reviewLog(textOf(log), options.otherContests);
    } catch (...) {
        gate.leave();
        throw;
    }
    gate.leave();
    if (review.refused()) {
        answer(res, rejectionPage(review.findings, formatOf(req)));
        std::size_t errors = 0;
        for (const ReviewFinding& f : review.findings) errors += f.error;
        tNote = "refused: " + std::to_string(errors) + " errors";
        return;
    }

    Upload u;
    u.call = review.call;
    u.category = review.category;
    u.claimedScore = review.claimedScore;
    u.qsoLines = review.qsoLines;
    u.score = review.score;
    for (const ReviewFinding& f : review.findings) {
        ++u.warningCount;
        if (u.warnings.size() < kMaxStoredWarnings)
            u.warnings.push_back({f.line, f.message, shown::shortened(f.lineText, kStoredLineBytes)});
    }
    u.sha256 = sha256Hex(log);
    u.email = email;
    u.clientAddress = req.remote_addr;
    u.fileName = fileName;
    u.log = std::move(log);
    const std::string error = store.insert(u, clock());
    if (!error.empty()) {
        res.set_header("Retry-After", "10");
        refuse(req, res, 503, "the log was not stored (the database did not answer); nothing was kept, send it again");
        tNote += " (" + error + ")";
        return;
    }
    answer(res, receiptPage(u, true, formatOf(req)));
    tNote = "receipt " + u.receipt + " call " + u.call;
}

void Server::Impl::setUp() {
    http.new_task_queue = [n = options.threads] { return new httplib::ThreadPool(static_cast<std::size_t>(n)); };
    // Answers go out at once (no waiting on the client's delayed acknowledgement).
    http.set_tcp_nodelay(true);
    http.set_read_timeout(options.readTimeoutSeconds, 0);
    http.set_write_timeout(options.writeTimeoutSeconds, 0);
    http.set_payload_max_length(payloadLimit());
    http.set_default_headers({{"Content-Security-Policy", kSecurityPolicy},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"},
                              {"X-Frame-Options", "DENY"},
                              {"Cache-Control", "no-store"}});

    // One robot per port: the library's default would also set SO_REUSEPORT, with which a
    // second robot on the same port starts silently and takes half the connections.
    http.set_socket_options([this](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listenSocket = sock;
    });

    // Bodies the library would read without bound (chunked, or without a length) and lengths
    // far beyond the limit are refused before a byte of the body is read; a client that asks
    // whether to send ("Expect: 100-continue") hears the refusal of any length over the limit
    // instead of "100 Continue".
    http.set_pre_routing_handler([this](const Request& req, Response& res) {
        if (req.method != "POST" && req.method != "PUT" && req.method != "PATCH") return httplib::Server::HandlerResponse::Unhandled;
        const int status = bodyRefusal(req, res, kDrainFactor * payloadLimit());
        if (status == 0) return httplib::Server::HandlerResponse::Unhandled;
        // The body is left unread: no further request is taken from this connection.
        res.set_header("Connection", "close");
        return httplib::Server::HandlerResponse::Handled;
    });
    http.set_expect_100_continue_handler([this](const Request& req, Response& res) {
        const int status = bodyRefusal(req, res, payloadLimit());
        return status ? status : 100;
    });

    http.Get("/", [this](const Request&, Response& res) { answer(res, formPage(site())); });
    http.Get("/style.css", [](const Request&, Response& res) {
        res.set_content(std::string(styleSheet()), "text/css; charset=utf-8");
    });
    // Browsers ask for it on every page; there is none.
    http.Get("/favicon.ico", [](const Request&, Response& res) { res.status = 204; });
    http.Post("/upload", [this](const Request& req, Response& res, const httplib::ContentReader& reader) {
        upload(req, res, reader);
    });
    http.Get("/upload", [](const Request& req, Response& res) {
        res.set_header("Allow", "POST");
        refuse(req, res, 405, "send a log with the form on /");
    });
    http.Get("/receipt/([^/]*)", [this](const Request& req, Response& res) {
        std::string code = req.matches[1];
        for (char& c : code)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!isReceiptCode(code)) return refuse(req, res, 404, "no receipt has this code");
        std::string error;
        const std::optional<Upload> u = store.findReceipt(code, error);
        if (!error.empty()) return refuse(req, res, 503, "the database did not answer; try again");
        if (!u) return refuse(req, res, 404, "no receipt has this code");
        answer(res, receiptPage(*u, false, formatOf(req)));
    });
    http.Get("/logs", [this](const Request& req, Response& res) {
        std::string error;
        const std::vector<EntrantSummary> list = store.entrants(error);
        if (!error.empty()) return refuse(req, res, 503, "the database did not answer; try again");
        answer(res, logsPage(list, formatOf(req)));
    });
    http.Get("/healthz", [this](const Request&, Response& res) {
        const bool ok = store.healthy();
        res.status = ok ? 200 : 503;
        res.set_content(ok ? "ok\n" : "the database does not answer\n", "text/plain; charset=utf-8");
    });

    // Answers the library gives itself (unknown page, unreadable request, ...) get a reason
    // too; answers that already have one keep it.
    http.set_error_handler(httplib::Server::HandlerWithResponse([](const Request& req, Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        std::string reason = "the request was not accepted";
        if (res.status == 400) reason = "the request could not be read";
        if (res.status == 404) reason = "there is no page at this address";
        if (res.status == 413) reason = "the request is larger than this robot takes";
        if (res.status == 414) reason = "the address is too long";
        refuse(req, res, res.status, reason);
        return httplib::Server::HandlerResponse::Handled;
    }));
    http.set_exception_handler([](const Request& req, Response& res, std::exception_ptr ep) {
        std::string what = "unknown exception";
        try {
            if (ep) std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        refuse(req, res, 500, "the robot failed on this request; nothing was kept");
        tNote += " (" + what + ")";
    });
    http.set_logger([this](const Request& req, const Response& res) { writeLog(req, res); });
}

Server::Server(Store& store, ServerOptions options, std::ostream& log, Clock clock)
    : impl_(std::make_unique<Impl>(store, std::move(options), log, std::move(clock))) {
    impl_->setUp();
}

Server::~Server() = default;

int Server::bind(std::string& error) {
    const ServerOptions& o = impl_->options;
    int port = o.port;
    if (port == 0) {
        port = impl_->http.bind_to_any_port(o.host);
        if (port <= 0) port = -1;
    } else if (!impl_->http.bind_to_port(o.host, port)) {
        port = -1;
    }
    if (port < 0) {
        error = "cannot listen on " + o.host + ":" + std::to_string(o.port) + ": " + std::strerror(errno);
        return port;
    }
    // The library listens with a queue of 5 connections (fixed when it was built); a rush of
    // clients overflows that, and connections then fail. Listening again only makes the
    // queue longer.
    if (impl_->listenSocket >= 0) ::listen(impl_->listenSocket, SOMAXCONN);
    return port;
}

bool Server::run() {
    std::signal(SIGPIPE, SIG_IGN);
    return impl_->http.listen_after_bind();
}

void Server::stop() { impl_->http.stop(); }

}  // namespace velmor::robot
