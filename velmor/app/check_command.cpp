// velmor check: findings in Cabrillo files, one a line.
#include <memory>

#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"
#include "commands.h"
#include "console.h"

namespace velmor::cli {
namespace {

int runCheck(const std::vector<std::string>& files) {
    int status = check::kClean;
    for (const std::string& name : files) {
        std::string reason;
        const std::optional<cabrillo_reader::File> file = cabrillo_reader::readCabrilloFile(name, &reason, fileOps());
        if (!file) {
            report(name + ": error: cannot read: " + reason);
            status = std::max(status, int(check::kUnreadable));
            continue;
        }
        const std::vector<check::Finding> findings = check::checkCabrillo(*file);
        std::string text;
        for (const check::Finding& f : findings) text += check::formatFinding(name, f) + "\n";
        writeStdout(toTerminal(text));
        status = std::max(status, check::exitStatusOf(findings));
    }
    return status;
}

}  // namespace

void addCheckCommand(CLI::App& app, std::function<int()>& run) {
    auto files = std::make_shared<std::vector<std::string>>();
    CLI::App* cmd = app.add_subcommand(
        "check",
        "Check Cabrillo files before sending them: one finding a line, FILE:LINE: error: ... or "
        "FILE:LINE: warning: ....\nExit status: 0 clean, 1 warnings only, 2 errors, 3 a file not "
        "readable.");
    cmd->add_option("FILE", *files, "Cabrillo files; - for standard input")->required();
    cmd->callback([files, &run] { run = [files] { return runCheck(*files); }; });
}

}  // namespace velmor::cli
