// velmor crosscheck end to end (read every log, apply the rules, write every output) on
// seeded synthetic contests of 500 QSO lines per log: 200 logs (100,000 lines) and 2,000
// logs (1,000,000 lines). Run through scripts/bench-crosscheck.sh.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <sstream>

#include "alloc_counter.h"
#include "crosscheck/crosscheck_run.h"
#include "crosscheck/synthetic_contest.h"

namespace {

namespace fs = std::filesystem;
using namespace velmor::crosscheck;

constexpr std::uint32_t kQsosPerLog = 500;

// The contest's logs on disk, written once per size and kept for later runs.
std::string contestDir(std::uint32_t logs) {
    const std::string dir = std::string(VELMOR_BENCH_DATA_DIR) + "/" + std::to_string(logs) + "x" +
                            std::to_string(kQsosPerLog);
    if (!fs::exists(dir + "/logs/expected.csv")) {
        SyntheticOptions o;
        o.seed = 2026;
        o.entrants = logs;
        o.qsosPerLog = kQsosPerLog;
        const std::string error = writeSyntheticContest(makeSyntheticContest(o), dir + "/logs");
        if (!error.empty()) throw std::runtime_error(error);
    }
    return dir;
}

RunOutcome runOnce(const std::string& dir) {
    RunOptions o;
    o.logs = {dir + "/logs"};
    o.outDir = dir + "/out";
    o.periodStart = kSyntheticPeriodStart;
    o.periodEnd = kSyntheticPeriodEnd;
    std::ostringstream messages;
    return runCrosscheck(o, messages);
}

void crosscheck(benchmark::State& state) {
    const auto logs = static_cast<std::uint32_t>(state.range(0));
    const std::string dir = contestDir(logs);
    const double lines = static_cast<double>(logs) * kQsosPerLog;

    // One untimed run for the heap: the highest use above what was in use before.
    const std::size_t before = velmor::bench::liveHeapBytes();
    velmor::bench::resetPeak();
    if (runOnce(dir) != RunOutcome::AllRead) state.SkipWithError("crosscheck failed");
    state.counters["peak_heap_B_per_line"] = static_cast<double>(velmor::bench::peakHeapBytes() - before) / lines;

    for (auto _ : state) benchmark::DoNotOptimize(runOnce(dir));
    state.counters["lines"] = lines;
    state.counters["ns_per_line"] =
        benchmark::Counter(lines * static_cast<double>(state.iterations()) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(crosscheck)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
