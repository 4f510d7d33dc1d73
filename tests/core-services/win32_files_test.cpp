// The file helpers on the Win32 table (Stats.dll, Orvin.exe and velmor.exe use it), run under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "services/file_ops.h"
#include "win32_files.h"

namespace velmor {
namespace {

const FileOps& ops() { return win32::Win32FileOps(); }

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, base), 0u);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::string(base) + "velmor-win32-files-" + info->name() + "-" + std::to_string(GetCurrentProcessId());
        removeAll();
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override { removeAll(); }

    std::string pathOf(const std::string& name) const { return dir_ + "\\" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::string reason;
        ASSERT_TRUE(WriteWholeFile(ops(), pathOf(name), "wb", bytes, reason)) << reason;
    }
    std::string contentOf(const std::string& name) const {
        return ReadWholeFile(ops(), pathOf(name)).value_or("<unreadable>");
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        const HANDLE h = FindFirstFileA(pathOf("*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string n = data.cFileName;
            if (n != "." && n != "..") names.push_back(n);
        } while (FindNextFileA(h, &data));
        FindClose(h);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir_;

private:
    void removeAll() const {
        for (const std::string& n : entries()) {
            const std::string p = pathOf(n);
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(p.c_str())) RemoveDirectoryA(p.c_str());
        }
        RemoveDirectoryA(dir_.c_str());
    }
};

TEST_F(Win32Files, ReplacesAnExistingFileThroughARandomTemporaryName) {
    FileOps recording = ops();
    std::vector<std::string> created;
    recording.create = [&](const std::string& path, std::string& r) {
        created.push_back(path);
        return ops().create(path, r);
    };
    put("RZ3VLM.cbr", "an earlier and much longer log\r\n");
    EXPECT_EQ(ReplaceFileSafely(recording, pathOf("RZ3VLM.cbr"), "new\r\n"), "");
    EXPECT_EQ(ReplaceFileSafely(recording, pathOf("RZ3VLM.cbr"), "newer\r\n"), "");
    EXPECT_EQ(contentOf("RZ3VLM.cbr"), "newer\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"RZ3VLM.cbr"});
    ASSERT_EQ(created.size(), 2u);
    EXPECT_NE(created[0], created[1]);
    for (const std::string& name : created)
        EXPECT_TRUE(std::regex_match(name, std::regex(".*RZ3VLM[.]cbr[.][0-9a-f]{16}[.]tmp"))) << name;
}

// CREATE_NEW: an existing name (a file planted at the drawn name) is never opened.
TEST_F(Win32Files, CreateRefusesAnExistingName) {
    put("taken.tmp", "planted");
    std::string reason;
    std::FILE* f = ops().create(pathOf("taken.tmp"), reason);
    EXPECT_EQ(f, nullptr);
    if (f != nullptr) std::fclose(f);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(contentOf("taken.tmp"), "planted");
}

// A device name (in any folder, with any extension) or a folder at the output's name is
// refused; nothing is written to the device or left beside it.
TEST_F(Win32Files, AnOutputReplacesOnlyARegularFile) {
    const std::string only = ": an output replaces only a regular file";
    ASSERT_TRUE(CreateDirectoryA(pathOf("out.cbr").c_str(), nullptr));
    const std::pair<std::string, std::string> cases[] = {
        {"NUL", "is a device" + only},
        {pathOf("COM1.txt"), "is a device" + only},
        {pathOf("con .cbr"), "is a device" + only},
        {"\\\\.\\NUL", "is a device" + only},
        {pathOf("out.cbr"), "is a folder" + only},
    };
    for (const auto& [target, refusal] : cases) {
        SCOPED_TRACE(target);
        EXPECT_EQ(ReplaceFileSafely(ops(), target, "bytes"), refusal);
    }
    EXPECT_EQ(entries(), std::vector<std::string>{"out.cbr"});
}

// Inputs are disk files only: a device (by its name, or by what the handle turns out to
// be) or a folder is refused with what it is, and nothing is read from it.
TEST_F(Win32Files, OnlyDiskFilesAreReadAsInputs) {
    put("log.cbr", "START-OF-LOG: 3.0\r\n");
    ASSERT_TRUE(CreateDirectoryA(pathOf("folder.cbr").c_str(), nullptr));
    const std::pair<std::string, std::string> refused[] = {
        {"NUL", "is a device, not a regular file"},
        {"CON", "is a device, not a regular file"},
        {pathOf("com1.cbr"), "is a device, not a regular file"},
        {"\\\\.\\NUL", "is a device, not a regular file"},
        {pathOf("folder.cbr"), "is a folder, not a file"},
    };
    for (const auto& [path, reason] : refused) {
        SCOPED_TRACE(path);
        std::string why;
        EXPECT_EQ(ReadWholeFile(ops(), path, why), std::nullopt);
        EXPECT_EQ(why, reason);
    }
    std::string why;
    EXPECT_EQ(ReadWholeFile(ops(), pathOf("missing.cbr"), why), std::nullopt);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(ReadWholeFile(ops(), pathOf("log.cbr"), why), std::string("START-OF-LOG: 3.0\r\n")) << why;
}

// Where the system lets this process make a symbolic link, one at the output's name is
// refused and the file it points to keeps its bytes.
TEST_F(Win32Files, ALinkAtTheOutputIsRefused) {
    put("victim.txt", "the victim\r\n");
    if (!CreateSymbolicLinkA(pathOf("out.cbr").c_str(), pathOf("victim.txt").c_str(), 0))
        GTEST_SKIP() << "no symbolic links here: " << win32::systemMessage(GetLastError());
    // Wine answers success without making a link: nothing to test there.
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA(pathOf("out.cbr").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) GTEST_SKIP() << "the system reported a link it did not make";
    FindClose(find);
    ASSERT_NE(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(ReplaceFileSafely(ops(), pathOf("out.cbr"), "bytes"),
              "is a symbolic link: an output replaces only a regular file");
    EXPECT_EQ(contentOf("victim.txt"), "the victim\r\n");
}

// Which file a name stands for, on the Win32 table: another spelling and a hard link are the
// same file (volume serial number and file index), a copy with the same bytes is not.
TEST_F(Win32Files, SameFileComparesFilesNotNames) {
    put("log.adi", "<CALL:6>RA3DKM <EOR>");
    put("copy.adi", "<CALL:6>RA3DKM <EOR>");
    ASSERT_TRUE(CreateHardLinkA(pathOf("hard.adi").c_str(), pathOf("log.adi").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(pathOf("sub").c_str(), nullptr));
    const struct {
        std::string other;
        bool same;
    } cases[] = {
        {pathOf("log.adi"), true},  {pathOf("sub\\..\\log.adi"), true}, {dir_ + "/log.adi", true},
        {pathOf("LOG.ADI"), true},  {pathOf("hard.adi"), true},         {pathOf("copy.adi"), false},
        {pathOf("missing.adi"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameFile(ops(), pathOf("log.adi"), c.other), c.same) << c.other;
}

// Names go to the system as UTF-16 whatever the code page: velmor.exe's table takes UTF-8
// (a Greek name, which code page 1251 cannot hold, included), the ANSI table of Stats.dll
// and Orvin.exe takes the code page's bytes as before, and both reach the same files.
TEST_F(Win32Files, NamesReachTheSystemAsUtf16InEitherEncoding) {
    const FileOps& utf8 = win32::Win32Utf8FileOps();
    const FileOps& ansi = win32::Win32FileOps();
    const std::string cyrillicUtf8 = "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB.cbr";  // "Журнал.cbr"
    const std::string greekUtf8 = "\xCE\xA9mega.cbr";                                     // "Ωmega.cbr"
    const std::string cyrillicAnsi = win32::fromWide(
        [&] { bool ok = false; return win32::toWide(cyrillicUtf8, CP_UTF8, ok); }(), CP_ACP);
    const std::string folderUtf8 = dir_ + "\\\xD0\xBB\xD0\xBE\xD0\xB3\xD0\xB8";  // "логи"
    bool ok = false;
    ASSERT_TRUE(CreateDirectoryW(win32::toWide(folderUtf8, CP_UTF8, ok).c_str(), nullptr));

    EXPECT_EQ(ReplaceFileSafely(utf8, folderUtf8 + "\\" + cyrillicUtf8, "utf-8 name"), "");
    EXPECT_EQ(ReplaceFileSafely(utf8, folderUtf8 + "\\" + greekUtf8, "greek name"), "");
    EXPECT_EQ(ReadWholeFile(utf8, folderUtf8 + "\\" + greekUtf8), std::string("greek name"));
    std::string reason;
    EXPECT_EQ(utf8.kind(folderUtf8 + "\\" + cyrillicUtf8, reason), FileKind::Regular);
    std::vector<std::string> names;
    ASSERT_TRUE(utf8.list(folderUtf8, names, reason)) << reason;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{greekUtf8, cyrillicUtf8}));

    // The same file by its ANSI name, where the code page holds its letters (1251 under
    // the tests' Russian locale).
    if (GetACP() == 1251) {
        const std::string folderAnsi = win32::fromWide(win32::toWide(folderUtf8, CP_UTF8, ok), CP_ACP);
        EXPECT_EQ(ReadWholeFile(ansi, folderAnsi + "\\" + cyrillicAnsi), std::string("utf-8 name"));
        EXPECT_EQ(ReplaceFileSafely(ansi, folderAnsi + "\\" + cyrillicAnsi, "ansi name"), "");
        EXPECT_EQ(ReadWholeFile(utf8, folderUtf8 + "\\" + cyrillicUtf8), std::string("ansi name"));
    }
    // Bytes that are not UTF-8 are no name for velmor.exe; the reason says so.
    EXPECT_EQ(ReplaceFileSafely(utf8, dir_ + "\\\xC6\xF3.cbr", "x"), "the file name is not valid UTF-8");
    EXPECT_EQ(win32::systemMessageUtf8(ERROR_FILE_NOT_FOUND).empty(), false);

    for (const std::string& n : {greekUtf8, cyrillicUtf8}) utf8.remove(folderUtf8 + "\\" + n);
    RemoveDirectoryW(win32::toWide(folderUtf8, CP_UTF8, ok).c_str());
}

}  // namespace
}  // namespace velmor
