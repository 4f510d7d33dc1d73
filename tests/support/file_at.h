// Files in a test's folder: their bytes, and what stands at a name, for comparing before and
// after a run (POSIX).
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmor::test {

// The bytes of a file; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file with exactly `bytes`, made or replaced.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// "file:<content>", "link:<target>", "folder", "FIFO", "device", "missing". A link is never
// followed: what a run must not touch is the link itself and what it points to, each seen
// on its own.
inline std::string whatIs(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISLNK(st.st_mode)) return "link:" + std::filesystem::read_symlink(path).string();
    if (S_ISDIR(st.st_mode)) return "folder";
    if (S_ISFIFO(st.st_mode)) return "FIFO";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "device";
    return "file:" + readFile(path);
}

}  // namespace velmor::test
