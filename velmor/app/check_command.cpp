// velmor check: findings in Cabrillo files, one a line.
#include <algorithm>
#include <memory>
#include <optional>

#include "cabrillo_reader/cabrillo_reader.h"
#include "check/cabrillo_check.h"
#include "commands.h"
#include "console.h"
#include "services/shown_text.h"

namespace velmor::cli {
namespace {

int runCheck(const std::vector<std::string>& files) {
    int status = kExitClean;
    for (const std::string& name : files) {
        // Line by line: a file of any size is checked in memory proportional to its QSO lines.
        check::CabrilloChecker checker;
        std::string reason;
        int lastLine = 0;
        if (!cabrillo_reader::forEachLine(name, fileOps(), [&](cabrillo_reader::Line&& line) { checker.add(line); },
                                          reason, &lastLine)) {
            report(name + ": error: cannot read: " + reason);
            status = std::max(status, int(kExitFileError));
            continue;
        }
        const std::vector<check::Finding> findings = checker.finish(lastLine);
        // The file's name as given (UTF-8, as every name the program prints); the findings'
        // texts from the log (code page 1251) for the terminal.
        std::string text;
        for (const check::Finding& f : findings) text += check::formatFinding(shown::visible(name), f, toTerminal(f.message)) + "\n";
        if (!writeStdout(text)) return kExitFileError;
        if (const std::optional<check::Finding::Severity> worst = check::worstSeverity(findings))
            status = std::max(status, int(*worst == check::Finding::Severity::Error ? kExitErrors : kExitWarnings));
    }
    return status;
}

}  // namespace

void setUpCheck(CLI::App& cmd, Run& run) {
    auto files = std::make_shared<std::vector<std::string>>();
    cmd.description(std::string("Check Cabrillo files before sending them: one finding a line, FILE:LINE: error: ... "
                                "or FILE:LINE: warning: ....\n") +
                    kCheckStatusHelp);
    cmd.add_option("FILE", *files, "Cabrillo files; - for standard input")->required();
    cmd.callback([files, &run] { run = [files] { return runCheck(*files); }; });
}

}  // namespace velmor::cli
