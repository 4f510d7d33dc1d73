// Whole-file reads and safe replacement, with every OS step behind one table of operations.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace velmor {

// The operating-system steps the file helpers take, one entry each. The helpers call
// nothing else, so a test can hand in a table with any one step failing and see that the
// helper cleans up and reports it (the way SQLite routes its OS calls through one table).
// Every step that fails puts the system's reason, never empty, into `reason`.
//
//   | step   | stdio implementation        | Win32 implementation (win32/win32_files)   |
//   |--------|-----------------------------|--------------------------------------------|
//   | open   | fopen                       | fopen                                      |
//   | write  | fwrite                      | fwrite                                     |
//   | flush  | fflush                      | fflush                                     |
//   | close  | fclose                      | fclose                                     |
//   | rename | rename                      | read-only refusal, then MoveFileExA        |
//   | remove | remove                      | remove                                     |
//   | read   | fread to the end            | fread to the end                           |
struct FileOps {
    std::function<std::FILE*(const std::string& path, const char* mode, std::string& reason)> open;
    std::function<bool(std::FILE* file, const std::string& bytes, std::string& reason)> write;
    std::function<bool(std::FILE* file, std::string& reason)> flush;
    // Always releases the file, also when it fails (the buffered bytes may be lost there).
    std::function<bool(std::FILE* file, std::string& reason)> close;
    // Puts `from` in place of an existing or missing `to`, in one step.
    std::function<bool(const std::string& from, const std::string& to, std::string& reason)> rename;
    // Deletes a file; used only to clean up, so its outcome is not examined.
    std::function<void(const std::string& path)> remove;
    // Everything from the current position to the end; false on a read error.
    std::function<bool(std::FILE* file, std::string& content)> readAll;
};

// The C library's steps. `rename` is std::rename: on Windows it refuses an existing target,
// so the Windows programs use Win32FileOps() instead.
const FileOps& StdioFileOps();

// The C library's text for `err` (errno); `fallback` when there is none, so that a failure
// never comes back as the empty text that means success.
std::string SystemReason(int err, const char* fallback = "write failed");

// The temporary name ReplaceFileSafely writes first: "<path>.tmp", beside the target.
std::string TemporaryName(const std::string& path);

// Opens `path` with `mode` ("wb" to create or truncate, "ab" to append), writes all of
// `bytes`, flushes and closes. False with the reason on the first step that fails; the
// file is closed in every case.
bool WriteWholeFile(const FileOps& ops, const std::string& path, const char* mode,
                    const std::string& bytes, std::string& reason);

// Writes `bytes` to TemporaryName(path) and only then puts it in place of `path`. Returns
// the empty text on success, else the system's reason (never empty); on any failure the
// temporary file is removed and an earlier `path` is left as it was.
std::string ReplaceFileSafely(const FileOps& ops, const std::string& path, const std::string& bytes);

// The whole content of `path`, binary; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path);
// The same, with the system's reason (never empty) when it fails.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path,
                                         std::string& reason);

}  // namespace velmor
