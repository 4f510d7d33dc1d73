// Test driver helpers of the companion's tests: the stand-in host's log and fresh file names.
#include "driver.h"

namespace companion_test {

std::vector<std::string> Macros(const std::vector<std::string>& logLines) {
    std::vector<std::string> macros;
    for (const auto& line : logLines)
        if (line.rfind("macro ", 0) == 0) macros.push_back(line.substr(6));
    return macros;
}

std::string TestFileName(const std::string& stem) {
    static unsigned counter = 0;
    std::string name = stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++counter) + ".log";
    DeleteFileA(name.c_str());  // process ids come round again: never read an old run's file
    return name;
}

}  // namespace companion_test
