// Files in Wine tests: whole-file reads and writes, log lines, removing a test's folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace wine_test {

// The whole file, opened for sharing (another process may be writing it); nullopt when it
// cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Creates or truncates `path` with exactly `bytes`; false on any failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Complete lines of a text file (CR LF or LF), read while another process may be writing
// it: a last line without its line end is still being written and left out.
std::vector<std::string> ReadLines(const std::string& path);
// Removes `dir` with everything in it, read-only files included.
void RemoveTree(const std::string& dir);

}  // namespace wine_test
