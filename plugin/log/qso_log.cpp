// The QSO log and the indexes that answer removal, repeat check and band tallies without walks.
#include "log/qso_log.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

namespace velmor {
namespace {

// Unambiguous key of (call, mode, band): each of the first two texts is preceded by its
// length (7 bits per byte, high bit = more bytes follow), so no byte of a text can be taken
// for a separator. Short calls keep the key within the string's inline buffer.
void appendLength(std::string& key, std::size_t n) {
    while (n >= 0x80) {
        key += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    key += static_cast<char>(n);
}

std::string groupKey(const std::string& call, const std::string& mode, const std::string& band) {
    std::string key;
    key.reserve(call.size() + mode.size() + band.size() + 2);
    appendLength(key, call.size());
    key += call;
    appendLength(key, mode.size());
    key += mode;
    key += band;
    return key;
}

// (group, clock hour) as one integer; false when the hour lies outside every valid date.
bool hourSlot(std::uint32_t group, std::int64_t hourKey, std::uint64_t* slot) {
    if (hourKey < std::numeric_limits<std::int32_t>::min() ||
        hourKey > std::numeric_limits<std::int32_t>::max())
        return false;
    *slot = (static_cast<std::uint64_t>(group) << 32) |
            static_cast<std::uint32_t>(static_cast<std::int32_t>(hourKey));
    return true;
}

// Clock hour of a record's time; false when the time is not valid or has no calendar date.
bool recordHour(const OleDateTime& t, std::int64_t* hourKey) {
    if (t.status != DateStatus::Valid) return false;
    const auto c = toCalendar(t.date);
    if (!c) return false;
    *hourKey = clockHourKey(*c);
    return true;
}

std::uint64_t keyHash(const std::string& key) { return std::hash<std::string>{}(key); }

const BandTally& emptyTally() {
    static const BandTally empty;
    return empty;
}

}  // namespace

std::int64_t clockHourKey(const CalendarTime& t) {
    // Whole days since 1899-12-30: fromCalendar of midnight is an exact integer.
    const CalendarTime midnight{t.year, t.month, t.day, 0, 0, 0};
    return static_cast<std::int64_t>(fromCalendar(midnight)) * 24 + t.hour;
}

void QsoLog::clear() {
    records_.clear();
    groupOf_.clear();
    groupIndex_.clear();
    groupKeys_.clear();
    groupSizes_.clear();
    hourCounts_.clear();
    tallies_.clear();
}

const std::uint32_t* QsoLog::findGroup(const std::string& key, std::uint64_t hash) const {
    return groupIndex_.find(hash, [&](std::uint32_t group) { return groupKeys_[group] == key; });
}

void QsoLog::countHour(std::uint32_t group, const CInfo& record, int delta) {
    std::int64_t hourKey = 0;
    std::uint64_t slot = 0;
    if (!recordHour(record.time, &hourKey) || !hourSlot(group, hourKey, &slot)) return;
    std::uint32_t* count = hourCounts_.find(slot);
    if (delta > 0) {
        if (count != nullptr) ++*count;
        else hourCounts_.insert(slot, 1);
    } else if (count != nullptr && *count > 0) {
        --*count;  // the entry stays, at zero, until clear()
    }
}

void QsoLog::countTally(const CInfo& record, int delta) {
    // Only records with a call count towards a band's row.
    if (record.call.empty()) return;
    BandTally& t = tallies_[record.band];
    t.qsos += delta;
    if (record.mode == "BPSK63") t.bpsk63 += delta;
    else if (record.mode == "CW") t.cw += delta;
    else if (record.mode == "SSB") t.ssb += delta;
    if (record.wmCall.empty()) return;
    if (delta > 0) {
        ++t.wmRefs[record.wmCall];
    } else {
        const auto it = t.wmRefs.find(record.wmCall);
        if (it != t.wmRefs.end() && --it->second == 0) t.wmRefs.erase(it);
    }
}

void QsoLog::add(CInfo record) {
    std::string key = groupKey(record.call, record.mode, record.band);
    const std::uint64_t hash = keyHash(key);
    std::uint32_t group;
    if (const std::uint32_t* found = findGroup(key, hash)) {
        group = *found;
    } else {
        group = static_cast<std::uint32_t>(groupKeys_.size());
        groupKeys_.push_back(std::move(key));
        groupSizes_.push_back(0);
        groupIndex_.insert(hash, group);
    }
    ++groupSizes_[group];
    countHour(group, record, +1);
    countTally(record, +1);
    groupOf_.push_back(group);
    records_.push_back(std::move(record));
}

bool QsoLog::removeFirst(const std::string& call, const std::string& mode, const std::string& band) {
    const std::string key = groupKey(call, mode, band);
    const std::uint32_t* found = findGroup(key, keyHash(key));
    if (found == nullptr || groupSizes_[*found] == 0) return false;
    const std::uint32_t group = *found;

    // The oldest record of the group is the first one in log order; the scan compares
    // group numbers, not texts, and closing the gap below is linear anyway.
    const auto pos = std::find(groupOf_.begin(), groupOf_.end(), group);
    const auto index = pos - groupOf_.begin();
    const CInfo& record = records_[static_cast<std::size_t>(index)];
    --groupSizes_[group];
    countHour(group, record, -1);
    countTally(record, -1);
    groupOf_.erase(pos);
    records_.erase(records_.begin() + index);
    return true;
}

const BandTally& QsoLog::tally(const std::string& band) const {
    const auto it = tallies_.find(band);
    return it == tallies_.end() ? emptyTally() : it->second;
}

bool QsoLog::workedInHour(const std::string& call, const std::string& band, const std::string& mode,
                          std::int64_t hourKey) const {
    const std::string key = groupKey(call, mode, band);
    const std::uint32_t* group = findGroup(key, keyHash(key));
    std::uint64_t slot = 0;
    if (group == nullptr || !hourSlot(*group, hourKey, &slot)) return false;
    const std::uint32_t* count = hourCounts_.find(slot);
    return count != nullptr && *count > 0;
}

}  // namespace velmor
