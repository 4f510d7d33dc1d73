// Names planted in OUTDIR before a run: a link, a folder, a FIFO or a device at an output's name is refused with status 3 and left as it was; a link at a temporary name is never followed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "crosscheck_test_support.h"
#include "file_at.h"

namespace velmor::crosscheck::test {
namespace {

namespace fs = std::filesystem;
using velmor::test::whatIs;

enum class Plant { LinkAtTheOutput, DanglingLinkAtTheOutput, LinkAtTheOldTemporaryName, Folder, Fifo, Device };

struct Case {
    const char* output;  // under OUTDIR
    Plant plant;
    const char* refusal;  // the reason in the message; empty: the run succeeds
};

class PlantedOutputs : public ::testing::TestWithParam<Case> {};

TEST_P(PlantedOutputs, RefusedOrNeverFollowed) {
    const Case& c = GetParam();
    // A folder of its own: ctest runs the cases side by side.
    std::string leaf = std::string("planted-") + c.output + "-" + std::to_string(static_cast<int>(c.plant));
    for (char& ch : leaf)
        if (ch == '/') ch = '_';
    const std::string dir = freshDir(leaf);
    const fs::path out = fs::path(dir) / "out";
    fs::create_directories(out / "reports");
    const std::string victim = dir + "/victim.txt";
    writeFile(victim, "the victim's own bytes\n");
    const fs::path at = out / c.output;
    switch (c.plant) {
        case Plant::LinkAtTheOutput: fs::create_symlink(victim, at); break;
        case Plant::DanglingLinkAtTheOutput: fs::create_symlink(dir + "/made-through-the-link", at); break;
        case Plant::LinkAtTheOldTemporaryName: fs::create_symlink(victim, at.string() + ".tmp"); break;
        case Plant::Folder: fs::create_directory(at); break;
        case Plant::Fifo: ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); break;
        case Plant::Device:
            // A twin of /dev/full; only root may make one.
            if (::geteuid() != 0 || ::mknod(at.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0)
                GTEST_SKIP() << "making a device node needs root";
            break;
    }
    std::map<std::string, std::string> before;
    for (const auto& e : fs::recursive_directory_iterator(out)) before[e.path().string()] = whatIs(e.path());

    RunOptions o;
    o.logs = {"examples/crosscheck/ua1aaa.cbr", "examples/crosscheck/ua2bbb.log"};
    o.outDir = out.string();
#ifdef VELMOR_HAVE_SQLITE
    o.sqlitePath = (out / "contest.db").string();
#else
    if (std::string(c.output) == "contest.db") GTEST_SKIP() << "this build has no SQLite";
#endif
    std::string messages;
    const RunOutcome outcome = runIn(VELMOR_SOURCE_DIR, o, &messages);

    EXPECT_EQ(readFile(victim), "the victim's own bytes\n");
    EXPECT_FALSE(fs::exists(dir + "/made-through-the-link"));
    if (std::string(c.refusal).empty()) {
        EXPECT_EQ(outcome, RunOutcome::AllRead) << messages;
        EXPECT_EQ(whatIs(at.string() + ".tmp"), "link:" + victim);
        EXPECT_EQ(whatIs(at).rfind("file:", 0), 0u);
        return;
    }
    EXPECT_EQ(outcome, RunOutcome::OutputFailed);
    EXPECT_NE(messages.find("crosscheck: error: cannot write " + at.string() + ": " + c.refusal +
                            ": an output replaces only a regular file\n"),
              std::string::npos)
        << messages;
    // The planted thing is as it was, and no temporary file stays anywhere.
    for (const auto& [path, what] : before) EXPECT_EQ(whatIs(path), what) << path;
    for (const auto& e : fs::recursive_directory_iterator(out))
        EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
    // The other outputs are still written.
    if (std::string(c.output) != "results.csv") {
        EXPECT_EQ(whatIs(out / "results.csv").rfind("file:call,", 0), 0u);
    }
}

std::vector<Case> everyCase() {
    std::vector<Case> out;
    for (const char* output : {"verdicts.csv", "results.csv", "skipped.csv", "results.html", "reports/UA1AAA.txt",
                               "contest.db"}) {
        out.push_back({output, Plant::LinkAtTheOutput, "is a symbolic link"});
        out.push_back({output, Plant::DanglingLinkAtTheOutput, "is a symbolic link"});
        out.push_back({output, Plant::LinkAtTheOldTemporaryName, ""});
        out.push_back({output, Plant::Folder, "is a folder"});
        out.push_back({output, Plant::Fifo, "is a FIFO"});
        out.push_back({output, Plant::Device, "is a device"});
    }
    return out;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    static const char* const kPlants[] = {"link", "dangling_link", "link_at_tmp", "folder", "fifo", "device"};
    std::string n = std::string(info.param.output) + "_" + kPlants[static_cast<int>(info.param.plant)];
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(EveryOutput, PlantedOutputs, ::testing::ValuesIn(everyCase()), caseName);

// A link planted at OUTDIR/reports would take every report wherever it points.
TEST(PlantedOutputs, ALinkAsTheReportsFolderIsRefused) {
    const std::string dir = freshDir("planted-reports");
    fs::create_directories(dir + "/elsewhere");
    fs::create_directories(dir + "/out");
    fs::create_directory_symlink(dir + "/elsewhere", dir + "/out/reports");
    RunOptions o;
    o.logs = {"examples/crosscheck/ua1aaa.cbr"};
    o.outDir = dir + "/out";
    std::string messages;
    EXPECT_EQ(runIn(VELMOR_SOURCE_DIR, o, &messages), RunOutcome::OutputFailed);
    EXPECT_NE(messages.find("crosscheck: error: cannot write into " + dir + "/out/reports: is a symbolic link, not a folder"),
              std::string::npos)
        << messages;
    EXPECT_TRUE(fs::is_empty(dir + "/elsewhere"));
}

}  // namespace
}  // namespace velmor::crosscheck::test
