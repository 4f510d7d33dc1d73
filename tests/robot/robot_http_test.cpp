// The robot over HTTP without a browser: the real `velmor robot serve` on a free loopback
// port, every status with its reason, hostile uploads, receipts and the list of logs, the
// committee's export against crosscheck on the original files, and the service's own
// bounds (slow and stalled clients) on a server in this process.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <thread>

#include "crosscheck/synthetic_contest.h"
#include "services/shown_text.h"
#include "robot/receipt_code.h"
#include "robot/server.h"
#include "robot/storage.h"
#include "robot_test_support.h"

namespace velmor::robot::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPolicy =
    "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; base-uri 'none'; "
    "frame-ancestors 'none'";

std::string multipartBody(const std::string& boundary, const std::vector<std::pair<std::string, std::string>>& parts) {
    std::string body;
    for (const auto& [name, content] : parts)
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"x.cbr\"\r\n\r\n" +
                content + "\r\n";
    return body + "--" + boundary + "--\r\n";
}

std::string statusLine(const std::string& raw) { return raw.substr(0, raw.find("\r\n")); }

std::string bodyOf(const std::string& raw) {
    const std::size_t at = raw.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : raw.substr(at + 4);
}

TEST(RobotHttp, EveryStatusWithItsReason) {
    const std::string dir = freshDir("statuses");
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    httplib::Client cli = client(robot.port());
    const std::string good = cleanLog("UA1AAA", 5);

    struct Case {
        const char* what;
        std::function<httplib::Result()> request;
        int status;
        std::string reason;
    };
    const std::string broken = withBadFrequency(cleanLog("UA2BBB", 3));
    std::string foreign = cleanLog("UA3CCC", 3);
    foreign.replace(foreign.find("CONTEST: Velmor"), 15, "CONTEST: KALVER-PSK");
    const std::vector<Case> cases = {
        {"a clean log", [&] { return upload(cli, good); }, 200, "Log received\nreceipt: "},
        {"the form", [&] { return cli.Get("/"); }, 200, "<form method=\"post\" action=\"/upload\""},
        {"health", [&] { return cli.Get("/healthz"); }, 200, "ok\n"},
        {"style", [&] { return cli.Get("/style.css"); }, 200, "body{"},
        {"a log with errors", [&] { return upload(cli, broken); }, 422,
         "line 7: error: frequency 10120 kHz is outside the contest bands\n  QSO: 10120 CW"},
        {"another contest", [&] { return upload(cli, foreign); }, 422,
         "line 2: error: CONTEST: KALVER-PSK is not this contest\n  CONTEST: KALVER-PSK\n"},
        {"an empty file", [&] { return upload(cli, ""); }, 422, "error: the file is empty"},
        {"no field \"log\"",
         [&] { return cli.Post("/upload", httplib::MultipartFormDataItems{{"email", "a@b.org", "", ""}}); }, 400,
         "error: no log: the file goes in the field \"log\""},
        {"two logs",
         [&] {
             return cli.Post("/upload", httplib::MultipartFormDataItems{{"log", good, "a.cbr", ""}, {"log", good, "b.cbr", ""}});
         },
         400, "error: more than one file in the field \"log\": send one log at a time"},
        {"not an e-mail", [&] { return upload(cli, good, "x.cbr", "not an address"); }, 400,
         "error: the e-mail field does not hold an e-mail address"},
        {"not multipart", [&] { return cli.Post("/upload", good, "text/plain"); }, 415,
         "error: send the log as multipart/form-data with the file in the field \"log\""},
        {"a form, not multipart", [&] { return cli.Post("/upload", "log=x", "application/x-www-form-urlencoded"); }, 415,
         "error: send the log as multipart/form-data"},
        {"a broken multipart body",
         [&] {
             return cli.Post("/upload", "--XX\r\nno headers here", "multipart/form-data; boundary=XX");
         },
         400, "error: the request's body could not be read as multipart/form-data"},
        {"over --max-bytes", [&] { return upload(cli, std::string(3 * 1024 * 1024, 'x')); }, 413,
         "error: the upload is larger than this robot takes: a log of at most 2 MiB"},
        {"GET /upload", [&] { return cli.Get("/upload"); }, 405, "error: send a log with the form on /"},
        {"an unknown receipt", [&] { return cli.Get("/receipt/0123456789ABCDEFGHJKMNPQRS"); }, 404,
         "error: no receipt has this code"},
        {"not a receipt code", [&] { return cli.Get("/receipt/%3Cscript%3E"); }, 404, "error: no receipt has this code"},
        {"a path out of the site", [&] { return cli.Get("/receipt/..%2F..%2Fetc%2Fpasswd"); }, 404,
         "error: there is no page at this address"},
        {"an unknown page", [&] { return cli.Get("/admin"); }, 404, "error: there is no page at this address"},
    };
    int accepted = 0;
    for (const Case& c : cases) {
        const httplib::Result r = c.request();
        ASSERT_TRUE(r) << c.what << ": " << httplib::to_string(r.error());
        EXPECT_EQ(r->status, c.status) << c.what << "\n" << r->body;
        EXPECT_NE(r->body.find(c.reason), std::string::npos) << c.what << "\n" << r->body;
        EXPECT_EQ(r->get_header_value("Content-Security-Policy"), kPolicy) << c.what;
        EXPECT_EQ(r->get_header_value("X-Content-Type-Options"), "nosniff") << c.what;
        accepted += c.status == 200 && std::string(c.what) == "a clean log";
    }

    // Bodies the library would read without bound are refused before they are read.
    const std::string body = multipartBody("XX", {{"log", good}});
    const std::string chunked = rawExchange(
        robot.port(), "POST /upload HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: multipart/form-data; "
                      "boundary=XX\r\nTransfer-Encoding: chunked\r\n\r\n" +
                          [&] {
                              char size[16];
                              std::snprintf(size, sizeof size, "%zx\r\n", body.size());
                              return size + body + "\r\n0\r\n\r\n";
                          }());
    EXPECT_EQ(statusLine(chunked), "HTTP/1.1 411 Length Required") << chunked;
    EXPECT_EQ(bodyOf(chunked), "error: the request must say its length (Content-Length) and not be chunked\n");
    const std::string noLength = rawExchange(
        robot.port(), "POST /upload HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: multipart/form-data; "
                      "boundary=XX\r\n\r\n" + body);
    EXPECT_EQ(statusLine(noLength), "HTTP/1.1 411 Length Required") << noLength;
    // A client that asks before it sends hears the refusal of a length over the limit at
    // once; a length far over it is refused at once anyway; one a little over it is read
    // past and refused (above).
    for (const char* expect : {"Expect: 100-continue\r\n", ""}) {
        for (const char* length : {"3000000", "50000000"}) {
            if (!*expect && std::string(length) == "3000000") continue;
            const std::string huge = rawExchange(
                robot.port(), std::string("POST /upload HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                                          "Content-Type: multipart/form-data; boundary=XX\r\nContent-Length: ") +
                                  length + "\r\n" + expect + "\r\n");
            EXPECT_EQ(statusLine(huge), "HTTP/1.1 413 Payload Too Large") << huge;
            EXPECT_EQ(bodyOf(huge), "error: the upload is larger than this robot takes: a log of at most 2 MiB\n");
        }
    }

    // Only the clean log was stored, and nothing but the database was written.
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(query(dir + "/robot.db", "SELECT count(*), min(call) FROM uploads"),
              (std::vector<std::vector<std::string>>{{"1", "UA1AAA"}}));
    for (const std::string& name : listDir(dir))
        EXPECT_TRUE(name.rfind("robot.db", 0) == 0 || name.rfind("serve.", 0) == 0) << name;
    // One line per request in the log, with its status.
    const std::string log = robot.log();
    EXPECT_NE(log.find("\"POST /upload\" 422"), std::string::npos) << log;
    EXPECT_NE(log.find("\"GET /admin\" 404"), std::string::npos) << log;
    EXPECT_EQ(robot.stop(SIGTERM), 0);
    EXPECT_NE(readFile(dir + "/serve.err").find("velmor robot: stopped"), std::string::npos);
}

TEST(RobotHttp, TheDeadlineClosesUploadsAndTheFormSaysSo) {
    const std::string dir = freshDir("deadline");
    {
        RobotProcess past(dir, "past.db", {"--deadline", "2000-01-01T00:00"});
        ASSERT_TRUE(past.started()) << past.log();
        httplib::Client cli = client(past.port());
        const httplib::Result r = upload(cli, cleanLog("UA1AAA", 3));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 403);
        EXPECT_EQ(r->body, "error: the deadline, 2000-01-01 00:00 UTC, has passed: logs are no longer taken\n");
        const httplib::Result form = cli.Get("/");
        ASSERT_TRUE(form);
        EXPECT_NE(form->body.find("The deadline, 2000-01-01 00:00 UTC, has passed"), std::string::npos);
        EXPECT_EQ(form->body.find("<form"), std::string::npos);
        EXPECT_EQ(query(dir + "/past.db", "SELECT count(*) FROM uploads")[0][0], "0");
    }
    RobotProcess future(dir, "future.db", {"--deadline", "2999-12-31T23:59", "--max-bytes", "100000"});
    ASSERT_TRUE(future.started()) << future.log();
    httplib::Client cli = client(future.port());
    const httplib::Result form = cli.Get("/");
    ASSERT_TRUE(form);
    EXPECT_NE(form->body.find("Logs are taken until 2999-12-31 23:59 UTC. "), std::string::npos) << form->body;
    EXPECT_NE(form->body.find("of at most 100000 bytes"), std::string::npos);
    const httplib::Result r = upload(cli, cleanLog("UA1AAA", 3));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200) << r->body;
}

TEST(RobotHttp, RateLimitPerAddress) {
    const std::string dir = freshDir("rate");
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "2"});
    ASSERT_TRUE(robot.started()) << robot.log();
    httplib::Client cli = client(robot.port());
    const std::string log = cleanLog("UA1AAA", 3);
    EXPECT_EQ(upload(cli, log)->status, 200);
    EXPECT_EQ(upload(cli, withBadFrequency(log))->status, 422);  // refused logs count too
    const httplib::Result third = upload(cli, log);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->status, 429);
    EXPECT_NE(third->body.find("error: too many uploads from your address: at most 2 a minute; try again in "),
              std::string::npos)
        << third->body;
    const int wait = std::stoi(third->get_header_value("Retry-After"));
    EXPECT_GE(wait, 1);
    EXPECT_LE(wait, 60);
    EXPECT_EQ(cli.Get("/logs")->status, 200);  // pages are not limited
    EXPECT_EQ(query(dir + "/robot.db", "SELECT count(*) FROM uploads")[0][0], "1");
}

// A log whose every header field the pages show back holds markup.
std::string markupLog(const std::string& extraLine = "") {
    std::string log = cleanLog("<script>alert('call')</script>", 3);
    log.insert(log.find("CATEGORY-OPERATOR"),
               "CATEGORY: <img src=x onerror=alert('cat')>\r\nCLAIMED-SCORE: \"><svg onload=alert('score')>\r\n"
               "NAME: <iframe src=//example.org>\r\nSOAPBOX: </code><script>alert('soap')</script>\r\n" +
                   extraLine);
    return log;
}

TEST(RobotHttp, HostileUploads) {
    const std::string dir = freshDir("hostile");
    fs::create_directories(dir + "/srv");
    RobotProcess robot(dir + "/srv", "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    httplib::Client cli = client(robot.port());
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919 + 13) % 256);
    std::string utf16 = "\xff\xfe";
    for (char c : cleanLog("UA1AAA", 2)) utf16 += std::string{c, '\0'};
    std::string longLine = cleanLog("UA1AAA", 2);
    longLine.insert(longLine.find("CALLSIGN"), "SOAPBOX: " + std::string(70000, 'a') + "\r\n");
    std::string manyLines = cleanLog("UA1AAA", 2);
    manyLines.insert(manyLines.find("END-OF-LOG"), std::string(150000, '\n'));

    const struct {
        const char* what;
        std::string log;
        std::string fileName;
        int status;
        std::string reason;
    } cases[] = {
        {"binary junk", junk, "junk.cbr", 422, "not a plain text file: byte 0x"},
        {"a UTF-16 log", utf16, "u16.cbr", 422, "UTF-16 text: save the log as plain text"},
        {"3 MB", std::string(3000000, 'Q'), "big.cbr", 413, "the upload is larger than this robot takes"},
        {"a 70,000-byte line", longLine, "long.cbr", 422, "line 3 is 70009 bytes long, over the 65536 bytes a line may have"},
        {"150,000 lines", manyLines, "lines.cbr", 422, "more than 100000 lines"},
        {"a terminal escape", "START-OF-LOG: 3.0\r\nCALLSIGN: UA1\x1b]0;pwned\x07\r\n", "esc.cbr", 422,
         "not a plain text file: byte 0x1B on line 2"},
        {"a file name with ../", cleanLog("UA9ZZZ", 3), "../../escaped.cbr", 200, "Log received"},
        {"a file name with markup", cleanLog("UA8YYY", 3), "<script>x</script>.cbr", 200, "Log received"},
        {"markup in every header field", markupLog(), "m.cbr", 200, "Log received"},
        {"markup in a refused log", markupLog("CONTEST: <i>other</i>\r\n<b>bold</b>: x\r\n"), "r.cbr", 422,
         "Log refused"},
    };
    std::vector<std::string> receipts;
    for (const auto& c : cases) {
        const httplib::Result r = upload(cli, c.log, c.fileName, "", true);
        ASSERT_TRUE(r) << c.what << ": " << httplib::to_string(r.error());
        EXPECT_EQ(r->status, c.status) << c.what << "\n" << r->body.substr(0, 2000);
        EXPECT_NE(r->body.find(shown::html(c.reason)), std::string::npos) << c.what << "\n" << r->body.substr(0, 2000);
        EXPECT_EQ(r->get_header_value("Content-Security-Policy"), kPolicy);
        EXPECT_EQ(r->get_header_value("Content-Type"), "text/html; charset=utf-8");
        for (const char* live : {"<script", "<img", "<svg", "<iframe", "<i>", "<b>"})
            EXPECT_EQ(r->body.find(live), std::string::npos) << c.what << ": " << live << " is live\n" << r->body;
        std::smatch m;
        if (std::regex_search(r->body, m, std::regex("/receipt/([0-9A-Z]{26})"))) receipts.push_back(m[1]);
    }
    // The markup comes back as text, on the receipt, the refusal and the list alike.
    const httplib::Headers html = {{"Accept", "text/html"}};
    ASSERT_EQ(receipts.size(), 3u);
    const httplib::Result receipt = cli.Get("/receipt/" + receipts[2], html);
    ASSERT_TRUE(receipt);
    EXPECT_NE(receipt->body.find("&lt;script&gt;alert(&#39;call&#39;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(receipt->body.find("&lt;img src=x onerror=alert(&#39;cat&#39;)&gt;"), std::string::npos);
    EXPECT_NE(receipt->body.find("&quot;&gt;&lt;svg onload=alert(&#39;score&#39;)&gt;"), std::string::npos);
    const httplib::Result list = cli.Get("/logs", html);
    ASSERT_TRUE(list);
    for (const std::string* page : {&receipt->body, &list->body})
        for (const char* live : {"<script", "<img", "<svg", "<iframe"})
            EXPECT_EQ(page->find(live), std::string::npos) << live << "\n" << *page;

    // Stored: exactly the three accepted logs, byte for byte; the names the browser gave
    // are kept as text only, and no file was made from them anywhere.
    const auto rows = query(dir + "/srv/robot.db", "SELECT file_name, log FROM uploads ORDER BY id");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "../../escaped.cbr");
    EXPECT_EQ(rows[0][1], cleanLog("UA9ZZZ", 3));
    EXPECT_EQ(rows[2][1], markupLog());
    EXPECT_FALSE(fs::exists(dir + "/escaped.cbr"));
    EXPECT_FALSE(fs::exists(fs::path(dir).parent_path() / "escaped.cbr"));
    for (const std::string& name : listDir(dir + "/srv"))
        EXPECT_TRUE(name.rfind("robot.db", 0) == 0 || name.rfind("serve.", 0) == 0) << name;
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"srv"});

    // Export names the files by the call, never by the browser's name.
    const Outcome out = runVelmor(dir, "robot export --db srv/robot.db -o exported");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(listDir(dir + "/exported"),
              (std::vector<std::string>{"UA8YYY.cbr", "UA9ZZZ.cbr", "_SCRIPT_ALERT__CALL____SCRIPT_.cbr"}));
}

TEST(RobotHttp, ReceiptsTheListOfLogsAndSuperseding) {
    const std::string dir = freshDir("receipts");
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    httplib::Client cli = client(robot.port());

    const std::string first = cleanLog("ua1aaa", 4, "first");
    const httplib::Result r1 = upload(cli, first, "a.cbr", "secret.person@example.org");
    ASSERT_TRUE(r1);
    ASSERT_EQ(r1->status, 200) << r1->body;
    const std::string code1 = receiptOf(r1->body);
    ASSERT_EQ(code1.size(), 26u) << r1->body;
    for (const char* field : {"call: ua1aaa\n", "category: SINGLE-OP ALL MIXED\n", "QSO lines: 4\n", "claimed score: \n",
                              "score: 4\n", "warnings: 0\n"})
        EXPECT_NE(r1->body.find(field), std::string::npos) << field << "\n" << r1->body;
    EXPECT_TRUE(std::regex_search(r1->body, std::regex("received: 20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9:]{8} UTC\n")));
    EXPECT_NE(r1->body.find("sha256: " + sha256Hex(first)), std::string::npos);

    // The same receipt again, also with the code in small letters; HTML for a browser.
    const httplib::Result again = cli.Get("/receipt/" + code1);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 200);
    EXPECT_EQ(again->body.substr(again->body.find('\n')), r1->body.substr(r1->body.find('\n')));
    std::string lower = code1;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const httplib::Result html = cli.Get("/receipt/" + lower, {{"Accept", "text/html"}});
    ASSERT_TRUE(html);
    EXPECT_EQ(html->status, 200);
    EXPECT_NE(html->body.find("<dd id=\"call\">ua1aaa</dd>"), std::string::npos) << html->body;

    // A later log of the same call (in capitals) supersedes the first for the list and export.
    const std::string second = cleanLog("UA1AAA", 6, "second");
    const httplib::Result r2 = upload(cli, second, "b.cbr");
    ASSERT_EQ(r2->status, 200);
    const std::string code2 = receiptOf(r2->body);
    EXPECT_NE(code1, code2);
    ASSERT_EQ(upload(cli, cleanLog("R3/RZ3VLM", 2))->status, 200);
    const httplib::Result list = cli.Get("/logs");
    ASSERT_TRUE(list);
    EXPECT_TRUE(std::regex_match(list->body, std::regex("call\tcategory\tQSO lines\tlatest upload\tuploads\n"
                                                        "R3/RZ3VLM\tSINGLE-OP ALL MIXED\t2\t[0-9 :-]+ UTC\t1\n"
                                                        "UA1AAA\tSINGLE-OP ALL MIXED\t6\t[0-9 :-]+ UTC\t2\n")))
        << list->body;
    for (const char* format : {"text/plain", "text/html"}) {
        const httplib::Result page = cli.Get("/logs", {{"Accept", format}});
        EXPECT_EQ(page->body.find("secret.person"), std::string::npos);
        EXPECT_EQ(page->body.find("127.0.0.1"), std::string::npos);
    }
    // Both uploads are kept, with the e-mail and the address, for the committee only.
    EXPECT_EQ(query(dir + "/robot.db", "SELECT receipt, email, client_address, log FROM uploads ORDER BY id LIMIT 2"),
              (std::vector<std::vector<std::string>>{{code1, "secret.person@example.org", "127.0.0.1", first},
                                                    {code2, "", "127.0.0.1", second}}));
    EXPECT_EQ(cli.Get("/receipt/" + code1)->status, 200);  // the superseded receipt still answers

    // Export while the robot runs: the latest log per call, byte for byte.
    const Outcome out = runVelmor(dir, "robot export --db robot.db -o out");
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(listDir(dir + "/out"), (std::vector<std::string>{"R3_RZ3VLM.cbr", "UA1AAA.cbr"}));
    EXPECT_EQ(readFile(dir + "/out/UA1AAA.cbr"), second);
    EXPECT_TRUE(std::regex_search(out.out, std::regex("UA1AAA.cbr\tUA1AAA\t[0-9T:Z-]+\t" + code2 + "\n")));
    EXPECT_NE(out.err.find("velmor robot export: 2 logs written to out"), std::string::npos) << out.err;
}

// Runs crosscheck with `args` in `cwd` into `out`; every output file's text, by path.
std::map<std::string, std::string> crosscheckOutputs(const std::string& cwd, const std::string& args,
                                                     const std::string& out) {
    const Outcome r = runVelmor(cwd, "crosscheck " + args + " -o " + out + " --period " +
                                         crosscheck::kSyntheticPeriodStart + " " + crosscheck::kSyntheticPeriodEnd);
    EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(cwd + "/" + out))
        if (e.is_regular_file()) files[fs::relative(e.path(), cwd + "/" + out).string()] = readFile(e.path().string());
    return files;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t p = 0; (p = text.find(from, p)) != std::string::npos; p += to.size()) text.replace(p, from.size(), to);
    return text;
}

TEST(RobotHttp, ExportThenCrosscheckEqualsCrosscheckOnTheOriginalFiles) {
    const std::string dir = freshDir("export-crosscheck");
    crosscheck::SyntheticOptions o;
    o.seed = 20;
    o.entrants = 14;
    o.qsosPerLog = 60;
    o.faultChance = 0;  // the robot takes only logs without errors
    const crosscheck::SyntheticContest contest = crosscheck::makeSyntheticContest(o);
    ASSERT_EQ(crosscheck::writeSyntheticContest(contest, dir + "/orig"), "");
    fs::remove(dir + "/orig/expected.csv");

    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    httplib::Client cli = client(robot.port());
    for (const crosscheck::SyntheticLog& log : contest.logs) {
        // A first draft without its last QSO line, then the file itself.
        std::string draft = log.text;
        draft.erase(draft.rfind("QSO:"), draft.find("END-OF-LOG") - draft.rfind("QSO:"));
        const std::string* texts[] = {&draft, &log.text};
        for (const std::string* text : texts) {
            const httplib::Result r = upload(cli, *text, log.fileName);
            ASSERT_TRUE(r);
            ASSERT_EQ(r->status, 200) << log.call << "\n" << r->body;
        }
    }
    const Outcome exported = runVelmor(dir, "robot export --db robot.db -o exp");
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(listDir(dir + "/exp"), listDir(dir + "/orig"));
    for (const crosscheck::SyntheticLog& log : contest.logs)
        EXPECT_EQ(readFile(dir + "/exp/" + log.fileName), log.text) << log.fileName;

    // The same results, reports and page, file names aside.
    const auto original = crosscheckOutputs(dir, "orig", "cc-orig");
    const auto viaExport = crosscheckOutputs(dir, "exp", "cc-exp");
    const auto viaDb = crosscheckOutputs(dir, "--db robot.db", "cc-db");
    ASSERT_EQ(original.size(), contest.logs.size() + 4);
    ASSERT_EQ(viaExport.size(), original.size());
    ASSERT_EQ(viaDb.size(), original.size());
    for (const auto& [name, text] : original) {
        EXPECT_EQ(replaced(viaExport.at(name), "exp/", "orig/"), text) << name;
        EXPECT_EQ(replaced(viaDb.at(name), "robot.db:", "orig/"), text) << name;
    }
    EXPECT_NE(original.at("results.csv").find(contest.logs[0].call), std::string::npos);

    // The robot's database is an input too: --sqlite naming it (by another path) is refused
    // before anything is written, and every upload stays.
    const std::string before = readFile(dir + "/robot.db");
    const Outcome onto = runVelmor(dir, "crosscheck --db robot.db -o cc-onto --sqlite ./robot.db");
    EXPECT_EQ(onto.status, 3) << onto.err;
    EXPECT_NE(onto.err.find("cannot write ./robot.db: it is the input robot.db; nothing written"), std::string::npos)
        << onto.err;
    EXPECT_EQ(readFile(dir + "/robot.db"), before);
    EXPECT_FALSE(std::filesystem::exists(dir + "/cc-onto/results.csv"));
}

TEST(RobotProgram, UsageAndDatabaseErrors) {
    const std::string dir = freshDir("program");
    const Outcome help = runVelmor(dir, "robot --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("serve"), std::string::npos);
    EXPECT_NE(help.out.find("export"), std::string::npos);
    const Outcome serveHelp = runVelmor(dir, "robot serve --help");
    for (const char* option : {"--db", "--listen", "--deadline", "--max-bytes", "--rate-limit", "--contest"})
        EXPECT_NE(serveHelp.out.find(option), std::string::npos) << option;
    EXPECT_NE(runVelmor(dir, "crosscheck --help").out.find("--db"), std::string::npos);

    const struct {
        const char* args;
        int status;
        std::string message;
    } cases[] = {
        {"robot", 2, ""},
        {"robot serve", 2, "--db is required"},
        {"robot serve --db r.db --listen nowhere", 2, "--listen takes ADDR:PORT"},
        {"robot serve --db r.db --listen 127.0.0.1:70000", 2, "--listen takes ADDR:PORT"},
        {"robot serve --db r.db --deadline 2026-05-32T10:00", 2, "--deadline takes a UTC time written like 2026-05-23T23:59"},
        {"robot serve --db r.db --max-bytes 0", 2, "--max-bytes takes 1 to"},
        {"robot serve --db r.db --rate-limit -1", 2, "--rate-limit takes 0"},
        {"robot serve --db notes.txt --listen 127.0.0.1:0", 3, "notes.txt: file is not a database"},
        {"robot serve --db missing/r.db --listen 127.0.0.1:0", 3, "cannot open missing/r.db"},
        {"robot export --db r.db", 2, "--output is required"},
        {"robot export --db absent.db -o out", 3, "velmor robot export: error: cannot open absent.db"},
        {"robot export --db notes.txt -o out", 3, "notes.txt: file is not a database"},
        {"crosscheck -o out", 2, "LOG or --db is required"},
        {"crosscheck --db absent.db -o out", 2, "crosscheck: error: --db: cannot open absent.db"},
    };
    writeFile(dir + "/notes.txt", "These are the committee's notes, not a database; they must stay as they are.\n");
    for (const auto& c : cases) {
        const Outcome r = runVelmor(dir, c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_EQ(readFile(dir + "/notes.txt"), "These are the committee's notes, not a database; they must stay as they are.\n");
    EXPECT_FALSE(fs::exists(dir + "/absent.db"));
    EXPECT_FALSE(fs::exists(dir + "/out"));

    // An address already taken: status 3 with the reason.
    RobotProcess first(dir, "a.db");
    ASSERT_TRUE(first.started()) << first.log();
    const Outcome taken = runVelmor(dir, "robot serve --db b.db --listen 127.0.0.1:" + std::to_string(first.port()));
    EXPECT_EQ(taken.status, 3);
    EXPECT_NE(taken.err.find("cannot listen on 127.0.0.1:" + std::to_string(first.port())), std::string::npos) << taken.err;
}

// A server of this process with short bounds, for clients that are slow or silent.
class ShortBounds : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string error;
        store_ = Store::open(dir_ + "/robot.db", Store::Mode::Serve, error);
        ASSERT_TRUE(store_) << error;
        ServerOptions o;
        o.port = 0;
        o.threads = 2;
        o.readTimeoutSeconds = 1;
        o.writeTimeoutSeconds = 1;
        o.uploadSeconds = 2;
        o.rateLimit = 0;
        server_ = std::make_unique<Server>(*store_, o, log_);
        port_ = server_->bind(error);
        ASSERT_GT(port_, 0) << error;
        thread_ = std::thread([this] { server_->run(); });
    }
    void TearDown() override {
        if (server_) server_->stop();
        if (thread_.joinable()) thread_.join();
    }
    std::string dir_;
    std::unique_ptr<Store> store_;
    std::ostringstream log_;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    int port_ = -1;
};

TEST_F(ShortBounds, AStalledClientIsDroppedAndOthersAreServed) {
    // More silent connections than the server has threads: each is dropped after its read
    // time-out, and a real request is answered.
    std::vector<std::thread> stalled;
    for (int i = 0; i < 4; ++i)
        stalled.emplace_back([this] { rawExchange(port_, "GET /logs HTTP/1.1\r\nHost: x\r\n", 60); });
    httplib::Client cli = client(port_);
    const httplib::Result health = cli.Get("/healthz");
    ASSERT_TRUE(health) << httplib::to_string(health.error());
    EXPECT_EQ(health->body, "ok\n");
    for (std::thread& t : stalled) t.join();  // rawExchange returns when the server closes
}

TEST_F(ShortBounds, AnUploadTricklingInIsCutOff) {
    const std::string head = "--XX\r\nContent-Disposition: form-data; name=\"log\"; filename=\"a.cbr\"\r\n\r\n";
    const std::string body = head + cleanLog("UA1AAA", 50) + "\r\n--XX--\r\n";
    // One byte every 200 ms: each read comes well within the read time-out, the whole body
    // would take minutes.
    std::string answer;
    std::thread sender([&] {
        const std::string request = "POST /upload HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: "
                                    "multipart/form-data; boundary=XX\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\n\r\n" + head;
        answer = trickle(port_, request, body.substr(head.size()), 200, 120);
    });
    sender.join();
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 408 Request Timeout") << answer;
    EXPECT_NE(bodyOf(answer).find("the upload took longer than 2 seconds"), std::string::npos) << answer;
    EXPECT_EQ(query(dir_ + "/robot.db", "SELECT count(*) FROM uploads")[0][0], "0");
    EXPECT_NE(log_.str().find("\"POST /upload\" 408"), std::string::npos) << log_.str();
}

}  // namespace
}  // namespace velmor::robot::test
