// Bad input through the real Stats.dll (x86_64 and the shipped i686 build): null pointers in every position, huge and odd texts, odd dates and frequencies, and a long seeded run against a model.
//
// Console only (no dialog is opened), so the same tests run on the i686 DLL under WoW64.
// VELMOR_BADINPUT_SEED and VELMOR_BADINPUT_STEPS choose the seeded run.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "stats_dll_fixture.h"

namespace wine_stats {
namespace {

using QsoFn = decltype(&::AddData0);

// The 33 parameters of AddData0/RemoveData0 by position (texts and dates; index = position).
struct QsoArgs {
    const char* text[34] = {};
    COleDateTime* date[7] = {};
    std::uint32_t num7 = 7;
    std::uint32_t freqHz = 14025000;
    COleDateTime qsoTime{46158.5, COleDateTime::valid};
    COleDateTime other{1.0, COleDateTime::valid};

    QsoArgs() {
        static const char* const kFiller[34] = {
            nullptr, "RZ3VLM", "RA3DKM", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
            "CW", "599", "579", "001", "014", "t14", "t15", "t16", "t17", "t18", "t19", "t20",
            "t21", "t22", "t23", nullptr, nullptr, nullptr, nullptr, nullptr, "t29", "t30",
            "t31", "20M", "t33"};
        for (int i = 0; i < 34; ++i) text[i] = kFiller[i];
        date[3] = &qsoTime;
        date[4] = date[5] = date[6] = &other;
    }
    QsoArgs(const QsoArgs& o) { *this = o; }
    QsoArgs& operator=(const QsoArgs& o) {
        std::memcpy(text, o.text, sizeof text);
        num7 = o.num7;
        freqHz = o.freqHz;
        qsoTime = o.qsoTime;
        other = o.other;
        // Dates point into this copy (or stay null).
        for (int i = 3; i <= 6; ++i)
            date[i] = o.date[i] == nullptr ? nullptr : (o.date[i] == &o.qsoTime ? &qsoTime : &other);
        return *this;
    }

    static bool isPointer(int position) {
        return position <= 6 || (position >= 9 && position <= 23) || position >= 29;
    }
    void setNull(int position) {
        if (position >= 3 && position <= 6)
            date[position] = nullptr;
        else
            text[position] = nullptr;
    }
    std::int32_t call(QsoFn fn) const {
        const char* const* t = text;
        return fn(t[1], t[2], date[3], date[4], date[5], date[6], num7, freqHz, t[9], t[10], t[11],
                  t[12], t[13], t[14], t[15], t[16], t[17], t[18], t[19], t[20], t[21], t[22],
                  t[23], 24, 25, 26, 27.5, 28.5, t[29], t[30], t[31], t[32], t[33]);
    }
};

// The host's 100-byte warning buffer with canary bytes on both sides.
struct GuardedBuffer {
    static constexpr std::size_t kGuard = 32;
    static constexpr unsigned char kCanary = 0xA5;
    unsigned char bytes[kGuard + kCheckCallTextSize + kGuard];
    GuardedBuffer() { std::memset(bytes, kCanary, sizeof bytes); }
    char* buffer() { return reinterpret_cast<char*>(bytes + kGuard); }
    bool canariesIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (bytes[i] != kCanary || bytes[kGuard + kCheckCallTextSize + i] != kCanary) return false;
        return true;
    }
    bool untouched() const {
        for (unsigned char b : bytes)
            if (b != kCanary) return false;
        return true;
    }
};

class BadInput : public StatsDll {
protected:
    std::int32_t Score() {
        std::int32_t score = -100;
        const char* text = getResult(&score);
        EXPECT_NE(text, nullptr);
        return score;
    }
    // CheckCall0 into a guarded buffer; the answer and what the buffer holds.
    std::int32_t CheckGuarded(const char* call, const char* mode, const char* band, std::string* warning) {
        GuardedBuffer out, p27;
        const std::int32_t r = Check(call, mode, band, out.buffer(), p27.buffer());
        EXPECT_TRUE(out.canariesIntact()) << "write outside the warning buffer";
        EXPECT_TRUE(p27.untouched()) << "parameter 27 written";
        if (r == 4) {
            const std::size_t n = strnlen(out.buffer(), kCheckCallTextSize);
            EXPECT_LT(n, kCheckCallTextSize) << "warning without its terminating zero";
            if (warning) *warning = std::string(out.buffer(), n);
        } else {
            EXPECT_TRUE(out.untouched()) << "buffer written without a repeat";
        }
        return r;
    }
};

// ---------------------------------------------------------------- null pointers

TEST_F(BadInput, QsoExportsTakeANullInEveryPointerPosition) {
    for (int position = 1; position <= 33; ++position) {
        if (!QsoArgs::isPointer(position)) continue;
        SCOPED_TRACE("null parameter " + std::to_string(position));
        QsoArgs args;
        args.setNull(position);
        // A missing mode or exchange turns the QSO away; any other null reads as empty.
        const bool stored = position != 9 && position != 12 && position != 13;
        EXPECT_EQ(args.call(addData), stored ? 1 : 0);
        EXPECT_EQ(args.call(removeData), 1);
        EXPECT_EQ(Score(), 0) << "the removal took the QSO just added";
    }
    QsoArgs all;
    for (int position = 1; position <= 33; ++position)
        if (QsoArgs::isPointer(position)) all.setNull(position);
    EXPECT_EQ(all.call(addData), 0);
    EXPECT_EQ(all.call(removeData), 1);
    EXPECT_EQ(Score(), 0);
}

TEST_F(BadInput, OtherExportsTakeNullsOneAtATimeAndAllAtOnce) {
    QsoArgs logged;
    ASSERT_EQ(logged.call(addData), 1);
    std::string warning;
    // CheckCall0: each text parameter null in turn, then all of them with null buffers.
    for (int position : {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 25, 26}) {
        SCOPED_TRACE("CheckCall0 null parameter " + std::to_string(position));
        const char* t[27];
        for (int i = 0; i < 27; ++i) t[i] = "t";
        t[1] = "RA3DKM";
        t[4] = "CW";
        t[25] = "20M";
        t[position] = nullptr;
        GuardedBuffer out, p27;
        checkCall(t[1], 2, 3, t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11], t[12], t[13], t[14],
                  15, 16, 17, 18.5, 19.5, t[20], t[21], t[22], t[23], t[24], t[25], t[26],
                  p27.buffer(), out.buffer());
        EXPECT_TRUE(out.canariesIntact());
        EXPECT_TRUE(p27.untouched());
    }
    {
        // A repeat with no buffer to write the warning into: the answer still comes.
        char* const out = nullptr;
        const std::int32_t r = checkCall("RA3DKM", 2, 3, "CW", nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 15,
                                         16, 17, 18.5, 19.5, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, "20M", nullptr, nullptr, out);
        EXPECT_TRUE(r == 1 || r == 4);
        EXPECT_EQ(checkCall(nullptr, 2, 3, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, 15, 16, 17, 18.5, 19.5,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            out),
                  1);
    }

    // ResetStats0 without the dialog: every pointer null in turn, then all.
    for (int position : {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 21, 22, 23}) {
        SCOPED_TRACE("ResetStats0 null parameter " + std::to_string(position));
        const char* t[24];
        for (int i = 0; i < 24; ++i) t[i] = "t";
        COleDateTime d{0.0, COleDateTime::null};
        COleDateTime* d4 = position == 4 ? nullptr : &d;
        COleDateTime* d5 = position == 5 ? nullptr : &d;
        t[position] = nullptr;
        EXPECT_EQ(resetStats(t[1], 0, t[3], d4, d5, t[6], t[7], t[8], t[9], t[10], t[11], t[12],
                             t[13], t[14], t[15], 16, 17, 18, 19.5, 20.5, t[21], t[22], t[23]),
                  1);
    }
    EXPECT_EQ(resetStats(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 16, 17, 18,
                         19.5, 20.5, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(Score(), 0);

    // IsValidExchg0, GetExchgCount0, GetResult0 and GetSetName.
    EXPECT_EQ(isValidExchg(nullptr, "a", "b", "c", 5, 6, 7), 0);
    EXPECT_EQ(isValidExchg("WM", nullptr, nullptr, nullptr, 5, 6, 7), 1);
    EXPECT_EQ(isValidExchg(nullptr, nullptr, nullptr, nullptr, 5, 6, 7), 0);
    EXPECT_EQ(getExchgCount(nullptr, nullptr, nullptr), 1);
    const char* text = getResult(nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::string(text).find("Score:  0"), std::string::npos);
    EXPECT_STREQ(getSetName(std::numeric_limits<std::int32_t>::min()), "");
    EXPECT_STREQ(getSetName(std::numeric_limits<std::int32_t>::max()), "");
}

// ---------------------------------------------------------------- texts

TEST_F(BadInput, SixtyFourKilobyteTextsAndEveryByteValue) {
    const std::string huge(64 * 1024, 'K');
    std::string bytes;
    for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
    const std::string everyByte = bytes;

    for (const std::string* call : {&huge, &everyByte}) {
        QsoArgs args;
        args.qsoTime = NowUtc();
        args.text[2] = call->c_str();
        for (int position : {1, 10, 11, 14, 15, 22, 23, 29, 30, 31, 33}) args.text[position] = huge.c_str();
        ASSERT_EQ(args.call(addData), 1);
        const int hour = UtcHour();
        std::string warning;
        const std::int32_t r = CheckGuarded(call->c_str(), "CW", "20M", &warning);
        if (UtcHour() == hour) {
            EXPECT_EQ(r, 4);
            EXPECT_EQ(warning.size(), kCheckCallTextSize - 1) << "cut to 99 bytes";
        }
    }
    // Every byte value as band, mode and exchanges.
    QsoArgs odd;
    odd.text[9] = everyByte.c_str();
    EXPECT_EQ(odd.call(addData), 0) << "not a contest mode";
    odd.text[9] = "SSB";
    odd.text[12] = odd.text[13] = odd.text[32] = everyByte.c_str();
    EXPECT_EQ(odd.call(addData), 1);
    EXPECT_EQ(isValidExchg(everyByte.c_str(), nullptr, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(isValidExchg(huge.c_str(), nullptr, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(Score(), 3);
    EXPECT_EQ(odd.call(removeData), 1);
    EXPECT_EQ(Score(), 2);
}

// ---------------------------------------------------------------- dates and frequencies

TEST_F(BadInput, OddDatesStatusesAndFrequenciesAreStoredAndNeverBlock) {
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double date;
        std::int32_t status;
    } cases[] = {{kNan, COleDateTime::valid}, {kInf, COleDateTime::valid}, {-kInf, COleDateTime::valid},
                 {-1e308, COleDateTime::valid}, {1e308, COleDateTime::valid},
                 {2958466.0, COleDateTime::valid},  // 10000-01-01: past the year 9999
                 {NowUtc().m_dt, 3}, {NowUtc().m_dt, -1}, {NowUtc().m_dt, 0x7fffffff},
                 {kNan, COleDateTime::null}, {kNan, COleDateTime::invalid}};
    int stored = 0;
    for (const Case& c : cases) {
        for (std::uint32_t freq : {0u, 4294967295u}) {
            SCOPED_TRACE("date " + std::to_string(c.date) + " status " + std::to_string(c.status) +
                         " freq " + std::to_string(freq));
            QsoArgs args;
            args.text[2] = "UA9ODD";
            args.qsoTime = COleDateTime{c.date, c.status};
            args.freqHz = freq;
            ASSERT_EQ(args.call(addData), 1);
            ++stored;
            // None of these has a convertible valid date: the station is never blocked.
            EXPECT_EQ(CheckGuarded("UA9ODD", "CW", "20M", nullptr), 1);
        }
    }
    EXPECT_EQ(Score(), stored);
    // Removal with the same odd dates: NaN never matches, so the oldest goes; either way
    // one record per call.
    for (int i = 0; i < stored; ++i) {
        QsoArgs args;
        args.text[2] = "UA9ODD";
        args.qsoTime = COleDateTime{kNan, COleDateTime::valid};
        ASSERT_EQ(args.call(removeData), 1);
        EXPECT_EQ(Score(), stored - i - 1);
    }
}

// ---------------------------------------------------------------- seeded run against a model

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

TEST_F(BadInput, SeededMixedCallsAgreeWithAModel) {
    const std::uint64_t seed = EnvNumber("VELMOR_BADINPUT_SEED", 20261210);
    const int steps = static_cast<int>(EnvNumber("VELMOR_BADINPUT_STEPS", 3000));
    std::mt19937_64 rng(seed);
    auto number = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    const std::vector<std::string> calls = {"UA1A", "RK3B", "", "ua1a", "W\xD0\xC0"};
    const std::vector<std::string> modes = {"CW", "SSB", "BPSK63", "RTTY", ""};
    const std::vector<std::string> bands = {"20M", "40M", "", "7"};
    const std::vector<std::string> exchanges = {"001", "WM", "599", ""};
    const double now = NowUtc().m_dt;
    const double kNan = std::numeric_limits<double>::quiet_NaN();
    // Times: this hour (blocks), an hour and a day earlier (never block here), NaN, invalid.
    const std::vector<COleDateTime> times = {{now, 0}, {now - 1.0 / 24.0, 0}, {now - 1.0, 0},
                                             {kNan, 0}, {now, 1}, {now, 2}, {now, 5}};

    struct Record {
        std::string call, mode, band, exchSent, exchRcvd;
        std::size_t time;
    };
    std::vector<Record> model;
    auto sameTime = [&](std::size_t a, std::size_t b) {
        return times[a].m_status == times[b].m_status && times[a].m_dt == times[b].m_dt;
    };
    const int hour = UtcHour();

    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE("VELMOR_BADINPUT_SEED=" + std::to_string(seed) + " step " + std::to_string(step));
        const int op = number(1, 100);
        Record r{calls[number(0, 4)], modes[number(0, 4)], bands[number(0, 3)], exchanges[number(0, 3)],
                 exchanges[number(0, 3)], static_cast<std::size_t>(number(0, 6))};
        if (op <= 45) {
            QsoArgs args;
            args.text[2] = r.call.c_str();
            args.text[9] = r.mode.c_str();
            args.text[32] = r.band.c_str();
            args.text[12] = r.exchSent.c_str();
            args.text[13] = r.exchRcvd.c_str();
            args.qsoTime = times[r.time];
            args.freqHz = static_cast<std::uint32_t>(rng());
            const bool stored = (r.mode == "CW" || r.mode == "SSB" || r.mode == "BPSK63") &&
                                !r.exchSent.empty() && !r.exchRcvd.empty();
            ASSERT_EQ(args.call(addData), stored ? 1 : 0);
            if (stored) model.push_back(r);
        } else if (op <= 65) {
            if (!model.empty() && number(0, 3) != 0) {
                const Record& logged = model[static_cast<std::size_t>(number(0, static_cast<int>(model.size()) - 1))];
                const std::size_t time = r.time;
                r = logged;
                if (number(0, 3) == 0) r.time = time;
            }
            QsoArgs args;
            args.text[2] = r.call.c_str();
            args.text[9] = r.mode.c_str();
            args.text[32] = r.band.c_str();
            args.text[12] = r.exchSent.c_str();
            args.text[13] = r.exchRcvd.c_str();
            args.qsoTime = times[r.time];
            ASSERT_EQ(args.call(removeData), 1);
            auto group = [&](const Record& m) { return m.call == r.call && m.mode == r.mode && m.band == r.band; };
            auto it = model.begin();
            for (; it != model.end(); ++it)
                if (group(*it) && it->exchSent == r.exchSent && it->exchRcvd == r.exchRcvd && sameTime(it->time, r.time)) break;
            if (it == model.end())
                for (it = model.begin(); it != model.end() && !group(*it); ++it) {
                }
            if (it != model.end()) model.erase(it);
        } else if (op <= 85) {
            bool repeat = false;
            for (const Record& m : model)
                if (m.call == r.call && m.mode == r.mode && m.band == r.band && m.time == 0) repeat = true;
            const std::int32_t got = CheckGuarded(r.call.c_str(), r.mode.c_str(), r.band.c_str(), nullptr);
            if (UtcHour() == hour) {
                ASSERT_EQ(got, repeat ? 4 : 1);
            }
        } else {
            std::int32_t points = 0;
            std::set<std::pair<std::string, std::string>> wm;
            for (const Record& m : model) {
                if (m.call.empty()) continue;
                ++points;
                if (m.exchRcvd == "WM") wm.emplace(m.band, m.call);
            }
            ASSERT_EQ(Score(), points + 5 * static_cast<std::int32_t>(wm.size()));
        }
    }
}

}  // namespace
}  // namespace wine_stats
