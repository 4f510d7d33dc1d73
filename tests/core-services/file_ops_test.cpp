// The file helpers against a table of OS steps in which any one step fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "services/file_ops.h"

namespace velmor {
namespace {

namespace fs = std::filesystem;

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
    return ops;
}

TEST_F(FileOpsTest, ReplaceWithEveryStepFailingKeepsTheEarlierFileAndSaysWhy) {
    for (const std::string step : {"open", "write", "flush", "close", "rename"}) {
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

TEST_F(FileOpsTest, ReplaceWritesThroughTheTemporaryNameAndLeavesOnlyTheTarget) {
    FileOps ops = StdioFileOps();
    std::string openedPath, renamedFrom, renamedTo;
    const FileOps real = StdioFileOps();
    ops.open = [&](const std::string& path, const char* mode, std::string& r) {
        openedPath = path;
        return real.open(path, mode, r);
    };
    ops.rename = [&](const std::string& from, const std::string& to, std::string& r) {
        renamedFrom = from;
        renamedTo = to;
        return real.rename(from, to, r);
    };
    put("LOG.cbr", std::string(5000, 'x'));
    EXPECT_EQ(ReplaceFileSafely(ops, pathOf("LOG.cbr"), std::string("a\r\n\0b", 5)), "");
    EXPECT_EQ(openedPath, pathOf("LOG.cbr.tmp"));
    EXPECT_EQ(renamedFrom, pathOf("LOG.cbr.tmp"));
    EXPECT_EQ(renamedTo, pathOf("LOG.cbr"));
    EXPECT_EQ(contentOf("LOG.cbr"), std::string("a\r\n\0b", 5));
    EXPECT_EQ(entries(), std::vector<std::string>{"LOG.cbr"});
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
    for (const std::string step : {"open", "write", "flush", "close", "rename"}) {
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

TEST_F(FileOpsTest, ReadWholeFileIsBinaryAndFailsOnAReadError) {
    const std::string bytes("a\r\nb\n\0\xC0", 7);
    put("x.bin", bytes);
    EXPECT_EQ(ReadWholeFile(StdioFileOps(), pathOf("x.bin")), bytes);
    EXPECT_EQ(ReadWholeFile(StdioFileOps(), pathOf("missing")), std::nullopt);
    FileOps ops = StdioFileOps();
    ops.readAll = [](std::FILE*, std::string& content) { content = "partial"; return false; };
    EXPECT_EQ(ReadWholeFile(ops, pathOf("x.bin")), std::nullopt);
}

}  // namespace
}  // namespace velmor
