// Generated contest logs for the benchmarks: eight bands, three modes, one contest day.
#include "qso_generator.h"

#include <cstdio>
#include <random>
#include <string>

#include "log/ole_date.h"

namespace velmor::bench {
namespace {

struct Band {
    const char* name;
    std::uint32_t lowKHz;
};
const Band kBands[] = {{"160", 1810}, {"80", 3500}, {"40", 7000}, {"30", 10100},
                       {"20", 14000}, {"17", 18068}, {"15", 21000}, {"10", 28000}};
const char* const kModes[] = {"CW", "SSB", "BPSK63"};
const char* const kPrefixes[] = {"UA", "RA", "RK", "RZ", "UR", "EW", "UN", "4L"};

// A distinct, plausible call sign for station number n.
std::string callSign(std::size_t n) {
    std::string call = kPrefixes[n % 8];
    call += static_cast<char>('0' + (n / 8) % 10);
    std::size_t rest = n / 80;
    for (int i = 0; i < 3; ++i) {
        call += static_cast<char>('A' + rest % 26);
        rest /= 26;
    }
    return call;
}

}  // namespace

std::vector<QsoFields> generateLog(std::size_t count, std::uint32_t seed) {
    std::mt19937 rng(seed);
    const std::size_t stations = count / 3 > 0 ? count / 3 : 1;
    std::uniform_int_distribution<std::size_t> pickStation(0, stations - 1);
    std::uniform_int_distribution<int> pickBand(0, 7), pickMode(0, 2), pickNumber(1, 998), pickKHz(0, 60);
    std::uniform_int_distribution<int> percent(1, 100);

    // About 3 stations in 100 send "WM"; the others a number of their own.
    std::vector<std::string> calls(stations), exchanges(stations);
    for (std::size_t i = 0; i < stations; ++i) {
        calls[i] = callSign(i);
        char number[8];
        const int n = pickNumber(rng);
        std::snprintf(number, sizeof number, "%03d", n >= 599 ? n + 1 : n);
        exchanges[i] = percent(rng) <= 3 ? "WM" : number;
    }

    const double dayStart = fromCalendar(CalendarTime{2026, 6, 13, 0, 0, 0});
    std::vector<QsoFields> log;
    log.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t s = pickStation(rng);
        const Band& band = kBands[pickBand(rng)];
        QsoFields q;
        q.ownCall = "UA1ABC";
        q.call = calls[s];
        q.time.date = dayStart + static_cast<double>(i) / static_cast<double>(count);
        q.freqHz = (band.lowKHz + static_cast<std::uint32_t>(pickKHz(rng))) * 1000u + 500u;
        q.mode = kModes[pickMode(rng)];
        q.rstSent = q.mode == "SSB" ? "59" : "599";
        q.rstRcvd = q.rstSent;
        char serial[8];
        std::snprintf(serial, sizeof serial, "%03d", static_cast<int>(i % 999) + 1);
        q.exchSent = serial;
        q.exchRcvd = exchanges[s];
        q.band = band.name;
        log.push_back(std::move(q));
    }
    return log;
}

}  // namespace velmor::bench
