// The Cabrillo file, the settings file, the journal and the header editor's file when an OS step fails or a name was planted: the earlier file stays, nothing planted is followed, no temporary file is left, the operator sees what each file's behaviour says.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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
#include "file_at.h"

namespace velmor {
namespace {

namespace fs = std::filesystem;
using velmor::test::whatIs;

enum class Step { Kind, Random, Open, Write, Flush, Close, Rename, RenameAndCleanup };

const char* name(Step s) {
    switch (s) {
        case Step::Kind: return "kind";
        case Step::Random: return "random";
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

// The C library's table with one step failing for files opened for writing ("open" fails
// both ways a file is opened for writing: open "wb"/"ab" and the exclusive create). A
// failing close still releases the file, as the real one does.
FileOps failing(Step step) {
    FileOps ops = StdioFileOps();
    const FileOps real = StdioFileOps();
    switch (step) {
        case Step::Kind:
            ops.kind = [](const std::string&, std::string& reason) -> std::optional<FileKind> {
                reason = kInjected;
                return std::nullopt;
            };
            break;
        case Step::Random:
            ops.random = [](std::uint64_t&, std::string& reason) {
                reason = kInjected;
                return false;
            };
            break;
        case Step::Open:
            ops.open = [real](const std::string& path, const char* mode, std::string& reason) -> std::FILE* {
                if (mode[0] == 'r') return real.open(path, mode, reason);
                reason = kInjected;
                return nullptr;
            };
            ops.create = [](const std::string&, std::string& reason) -> std::FILE* {
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

// A fresh folder per test, made the current one (the header editor works there).
template <class Param>
class InFreshFolder : public ::testing::TestWithParam<Param> {
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

    fs::path dir_, previous_;
};

class FileFaults : public InFreshFolder<Step> {
protected:
    // No temporary file is left, unless the cleanup step itself was made to fail.
    void expectOnly(std::vector<std::string> names) const {
        if (GetParam() == Step::RenameAndCleanup) return;
        std::sort(names.begin(), names.end());
        EXPECT_EQ(entries(), names);
    }
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
                         ::testing::Values(Step::Kind, Step::Random, Step::Open, Step::Write, Step::Flush,
                                           Step::Close, Step::Rename, Step::RenameAndCleanup),
                         [](const ::testing::TestParamInfo<Step>& info) {
                             std::string n = name(info.param);
                             for (char& c : n)
                                 if (c == ' ') c = '_';
                             return n;
                         });

// What someone who can write into the working folder may have put at the file's name, or
// at the temporary name the file helpers once used ("<name>.tmp"), before the plug-in or
// the editor writes its file.
enum class Plant { LinkAtTheFile, DanglingLinkAtTheFile, LinkAtTheOldTemporaryName, FolderAtTheFile, FifoAtTheFile, DeviceAtTheFile };

const char* name(Plant p) {
    switch (p) {
        case Plant::LinkAtTheFile: return "link at the file";
        case Plant::DanglingLinkAtTheFile: return "dangling link at the file";
        case Plant::LinkAtTheOldTemporaryName: return "link at the old temporary name";
        case Plant::FolderAtTheFile: return "folder at the file";
        case Plant::FifoAtTheFile: return "FIFO at the file";
        case Plant::DeviceAtTheFile: return "device at the file";
    }
    return "?";
}

class PlantedNames : public InFreshFolder<Plant> {
protected:
    // Puts the planted thing at `file` (or beside it); the victim is what a link points to.
    // Returns the reason the file's own write is refused, empty when it must succeed.
    std::string plant(const std::string& file) {
        put("victim.txt", kVictim);
        const fs::path at = dir_ / file;
        switch (GetParam()) {
            case Plant::LinkAtTheFile: fs::create_symlink(dir_ / "victim.txt", at); return "is a symbolic link" + kOnly;
            case Plant::DanglingLinkAtTheFile:
                fs::create_symlink(dir_ / "made-through-the-link.txt", at);
                return "is a symbolic link" + kOnly;
            case Plant::LinkAtTheOldTemporaryName:
                fs::create_symlink(dir_ / "victim.txt", dir_ / (file + ".tmp"));
                return "";
            case Plant::FolderAtTheFile: fs::create_directory(at); return "is a folder" + kOnly;
            case Plant::FifoAtTheFile: EXPECT_EQ(::mkfifo(at.c_str(), 0600), 0); return "is a FIFO" + kOnly;
            case Plant::DeviceAtTheFile:
                // A twin of /dev/full; only root may make one.
                if (::geteuid() != 0 || ::mknod(at.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0) return "skip";
                return "is a device" + kOnly;
        }
        return "";
    }
    // Nothing was written through, beside or in place of what was planted.
    void expectUntouched(const std::map<std::string, std::string>& before) {
        EXPECT_EQ(contentOf("victim.txt"), kVictim);
        EXPECT_FALSE(fs::exists(dir_ / "made-through-the-link.txt"));
        for (const auto& [file, what] : before) EXPECT_EQ(whatIs(dir_ / file), what) << file;
    }
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> out;
        for (const std::string& n : entries()) out[n] = whatIs(dir_ / n);
        return out;
    }

    const std::string kVictim = "the victim's own bytes\n";
    const std::string kOnly = ": an output replaces only a regular file";
};

TEST_P(PlantedNames, CabrilloFile) {
    const std::string refusal = plant("RA3ABC.cbr");
    if (refusal == "skip") GTEST_SKIP() << "making a device node needs root";
    const auto before = snapshot();
    StdioFileSystem files(dir_.string());
    CCabrilloLog log;
    log.baseName = "RA3ABC";
    log.AddQsoLine("UA1A", 14025, "CW", OleDateTime{46158.5, DateStatus::Valid}, "599", "001", "599", "123");

    const std::string message = log.WriteLog(files, 1);

    if (refusal.empty()) {
        EXPECT_EQ(message, "File produced: RA3ABC.cbr");
        EXPECT_NE(contentOf("RA3ABC.cbr").find("UA1A"), std::string::npos);
        auto rest = before;
        rest.erase("RA3ABC.cbr");
        EXPECT_EQ(entries().size(), before.size() + 1);
        expectUntouched(rest);
    } else {
        EXPECT_EQ(message, "File not produced: RA3ABC.cbr (" + refusal + ")");
        expectUntouched(before);
        EXPECT_EQ(entries().size(), before.size());
    }
}

TEST_P(PlantedNames, SettingsFile) {
    // The settings file is read before it is written: a FIFO there is refused as an input
    // too, at once (the alarm ends the test program instead of a hang).
    ::alarm(60);
    const std::string refusal = plant("VARDO.ini");
    if (refusal == "skip") GTEST_SKIP() << "making a device node needs root";
    const auto before = snapshot();
    StdioFileSystem files(dir_.string());
    IniFileSettings settings(files, "VARDO.ini");

    settings.write("Claimed", "8");  // a refused write is not reported

    if (refusal.empty()) {
        EXPECT_EQ(contentOf("VARDO.ini"), "[Settings]\r\nClaimed=8\r\n");
        auto rest = before;
        rest.erase("VARDO.ini");
        expectUntouched(rest);
    } else {
        expectUntouched(before);
        EXPECT_EQ(entries().size(), before.size());
    }
    ::alarm(0);
}

TEST_P(PlantedNames, HeaderEditorsFile) {
    const std::string refusal = plant("RA3ABC.cbr");
    if (refusal == "skip") GTEST_SKIP() << "making a device node needs root";
    put(orvin::kBodyFileName, "QSO: 14025 PM 2026-06-13 1205 RA3ABC 599 001 UA1A 599 123\r\n");
    const auto before = snapshot();
    orvin::StdioLogFiles files;
    orvin::HeaderFields fields;
    fields.callsign = "RA3ABC";

    const orvin::SaveResult result = orvin::SaveLogFile(fields, files);

    if (refusal.empty()) {
        EXPECT_EQ(result, orvin::SaveResult::Written);
        EXPECT_NE(contentOf("RA3ABC.cbr").find("UA1A"), std::string::npos);
        auto rest = before;
        rest.erase("RA3ABC.cbr");
        expectUntouched(rest);
    } else {
        EXPECT_EQ(result, orvin::SaveResult::WriteFailed);
        expectUntouched(before);
        EXPECT_EQ(entries().size(), before.size());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPlant, PlantedNames,
                         ::testing::Values(Plant::LinkAtTheFile, Plant::DanglingLinkAtTheFile,
                                           Plant::LinkAtTheOldTemporaryName, Plant::FolderAtTheFile,
                                           Plant::FifoAtTheFile, Plant::DeviceAtTheFile),
                         [](const ::testing::TestParamInfo<Plant>& info) {
                             std::string n = name(info.param);
                             for (char& c : n)
                                 if (c == ' ') c = '_';
                             return n;
                         });

}  // namespace
}  // namespace velmor
