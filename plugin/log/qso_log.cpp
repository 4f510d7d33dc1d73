// The QSO log and the indexes that answer removal, repeat check and band tallies without walks.
#include "log/qso_log.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace velmor {
namespace {

// A group's key is (call, mode, band) encoded without ambiguity: each of the first two
// texts is preceded by its length (7 bits per byte, high bit = more bytes follow), so no
// byte of a text can be taken for a separator. Writes the length, returns its bytes.
std::size_t putLength(char* out, std::size_t n) {
    std::size_t k = 0;
    while (n >= 0x80) {
        out[k++] = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out[k++] = static_cast<char>(n);
    return k;
}

std::size_t lengthBytes(std::size_t n) {
    std::size_t k = 1;
    for (; n >= 0x80; n >>= 7) ++k;
    return k;
}

// Hash of the three texts taken piece by piece, eight bytes at a time, so a lookup needs
// no key string. The pieces' lengths go in too, as in the encoded key.
constexpr std::uint64_t kHashMul = 0x9E3779B97F4A7C15ull;

std::uint64_t hashStep(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * kHashMul;
    return h ^ (h >> 32);  // the product's high bits back into the low ones
}

std::uint64_t hashText(std::uint64_t h, const std::string& s) {
    const char* p = s.data();
    std::size_t n = s.size();
    h = hashStep(h, n);
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = hashStep(h, word);
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = hashStep(h, word);
    }
    return h;
}

// (group, clock hour) as one integer, the key of hourOverflow_.
std::uint64_t hourSlot(std::uint32_t group, std::int32_t hour) {
    return (static_cast<std::uint64_t>(group) << 32) | static_cast<std::uint32_t>(hour);
}

// Clock hour as stored by the indexes; false when it lies outside every valid date.
bool narrowHour(std::int64_t hourKey, std::int32_t* hour) {
    if (hourKey < std::numeric_limits<std::int32_t>::min() ||
        hourKey > std::numeric_limits<std::int32_t>::max())
        return false;
    *hour = static_cast<std::int32_t>(hourKey);
    return true;
}

// Clock hour of a record's time; false when the time is not valid or has no calendar date.
bool recordHour(const OleDateTime& t, std::int32_t* hour) {
    if (t.status != DateStatus::Valid) return false;
    const auto c = toCalendar(t.date);
    if (!c) return false;
    return narrowHour(clockHourKey(*c), hour);
}

const BandTally& emptyTally() {
    static const BandTally empty;
    return empty;
}

}  // namespace

// The caller's three texts seen as their encoded key, which is never built: its size and
// hash are computed from the pieces, and a stored key is compared piece by piece.
struct QsoLog::KeyRef {
    const std::string& call;
    const std::string& mode;
    const std::string& band;
    std::size_t size;
    std::uint64_t hash;

    KeyRef(const std::string& c, const std::string& m, const std::string& b)
        : call(c), mode(m), band(b),
          size(lengthBytes(c.size()) + c.size() + lengthBytes(m.size()) + m.size() + b.size()),
          hash(hashText(hashText(hashText(0, c), m), b)) {}

    bool equals(const char* stored, std::size_t storedSize) const {
        if (storedSize != size) return false;
        char length[16];
        std::size_t k = putLength(length, call.size());
        if (std::memcmp(stored, length, k) != 0) return false;
        stored += k;
        if (std::memcmp(stored, call.data(), call.size()) != 0) return false;
        stored += call.size();
        k = putLength(length, mode.size());
        if (std::memcmp(stored, length, k) != 0) return false;
        stored += k;
        if (std::memcmp(stored, mode.data(), mode.size()) != 0) return false;
        stored += mode.size();
        return std::memcmp(stored, band.data(), band.size()) == 0;
    }

    // Writes the `size` bytes of the encoded key.
    void write(char* out) const {
        out += putLength(out, call.size());
        std::memcpy(out, call.data(), call.size());
        out += call.size();
        out += putLength(out, mode.size());
        std::memcpy(out, mode.data(), mode.size());
        out += mode.size();
        std::memcpy(out, band.data(), band.size());
    }
};

void QsoLog::clear() {
    // The records' texts must be freed; the indexes only forget their entries and keep
    // their memory, so the reload that follows a reset neither grows nor rehashes them.
    records_.clear();
    groupOf_.clear();
    groupIndex_.clear();
    groups_.clear();
    longKeys_.clear();
    hourOverflow_.clear();
    tallies_.clear();
}

const char* QsoLog::keyBytes(const Group& g) const {
    return g.keySize <= Group::kInlineKey ? g.key.bytes : longKeys_.data() + g.key.at;
}

const QsoLog::Group* QsoLog::findGroup(const KeyRef& key) const {
    const std::uint32_t* group = groupIndex_.find(key.hash, [&](std::uint32_t g) {
        return key.equals(keyBytes(groups_[g]), groups_[g].keySize);
    });
    return group != nullptr ? &groups_[*group] : nullptr;
}

// Adds the group of a key that findGroup() did not see.
std::uint32_t QsoLog::addGroup(const KeyRef& key) {
    const auto group = static_cast<std::uint32_t>(groups_.size());
    groupIndex_.insert(key.hash, group);

    Group g{};
    g.keySize = key.size;
    if (key.size <= Group::kInlineKey) {
        key.write(g.key.bytes);
    } else {
        g.key.at = longKeys_.size();
        longKeys_.resize(longKeys_.size() + key.size);
        key.write(&longKeys_[g.key.at]);
    }
    groups_.push_back(g);
    return group;
}

void QsoLog::countHour(std::uint32_t group, std::int32_t hour, int delta) {
    Group& g = groups_[group];
    if (!g.hasHour) {
        // Nothing counted yet, so there is nothing to take away either.
        if (delta > 0) {
            g.hasHour = true;
            g.firstHour = hour;
            g.firstHourCount = 1;
        }
        return;
    }
    if (g.firstHour == hour) {
        if (delta > 0) ++g.firstHourCount;
        else if (g.firstHourCount > 0) --g.firstHourCount;  // the hour stays the group's first
        return;
    }
    const std::uint64_t slot = hourSlot(group, hour);
    std::uint32_t* count = hourOverflow_.find(slot);
    if (delta > 0) {
        if (count != nullptr) {
            ++*count;
        } else {
            hourOverflow_.insert(slot, 1);
            g.moreHours = true;
        }
    } else if (count != nullptr && *count > 0) {
        --*count;  // the entry stays, at zero, until clear()
    }
}

void QsoLog::countTally(const CInfo& record, int delta) {
    // Only records with a call count towards a band's row.
    if (record.call.empty()) return;
    BandTally& t = tallies_[record.band];
    t.qsos += delta;
    if (const rules::ModeRule* mode = rules::findMode(record.mode)) t.modes[mode->statsColumn] += delta;
    if (record.wmCall.empty()) return;
    if (delta > 0) {
        ++t.wmRefs[record.wmCall];
    } else {
        const auto it = t.wmRefs.find(record.wmCall);
        if (it != t.wmRefs.end() && --it->second == 0) t.wmRefs.erase(it);
    }
}

void QsoLog::add(CInfo&& record) {
    const KeyRef key(record.call, record.mode, record.band);
    // In a large log the key's slot is rarely in the cache. Fetching it starts here, so the
    // miss overlaps with the clock hour and the band tally, which do not depend on it.
    groupIndex_.prefetch(key.hash);
    std::int32_t hour = 0;
    const bool timed = recordHour(record.time, &hour);
    countTally(record, +1);

    const Group* found = findGroup(key);
    const std::uint32_t group = found != nullptr ? static_cast<std::uint32_t>(found - groups_.data())
                                                 : addGroup(key);
    ++groups_[group].size;
    if (timed) countHour(group, hour, +1);
    groupOf_.push_back(group);
    records_.push_back(std::move(record));
}

bool QsoLog::removeFirst(const std::string& call, const std::string& mode, const std::string& band) {
    return removeMatching(call, mode, band, nullptr);
}

bool QsoLog::removeQso(const QsoFields& qso) {
    return removeMatching(qso.call, qso.mode, qso.band, &qso);
}

bool sameQsoTime(const OleDateTime& a, const OleDateTime& b) {
    if (a.status != b.status) return false;
    // An invalid or null record's value means nothing. Valid ones are compared as whole
    // minutes, as every QSO time is; one without a calendar date (NaN, out of range)
    // never matches, so such a record is only ever removed as the oldest of its group.
    if (a.status != DateStatus::Valid) return true;
    const std::optional<std::int64_t> minute = qsoMinute(a);
    return minute && minute == qsoMinute(b);
}

bool QsoLog::removeMatching(const std::string& call, const std::string& mode,
                            const std::string& band, const QsoFields* exact) {
    const Group* found = findGroup(KeyRef(call, mode, band));
    if (found == nullptr || found->size == 0) return false;
    const auto group = static_cast<std::uint32_t>(found - groups_.data());

    // The oldest record of the group is the first one in log order; the scan compares
    // group numbers, not texts, and closing the gap below is linear anyway. With the
    // host's deleted QSO at hand, the oldest record of the group that is that QSO
    // (exchanges and date-time equal) goes; only when none is, the oldest of the group.
    auto pos = std::find(groupOf_.begin(), groupOf_.end(), group);
    if (exact != nullptr) {
        for (auto it = pos; it != groupOf_.end(); ++it) {
            if (*it != group) continue;
            const CInfo& r = records_[static_cast<std::size_t>(it - groupOf_.begin())];
            if (r.exchSent == exact->exchSent && r.exchRcvd == exact->exchRcvd &&
                sameQsoTime(r.time, exact->time)) {
                pos = it;
                break;
            }
        }
    }
    const auto index = pos - groupOf_.begin();
    const CInfo& record = records_[static_cast<std::size_t>(index)];
    --groups_[group].size;
    std::int32_t hour = 0;
    if (recordHour(record.time, &hour)) countHour(group, hour, -1);
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
    const Group* g = findGroup(KeyRef(call, mode, band));
    std::int32_t hour = 0;
    if (g == nullptr || !g->hasHour || !narrowHour(hourKey, &hour)) return false;
    if (g->firstHour == hour) return g->firstHourCount > 0;
    if (!g->moreHours) return false;
    const std::uint32_t* count = hourOverflow_.find(hourSlot(static_cast<std::uint32_t>(g - groups_.data()), hour));
    return count != nullptr && *count > 0;
}

}  // namespace velmor
