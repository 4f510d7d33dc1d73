// Helpers shared by the robot's tests.
#include "robot_test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace velmor::robot::test {
namespace {

namespace fs = std::filesystem;

}  // namespace

std::string freshDir(const std::string& name) {
    const std::string dir = std::string(VELMOR_WORK_DIR) + "/" + name + "-" + std::to_string(getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string cleanLog(const std::string& call, int qsos, const std::string& variant) {
    static const struct {
        int khz;
        const char* label;
    } kBands[] = {{1830, "CW"}, {3550, "CW"}, {7030, "PH"}, {14025, "CW"}, {21200, "PH"}, {28050, "CW"}};
    std::string log = "START-OF-LOG: 3.0\r\nCONTEST: Velmor\r\nCALLSIGN: " + call +
                      "\r\nCATEGORY-OPERATOR: SINGLE-OP\r\nCATEGORY-BAND: ALL\r\nCATEGORY-MODE: MIXED\r\n";
    if (!variant.empty()) log += "SOAPBOX: " + variant + "\r\n";
    for (int i = 0; i < qsos; ++i) {
        const auto& b = kBands[i % 6];
        const int minute = 12 * 60 + i / 2;
        char line[160];
        std::snprintf(line, sizeof line, "QSO: %5d %s 2026-05-16 %02d%02d %-13s %-3s %03d    UA%d%c%c%c        %-3s %03d\r\n",
                      b.khz, b.label, minute / 60 % 24, minute % 60, call.c_str(),
                      std::string(b.label) == "PH" ? "59" : "599", 1 + i % 500, i % 10, 'A' + i / 10 % 26,
                      'A' + i / 260 % 26, 'A' + i / 6760 % 26, std::string(b.label) == "PH" ? "59" : "599",
                      1 + (i * 7) % 500);
        log += line;
    }
    log += "END-OF-LOG:\r\n";
    return log;
}

Outcome runVelmor(const std::string& cwd, const std::string& args) {
    const std::string out = cwd + "/.stdout", err = cwd + "/.stderr";
    const std::string cmd = "cd '" + cwd + "' && '" + std::string(VELMOR_EXE) + "' " + args + " </dev/null >'" + out +
                            "' 2>'" + err + "'";
    const int raw = std::system(cmd.c_str());
    Outcome r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

RobotProcess::RobotProcess(const std::string& dir, const std::string& db, const std::vector<std::string>& extra)
    : errFile_(dir + "/serve.err") {
    std::vector<std::string> args = {VELMOR_EXE, "robot", "serve", "--db", db, "--listen", "127.0.0.1:0"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = dir + "/serve.out";
    fs::remove(errFile_);  // an earlier server's port must not be read
    pid_ = fork();
    if (pid_ == 0) {
        // The server ends with the test process, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || chdir(dir.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        execv(VELMOR_EXE, argv.data());
        _exit(127);
    }
    if (pid_ < 0) return;
    // The first line names the port; give up when the process ends or after a minute.
    const std::regex listening("listening on http://127\\.0\\.0\\.1:([0-9]+)/");
    for (int i = 0; i < 600; ++i) {
        std::smatch m;
        const std::string text = log();
        if (std::regex_search(text, m, listening)) {
            port_ = std::stoi(m[1]);
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

RobotProcess::~RobotProcess() {
    if (pid_ > 0) stop(SIGTERM);
}

int RobotProcess::stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    port_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

httplib::Client client(int port) {
    httplib::Client cli("127.0.0.1", port);
    cli.set_connection_timeout(30, 0);
    cli.set_read_timeout(120, 0);
    cli.set_write_timeout(120, 0);
    return cli;
}

httplib::Result upload(httplib::Client& cli, const std::string& log, const std::string& fileName,
                       const std::string& email, bool html) {
    httplib::MultipartFormDataItems items{{"log", log, fileName, "application/octet-stream"}};
    if (!email.empty()) items.push_back({"email", email, "", ""});
    httplib::Headers headers;
    if (html) headers.emplace("Accept", "text/html");
    return cli.Post("/upload", headers, items);
}

std::string receiptOf(const std::string& body) {
    std::smatch m;
    static const std::regex code("receipt: ([0-9A-Z]{26})");
    return std::regex_search(body, m, code) ? m[1].str() : std::string();
}

namespace {

int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string withBadFrequency(std::string log) {
    const std::size_t at = log.find("QSO:  1830");
    if (at != std::string::npos) log.replace(at, 10, "QSO: 10120");
    return log;
}

std::string trickle(int port, const std::string& head, const std::string& rest, int intervalMs, int maxSeconds) {
    const int fd = connectTo(port);
    std::string answer;
    if (fd < 0) return answer;
    send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(maxSeconds);
    std::size_t sent = 0;
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, intervalMs) > 0) {
            char buf[4096];
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (answer.empty() && sent < rest.size()) send(fd, rest.data() + sent++, 1, MSG_NOSIGNAL);
    }
    close(fd);
    return answer;
}

std::string rawExchange(int port, const std::string& request, int waitSeconds) {
    const int fd = connectTo(port);
    std::string answer;
    if (fd >= 0) {
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
        while (std::chrono::steady_clock::now() < until) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char buf[4096];
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return answer;
}

bool execSql(const std::string& db, const std::string& sql) {
    sqlite3* h = nullptr;
    bool ok = sqlite3_open(db.c_str(), &h) == SQLITE_OK &&
              sqlite3_exec(h, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(h);
    return ok;
}

std::vector<std::vector<std::string>> query(const std::string& db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3* h = nullptr;
    if (sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(h, 10000);
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(h, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::vector<std::string> row;
                for (int i = 0; i < sqlite3_column_count(s); ++i) {
                    const auto* p = static_cast<const char*>(sqlite3_column_blob(s, i));
                    row.emplace_back(p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, i))) : "");
                }
                rows.push_back(std::move(row));
            }
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(h);
    return rows;
}

}  // namespace velmor::robot::test
