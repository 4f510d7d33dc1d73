// The stdio file system (replace through a temporary file) and the INI settings store.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "cabrillo/cabrillo_log.h"
#include "cabrillo/ini_file.h"
#include "fakes.h"
#include "services/stdio_files.h"

namespace velmor {
namespace {

// A fresh folder per test under the system's temporary folder (TMPDIR), named after the
// test and the process so that parallel runs never share one; removed with its files.
struct TempFolder : ::testing::Test {
    std::string dir;
    void SetUp() override {
        namespace fs = std::filesystem;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = std::string("velmor-") + info->test_suite_name() + "-" +
                           info->name() + "-" + std::to_string(getpid());
        for (char& c : stem)
            if (c == '/') c = '_';  // parameterised tests are named "Prefix/Suite.Name/N"
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        ASSERT_FALSE(error) << error.message();
        fs::path folder;
        for (int n = 0;; ++n) {  // a leftover of an earlier run with the same process id
            folder = base / (stem + "-" + std::to_string(n));
            if (fs::create_directory(folder, error)) break;
            ASSERT_FALSE(error) << folder << ": " << error.message();
        }
        dir = folder.string();
    }
    void TearDown() override {
        std::error_code ignored;  // a folder that cannot be removed must not fail the test
        std::filesystem::remove_all(dir, ignored);
    }

    std::string pathOf(const std::string& name) const { return dir + "/" + name; }
    bool exists(const std::string& name) const { return access(pathOf(name).c_str(), F_OK) == 0; }
    // Content of a regular file only: a device moved into place (a fault) must not be read.
    std::string contentOf(const std::string& name) const {
        struct stat st {};
        if (lstat(pathOf(name).c_str(), &st) != 0) return "<missing>";
        if (!S_ISREG(st.st_mode)) return "<not a regular file>";
        std::ifstream in(pathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

using StdioFiles = TempFolder;

TEST_F(StdioFiles, WriteAppendReadAreBinary) {
    StdioFileSystem files(dir);
    const std::string bytes("a\r\nb\n\0\xC0", 7);
    EXPECT_TRUE(files.writeFile("x.txt", bytes));
    EXPECT_TRUE(files.appendFile("x.txt", "tail\r\n"));
    EXPECT_TRUE(files.appendFile("new.txt", "first"));
    EXPECT_EQ(files.readFile("x.txt"), bytes + "tail\r\n");
    EXPECT_EQ(files.readFile("new.txt"), std::string("first"));
    EXPECT_TRUE(files.writeFile("x.txt", ""));
    EXPECT_EQ(files.readFile("x.txt"), std::string());
    EXPECT_EQ(files.readFile("missing.txt"), std::nullopt);
    EXPECT_FALSE(files.writeFile("no-such-folder/x.txt", "x"));
}

TEST_F(StdioFiles, ReplaceReplacesAndLeavesNoTemporaryFile) {
    StdioFileSystem files(dir);
    ASSERT_TRUE(files.writeFile("W1AW.cbr", "an earlier and much longer log\r\n"));
    EXPECT_EQ(files.replaceFile("W1AW.cbr", "new\r\n"), "");
    EXPECT_EQ(contentOf("W1AW.cbr"), "new\r\n");
    EXPECT_EQ(files.replaceFile("fresh.cbr", "made\r\n"), "");
    EXPECT_EQ(contentOf("fresh.cbr"), "made\r\n");
    EXPECT_FALSE(exists("W1AW.cbr.tmp"));
    EXPECT_FALSE(exists("fresh.cbr.tmp"));
}

TEST_F(StdioFiles, ReplaceIntoAMissingFolderGivesTheSystemsReason) {
    StdioFileSystem files(dir);
    EXPECT_EQ(files.replaceFile("no-such-folder/W1AW.cbr", "x"), "No such file or directory");
}

// The temporary file lands on a full device (the create step hands out /dev/full): the
// bytes are lost at the flush. The reason comes back and the earlier log stays.
TEST_F(StdioFiles, FailedFlushKeepsTheEarlierFile) {
    FileOps ops = StdioFileOps();
    ops.create = [](const std::string&, std::string& reason) {
        std::FILE* full = std::fopen("/dev/full", "wb");
        if (full == nullptr) reason = "cannot open /dev/full";
        return full;
    };
    StdioFileSystem files(dir, ops);
    ASSERT_TRUE(files.writeFile("W1AW.cbr", "earlier\r\n"));
    EXPECT_EQ(files.replaceFile("W1AW.cbr", std::string(100, 'x')), "No space left on device");
    EXPECT_EQ(contentOf("W1AW.cbr"), "earlier\r\n");
}

// A link planted at the name the temporary file once had ("W1AW.cbr.tmp") is neither
// followed nor touched: the file still goes where it belongs.
TEST_F(StdioFiles, ALinkAtTheOldTemporaryNameIsNotFollowed) {
    StdioFileSystem files(dir);
    ASSERT_TRUE(files.writeFile("W1AW.cbr", "earlier\r\n"));
    ASSERT_TRUE(files.writeFile("victim.txt", "the victim\r\n"));
    ASSERT_EQ(symlink(pathOf("victim.txt").c_str(), pathOf("W1AW.cbr.tmp").c_str()), 0);
    EXPECT_EQ(files.replaceFile("W1AW.cbr", "new\r\n"), "");
    EXPECT_EQ(contentOf("W1AW.cbr"), "new\r\n");
    EXPECT_EQ(contentOf("victim.txt"), "the victim\r\n");
    EXPECT_EQ(std::filesystem::read_symlink(pathOf("W1AW.cbr.tmp")).string(), pathOf("victim.txt"));
}

// The step the Windows layer replaces (rename), failing: the earlier file stays as it was.
class RefusingMove : public StdioFileSystem {
public:
    explicit RefusingMove(std::string root) : StdioFileSystem(std::move(root), refusing(&givenReason)) {}
    std::string givenReason = "Access is denied.";

private:
    static FileOps refusing(const std::string* reasonOf) {
        FileOps ops = StdioFileOps();
        ops.rename = [reasonOf](const std::string&, const std::string&, std::string& reason) {
            reason = *reasonOf;
            return false;
        };
        return ops;
    }
};

TEST_F(StdioFiles, FailedMoveKeepsTheEarlierFileAndNeverReportsSuccess) {
    RefusingMove files(dir);
    ASSERT_TRUE(files.writeFile("W1AW.cbr", "earlier\r\n"));
    EXPECT_EQ(files.replaceFile("W1AW.cbr", "new\r\n"), "Access is denied.");
    EXPECT_EQ(contentOf("W1AW.cbr"), "earlier\r\n");
    EXPECT_FALSE(exists("W1AW.cbr.tmp"));
    files.givenReason = "";  // a failure without a reason still reads as a failure
    EXPECT_NE(files.replaceFile("W1AW.cbr", "new\r\n"), "");
    EXPECT_EQ(contentOf("W1AW.cbr"), "earlier\r\n");
}

TEST_F(StdioFiles, WriteLogFailureLeavesTheEarlierLogAndSaysWhy) {
    RefusingMove files(dir);
    ASSERT_TRUE(files.writeFile("W1AW.cbr", "earlier\r\n"));
    CCabrilloLog log;
    log.baseName = "W1AW";
    EXPECT_EQ(log.WriteLog(files, 0), "File not produced: W1AW.cbr (Access is denied.)");
    EXPECT_EQ(contentOf("W1AW.cbr"), "earlier\r\n");

    StdioFileSystem working(dir);
    ASSERT_TRUE(working.writeFile("cabrillo.ini", "X-A: 1"));
    EXPECT_EQ(log.WriteLog(working, 0), "File produced: W1AW.cbr");
    const std::string written = contentOf("W1AW.cbr");
    EXPECT_NE(written.find("SOAPBOX: \r\nX-A: 1\r\nEND-OF-LOG:\r\n"), std::string::npos) << written;
}

struct IniCase {
    const char* what;
    std::string before;  // file content; "<none>" for no file
    std::string key, value;
    std::string after;
};

TEST(IniFile, WritesKeepEverythingElse) {
    const IniCase cases[] = {
        {"no file", "<none>", "Claimed", "8", "[Settings]\r\nClaimed=8\r\n"},
        {"replaces the value in place", "[Settings]\r\nName=A\r\nClaimed=1\r\nClub=C\r\n", "Claimed",
         "8", "[Settings]\r\nName=A\r\nClaimed=8\r\nClub=C\r\n"},
        {"key names match in any case", "[settings]\r\nclaimed=1\r\n", "Claimed", "8",
         "[settings]\r\nClaimed=8\r\n"},
        {"new key after the section's last entry",
         "[Settings]\r\nName=A\r\n\r\n[Other]\r\nClaimed=1\r\n", "Claimed", "8",
         "[Settings]\r\nName=A\r\nClaimed=8\r\n\r\n[Other]\r\nClaimed=1\r\n"},
        {"section added after other sections", "[Other]\r\nName=A\r\n", "Name", "B",
         "[Other]\r\nName=A\r\n[Settings]\r\nName=B\r\n"},
        {"LF lines read, CR LF written", "[Settings]\nName=A\n", "Club", "C",
         "[Settings]\r\nName=A\r\nClub=C\r\n"},
        {"empty value", "[Settings]\r\nName=A\r\n", "Name", "", "[Settings]\r\nName=\r\n"},
    };
    for (const auto& c : cases) {
        test::MemoryFileSystem files;
        if (c.before != "<none>") files.files["VARDO.ini"] = c.before;
        IniFileSettings ini(files, "VARDO.ini");
        ini.write(c.key, c.value);
        EXPECT_EQ(files.files["VARDO.ini"], c.after) << c.what;
        EXPECT_EQ(ini.read(c.key, "fallback"), c.value) << c.what;
    }
}

TEST(IniFile, ReadsWholeTrimmedValuesOfItsSectionOnly) {
    test::MemoryFileSystem files;
    const std::string longValue(300, 'v');
    files.files["VARDO.ini"] =
        "; comment=not a key\r\nName=outside any section\r\n[Other]\r\nClub=other\r\n"
        "[Settings]\r\nName =  Hiram Percy  \r\nLong=" + longValue + "\r\nEq=a=b\r\n"
        "Address=225 Main St<CR><LF>Newington\r\n[Next]\r\nEmail=next\r\n";
    IniFileSettings ini(files, "VARDO.ini");
    EXPECT_EQ(ini.read("Name", "-"), "Hiram Percy");
    EXPECT_EQ(ini.read("NAME", "-"), "Hiram Percy");
    EXPECT_EQ(ini.read("Long", "-"), longValue);
    EXPECT_EQ(ini.read("Eq", "-"), "a=b");
    EXPECT_EQ(ini.read("Address", "-"), "225 Main St<CR><LF>Newington");
    EXPECT_EQ(ini.read("Club", "-"), "-");
    EXPECT_EQ(ini.read("Email", "-"), "-");
    EXPECT_EQ(ini.read("; comment", "-"), "-");

    test::MemoryFileSystem none;
    IniFileSettings missing(none, "VARDO.ini");
    EXPECT_EQ(missing.read("Name", "W1AW"), "W1AW");
}

// On disk, through the stdio file system, as the native tools use it.
TEST_F(TempFolder, IniFileOnDiskRoundTrip) {
    StdioFileSystem files(dir);
    IniFileSettings ini(files, "VARDO.ini");
    ini.write("Operators", "W1AW<CR><LF>K1ABC");
    ini.write("Claimed", "8");
    ini.write("Claimed", "-5");
    EXPECT_EQ(contentOf("VARDO.ini"), "[Settings]\r\nOperators=W1AW<CR><LF>K1ABC\r\nClaimed=-5\r\n");
    EXPECT_EQ(IniFileSettings(files, "VARDO.ini").read("Operators", ""), "W1AW<CR><LF>K1ABC");
}

}  // namespace
}  // namespace velmor
