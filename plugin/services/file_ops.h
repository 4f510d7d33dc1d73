// Files through one table of OS steps: whole-file reads, safe replacement and a streaming writer.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

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
    std::function<bool(std::FILE* file, std::string_view bytes, std::string& reason)> write;
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

// The temporary name a FileReplacement writes first: "<path>.tmp", beside the target.
std::string TemporaryName(const std::string& path);

// Opens `path` with `mode` ("wb" to create or truncate, "ab" to append), writes all of
// `bytes`, flushes and closes. False with the reason on the first step that fails; the
// file is closed in every case.
bool WriteWholeFile(const FileOps& ops, const std::string& path, const char* mode,
                    std::string_view bytes, std::string& reason);

// An output written in pieces and put in place of its target only when whole, so that a
// failed or cut-off run never leaves a partial file:
//
//   | step     | what it does                                                              |
//   |----------|---------------------------------------------------------------------------|
//   | open()   | the temporary file TemporaryName(target) is created                       |
//   | write()  | the table's write step; after the first failure the rest is dropped and   |
//   |          | the reason kept                                                           |
//   | commit() | flush and close, and rename the temporary file over the target            |
//
// A failure at any step, or destruction without commit(), closes and removes the
// temporary file; an earlier target is then left as it was.
class FileReplacement {
public:
    FileReplacement(const FileOps& ops, std::string target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file; false with reason() set.
    bool open();
    // Hands `bytes` to the table's write step; false once any step has failed.
    bool write(std::string_view bytes);
    // Flushes and closes the temporary file without putting it in place, for a library that
    // fills the file by its name (SQLite); commit() then only puts it in place.
    bool closeTemporary();
    // Puts the whole file in place. Returns the empty text on success, else the reason
    // (never empty); the temporary file is then gone.
    std::string commit();

    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    bool fail(std::string reason);
    void discard();

    FileOps ops_;
    std::string target_, temp_;
    std::FILE* file_ = nullptr;
    std::string reason_;
    bool created_ = false;
};

// An std::ostream into a FileReplacement through a buffer of its own (64 KB), so that a
// writer streams an output of any size in bounded memory. A failed write makes the stream
// bad; the replacement keeps the reason. Flush the stream before commit().
class FileReplacementStream : public std::ostream {
public:
    explicit FileReplacementStream(FileReplacement& file);
    ~FileReplacementStream() override;

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
};

// Writes `bytes` through a FileReplacement of `path`. Returns the empty text on success,
// else the reason (never empty); an earlier `path` is then left as it was.
std::string ReplaceFileSafely(const FileOps& ops, const std::string& path, std::string_view bytes);
// The same for an output streamed by `write` (a FileReplacementStream), in bounded memory.
std::string ReplaceFileStreaming(const FileOps& ops, const std::string& path,
                                 const std::function<void(std::ostream&)>& write);

// The whole content of `path`, binary; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path);
// The same, with the reason (never empty) when it fails.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path,
                                         std::string& reason);

}  // namespace velmor
