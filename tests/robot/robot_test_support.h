// Helpers shared by the robot's tests: logs to upload, the real `velmor robot serve` as a
// child process on a free loopback port, uploads over HTTP, files and folders.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include <httplib.h>

#include "file_at.h"

namespace velmor::robot::test {

using velmor::test::readFile;
using velmor::test::writeFile;
// An empty folder under the tests' work folder, unique to this process (several test runs
// share the machine).
std::string freshDir(const std::string& name);
// Names of the entries of a folder, sorted.
std::vector<std::string> listDir(const std::string& dir);

// A clean Cabrillo log (no errors; "variant" goes into a SOAPBOX line, so that two logs
// of one call differ): `qsos` QSO lines on the six contest bands with valid exchanges.
std::string cleanLog(const std::string& call, int qsos, const std::string& variant = "");

struct Outcome {
    int status = -1;
    std::string out, err;
};
// Runs the velmor program with `args` (shell words) in `cwd`, standard input empty.
Outcome runVelmor(const std::string& cwd, const std::string& args);

// `velmor robot serve --db DB --listen 127.0.0.1:0 EXTRA...` in `dir`, its standard error
// in dir/serve.err. The port is read from its first line; the process is stopped (SIGTERM)
// when the object goes.
class RobotProcess {
public:
    RobotProcess(const std::string& dir, const std::string& db, const std::vector<std::string>& extra = {});
    ~RobotProcess();
    RobotProcess(const RobotProcess&) = delete;
    RobotProcess& operator=(const RobotProcess&) = delete;

    bool started() const { return port_ > 0; }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    // Sends `signal` and waits for the process; its exit status (or 128 + signal).
    int stop(int signal);
    std::string log() const { return readFile(errFile_); }

private:
    pid_t pid_ = -1;
    int port_ = -1;
    std::string errFile_;
};

// A client of the robot at `port` with generous time-outs.
httplib::Client client(int port);

// POST /upload with the log in the field "log" (file name `fileName`) and, when not empty,
// "email". `html`: ask for the HTML pages.
httplib::Result upload(httplib::Client& cli, const std::string& log, const std::string& fileName = "log.cbr",
                       const std::string& email = "", bool html = false);

// The receipt code of a text receipt ("receipt: CODE"), or "".
std::string receiptOf(const std::string& body);

// Sends `request` on a new connection to the port and returns all the server answers until
// it closes the connection (or `waitSeconds` pass).
std::string rawExchange(int port, const std::string& request, int waitSeconds = 30);

// Sends `head`, then `rest` one byte every `intervalMs` milliseconds until the server
// answers; returns the answer (read until the server closes, at most `maxSeconds` in all).
std::string trickle(int port, const std::string& head, const std::string& rest, int intervalMs, int maxSeconds);

// `log` with its first QSO line's frequency moved out of the contest bands (10120 kHz).
std::string withBadFrequency(std::string log);

// Runs SQL statements on a database (made when missing); false on any failure.
bool execSql(const std::string& db, const std::string& sql);

// Rows of a query on the database, each a list of columns' texts (BLOBs as bytes).
std::vector<std::vector<std::string>> query(const std::string& db, const std::string& sql);

}  // namespace velmor::robot::test
