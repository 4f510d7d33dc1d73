// FileSystem on the portable file helpers: binary reads and writes, append, and replace through a temp file.
#include "services/stdio_files.h"

#include <utility>

namespace velmor {

StdioFileSystem::StdioFileSystem(std::string root, const FileOps& ops)
    : root_(std::move(root)), ops_(ops) {}

std::string StdioFileSystem::path(const std::string& name) const {
    if (root_.empty()) return name;
    if (root_.back() == '/' || root_.back() == '\\') return root_ + name;
    return root_ + "/" + name;
}

bool StdioFileSystem::writeFile(const std::string& name, const std::string& bytes) {
    std::string reason;
    return WriteWholeFile(ops_, path(name), "wb", bytes, reason);
}

bool StdioFileSystem::appendFile(const std::string& name, const std::string& bytes) {
    std::string reason;
    return WriteWholeFile(ops_, path(name), "ab", bytes, reason);
}

std::optional<std::string> StdioFileSystem::readFile(const std::string& name) {
    return ReadWholeFile(ops_, path(name));
}

std::string StdioFileSystem::replaceFile(const std::string& name, const std::string& bytes) {
    return ReplaceFileSafely(ops_, path(name), bytes);
}

}  // namespace velmor
