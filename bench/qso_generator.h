// Generated contest logs for the benchmarks: eight bands, three modes, one contest day.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "log/cinfo.h"

namespace velmor::bench {

// A log of `count` QSOs in time order over one UTC day: about count/3 distinct stations,
// a few per cent of them sending "WM", bands and modes spread evenly. The same count and
// seed give the same log.
std::vector<QsoFields> generateLog(std::size_t count, std::uint32_t seed = 1);

}  // namespace velmor::bench
