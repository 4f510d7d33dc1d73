// The log's one hash table: open addressing from 64-bit keys to 32-bit values, insert-only until clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmor {

// Keys are used as given (the table mixes them itself): callers pass structured integers
// or unfinished hashes of longer keys.
// The log's indexes hold one entry per distinct key ever stored since the last reset, so
// entries are never erased one by one; that keeps linear probing simple. Slots live in one
// array, so a lookup costs one cache miss instead of a chain of heap nodes.
class FlatTable {
public:
    // The value stored under `key` for which `same(value)` holds, or nullptr. `same` lets a
    // caller whose keys are hashes of longer keys tell apart two of them with equal hashes.
    template <typename Same>
    std::uint32_t* find(std::uint64_t key, Same same) {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = home(key);; i = (i + 1) & mask()) {
            Slot& s = slots_[i];
            if (!s.used) return nullptr;
            if (s.key == key && same(s.value)) return &s.value;
        }
    }
    std::uint32_t* find(std::uint64_t key) {
        return find(key, [](std::uint32_t) { return true; });
    }
    const std::uint32_t* find(std::uint64_t key) const { return const_cast<FlatTable*>(this)->find(key); }
    template <typename Same>
    const std::uint32_t* find(std::uint64_t key, Same same) const {
        return const_cast<FlatTable*>(this)->find(key, same);
    }

    // Adds an entry; the caller has made sure that find() does not see it already.
    std::uint32_t& insert(std::uint64_t key, std::uint32_t value) {
        if ((used_ + 1) * 2 > slots_.size()) grow();
        ++used_;
        return place(key, value);
    }

    // Forgets every entry; the slots stay allocated for the next load.
    void clear() {
        for (Slot& s : slots_) s.used = false;
        used_ = 0;
    }

    std::size_t size() const { return used_; }

    // Starts loading the slot where a lookup of `key` begins, so that a cache miss there
    // overlaps with other work; no effect on results.
    void prefetch(std::uint64_t key) const {
#if defined(__GNUC__)
        if (!slots_.empty()) __builtin_prefetch(&slots_[home(key)]);
#else
        (void)key;
#endif
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t value = 0;
        bool used = false;
    };

    static std::uint64_t mix(std::uint64_t k) {
        // The hash finalizer: scrambles structured keys (ids in the high half, small numbers
        // in the low half) and partial hashes, so that the low bits that pick a slot depend
        // on every bit of the key.
        k ^= k >> 30;
        k *= 0xBF58476D1CE4E5B9ull;
        k ^= k >> 27;
        k *= 0x94D049BB133111EBull;
        k ^= k >> 31;
        return k;
    }
    std::size_t mask() const { return slots_.size() - 1; }
    std::size_t home(std::uint64_t key) const { return static_cast<std::size_t>(mix(key)) & mask(); }

    std::uint32_t& place(std::uint64_t key, std::uint32_t value) {
        std::size_t i = home(key);
        while (slots_[i].used) i = (i + 1) & mask();
        slots_[i] = Slot{key, value, true};
        return slots_[i].value;
    }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.used) place(s.key, s.value);
    }

    std::vector<Slot> slots_;  // size is zero or a power of two, at most half used
    std::size_t used_ = 0;
};

}  // namespace velmor
