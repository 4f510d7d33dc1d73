// The operator's mistakes, run through velmor as an operator makes them: each with the exit
// status, the message and the files left afterwards; the inputs stay as they were, byte for
// byte. One table. VELMOR_UNDER_TEST (a command, e.g. the Wine wrapper and velmor.exe) runs
// the same table on another build of the program.
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_at.h"

namespace fs = std::filesystem;

namespace {

using velmor::test::readFile;

const std::string kTop = VELMOR_SOURCE_DIR;
const std::string kFixtures = kTop + "/tests/data/velmor/mistakes/";

// The program under test: velmor as built, or the command VELMOR_UNDER_TEST names.
std::string velmorCommand() {
    const char* other = std::getenv("VELMOR_UNDER_TEST");
    return other && *other ? std::string(other) : "'" + std::string(VELMOR_EXE) + "'";
}

struct Step {
    std::string command;  // a shell command; a leading "velmor" runs the program under test
    int status;
};

struct Mistake {
    const char* name;
    std::map<std::string, std::string> given;  // file name -> "@fixture path" or its bytes
    std::vector<Step> steps;
    std::vector<std::string> messages;          // lines the last step prints (stderr and stdout)
    std::set<std::string> left;                 // files and folders there afterwards, the given ones too
    std::map<std::string, std::vector<std::string>> holds = {};  // a file left -> texts it holds
};

// GoogleTest names a failing case by this.
void PrintTo(const Mistake& m, std::ostream* os) { *os << m.name; }

const std::string kSample = "@" + kTop + "/examples/sample.adi";
const std::string kPluginFile = "@" + kTop + "/tests/data/velmor/RZ3VLM.cbr";
const std::string kSampleSummary =
    "s.adi: 41 records: 37 contest QSOs; 1 without a received exchange (SRX_STRING or SRX), 3 in modes outside CW, "
    "SSB and BPSK63 (FT8, PSK31, RTTY)";
const std::string kBands = "@" + kFixtures + "freq-and-bands.adi";
const std::string kNoRst = "@" + kFixtures + "no-rst.adi";
const std::string kOtherAdif = "@" + kFixtures + "other-contest.adi";
const std::string kOtherCbr = "@" + kFixtures + "other-contest.cbr";
const std::string kBeyond = "beyond the host's frequency range (up to 4294.967295 MHz)";

const Mistake kMistakes[] = {
    // ---- output onto its input ----
    {"the finished Cabrillo file given as the log, written by its own name",
     {{"RZ3VLM.cbr", kPluginFile}},
     {{"velmor cabrillo RZ3VLM.cbr --call RZ3VLM", 3}},
     {"RZ3VLM.cbr: error: cannot write: it is the input RZ3VLM.cbr; nothing written (choose another name with -o)"},
     {"RZ3VLM.cbr"}},
    {"the ADIF log as -o, by another path to it",
     {{"s.adi", kSample}},
     {{"velmor cabrillo s.adi --call RZ3VLM -o ./s.adi", 3}},
     {"./s.adi: error: cannot write: it is the input s.adi; nothing written (choose another name with -o)"},
     {"s.adi"}},
    {"the output is a hard link to the log",
     {{"s.adi", kSample}},
     {{"ln s.adi copy.adi", 0}, {"velmor body s.adi --call RZ3VLM -o copy.adi", 3}},
     {"copy.adi: error: cannot write: it is the input s.adi; nothing written (choose another name with -o)"},
     {"s.adi", "copy.adi"}},
    {"the output is a symbolic link to the log",
     {{"RZ3VLM.cbr", kPluginFile}},
     {{"ln -s RZ3VLM.cbr link.cbr", 0}, {"velmor cabrillo RZ3VLM.cbr --call RZ3VLM -o link.cbr", 3}},
     {"link.cbr: error: cannot write: it is the input RZ3VLM.cbr; nothing written (choose another name with -o)"},
     {"RZ3VLM.cbr", "link.cbr"}},
    {"the output is the station-details file",
     {{"s.adi", kSample}, {"d.ini", "[Settings]\r\nName=Ivan\r\n"}},
     {{"velmor cabrillo s.adi --call RZ3VLM --details d.ini -o d.ini", 3}},
     {"d.ini: error: cannot write: it is the input d.ini; nothing written (choose another name with -o)"},
     {"s.adi", "d.ini"}},
    {"a committee's output that is one of the logs",
     {{"ua1aaa.cbr", "@" + kTop + "/examples/crosscheck/ua1aaa.cbr"}},
     {{"mkdir out && ln ua1aaa.cbr out/results.html", 0}, {"velmor crosscheck ua1aaa.cbr -o out", 3}},
     {"crosscheck: error: cannot write out/results.html: it is the input ua1aaa.cbr; nothing written (choose "
      "another OUTDIR or --sqlite FILE)"},
     {"ua1aaa.cbr", "out", "out/results.html"}},
    {"a successful run says what it wrote",
     {{"s.adi", kSample}},
     {{"velmor cabrillo s.adi --call RZ3VLM", 1}},
     {kSampleSummary, "written: RZ3VLM.cbr (37 QSO lines, claimed score 72)"},
     {"s.adi", "RZ3VLM.cbr"},
     {{"RZ3VLM.cbr", {"\r\nCLAIMED-SCORE: 72\r\n", "\r\nEND-OF-LOG:\r\n"}}}},

    // ---- logs that give nothing useful ----
    {"an empty ADIF log",
     {{"empty.adi", ""}},
     {{"velmor cabrillo empty.adi --call RZ3VLM", 1}},
     {"empty.adi: warning: no ADIF records in the file", "RZ3VLM.cbr: not written: empty.adi holds no contest QSO",
      "empty.adi: 0 records: 0 contest QSOs"},
     {"empty.adi"}},
    {"an empty log scored",
     {{"empty.adi", ""}},
     {{"velmor score empty.adi", 1}},
     {"empty.adi: 0 records: 0 contest QSOs", "Score:  0"},
     {"empty.adi"}},
    {"another contest's ADIF log",
     {{"cqww.adi", kOtherAdif}},
     {{"velmor cabrillo cqww.adi --call RZ3VLM", 1}},
     {"RZ3VLM.cbr: not written: cqww.adi holds no contest QSO",
      "cqww.adi: 5 records: 0 contest QSOs; 3 without a received exchange (SRX_STRING or SRX), 2 in modes outside "
      "CW, SSB and BPSK63 (FT4, RTTY)"},
     {"cqww.adi"}},
    {"another contest's Cabrillo log checked",
     {{"cqww.cbr", kOtherCbr}},
     {{"velmor check cqww.cbr", 2}},
     {"cqww.cbr:2: warning: CONTEST: CQ-WW-CW is not this contest"},
     {"cqww.cbr"}},
    {"another contest's log among the committee's",
     {{"cqww.cbr", kOtherCbr}, {"ua1aaa.cbr", "@" + kTop + "/examples/crosscheck/ua1aaa.cbr"}},
     {{"velmor crosscheck cqww.cbr ua1aaa.cbr -o out", 1}},
     {"cqww.cbr: left out: CONTEST: CQ-WW-CW is not this contest"},
     {"cqww.cbr", "ua1aaa.cbr", "out", "out/verdicts.csv", "out/results.csv", "out/skipped.csv", "out/results.html",
      "out/reports", "out/reports/UA1AAA.txt"},
     {{"out/skipped.csv", {"file,reason\ncqww.cbr,CONTEST: CQ-WW-CW is not this contest\n"}}}},
    {"another contest the committee accepts",
     {{"cqww.cbr", kOtherCbr}, {"ua1aaa.cbr", "@" + kTop + "/examples/crosscheck/ua1aaa.cbr"}},
     {{"velmor crosscheck cqww.cbr ua1aaa.cbr -o out --contest cq-ww-cw", 0}},
     {"crosscheck: 2 logs, 11 QSO lines read, 0 files left out; results in out"},
     {"cqww.cbr", "ua1aaa.cbr", "out", "out/verdicts.csv", "out/results.csv", "out/skipped.csv", "out/results.html",
      "out/reports", "out/reports/UA1AAA.txt", "out/reports/UA9XX.txt"},
     {{"out/skipped.csv", {"file,reason\n"}}}},

    // ---- fields the other program wrote its own way ----
    {"an ADIF log without RST",
     {{"log.adi", kNoRst}},
     {{"velmor cabrillo log.adi --call RZ3VLM", 0}, {"velmor check RZ3VLM.cbr", 1}},
     {"RZ3VLM.cbr:17: warning: mode label \"PM\" (BPSK63) is the contest's, not Cabrillo 3.0's (DG); 1 QSO line(s) use it"},
     {"log.adi", "RZ3VLM.cbr"},
     {{"RZ3VLM.cbr", {"RZ3VLM        599 001    RA3DKM        599 014\r\n", "RZ3VLM        59  002    RW6AHX        59  WM\r\n",
                      "RZ3VLM        599 003    SP7GVK        589 008\r\n"}}}},
    {"the usual report is said once, with a count",
     {{"log.adi", kNoRst}},
     {{"velmor cabrillo log.adi --call RZ3VLM -o out.cbr", 0}},
     {"log.adi: warning: RST_SENT or RST_RCVD missing in 3 records: the mode's usual report used (599 for CW and BPSK63, 59 for SSB)",
      "log.adi: 3 records: 3 contest QSOs", "written: out.cbr (3 QSO lines, claimed score 8)"},
     {"log.adi", "out.cbr"}},
    {"FREQ spellings and bands the host cannot hold",
     {{"log.adi", kBands}},
     {{"velmor cabrillo log.adi --call RZ3VLM", 1}},
     {"log.adi:record 1 (byte 100): warning: FREQ: frequency \"14,025\" read as 14.025 MHz (a decimal comma)",
      "log.adi:record 2 (byte 236): warning: FREQ: frequency \" 7.012\" read as 7.012 MHz (blanks around it)",
      "log.adi:record 3 (byte 372): warning: FREQ: frequency \"21.185 \" read as 21.185 MHz (blanks around it)",
      "log.adi:record 6 (byte 797): error: FREQ: frequency 10368.1 MHz is " + kBeyond + "; frequency passed as 0",
      "log.adi:record 7 (byte 946): error: BAND: no FREQ and band 1.25CM lies " + kBeyond + "; frequency passed as 0",
      "log.adi:record 8 (byte 1081): error: FREQ: neither FREQ nor BAND; frequency passed as 0",
      "log.adi:record 4: warning: UR5EQT 23CM CW: frequency 1240000 kHz is outside the contest bands; written as "
      "RZ3VLM.cbr:18, which the committee will not count",
      "log.adi: 9 records: 9 contest QSOs, 5 of which the committee will not count",
      "written: RZ3VLM.cbr (9 QSO lines, claimed score 14)"},
     {"log.adi", "RZ3VLM.cbr"},
     {{"RZ3VLM.cbr", {"QSO: 14025 CW 2026-05-16 1201", "QSO:  7012 CW", "QSO: 21185 PH", "QSO:  1.2G CW",
                      "QSO:  2.3G CW", "QSO:     0 CW 2026-05-16 1214", "QSO:  3512 CW"}}}},

    // ---- the category and the station details ----
    {"--category chooses the dialog's category",
     {{"log.adi", kNoRst}},
     {{"velmor cabrillo log.adi --call RZ3VLM --category b2", 0}},
     {"written: RZ3VLM.cbr (3 QSO lines, claimed score 8)"},
     {"log.adi", "RZ3VLM.cbr"},
     {{"RZ3VLM.cbr", {"\r\nCATEGORY: B2\r\n"}}}},
    {"--category that the dialog does not list",
     {{"log.adi", kNoRst}},
     {{"velmor cabrillo log.adi --call RZ3VLM --category SO-LP", 2}},
     {"--category: \"SO-LP\" is not one of the dialog's categories: A1, B1, B2, B3, C1"},
     {"log.adi"}},
    {"velmor details, filled in and read back",
     {{"log.adi", kNoRst}},
     {{"velmor details -o d.ini", 0},
      {"sed -i -e 's/^Name=/Name=Sergei Orlov/' -e 's/^Address=/Address=ul. Lesnaya 5<CR><LF>Moscow 125040/' "
       "-e 's/^;Operators=/Operators=RZ3VLM<CR><LF>UA3XYZ/' -e 's/^Category=A1/Category=B2/' d.ini",
       0},
      {"printf 'Adress=typo\\r\\n' >>d.ini", 0},
      {"velmor cabrillo log.adi --call RZ3VLM --details d.ini", 0}},
     {"d.ini: warning: unknown key \"Adress\", not used (the dialog keeps Contest, Claimed, Location, Category, Name, "
      "Address, Operators, Club, SoapBox, Email)",
      "d.ini: warning: Category=B2 is not read (the dialog always opens at A1); velmor cabrillo --category B2 chooses it",
      "written: RZ3VLM.cbr (3 QSO lines, claimed score 8)"},
     {"log.adi", "d.ini", "RZ3VLM.cbr"},
     {{"RZ3VLM.cbr", {"\r\nNAME: Sergei Orlov\r\nADDRESS: ul. Lesnaya 5\r\nADDRESS: Moscow 125040\r\n"
                      "OPERATORS: RZ3VLM\r\nOPERATORS: UA3XYZ\r\n", "\r\nCATEGORY: A1\r\n"}},
      {"d.ini", {"\r\n[Settings]\r\n", "\r\nEmail=\r\n", "\r\nSoapBox=\r\n"}}}},
    {"velmor details written unchanged gives the dialog's defaults",
     {{"log.adi", kNoRst}},
     {{"velmor details -o d.ini", 0}, {"velmor cabrillo log.adi --call RZ3VLM --details d.ini -o with.cbr", 0},
      {"velmor cabrillo log.adi --call RZ3VLM -o without.cbr && cmp with.cbr without.cbr", 0}},
     {},
     {"log.adi", "d.ini", "with.cbr", "without.cbr"}},

    // ---- a folder where a file is wanted ----
    {"a folder given as the log",
     {{"logs/s.adi", kSample}},
     {{"velmor score logs", 3}},
     {"logs: error: cannot read: is a folder, not a file"},
     {"logs", "logs/s.adi"}},
    {"a folder given as the output",
     {{"s.adi", kSample}, {"out/keep.txt", "x"}},
     {{"velmor cabrillo s.adi --call RZ3VLM -o out", 3}},
     {"out: error: cannot write: is a folder: an output replaces only a regular file"},
     {"s.adi", "out", "out/keep.txt"}},
    {"a folder given as the station details",
     {{"s.adi", kSample}, {"Plugins/VARDO.ini", "[Settings]\r\n"}},
     {{"velmor cabrillo s.adi --call RZ3VLM --details Plugins", 3}},
     {"Plugins: error: cannot read: is a folder, not a file"},
     {"s.adi", "Plugins", "Plugins/VARDO.ini"}},
};

class OperatorMistakes : public ::testing::TestWithParam<Mistake> {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("velmor-mistake-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs one step in the folder; its status and what it printed.
    int run(const std::string& command, std::string& printed) {
        std::string cmd = command;
        if (cmd.rfind("velmor ", 0) == 0) cmd = velmorCommand() + cmd.substr(6);
        const fs::path out = dir_.parent_path() / (dir_.filename().string() + ".out");
        const std::string line = "cd '" + dir_.string() + "' && { " + cmd + " ; } </dev/null >'" + out.string() + "' 2>&1";
        const int raw = std::system(line.c_str());
        printed = readFile(out);
        fs::remove(out);
        // A Windows program's standard error ends its lines in CR LF, and it joins a folder and
        // a name with '\\' (as the parity test, these are read as LF and '/').
        for (std::size_t at; (at = printed.find("\r\n")) != std::string::npos;) printed.erase(at, 1);
        for (char& c : printed)
            if (c == '\\') c = '/';
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path dir_;
    static int counter_;
};
int OperatorMistakes::counter_ = 0;

TEST_P(OperatorMistakes, StatusMessageAndTheFilesLeft) {
    const Mistake& m = GetParam();
    std::map<std::string, std::string> before;
    for (const auto& [name, source] : m.given) {
        const std::string bytes = source.rfind('@', 0) == 0 ? readFile(source.substr(1)) : source;
        ASSERT_FALSE(source.rfind('@', 0) == 0 && bytes.empty() && fs::file_size(source.substr(1)) != 0) << source;
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        before[name] = bytes;
    }
    std::string printed;
    for (const Step& step : m.steps) {
        const int status = run(step.command, printed);
        ASSERT_EQ(status, step.status) << step.command << "\n" << printed;
    }
    for (const std::string& message : m.messages)
        EXPECT_NE(printed.find(message + "\n"), std::string::npos) << "missing: " << message << "\nprinted:\n" << printed;

    std::set<std::string> left;
    for (auto it = fs::recursive_directory_iterator(dir_); it != fs::recursive_directory_iterator(); ++it)
        left.insert(it->path().lexically_relative(dir_).generic_string());
    EXPECT_EQ(left, m.left);
    // The inputs as they were, byte for byte (a run never writes into a given file).
    for (const auto& [name, bytes] : before) EXPECT_EQ(readFile(dir_ / name), bytes) << name;
    for (const auto& [name, texts] : m.holds) {
        const std::string bytes = readFile(dir_ / name);
        for (const std::string& text : texts) EXPECT_NE(bytes.find(text), std::string::npos) << name << ": " << text;
    }
}

std::string caseName(const ::testing::TestParamInfo<Mistake>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return std::to_string(info.index) + "_" + name.substr(0, 60);
}

INSTANTIATE_TEST_SUITE_P(Table, OperatorMistakes, ::testing::ValuesIn(kMistakes), caseName);

}  // namespace
