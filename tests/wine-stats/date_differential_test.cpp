// Differential test: the core's date conversion and QSO-time text against the system's VariantTimeToSystemTime.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "log/ole_date.h"

namespace {

struct Outcome {
    bool ok = false;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    bool operator==(const Outcome& o) const {
        return ok == o.ok && (!ok || (y == o.y && mo == o.mo && d == o.d && h == o.h && mi == o.mi && s == o.s));
    }
};

std::string Show(const Outcome& o) {
    if (!o.ok) return "fails";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", o.y, o.mo, o.d, o.h, o.mi, o.s);
    return buf;
}

Outcome System(double date) {
    SYSTEMTIME st{};
    Outcome o;
    o.ok = VariantTimeToSystemTime(date, &st) != 0;
    if (o.ok) o = {true, st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return o;
}

Outcome Core(double date) {
    Outcome o;
    if (const auto c = velmor::toCalendar(date)) o = {true, c->year, c->month, c->day, c->hour, c->minute, c->second};
    return o;
}

std::string SystemText(double date) {
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(date, &st)) return "Invalid DateTime";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
    return buf;
}

// Compares the core with the system on one value. Skipped where the system's answer is
// not a date the core may give: NaN accepted (Wine calls it 1899-12-30), and the last
// half second of 9999-12-31 rounded up into a year 10000, which no four-digit year holds.
void Compare(double date, int& compared) {
    if (std::isnan(date) && System(date).ok) return;
    if (System(date).ok && System(date).y > 9999) return;
    ++compared;
    EXPECT_EQ(Show(Core(date)), Show(System(date))) << "date " << std::hexfloat << date << std::defaultfloat
                                                    << " (" << date << ")";
    const velmor::OleDateTime valid{date, velmor::DateStatus::Valid};
    EXPECT_EQ(velmor::formatQsoTime(valid), SystemText(date)) << "date " << date;
}

// Values one ulp either side of x.
void AddAround(std::vector<double>& v, double x) {
    v.push_back(x);
    v.push_back(std::nextafter(x, -std::numeric_limits<double>::infinity()));
    v.push_back(std::nextafter(x, std::numeric_limits<double>::infinity()));
}

TEST(DateDifferential, TableOfEdgesMatchesTheSystem) {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.5, -0.5, -1.25, -1.75, 2.5, 36526.0,
                             46158.5, 46158.999994, -0.999994, 60.0, 61.0,  // 1900-02-28/03-01
                             -657434.0, -657434.5, -657434.99999, -657435.0, -657435.5,  // year 100
                             2958465.0, 2958465.5, 2958465.99999, 2958466.0, 2958466.5,  // year 9999
                             1e12, -1e12,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    // Half-second boundaries, where rounding to the nearest second decides the minute,
    // the day and (at midnight) the date.
    for (double day : {0.0, 1.0, 46158.0, -1.0, -2.0, -657434.0, 2958465.0}) {
        for (double sec : {0.5, 59.5, 3599.5, 86399.5, 43199.5}) {
            AddAround(v, day >= 0 ? day + sec / 86400 : day - sec / 86400);
        }
    }
    int compared = 0;
    for (double d : v) Compare(d, compared);
    EXPECT_GT(compared, 50);
}

TEST(DateDifferential, SeededSweepMatchesTheSystem) {
    std::mt19937_64 rng(20260516);
    std::uniform_real_distribution<double> anyDay(-700000.0, 3000000.0);
    std::uniform_int_distribution<int> day(-657434, 2958465);
    std::uniform_int_distribution<int> second(0, 86399);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        Compare(anyDay(rng), compared);
        // Exactly on and next to half seconds.
        const double d = day(rng);
        const double frac = (second(rng) + 0.5) / 86400;
        const double x = d >= 0 ? d + frac : d - frac;
        Compare(x, compared);
        Compare(std::nextafter(x, 0.0), compared);
        if (::testing::Test::HasFailure()) break;  // one reported value is enough to debug
    }
}

}  // namespace
