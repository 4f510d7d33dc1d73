// Helpers shared by the cross-check tests.
#include "crosscheck_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmor::crosscheck::test {

namespace fs = std::filesystem;

std::string freshDir(const std::string& name) {
    const fs::path dir = fs::path(VELMOR_WORK_DIR) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

RunOutcome runIn(const std::string& cwd, const RunOptions& options, std::string* messages) {
    const fs::path before = fs::current_path();
    fs::current_path(cwd);
    std::ostringstream err;
    const RunOutcome status = runCrosscheck(options, err);
    fs::current_path(before);
    if (messages) *messages = err.str();
    return status;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    std::string line;
    while (std::getline(s, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

}  // namespace velmor::crosscheck::test
