// The Velmor contest's bands as data: frequency ranges in kHz (edges included) and names.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmor::rules {

// | band | kHz           |
// |------|---------------|
// | 160M | 1800 - 2000   |
// | 80M  | 3500 - 4000   |
// | 40M  | 7000 - 7300   |
// | 20M  | 14000 - 14350 |
// | 15M  | 21000 - 21450 |
// | 10M  | 28000 - 29700 |
struct ContestBand {
    std::string_view name;  // as the host writes the band: "20M"
    std::int32_t lowKHz;
    std::int32_t highKHz;
};
inline constexpr std::array<ContestBand, 6> kContestBands{{
    {"160M", 1800, 2000},
    {"80M", 3500, 4000},
    {"40M", 7000, 7300},
    {"20M", 14000, 14350},
    {"15M", 21000, 21450},
    {"10M", 28000, 29700},
}};

// Index into kContestBands of the band holding `kHz`, or -1 outside every contest band.
constexpr int contestBandIndex(std::int64_t kHz) {
    for (std::size_t i = 0; i < kContestBands.size(); ++i)
        if (kHz >= kContestBands[i].lowKHz && kHz <= kContestBands[i].highKHz)
            return static_cast<int>(i);
    return -1;
}

}  // namespace velmor::rules
