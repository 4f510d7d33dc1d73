// The plug-in's copy of the contest log with indexes kept in step with it, and the band list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "log/cinfo.h"
#include "log/flat_table.h"

namespace velmor {

// Per-band counters for the statistics text: only records with a non-empty call count.
struct BandTally {
    std::int32_t qsos = 0;
    std::int32_t bpsk63 = 0;
    std::int32_t cw = 0;
    std::int32_t ssb = 0;
    // Distinct stations that sent "WM" on this band, with the number of their records.
    std::unordered_map<std::string, std::int32_t> wmRefs;
};

// Key of one UTC clock hour (date and hour), comparable across days.
std::int64_t clockHourKey(const CalendarTime& t);

// Ordered array of CInfo in the order AddData0 stored them. Indexes answer the repeat
// check, the per-band tallies and the removal without walking the records.
class QsoLog {
public:
    void clear();
    void add(CInfo record);
    // Removes the oldest record whose call, mode and band equal the given texts.
    bool removeFirst(const std::string& call, const std::string& mode, const std::string& band);

    std::size_t size() const { return records_.size(); }
    const CInfo& at(std::size_t i) const { return records_[i]; }
    const std::vector<CInfo>& records() const { return records_; }

    // Tally of a band; an all-zero tally when no record of the band counts.
    const BandTally& tally(const std::string& band) const;
    // Whether a record with this call, band and mode has a valid time in the given clock hour.
    bool workedInHour(const std::string& call, const std::string& band, const std::string& mode,
                      std::int64_t hourKey) const;

private:
    // Records with the same call, mode and band form one group, numbered from 0 in order of
    // first appearance since the last clear().
    const std::uint32_t* findGroup(const std::string& key, std::uint64_t hash) const;
    void countHour(std::uint32_t group, const CInfo& record, int delta);
    void countTally(const CInfo& record, int delta);

    std::vector<CInfo> records_;
    std::vector<std::uint32_t> groupOf_;     // group of each record, parallel to records_
    FlatTable groupIndex_;                   // hash of the encoded (call, mode, band) -> group
    std::vector<std::string> groupKeys_;     // encoded (call, mode, band) of each group
    std::vector<std::int32_t> groupSizes_;   // records of each group in the log now
    FlatTable hourCounts_;                   // (group, clock hour) -> records with a valid time then
    std::unordered_map<std::string, BandTally> tallies_;
};

// Distinct band texts in order of arrival; reordered in place by the statistics report.
using BandList = std::vector<std::string>;

}  // namespace velmor
