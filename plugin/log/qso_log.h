// The plug-in's copy of the contest log with indexes kept in step with it, and the band list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "log/cinfo.h"
#include "log/contest_rules.h"
#include "log/flat_table.h"

namespace velmor {

// Per-band counters for the statistics text: only records with a non-empty call count.
struct BandTally {
    std::int32_t qsos = 0;
    // QSOs per contest mode, by the mode's statistics column (rules::kModes).
    std::array<std::int32_t, rules::kModeCount> modes{};
    // Distinct stations that sent "WM" on this band, with the number of their records.
    std::unordered_map<std::string, std::int32_t> wmRefs;
};

// Ordered array of CInfo in the order AddData0 stored them. Indexes answer the repeat
// check, the per-band tallies and the removal without walking the records.
//
// A host reloads its whole log often (ResetStats0, then one AddData0 per QSO), so add()
// touches as little memory as it can: one probe of a compact slot array and the group's
// own entry, with no allocation for the lookup. clear() keeps the indexes' capacity, so
// a reload of a log of the same size never grows or rehashes them.
class QsoLog {
public:
    void clear();
    // Stores a record at the end of the log. The log takes the record's texts over, so a
    // reload moves each record once instead of copying it.
    void add(CInfo&& record);
    void add(const CInfo& record) { add(CInfo(record)); }
    // Removes the oldest record whose call, mode and band equal the given texts.
    bool removeFirst(const std::string& call, const std::string& mode, const std::string& band);
    // Removes the QSO the host deleted: the oldest record whose call, mode, band, both
    // exchanges and date-time (status equal, value equal by ==) equal the given ones;
    // when there is none, the oldest record with that call, mode and band.
    bool removeQso(const QsoFields& qso);

    std::size_t size() const { return records_.size(); }
    const CInfo& at(std::size_t i) const { return records_[i]; }
    const std::vector<CInfo>& records() const { return records_; }

    // Tally of a band; an all-zero tally when no record of the band counts.
    const BandTally& tally(const std::string& band) const;
    // Whether a record with this call, band and mode has a valid time in the given clock hour.
    bool workedInHour(const std::string& call, const std::string& band, const std::string& mode,
                      std::int64_t hourKey) const;

private:
    struct KeyRef;

    // Records with the same call, mode and band form one group, numbered from 0 in order of
    // first appearance since the last clear(). Its entry holds its key, its size and the
    // clock hours of its records: nearly every group has records in one hour only, so that
    // hour is counted here and further hours go to hourOverflow_.
    struct Group {
        static constexpr std::size_t kInlineKey = 24;
        union {
            char bytes[kInlineKey];  // the encoded key when it fits
            std::size_t at;          // else its offset in longKeys_
        } key;
        std::size_t keySize;          // bytes of the encoded key
        std::int32_t size;            // records of the group in the log now
        std::int32_t firstHour;       // the first clock hour counted, when hasHour
        std::uint32_t firstHourCount; // records with a valid time in firstHour
        bool hasHour;
        bool moreHours;               // hourOverflow_ has entries of this group
    };

    bool removeMatching(const std::string& call, const std::string& mode, const std::string& band,
                        const QsoFields* exact);
    const char* keyBytes(const Group& g) const;
    // The group of the key, or nullptr.
    const Group* findGroup(const KeyRef& key) const;
    std::uint32_t addGroup(const KeyRef& key);
    // Counts a record with a valid time in the given clock hour into (or out of) its group.
    void countHour(std::uint32_t group, std::int32_t hour, int delta);
    void countTally(const CInfo& record, int delta);

    std::vector<CInfo> records_;
    std::vector<std::uint32_t> groupOf_;  // group of each record, parallel to records_
    std::vector<Group> groups_;
    FlatTable groupIndex_;                // key hash -> group, compared on the key's bytes
    std::string longKeys_;                // encoded keys that do not fit a Group, end to end
    FlatTable hourOverflow_;              // (group, clock hour) -> records, for hours after a group's first
    std::unordered_map<std::string, BandTally> tallies_;
};

// Whether two date-time records are the same for a removal: equal status and, for valid
// ones, the same minute.
bool sameQsoTime(const OleDateTime& a, const OleDateTime& b);

// Distinct band texts in order of arrival; reordered in place by the statistics report.
using BandList = std::vector<std::string>;

}  // namespace velmor
