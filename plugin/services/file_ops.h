// Files through one table of OS steps: whole-file reads, safe replacement and a streaming writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmor {

// What a name in a folder is, seen without following a symbolic link at its end.
enum class FileKind { Missing, Regular, Link, Folder, Fifo, Device, Other };

// Which file a name stands for, links followed: every name of one file (another path to
// it, a hard or a symbolic link) gives the same identity, whatever its spelling.
struct FileIdentity {
    std::uint64_t volume = 0;  // st_dev; on Windows the volume's serial number
    std::uint64_t index = 0;   // st_ino; on Windows the file index
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
};

// The operating-system steps the file helpers take, one entry each. The helpers call
// nothing else, so a test can hand in a table with any one step failing and see that the
// helper cleans up and reports it (the way SQLite routes its OS calls through one table).
// Every step that fails puts the system's reason, never empty, into `reason`.
//
//   | step   | stdio implementation (POSIX)           | Win32 implementation (win32/win32_files,  |
//   |        |                                        | names as UTF-16)                          |
//   |--------|----------------------------------------|-------------------------------------------|
//   | open   | "rb": open O_NONBLOCK, fstat, regular  | "rb": CreateFileW, GetFileType, regular   |
//   |        | files only; "wb", "ab": fopen          | files only; "wb", "ab": _wfopen           |
//   | create | open O_CREAT|O_EXCL|O_NOFOLLOW         | CreateFileW CREATE_NEW                    |
//   | write  | fwrite                                 | fwrite                                    |
//   | flush  | fflush                                 | fflush                                    |
//   | close  | fclose                                 | fclose                                    |
//   | sync   | fflush, fsync                          | fflush, FlushFileBuffers                  |
//   | syncFolder | fsync of the folder                | nothing (MoveFileEx writes through)       |
//   | rename | rename                                 | read-only refusal, then MoveFileExW       |
//   | remove | remove                                 | DeleteFileW                               |
//   | read   | fread, one piece                       | fread, one piece                          |
//   | kind   | lstat                                  | device names, FindFirstFileW              |
//   | list   | std::filesystem::directory_iterator    | FindFirstFileW, FindNextFileW             |
//   | random | getrandom (/dev/urandom elsewhere)     | RtlGenRandom                              |
//   | ident. | stat: st_dev, st_ino                   | CreateFileW, GetFileInformationByHandle:  |
//   |        |                                        | volume serial number and file index       |
struct FileOps {
    // "rb": an existing regular file (a link to one is followed); a FIFO, a device, a
    // socket or a folder is refused with what it is ("is a FIFO, not a regular file"), and the
    // opening never waits for a writer. "wb" creates or truncates, "ab" appends, as fopen.
    std::function<std::FILE*(const std::string& path, const char* mode, std::string& reason)> open;
    // A new file for writing, made exclusively: it fails when anything at all has the name
    // (a file, a folder, a link, dangling or not), so it never writes through a link.
    std::function<std::FILE*(const std::string& path, std::string& reason)> create;
    std::function<bool(std::FILE* file, std::string_view bytes, std::string& reason)> write;
    std::function<bool(std::FILE* file, std::string& reason)> flush;
    // Always releases the file, also when it fails (the buffered bytes may be lost there).
    std::function<bool(std::FILE* file, std::string& reason)> close;
    // Flushes and puts the file's bytes on the disk (for outputs that must survive a power
    // cut once reported as written).
    std::function<bool(std::FILE* file, std::string& reason)> sync;
    // Puts a folder's entries (a file put in place) on the disk.
    std::function<bool(const std::string& folder, std::string& reason)> syncFolder;
    // Puts `from` in place of an existing or missing `to`, in one step.
    std::function<bool(const std::string& from, const std::string& to, std::string& reason)> rename;
    // Deletes a file; used only to clean up, so its outcome is not examined.
    std::function<void(const std::string& path)> remove;
    // Up to `size` bytes from the current position into `buffer`; `got` is 0 at the end of
    // the file. False (with the reason) on a read error.
    std::function<bool(std::FILE* file, char* buffer, std::size_t size, std::size_t& got, std::string& reason)> read;
    // What `path` is, without following a link at its end; nullopt (with the reason) when
    // the system cannot tell (no permission on the folder, a file where a folder should be).
    std::function<std::optional<FileKind>(const std::string& path, std::string& reason)> kind;
    // The names in a folder (not "." and ".."), in no particular order; false when the
    // folder cannot be read.
    std::function<bool(const std::string& folder, std::vector<std::string>& names, std::string& reason)> list;
    // 64 bits from the system's random source, which no one can guess ahead.
    std::function<bool(std::uint64_t& value, std::string& reason)> random;
    // Which file `path` names, links followed; nullopt when nothing is there or the system
    // cannot tell (with the reason). The C library of Windows cannot tell (its st_ino is 0):
    // there the Win32 table answers.
    std::function<std::optional<FileIdentity>(const std::string& path, std::string& reason)> identity;
};

// The C library's steps (POSIX calls where the C library has none). `rename` is
// std::rename: on Windows it refuses an existing target, so the Windows programs use
// Win32FileOps() instead.
const FileOps& StdioFileOps();

// Whether `a` and `b` name one and the same existing file (FileOps::identity), however
// each is spelled; false when either is missing or cannot be told.
bool SameFile(const FileOps& ops, const std::string& a, const std::string& b);

// The C library's text for `err` (errno); `fallback` when there is none, so that a failure
// never comes back as the empty text that means success.
std::string SystemReason(int err, const char* fallback = "write failed");

// What a kind is, for messages: "a symbolic link", "a folder", "a FIFO", "a device", "not a
// regular file" (sockets and the like), "a regular file", "missing".
std::string_view KindName(FileKind kind);
// Why a name of this kind is not read as an input: "is a FIFO, not a regular file", "is a folder,
// not a file", ...
std::string NotARegularFile(FileKind kind);

// Opens `path` with `mode` ("wb" to create or truncate, "ab" to append), writes all of
// `bytes`, flushes and closes. False with the reason on the first step that fails; the
// file is closed in every case.
bool WriteWholeFile(const FileOps& ops, const std::string& path, const char* mode,
                    std::string_view bytes, std::string& reason);

// An output written in pieces and put in place of its target only when whole, so that a
// failed or cut-off run never leaves a partial file, and so that no one who can write into
// the target's folder can make it write anywhere else:
//
//   | step     | what it does                                                              |
//   |----------|---------------------------------------------------------------------------|
//   | open()   | the target must be missing or a regular file: a symbolic link (dangling   |
//   |          | or not), a folder, a FIFO or a device there is refused. A temporary file  |
//   |          | is created exclusively beside the target, named "<target>.<16 random hex  |
//   |          | digits>.tmp" (a target name too long for that: "velmor-<hex>.tmp" in its  |
//   |          | folder); a name already taken draws again, so nothing planted ahead is    |
//   |          | ever followed or overwritten                                              |
//   | write()  | the table's write step; after the first failure the rest is dropped and   |
//   |          | the reason kept                                                           |
//   | commit() | flush and close, look at the target again (same rule as open) and rename  |
//   |          | the temporary file over it; a durable replacement (setDurable) also syncs |
//   |          | the file before it is closed and the folder after the rename             |
//
// A failure at any step, or destruction without commit(), closes and removes the
// temporary file; an earlier target is then left as it was.
class FileReplacement {
public:
    FileReplacement(const FileOps& ops, std::string target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Makes commit() put the bytes and the folder's entry on the disk (the sync steps).
    void setDurable(bool durable) { durable_ = durable; }
    // Checks the target and creates the temporary file; false with reason() set.
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
    bool targetAcceptable();
    void discard();

    FileOps ops_;
    std::string target_, temp_;
    std::FILE* file_ = nullptr;
    std::string reason_;
    bool created_ = false;
    bool durable_ = false;
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

// The whole content of the regular file `path`, binary, through the table's read step;
// nullopt when it cannot be opened or read, or is not a regular file.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path);
// The same, with the reason (never empty) when it fails.
std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path,
                                         std::string& reason);

}  // namespace velmor
