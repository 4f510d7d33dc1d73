// Test fixture for the real Stats.dll: a fresh working folder and a fresh load of the library per test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "files.h"
#include "host_exports.h"
#include "stats_abi.h"

namespace wine_stats {

// The QSO fields a test passes to AddData0/RemoveData0; nullopt texts are null pointers.
struct Qso {
    std::optional<std::string> own = std::string("RZ3VLM");
    std::optional<std::string> call = std::string("RA3DKM");
    std::optional<COleDateTime> date = COleDateTime{46158.5, COleDateTime::valid};  // 2026-05-16 12:00
    std::uint32_t freqHz = 14025000;
    std::optional<std::string> mode = std::string("CW");
    std::optional<std::string> rstSent = std::string("599");
    std::optional<std::string> rstRcvd = std::string("599");
    std::optional<std::string> exchSent = std::string("001");
    std::optional<std::string> exchRcvd = std::string("014");
    std::optional<std::string> band = std::string("20M");
};

// Automation date of a UTC calendar time.
double OleDate(int y, int mo, int d, int h, int mi, int s = 0);
// The current UTC time as the host's record, and its hour.
COleDateTime NowUtc();
int UtcHour();

// Files and modal windows: the helpers shared by the Wine tests.
using wine_test::ReadFileBytes;
using wine_test::RemoveTree;
using wine_test::WriteFileBytes;

// A fixture file of tests/data/stats.
std::string Fixture(const std::string& name);

// The entry points are the fixture's members (addData, checkCall, ...), resolved by Load().
class StatsDll : public ::testing::Test, protected statshost::StatsExports {
public:
    void SetUp() override;
    void TearDown() override;

    // Loads the library afresh (its state starts empty again).
    void Reload();

    std::int32_t Add(const Qso& q);
    std::int32_t Remove(const char* call, const char* mode, const char* band);
    std::int32_t Reset(std::int32_t writeCabrillo, const char* ownCall);
    // CheckCall0 with `out` as parameter 28 and `p27` as parameter 27.
    std::int32_t Check(const char* call, const char* mode, const char* band, char* out, char* p27);

    static std::string DllPath();
    FARPROC Proc(const char* name) const { return GetProcAddress(dll_, name); }
    template <typename F>
    F ProcAs(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(Proc(name)));
    }

protected:
    HMODULE dll_ = nullptr;
    std::string dir_;       // this test's working folder
    std::string previous_;  // the working folder before the test

private:
    void Load();
};

}  // namespace wine_stats
