// The guard around every export: no exception reaches the host, and a caught one leaves a trace line.
//
// Portable (no <windows.h>), so that the guard is tested natively; the DLL hands it a sink
// that calls OutputDebugStringA. Nothing here allocates: the trace of a std::bad_alloc must
// not need memory.
#pragma once

#include <cstdio>
#include <exception>
#include <cstddef>
#include <utility>

namespace velmor::boundary {

// Where a trace line goes: OutputDebugStringA in the DLL, a recorder in tests.
using TraceSink = void (*)(const char* line);

inline constexpr std::size_t kTraceLineSize = 512;

// Builds a trace line piece by piece in a fixed buffer, cutting what does not fit; one
// byte stays free for the line end.
class TraceLine {
public:
    TraceLine& operator<<(const char* text) noexcept {
        for (const char* p = text ? text : "?"; *p != '\0' && size_ + 2 < sizeof text_; ++p)
            text_[size_++] = *p;
        text_[size_] = '\0';
        return *this;
    }
    TraceLine& operator<<(unsigned long number) noexcept {
        char digits[24];
        std::snprintf(digits, sizeof digits, "%lu", number);
        return *this << static_cast<const char*>(digits);
    }
    // The text with a line end, as a debug-output viewer wants it.
    const char* line() noexcept {
        text_[size_] = '\n';
        text_[size_ + 1] = '\0';
        return text_;
    }
    const char* c_str() const noexcept { return text_; }

private:
    char text_[kTraceLineSize] = {};
    std::size_t size_ = 0;
};

// "Stats.dll: <where>: <what>\n", cut to kTraceLineSize - 1 bytes (the line end included).
inline void trace(TraceSink sink, const char* where, const char* what) noexcept {
    if (sink == nullptr) return;
    TraceLine line;
    line << "Stats.dll: " << where << ": " << what;
    sink(line.line());
}

// "Stats.dll: <where>: <call> failed, GetLastError() = <error>\n".
inline void traceError(TraceSink sink, const char* where, const char* call,
                       unsigned long error) noexcept {
    TraceLine what;
    what << call << " failed, GetLastError() = " << error;
    trace(sink, where, what.c_str());
}

// Copies `length` bytes of `text` and a terminating zero into the host's buffer of `size`
// bytes, cut to size - 1 bytes when longer; nothing past the buffer is written.
inline void copyToHostBuffer(const char* text, std::size_t length, char* buffer,
                             std::size_t size) noexcept {
    if (buffer == nullptr || size == 0) return;
    const std::size_t n = length < size - 1 ? length : size - 1;
    for (std::size_t i = 0; i < n; ++i) buffer[i] = text[i];
    buffer[n] = '\0';
}

// Runs `body` and returns its answer; when it throws, whatever it throws, traces the export
// and the exception's text and returns `fallback`, the export's safe answer.
template <typename R, typename Body>
R guarded(TraceSink sink, const char* where, R fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        trace(sink, where, e.what());  // what() is noexcept
    } catch (...) {
        trace(sink, where, "unknown exception");
    }
    return fallback;
}

}  // namespace velmor::boundary
