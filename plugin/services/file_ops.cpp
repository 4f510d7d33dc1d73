// The portable file helpers, the streaming writer and the C library's table of file operations.
#ifdef _WIN32
#define _CRT_RAND_S  // rand_s, the C library's interface to the system's random source
#endif
#include "services/file_ops.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#if defined(__linux__)
#include <sys/random.h>
#endif
#endif

#include "services/file_name.h"

namespace velmor {
namespace {

// The longest file name the file systems we write to take (NAME_MAX, and NTFS's limit).
constexpr std::size_t kLongestName = 255;
// How often open() draws a new temporary name when the drawn one is taken.
constexpr int kNameDraws = 16;

std::string orFallback(std::string reason, const char* fallback) {
    return reason.empty() ? std::string(fallback) : reason;
}

#ifndef _WIN32

FileKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISLNK(mode)) return FileKind::Link;
    if (S_ISDIR(mode)) return FileKind::Folder;
    if (S_ISFIFO(mode)) return FileKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::Device;
    return FileKind::Other;
}

// A regular file for reading. O_NONBLOCK keeps the opening of a FIFO from waiting for a
// writer; once fstat has shown a regular file, the descriptor goes back to blocking reads.
std::FILE* openForReading(const std::string& path, std::string& reason) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        if (err == ENOENT && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            reason = "is a symbolic link whose target does not exist";
        else
            reason = SystemReason(err, "cannot open");
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        reason = SystemReason(errno, "cannot examine the file");
        ::close(fd);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = NotARegularFile(kindOfMode(st.st_mode));
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        reason = SystemReason(errno, "cannot read the file");
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        reason = SystemReason(errno, "cannot open");
        ::close(fd);
    }
    return f;
}

std::FILE* createExclusively(const std::string& path, std::string& reason) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = SystemReason(errno, "cannot create the file");
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        reason = SystemReason(errno, "cannot create the file");
        ::close(fd);
    }
    return f;
}

std::optional<FileKind> kindOf(const std::string& path, std::string& reason) {
    struct stat st {};
    errno = 0;
    if (::lstat(path.c_str(), &st) == 0) return kindOfMode(st.st_mode);
    if (errno == ENOENT) return FileKind::Missing;
    reason = SystemReason(errno, "cannot examine the name");
    return std::nullopt;
}

std::optional<FileIdentity> identityOf(const std::string& path, std::string& reason) {
    struct stat st {};
    errno = 0;
    if (::stat(path.c_str(), &st) != 0) {
        reason = SystemReason(errno, "cannot examine the file");
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool syncFile(std::FILE* f, std::string& reason) {
    errno = 0;
    if (std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0) return true;
    reason = SystemReason(errno, "cannot put the file on the disk");
    return false;
}

bool syncFolder(const std::string& folder, std::string& reason) {
    errno = 0;
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && ::fsync(fd) == 0) {
        ::close(fd);
        return true;
    }
    reason = SystemReason(errno, "cannot put the folder on the disk");
    if (fd >= 0) ::close(fd);
    return false;
}

bool randomBits(std::uint64_t& value, std::string& reason) {
    unsigned char* out = reinterpret_cast<unsigned char*>(&value);
    std::size_t got = 0;
#if defined(__linux__)
    while (got < sizeof value) {
        const ssize_t n = ::getrandom(out + got, sizeof value - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
#endif
    if (got < sizeof value) {
        got = 0;
        const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
        while (fd >= 0 && got < sizeof value) {
            const ssize_t n = ::read(fd, out + got, sizeof value - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (fd >= 0) ::close(fd);
    }
    if (got == sizeof value) return true;
    reason = SystemReason(errno, "no random source");
    return false;
}

#else  // the C library of Windows: what it offers without Win32 calls

FileKind kindOfMode(unsigned short mode) {
    switch (mode & _S_IFMT) {
        case _S_IFREG: return FileKind::Regular;
        case _S_IFDIR: return FileKind::Folder;
        case _S_IFCHR: return FileKind::Device;
        case _S_IFIFO: return FileKind::Fifo;
        default: return FileKind::Other;
    }
}

std::optional<FileKind> kindOf(const std::string& path, std::string& reason) {
    const std::size_t slash = path.find_last_of("/\\");
    if (isReservedDeviceName(slash == std::string::npos ? path : path.substr(slash + 1))) return FileKind::Device;
    struct _stat st {};
    errno = 0;
    if (::_stat(path.c_str(), &st) == 0) return kindOfMode(st.st_mode);
    if (errno == ENOENT) return FileKind::Missing;
    reason = SystemReason(errno, "cannot examine the name");
    return std::nullopt;
}

std::FILE* openForReading(const std::string& path, std::string& reason) {
    std::string why;
    const std::optional<FileKind> kind = kindOf(path, why);
    if (kind && *kind != FileKind::Regular && *kind != FileKind::Missing) {
        reason = NotARegularFile(*kind);
        return nullptr;
    }
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        reason = SystemReason(errno, "cannot open");
        return nullptr;
    }
    struct _stat st {};
    if (::_fstat(::_fileno(f), &st) != 0 || kindOfMode(st.st_mode) != FileKind::Regular) {
        reason = NotARegularFile(kindOfMode(st.st_mode));
        std::fclose(f);
        return nullptr;
    }
    return f;
}

std::FILE* createExclusively(const std::string& path, std::string& reason) {
    errno = 0;
    // _O_EXCL is CreateFile's CREATE_NEW underneath: nothing with the name is opened.
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        reason = SystemReason(errno, "cannot create the file");
        return nullptr;
    }
    std::FILE* f = ::_fdopen(fd, "wb");
    if (f == nullptr) {
        reason = SystemReason(errno, "cannot create the file");
        ::_close(fd);
    }
    return f;
}

std::optional<FileIdentity> identityOf(const std::string&, std::string& reason) {
    reason = "the C library cannot tell which file a name stands for";
    return std::nullopt;
}

bool syncFile(std::FILE* f, std::string& reason) {
    errno = 0;
    if (std::fflush(f) == 0 && ::_commit(::_fileno(f)) == 0) return true;
    reason = SystemReason(errno, "cannot put the file on the disk");
    return false;
}

// Windows has no handle on a folder's entries to sync; a rename there is written through.
bool syncFolder(const std::string&, std::string&) { return true; }

bool randomBits(std::uint64_t& value, std::string& reason) {
    unsigned int high = 0, low = 0;
    if (rand_s(&high) != 0 || rand_s(&low) != 0) {
        reason = "no random source";
        return false;
    }
    value = (std::uint64_t{high} << 32) | low;
    return true;
}

#endif

bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(fs::u8path(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) names.push_back(it->path().filename().u8string());
    if (!ec) return true;
    reason = orFallback(ec.message(), "cannot read the folder");
    return false;
}

// The temporary name for `target` with the random `bits`: beside the target, in its folder.
std::string temporaryNameFor(const std::string& target, std::uint64_t bits) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, bits >>= 4) hex[static_cast<std::size_t>(i)] = kHex[bits & 0xF];
#ifdef _WIN32
    const std::size_t slash = target.find_last_of("/\\");
#else
    const std::size_t slash = target.find_last_of('/');
#endif
    const std::size_t leafStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string suffix = "." + hex + ".tmp";
    if (target.size() - leafStart + suffix.size() <= kLongestName) return target + suffix;
    return target.substr(0, leafStart) + "velmor" + suffix;
}

bool readPiece(std::FILE* f, char* buffer, std::size_t size, std::size_t& got, std::string& reason) {
    errno = 0;
    got = std::fread(buffer, 1, size, f);
    if (got > 0 || std::ferror(f) == 0) return true;
    reason = SystemReason(errno, "read error");
    return false;
}

}  // namespace

std::string SystemReason(int err, const char* fallback) {
    if (err != 0) {
        const char* text = std::strerror(err);
        if (text != nullptr && *text != '\0') return text;
    }
    return fallback;
}

std::string_view KindName(FileKind kind) {
    switch (kind) {
        case FileKind::Missing: return "missing";
        case FileKind::Regular: return "a regular file";
        case FileKind::Link: return "a symbolic link";
        case FileKind::Folder: return "a folder";
        case FileKind::Fifo: return "a FIFO";
        case FileKind::Device: return "a device";
        case FileKind::Other: break;
    }
    return "not a regular file";
}

std::string NotARegularFile(FileKind kind) {
    if (kind == FileKind::Folder) return "is a folder, not a file";
    if (kind == FileKind::Other) return "is not a regular file";
    return "is " + std::string(KindName(kind)) + ", not a regular file";
}

const FileOps& StdioFileOps() {
    static const FileOps ops{
        [](const std::string& path, const char* mode, std::string& reason) -> std::FILE* {
            if (mode[0] == 'r') return openForReading(path, reason);
            errno = 0;
            std::FILE* f = std::fopen(path.c_str(), mode);
            if (f == nullptr) reason = SystemReason(errno, "cannot open");
            return f;
        },
        createExclusively,
        [](std::FILE* f, std::string_view bytes, std::string& reason) {
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
        syncFile,
        syncFolder,
        [](const std::string& from, const std::string& to, std::string& reason) {
            errno = 0;
            if (std::rename(from.c_str(), to.c_str()) == 0) return true;
            reason = SystemReason(errno, "could not replace the file");
            return false;
        },
        [](const std::string& path) { std::remove(path.c_str()); },
        readPiece,
        kindOf,
        listFolder,
        randomBits,
        identityOf,
    };
    return ops;
}

bool SameFile(const FileOps& ops, const std::string& a, const std::string& b) {
    std::string ignored;
    const std::optional<FileIdentity> first = ops.identity(a, ignored);
    if (!first) return false;
    const std::optional<FileIdentity> second = ops.identity(b, ignored);
    return second && *first == *second;
}

bool WriteWholeFile(const FileOps& ops, const std::string& path, const char* mode,
                    std::string_view bytes, std::string& reason) {
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

// ---- FileReplacement ----

FileReplacement::FileReplacement(const FileOps& ops, std::string target)
    : ops_(ops), target_(std::move(target)) {}

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::fail(std::string reason) {
    if (reason_.empty()) reason_ = orFallback(std::move(reason), "write failed");
    discard();
    return false;
}

void FileReplacement::discard() {
    if (file_ != nullptr) {
        std::string ignored;
        ops_.close(file_, ignored);
        file_ = nullptr;
    }
    if (created_) {
        ops_.remove(temp_);
        created_ = false;
    }
}

bool FileReplacement::targetAcceptable() {
    std::string why;
    const std::optional<FileKind> kind = ops_.kind(target_, why);
    if (!kind) return fail(orFallback(why, "cannot examine the output's name"));
    if (*kind == FileKind::Missing || *kind == FileKind::Regular) return true;
    return fail("is " + std::string(KindName(*kind)) + ": an output replaces only a regular file");
}

bool FileReplacement::open() {
    if (!ok()) return false;
    if (created_) return true;
    if (!targetAcceptable()) return false;
    for (int draw = 0; draw < kNameDraws; ++draw) {
        std::uint64_t bits = 0;
        std::string why;
        if (!ops_.random(bits, why)) return fail(orFallback(why, "no random source"));
        const std::string candidate = temporaryNameFor(target_, bits);
        const std::optional<FileKind> kind = ops_.kind(candidate, why);
        if (!kind) return fail(orFallback(why, "cannot examine the temporary name"));
        // Taken, by a leftover or by something planted: never touched, another name drawn.
        if (*kind != FileKind::Missing) continue;
        file_ = ops_.create(candidate, why);
        if (file_ == nullptr) return fail(orFallback(why, "cannot create the temporary file"));
        temp_ = candidate;
        created_ = true;
        return true;
    }
    return fail("no free temporary name beside the output");
}

bool FileReplacement::write(std::string_view bytes) {
    if (!ok()) return false;
    if (file_ == nullptr) return fail(created_ ? "written after the file was closed" : "the file is not open");
    std::string why;
    if (!ops_.write(file_, bytes, why)) return fail(why);
    return true;
}

bool FileReplacement::closeTemporary() {
    if (!ok()) return false;
    if (file_ == nullptr) return created_ || fail("the file is not open");
    std::string why;
    const bool flushed = durable_ ? ops_.sync(file_, why) : ops_.flush(file_, why);
    std::string closeWhy;
    const bool closed = ops_.close(file_, closeWhy);
    file_ = nullptr;
    if (!flushed) return fail(why);
    if (!closed) return fail(closeWhy);
    return true;
}

std::string FileReplacement::commit() {
    if (!ok()) return reason_;
    if (!created_) {
        fail("the file is not open");
        return reason_;
    }
    if (!closeTemporary() || !targetAcceptable()) return reason_;
    std::string why;
    if (!ops_.rename(temp_, target_, why)) {
        fail(orFallback(why, "could not replace the file"));
        return reason_;
    }
    created_ = false;  // the temporary file is the target now
    if (durable_) {
#ifdef _WIN32
        const std::size_t slash = target_.find_last_of("/\\");
#else
        const std::size_t slash = target_.find_last_of('/');
#endif
        const std::string folder = slash == std::string::npos ? std::string(".") : target_.substr(0, slash + 1);
        if (!ops_.syncFolder(folder, why)) {
            reason_ = orFallback(why, "cannot put the folder on the disk");
            return reason_;
        }
    }
    return {};
}

// ---- FileReplacementStream ----

class FileReplacementStream::Buffer : public std::streambuf {
public:
    explicit Buffer(FileReplacement& file) : file_(file), space_(std::size_t{1} << 16) { reset(); }

protected:
    int_type overflow(int_type c) override {
        if (!drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n > epptr() - pptr()) {
            if (!drain()) return 0;
            // A piece as large as the buffer goes straight through.
            if (n >= static_cast<std::streamsize>(space_.size()))
                return file_.write(std::string_view(s, static_cast<std::size_t>(n))) ? n : 0;
        }
        std::memcpy(pptr(), s, static_cast<std::size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    void reset() { setp(space_.data(), space_.data() + space_.size()); }
    bool drain() {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        reset();
        return n == 0 ? file_.ok() : file_.write(std::string_view(space_.data(), n));
    }

    FileReplacement& file_;
    std::vector<char> space_;
};

FileReplacementStream::FileReplacementStream(FileReplacement& file)
    : std::ostream(nullptr), buffer_(std::make_unique<Buffer>(file)) {
    rdbuf(buffer_.get());
}

FileReplacementStream::~FileReplacementStream() = default;

// ---- whole files ----

std::string ReplaceFileSafely(const FileOps& ops, const std::string& path, std::string_view bytes) {
    FileReplacement file(ops, path);
    if (!file.open()) return file.reason();
    file.write(bytes);
    return file.commit();
}

std::string ReplaceFileStreaming(const FileOps& ops, const std::string& path,
                                 const std::function<void(std::ostream&)>& write) {
    FileReplacement file(ops, path);
    if (!file.open()) return file.reason();
    {
        FileReplacementStream out(file);
        write(out);
        out.flush();
    }
    return file.commit();
}

std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path,
                                         std::string& reason) {
    std::FILE* f = ops.open(path, "rb", reason);
    if (f == nullptr) {
        if (reason.empty()) reason = "cannot open";
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    std::size_t got = 0;
    bool read = true;
    while ((read = ops.read(f, buffer, sizeof buffer, got, reason)) && got > 0) content.append(buffer, got);
    std::string closeReason;
    const bool closed = ops.close(f, closeReason);
    if (read && !closed) reason = closeReason;
    if (!read || !closed) {
        if (reason.empty()) reason = "read error";
        return std::nullopt;
    }
    return content;
}

std::optional<std::string> ReadWholeFile(const FileOps& ops, const std::string& path) {
    std::string reason;
    return ReadWholeFile(ops, path, reason);
}

}  // namespace velmor
