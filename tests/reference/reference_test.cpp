// Known answers for the plain-walk reference itself, so the differential test compares against the rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "reference_plugin.h"
#include "fakes.h"
#include "qso_builders.h"

namespace velmor::reference {
namespace {

QsoFields qso(const std::string& call, const std::string& band, const std::string& mode,
              const std::string& exchRcvd, CalendarTime when = {2026, 6, 13, 13, 20, 0}) {
    QsoFields q;
    q.ownCall = "UA1ABC";
    q.call = call;
    q.band = band;
    q.mode = mode;
    q.exchSent = "001";
    q.exchRcvd = exchRcvd;
    q.rstSent = "599";
    q.rstRcvd = "599";
    q.freqHz = 3525999;
    q.time.date = fromCalendar(when);
    return q;
}

TEST(Reference, StatisticsTextOfTheWorkedExample) {
    test::FakeServices fakes;
    ReferencePlugin ref(fakes.services());
    ASSERT_EQ(ref.AddData(qso("UA1A", "80", "CW", "123")), 1);
    ASSERT_EQ(ref.AddData(qso("RK3B", "40", "SSB", "WM")), 1);
    ASSERT_EQ(ref.AddData(qso("RK3B", "40", "BPSK63", "WM")), 1);
    ASSERT_EQ(ref.AddData(qso("", "40", "CW", "001")), 1);  // counted only in the total's QSOs
    std::int32_t score = 0;
    EXPECT_EQ(ref.GetResult(&score),
              test::kStatisticsHeader +
              "80\t 1\t 1\t 0\t 1\t 0\r\n"
              "40\t 2\t 7\t 1\t 0\t 1\r\n"
              "Total\t 4\t 8\t 1\t 1\t 1\r\n"
              "\r\nScore:  8");
    EXPECT_EQ(score, 8);
    EXPECT_EQ(fakes.settings.values["Claimed"], "8");
}

TEST(Reference, BandOrderIsDescendingByZeroPaddedKey) {
    struct Case {
        std::vector<std::string> arrival, sorted;
    };
    const Case cases[] = {
        {{"40", "160", "80"}, {"160", "80", "40"}},
        {{"40M", "160M", "80M"}, {"160M", "80M", "40M"}},
        {{"7", "3.5"}, {"3.5", "7"}},
        {{"07", "7"}, {"07", "7"}},  // equal keys are never swapped with each other...
        {{"7", "07", "10"}, {"10", "07", "7"}},  // ...but a swap with a third text moves them
        {{"ABCDEFGHIJKLMNOPQRSTU", "Z"}, {"ABCDEFGHIJKLMNOPQRSTU", "Z"}},  // unpadded vs "000...Z"
    };
    for (const Case& c : cases) {
        test::FakeServices fakes;
        ReferencePlugin ref(fakes.services());
        for (const std::string& band : c.arrival) ref.AddData(qso("UA1A", band, "CW", "123"));
        std::int32_t score = 0;
        ref.GetResult(&score);
        EXPECT_EQ(ref.bandList(), c.sorted);
    }
}

TEST(Reference, RepeatNeedsSameDateAndHourAndAConvertibleTime) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        OleDateTime logged;
        CalendarTime now;
        std::int32_t expected;
    };
    const double at1320 = fromCalendar({2026, 6, 13, 13, 20, 0});
    const Case cases[] = {
        {"same hour, start", {at1320, DateStatus::Valid}, {2026, 6, 13, 13, 0, 0}, 4},
        {"same hour, end", {at1320, DateStatus::Valid}, {2026, 6, 13, 13, 59, 59}, 4},
        {"next hour", {at1320, DateStatus::Valid}, {2026, 6, 13, 14, 0, 0}, 1},
        {"same hour next day", {at1320, DateStatus::Valid}, {2026, 6, 14, 13, 20, 0}, 1},
        {"invalid status", {at1320, DateStatus::Invalid}, {2026, 6, 13, 13, 20, 0}, 1},
        {"null status", {at1320, DateStatus::Null}, {2026, 6, 13, 13, 20, 0}, 1},
        {"not a number", {nan, DateStatus::Valid}, {1899, 12, 30, 0, 0, 0}, 1},
        {"13:59:59.5 rounds into 14:00",
         {fromCalendar({2026, 6, 13, 13, 59, 59}) + 0.5 / 86400.0, DateStatus::Valid},
         {2026, 6, 13, 14, 10, 0}, 4},
    };
    for (const Case& c : cases) {
        test::FakeServices fakes;
        ReferencePlugin ref(fakes.services());
        QsoFields q = qso("UA1A", "80", "CW", "123");
        q.time = c.logged;
        ref.AddData(q);
        fakes.clock.now = c.now;
        const CheckCallResult got = ref.CheckCall("UA1A", "CW", "80");
        EXPECT_EQ(got.result, c.expected) << c.what;
        EXPECT_EQ(ref.CheckCall("UA1A", "SSB", "80").result, 1) << c.what;
        EXPECT_EQ(ref.CheckCall("ua1a", "CW", "80").result, 1) << c.what;
        if (c.expected == 4) {
            EXPECT_EQ(got.warning.substr(0, 12), "QSO c UA1A \xC2") << c.what;
        }
    }
}

TEST(Reference, JournalAndRemovalFollowTheLog) {
    test::FakeServices fakes;
    ReferencePlugin ref(fakes.services());
    ref.ResetStats(0, "UA1ABC");
    QsoFields foreign = qso("UA1A", "80", "RTTY", "");
    QsoFields noNumber = qso("RK3B", "40", "CW", "123");
    noNumber.exchSent = "";
    noNumber.time.status = DateStatus::Invalid;
    EXPECT_EQ(ref.AddData(foreign), 0);
    EXPECT_EQ(ref.AddData(noNumber), 0);
    EXPECT_EQ(fakes.files.files["err.txt"],
              "Velmor TEST UBN file \r\n"
              "QSO:  3525  RTTY  2026-06-13 1320  UA1ABC  599  001  UA1A  599     NO TEST MODE !!!\r\n"
              "QSO:  3525  CW  Invalid DateTime  UA1ABC  599    RK3B  599  123   NO RX NUMBER !!!\r\n");

    QsoFields first = qso("UA1A", "80", "CW", "111");
    QsoFields second = qso("UA1A", "80", "CW", "222");
    ref.AddData(first);
    ref.AddData(second);
    ref.RemoveData("UA1A", "CW", "80");
    ASSERT_EQ(ref.qsoLog().size(), 1u);
    EXPECT_EQ(ref.qsoLog()[0].exchRcvd, "222");
    ref.RemoveData("UA1A", "SSB", "80");  // absent: nothing changes
    EXPECT_EQ(ref.qsoLog().size(), 1u);
    EXPECT_EQ(ref.bandList(), (std::vector<std::string>{"80"}));
}

}  // namespace
}  // namespace velmor::reference
