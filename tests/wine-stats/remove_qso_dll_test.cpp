// RemoveData0 through the real Stats.dll: the QSO the host deleted goes, picked out by its exchanges and date-time.
#include <cmath>
#include <cstring>

#include "stats_dll_fixture.h"

namespace wine_stats {
namespace {

class RemoveQsoDll : public StatsDll {
protected:
    // RemoveData0 with the QSO's own fields in all 33 parameters, as the host deletes it.
    std::int32_t RemoveQso(const Qso& q) {
        COleDateTime date = q.date.value_or(COleDateTime{});
        COleDateTime other{1.0, COleDateTime::valid};
        auto p = [](const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; };
        return removeData(p(q.own), p(q.call), q.date ? &date : nullptr, &other, &other, &other, 7,
                          q.freqHz, p(q.mode), p(q.rstSent), p(q.rstRcvd), p(q.exchSent),
                          p(q.exchRcvd), "t14", "t15", "t16", "t17", "t18", "t19", "t20", "t21",
                          "t22", "t23", 24, 25, 26, 27.5, 28.5, "t29", "t30", "t31", p(q.band),
                          "t33");
    }
    std::int32_t Score() {
        std::int32_t score = -100;
        getResult(&score);
        return score;
    }
    std::int32_t CheckNow(const Qso& q) {
        char out[100] = {};
        return Check(q.call->c_str(), q.mode->c_str(), q.band->c_str(), out, nullptr);
    }
};

// A "WM" QSO an hour ago and a "123" QSO now with one station on one band and mode; the
// host deletes the newer one: the older one stays with its bonus, and the station may be
// worked again this hour.
TEST_F(RemoveQsoDll, DeletingTheNewerQsoKeepsTheOlderOne) {
    const COleDateTime now = NowUtc();
    Qso wm;
    wm.exchRcvd = "WM";
    wm.date = COleDateTime{now.m_dt - 1.0 / 24.0, COleDateTime::valid};  // e.g. 12:05
    Qso number;
    number.exchRcvd = "123";
    number.date = now;  // e.g. 13:05
    ASSERT_EQ(Add(wm), 1);
    ASSERT_EQ(Add(number), 1);
    EXPECT_EQ(Score(), 7);
    const int hour = UtcHour();
    const bool blocked = CheckNow(number) == 4;
    if (UtcHour() == hour) {
        EXPECT_TRUE(blocked);
    }

    EXPECT_EQ(RemoveQso(number), 1);

    EXPECT_EQ(Score(), 6);  // the host's log: the "WM" QSO, 1 + 5
    EXPECT_EQ(CheckNow(number), 1);
    // The older QSO is still there: deleting it too empties the log.
    EXPECT_EQ(RemoveQso(wm), 1);
    EXPECT_EQ(Score(), 0);
}

// The fallback, and the null and odd values the host may pass in the deleted QSO.
TEST_F(RemoveQsoDll, WithoutAnExactMatchTheOldestOfTheStationGoes) {
    Qso first, second;
    first.exchRcvd = "WM";
    first.date = COleDateTime{46158.25, COleDateTime::valid};
    second.exchRcvd = "123";
    second.date = COleDateTime{46158.75, COleDateTime::valid};
    ASSERT_EQ(Add(first), 1);
    ASSERT_EQ(Add(second), 1);

    Qso other = second;
    other.date = COleDateTime{std::nan(""), COleDateTime::valid};  // never equal
    EXPECT_EQ(RemoveQso(other), 1);
    EXPECT_EQ(Score(), 1);  // the "WM" QSO went: it was the oldest

    // Every text and the date null: nothing matches, nothing breaks.
    const Qso nulls{std::nullopt, std::nullopt, std::nullopt, 0,           std::nullopt,
                    std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(RemoveQso(nulls), 1);
    EXPECT_EQ(Score(), 1);
}

}  // namespace
}  // namespace wine_stats
