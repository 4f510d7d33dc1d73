// The robot's parts without the network: receipt codes, the intake's bounds, the
// review (check, score, contest name), the rate limit, the database and the export.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "robot/export.h"
#include "robot/intake.h"
#include "robot/log_review.h"
#include "robot/pages.h"
#include "robot/rate_limit.h"
#include "robot/receipt_code.h"
#include "robot/storage.h"
#include "robot_test_support.h"

namespace velmor::robot::test {
namespace {

namespace fs = std::filesystem;

TEST(RobotReceipt, CodesAreLongUniqueAndFromTheirAlphabet) {
    std::set<std::string> seen;
    std::set<char> used;
    for (int i = 0; i < 20000; ++i) {
        const std::string code = newReceiptCode();
        ASSERT_EQ(code.size(), kReceiptCodeLength);
        ASSERT_TRUE(isReceiptCode(code)) << code;
        ASSERT_TRUE(seen.insert(code).second) << code;
        used.insert(code.begin(), code.end());
    }
    EXPECT_EQ(used.size(), 32u);  // every character of the alphabet occurs
    for (const char* bad : {"", "ABC", "0123456789ABCDEFGHJKMNPQRI", "0123456789abcdefghjkmnpqrs",
                            "0123456789ABCDEFGHJKMNPQR/", "0123456789ABCDEFGHJKMNPQRST"})
        EXPECT_FALSE(isReceiptCode(bad)) << bad;
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(RobotIntake, RefusesWhatNoReaderShouldSee) {
    IntakeLimits limits;
    limits.maxBytes = 1000;
    limits.maxLineBytes = 100;
    limits.maxLines = 20;
    std::string utf16 = "\xff\xfe";
    for (char c : std::string("START-OF-LOG: 3.0\r\n")) utf16 += std::string{c, '\0'};
    std::string utf16NoMark;
    for (char c : std::string("START-OF-LOG: 3.0\r\n")) utf16NoMark += std::string{'\0', c};
    const struct {
        std::string bytes;
        int status;  // 0: taken
        std::string reason;
    } cases[] = {
        {"START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n", 0, ""},
        {"\xef\xbb\xbfSTART-OF-LOG: 3.0\n", 0, ""},  // UTF-8 byte-order mark
        {"a\tb\fc\x1a\n", 0, ""},
        {"", 422, "the file is empty"},
        {std::string(1001, 'a'), 413, "the file is 1001 bytes; this robot takes at most 1000"},
        {utf16, 422, "UTF-16 text: save the log as plain text"},
        {utf16NoMark, 422, "UTF-16 text: save the log as plain text"},
        {std::string("ab\ncd\0", 6), 422, "not a plain text file: byte 0x00 on line 2 (offset 5)"},
        {"ok\r\n\x1b[2J\r\n", 422, "not a plain text file: byte 0x1B on line 2 (offset 4)"},
        {std::string(100, 'x') + "\n", 0, ""},
        {"a\n" + std::string(101, 'x') + "\nb\n", 422, "line 2 is 101 bytes long, over the 100 bytes a line may have"},
        {"a\n" + std::string(101, 'x'), 422, "line 2 is 101 bytes long, over the 100 bytes a line may have"},
        {std::string(20, '\n'), 0, ""},
        {std::string(21, '\n'), 422, "more than 20 lines"},
        {std::string(20, '\r') + "x", 422, "more than 20 lines"},  // a lone CR ends a line too
        {std::string(10, '\r') + std::string(10, '\n'), 0, ""},
    };
    for (const auto& c : cases) {
        const std::optional<IntakeRefusal> r = screenUpload(c.bytes, limits);
        if (c.status == 0) {
            EXPECT_FALSE(r) << c.bytes << " -> " << (r ? r->reason : "");
        } else {
            ASSERT_TRUE(r) << c.bytes;
            EXPECT_EQ(r->status, c.status) << c.reason;
            EXPECT_EQ(r->reason, c.reason);
        }
    }
    EXPECT_EQ(textOf("\xef\xbb\xbfSTART"), "START");
    EXPECT_EQ(textOf("START"), "START");
}

TEST(RobotReview, ContestNameRule) {
    const struct {
        std::string contestLine;
        std::vector<std::string> others;
        std::string refusal;  // empty: taken
    } cases[] = {
        {"CONTEST: Velmor\r\n", {}, ""},
        {"CONTEST: VELMOR\r\n", {}, ""},
        {"CONTEST:   velmor  \t\r\n", {}, ""},
        {"contest: Velmor\r\n", {}, ""},
        {"CONTEST: KALVER-PSK\r\n", {}, "CONTEST: KALVER-PSK is not this contest"},
        {"CONTEST: KALVER-PSK\r\n", {"kalver-psk"}, ""},
        {"CONTEST: Velmor Sprint\r\n", {}, "CONTEST: Velmor Sprint is not this contest"},
        {"CONTEST: <b>x</b>\r\n", {}, "CONTEST: <b>x</b> is not this contest"},
    };
    for (const auto& c : cases) {
        std::string log = cleanLog("UA1AAA", 3);
        log.erase(log.find("CONTEST: Velmor\r\n"), 17);
        log.insert(log.find("CALLSIGN:"), c.contestLine);
        const LogReview r = reviewLog(log, c.others);
        if (c.refusal.empty()) {
            EXPECT_FALSE(r.refused()) << c.contestLine;
            continue;
        }
        ASSERT_TRUE(r.refused()) << c.contestLine;
        ASSERT_EQ(r.findings.size(), 1u);
        EXPECT_EQ(r.findings[0].message, c.refusal);
        EXPECT_EQ(r.findings[0].line, 2);
        EXPECT_EQ(r.findings[0].lineText + "\r\n", c.contestLine);
    }
    // No CONTEST line at all: taken, as velmor check takes it.
    std::string none = cleanLog("UA1AAA", 3);
    none.erase(none.find("CONTEST: Velmor\r\n"), 17);
    EXPECT_FALSE(reviewLog(none, {}).refused());
}

TEST(RobotReview, FindingsAndFieldsOfALog) {
    const LogReview clean = reviewLog(cleanLog("UA1AAA", 12), {});
    EXPECT_FALSE(clean.refused());
    EXPECT_TRUE(clean.findings.empty()) << clean.findings[0].line << ": " << clean.findings[0].message;
    EXPECT_EQ(clean.call, "UA1AAA");
    EXPECT_EQ(clean.category, "SINGLE-OP ALL MIXED");
    EXPECT_EQ(clean.qsoLines, 12);
    EXPECT_EQ(clean.score, 12);

    // The plug-in's own file: warnings only, the score velmor score prints (72).
    const std::string sample = readFile(std::string(VELMOR_SOURCE_DIR) + "/tests/data/velmor/RZ3VLM.cbr");
    const LogReview plugin = reviewLog(sample, {});
    EXPECT_FALSE(plugin.refused());
    EXPECT_EQ(plugin.score, 72);
    EXPECT_EQ(plugin.claimedScore, "72");
    EXPECT_EQ(plugin.category, "A1");
    EXPECT_EQ(plugin.qsoLines, 37);
    ASSERT_EQ(plugin.findings.size(), 4u);
    EXPECT_EQ(plugin.findings[2].line, 24);
    EXPECT_EQ(plugin.findings[2].message, "repeat of RA3DKM on 20M CW within the clock hour (line 19)");
    EXPECT_EQ(plugin.findings[2].lineText,
              "QSO: 14025 CW 2026-05-16 1214 RZ3VLM        599 006    RA3DKM        599 014");

    // Errors: velmor check's, and the robot's own for the call.
    std::string broken = withBadFrequency(cleanLog("UA1AAA", 3));
    broken.erase(broken.find("CALLSIGN: UA1AAA\r\n"), 18);
    const LogReview bad = reviewLog(broken, {});
    ASSERT_TRUE(bad.refused());
    ASSERT_EQ(bad.findings.size(), 2u);
    EXPECT_EQ(bad.findings[0].message, "frequency 10120 kHz is outside the contest bands");
    EXPECT_EQ(bad.findings[1].message, "no CALLSIGN: line; the robot files each log under its call");
    EXPECT_EQ(bad.findings[1].line, 9);
    std::string blankCall = cleanLog("   ", 3);
    const LogReview blank = reviewLog(blankCall, {});
    ASSERT_TRUE(blank.refused());
    EXPECT_EQ(blank.findings[0].message, "CALLSIGN: is empty; the robot files each log under its call");
}

TEST(RobotRateLimit, SlidingMinutePerAddress) {
    RateLimiter limit(3);
    EXPECT_EQ(limit.admit("a", 1000), 0);
    EXPECT_EQ(limit.admit("a", 1010), 0);
    EXPECT_EQ(limit.admit("a", 1020), 0);
    EXPECT_EQ(limit.admit("a", 1030), 30);  // the first attempt leaves the window at 1060
    EXPECT_EQ(limit.admit("b", 1030), 0);   // another address has its own
    EXPECT_EQ(limit.admit("a", 1059), 1);
    EXPECT_EQ(limit.admit("a", 1060), 0);
    EXPECT_EQ(limit.admit("a", 1061), 9);
    // Addresses idle for a minute are forgotten.
    for (int i = 0; i < 1000; ++i) limit.admit("x" + std::to_string(i), 2000);
    EXPECT_EQ(limit.addressesKept(), 1000u);  // "a" and "b" were forgotten at 2000
    EXPECT_EQ(limit.admit("y", 3000), 0);
    EXPECT_EQ(limit.addressesKept(), 1u);
    RateLimiter off(0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(off.admit("a", 5), 0);
}

TEST(RobotExport, FileNamesStayInTheFolderAndApart) {
    const std::string longCall(300, 'W');
    const std::vector<std::string> entrants = {
        "UA1AAA", "R3/RZ3VLM", "R3_RZ3VLM", "CON", "NUL.TXT", "COM1", "..", ".", "../../ETC/PASSWD",
        "A\\B", longCall, longCall + "X", "<SCRIPT>", "UA1AAA/P"};
    const std::vector<std::string> names = exportFileNames(entrants);
    ASSERT_EQ(names.size(), entrants.size());
    std::set<std::string> lower;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& n = names[i];
        EXPECT_EQ(n.find('/'), std::string::npos) << n;
        EXPECT_NE(n, ".");
        EXPECT_NE(n, "..");
        EXPECT_LE(n.size(), 80u) << n;
        EXPECT_EQ(n.substr(n.size() - 4), ".cbr") << n;
        std::string l = n;
        for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(lower.insert(l).second) << "two logs share " << n;
    }
    EXPECT_EQ(names[0], "UA1AAA.cbr");
    EXPECT_EQ(names[2], "R3_RZ3VLM.cbr");    // unchanged calls keep the plain name
    EXPECT_EQ(names[1], "R3_RZ3VLM-2.cbr");
    EXPECT_EQ(names[3], "CON_.cbr");
    EXPECT_EQ(names[4], "NUL_TXT.cbr");
    EXPECT_EQ(names[8], "______ETC_PASSWD.cbr");
    EXPECT_EQ(names[10].substr(0, 40), std::string(40, 'W'));
    EXPECT_NE(names[10], names[11]);  // cut alike, told apart by the hash of the call
    EXPECT_EQ(names[12], "_SCRIPT_.cbr");
    EXPECT_EQ(exportFileNames(entrants), names);  // the same every time
}

TEST(RobotStore, KeepsEveryUploadAndGivesTheLatestPerCall) {
    const std::string dir = freshDir("store");
    const std::string db = dir + "/robot.db";
    std::string error;
    {
        std::unique_ptr<Store> none = Store::open(db, Store::Mode::Read, error);
        EXPECT_FALSE(none);
        EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(db));  // reading never creates it
    }
    std::unique_ptr<Store> store = Store::open(db, Store::Mode::Serve, error);
    ASSERT_TRUE(store) << error;
    const auto add = [&](const std::string& call, const std::string& bytes, std::int64_t when) {
        Upload u;
        u.call = call;
        u.category = "A1";
        u.qsoLines = 1;
        u.log = bytes;
        u.sha256 = sha256Hex(bytes);
        u.warnings = {{5, "a warning", "the <line>"}};
        u.warningCount = 1;
        EXPECT_EQ(store->insert(u, when), "");
        return u;
    };
    const Upload first = add("ua1aaa", std::string("one\0\xff", 5), 1779000000);
    const Upload second = add("UA1AAA ", "two", 1779000060);
    const Upload other = add("R3/RZ3VLM", "three", 1779000120);
    EXPECT_EQ(first.receivedUtc, "2026-05-17T06:40:00Z");
    EXPECT_EQ(first.entrant, "UA1AAA");
    EXPECT_NE(first.receipt, second.receipt);

    const std::optional<Upload> back = store->findReceipt(first.receipt, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->call, "ua1aaa");
    EXPECT_EQ(back->size, 5);
    ASSERT_EQ(back->warnings.size(), 1u);
    EXPECT_EQ(back->warnings[0].lineText, "the <line>");
    EXPECT_FALSE(store->findReceipt("0123456789ABCDEFGHJKMNPQRS", error));
    EXPECT_EQ(error, "");

    const std::vector<EntrantSummary> list = store->entrants(error);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].call, "R3/RZ3VLM");
    EXPECT_EQ(list[1].call, "UA1AAA ");
    EXPECT_EQ(list[1].uploads, 2);
    EXPECT_EQ(list[1].receivedUtc, "2026-05-17T06:41:00Z");

    std::vector<EntrantLog> logs;
    ASSERT_EQ(latestEntrantLogs(*store, logs), "");
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].fileName, "R3_RZ3VLM.cbr");
    EXPECT_EQ(logs[1].fileName, "UA1AAA.cbr");
    EXPECT_EQ(logs[1].upload.log, "two");  // the later upload supersedes; the earlier stays stored
    EXPECT_EQ(query(db, "SELECT count(*) FROM uploads")[0][0], "3");
    EXPECT_EQ(query(db, "SELECT log FROM uploads WHERE receipt = '" + first.receipt + "'")[0][0],
              std::string("one\0\xff", 5));
    EXPECT_EQ(query(db, "PRAGMA journal_mode")[0][0], "wal");
    EXPECT_EQ(query(db, "PRAGMA user_version")[0][0], "1");
    EXPECT_TRUE(store->healthy());
    store.reset();

    // Opened again (Read mode, as export does): the same data.
    std::unique_ptr<Store> again = Store::open(db, Store::Mode::Read, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->entrants(error).size(), 2u);
}

TEST(RobotStore, UploadsStoredAtOnceShareCommitsAndAllArrive) {
    const std::string dir = freshDir("store-concurrent");
    std::string error;
    std::unique_ptr<Store> store = Store::open(dir + "/robot.db", Store::Mode::Serve, error);
    ASSERT_TRUE(store) << error;
    std::mutex m;
    std::set<std::string> receipts;
    std::vector<std::string> errors;
    std::vector<std::thread> threads;
    for (int t = 0; t < 16; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                Upload u;
                u.call = "T" + std::to_string(t);
                u.log = "upload " + std::to_string(t) + "/" + std::to_string(i);
                u.warnings = {{i, "w", "line"}};
                const std::string e = store->insert(u, 1779000000 + i);
                std::lock_guard<std::mutex> lock(m);
                if (!e.empty()) errors.push_back(e);
                receipts.insert(u.receipt);
            }
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(receipts.size(), 400u);
    EXPECT_EQ(query(dir + "/robot.db", "SELECT count(*), count(DISTINCT log), count(DISTINCT id) FROM uploads"),
              (std::vector<std::vector<std::string>>{{"400", "400", "400"}}));
    EXPECT_EQ(query(dir + "/robot.db", "SELECT count(*) FROM warnings")[0][0], "400");
    std::vector<EntrantLog> logs;
    ASSERT_EQ(latestEntrantLogs(*store, logs), "");
    ASSERT_EQ(logs.size(), 16u);
    for (const EntrantLog& l : logs) EXPECT_EQ(l.upload.log.substr(l.upload.log.find('/')), "/24") << l.upload.call;
}

TEST(RobotStore, RefusesFilesThatAreNotItsDatabase) {
    const std::string dir = freshDir("store-foreign");
    std::string error;
    writeFile(dir + "/text.db", "not a database at all, but long enough to look like a file of some kind\n");
    EXPECT_FALSE(Store::open(dir + "/text.db", Store::Mode::Serve, error));
    EXPECT_NE(error.find("file is not a database"), std::string::npos) << error;
    EXPECT_EQ(readFile(dir + "/text.db"), "not a database at all, but long enough to look like a file of some kind\n");

    // Another program's SQLite database, e.g. crosscheck --sqlite's: left alone.
    ASSERT_TRUE(execSql(dir + "/other.db", "CREATE TABLE results(call TEXT);"));
    EXPECT_FALSE(Store::open(dir + "/other.db", Store::Mode::Serve, error));
    EXPECT_EQ(error, dir + "/other.db is not a velmor robot database");

    // A database of a later release: not touched by this one.
    std::unique_ptr<Store> made = Store::open(dir + "/newer.db", Store::Mode::Serve, error);
    ASSERT_TRUE(made) << error;
    made.reset();
    ASSERT_TRUE(execSql(dir + "/newer.db", "PRAGMA user_version=2;"));
    EXPECT_FALSE(Store::open(dir + "/newer.db", Store::Mode::Serve, error));
    EXPECT_EQ(error, dir + "/newer.db has schema version 2; this velmor knows versions up to 1 (a newer release made it)");
}

TEST(RobotExport, WritesOnlyRegularFilesInsideTheFolder) {
    const std::string dir = freshDir("export");
    const std::string out = dir + "/out";
    fs::create_directories(out + "/BLOCKED.cbr");  // a folder where a log would go
    writeFile(dir + "/victim.txt", "keep me");
    fs::create_symlink(dir + "/victim.txt", out + "/LINKED.cbr");  // a link planted at a log's name
    writeFile(out + "/OLD.cbr", "from another export");
    std::vector<EntrantLog> logs(4);
    logs[0].fileName = "UA1AAA.cbr";
    logs[0].upload.log = std::string("bytes\0\r\n\xff", 9);
    logs[1].fileName = "BLOCKED.cbr";
    logs[1].upload.log = "x";
    logs[2].fileName = "LINKED.cbr";
    logs[2].upload.log = "y";
    logs[3].fileName = "../escape.cbr";
    logs[3].upload.log = "z";
    const ExportReport r = exportLogs(logs, out);
    EXPECT_EQ(readFile(out + "/UA1AAA.cbr"), std::string("bytes\0\r\n\xff", 9));
    ASSERT_EQ(r.errors.size(), 3u);
    EXPECT_EQ(r.errors[0], "cannot write " + out + "/BLOCKED.cbr: is a folder: an output replaces only a regular file");
    EXPECT_EQ(r.errors[1], "cannot write " + out + "/LINKED.cbr: is a symbolic link: an output replaces only a regular file");
    EXPECT_EQ(r.errors[2], "../escape.cbr: not a plain file name: left out");
    EXPECT_EQ(readFile(dir + "/victim.txt"), "keep me");
    EXPECT_FALSE(fs::exists(dir + "/escape.cbr"));
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0], out + "/OLD.cbr: not from this export; velmor crosscheck " + out + " reads it too");
    // No temporary file is left behind.
    EXPECT_EQ(listDir(out), (std::vector<std::string>{"BLOCKED.cbr", "LINKED.cbr", "OLD.cbr", "UA1AAA.cbr"}));
    // A second export replaces the file in place, through the program's file table: each
    // file synced to the disk before it is put in place, and its folder after.
    logs[0].upload.log = "newer";
    FileOps ops = StdioFileOps();
    std::vector<std::string> steps;
    ops.sync = [&](std::FILE* f, std::string& r) {
        steps.push_back("sync");
        return StdioFileOps().sync(f, r);
    };
    ops.rename = [&](const std::string& from, const std::string& to, std::string& r) {
        steps.push_back("rename " + fs::path(to).filename().string());
        return StdioFileOps().rename(from, to, r);
    };
    ops.syncFolder = [&](const std::string& folder, std::string& r) {
        steps.push_back("sync folder");
        return StdioFileOps().syncFolder(folder, r);
    };
    EXPECT_TRUE(exportLogs({logs[0]}, out, ops).errors.empty());
    EXPECT_EQ(readFile(out + "/UA1AAA.cbr"), "newer");
    EXPECT_EQ(steps, (std::vector<std::string>{"sync", "rename UA1AAA.cbr", "sync folder"}));
}

TEST(RobotPages, EveryValueIsEscapedAndNoPageHasScript) {
    Upload u;
    u.receipt = "0123456789ABCDEFGHJKMNPQRS";
    u.call = "<script>alert(1)</script>";
    u.category = "\"><img src=x onerror=alert(2)>";
    u.claimedScore = "<b>99</b>";
    u.receivedUtc = "2026-05-20T12:00:00Z";
    u.warnings = {{3, "<i>warn</i>", "<svg onload=alert(3)>"}};
    u.warningCount = 1;
    const std::vector<ReviewFinding> findings = {{4, true, "CONTEST: <u>x</u> is not this contest", "CONTEST: <u>x</u>"}};
    SiteInfo site;
    site.deadline = "<deadline>";
    site.maxBytes = 1000;
    site.otherContests = {"<o>"};
    const Page pages[] = {receiptPage(u, true, Format::Html), receiptPage(u, false, Format::Html),
                          rejectionPage(findings, Format::Html), errorPage(400, "<reason>", Format::Html),
                          logsPage({{u.call, u.category, 3, u.receivedUtc, 1}}, Format::Html), formPage(site)};
    for (const Page& p : pages) {
        for (const char* live : {"<script", "<img", "<b>", "<i>", "<svg", "<u>", "<deadline>", "<reason>", "<o>",
                                 " style=", "javascript:"})
            EXPECT_EQ(p.body.find(live), std::string::npos) << live << " in\n" << p.body;
        EXPECT_EQ(p.contentType, "text/html; charset=utf-8");
    }
    EXPECT_NE(pages[0].body.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(pages[2].body.find("CONTEST: &lt;u&gt;x&lt;/u&gt; is not this contest"), std::string::npos);
    EXPECT_EQ(pages[2].status, 422);
    // Text pages show control bytes, never send them raw to a terminal.
    Upload t = u;
    t.call = "UA1\x1b[2JAAA";
    EXPECT_NE(receiptPage(t, true, Format::Text).body.find("call: UA1\\x1B[2JAAA\n"), std::string::npos);
    // A rejection lists at most kShownFindings findings, each line cut.
    std::vector<ReviewFinding> many(kShownFindings + 7, ReviewFinding{1, true, "m", std::string(5000, 'x')});
    const Page long_ = rejectionPage(many, Format::Html);
    EXPECT_NE(long_.body.find("... and 7 more."), std::string::npos);
    EXPECT_LT(long_.body.size(), kShownFindings * (kShownLineBytes + 200));
}

}  // namespace
}  // namespace velmor::robot::test
