// velmor robot's uploads per second: a 300-QSO log sent over HTTP on the loopback address
// by 1 to 16 clients at once to a server in this process (checked with velmor check's rules,
// scored, stored with a durable commit, answered with a receipt), and the two halves alone:
// the review of one log, and one durable insert. Run through scripts/bench-robot.sh.
#include <benchmark/benchmark.h>

#include <httplib.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "crosscheck/synthetic_contest.h"
#include "robot/log_review.h"
#include "robot/receipt_code.h"
#include "robot/server.h"
#include "robot/storage.h"

namespace {

namespace fs = std::filesystem;
using namespace velmor::robot;

// A 300-QSO log of the seeded synthetic contest (no injected faults: the robot takes it).
const std::string& theLog() {
    static const std::string log = [] {
        velmor::crosscheck::SyntheticOptions o;
        o.seed = 300;
        o.entrants = 8;
        o.qsosPerLog = 300;
        o.faultChance = 0;
        return velmor::crosscheck::makeSyntheticContest(o).logs[0].text;
    }();
    return log;
}

// One server for the whole run, on a fresh database.
struct Service {
    Service() {
        const std::string dir = std::string(VELMOR_BENCH_DATA_DIR) + "/robot-bench";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::string error;
        store = Store::open(dir + "/robot.db", Store::Mode::Serve, error);
        if (!store) throw std::runtime_error(error);
        ServerOptions o;
        o.port = 0;
        o.rateLimit = 0;
        server = std::make_unique<Server>(*store, o, log);
        port = server->bind(error);
        if (port <= 0) throw std::runtime_error(error);
        thread = std::thread([this] { server->run(); });
    }
    ~Service() {
        server->stop();
        thread.join();
    }
    std::unique_ptr<Store> store;
    std::ostringstream log;  // the request log, one line per upload, kept in memory
    std::unique_ptr<Server> server;
    std::thread thread;
    int port = 0;
};

Service& service() {
    static Service s;
    return s;
}

void upload(benchmark::State& state) {
    Service& s = service();
    httplib::Client cli("127.0.0.1", s.port);
    cli.set_keep_alive(true);
    cli.set_tcp_nodelay(true);  // as browsers send
    cli.set_read_timeout(60, 0);
    const httplib::MultipartFormDataItems items{{"log", theLog(), "log.cbr", "application/octet-stream"}};
    for (auto _ : state) {
        const httplib::Result r = cli.Post("/upload", items);
        if (!r || r->status != 200) {
            state.SkipWithError(r ? ("status " + std::to_string(r->status) + ": " + r->body).c_str()
                                : ("no answer: " + httplib::to_string(r.error())).c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(upload)->ThreadRange(1, 16)->UseRealTime()->MinTime(2.0)->Unit(benchmark::kMillisecond);

void review(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(reviewLog(theLog(), {}));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(review)->Unit(benchmark::kMicrosecond);

void store(benchmark::State& state) {
    Service& s = service();
    for (auto _ : state) {
        Upload u;
        u.call = "BENCH";
        u.log = theLog();
        u.sha256 = sha256Hex(u.log);
        const std::string error = s.store->insert(u, 1779000000);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(store)->UseRealTime()->MinTime(1.0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
