// Tests of the real Stats.dll under Wine: exports, journal, call check buffer, companion start, null pointers, score output and the Cabrillo file.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "host_exports.h"
#include "modal_driver.h"
#include "stats_dll_fixture.h"

namespace wine_stats {
namespace {

using wine_test::ModalDriver;

// ---------------------------------------------------------------- exports

TEST_F(StatsDll, EveryExportResolvesByBothNamesAndBothOrdinalsToOneAddress) {
    for (const auto& e : statshost::kExpectedExports) {
        SCOPED_TRACE(e.plain);
        const FARPROC byName = Proc(e.plain);
        ASSERT_NE(byName, nullptr);
        EXPECT_EQ(GetProcAddress(dll_, MAKEINTRESOURCEA(e.plainOrdinal)), byName);
        EXPECT_EQ(Proc(e.decorated), byName) << e.decorated;
        EXPECT_EQ(GetProcAddress(dll_, MAKEINTRESOURCEA(e.decoratedOrdinal)), byName);
    }
    EXPECT_EQ(Proc("GetExchgCount0"), Proc("GetNumberOfSets"));
    EXPECT_EQ(GetProcAddress(dll_, MAKEINTRESOURCEA(21)), nullptr);
}

TEST_F(StatsDll, SetNamesAndCounts) {
    const struct {
        std::int32_t index;
        const char* name;
    } cases[] = {{0, "Velmor"}, {1, ""}, {-1, ""}, {INT_MAX, ""}, {INT_MIN, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        const char* name = getSetName(c.index);
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(getSetName(c.index), name) << "a constant of the library";
    }
    EXPECT_EQ(getNumberOfSets(), 1);
    EXPECT_EQ(getExchgCount(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(getExchgCount("", "", ""), 1);
    EXPECT_EQ(getExchgCount("a", "b", "c"), 1);
}

TEST_F(StatsDll, SetupShowsItsMessageAndReturns) {
    ModalDriver driver;
    setupSet();
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].text, "No additional setup for this contest");
}

// ---------------------------------------------------------------- journal

TEST_F(StatsDll, JournalHoldsHeaderAndOneLinePerTurnedAwayQsoAfterTheLastReset) {
    // AddData0 before any ResetStats0 still leaves the journal in place (empty).
    EXPECT_EQ(Add(Qso{}), 1);
    EXPECT_EQ(ReadFileBytes("err.txt"), std::optional<std::string>(""));

    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    Qso early;
    early.mode = "RTTY";
    EXPECT_EQ(Add(early), 0);
    // A second reset starts the journal afresh.
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);

    const double day = OleDate(2026, 5, 16, 0, 0);
    struct Case {
        const char* what;
        Qso qso;
        std::int32_t result;
    };
    std::vector<Case> cases;
    auto add = [&cases](const char* what, std::int32_t result, auto edit) {
        Qso q;
        edit(q);
        cases.push_back({what, q, result});
    };
    add("lower-case mode; Hz remainder dropped", 0, [&](Qso& q) {
        q.mode = "cw"; q.freqHz = 14025999; q.date = COleDateTime{day + 12.0 / 24 + 17.0 / 1440, 0};
        q.rstRcvd = "579";
    });
    add("RTTY, below 1 kHz, invalid date", 0, [&](Qso& q) {
        q.mode = "RTTY"; q.freqHz = 999; q.date = COleDateTime{day, COleDateTime::invalid};
        q.call = "OK1VTR"; q.exchRcvd = "022";
    });
    add("wrong mode and missing exchange: mode reason only; null date pointer", 0, [&](Qso& q) {
        q.mode = "BPSK31"; q.date.reset(); q.exchRcvd = ""; q.call = "ES5RWN"; q.freqHz = 14070150;
    });
    add("accepted", 1, [&](Qso& q) { q.mode = "BPSK63"; q.exchRcvd = "WM"; });
    add("no exchange sent; null-status date", 0, [&](Qso& q) {
        q.exchSent = ""; q.exchRcvd = "WM"; q.date = COleDateTime{day, COleDateTime::null};
        q.freqHz = 7018000; q.band = "40M"; q.call = "UA1ORF"; q.rstRcvd = "559";
    });
    add("no exchange received; code page 1251 bytes kept; 23:59:59", 0, [&](Qso& q) {
        q.mode = "SSB"; q.exchRcvd = ""; q.exchSent = "\xC0\xC1\xC2";
        q.date = COleDateTime{day + 86399.0 / 86400, 0}; q.rstSent = "59"; q.rstRcvd = "57";
        q.freqHz = 3675000; q.band = "80M"; q.call = "UN7PCX";
    });
    add("null texts; a time 0.6 s before midnight rounds to the next day", 0, [&](Qso& q) {
        q.own.reset(); q.call.reset(); q.exchRcvd.reset(); q.rstSent.reset(); q.rstRcvd.reset();
        q.date = COleDateTime{day + 86399.6 / 86400, 0}; q.freqHz = 0;
    });
    add("accepted: SSB with a number", 1, [&](Qso& q) { q.mode = "SSB"; });
    for (const Case& c : cases) EXPECT_EQ(Add(c.qso), c.result) << c.what;

    EXPECT_EQ(ReadFileBytes("err.txt"), Fixture("err-scenario.txt"));
}

// ---------------------------------------------------------------- CheckCall0

const std::string kRepeatTail =
    " \xC2 \xCE\xC4\xCD\xCE\xCC \xC8 \xD2\xCE\xCC \xC6\xC5 \xD2\xD3\xD0\xC5 "
    "\xCF\xD0\xCE\xC2\xCE\xC4\xC8\xD2\xDC \xCD\xC5\xCB\xDC\xC7\xDF !!!";

TEST_F(StatsDll, CheckCallWritesTheWarningWithinTheHostBuffer) {
    constexpr char kCanary = '\x5A';
    constexpr std::size_t kGuard = 32;
    const std::string call50(50, 'K'), call51(51, 'L'), call60(60, 'M');
    struct Case {
        const char* what;
        std::string logCall, logMode, logBand;  // QSO logged now (empty call: nothing logged)
        std::string call, mode, band;           // the question
        std::int32_t result;
        std::string text;  // expected buffer text for 4
    };
    const Case cases[] = {
        {"empty log", "", "", "", "RA3DKM", "CW", "20M", 1, ""},
        {"repeat", "RA3DKM", "CW", "20M", "RA3DKM", "CW", "20M", 4, "QSO c RA3DKM" + kRepeatTail},
        {"other mode", "RA3DKM", "CW", "20M", "RA3DKM", "SSB", "20M", 1, ""},
        {"other band", "RA3DKM", "CW", "20M", "RA3DKM", "CW", "40M", 1, ""},
        {"case differs", "RA3DKM", "CW", "20M", "ra3dkm", "CW", "20M", 1, ""},
        {"50 characters fit exactly", call50, "SSB", "40M", call50, "SSB", "40M", 4,
         "QSO c " + call50 + kRepeatTail},
        {"51 characters: cut to 99 bytes", call51, "SSB", "40M", call51, "SSB", "40M", 4,
         ("QSO c " + call51 + kRepeatTail).substr(0, 99)},
        {"60 characters: cut to 99 bytes", call60, "BPSK63", "10M", call60, "BPSK63", "10M", 4,
         ("QSO c " + call60 + kRepeatTail).substr(0, 99)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The answer depends on the current UTC hour: repeat if the hour turned meanwhile.
        for (int attempt = 0; attempt < 2; ++attempt) {
            Reload();
            const int hour = UtcHour();
            if (!c.logCall.empty()) {
                Qso q;
                q.call = c.logCall; q.mode = c.logMode; q.band = c.logBand; q.date = NowUtc();
                ASSERT_EQ(Add(q), 1);
            }
            char out[kCheckCallTextSize + kGuard];
            char p27[kCheckCallTextSize];
            std::memset(out, kCanary, sizeof out);
            std::memset(p27, kCanary, sizeof p27);
            const std::int32_t r = Check(c.call.c_str(), c.mode.c_str(), c.band.c_str(), out, p27);
            if (UtcHour() != hour) continue;
            EXPECT_EQ(r, c.result);
            EXPECT_EQ(std::string(p27, sizeof p27), std::string(sizeof p27, kCanary)) << "parameter 27";
            EXPECT_EQ(std::string(out + kCheckCallTextSize, kGuard), std::string(kGuard, kCanary))
                << "written past the 100-byte buffer";
            if (c.result == 1) {
                EXPECT_EQ(std::string(out, kCheckCallTextSize), std::string(kCheckCallTextSize, kCanary));
            } else {
                ASSERT_LE(c.text.size(), 99u);
                EXPECT_EQ(std::string(out, c.text.size()), c.text);
                EXPECT_EQ(out[c.text.size()], '\0');
                const std::size_t rest = kCheckCallTextSize - c.text.size() - 1;
                EXPECT_EQ(std::string(out + c.text.size() + 1, rest), std::string(rest, kCanary));
            }
            break;
        }
    }
}

TEST_F(StatsDll, CheckCallWithoutAnOutputBufferStillAnswers) {
    Qso q;
    q.date = NowUtc();
    ASSERT_EQ(Add(q), 1);
    const std::int32_t r = Check("RA3DKM", "CW", "20M", nullptr, nullptr);
    EXPECT_TRUE(r == 4 || r == 1);  // 1 only if the UTC hour turned in between
}

// ---------------------------------------------------------------- null pointers

TEST_F(StatsDll, NullPointersAreTakenAsEmptyTexts) {
    const std::int32_t added = addData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0, 0, 0, 0.0, 0.0, nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
    EXPECT_EQ(added, 0);  // "" is no contest mode
    EXPECT_EQ(removeData(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0.0, 0.0,
                         nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(checkCall(nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0.0, 0.0, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(isValidExchg(nullptr, nullptr, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(resetStats(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0.0, 0.0,
                         nullptr, nullptr, nullptr),
              1);
    // A QSO with null own call and band but the fields that matter present is stored.
    Qso q;
    q.own.reset();
    q.band.reset();
    q.date.reset();
    EXPECT_EQ(Add(q), 1);
    const char* text = getResult(nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::strstr(text, "Total\t 1\t"), nullptr) << text;
    std::int32_t score = -7;
    getResult(&score);
    EXPECT_EQ(score, 1);
}

// ---------------------------------------------------------------- companion

std::vector<DWORD> RunningChildren(const char* exeName) {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        if (pe.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiA(pe.szExeFile, exeName) == 0)
            pids.push_back(pe.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

TEST_F(StatsDll, CompanionStartsOncePerLoad) {
    const std::string fake = DllPath().substr(0, DllPath().size() - 9) + "fake-orvin.exe";
    ASSERT_TRUE(CopyFileA(fake.c_str(), "Plugins\\Orvin.exe", FALSE)) << fake;
    // The stand-ins stay alive until this event is set, so they can be counted.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "VelmorTestOrvinRelease");
    ASSERT_NE(release, nullptr);

    std::vector<HANDLE> started;
    auto collect = [&started] {
        for (DWORD pid : RunningChildren("Orvin.exe")) {
            HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
            if (h) started.push_back(h);
        }
    };
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    EXPECT_EQ(RunningChildren("Orvin.exe").size(), 1u);

    // A new load of the library starts it again, once.
    Reload();
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    collect();
    EXPECT_EQ(started.size(), 2u);

    SetEvent(release);
    for (HANDLE h : started) {
        EXPECT_EQ(WaitForSingleObject(h, 60000), WAIT_OBJECT_0);
        CloseHandle(h);
    }
    CloseHandle(release);
    const auto log = ReadFileBytes("orvin-starts.txt");
    ASSERT_TRUE(log.has_value());
    std::size_t lines = 0;
    for (char c : *log) lines += c == '\n';
    EXPECT_EQ(lines, 2u);
}

// ---------------------------------------------------------------- score and Cabrillo

std::optional<std::string> Setting(const char* key) {
    char buf[256];
    char path[MAX_PATH];
    GetFullPathNameA("Plugins\\VARDO.ini", MAX_PATH, path, nullptr);
    GetPrivateProfileStringA("Settings", key, "<missing>", buf, sizeof buf, path);
    if (std::strcmp(buf, "<missing>") == 0) return std::nullopt;
    return std::string(buf);
}

// The log of the Cabrillo tests: 4 stored QSOs on 3 bands, two WM stations: score 14.
void AddCabrilloLog(StatsDll* t, std::int32_t (StatsDll::*add)(const Qso&)) {
    const double day = OleDate(2026, 5, 16, 0, 0);
    Qso a;
    a.date = COleDateTime{day + (12 * 60 + 1) / 1440.0, 0};
    Qso b = a;
    b.call = "RW6AHX"; b.mode = "SSB"; b.rstSent = "59"; b.rstRcvd = "59"; b.exchSent = "002";
    b.exchRcvd = "WM"; b.freqHz = 14185000; b.date = COleDateTime{day + (12 * 60 + 6) / 1440.0, 0};
    Qso c = a;
    c.call = "SP7GVK"; c.mode = "BPSK63"; c.exchSent = "003"; c.exchRcvd = "008";
    c.freqHz = 7040500; c.band = "40M"; c.date = COleDateTime{day, COleDateTime::invalid};
    Qso d = a;
    d.call = "UA4NEC"; d.exchSent = "004"; d.exchRcvd = "WM"; d.freqHz = 1835500; d.band = "160M";
    d.date = COleDateTime{day + (12 * 60 + 59) / 1440.0, 0};
    Qso rejected = a;
    rejected.mode = "RTTY";
    for (const Qso* q : {&a, &b, &c, &d}) EXPECT_EQ((t->*add)(*q), 1);
    EXPECT_EQ((t->*add)(rejected), 0);
}

TEST_F(StatsDll, ScoreWithoutCabrilloGoesToTheCallerAndTheSettingsFile) {
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    AddCabrilloLog(this, &StatsDll::Add);
    ModalDriver driver;
    std::int32_t score = 0;
    const char* text = getResult(&score);
    EXPECT_TRUE(driver.seen().empty());
    EXPECT_EQ(score, 14);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::strstr(text, "\r\nScore:  14"), nullptr) << text;
    EXPECT_EQ(Setting("Claimed"), std::optional<std::string>("14"));
    EXPECT_FALSE(ReadFileBytes("RZ3VLM.cbr").has_value());
}

TEST_F(StatsDll, CabrilloRequestWritesTheFileShowsOutputAndReturnsMinusOne) {
    {
        ModalDriver dialog;  // the station-details dialog, confirmed as it opens
        EXPECT_EQ(Reset(1, "RZ3VLM"), 1);
    }
    AddCabrilloLog(this, &StatsDll::Add);
    for (int request = 0; request < 2; ++request) {
        SCOPED_TRACE(request);
        ModalDriver driver;
        std::int32_t score = 0;
        const char* text = getResult(&score);
        EXPECT_EQ(score, -1);
        ASSERT_NE(text, nullptr);
        EXPECT_NE(std::strstr(text, "\r\nScore:  14"), nullptr) << text;
        ASSERT_EQ(driver.seen().size(), 1u);
        EXPECT_EQ(driver.seen()[0].caption, "Output");
        EXPECT_EQ(driver.seen()[0].text, "File produced: RZ3VLM.cbr");
        EXPECT_EQ(Setting("Claimed"), std::optional<std::string>("14"));
        // The same bytes on every request: the QSO lines are not repeated.
        EXPECT_EQ(ReadFileBytes("RZ3VLM.cbr"), Fixture("RZ3VLM.cbr"));
    }
}

TEST_F(StatsDll, CabrilloFileThatCannotBeReplacedIsReportedAndLeftAlone) {
    const std::string earlier = "START-OF-LOG: 3.0\r\nEARLIER\r\nEND-OF-LOG:\r\n";
    struct Case {
        const char* what;
        // Makes RZ3VLM.cbr unwritable; true when the earlier file still stands there.
        bool (*block)(HANDLE& keep);
    };
    const Case cases[] = {
        {"a folder of that name",
         [](HANDLE&) {
             DeleteFileA("RZ3VLM.cbr");
             return CreateDirectoryA("RZ3VLM.cbr", nullptr) == FALSE;
         }},
        {"an earlier file held open without sharing",
         [](HANDLE& keep) {
             keep = CreateFileA("RZ3VLM.cbr", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             return true;
         }},
        {"an earlier read-only file",
         [](HANDLE&) { SetFileAttributesA("RZ3VLM.cbr", FILE_ATTRIBUTE_READONLY); return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reload();
        RemoveDirectoryA("RZ3VLM.cbr");
        SetFileAttributesA("RZ3VLM.cbr", FILE_ATTRIBUTE_NORMAL);
        DeleteFileA("RZ3VLM.cbr");
        {
            ModalDriver dialog;
            EXPECT_EQ(Reset(1, "RZ3VLM"), 1);
        }
        AddCabrilloLog(this, &StatsDll::Add);
        ASSERT_TRUE(WriteFileBytes("RZ3VLM.cbr", earlier));
        HANDLE keep = INVALID_HANDLE_VALUE;
        const bool earlierStands = c.block(keep);
        ModalDriver driver;
        std::int32_t score = 0;
        getResult(&score);
        if (keep != INVALID_HANDLE_VALUE) CloseHandle(keep);
        EXPECT_EQ(score, -1);
        ASSERT_EQ(driver.seen().size(), 1u);
        EXPECT_EQ(driver.seen()[0].caption, "Output");
        EXPECT_EQ(driver.seen()[0].text.rfind("File produced: ", 0), std::string::npos)
            << "failure reported as success: " << driver.seen()[0].text;
        EXPECT_NE(driver.seen()[0].text.find("RZ3VLM.cbr"), std::string::npos) << driver.seen()[0].text;
        if (earlierStands) {
            EXPECT_EQ(ReadFileBytes("RZ3VLM.cbr"), earlier);
        }
        EXPECT_FALSE(ReadFileBytes("RZ3VLM.cbr.tmp").has_value()) << "temporary file left behind";
        SetFileAttributesA("RZ3VLM.cbr", FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
}  // namespace wine_stats

namespace wine_stats {
namespace {

// Stored station details longer than any fixed read buffer come back whole: in the
// settings file after the dialog's OK and in the Cabrillo header.
TEST_F(StatsDll, LongSettingsValuesComeBackWhole) {
    auto text = [](std::size_t n, char first) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(first + i % 26);
        return s;
    };
    const struct {
        const char* key;
        const char* cabrilloTag;
        std::string value;
    } cases[] = {
        {"Name", "NAME: ", text(99, 'a')},
        {"Location", "LOCATION: ", text(254, 'A')},
        {"Club", "CLUB: ", text(255, 'b')},
        {"Email", "EMAIL: ", text(256, 'B')},
        {"SoapBox", "SOAPBOX: ", text(1500, 'c')},
    };
    char ini[MAX_PATH];
    GetFullPathNameA("Plugins\\VARDO.ini", MAX_PATH, ini, nullptr);
    for (const auto& c : cases)
        ASSERT_TRUE(WritePrivateProfileStringA("Settings", c.key, c.value.c_str(), ini));
    {
        ModalDriver dialog;  // OK: the details are written back
        EXPECT_EQ(Reset(1, "RZ3VLM"), 1);
        ASSERT_EQ(dialog.seen().size(), 1u);
    }
    {
        ModalDriver output;
        std::int32_t score = 0;
        getResult(&score);
    }
    const std::string cbr = ReadFileBytes("RZ3VLM.cbr").value_or("");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        std::vector<char> buf(4096);
        const DWORD n = GetPrivateProfileStringA("Settings", c.key, "", buf.data(),
                                                 static_cast<DWORD>(buf.size()), ini);
        EXPECT_EQ(std::string(buf.data(), n), c.value);
        EXPECT_NE(cbr.find(std::string(c.cabrilloTag) + c.value + "\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace wine_stats
