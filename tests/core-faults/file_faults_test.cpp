// The Cabrillo file, the settings file, the journal and the header editor's file when an OS step fails: the earlier file stays, no temporary file is left, the operator sees what each file's behaviour says.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "cabrillo/ini_file.h"
#include "fakes.h"
#include "header_file.h"
#include "qso_builders.h"
#include "services/file_ops.h"
#include "services/stdio_files.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

namespace fs = std::filesystem;

enum class Step { Open, Write, Flush, Close, Rename, RenameAndCleanup };

const char* name(Step s) {
    switch (s) {
        case Step::Open: return "open";
        case Step::Write: return "write";
        case Step::Flush: return "flush";
        case Step::Close: return "close";
        case Step::Rename: return "rename";
        case Step::RenameAndCleanup: return "rename and cleanup";
    }
    return "?";
}

const std::string kInjected = "injected failure";

// The C library's table with one step failing for files opened for writing. A failing
// close still releases the file, as the real one does.
FileOps failing(Step step) {
    FileOps ops = StdioFileOps();
    const FileOps real = StdioFileOps();
    switch (step) {
        case Step::Open:
            ops.open = [real](const std::string& path, const char* mode, std::string& reason) -> std::FILE* {
                if (mode[0] == 'r') return real.open(path, mode, reason);
                reason = kInjected;
                return nullptr;
            };
            break;
        case Step::Write:
            ops.write = [](std::FILE*, std::string_view, std::string& reason) {
                reason = kInjected;
                return false;
            };
            break;
        case Step::Flush:
            ops.flush = [](std::FILE*, std::string& reason) {
                reason = kInjected;
                return false;
            };
            break;
        case Step::Close:
            ops.close = [real](std::FILE* f, std::string& reason) {
                std::string ignored;
                real.close(f, ignored);
                reason = kInjected;
                return false;
            };
            break;
        case Step::RenameAndCleanup:
            ops.remove = [](const std::string&) {};
            [[fallthrough]];
        case Step::Rename:
            ops.rename = [](const std::string&, const std::string&, std::string& reason) {
                reason = kInjected;
                return false;
            };
            break;
    }
    return ops;
}

class FileFaults : public ::testing::TestWithParam<Step> {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string("velmor-faults-") + info->name() + "-" + std::to_string(::getpid());
        for (char& c : leaf)
            if (c == '/') c = '_';
        dir_ = fs::temp_directory_path() / leaf;
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);  // the header editor works in the current folder
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    std::string contentOf(const std::string& file) const {
        std::ifstream in(dir_ / file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void put(const std::string& file, const std::string& bytes) const {
        std::ofstream(dir_ / file, std::ios::binary) << bytes;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // No temporary file is left, unless the cleanup step itself was made to fail.
    void expectOnly(std::vector<std::string> names) const {
        if (GetParam() == Step::RenameAndCleanup) return;
        std::sort(names.begin(), names.end());
        EXPECT_EQ(entries(), names);
    }

    fs::path dir_, previous_;
};

const std::string kEarlier = "START-OF-LOG: 3.0\r\nthe earlier log\r\nEND-OF-LOG:\r\n";

TEST_P(FileFaults, CabrilloFileStaysAndTheOutputBoxSaysItWasNotProduced) {
    put("RA3ABC.cbr", kEarlier);
    StdioFileSystem files(dir_.string(), failing(GetParam()));
    CCabrilloLog log;
    log.baseName = "RA3ABC";
    log.AddQsoLine("UA1A", 14025, "CW", OleDateTime{46158.5, DateStatus::Valid}, "599", "001", "599", "123");

    const std::string message = log.WriteLog(files, 1);

    EXPECT_EQ(message, "File not produced: RA3ABC.cbr (" + kInjected + ")");
    EXPECT_EQ(contentOf("RA3ABC.cbr"), kEarlier);
    expectOnly({"RA3ABC.cbr"});
}

TEST_P(FileFaults, SettingsFileStaysAndNothingIsShown) {
    const std::string earlier = "[Settings]\r\nName=Ivan\r\nClaimed=7\r\n";
    put("VARDO.ini", earlier);
    StdioFileSystem files(dir_.string(), failing(GetParam()));
    IniFileSettings settings(files, "VARDO.ini");

    settings.write("Claimed", "8");  // a failed write is not reported

    EXPECT_EQ(contentOf("VARDO.ini"), earlier);
    expectOnly({"VARDO.ini"});
}

TEST_P(FileFaults, JournalKeepsItsEarlierLinesAndStaysSilent) {
    const std::string earlier = "Velmor TEST UBN file \r\nan earlier line\r\n";
    put("err.txt", earlier);
    StdioFileSystem files(dir_.string(), failing(GetParam()));
    test::FakeServices fakes;
    StatsPlugin plugin(Services{fakes.clock, files, fakes.settings, fakes.ui, fakes.launcher});
    QsoFields foreign = test::sampleQso();
    foreign.mode = "RTTY";

    EXPECT_EQ(plugin.AddData(foreign), 0);  // still turned away
    EXPECT_EQ(plugin.AddData(test::sampleQso()), 1);

    const std::string now = contentOf("err.txt");
    EXPECT_EQ(now.compare(0, earlier.size(), earlier), 0) << now;
    EXPECT_TRUE(fakes.ui.outputs.empty());
    expectOnly({"err.txt"});
}

TEST_P(FileFaults, HeaderEditorKeepsTheEarlierLogAndShowsItsMessage) {
    put("RA3ABC.cbr", kEarlier);
    put(orvin::kBodyFileName, "QSO: 14025 PM 2026-06-13 1205 RA3ABC 599 001 UA1A 599 123\r\n");
    orvin::StdioLogFiles files(failing(GetParam()));
    orvin::HeaderFields fields;
    fields.callsign = "RA3ABC";

    // Either way the editor shows "Log file not found !!!" (a failing close also fails the
    // reading of the body, the one file it reads).
    const orvin::SaveResult result = orvin::SaveLogFile(fields, files);
    EXPECT_TRUE(result == orvin::SaveResult::WriteFailed ||
                (GetParam() == Step::Close && result == orvin::SaveResult::NoBody));

    EXPECT_EQ(contentOf("RA3ABC.cbr"), kEarlier);
    expectOnly({"RA3ABC.cbr", orvin::kBodyFileName});
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FileFaults,
                         ::testing::Values(Step::Open, Step::Write, Step::Flush, Step::Close,
                                           Step::Rename, Step::RenameAndCleanup),
                         [](const ::testing::TestParamInfo<Step>& info) {
                             std::string n = name(info.param);
                             for (char& c : n)
                                 if (c == ' ') c = '_';
                             return n;
                         });

}  // namespace
}  // namespace velmor
