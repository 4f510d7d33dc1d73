// The portable file helpers, the streaming writer and the C library's table of file operations.
#include "services/file_ops.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace velmor {
namespace {

std::string orFallback(std::string reason, const char* fallback) {
    return reason.empty() ? std::string(fallback) : reason;
}

}  // namespace

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
            if (f == nullptr) reason = SystemReason(errno, "cannot open");
            return f;
        },
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

bool FileReplacement::open() {
    if (!ok()) return false;
    if (created_) return true;
    const std::string temp = TemporaryName(target_);
    std::string why;
    file_ = ops_.open(temp, "wb", why);
    if (file_ == nullptr) return fail(orFallback(why, "cannot create the temporary file"));
    temp_ = temp;
    created_ = true;
    return true;
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
    const bool flushed = ops_.flush(file_, why);
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
    if (!closeTemporary()) return reason_;
    std::string why;
    if (!ops_.rename(temp_, target_, why)) {
        fail(orFallback(why, "could not replace the file"));
        return reason_;
    }
    created_ = false;  // the temporary file is the target now
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
    const bool read = ops.readAll(f, content);
    const bool closed = ops.close(f, reason);
    if (!read) reason = "read error";
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
