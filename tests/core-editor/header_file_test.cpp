// Tests of the header editor's file: layout byte for byte, line splitting, names, and OK's writes.
#include "header_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvin {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// The form as filled for the golden file tests/data/editor/filled.cbr (code page 1251).
HeaderFields FilledForm() {
    HeaderFields f;
    f.callsign = "UA1ABC";
    f.contest = "SOMETHING ELSE";
    f.categoryOperator = "MULTI-OP";
    f.categoryBand = "80m";
    f.categoryMode = "DIGI";
    f.location = "MA01";
    f.claimed = "13";
    f.createdBy = "Kova 2.7.1";
    f.name = "\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2";
    f.address = "\xf3\xeb. \xcb\xe5\xed\xe8\xed\xe0, 1\r\n\xd1\xe0\xed\xea\xf2-\xcf\xe5\xf2\xe5\xf0\xe1\xf3\xf0\xe3";
    f.club = "\xd0\xe0\xe4\xe8\xee\xea\xeb\xf3\xe1";
    f.operators = "UA1ABC RA1QQ";
    f.soapbox = "Good conditions on 80m.\r\n\r\n73!";
    f.email = "ua1abc@example.org";
    return f;
}

// The fifteen header lines of an otherwise empty form, up to the line before SOAPBOX.
const char kEmptyHeadUpToOperators[] =
    "START-OF-LOG: 3.0\r\n"
    "CONTEST: KALVER-PSK\r\n"
    "CALLSIGN: \r\n"
    "CATEGORY-OPERATOR: \r\n"
    "CATEGORY-BAND: \r\n"
    "CATEGORY-MODE: \r\n"
    "LOCATION: \r\n"
    "CLUB: \r\n"
    "CREATED-BY: \r\n"
    "CLAIMED-SCORE: \r\n"
    "EMAIL: \r\n"
    "NAME: \r\n"
    "ADDRESS: \r\n"
    "OPERATORS: \r\n";

TEST(HeaderFile, FilledFormMatchesGoldenFileByteForByte) {
    const std::string body = ReadBytes(fs::path(EDITOR_DATA_DIR) / "body.tmp");
    const std::string golden = ReadBytes(fs::path(EDITOR_DATA_DIR) / "filled.cbr");
    ASSERT_FALSE(body.empty());
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(BuildLogFile(FilledForm(), body), golden);
}

TEST(HeaderFile, EmptyFormAndEmptyBodyGiveBareTagsThenEndOfLog) {
    EXPECT_EQ(BuildLogFile(HeaderFields{}, ""),
              std::string(kEmptyHeadUpToOperators) + "SOAPBOX: \r\nEND-OF-LOG:\r\n");
}

// One field set on an empty form; `lines` is what must appear in the file, whole lines.
struct FieldCase {
    const char* what;
    void (*set)(HeaderFields&);
    const char* lines;
};

const FieldCase kFieldCases[] = {
    {"band as listed, lower-case m", [](HeaderFields& f) { f.categoryBand = "160m"; },
     "\r\nCATEGORY-BAND: 160m\r\n"},
    {"operator item with a blank", [](HeaderFields& f) { f.categoryOperator = "ONLY RUSSIA"; },
     "\r\nCATEGORY-OPERATOR: ONLY RUSSIA\r\n"},
    {"contest field ignored", [](HeaderFields& f) { f.contest = "CQ-WW-RTTY"; },
     "\r\nCONTEST: KALVER-PSK\r\nCALLSIGN: \r\n"},
    {"empty multi-line field", [](HeaderFields& f) { f.operators = ""; },
     "\r\nOPERATORS: \r\nSOAPBOX: "},
    {"multi-line field ending in a line break", [](HeaderFields& f) { f.operators = "UA1ABC\r\n"; },
     "\r\nOPERATORS: UA1ABC\r\nOPERATORS: \r\nSOAPBOX: "},
    {"two-line address", [](HeaderFields& f) { f.address = "Line 1\r\nLine 2"; },
     "\r\nADDRESS: Line 1\r\nADDRESS: Line 2\r\nOPERATORS: "},
    {"call sign as typed, no trimming or case change", [](HeaderFields& f) { f.callsign = " ua1/p "; },
     "\r\nCALLSIGN:  ua1/p \r\nCATEGORY-OPERATOR: "},
    {"claimed score is whatever was typed", [](HeaderFields& f) { f.claimed = "lots"; },
     "\r\nCREATED-BY: \r\nCLAIMED-SCORE: lots\r\nEMAIL: "},
};

TEST(HeaderFile, FieldsLandOnTheirLines) {
    for (const FieldCase& c : kFieldCases) {
        HeaderFields f;
        c.set(f);
        const std::string file = BuildLogFile(f, "");
        EXPECT_NE(file.find(c.lines), std::string::npos) << c.what << "\n" << file;
        const std::string tail = "\r\nSOAPBOX: \r\nEND-OF-LOG:\r\n";
        EXPECT_EQ(file.compare(file.size() - tail.size(), tail.size(), tail), 0) << c.what;
    }
}

TEST(HeaderFile, BodyEndsEveryLineWithCrLfAndFollowsSoapbox) {
    EXPECT_EQ(BuildLogFile(HeaderFields{}, "A\r\nB\nC"),
              std::string(kEmptyHeadUpToOperators) + "SOAPBOX: \r\nA\r\nB\r\nC\r\nEND-OF-LOG:\r\n");
}

TEST(TaggedLines, EveryLineOfTheBoxGetsTheTag) {
    const struct {
        const char* value;
        const char* expected;
    } cases[] = {
        {"", "T: \r\n"},
        {"one", "T: one\r\n"},
        {"a\r\nb", "T: a\r\nT: b\r\n"},
        {"a\r\n", "T: a\r\nT: \r\n"},
        {"\r\n", "T: \r\nT: \r\n"},
        {"\r\na", "T: \r\nT: a\r\n"},
        {"a\r\n\r\nb", "T: a\r\nT: \r\nT: b\r\n"},
        {"a\nb", "T: a\r\nT: b\r\n"},    // a bare LF still ends the line with CR LF
        {"\n", "T: \r\nT: \r\n"},
        {"a\rb", "T: a\rb\r\n"},         // a lone CR is no line break: kept as typed
        {"\xc0\xff\r\n\x01", "T: \xc0\xff\r\nT: \x01\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TaggedLines("T:", c.value), c.expected) << ::testing::PrintToString(std::string(c.value));
}

TEST(BodyLines, SplitAtLineFeedDroppingTheCrBeforeIt) {
    const struct {
        const char* body;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"\n\n", {"", ""}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\r\nb", {"a\r", "b"}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\r", {"a\r"}},
        {"\r\n\r\nx", {"", "", "x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BodyLines(c.body), c.lines) << ::testing::PrintToString(std::string(c.body));
}

TEST(LogFileName, CallSignExactlyAsTypedPlusExtension) {
    EXPECT_EQ(LogFileName("UA1ABC"), "UA1ABC.cbr");
    EXPECT_EQ(LogFileName("ua1abc"), "ua1abc.cbr");
    EXPECT_EQ(LogFileName(""), ".cbr");
}

TEST(IsPlainFileName, RejectsWhatWindowsForbidsOrWouldAlter) {
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"UA1ABC.cbr", true},
        {".cbr", true},
        {"\xd0\xc0\x31\xc0\xc0.cbr", true},   // Cyrillic in code page 1251
        {"UA1ABC-P.cbr", true},
        {"CONTEST.cbr", true},
        {"COM0.cbr", true},
        {"COM10.cbr", true},
        {"LPT.cbr", true},
        {"CONSOLE.cbr", true},
        {"", false},
        {"UA1ABC/P.cbr", false},
        {"..\\UA1ABC.cbr", false},
        {"../UA1ABC.cbr", false},
        {"C:UA1ABC.cbr", false},
        {"C:\\Windows\\x.cbr", false},
        {"UA<1>.cbr", false},
        {"UA\"1.cbr", false},
        {"UA|1.cbr", false},
        {"UA?.cbr", false},
        {"UA*.cbr", false},
        {"UA\t1.cbr", false},
        {"UA\x1f.cbr", false},
        {"CON.cbr", false},
        {"con.cbr", false},
        {"Nul.cbr", false},
        {"PRN.cbr", false},
        {"AUX.cbr", false},
        {"COM1.cbr", false},
        {"lpt9.cbr", false},
        {"CON.x.cbr", false},
        {"CON .cbr", false},
        {"UA1ABC.cbr ", false},
        {"UA1ABC.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainFileName(c.name), c.plain) << ::testing::PrintToString(std::string(c.name));
}

// Files in memory whose replacement can be made to fail.
class FakeLogFiles : public LogFiles {
public:
    std::map<std::string, std::string> files;
    int failReplacements = 0;
    std::vector<std::string> reads, replaces;

    std::optional<std::string> readFile(const std::string& name) override {
        reads.push_back(name);
        auto it = files.find(name);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    bool replaceFile(const std::string& name, const std::string& bytes) override {
        replaces.push_back(name);
        if (failReplacements > 0) {
            --failReplacements;
            return false;
        }
        files[name] = bytes;
        return true;
    }
};

TEST(SaveLogFile, WritesTheWholeFileUnderTheCallSign) {
    FakeLogFiles files;
    files.files["tmp.tmp"] = "QSO: x\r\n";
    HeaderFields f = FilledForm();
    EXPECT_EQ(SaveLogFile(f, files), SaveResult::Written);
    EXPECT_EQ(files.files["UA1ABC.cbr"], BuildLogFile(f, "QSO: x\r\n"));
    EXPECT_EQ(files.files["tmp.tmp"], "QSO: x\r\n");
}

TEST(SaveLogFile, FailuresLeaveTheEarlierFileAndASecondOkSucceeds) {
    FakeLogFiles files;
    files.files["UA1ABC.cbr"] = "earlier";
    const HeaderFields f = FilledForm();

    EXPECT_EQ(SaveLogFile(f, files), SaveResult::NoBody);
    EXPECT_TRUE(files.replaces.empty());
    EXPECT_EQ(files.files["UA1ABC.cbr"], "earlier");

    files.files["tmp.tmp"] = "";
    files.failReplacements = 1;
    EXPECT_EQ(SaveLogFile(f, files), SaveResult::WriteFailed);
    EXPECT_EQ(files.files["UA1ABC.cbr"], "earlier");

    EXPECT_EQ(SaveLogFile(f, files), SaveResult::Written);
    EXPECT_EQ(files.files["UA1ABC.cbr"], BuildLogFile(f, ""));
}

TEST(SaveLogFile, ACallSignThatCannotNameAFileTouchesNoFile) {
    for (const char* call : {"..\\UA1ABC", "C:\\temp\\x", "UA1/P", "CON", "lpt1", "UA1?"}) {
        FakeLogFiles files;
        files.files["tmp.tmp"] = "body";
        HeaderFields f;
        f.callsign = call;
        EXPECT_EQ(SaveLogFile(f, files), SaveResult::BadName) << call;
        EXPECT_TRUE(files.reads.empty()) << call;
        EXPECT_TRUE(files.replaces.empty()) << call;
    }
}

// Runs each test in a fresh empty working directory, as OK uses relative names.
class InWorkingDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "editor-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path previous_, dir_;
};

TEST_F(InWorkingDirectory, OkOnDiskReplacesAnEarlierLongerFileWhole) {
    fs::copy_file(fs::path(EDITOR_DATA_DIR) / "body.tmp", "tmp.tmp");
    WriteBytes("UA1ABC.cbr", std::string(5000, 'x'));
    StdioLogFiles files;
    EXPECT_EQ(SaveLogFile(FilledForm(), files), SaveResult::Written);
    EXPECT_EQ(ReadBytes("UA1ABC.cbr"), ReadBytes(fs::path(EDITOR_DATA_DIR) / "filled.cbr"));
    EXPECT_EQ(ReadBytes("tmp.tmp"), ReadBytes(fs::path(EDITOR_DATA_DIR) / "body.tmp"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"UA1ABC.cbr", "tmp.tmp"}));
}

TEST_F(InWorkingDirectory, OkOnDiskWithEmptyCallSignWritesDotCbr) {
    WriteBytes("tmp.tmp", "");
    StdioLogFiles files;
    EXPECT_EQ(SaveLogFile(HeaderFields{}, files), SaveResult::Written);
    EXPECT_EQ(ReadBytes(".cbr"), std::string(kEmptyHeadUpToOperators) + "SOAPBOX: \r\nEND-OF-LOG:\r\n");
}

TEST_F(InWorkingDirectory, OkOnDiskWithoutBodyCreatesNothingAndKeepsTheEarlierFile) {
    WriteBytes("UA1ABC.cbr", "earlier");
    StdioLogFiles files;
    EXPECT_EQ(SaveLogFile(FilledForm(), files), SaveResult::NoBody);
    EXPECT_EQ(ReadBytes("UA1ABC.cbr"), "earlier");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"UA1ABC.cbr"}));
}

TEST_F(InWorkingDirectory, FailedReplacementLeavesNoTemporaryFileAndRetrySucceeds) {
    WriteBytes("tmp.tmp", "Q\r\n");
    // A folder where the log file should go: the final move fails.
    fs::create_directory("UA1ABC.cbr");
    WriteBytes("UA1ABC.cbr/keep", "k");
    StdioLogFiles files;
    EXPECT_EQ(SaveLogFile(FilledForm(), files), SaveResult::WriteFailed);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"UA1ABC.cbr", "tmp.tmp"}));
    EXPECT_EQ(ReadBytes("UA1ABC.cbr/keep"), "k");

    fs::remove_all("UA1ABC.cbr");
    EXPECT_EQ(SaveLogFile(FilledForm(), files), SaveResult::Written);
    EXPECT_EQ(ReadBytes("UA1ABC.cbr"), BuildLogFile(FilledForm(), "Q\r\n"));
}

}  // namespace
}  // namespace orvin
