// The file helpers against a table of OS steps in which any one step fails.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "services/file_ops.h"
#include "file_at.h"

namespace velmor {
namespace {

namespace fs = std::filesystem;
using velmor::test::whatIs;

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("velmor-fileops-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string pathOf(const std::string& name) const { return (dir_ / name).string(); }
    std::string contentOf(const std::string& name) const {
        std::ifstream in(pathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(pathOf(name), std::ios::binary) << bytes;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

// The C library's table with one step made to fail with `reason` ("" for a step that fails
// without saying why). Close still releases the file, as the real fclose does.
FileOps failing(const std::string& step, const std::string& reason) {
    FileOps ops = StdioFileOps();
    const FileOps real = StdioFileOps();
    if (step == "open")
        ops.open = [reason](const std::string&, const char*, std::string& r) -> std::FILE* {
            r = reason;
            return nullptr;
        };
    if (step == "write")
        ops.write = [reason](std::FILE*, std::string_view, std::string& r) { r = reason; return false; };
    if (step == "flush")
        ops.flush = [reason](std::FILE*, std::string& r) { r = reason; return false; };
    if (step == "close")
        ops.close = [reason, real](std::FILE* f, std::string& r) {
            std::string ignored;
            real.close(f, ignored);
            r = reason;
            return false;
        };
    if (step == "rename")
        ops.rename = [reason](const std::string&, const std::string&, std::string& r) {
            r = reason;
            return false;
        };
    if (step == "create")
        ops.create = [reason](const std::string&, std::string& r) -> std::FILE* {
            r = reason;
            return nullptr;
        };
    if (step == "kind")
        ops.kind = [reason](const std::string&, std::string& r) -> std::optional<FileKind> {
            r = reason;
            return std::nullopt;
        };
    if (step == "random")
        ops.random = [reason](std::uint64_t&, std::string& r) {
            r = reason;
            return false;
        };
    return ops;
}

TEST_F(FileOpsTest, ReplaceWithEveryStepFailingKeepsTheEarlierFileAndSaysWhy) {
    for (const std::string step : {"kind", "random", "create", "write", "flush", "close", "rename"}) {
        for (const std::string reason : {"Disk full", ""}) {
            SCOPED_TRACE(step + " failing with \"" + reason + "\"");
            put("LOG.cbr", "earlier\r\n");
            const std::string got = ReplaceFileSafely(failing(step, reason), pathOf("LOG.cbr"), "new\r\n");
            if (reason.empty())
                EXPECT_NE(got, "");  // a failure never reads as success
            else
                EXPECT_EQ(got, reason);
            EXPECT_EQ(contentOf("LOG.cbr"), "earlier\r\n");
            EXPECT_EQ(entries(), std::vector<std::string>{"LOG.cbr"}) << "temporary file left behind";
        }
    }
}

// The temporary file is made exclusively beside the target under a name drawn at random
// for each replacement, and the rename puts exactly that file in place.
TEST_F(FileOpsTest, ReplaceWritesThroughARandomTemporaryNameAndLeavesOnlyTheTarget) {
    FileOps ops = StdioFileOps();
    std::vector<std::string> created;
    std::string renamedFrom, renamedTo;
    const FileOps real = StdioFileOps();
    ops.create = [&](const std::string& path, std::string& r) {
        created.push_back(path);
        return real.create(path, r);
    };
    ops.rename = [&](const std::string& from, const std::string& to, std::string& r) {
        renamedFrom = from;
        renamedTo = to;
        return real.rename(from, to, r);
    };
    put("LOG.cbr", std::string(5000, 'x'));
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf("LOG.cbr"), std::string("a\r\n\0b", 5)), "");
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf("LOG.cbr"), std::string("a\r\n\0b", 5)), "");
    ASSERT_EQ(created.size(), 2u);
    const std::regex pattern(std::regex_replace(pathOf("LOG.cbr"), std::regex("[.]"), "[.]") + "[.][0-9a-f]{16}[.]tmp");
    for (const std::string& name : created) EXPECT_TRUE(std::regex_match(name, pattern)) << name;
    EXPECT_NE(created[0], created[1]);
    EXPECT_EQ(renamedFrom, created[1]);
    EXPECT_EQ(renamedTo, pathOf("LOG.cbr"));
    EXPECT_EQ(contentOf("LOG.cbr"), std::string("a\r\n\0b", 5));
    EXPECT_EQ(entries(), std::vector<std::string>{"LOG.cbr"});

    // A name too long to take the suffix: a short random name in the same folder.
    const std::string longName(250, 'n');
    created.clear();
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf(longName), "x"), "");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_TRUE(std::regex_match(created[0], std::regex(".*/velmor[.][0-9a-f]{16}[.]tmp"))) << created[0];
    EXPECT_EQ(fs::path(created[0]).parent_path(), dir_);
    EXPECT_EQ(contentOf(longName), "x");
}

// A device node at `path` where this process may make one (as root, a twin of /dev/full);
// for any other user /dev/full itself stands in, which only root could replace. Empty when
// root cannot make one: a real device is never the target of a test run as root.
std::string deviceAt(const std::string& path) {
    if (::geteuid() != 0) return "/dev/full";
    if (::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0) return path;
    return {};
}

// An output is put in place only over a regular file or nothing: a link (to a file, to a
// folder, dangling), a folder, a FIFO or a device at its name is refused with what it is,
// and nothing is written through it, beside it or in its place.
TEST_F(FileOpsTest, AnOutputReplacesOnlyARegularFileOrNothing) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string& at, const std::string& victim)> plant;  // the target
        std::string refusal;  // empty: replaced
    };
    const std::string only = ": an output replaces only a regular file";
    const Case cases[] = {
        {"nothing", [](const std::string& at, const std::string&) { return at; }, ""},
        {"a regular file",
         [](const std::string& at, const std::string&) {
             std::ofstream(at) << "earlier";
             return at;
         },
         ""},
        {"a link to a file",
         [](const std::string& at, const std::string& victim) {
             fs::create_symlink(victim, at);
             return at;
         },
         "is a symbolic link" + only},
        {"a dangling link",
         [](const std::string& at, const std::string& victim) {
             fs::create_symlink(victim + ".new", at);
             return at;
         },
         "is a symbolic link" + only},
        {"a link to a folder",
         [](const std::string& at, const std::string& victim) {
             fs::create_symlink(fs::path(victim).parent_path(), at);
             return at;
         },
         "is a symbolic link" + only},
        {"a folder",
         [](const std::string& at, const std::string&) {
             fs::create_directory(at);
             return at;
         },
         "is a folder" + only},
        {"a FIFO",
         [](const std::string& at, const std::string&) {
             EXPECT_EQ(::mkfifo(at.c_str(), 0600), 0);
             return at;
         },
         "is a FIFO" + only},
        {"a device", [](const std::string& at, const std::string&) { return deviceAt(at); }, "is a device" + only},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "victims");
        const std::string victim = pathOf("victims/victim.txt");
        put("victims/victim.txt", "the victim\n");
        const std::string target = c.plant(pathOf("out.txt"), victim);
        if (target.empty()) continue;  // no device node could be made
        const std::string before = whatIs(target);
        const std::vector<std::string> namesBefore = entries();

        EXPECT_EQ(ReplaceFileSafely(StdioFileOps(), target, "new\n"), c.refusal);
        EXPECT_EQ(contentOf("victims/victim.txt"), "the victim\n");
        EXPECT_FALSE(fs::exists(victim + ".new"));
        if (c.refusal.empty()) {
            EXPECT_EQ(whatIs(target), "file:new\n");
            continue;
        }
        EXPECT_EQ(whatIs(target), before);
        EXPECT_EQ(entries(), namesBefore) << "a temporary file left behind";
    }
}

// Nothing planted at a temporary name is followed or touched: not a link at the name the
// helpers once used ("<target>.tmp"), nor one at a drawn name (the draw is made to repeat
// here), which is passed over for another draw.
TEST_F(FileOpsTest, NothingPlantedAtATemporaryNameIsFollowedOrTouched) {
    put("victim.txt", "the victim\n");
    fs::create_symlink(pathOf("victim.txt"), pathOf("out.txt.tmp"));
    fs::create_symlink(pathOf("victim.txt"), pathOf("out.txt.0000000000000001.tmp"));
    FileOps ops = StdioFileOps();
    std::vector<std::uint64_t> draws = {1, 1, 2};
    ops.random = [&](std::uint64_t& value, std::string&) {
        value = draws.empty() ? 1 : draws.front();
        if (!draws.empty()) draws.erase(draws.begin());
        return true;
    };
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf("out.txt"), "new\n"), "");
    EXPECT_EQ(whatIs(pathOf("out.txt")), "file:new\n");
    EXPECT_EQ(contentOf("victim.txt"), "the victim\n");
    EXPECT_EQ(whatIs(pathOf("out.txt.tmp")), "link:" + pathOf("victim.txt"));
    EXPECT_EQ(whatIs(pathOf("out.txt.0000000000000001.tmp")), "link:" + pathOf("victim.txt"));
    EXPECT_EQ(entries().size(), 4u);

    // Every draw taken: a failure with the reason, never a write through a link.
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf("out.txt"), "newer\n"), "no free temporary name beside the output");
    EXPECT_EQ(whatIs(pathOf("out.txt")), "file:new\n");
    EXPECT_EQ(contentOf("victim.txt"), "the victim\n");
}

// The create step itself: exclusive, so any name already there (a file, a link, dangling or
// not) is refused and nothing is opened through it.
TEST_F(FileOpsTest, CreateRefusesEveryNameAlreadyThere) {
    put("victim.txt", "the victim\n");
    put("file.tmp", "a file");
    fs::create_symlink(pathOf("victim.txt"), pathOf("link.tmp"));
    fs::create_symlink(pathOf("made-through-the-link.txt"), pathOf("dangling.tmp"));
    for (const std::string name : {"file.tmp", "link.tmp", "dangling.tmp"}) {
        SCOPED_TRACE(name);
        std::string reason;
        std::FILE* f = StdioFileOps().create(pathOf(name), reason);
        EXPECT_EQ(f, nullptr);
        if (f != nullptr) std::fclose(f);
        EXPECT_EQ(reason, "File exists");
    }
    EXPECT_EQ(contentOf("victim.txt"), "the victim\n");
    EXPECT_FALSE(fs::exists(pathOf("made-through-the-link.txt")));
    std::string reason;
    std::FILE* fresh = StdioFileOps().create(pathOf("fresh.tmp"), reason);
    ASSERT_NE(fresh, nullptr) << reason;
    std::fclose(fresh);
}

TEST_F(FileOpsTest, WriteWholeFileClosesTheFileWhateverStepFails) {
    for (const std::string step : {"write", "flush"}) {
        SCOPED_TRACE(step);
        FileOps ops = failing(step, "broken");
        int closes = 0;
        const FileOps real = StdioFileOps();
        ops.close = [&](std::FILE* f, std::string& r) { ++closes; return real.close(f, r); };
        std::string reason;
        EXPECT_FALSE(WriteWholeFile(ops, pathOf("x.txt"), "wb", "bytes", reason));
        EXPECT_EQ(reason, "broken");
        EXPECT_EQ(closes, 1);
    }
}

// A large output streamed as a writer produces it (many short rows) reaches the table's
// write step in pieces no larger than the stream's buffer: memory stays bounded whatever
// the output's size.
TEST_F(FileOpsTest, StreamedOutputReachesTheTableInBoundedPieces) {
    FileOps ops = StdioFileOps();
    const FileOps real = StdioFileOps();
    std::size_t largest = 0, total = 0, pieces = 0;
    ops.write = [&](std::FILE* f, std::string_view bytes, std::string& r) {
        largest = std::max(largest, bytes.size());
        total += bytes.size();
        ++pieces;
        return real.write(f, bytes, r);
    };
    const std::string row = "UA1AAA,12,14025,CW,2026-05-16,1201,UA2BBB,002,OK,\n";
    const std::size_t rows = 200000;  // about 10 MB
    put("verdicts.csv", "earlier\n");
    const std::string got = ReplaceFileStreaming(ops, pathOf("verdicts.csv"), [&](std::ostream& out) {
        for (std::size_t i = 0; i < rows; ++i) out << row;
        out << std::string(200000, 'z');  // one piece larger than the buffer goes straight through
    });
    EXPECT_EQ(got, "");
    EXPECT_EQ(total, row.size() * rows + 200000);
    EXPECT_GT(pieces, 100u);
    EXPECT_LE(largest, 200000u);
    const std::string written = contentOf("verdicts.csv");
    ASSERT_EQ(written.size(), total);
    EXPECT_EQ(written.compare(0, row.size(), row), 0);
    EXPECT_EQ(written.back(), 'z');
    EXPECT_EQ(entries(), std::vector<std::string>{"verdicts.csv"});
}

TEST_F(FileOpsTest, StreamedOutputWithEveryStepFailingKeepsTheEarlierFile) {
    for (const std::string step : {"kind", "random", "create", "write", "flush", "close", "rename"}) {
        SCOPED_TRACE(step);
        put("results.csv", "earlier\n");
        int rowsAfterFailure = 0;
        const std::string got =
            ReplaceFileStreaming(failing(step, "Disk full"), pathOf("results.csv"), [&](std::ostream& out) {
                for (int i = 0; i < 20000; ++i) {
                    out << "row " << i << "\n";
                    if (!out) ++rowsAfterFailure;  // a failed stream takes the rest quietly
                }
            });
        EXPECT_EQ(got, "Disk full");
        EXPECT_EQ(contentOf("results.csv"), "earlier\n");
        EXPECT_EQ(entries(), std::vector<std::string>{"results.csv"}) << "temporary file left behind";
        if (step == "write") {
            EXPECT_GT(rowsAfterFailure, 0);
        }
    }
}

TEST_F(FileOpsTest, AReplacementNotCommittedLeavesNothing) {
    put("report.txt", "earlier\n");
    {
        FileReplacement file(StdioFileOps(), pathOf("report.txt"));
        ASSERT_TRUE(file.open());
        EXPECT_TRUE(file.write("half of it"));
        EXPECT_EQ(entries().size(), 2u);
    }  // the run ended before the output was whole
    EXPECT_EQ(contentOf("report.txt"), "earlier\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"report.txt"});
}

// A file another library fills by its name (SQLite): made and put in place by the table.
TEST_F(FileOpsTest, AReplacementFilledByNameIsPutInPlaceWhole) {
    FileReplacement file(StdioFileOps(), pathOf("contest.db"));
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.closeTemporary());
    std::ofstream(file.temporaryPath(), std::ios::binary | std::ios::app) << "filled by name";
    EXPECT_EQ(file.commit(), "");
    EXPECT_EQ(contentOf("contest.db"), "filled by name");
    EXPECT_EQ(entries(), std::vector<std::string>{"contest.db"});
}

// Inputs are regular files only (a link to one is followed); anything else is refused with
// what it is, without reading from it. A FIFO without a writer is refused at once: the
// reading runs in a child process under an alarm, so a regression ends the child instead
// of hanging the tests, and the assertion is on its outcome.
TEST_F(FileOpsTest, OnlyRegularFilesAreReadAsInputs) {
    put("log.cbr", "START-OF-LOG: 3.0\r\n");
    fs::create_symlink(pathOf("log.cbr"), pathOf("link.cbr"));
    fs::create_symlink(pathOf("missing.cbr"), pathOf("dangling.cbr"));
    fs::create_directory(pathOf("folder.cbr"));
    ASSERT_EQ(::mkfifo(pathOf("fifo.cbr").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string content;  // when read
        std::string reason;   // when refused
    };
    const Case cases[] = {
        {pathOf("log.cbr"), "START-OF-LOG: 3.0\r\n", ""},
        {pathOf("link.cbr"), "START-OF-LOG: 3.0\r\n", ""},
        {pathOf("dangling.cbr"), "", "is a symbolic link whose target does not exist"},
        {pathOf("folder.cbr"), "", "is a folder, not a file"},
        {pathOf("fifo.cbr"), "", "is a FIFO, not a regular file"},
        {"/dev/zero", "", "is a device, not a regular file"},
        {"/dev/full", "", "is a device, not a regular file"},
        {pathOf("missing.cbr"), "", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EXIT(
            {
                ::alarm(30);
                std::string reason;
                const std::optional<std::string> got = ReadWholeFile(StdioFileOps(), c.path, reason);
                const bool right = c.reason.empty() ? got == c.content : (!got && reason == c.reason);
                if (!right) std::fprintf(stderr, "read: %s\n", got ? "the content" : reason.c_str());
                std::_Exit(right ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

TEST_F(FileOpsTest, ReadWholeFileIsBinaryAndFailsOnAReadError) {
    const std::string bytes("a\r\nb\n\0\xC0", 7);
    put("x.bin", bytes);
    EXPECT_EQ(ReadWholeFile(StdioFileOps(), pathOf("x.bin")), bytes);
    EXPECT_EQ(ReadWholeFile(StdioFileOps(), pathOf("missing")), std::nullopt);
    // A read error after a first piece: no partial content, and the system's reason.
    FileOps ops = StdioFileOps();
    int calls = 0;
    ops.read = [&](std::FILE*, char* buffer, std::size_t, std::size_t& got, std::string& r) {
        if (calls++ == 0) {
            buffer[0] = 'p';
            got = 1;
            return true;
        }
        r = "Input/output error";
        return false;
    };
    std::string reason;
    EXPECT_EQ(ReadWholeFile(ops, pathOf("x.bin"), reason), std::nullopt);
    EXPECT_EQ(reason, "Input/output error");
}

}  // namespace
// One file under every name: another spelling, a hard or a symbolic link is the same file;
// a copy with the same bytes, a missing name or a folder beside it are not.
TEST_F(FileOpsTest, SameFileComparesFilesNotNames) {
    put("log.adi", "<CALL:6>RA3DKM <EOR>");
    put("copy.adi", "<CALL:6>RA3DKM <EOR>");
    fs::create_hard_link(pathOf("log.adi"), pathOf("hard.adi"));
    fs::create_symlink(pathOf("log.adi"), pathOf("soft.adi"));
    fs::create_symlink("log.adi", pathOf("relative.adi"));
    fs::create_directory(pathOf("sub"));
    const struct {
        std::string other;
        bool same;
    } cases[] = {
        {pathOf("log.adi"), true},          {pathOf("sub/../log.adi"), true}, {pathOf("./log.adi"), true},
        {pathOf("hard.adi"), true},         {pathOf("soft.adi"), true},       {pathOf("relative.adi"), true},
        {pathOf("copy.adi"), false},        {pathOf("missing.adi"), false},   {pathOf("sub"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameFile(StdioFileOps(), pathOf("log.adi"), c.other), c.same) << c.other;
    EXPECT_FALSE(SameFile(StdioFileOps(), pathOf("missing.adi"), pathOf("missing.adi")));
}

}  // namespace velmor
