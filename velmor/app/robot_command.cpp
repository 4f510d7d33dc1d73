// velmor robot: the contest's log-submission service (serve) and the committee's export;
// and the robot's database as a source of logs for crosscheck --db. The 64-bit Linux build
// only: the others keep the subcommand to say so.
#include <memory>

#include "commands.h"
#include "console.h"

#ifndef VELMOR_HAVE_ROBOT

namespace velmor::cli {

#ifdef _WIN32
constexpr const char* kWithoutRobot = "this Windows build does not have it";
#else
constexpr const char* kWithoutRobot = "this 32-bit build does not have it";
#endif

void setUpRobot(CLI::App& cmd, Run& run) {
    cmd.description(std::string("The contest's log-submission web service: Linux only (") + kWithoutRobot +
                    "; run the 64-bit Linux build of velmor on the committee's server).");
    cmd.allow_extras();
    cmd.callback([&run] {
        run = [] {
            report(std::string("velmor robot: error: the log robot runs on Linux only; ") + kWithoutRobot);
            return int(kExitUsage);
        };
    });
}

crosscheck::LogSource robotLogSource() { return nullptr; }

}  // namespace velmor::cli

#else

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

#include "crosscheck/crosscheck_run.h"
#include "robot/export.h"
#include "robot/pages.h"
#include "robot/server.h"
#include "robot/storage.h"
#include "services/shown_text.h"

namespace velmor::cli {
namespace {

struct ServeOptions {
    std::string db;
    std::string listen = "127.0.0.1:8080";
    std::string deadline;
    std::size_t maxBytes = 2 * 1024 * 1024;
    int rateLimit = 20;
    std::vector<std::string> contests;
};

constexpr std::size_t kMaxBytesCeiling = 64 * 1024 * 1024;

// "ADDR:PORT" or "[IPv6]:PORT".
bool parseListen(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const std::string digits = text.substr(colon + 1);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(digits);
    return !host.empty() && port <= 65535;
}

int runServe(const ServeOptions& o) {
    robot::ServerOptions s;
    if (!parseListen(o.listen, s.host, s.port)) {
        report("velmor robot serve: error: --listen takes ADDR:PORT, e.g. 127.0.0.1:8080 (port 0: any free port)");
        return kExitUsage;
    }
    if (!o.deadline.empty()) {
        const std::optional<std::int64_t> minute = crosscheck::parsePeriodTime(o.deadline);
        if (!minute) {
            report("velmor robot serve: error: --deadline takes a UTC time written like 2026-05-23T23:59");
            return kExitUsage;
        }
        // The deadline's minute is the last one taken.
        s.closesAt = (*minute + 1) * 60;
        s.deadline = o.deadline.substr(0, 10) + " " + o.deadline.substr(11) + " UTC";
    }
    if (o.maxBytes < 1 || o.maxBytes > kMaxBytesCeiling) {
        report("velmor robot serve: error: --max-bytes takes 1 to " + std::to_string(kMaxBytesCeiling) + " bytes");
        return kExitUsage;
    }
    if (o.rateLimit < 0) {
        report("velmor robot serve: error: --rate-limit takes 0 (no limit) or more uploads a minute");
        return kExitUsage;
    }
    s.maxBytes = o.maxBytes;
    s.rateLimit = o.rateLimit;
    s.otherContests = o.contests;

    std::string error;
    std::unique_ptr<robot::Store> store = robot::Store::open(o.db, robot::Store::Mode::Serve, error);
    if (!store) {
        report("velmor robot serve: error: " + error);
        return kExitFileError;
    }
    // SIGINT and SIGTERM stop the service in order (requests under way are answered): they
    // are taken by one thread, blocked in all others (the server's threads inherit the mask).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    robot::Server server(*store, s, std::cerr);
    const int port = server.bind(error);
    if (port < 0) {
        report("velmor robot serve: error: " + error);
        return kExitFileError;
    }
    const std::string shownHost = s.host.find(':') != std::string::npos ? "[" + s.host + "]" : s.host;
    report("velmor robot: listening on http://" + shownHost + ":" + std::to_string(port) + "/ (database " + o.db +
           ", logs up to " + robot::sizeText(s.maxBytes) +
           (s.deadline.empty() ? std::string() : ", deadline " + s.deadline) + ")");
    std::thread signals([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    const bool served = server.run();
    pthread_kill(signals.native_handle(), SIGTERM);  // wakes the thread when run() ended otherwise
    signals.join();
    report("velmor robot: stopped");
    return served ? kExitDone : kExitFileError;
}

struct ExportOptions {
    std::string db;
    std::string dir;
};

int runExport(const ExportOptions& o) {
    std::string error;
    std::unique_ptr<robot::Store> store = robot::Store::open(o.db, robot::Store::Mode::Read, error);
    if (!store) {
        report("velmor robot export: error: " + error);
        return kExitFileError;
    }
    std::vector<robot::EntrantLog> logs;
    error = robot::latestEntrantLogs(*store, logs);
    if (!error.empty()) {
        report("velmor robot export: error: " + o.db + ": " + error);
        return kExitFileError;
    }
    const robot::ExportReport result = robot::exportLogs(logs, o.dir, fileOps());
    std::string listing;
    for (const robot::EntrantLog& log : logs)
        listing += log.fileName + "\t" + shown::visible(log.upload.call) + "\t" + log.upload.receivedUtc + "\t" + log.upload.receipt + "\n";
    if (!writeStdout(listing)) return kExitFileError;
    for (const std::string& w : result.warnings) report("velmor robot export: warning: " + w);
    for (const std::string& e : result.errors) report("velmor robot export: error: " + e);
    report("velmor robot export: " + std::to_string(result.written) + " logs written to " + o.dir);
    return result.errors.empty() ? kExitDone : kExitFileError;
}

}  // namespace

void setUpRobot(CLI::App& cmd, Run& run) {
    CLI::App* robot = &cmd;
    robot->description(
        "The contest's log-submission web service (Linux): entrants upload their Cabrillo logs from a browser, "
        "each is checked at once with velmor check's rules and kept in an SQLite database with a receipt; the "
        "committee exports the latest log of every entrant for velmor crosscheck.");
    robot->require_subcommand(1);

    auto s = std::make_shared<ServeOptions>();
    CLI::App* serve = robot->add_subcommand(
        "serve",
        "Serve the upload form (/), uploads (POST /upload), receipts (/receipt/CODE), the list of logs received "
        "(/logs) and /healthz over plain HTTP (put a TLS reverse proxy in front of it on the Internet). Requests "
        "are logged one a line on standard error. SIGTERM or Ctrl-C stops it. Exit status: 0 stopped, 2 usage "
        "error, 3 the database or the address could not be opened.");
    serve->add_option("--db", s->db, "The SQLite database of the uploads (created when missing)")
        ->required()
        ->type_name("FILE");
    serve->add_option("--listen", s->listen, "Address and port to listen on (default 127.0.0.1:8080; port 0: any free port)")
        ->type_name("ADDR:PORT");
    serve->add_option("--deadline", s->deadline,
                      "Last minute (UTC) uploads are taken, e.g. 2026-05-23T23:59; later ones get 403")
        ->type_name("TIME");
    serve->add_option("--max-bytes", s->maxBytes, "Largest log taken, in bytes (default 2097152, 2 MiB); larger: 413")
        ->type_name("N");
    serve->add_option("--rate-limit", s->rateLimit,
                      "Uploads per minute from one address (default 20; 0: no limit, e.g. behind a proxy that "
                      "limits); more: 429")
        ->type_name("N");
    serve->add_option("--contest", s->contests,
                      "A name the CONTEST: line may give besides Velmor (repeatable); any other name is refused")
        ->type_name("NAME");
    serve->callback([s, &run] { run = [s] { return runServe(*s); }; });

    auto x = std::make_shared<ExportOptions>();
    CLI::App* exp = robot->add_subcommand(
        "export",
        "Write the latest accepted log of every entrant into DIR, byte for byte as received, one file per call "
        "(CALL.cbr by the project's file-name rule), ready for velmor crosscheck DIR; lists FILE, CALL, time "
        "received and receipt on standard output. Exit status: 0 done, 2 usage error, 3 the database could not "
        "be read or a file not written.");
    exp->add_option("--db", x->db, "The robot's database")->required()->type_name("FILE");
    exp->add_option("-o,--output", x->dir, "Folder for the logs (created when missing)")->required()->type_name("DIR");
    exp->callback([x, &run] { run = [x] { return runExport(*x); }; });
}

crosscheck::LogSource robotLogSource() {
    return [](const std::string& db, std::vector<crosscheck::NamedLog>& out) -> std::string {
        std::string error;
        std::unique_ptr<robot::Store> store = robot::Store::open(db, robot::Store::Mode::Read, error);
        if (!store) return error;
        std::vector<robot::EntrantLog> logs;
        error = robot::latestEntrantLogs(*store, logs);
        if (!error.empty()) return error;
        // Named as `velmor robot export` names the files, after the database.
        for (robot::EntrantLog& log : logs) out.push_back({db + ":" + log.fileName, std::move(log.upload.log)});
        return {};
    };
}

}  // namespace velmor::cli

#endif
