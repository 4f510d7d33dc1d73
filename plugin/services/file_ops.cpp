// The portable file helpers and the C library's table of file operations.
#include "services/file_ops.h"

#include <cerrno>
#include <cstring>

namespace velmor {

std::string SystemReason(int err, const char* fallback) {
    if (err != 0) {
        const char* text = std::strerror(err);
        if (text != nullptr && *text != '\0') return text;
    }
    return fallback;
}

std::string TemporaryName(const std::string& path) { return path + ".tmp"; }

const FileOps& StdioFileOps() {
    static const FileOps ops{
        [](const std::string& path, const char* mode, std::string& reason) -> std::FILE* {
            errno = 0;
            std::FILE* f = std::fopen(path.c_str(), mode);
            if (f == nullptr) reason = SystemReason(errno);
            return f;
        },
        [](std::FILE* f, const std::string& bytes, std::string& reason) {
            if (bytes.empty()) return true;
            errno = 0;
            if (std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size()) return true;
            reason = SystemReason(errno);
            return false;
        },
        [](std::FILE* f, std::string& reason) {
            errno = 0;
            // The buffered bytes reach the file here: a full disk shows up at this step.
            if (std::fflush(f) == 0) return true;
            reason = SystemReason(errno);
            return false;
        },
        [](std::FILE* f, std::string& reason) {
            errno = 0;
            if (std::fclose(f) == 0) return true;
            reason = SystemReason(errno);
            return false;
        },
        [](const std::string& from, const std::string& to, std::string& reason) {
            errno = 0;
            if (std::rename(from.c_str(), to.c_str()) == 0) return true;
            reason = SystemReason(errno, "could not replace the file");
            return false;
        },
        [](const std::string& path) { std::remove(path.c_str()); },
        [](std::FILE* f, std::string& content) {
            char buffer[16384];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
            return std::ferror(f) == 0;
        },
    };
    return ops;
}

bool WriteWholeFile(const FileOps& ops, const std::string& path, const char* mode,
                    const std::string& bytes, std::string& reason) {
    std::FILE* f = ops.open(path, mode, reason);
    if (f == nullptr) {
        if (reason.empty()) reason = SystemReason(0, "could not open the file");
        return false;
    }
    bool ok = ops.write(f, bytes, reason) && ops.flush(f, reason);
    // Closed in every case; a close failure counts only when nothing failed before it.
    std::string closeReason;
    if (!ops.close(f, closeReason) && ok) {
        ok = false;
        reason = closeReason;
    }
    if (!ok && reason.empty()) reason = SystemReason(0);
    return ok;
}

std::string ReplaceFileSafely(const FileOps& ops, const std::string& path, const std::string& bytes) {
    const std::string temp = TemporaryName(path);
    std::string reason;
    if (!WriteWholeFile(ops, temp, "wb", bytes, reason)) {
        ops.remove(temp);
        return reason;
    }
    if (!ops.rename(temp, path, reason)) {
        if (reason.empty()) reason = SystemReason(0, "could not replace the file");
        ops.remove(temp);
        return reason;
    }
    return {};
}

std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path,
                                         std::string& reason) {
    std::FILE* f = ops.open(path, "rb", reason);
    if (f == nullptr) return std::nullopt;
    std::string content;
    const bool read = ops.readAll(f, content);
    const bool closed = ops.close(f, reason);
    if (!read) reason = "read error";
    if (!read || !closed) return std::nullopt;
    return content;
}

std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path) {
    std::string reason;
    return ReadWholeFile(ops, path, reason);
}

}  // namespace velmor
