// The file system in memory shared by velmor's sessions and the tests.
#include "services/memory_files.h"

#include <algorithm>

namespace velmor {

bool MemoryFileSystem::blocked(const std::string& name) const {
    return std::find(unwritable.begin(), unwritable.end(), name) != unwritable.end();
}

bool MemoryFileSystem::writeFile(const std::string& name, const std::string& bytes) {
    opened.push_back(name);
    if (blocked(name)) return false;
    files[name] = bytes;
    return true;
}

bool MemoryFileSystem::appendFile(const std::string& name, const std::string& bytes) {
    opened.push_back(name);
    if (blocked(name)) return false;
    files[name] += bytes;
    return true;
}

std::optional<std::string> MemoryFileSystem::readFile(const std::string& name) {
    const auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
}

std::string MemoryFileSystem::replaceFile(const std::string& name, const std::string& bytes) {
    opened.push_back(name);
    if (blocked(name)) return refusal.empty() ? std::string("write failed") : refusal;
    files[name] = bytes;
    return {};
}

}  // namespace velmor
