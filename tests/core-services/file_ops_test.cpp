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
        ops.write = [reason](std::FILE*, const std::string&, std::string& r) { r = reason; return false; };
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
