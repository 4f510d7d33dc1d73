// Host calls on generated logs, timed for the plug-in and for the plain-walk reference in the same run.
//
// Each operation is registered twice, "<operation>/plugin/<QSOs>" and
// "<operation>/reference/<QSOs>", so that every figure has its baseline beside it.
// scripts/bench.sh runs this program and prints the table of ratios.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "alloc_counter.h"
#include "qso_generator.h"
#include "reference_plugin.h"
#include "session/stats_plugin.h"

namespace velmor::bench {
namespace {

const char kOwnCall[] = "UA1ABC";

// Services that keep nothing that grows with the number of calls, so that millions of
// iterations measure the plug-in and not the fakes.
class FixedClock : public Clock {
public:
    CalendarTime utcNow() const override { return CalendarTime{2026, 6, 13, 12, 30, 0}; }
};

class SinkFiles : public FileSystem {
public:
    std::size_t bytesWritten = 0;
    bool writeFile(const std::string&, const std::string& bytes) override {
        bytesWritten += bytes.size();
        return true;
    }
    bool appendFile(const std::string&, const std::string& bytes) override {
        bytesWritten += bytes.size();
        return true;
    }
    std::optional<std::string> readFile(const std::string&) override { return std::nullopt; }
    std::string replaceFile(const std::string&, const std::string& bytes) override {
        bytesWritten += bytes.size();
        return {};
    }
};

class PlainSettings : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::string read(const std::string& key, const std::string& fallback) override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void write(const std::string& key, const std::string& value) override { values[key] = value; }
};

class ConfirmingUi : public Ui {
public:
    std::string lastOutput;
    bool editStationDetails(StationDetails&) override { return true; }
    void showOutput(const std::string& text) override { lastOutput = text; }
};

class NoLauncher : public Launcher {
public:
    void start(const std::string&) override {}
};

struct BenchServices {
    FixedClock clock;
    SinkFiles files;
    PlainSettings settings;
    ConfirmingUi ui;
    NoLauncher launcher;
    Services services() { return Services{clock, files, settings, ui, launcher}; }
};

const std::vector<QsoFields>& logOf(std::size_t count) {
    static std::map<std::size_t, std::vector<QsoFields>> logs;
    auto it = logs.find(count);
    if (it == logs.end()) it = logs.emplace(count, generateLog(count)).first;
    return it->second;
}

// One implementation with its own services, loaded with a generated log the way the
// host does it: ResetStats0, then one AddData0 per QSO.
template <typename Impl>
struct Loaded {
    BenchServices fakes;
    Impl impl{fakes.services()};
    Loaded(const std::vector<QsoFields>& log, std::int32_t writeCabrillo) {
        impl.ResetStats(writeCabrillo, kOwnCall);
        for (const QsoFields& q : log) impl.AddData(q);
    }
};

// Kept loaded between the benchmark's repetitions. `purpose` separates instances whose
// log a benchmark changes (removal) or that write the Cabrillo file.
enum class Purpose { Read, Remove, Cabrillo };

template <typename Impl>
Loaded<Impl>& loaded(std::size_t count, Purpose purpose) {
    static std::map<std::pair<std::size_t, Purpose>, std::unique_ptr<Loaded<Impl>>> cache;
    auto& slot = cache[{count, purpose}];
    if (!slot) slot = std::make_unique<Loaded<Impl>>(logOf(count), purpose == Purpose::Cabrillo ? 1 : 0);
    return *slot;
}

struct MemoryUse {
    double statePerQso = 0;  // heap held by the loaded state, per QSO
    double peakPerQso = 0;   // highest heap use while loading, per QSO
};

// Heap of a freshly loaded instance (log, band list, indexes and the object itself).
template <typename Impl>
MemoryUse memoryOf(std::size_t count) {
    static std::map<std::size_t, MemoryUse> measured;
    auto it = measured.find(count);
    if (it != measured.end()) return it->second;
    const std::vector<QsoFields>& log = logOf(count);
    const std::size_t before = liveHeapBytes();
    resetPeak();
    auto* instance = new Loaded<Impl>(log, 0);
    const std::size_t after = liveHeapBytes();
    const std::size_t peak = peakHeapBytes();
    delete instance;
    const double n = static_cast<double>(count);
    MemoryUse use{static_cast<double>(after - before) / n, static_cast<double>(peak - before) / n};
    measured.emplace(count, use);
    return use;
}

struct CallQuery {
    std::string call, mode, band;
};

// Calls the operator might type: stations, bands and modes of the log, in random order.
template <typename Impl>
std::vector<CallQuery> queriesFor(const Impl& impl) {
    std::mt19937 rng(7);
    const std::size_t n = impl.qsoLog().size();
    std::vector<CallQuery> queries;
    for (int i = 0; i < 1024; ++i) {
        const CInfo& r = impl.qsoLog().at(std::uniform_int_distribution<std::size_t>(0, n - 1)(rng));
        queries.push_back({r.call, r.mode, r.band});
    }
    return queries;
}

// The whole log again: ResetStats0 and one AddData0 per QSO.
template <typename Impl>
void reload(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::vector<QsoFields>& log = logOf(count);
    BenchServices fakes;
    Impl impl(fakes.services());
    for (auto _ : state) {
        impl.ResetStats(0, kOwnCall);
        for (const QsoFields& q : log) benchmark::DoNotOptimize(impl.AddData(q));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
    const MemoryUse use = memoryOf<Impl>(count);
    state.counters["state_B_per_QSO"] = use.statePerQso;
    state.counters["peak_B_per_QSO"] = use.peakPerQso;
}

template <typename Impl>
void checkCall(benchmark::State& state) {
    Loaded<Impl>& l = loaded<Impl>(static_cast<std::size_t>(state.range(0)), Purpose::Read);
    const std::vector<CallQuery> queries = queriesFor(l.impl);
    std::size_t i = 0;
    for (auto _ : state) {
        const CallQuery& q = queries[i++ & 1023];
        benchmark::DoNotOptimize(l.impl.CheckCall(q.call, q.mode, q.band));
    }
}

template <typename Impl>
void getResult(benchmark::State& state) {
    Loaded<Impl>& l = loaded<Impl>(static_cast<std::size_t>(state.range(0)), Purpose::Read);
    std::int32_t score = 0;
    for (auto _ : state) benchmark::DoNotOptimize(l.impl.GetResult(&score).size());
}

// CPU time of this thread, like the other benchmarks' CPU figures.
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One RemoveData0 of a QSO from the middle of the log. The QSO is added again after each
// timed removal (not timed), so the log keeps its size.
template <typename Impl>
void removeData(benchmark::State& state) {
    Loaded<Impl>& l = loaded<Impl>(static_cast<std::size_t>(state.range(0)), Purpose::Remove);
    for (auto _ : state) {
        const CInfo& r = l.impl.qsoLog().at(l.impl.qsoLog().size() / 2);
        QsoFields again;
        again.call = r.call;
        again.mode = r.mode;
        again.band = r.band;
        again.time = r.time;
        again.freqHz = r.freqKHz * 1000u;
        again.exchSent = r.exchSent;
        again.exchRcvd = r.exchRcvd;
        again.rstSent = r.rstSent;
        again.rstRcvd = r.rstRcvd;
        const double start = threadCpuSeconds();
        benchmark::DoNotOptimize(l.impl.RemoveData(again.call, again.mode, again.band));
        state.SetIterationTime(threadCpuSeconds() - start);
        l.impl.AddData(again);
    }
}

// GetResult0 while Cabrillo output is wanted: every QSO line and the whole file.
template <typename Impl>
void getResultCabrillo(benchmark::State& state) {
    Loaded<Impl>& l = loaded<Impl>(static_cast<std::size_t>(state.range(0)), Purpose::Cabrillo);
    std::int32_t score = 0;
    for (auto _ : state) benchmark::DoNotOptimize(l.impl.GetResult(&score).size());
}

using reference::ReferencePlugin;

template <typename Fn>
void registerPair(const std::string& operation, Fn plugin, Fn reference, bool manualTime = false) {
    for (auto [side, fn] : {std::pair{"plugin", plugin}, std::pair{"reference", reference}}) {
        auto* b = benchmark::RegisterBenchmark((operation + "/" + side).c_str(), fn);
        b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
        if (manualTime) b->UseManualTime();
    }
}

void registerAll() {
    using Fn = void (*)(benchmark::State&);
    registerPair<Fn>("reload", reload<StatsPlugin>, reload<ReferencePlugin>);
    registerPair<Fn>("checkcall", checkCall<StatsPlugin>, checkCall<ReferencePlugin>);
    registerPair<Fn>("getresult", getResult<StatsPlugin>, getResult<ReferencePlugin>);
    registerPair<Fn>("removedata", removeData<StatsPlugin>, removeData<ReferencePlugin>, true);
    registerPair<Fn>("getresult_cabrillo", getResultCabrillo<StatsPlugin>, getResultCabrillo<ReferencePlugin>);
}

}  // namespace
}  // namespace velmor::bench

int main(int argc, char** argv) {
    velmor::bench::registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
