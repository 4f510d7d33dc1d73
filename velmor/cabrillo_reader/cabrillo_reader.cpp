// Cabrillo files as numbered lines, read one at a time, each split into its tag and value.
#include "cabrillo_reader.h"

#include <algorithm>
#include <utility>

#include "cabrillo/qso_line.h"
#include "services/text.h"

namespace velmor::cabrillo_reader {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// How many bytes the reader asks the file for at a time.
constexpr std::size_t kPieceBytes = 64 * 1024;
// How many bytes at the start of a file tell UTF-16 from plain text.
constexpr std::size_t kEncodingProbe = 64;

void splitTag(Line& line) {
    const std::string_view bytes = line.text;
    const std::size_t colon = bytes.find(':');
    if (colon == std::string_view::npos || colon == 0) return;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = bytes[i];
        if (!text::isDigit(c) && !text::isLetter(c) && c != '-') return;
    }
    line.tag.assign(bytes.substr(0, colon));
    line.value.assign(text::trim(bytes.substr(colon + 1)));
}

bool isKnownTag(std::string_view tag) {
    return std::any_of(kKnownTags.begin(), kKnownTags.end(),
                       [tag](std::string_view known) { return text::equalsNoCase(tag, known); });
}

}  // namespace

bool looksUtf16(std::string_view b) {
    if (b.size() >= 2 && ((b[0] == '\xFF' && b[1] == '\xFE') || (b[0] == '\xFE' && b[1] == '\xFF'))) return true;
    // Without a mark: ASCII text as UTF-16 has a zero byte in every other place.
    const std::size_t n = std::min(b.size(), kEncodingProbe);
    if (n < 4) return false;
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < n; ++i) (i % 2 ? oddZeros : evenZeros) += b[i] == '\0';
    const std::size_t half = n / 2;
    return (oddZeros * 4 >= half * 3 && evenZeros * 4 <= half) || (evenZeros * 4 >= half * 3 && oddZeros * 4 <= half);
}

std::string_view withoutByteOrderMark(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) bytes.remove_prefix(kUtf8Mark.size());
    return bytes;
}

std::string lineTooLong(std::string_view subject, std::size_t length, std::size_t limit) {
    return std::string(subject) + " is " + std::to_string(length) + " bytes long, over the " + std::to_string(limit) +
           " bytes a line may have";
}

bool Line::isQso() const { return text::equalsNoCase(tag, qso_line::kTag); }

qso_line::Parse readQso(const Line& line) {
    if (!line.tooLong()) return qso_line::read(line.text);
    qso_line::Parse p;
    p.fault = {qso_line::Field::Line, lineTooLong("the line", line.length)};
    return p;
}

bool Line::blank() const { return text.find_first_not_of(" \t") == std::string::npos; }

// ---- LineReader ----

LineReader::LineReader(std::string_view bytes) : rest_(bytes) {}

LineReader::LineReader(std::FILE* file, const FileOps& ops) : file_(file), ops_(&ops) {}

bool LineReader::fill() {
    if (file_ == nullptr || ended_ || !error_.empty()) return false;
    if (piece_.empty()) piece_.resize(kPieceBytes);
    std::size_t got = 0;
    std::string why;
    if (!ops_->read(file_, piece_.data(), piece_.size(), got, why)) {
        error_ = why.empty() ? std::string("read error") : why;
        return false;
    }
    if (got == 0) {
        ended_ = true;
        return false;
    }
    rest_ = std::string_view(piece_.data(), got);
    return true;
}

bool LineReader::start() {
    if (started_) return error_.empty();
    started_ = true;
    // The first piece decides the encoding (a file's piece holds its first 64 KB).
    if (rest_.empty()) fill();
    if (!error_.empty()) return false;
    if (looksUtf16(rest_)) {
        error_ = std::string(kUtf16Text);
        return false;
    }
    rest_ = withoutByteOrderMark(rest_);
    return true;
}

bool LineReader::next(Line& line) {
    if (!start()) return false;
    line.text.clear();
    line.tag.clear();
    line.value.clear();
    line.length = 0;
    bool begun = false;
    for (;;) {
        if (rest_.empty() && !fill()) {
            if (!error_.empty() || !begun) return false;
            lastLineEnded_ = false;
            break;
        }
        if (pendingCr_) {
            pendingCr_ = false;
            if (rest_.front() == '\n') {
                rest_.remove_prefix(1);
                continue;
            }
        }
        begun = true;
        const std::size_t end = rest_.find_first_of("\r\n");
        const std::size_t n = end == std::string_view::npos ? rest_.size() : end;
        if (line.text.size() < kMaxLineBytes) line.text.append(rest_.substr(0, std::min(n, kMaxLineBytes - line.text.size())));
        line.length += n;
        if (end == std::string_view::npos) {
            rest_ = {};
            continue;
        }
        const char c = rest_[end];
        rest_.remove_prefix(end + 1);
        if (c == '\r') {
            if (rest_.empty())
                pendingCr_ = true;
            else if (rest_.front() == '\n')
                rest_.remove_prefix(1);
        }
        lastLineEnded_ = true;
        break;
    }
    line.number = ++number_;
    splitTag(line);
    return true;
}

// ---- File ----

const Line* File::findTag(std::string_view wanted) const {
    if (text::equalsNoCase(wanted, qso_line::kTag)) return qsos.empty() ? nullptr : &qsos.front();
    for (const Line& line : headers)
        if (text::equalsNoCase(line.tag, wanted)) return &line;
    return nullptr;
}

void File::take(Line&& line) {
    lastLine = line.number;
    if (line.isQso()) {
        qsos.push_back(std::move(line));
        return;
    }
    if (line.isTag() && isKnownTag(line.tag) && findTag(line.tag) == nullptr) headers.push_back(std::move(line));
}

std::optional<File> readCabrillo(std::string_view bytes, std::string* reason,
                                 const std::function<void(const Line&)>& each) {
    LineReader reader(bytes);
    File file;
    Line line;
    while (reader.next(line)) {
        if (each) each(line);
        file.take(std::move(line));
    }
    if (!reader.error().empty()) {
        if (reason) *reason = reader.error();
        return std::nullopt;
    }
    file.lastLine = reader.lineNumber();
    file.lastLineEnded = reader.lastLineEnded();
    return file;
}

bool forEachLine(const std::string& path, const FileOps& ops, const std::function<void(Line&&)>& each,
                 std::string& reason, int* lastLine, bool* lastLineEnded) {
    std::FILE* f = path == "-" ? stdin : ops.open(path, "rb", reason);
    if (f == nullptr) {
        if (reason.empty()) reason = "cannot open";
        return false;
    }
    LineReader reader(f, ops);
    Line line;
    while (reader.next(line)) each(std::move(line));
    std::string closeReason;
    const bool closed = f == stdin || ops.close(f, closeReason);
    if (!reader.error().empty()) {
        reason = reader.error();
        return false;
    }
    if (!closed) {
        reason = closeReason.empty() ? std::string("read error") : closeReason;
        return false;
    }
    if (lastLine) *lastLine = reader.lineNumber();
    if (lastLineEnded) *lastLineEnded = reader.lastLineEnded();
    return true;
}

std::optional<File> readCabrilloFile(const std::string& path, std::string* reason, const FileOps& ops) {
    File file;
    std::string why;
    if (!forEachLine(path, ops, [&file](Line&& line) { file.take(std::move(line)); }, why, &file.lastLine,
                     &file.lastLineEnded)) {
        if (reason) *reason = why;
        return std::nullopt;
    }
    return file;
}

}  // namespace velmor::cabrillo_reader
