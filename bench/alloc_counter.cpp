// Heap bytes in use and their peak, counted by replacing the global operator new and delete.
#include "alloc_counter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

std::size_t gLive = 0;
std::size_t gPeak = 0;

void* allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) return nullptr;
    gLive += malloc_usable_size(p);
    if (gLive > gPeak) gPeak = gLive;
    return p;
}

void release(void* p) {
    if (!p) return;
    gLive -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

namespace velmor::bench {
std::size_t liveHeapBytes() { return gLive; }
std::size_t peakHeapBytes() { return gPeak; }
void resetPeak() { gPeak = gLive; }
}  // namespace velmor::bench

// The benchmarks run on one thread, so plain counters suffice.
void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
