// The committee's side: every entrant's latest log, named by its call.
#include "robot/export.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "services/file_name.h"
#include "services/text.h"

namespace velmor::robot {

std::vector<std::string> exportFileNames(const std::vector<std::string>& entrants) {
    return callFileNames(entrants, ".cbr");
}

std::string latestEntrantLogs(Store& store, std::vector<EntrantLog>& out) {
    std::string error;
    std::vector<Upload> uploads = store.latestLogs(error);
    if (!error.empty()) return error;
    std::vector<std::string> entrants;
    for (const Upload& u : uploads) entrants.push_back(u.entrant);
    const std::vector<std::string> names = exportFileNames(entrants);
    out.clear();
    for (std::size_t i = 0; i < uploads.size(); ++i) out.push_back({names[i], std::move(uploads[i])});
    return {};
}

ExportReport exportLogs(const std::vector<EntrantLog>& logs, const std::string& dir, const FileOps& ops) {
    ExportReport report;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::u8path(dir), ec);
    std::string why;
    const std::optional<FileKind> kind = ops.kind(dir, why);
    if (!kind || *kind != FileKind::Folder) {
        report.errors.push_back("cannot write into " + dir + ": " +
                                (ec ? ec.message() : kind ? std::string(KindName(*kind)) + ", not a folder" : why));
        return report;
    }
    std::set<std::string> ours;  // written, or refused with a reason
    for (const EntrantLog& log : logs) {
        ours.insert(log.fileName);
        if (!isPlainFileName(log.fileName) || log.fileName.find_first_of("/\\") != std::string::npos) {
            report.errors.push_back(log.fileName + ": not a plain file name: left out");
            continue;
        }
        const std::string path = dir + "/" + log.fileName;
        FileReplacement file(ops, path);
        // A log the robot has acknowledged stays acknowledged: each file reaches the disk
        // before it is put in place.
        file.setDurable(true);
        if (file.open()) file.write(log.upload.log);
        const std::string error = file.commit();
        if (error.empty())
            ++report.written;
        else
            report.errors.push_back("cannot write " + path + ": " + error);
    }
    // Other logs in the folder would be read by crosscheck DIR too.
    std::vector<std::string> names;
    if (ops.list(dir, names, why)) {
        for (const std::string& name : names) {
            if (isLogFileName(name) && !ours.count(name))
                report.warnings.push_back(dir + "/" + name + ": not from this export; velmor crosscheck " + dir +
                                          " reads it too");
        }
    }
    std::sort(report.warnings.begin(), report.warnings.end());
    return report;
}

}  // namespace velmor::robot
