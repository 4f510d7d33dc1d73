// Heap bytes in use and their peak, counted by the benchmark program's own operator new.
#pragma once

#include <cstddef>

namespace velmor::bench {

// Bytes of heap blocks currently allocated through operator new (as the allocator sized them).
std::size_t liveHeapBytes();
// Highest liveHeapBytes() since the last resetPeak().
std::size_t peakHeapBytes();
void resetPeak();

}  // namespace velmor::bench
