// The robot under load and killed: many clients uploading at once on the loopback address
// (none lost, none stored twice, every receipt answering, the export holding the latest log
// of every call), and SIGKILL while uploads are in flight (every upload that got a receipt
// is there byte for byte after a restart, and the database is sound).
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "robot/receipt_code.h"
#include "robot_test_support.h"

namespace velmor::robot::test {
namespace {

struct Sent {
    std::string receipt;
    std::string call;
    std::string log;
};

TEST(RobotLoad, TwentyFiveClientsFiveHundredUploads) {
    constexpr int kClients = 25, kUploadsEach = 20, kCallsEach = 4;
    const std::string dir = freshDir("load");
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();

    std::mutex m;
    std::vector<Sent> accepted;
    std::map<std::string, std::string> latest;  // call -> the last log it got a receipt for
    std::atomic<int> refused{0}, failures{0};
    std::vector<std::string> problems;
    std::vector<std::thread> clients;
    for (int k = 0; k < kClients; ++k) {
        clients.emplace_back([&, k] {
            httplib::Client cli = client(robot.port());
            cli.set_keep_alive(k % 2 == 0);  // half the clients keep their connection
            for (int j = 0; j < kUploadsEach; ++j) {
                // Each client owns its calls, so the latest upload of a call is known here.
                const std::string call = "U" + std::to_string(k) + "L" + std::to_string(j % kCallsEach);
                const bool broken = j % 5 == 4;
                std::string log = cleanLog(call, 30, "client " + std::to_string(k) + " upload " + std::to_string(j));
                if (broken) log = withBadFrequency(log);
                const httplib::Result r = upload(cli, log, call + ".cbr");
                std::lock_guard<std::mutex> lock(m);
                if (!r) {
                    ++failures;
                    problems.push_back(call + ": " + httplib::to_string(r.error()));
                } else if (r->status != (broken ? 422 : 200)) {
                    ++failures;
                    problems.push_back(call + ": status " + std::to_string(r->status) + ": " + r->body);
                } else if (broken) {
                    ++refused;
                } else {
                    accepted.push_back({receiptOf(r->body), call, log});
                    latest[call] = log;
                }
            }
        });
    }
    for (std::thread& t : clients) t.join();
    ASSERT_EQ(failures, 0) << problems.front();
    EXPECT_EQ(refused, kClients * kUploadsEach / 5);
    ASSERT_EQ(accepted.size(), std::size_t(kClients * kUploadsEach * 4 / 5));

    // The database holds exactly the accepted uploads, each once, byte for byte.
    const std::string db = dir + "/robot.db";
    std::map<std::string, std::string> stored;
    for (const auto& row : query(db, "SELECT receipt, log, sha256, size FROM uploads")) {
        EXPECT_TRUE(stored.emplace(row[0], row[1]).second) << "receipt twice: " << row[0];
        EXPECT_EQ(row[2], sha256Hex(row[1]));
        EXPECT_EQ(row[3], std::to_string(row[1].size()));
    }
    EXPECT_EQ(stored.size(), accepted.size());
    for (const Sent& s : accepted) {
        ASSERT_EQ(s.receipt.size(), 26u);
        EXPECT_EQ(stored[s.receipt], s.log) << s.call;
    }
    EXPECT_EQ(query(db, "SELECT count(DISTINCT log) FROM uploads")[0][0], std::to_string(accepted.size()));

    // Every receipt answers, fetched by several clients at once.
    std::atomic<int> answered{0};
    std::vector<std::thread> readers;
    for (int k = 0; k < 5; ++k) {
        readers.emplace_back([&, k] {
            httplib::Client cli = client(robot.port());
            for (std::size_t i = static_cast<std::size_t>(k); i < accepted.size(); i += 5) {
                const httplib::Result r = cli.Get("/receipt/" + accepted[i].receipt);
                if (r && r->status == 200 && r->body.find("call: " + accepted[i].call + "\n") != std::string::npos) ++answered;
            }
        });
    }
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(answered, static_cast<int>(accepted.size()));

    // The export: one file per call, its latest log.
    const Outcome out = runVelmor(dir, "robot export --db robot.db -o export");
    ASSERT_EQ(out.status, 0) << out.err;
    const std::vector<std::string> files = listDir(dir + "/export");
    EXPECT_EQ(files.size(), latest.size());
    for (const auto& [call, log] : latest) EXPECT_EQ(readFile(dir + "/export/" + call + ".cbr"), log) << call;
    EXPECT_EQ(query(db, "PRAGMA integrity_check")[0][0], "ok");
}

TEST(RobotLoad, ARushOfConnectionsIsAllServed) {
    // Many clients connecting in the same instant (the deadline rush): none is turned away.
    const std::string dir = freshDir("rush");
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    constexpr int kClients = 200;
    std::mutex m;
    std::condition_variable go;
    bool start = false;
    std::atomic<int> answered{0};
    std::vector<std::string> problems;
    std::vector<std::thread> clients;
    for (int k = 0; k < kClients; ++k) {
        clients.emplace_back([&] {
            {
                std::unique_lock<std::mutex> lock(m);
                go.wait(lock, [&] { return start; });
            }
            httplib::Client cli = client(robot.port());
            const httplib::Result r = cli.Get("/healthz");
            if (r && r->status == 200) {
                ++answered;
            } else {
                std::lock_guard<std::mutex> lock(m);
                problems.push_back(r ? std::to_string(r->status) : httplib::to_string(r.error()));
            }
        });
    }
    {
        std::lock_guard<std::mutex> lock(m);
        start = true;
    }
    go.notify_all();
    for (std::thread& t : clients) t.join();
    EXPECT_EQ(answered, kClients) << problems.front();
}

TEST(RobotCrash, KilledWhileUploadsAreInFlightLosesNoReceiptedUpload) {
    const std::string dir = freshDir("crash");
    const std::string db = dir + "/robot.db";
    std::vector<Sent> receipted;
    int upload_number = 0;
    for (const int killAfter : {15, 40, 70}) {
        RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
        ASSERT_TRUE(robot.started()) << robot.log();
        std::mutex m;
        std::condition_variable enough;
        std::atomic<bool> stop{false};
        std::size_t round = 0;
        std::vector<std::string> ended;  // why each client stopped
        std::vector<std::thread> clients;
        for (int k = 0; k < 8; ++k) {
            clients.emplace_back([&, k] {
                httplib::Client cli = client(robot.port());
                while (!stop) {
                    std::string call, log;
                    {
                        std::lock_guard<std::mutex> lock(m);
                        const int n = upload_number++;
                        call = "K" + std::to_string(n % 50) + "X";
                        log = cleanLog(call, 40 + k, "upload " + std::to_string(n));
                    }
                    const httplib::Result r = upload(cli, log, "x.cbr");
                    if (!r) {  // the server is gone
                        std::lock_guard<std::mutex> lock(m);
                        ended.push_back(httplib::to_string(r.error()));
                        enough.notify_all();
                        break;
                    }
                    if (r->status != 200) continue;
                    std::lock_guard<std::mutex> lock(m);
                    receipted.push_back({receiptOf(r->body), call, log});
                    ++round;
                    enough.notify_all();
                }
            });
        }
        {
            std::unique_lock<std::mutex> lock(m);
            // Until enough uploads have receipts, or every client has ended: a server that stops
            // answering ends its clients (their reads time out) and fails the test below.
            enough.wait(lock, [&] { return round >= static_cast<std::size_t>(killAfter) || ended.size() == clients.size(); });
        }
        EXPECT_EQ(robot.stop(SIGKILL), 128 + SIGKILL);
        stop = true;
        for (std::thread& t : clients) t.join();
        ASSERT_GE(round, static_cast<std::size_t>(killAfter)) << robot.log() << "clients ended: " << (ended.empty() ? "none" : ended.front());
    }

    // Restarted on the same database: sound, and every receipted upload is there.
    RobotProcess robot(dir, "robot.db", {"--rate-limit", "0"});
    ASSERT_TRUE(robot.started()) << robot.log();
    EXPECT_EQ(query(db, "PRAGMA integrity_check")[0][0], "ok");
    std::map<std::string, std::string> stored;
    for (const auto& row : query(db, "SELECT receipt, log, sha256 FROM uploads")) {
        stored[row[0]] = row[1];
        EXPECT_EQ(row[2], sha256Hex(row[1]));  // no half-written upload
    }
    EXPECT_GE(stored.size(), receipted.size());
    httplib::Client cli = client(robot.port());
    for (const Sent& s : receipted) {
        ASSERT_EQ(stored.count(s.receipt), 1u) << "lost: " << s.receipt << " of " << s.call;
        EXPECT_EQ(stored[s.receipt], s.log);
        const httplib::Result r = cli.Get("/receipt/" + s.receipt);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
    }
    EXPECT_EQ(cli.Get("/healthz")->body, "ok\n");
    // And it takes uploads again.
    EXPECT_EQ(upload(cli, cleanLog("UA1AAA", 3))->status, 200);
}

}  // namespace
}  // namespace velmor::robot::test
