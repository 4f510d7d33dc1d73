// What stands at a name in a test's folder, for comparing before and after a run (POSIX).
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmor::test {

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
    std::ifstream in(path, std::ios::binary);
    return "file:" + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velmor::test
