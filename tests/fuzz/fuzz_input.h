// Reading a fuzz input as a stream of small decisions, and the check that ends a run on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace velmor::fuzz {

// Stops the run with a message: libFuzzer keeps the input as a crash, the replay fails.
#define FUZZ_CHECK(condition)                                                               \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__,   \
                         __LINE__);                                                         \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// The input, consumed from the front; past its end every read gives zeros and empty texts.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool done() const { return pos_ >= size_; }
    std::size_t left() const { return size_ - pos_; }

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | (byte() << 8)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(u16()) | (static_cast<std::uint32_t>(u16()) << 16); }
    std::uint64_t u64() { return static_cast<std::uint64_t>(u32()) | (static_cast<std::uint64_t>(u32()) << 32); }
    double f64() {
        const std::uint64_t bits = u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // Up to `n` raw bytes.
    std::string bytes(std::size_t n) {
        if (n > left()) n = left();
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    // A text whose length comes first (one byte); the rest of the input for 255.
    std::string text() {
        const std::uint8_t n = byte();
        return bytes(n == 255 ? left() : n);
    }
    template <typename T>
    const T& pick(const std::vector<T>& pool) { return pool[byte() % pool.size()]; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace velmor::fuzz
