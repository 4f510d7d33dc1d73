// The velmor program as an operator runs it: outputs on the bundled sample, exit statuses,
// messages naming file, line or record and field, and no partial output file.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "velmor_version.h"
#include "file_at.h"

namespace fs = std::filesystem;
using velmor::test::whatIs;

namespace {

using velmor::test::readFile;

const std::string kExe = VELMOR_EXE;
const std::string kTop = VELMOR_SOURCE_DIR;
const std::string kSample = kTop + "/examples/sample.adi";
const std::string kData = kTop + "/tests/data/velmor";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class VelmorProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("velmor-program-" + std::string(info->name()) + "-" +
                                            std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs velmor with `args` (shell words) in the test's folder, under `timeout`: a run that
    // hangs ends with status 124 instead of stopping the tests.
    // Standard output goes to `stdoutTo` when given (then `out` stays empty).
    Outcome run(const std::string& args, const std::string& input = "", const std::string& stdoutTo = "",
                const std::string& before = "") {
        const fs::path in = dir_ / ".stdin", out = dir_ / ".stdout", err = dir_ / ".stderr";
        std::ofstream(in, std::ios::binary) << input;
        const std::string cmd = "cd '" + dir_.string() + "' && " + before + "timeout 60 '" + kExe + "' " + args + " <'" +
                                in.string() + "' >'" + (stdoutTo.empty() ? out.string() : stdoutTo) + "' 2>'" +
                                err.string() + "'";
        const int raw = std::system(cmd.c_str());
        Outcome r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(out);
        r.err = readFile(err);
        fs::remove(in);
        fs::remove(out);
        fs::remove(err);
        return r;
    }
    void write(const std::string& name, const std::string& bytes) {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }

    fs::path dir_;
};

TEST_F(VelmorProgram, VersionAndHelpOfEverySubcommand) {
    const Outcome v = run("--version");
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "velmor " VELMOR_VERSION "\n");
    for (const char* sub : {"score", "cabrillo", "body", "check", "crosscheck"}) {
        const Outcome h = run(std::string(sub) + " --help");
        EXPECT_EQ(h.status, 0) << sub;
        EXPECT_NE(h.out.find(sub), std::string::npos) << sub;
    }
    // crosscheck says how its CSV files are defended against spreadsheet formulas.
    EXPECT_NE(run("crosscheck --help").out.find("begins with =, +, -, @, a tab or a carriage return gets a leading '"),
              std::string::npos);
    const Outcome none = run("");
    EXPECT_EQ(none.status, 2);
    const Outcome missing = run("cabrillo '" + kSample + "'");  // --call is required
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("--call"), std::string::npos);
}

TEST_F(VelmorProgram, ScoreOfTheSample) {
    const Outcome raw = run("score --raw '" + kSample + "'");
    // The sample holds QSOs the plug-in turns away on purpose: status 1, and the summary.
    EXPECT_EQ(raw.status, 1) << raw.err;
    EXPECT_EQ(raw.err, kSample + ": 41 records: 37 contest QSOs; 1 without a received exchange (SRX_STRING or SRX), "
                                 "3 in modes outside CW, SSB and BPSK63 (FT8, PSK31, RTTY)\n");
    EXPECT_EQ(raw.out, readFile(kData + "/sample-score.txt"));
    // For the terminal: UTF-8 and LF; the same text otherwise.
    const Outcome text = run("score '" + kSample + "'");
    EXPECT_EQ(text.out.find('\r'), std::string::npos);
    EXPECT_NE(text.out.find("\xD0\xA1\xD0\xBE\xD1\x80\xD0\xB5\xD0\xB2"), std::string::npos);  // "Сорев" in UTF-8
    EXPECT_NE(text.out.find("Score:  72\n"), std::string::npos);
    EXPECT_NE(text.out.find("record 6 repeats record 1: RA3DKM 20M CW 2026-05-16 12h\n"), std::string::npos);
    // The legacy spellings score the same.
    const Outcome legacy = run("score --raw '" + kTop + "/examples/sample-legacy.adi'");
    EXPECT_EQ(legacy.out.substr(0, legacy.out.find("Turned away")), raw.out.substr(0, raw.out.find("Turned away")));
}

TEST_F(VelmorProgram, CabrilloAndBodyAsThePluginWritesThem) {
    const Outcome c = run("cabrillo '" + kSample + "' --call RZ3VLM --details '" + kTop +
                      "/tests/data/dialog/stored.ini' --extra '" + kTop + "/tests/data/report/cabrillo.ini'");
    EXPECT_EQ(c.status, 1) << c.err;  // the sample's QSOs turned away
    EXPECT_EQ(readFile(dir_ / "RZ3VLM.cbr"), readFile(kData + "/RZ3VLM.cbr"));

    // Without stored details: the dialog's defaults (OPERATORS is the own call).
    const Outcome d = run("cabrillo '" + kSample + "' --call R3/RZ3VLM -o -");
    EXPECT_NE(d.out.find("\r\nOPERATORS: R3/RZ3VLM\r\n"), std::string::npos);
    EXPECT_NE(d.out.find("\r\nLOCATION: \r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "R3_RZ3VLM.cbr"));
    EXPECT_EQ(run("cabrillo '" + kSample + "' --call R3/RZ3VLM").status, 1);
    EXPECT_TRUE(fs::exists(dir_ / "R3_RZ3VLM.cbr"));  // the plug-in's base name rule

    const Outcome b = run("body '" + kSample + "' --call RZ3VLM");
    EXPECT_EQ(b.status, 1) << b.err;
    const std::string cbr = readFile(kData + "/RZ3VLM.cbr");
    const std::size_t first = cbr.find("QSO: ");
    EXPECT_EQ(readFile(dir_ / "tmp.tmp"), cbr.substr(first, cbr.find("END-OF-LOG:") - first));
}

TEST_F(VelmorProgram, CheckFindingsAndExitStatus) {
    // The plug-in's own output: warnings only (legacy CATEGORY, PM, the sample's repeats).
    const Outcome own = run("check '" + kData + "/RZ3VLM.cbr'");
    EXPECT_EQ(own.status, 1) << own.out;
    EXPECT_EQ(own.out.find("error"), std::string::npos) << own.out;
    EXPECT_NE(own.out.find(kData + "/RZ3VLM.cbr:5: warning: legacy CATEGORY:"), std::string::npos) << own.out;

    write("bad.cbr", "START-OF-LOG: 3.0\r\nQSO: 14025 CW 2026-02-31 1201 RZ3VLM 599 001 RA3DKM 599 014\r\n");
    write("clean.cbr", "START-OF-LOG: 3.0\r\nCALLSIGN: RZ3VLM\r\nEND-OF-LOG:\r\n");
    const Outcome bad = run("check clean.cbr bad.cbr");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "bad.cbr:2: error: impossible date 2026-02-31\nbad.cbr:2: error: no END-OF-LOG: line\n");
    EXPECT_EQ(run("check clean.cbr").status, 0);
    EXPECT_EQ(run("check - ", "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n").status, 0);
    const Outcome unreadable = run("check missing.cbr bad.cbr");
    EXPECT_EQ(unreadable.status, 3);
    EXPECT_NE(unreadable.err.find("missing.cbr: error: cannot read"), std::string::npos);
}

TEST_F(VelmorProgram, ScoreNamesWhatTheCommitteeWillNotCountInCheckWords) {
    // The plug-in counts any band and any non-empty exchange; the committee only the
    // contest's bands and Velmor exchanges. score says which, with check's own words.
    write("mixed.cbr",
          "START-OF-LOG: 3.0\r\nCONTEST: Velmor \r\nCALLSIGN: RZ3VLM\r\n"
          "QSO: 14025 CW 2026-05-16 1201 RZ3VLM        599 001    RA3DKM        599 014\r\n"
          "QSO: 10120 CW 2026-05-16 1202 RZ3VLM        599 002    UA9CLB        599 027\r\n"
          "QSO:  7012 CW 2026-05-16 1203 RZ3VLM        599 003    UA1ORF        599 599\r\n"
          "QSO:   144 PH 2026-05-16 1204 RZ3VLM        59  004    UA3QWE        59  WM\r\n"
          "END-OF-LOG:\r\n");
    const Outcome score = run("score --raw mixed.cbr");
    // QSOs the committee will not count are no success either.
    EXPECT_EQ(score.status, 1) << score.err;
    EXPECT_EQ(score.err, "mixed.cbr: 4 QSO lines: 4 contest QSOs, 3 of which the committee will not count\n");
    EXPECT_NE(score.out.find("Score:  9\r\n"), std::string::npos) << score.out;  // WM on 2M: 4 + 5
    const std::string section = score.out.substr(score.out.find("Not counted by the committee"));
    EXPECT_EQ(section.substr(0, section.find("\r\n")), "Not counted by the committee (3), score without them 1:");
    const Outcome check = run("check mixed.cbr");
    EXPECT_EQ(check.status, 2);
    for (const char* line : {"5", "6", "7"}) {
        const std::string at = std::string("line ") + line + ": ";
        const std::size_t start = section.find(at);
        ASSERT_NE(start, std::string::npos) << section;
        const std::string entry = section.substr(start, section.find("\r\n", start) - start);
        const std::string reason = entry.substr(entry.rfind(": ") + 2);
        EXPECT_NE(check.out.find(std::string("mixed.cbr:") + line + ": error: " + reason + "\n"), std::string::npos)
            << reason << "\n" << check.out;
    }
    EXPECT_NE(section.find("line 5: UA9CLB 30M CW: frequency 10120 kHz is outside the contest bands"),
              std::string::npos) << section;
}

TEST_F(VelmorProgram, InputErrorsNameTheRecordAndFieldAndNoPartialFileIsLeft) {
    write("log.adi",
          "<CALL:6>RA3DKM <QSO_DATE:8>20260231 <TIME_ON:4>1201 <BAND:3>20m <MODE:2>CW <SRX:2>14 <STX:1>1 <EOR>\n"
          "<CALL:6>UA9CLB <QSO_DATE:8>20260516 <TIME_ON:4>1203 <BAND:3>20m <MODE:2>CW <SRX:2>27 <STX: 1>2 <EOR>\n");
    const Outcome s = run("score log.adi --call RZ3VLM");
    EXPECT_EQ(s.status, 1);
    EXPECT_NE(s.err.find("log.adi:record 1 (byte 0): error: QSO_DATE: impossible or malformed date \"20260231\""),
              std::string::npos)
        << s.err;
    EXPECT_NE(s.err.find("log.adi:record 2 (byte 185): error: STX: malformed tag <STX: 1>"), std::string::npos) << s.err;

    // A Cabrillo log as input: QSO lines that cannot be read are named and left out.
    write("in.cbr", "START-OF-LOG: 3.0\r\nQSO: 14025 CW 2026-05-16 2460 RZ3VLM 599 001 RA3DKM 599 014\r\n"
                    "QSO: 14026 CW 2026-05-16 1203 RZ3VLM 599 002 UA9CLB 599 027\r\nEND-OF-LOG:\r\n");
    const Outcome c = run("body in.cbr --call RZ3VLM -o -");
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.err.find("in.cbr:2: error: impossible time 2460; QSO left out"), std::string::npos) << c.err;
    EXPECT_EQ(c.out, "QSO: 14026 CW 2026-05-16 1203 RZ3VLM        599 002    UA9CLB        599 027\r\n");

    // Output that cannot be written: status 3 and nothing half-written left behind.
    fs::create_directories(dir_ / "out.cbr");  // a folder where the file should go
    const Outcome w = run("cabrillo '" + kSample + "' --call RZ3VLM -o out.cbr");
    EXPECT_EQ(w.status, 3);
    EXPECT_NE(w.err.find("out.cbr: error: cannot write"), std::string::npos) << w.err;
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_TRUE(entry.path().filename() == "out.cbr" || entry.path().filename() == "log.adi" ||
                    entry.path().filename() == "in.cbr")
            << entry.path();
    EXPECT_EQ(run("score nothing.adi").status, 3);
}

// Nothing velmor cabrillo writes may draw an error from velmor check that cabrillo did not
// report itself (naming the written line): on every bundled example and every fixture of
// operator mistakes, with and without stored details and extra header lines.
TEST_F(VelmorProgram, EveryErrorCheckFindsInCabrillosFileCabrilloReported) {
    std::vector<std::string> logs;
    for (const char* folder : {"/examples", "/examples/crosscheck", "/tests/data/velmor/mistakes"})
        for (const auto& entry : fs::directory_iterator(kTop + folder))
            if (entry.is_regular_file() && entry.path().extension() != ".example") logs.push_back(entry.path().string());
    std::sort(logs.begin(), logs.end());
    write("bad-extra.ini", "CATEGORY-POWER: LOW\r\nA note without a tag\r\n");
    const std::string options[] = {
        "",
        " --details '" + kTop + "/tests/data/dialog/stored.ini' --extra '" + kTop + "/tests/data/report/cabrillo.ini'",
        " --extra bad-extra.ini --category C1",
    };
    int checked = 0, errorsSeen = 0;
    for (const std::string& log : logs)
        for (const std::string& option : options) {
            SCOPED_TRACE(log + option);
            fs::remove(dir_ / "out.cbr");
            const Outcome c = run("cabrillo '" + log + "' --call RZ3VLM -o out.cbr" + option);
            ASSERT_LE(c.status, 1) << c.err;
            if (!fs::exists(dir_ / "out.cbr")) {
                EXPECT_NE(c.err.find("out.cbr: not written: "), std::string::npos) << c.err;
                continue;
            }
            ++checked;
            const Outcome check = run("check out.cbr");
            std::istringstream lines(check.out);
            for (std::string line; std::getline(lines, line);) {
                const std::size_t at = line.find(": error: ");
                if (at == std::string::npos) continue;
                ++errorsSeen;
                const std::string where = line.substr(0, at);  // "out.cbr:17"
                const std::string message = line.substr(at + 9);
                bool said = false;
                std::istringstream reported(c.err);
                for (std::string r; std::getline(reported, r);)
                    said = said || ((r.find(where + ":") != std::string::npos || r.find(where + ",") != std::string::npos) &&
                                    r.find(message) != std::string::npos);
                EXPECT_TRUE(said) << line << "\ncabrillo said:\n" << c.err;
                EXPECT_EQ(c.status, 1) << line;
            }
        }
    // The fixtures give check something to find, and most logs a file to check.
    EXPECT_GT(errorsSeen, 10);
    EXPECT_GT(checked, 20);
}

// `-o FILE` onto a name someone planted: a link (dangling or not), a folder, a FIFO or a
// device is refused with status 3 and the reason, and stays as it was; a link at the name
// the temporary file once had ("FILE.tmp") is never followed.
TEST_F(VelmorProgram, OutputsReplaceOnlyARegularFile) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& at, const fs::path& victim)> plant;
        std::string refusal;  // empty: written
    };
    const std::string only = ": an output replaces only a regular file";
    const Case cases[] = {
        {"link to a file", [](const fs::path& at, const fs::path& v) { fs::create_symlink(v, at); },
         "is a symbolic link" + only},
        {"dangling link", [](const fs::path& at, const fs::path& v) { fs::create_symlink(v.string() + ".new", at); },
         "is a symbolic link" + only},
        {"link at the old temporary name",
         [](const fs::path& at, const fs::path& v) { fs::create_symlink(v, at.string() + ".tmp"); }, ""},
        {"folder", [](const fs::path& at, const fs::path&) { fs::create_directory(at); }, "is a folder" + only},
        {"FIFO", [](const fs::path& at, const fs::path&) { ::mkfifo(at.c_str(), 0600); }, "is a FIFO" + only},
        // A twin of /dev/full where this process may make one (root); the old writer replaced it.
        {"device",
         [](const fs::path& at, const fs::path&) {
             if (::geteuid() == 0) ::mknod(at.c_str(), S_IFCHR | 0600, makedev(1, 7));
         },
         "is a device" + only},
    };
    for (const char* sub : {"cabrillo", "body"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(sub) + ": " + c.what);
            const fs::path at = dir_ / "out.cbr", victim = dir_ / "victim.txt";
            fs::remove_all(at);
            fs::remove(at.string() + ".tmp");
            write("victim.txt", "the victim's own bytes\n");
            c.plant(at, victim);
            if (whatIs(at) == "missing" && !c.refusal.empty()) continue;  // no device node without root
            const std::string before = whatIs(at);

            const Outcome o = run(std::string(sub) + " '" + kSample + "' --call RZ3VLM -o out.cbr");

            EXPECT_EQ(readFile(victim), "the victim's own bytes\n");
            EXPECT_FALSE(fs::exists(victim.string() + ".new"));
            if (c.refusal.empty()) {
                EXPECT_EQ(o.status, 1) << o.err;  // the sample's QSOs turned away on purpose
                EXPECT_NE(readFile(at).find("QSO: 14025 CW 2026-05-16 1201 RZ3VLM"), std::string::npos);
                EXPECT_EQ(whatIs(at.string() + ".tmp"), "link:" + victim.string());
                continue;
            }
            EXPECT_EQ(o.status, 3);
            EXPECT_EQ(o.err, "out.cbr: error: cannot write: " + c.refusal + "\n");
            EXPECT_EQ(whatIs(at), before);
            for (const auto& entry : fs::directory_iterator(dir_))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        }
    }
}

// Inputs are regular files only: a FIFO given as a log is refused at once with the reason
// (never waited on), as are a device and a folder; `check` and the converters end with
// status 3, `crosscheck` leaves the file out (status 1) and lists it in skipped.csv.
TEST_F(VelmorProgram, InputsThatAreNotFilesAreRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo.cbr").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir_ / "fifo.adi").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.cbr");
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {"check fifo.cbr", "fifo.cbr: error: cannot read: is a FIFO, not a regular file\n"},
        {"check folder.cbr", "folder.cbr: error: cannot read: is a folder, not a file\n"},
        {"check /dev/zero", "/dev/zero: error: cannot read: is a device, not a regular file\n"},
        {"score fifo.adi", "fifo.adi: error: cannot read: is a FIFO, not a regular file\n"},
        {"body fifo.cbr --call RZ3VLM -o -", "fifo.cbr: error: cannot read: is a FIFO, not a regular file\n"},
        {"cabrillo '" + kSample + "' --call RZ3VLM --extra fifo.cbr -o -",
         "fifo.cbr: error: cannot read: is a FIFO, not a regular file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 3);
        EXPECT_EQ(o.err, c.message);
    }

    write("ua1aaa.cbr", "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\n"
                        "QSO: 14025 CW 2026-05-16 1200 UA1AAA 599 001 R9XYZ 599 002\r\nEND-OF-LOG:\r\n");
    const Outcome x = run("crosscheck fifo.cbr ua1aaa.cbr -o out");
    EXPECT_EQ(x.status, 1) << x.err;
    EXPECT_NE(x.err.find("fifo.cbr: left out: is a FIFO, not a regular file\n"), std::string::npos) << x.err;
    EXPECT_EQ(readFile(dir_ / "out/skipped.csv"), "file,reason\nfifo.cbr,\"is a FIFO, not a regular file\"\n");
}

// In a log folder every entry named *.cbr or *.log is taken, whatever it is: a dangling
// link, a FIFO and a folder so named are each listed in skipped.csv with the reason, and
// the run ends with status 1 (some files left out). Other names are not logs.
TEST_F(VelmorProgram, EveryEntryOfALogFolderPassedOverIsListed) {
    fs::create_directories(dir_ / "logs/sub.cbr");
    write("logs/ua1aaa.cbr", "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\n"
                             "QSO: 14025 CW 2026-05-16 1200 UA1AAA 599 001 R9XYZ 599 002\r\nEND-OF-LOG:\r\n");
    write("logs/notes.txt", "not a log");
    fs::create_symlink(dir_ / "logs/gone.cbr", dir_ / "logs/dangling.log");
    ASSERT_EQ(::mkfifo((dir_ / "logs/fifo.CBR").c_str(), 0600), 0);

    const Outcome o = run("crosscheck logs -o out");

    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_EQ(readFile(dir_ / "out/skipped.csv"),
              "file,reason\n"
              "logs/dangling.log,is a symbolic link whose target does not exist\n"
              "logs/fifo.CBR,\"is a FIFO, not a regular file\"\n"
              "logs/sub.cbr,\"is a folder, not a file\"\n");
    EXPECT_NE(o.err.find("logs/sub.cbr: left out: is a folder, not a file\n"), std::string::npos) << o.err;
    EXPECT_NE(readFile(dir_ / "out/results.csv").find("\nUA1AAA,"), std::string::npos);
}

// A log folder that cannot be read is an input that could not be read, as a file would be:
// listed in skipped.csv, status 1. Root reads every folder: as root, velmor runs as the
// unprivileged user nobody.
TEST_F(VelmorProgram, AnUnreadableLogFolderIsAnInputLeftOut) {
    std::string asNobody;
    if (::geteuid() == 0) {
        asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        fs::permissions(dir_, fs::perms::all);  // out/ is made by nobody
        if (std::system((asNobody + "test -w '" + dir_.string() + "'").c_str()) != 0)
            GTEST_SKIP() << "the user nobody cannot reach " << dir_ << " (a folder above it is closed to others)";
    }
    fs::create_directories(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::none);
    const Outcome o = run("crosscheck locked -o out", "", "", asNobody);
    fs::permissions(dir_ / "locked", fs::perms::owner_all);
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_EQ(readFile(dir_ / "out/skipped.csv"), "file,reason\nlocked,cannot read the folder: Permission denied\n");
}

// Every write to standard output is checked, the final flush too: into a full disk
// (/dev/full) or a pipe whose reader has gone (with SIGPIPE ignored, as some services run
// programs) the run ends with status 3 and the reason, never with success.
TEST_F(VelmorProgram, AFailedWriteToStandardOutputIsAFailure) {
    const std::string runs[] = {
        "score '" + kSample + "'",
        "score --raw '" + kSample + "'",
        "body '" + kSample + "' --call RZ3VLM -o -",
        "cabrillo '" + kSample + "' --call RZ3VLM -o -",
        "check '" + kData + "/RZ3VLM.cbr'",
        "--version",
        "score --help",
    };
    for (const std::string& args : runs) {
        SCOPED_TRACE(args);
        const Outcome full = run(args, "", "/dev/full");
        EXPECT_EQ(full.status, 3);
        EXPECT_NE(full.err.find("standard output: error: cannot write: No space left on device\n"), std::string::npos)
            << full.err;

        // A pipe with no reader left: its reading end is closed before velmor starts.
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        ::close(pipeEnds[0]);
        const fs::path err = dir_ / ".stderr";
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGPIPE, SIG_IGN);  // kept across exec
            ::dup2(pipeEnds[1], 1);
            const std::string cmd = "cd '" + dir_.string() + "' && exec timeout 60 '" + kExe + "' " + args +
                                    " </dev/zero 2>'" + err.string() + "'";
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        ::close(pipeEnds[1]);
        int raw = 0;
        ASSERT_EQ(::waitpid(child, &raw, 0), child);
        EXPECT_TRUE(WIFEXITED(raw)) << "ended by signal " << (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 3);
        const std::string message = readFile(err);
        EXPECT_NE(message.find("standard output: error: cannot write: Broken pipe\n"), std::string::npos) << message;
    }
}

// A log is read in any of the encodings a logging program saves it in, or refused with what
// to do: a UTF-8 byte-order mark is taken by check, score and crosscheck; UTF-16 is named
// as such, never "no START-OF-LOG".
TEST_F(VelmorProgram, AByteOrderMarkIsTakenAndUtf16IsNamed) {
    const std::string log = "START-OF-LOG: 3.0\r\nCONTEST: Velmor\r\nCALLSIGN: UA1AAA\r\n"
                            "QSO: 14025 CW 2026-05-16 1200 UA1AAA 599 001 R9XYZ 599 002\r\nEND-OF-LOG:\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : log) utf16 += std::string{c, '\0'};
    write("logs/bom.cbr", "\xEF\xBB\xBF" + log);
    write("logs/utf16.cbr", utf16);

    EXPECT_EQ(run("check logs/bom.cbr").status, 0);
    const Outcome score = run("score logs/bom.cbr");
    EXPECT_EQ(score.status, 0) << score.err;
    EXPECT_NE(score.out.find("Score:  1\n"), std::string::npos) << score.out;

    const std::string refusal = "UTF-16 text: save the log as plain text";
    for (const std::string sub : {"check", "score"}) {
        const Outcome o = run(sub + " logs/utf16.cbr");
        EXPECT_EQ(o.status, 3) << sub;
        EXPECT_EQ(o.err, "logs/utf16.cbr: error: cannot read: " + refusal + "\n") << sub;
    }
    const Outcome x = run("crosscheck logs -o out");
    EXPECT_EQ(x.status, 1) << x.err;
    EXPECT_EQ(readFile(dir_ / "out/skipped.csv"), "file,reason\nlogs/utf16.cbr," + refusal + "\n");
    EXPECT_NE(readFile(dir_ / "out/results.csv").find("\nUA1AAA,"), std::string::npos);
}

// Control bytes from a log or a file name reach no terminal: check, score and every message
// show them as \xNN; a field is quoted at most 80 bytes long, with its length.
TEST_F(VelmorProgram, ControlBytesAreShownAndLongFieldsCut) {
    write("esc\x1b[2J.cbr", "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\nX\x1b]0;owned\x07: y\r\n"
                            "QSO: " + std::string(300, '1') + " CW 2026-05-16 1200 UA1AAA 599 001 R9XYZ 599 002\r\n"
                            "END-OF-LOG:\r\n");
    const Outcome check = run("check 'esc\x1b[2J.cbr'");
    EXPECT_EQ(check.status, 2);
    EXPECT_EQ(check.out,
              "esc\\x1B[2J.cbr:3: error: not a Cabrillo line (no TAG: at its start)\n"
              "esc\\x1B[2J.cbr:4: error: frequency \"" + std::string(80, '1') +
                  "...\" (300 bytes) is not a whole number of kHz or a band designator\n");
    const Outcome missing = run("check 'gone\x1b[31m.cbr'");
    EXPECT_EQ(missing.err, "gone\\x1B[31m.cbr: error: cannot read: No such file or directory\n");
    const Outcome score = run("score 'esc\x1b[2J.cbr'");
    EXPECT_EQ(score.err.find('\x1b'), std::string::npos) << score.err;
    EXPECT_NE(score.err.find("esc\\x1B[2J.cbr:4: error: frequency \""), std::string::npos) << score.err;
    const Outcome x = run("crosscheck 'esc\x1b[2J.cbr' 'gone\x1b[31m.cbr' -o out");
    EXPECT_EQ(x.err.find('\x1b'), std::string::npos) << x.err;
    EXPECT_NE(x.err.find("gone\\x1B[31m.cbr: left out: No such file or directory\n"), std::string::npos) << x.err;
}

// The peak memory (the largest resident size, from the system's accounting of the finished
// process) of reading a 10 MB file of blank lines, against the same run on an empty file:
// the Cabrillo reader holds one line at a time, so the file's size costs next to nothing.
// Measured, never timed.
long peakKilobytes(const fs::path& dir, const std::string& args) {
    std::fflush(stdout);  // the child must not write the parent's buffered lines again
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.c_str()) != 0) std::_Exit(126);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        const std::string cmd = "exec '" + kExe + "' " + args;
        ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child) return -1;
    return usage.ru_maxrss;
}

TEST_F(VelmorProgram, TenMegabytesOfBlankLinesTakeNoMemoryInProportion) {
    constexpr long kFileKb = 10 * 1024;
    {
        std::ofstream blank(dir_ / "blank.cbr", std::ios::binary);
        const std::string lines(1 << 20, '\n');
        for (int i = 0; i < 10; ++i) blank << lines;
    }
    write("empty.cbr", "");
    for (const std::string sub : {"check", "crosscheck"}) {
        SCOPED_TRACE(sub);
        const std::string tail = sub == "crosscheck" ? " -o out" : "";
        const long base = peakKilobytes(dir_, sub + " empty.cbr" + tail);
        const long blank = peakKilobytes(dir_, sub + " blank.cbr" + tail);
        ASSERT_GT(base, 0);
        ASSERT_GT(blank, 0);
        std::printf("velmor %s: peak resident size %ld KB on an empty file, %ld KB on %ld KB of blank lines\n",
                    sub.c_str(), base, blank, kFileKb);
        // Less than the file's size (reading it whole would take more; the line-per-line
        // reader takes next to nothing, a few MB of the sanitizers' own bookkeeping aside).
        EXPECT_LT(blank - base, kFileKb) << "peak " << blank << " KB against " << base << " KB";
    }
}

// A run out of memory ends with a message and status 3, never with an abort: under an
// address-space limit a cross-check of more QSO lines than fit (native tree only: a
// sanitizer or an emulator needs more address space than any limit here leaves).
TEST_F(VelmorProgram, RunningOutOfMemoryEndsWithAMessageAndStatus3) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
#endif
#endif
    if (kExe.find("run-") != std::string::npos) GTEST_SKIP() << "the program runs under an emulator here";
    {
        std::ofstream log(dir_ / "big.cbr", std::ios::binary);
        log << "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\n";
        const std::string qso = "QSO: 14025 CW 2026-05-16 1200 UA1AAA 599 001 R9XYZ 599 002\r\n";
        for (int i = 0; i < 1500000; ++i) log << qso;  // about 90 MB
    }
    const Outcome o = run("crosscheck big.cbr -o out", "", "", "ulimit -v 150000; ");
    EXPECT_EQ(o.status, 3) << o.err;
    EXPECT_EQ(o.err, "velmor: error: out of memory: the input is too large for this machine's memory\n");
    EXPECT_FALSE(fs::exists(dir_ / "out/verdicts.csv"));
}

}  // namespace
