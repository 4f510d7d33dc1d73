// The committee's side: every entrant's latest log, named by its call.
#include "robot/export.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "robot/receipt_code.h"
#include "services/file_name.h"

namespace velmor::robot {
namespace {

constexpr std::size_t kMaxBaseBytes = 64;
constexpr std::size_t kCutBaseBytes = 40;
constexpr const char* kExtension = ".cbr";

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string systemReason() { return std::strerror(errno); }

// Writes `bytes` to `name` in the folder `dirFd`; empty string or the reason.
std::string writeFileAt(int dirFd, const std::string& name, const std::string& bytes) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode))
        return name + ": exists and is not a regular file (a link, folder or device): left as it is";
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 5 && fd < 0; ++attempt) {
        std::string suffix;
        for (unsigned char c : randomBytes(6)) {
            static constexpr char kHex[] = "0123456789abcdef";
            suffix += kHex[c >> 4];
            suffix += kHex[c & 15];
        }
        tmp = "." + name + "." + suffix + ".tmp";
        fd = openat(dirFd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return "cannot create " + tmp + ": " + systemReason();
    }
    if (fd < 0) return "cannot create a temporary file for " + name + ": " + systemReason();
    std::string error;
    for (std::size_t done = 0; done < bytes.size() && error.empty();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) error = "cannot write " + tmp + ": " + systemReason();
        else done += static_cast<std::size_t>(n);
    }
    if (error.empty() && fsync(fd) != 0) error = "cannot write " + tmp + ": " + systemReason();
    if (close(fd) != 0 && error.empty()) error = "cannot write " + tmp + ": " + systemReason();
    if (error.empty() && renameat(dirFd, tmp.c_str(), dirFd, name.c_str()) != 0)
        error = "cannot put " + name + " in place: " + systemReason();
    if (!error.empty()) unlinkat(dirFd, tmp.c_str(), 0);
    return error;
}

}  // namespace

std::vector<std::string> exportFileNames(const std::vector<std::string>& entrants) {
    std::vector<std::string> bases(entrants.size());
    for (std::size_t i = 0; i < entrants.size(); ++i) {
        std::string base = safeFileBaseName(entrants[i]);
        if (base.empty()) base = "_";
        if (base.size() > kMaxBaseBytes) {
            std::size_t cut = kCutBaseBytes;
            while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
            base = base.substr(0, cut) + "-" + sha256Hex(entrants[i]).substr(0, 12);
        }
        bases[i] = base;
    }
    std::vector<std::string> names(entrants.size());
    std::set<std::string> taken;  // lower case: one file on a case-blind file system
    // Calls that name a file unchanged first, so that they keep the plain name.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < entrants.size(); ++i) {
            if ((bases[i] == entrants[i]) != (pass == 0)) continue;
            std::string name = bases[i] + kExtension;
            for (int n = 2; !taken.insert(lower(name)).second; ++n) name = bases[i] + "-" + std::to_string(n) + kExtension;
            names[i] = name;
        }
    }
    return names;
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

ExportReport exportLogs(const std::vector<EntrantLog>& logs, const std::string& dir) {
    ExportReport report;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        report.errors.push_back("cannot open the folder " + dir + ": " + systemReason());
        return report;
    }
    std::set<std::string> ours;  // written, or refused above with a reason
    for (const EntrantLog& log : logs) {
        ours.insert(log.fileName);
        if (!isPlainFileName(log.fileName) || log.fileName.find('/') != std::string::npos) {
            report.errors.push_back(log.fileName + ": not a plain file name: left out");
            continue;
        }
        const std::string error = writeFileAt(dirFd, log.fileName, log.upload.log);
        if (!error.empty()) report.errors.push_back(error);
    }
    if (fsync(dirFd) != 0) report.errors.push_back("cannot sync the folder " + dir + ": " + systemReason());
    // Other logs in the folder would be read by crosscheck DIR too.
    if (DIR* d = fdopendir(dup(dirFd))) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            const std::string ext = name.size() > 4 ? lower(name.substr(name.size() - 4)) : std::string();
            if ((ext == ".cbr" || ext == ".log") && !ours.count(name))
                report.warnings.push_back(dir + "/" + name + ": not from this export; velmor crosscheck " + dir +
                                          " reads it too");
        }
        closedir(d);
    }
    std::sort(report.warnings.begin(), report.warnings.end());
    close(dirFd);
    return report;
}

}  // namespace velmor::robot
