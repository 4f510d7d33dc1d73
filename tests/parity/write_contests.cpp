// Writes the two seeded synthetic contests that the parity tests run velmor crosscheck on:
// DIR/<name>/logs/ (the entrants' Cabrillo files and the generator's expected.csv, which
// crosscheck leaves out as it is no log) and DIR/<name>/period (START and END for --period).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "crosscheck/synthetic_contest.h"

namespace {

struct Contest {
    const char* name;
    velmor::crosscheck::SyntheticOptions options;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_contests DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    // Many small logs with the usual share of faults, and a few long ones with many faults
    // and many stations that send no log.
    const Contest contests[] = {
        {"synthetic-17", {17, 30, 80, 0.02, 0.2}},
        {"synthetic-2026", {2026, 8, 300, 0.08, 0.35}},
    };
    for (const Contest& c : contests) {
        const std::string at = dir + "/" + c.name;
        std::error_code ignored;
        std::filesystem::remove_all(at, ignored);  // a contest of an earlier run
        const std::string error =
            velmor::crosscheck::writeSyntheticContest(velmor::crosscheck::makeSyntheticContest(c.options), at + "/logs");
        if (!error.empty()) {
            std::fprintf(stderr, "write_contests: %s\n", error.c_str());
            return 1;
        }
        std::ofstream period(at + "/period", std::ios::binary | std::ios::trunc);
        period << velmor::crosscheck::kSyntheticPeriodStart << ' ' << velmor::crosscheck::kSyntheticPeriodEnd << '\n';
        if (!period) {
            std::fprintf(stderr, "write_contests: cannot write %s/period\n", at.c_str());
            return 1;
        }
        std::printf("wrote %s\n", at.c_str());
    }
    return 0;
}
