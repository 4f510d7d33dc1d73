// The program's contact with its surroundings: messages, files, the terminal's encoding.
#include "console.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "services/file_ops.h"
#include "services/shown_text.h"
#ifdef _WIN32
#include "win32_files.h"
#endif

namespace velmor::cli {
namespace {

// Unicode code points of the bytes 0x80-0xFF in code page 1251 (0 where the code page
// leaves a byte undefined: shown as U+FFFD).
constexpr std::array<char16_t, 128> kCp1251High{{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
}};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int lastPercent = -1;

}  // namespace

// Windows' rename refuses an existing target: the Windows build puts a finished file in
// place with the Win32 steps that Stats.dll and Orvin.exe use too, with names in UTF-8 (the
// program's arguments arrive as UTF-16 and are UTF-8 inside).
const FileOps& fileOps() {
#ifdef _WIN32
    return win32::Win32Utf8FileOps();
#else
    return StdioFileOps();
#endif
}

void report(const std::string& message) {
    // One line, whatever a file name or a log put into it: no byte of it acts on a terminal.
    const std::string line = shown::visible(message);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool readWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
    std::optional<std::string> content = ReadWholeFile(fileOps(), path, reason);
    if (!content) return false;
    bytes += *content;
    return true;
}

bool outputIsAnInput(const std::string& path, const std::vector<std::string>& inputs) {
    if (path.empty() || path == "-") return false;
    for (const std::string& input : inputs) {
        if (input.empty() || input == "-" || !SameFile(fileOps(), path, input)) continue;
        report(path + ": error: cannot write: it is the input " + input +
               "; nothing written (choose another name with -o)");
        return true;
    }
    return false;
}

bool writeOutput(const std::string& path, const std::string& bytes) {
    if (path == "-") return writeStdout(bytes);
    const std::string reason = ReplaceFileSafely(fileOps(), path, bytes);
    if (!reason.empty()) {
        report(path + ": error: cannot write: " + reason);
        return false;
    }
    return true;
}

#ifdef _WIN32
namespace {
UINT consoleCodePage = 0;
void restoreConsoleCodePage() { SetConsoleOutputCP(consoleCodePage); }
}  // namespace
#endif

void prepareStreams() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    // The terminal's text and every name are UTF-8 (toTerminal): a console shows them in code
    // page 65001, and gets its own code page back when the program ends.
    if (_isatty(_fileno(stdout)) || _isatty(_fileno(stderr))) {
        consoleCodePage = GetConsoleOutputCP();
        if (consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) std::atexit(restoreConsoleCodePage);
    }
#endif
}

namespace {
bool stdoutFailed = false;

bool stdoutFailure(std::string reason) {
    if (!stdoutFailed) report("standard output: error: cannot write: " + (reason.empty() ? "write failed" : reason));
    stdoutFailed = true;
    return false;
}
}  // namespace

bool writeStdout(const std::string& bytes) {
    if (stdoutFailed) return false;
    std::string reason;
    if (!fileOps().write(stdout, bytes, reason) || !fileOps().flush(stdout, reason)) return stdoutFailure(reason);
    return true;
}

bool finishStdout() {
    if (stdoutFailed) return false;
    errno = 0;
    std::cout.flush();
    std::string reason;
    if (!fileOps().flush(stdout, reason)) return stdoutFailure(reason);
    // An earlier write of the C++ stream (CLI11's help) that failed on its own flush.
    if (!std::cout || std::ferror(stdout)) return stdoutFailure(SystemReason(errno));
    return true;
}

std::string toTerminal(const std::string& cp1251) {
    std::string out;
    out.reserve(cp1251.size() + cp1251.size() / 2);
    for (std::size_t i = 0; i < cp1251.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(cp1251[i]);
        if (b == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n') continue;
        if (b < 0x80) {
            // Line ends and tabs as they are; every other control byte shown, never sent.
            if (b == '\n' || b == '\t')
                out += static_cast<char>(b);
            else
                out += shown::visible(std::string_view(&cp1251[i], 1));
            continue;
        }
        const char16_t c = kCp1251High[b - 0x80];
        appendUtf8(out, c ? c : 0xFFFD);
    }
    return out;
}

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void showProgress(std::size_t done, std::size_t total) {
    const int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (percent == lastPercent && done != total) return;
    lastPercent = percent;
    const int filled = percent / 4;
    std::fprintf(stderr, "\r[%s%s] %3d%% %zu/%zu QSOs", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(25 - filled), ' ').c_str(), percent, done, total);
    if (done == total) {
        std::fputc('\n', stderr);
        lastPercent = -1;
    }
    std::fflush(stderr);
}

}  // namespace velmor::cli
