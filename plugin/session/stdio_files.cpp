// FileSystem on <cstdio>: binary reads and writes, append, and replace through a temp file.
#include "session/stdio_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace velmor {

namespace {
// The C library's text for the last failure; never empty, since an empty reason would
// read as success.
std::string systemReason(int err, const char* fallback = "write failed") {
    if (err != 0) {
        const char* text = std::strerror(err);
        if (text != nullptr && *text != '\0') return text;
    }
    return fallback;
}

// Opens, writes all of `bytes` and closes; false with the reason on any failure.
bool writeWhole(const std::string& path, const char* openMode, const std::string& bytes,
                std::string& reason) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), openMode);
    if (f == nullptr) {
        reason = systemReason(errno);
        return false;
    }
    bool ok = true;
    if (!bytes.empty()) {
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            ok = false;
            reason = systemReason(errno);
        }
    }
    errno = 0;
    // The buffered bytes reach the file only here: a full disk shows up at fclose.
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        reason = systemReason(errno);
    }
    return ok;
}
}  // namespace

StdioFileSystem::StdioFileSystem(std::string root) : root_(std::move(root)) {}

std::string StdioFileSystem::path(const std::string& name) const {
    if (root_.empty()) return name;
    if (root_.back() == '/' || root_.back() == '\\') return root_ + name;
    return root_ + "/" + name;
}

bool StdioFileSystem::writeFile(const std::string& name, const std::string& bytes) {
    std::string reason;
    return writeWhole(path(name), "wb", bytes, reason);
}

bool StdioFileSystem::appendFile(const std::string& name, const std::string& bytes) {
    std::string reason;
    return writeWhole(path(name), "ab", bytes, reason);
}

std::optional<std::string> StdioFileSystem::readFile(const std::string& name) {
    std::FILE* f = std::fopen(path(name).c_str(), "rb");
    if (f == nullptr) return std::nullopt;
    std::string content;
    char buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return content;
}

std::string StdioFileSystem::replaceFile(const std::string& name, const std::string& bytes) {
    const std::string target = path(name);
    const std::string temp = path(temporaryName(name));
    std::string reason;
    if (!writeWhole(temp, "wb", bytes, reason)) {
        std::remove(temp.c_str());
        return reason;
    }
    if (!moveReplace(temp, target, reason)) {
        if (reason.empty()) reason = systemReason(0, "could not replace the file");
        std::remove(temp.c_str());
        return reason;
    }
    return {};
}

bool StdioFileSystem::moveReplace(const std::string& from, const std::string& to,
                                  std::string& reason) {
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = systemReason(errno);
    return false;
}

}  // namespace velmor
