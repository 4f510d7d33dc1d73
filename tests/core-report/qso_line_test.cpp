// The one QSO-line module: written lines read back as the same QSO, each fault named, the contest-QSO rule.
#include "cabrillo/qso_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "log/contest_bands.h"

namespace velmor::qso_line {
namespace {

const rules::ModeRule* mode(std::string_view host) { return rules::findMode(host); }

Qso qso(std::int64_t kHz, std::string_view hostMode, CalendarTime t, std::string own, std::string rstS,
        std::string exS, std::string call, std::string rstR, std::string exR) {
    Qso q;
    q.freqKHz = kHz;
    q.mode = mode(hostMode);
    q.time = t;
    q.ownCall = std::move(own);
    q.rstSent = std::move(rstS);
    q.exchangeSent = std::move(exS);
    q.call = std::move(call);
    q.rstReceived = std::move(rstR);
    q.exchangeReceived = std::move(exR);
    return q;
}

void expectSame(const Qso& read, const Qso& written, std::int64_t kHz) {
    EXPECT_EQ(read.freqKHz, kHz);
    EXPECT_EQ(read.mode, written.mode);
    EXPECT_EQ(read.minute(), written.minute());
    EXPECT_EQ(read.ownCall, written.ownCall);
    EXPECT_EQ(read.rstSent, written.rstSent);
    EXPECT_EQ(read.exchangeSent, written.exchangeSent);
    EXPECT_EQ(read.call, written.call);
    EXPECT_EQ(read.rstReceived, written.rstReceived);
    EXPECT_EQ(read.exchangeReceived, written.exchangeReceived);
}

TEST(QsoLine, WrittenLinesReadBackAsTheSameQso) {
    const CalendarTime noon{2026, 5, 16, 12, 3, 0};
    std::vector<Qso> cases;
    // Every mode on the edges of every contest band.
    for (const rules::ModeRule& m : rules::kModes)
        for (const rules::ContestBand& b : rules::kContestBands)
            for (std::int64_t kHz : {std::int64_t{b.lowKHz}, std::int64_t{b.highKHz}})
                cases.push_back(qso(kHz, m.hostName, noon, "UA1AAA", "599", "001", "UA2BBB", "599", "002"));
    // Values wider than their columns, the narrowest ones, the ends of the day and the year.
    cases.push_back(qso(14025, "CW", {2026, 12, 31, 23, 59, 0}, "RA3ABCDEFGHIJK", "5999", "1234567",
                        "UA3AAA/MM/QRP12", "5NN9", "WM"));
    cases.push_back(qso(0, "SSB", {2024, 2, 29, 0, 0, 0}, "A", "5", "1", "B", "5", "1"));
    cases.push_back(qso(49999, "BPSK63", {100, 1, 1, 0, 0, 0}, "UA1AAA", "599", "999", "R3/UA2BBB", "599", "WM"));
    for (const Qso& q : cases) {
        const std::string line = format(q);
        SCOPED_TRACE(line);
        ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
        const Parse p = read(line.substr(0, line.size() - 2));
        ASSERT_TRUE(p.ok()) << p.fault.reason;
        expectSame(*p.qso, q, q.freqKHz);
        EXPECT_EQ(format(*p.qso), line);
    }
}

TEST(QsoLine, FromFiftyMegahertzTheBandDesignatorIsWrittenAndReadAsTheBandEdge) {
    struct Case {
        std::int64_t kHz;
        const char* text;
        std::int64_t readKHz;
    };
    const Case cases[] = {
        {49999, "49999", 49999},     {50000, "50", 50000},       {54000, "50", 50000},
        {60000, "50", 50000},        {70200, "70", 70000},       {144050, "144", 144000},
        {222100, "222", 222000},     {432100, "432", 420000},    {903000, "902", 902000},
        {1296000, "1.2G", 1240000},  {2320000, "2.3G", 2300000}, {3400000, "3.4G", 3300000},
        {5760000, "5.7G", 5650000},  {10368000, "10G", 10000000}, {24048000, "24G", 24000000},
        {47088000, "47G", 47000000}, {76000000, "75G", 75500000}, {122250000, "122G", 122250000},
        {134000000, "134G", 134000000}, {241000000, "241G", 241000000}, {474000000, "LIGHT", 300000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frequencyText(c.kHz), c.text) << c.kHz;
        const Qso q = qso(c.kHz, "CW", {2026, 5, 16, 12, 3, 0}, "UA1AAA", "599", "001", "UA2BBB", "599", "002");
        const std::string line = format(q);
        // The designator never widens the frequency column past its five characters.
        EXPECT_EQ(line.find("CW"), column(Field::Mode).first) << line;
        const Parse p = read(line.substr(0, line.size() - 2));
        ASSERT_TRUE(p.ok()) << p.fault.reason;
        expectSame(*p.qso, q, c.readKHz);
    }
    // Designators are read in any letter case.
    const Parse light = read("QSO: light CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002");
    ASSERT_TRUE(light.ok());
    EXPECT_EQ(light.qso->freqKHz, 300000000);
}

// A line in the writer's columns, from texts (empty ones leave their columns blank).
std::string columns(const char* freq, const char* mode, const char* dateTime, const char* own, const char* rstS,
                    const char* exS, const char* call, const char* rstR, const char* exR) {
    const std::string line = format(Texts{freq, mode, dateTime, own, rstS, exS, call, rstR, exR});
    return line.substr(0, line.size() - 2);
}

TEST(QsoLine, NamesTheFaultyField) {
    struct Case {
        std::string line;
        Field field;
        std::string reasonPart;
    };
    const char* d = "2026-05-16 1203";
    const Case cases[] = {
        {columns("14O25", "CW", d, "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Frequency, "\"14O25\""},
        {columns("1234567890", "CW", d, "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Frequency,
         "not a whole number of kHz"},
        {columns("14025", "RY", d, "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Mode,
         "\"RY\" is not CW, PH or PM"},
        {columns("14025", "CW", "2026-02-29 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date,
         "impossible date 2026-02-29"},
        {columns("14025", "CW", "2026-13-01 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date,
         "impossible date"},
        {columns("14025", "CW", "0099-12-31 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date,
         "impossible date"},
        {columns("14025", "CW", "16.05.2026 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date,
         "not YYYY-MM-DD"},
        {columns("14025", "CW", "Invalid DateTime", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date,
         "Invalid DateTime"},
        {columns("14025", "CW", "", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Date, "empty date"},
        {columns("14025", "CW", "2026-05-16 2460", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Time,
         "impossible time 2460"},
        {columns("14025", "CW", "2026-05-16 12:03", "UA1AAA", "599", "001", "UA2BBB", "599", "002"), Field::Time,
         "not HHMM"},
        {columns("14025", "CW", d, "UA1AAA", "", "001", "UA2BBB", "599", "002"), Field::RstSent,
         "the call is read as \"599\""},
        {columns("14025", "CW", d, "UA1AAA", "599", "", "UA2BBB", "599", "002"), Field::ExchangeSent,
         "shifts the columns"},
        {columns("14025", "CW", d, "UA1AAA", "599", "001", "UA2BBB", "", "002"), Field::RstReceived,
         "empty RST received"},
        {columns("14025", "CW", d, "UA1AAA", "599", "001", "UA2BBB", "599", ""), Field::ExchangeReceived,
         "empty exchange received"},
        {"QSO: 14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 002", Field::Line, "9 fields where 10"},
        {"QSO: 14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002 X", Field::Line, "11 fields"},
        {"QSO:", Field::Line, "without fields"},
        {"X-QSO: 14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002", Field::Line, "not a QSO line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Parse p = read(c.line);
        ASSERT_FALSE(p.ok());
        EXPECT_EQ(fieldName(p.fault.field), fieldName(c.field));
        EXPECT_NE(p.fault.reason.find(c.reasonPart), std::string::npos) << p.fault.reason;
    }
}

TEST(QsoLine, ContestQsoVerdictWithItsReason) {
    struct Case {
        std::int64_t kHz;
        const char* mode;
        const char* exchange;
        std::vector<Field> faults;
        const char* firstReason;  // part of the first fault's reason
    };
    const Case cases[] = {
        {14025, "CW", "001", {}, ""},
        {1800, "SSB", "WM", {}, ""},
        {29700, "BPSK63", "999", {}, ""},
        {1799, "CW", "001", {Field::Frequency}, "frequency 1799 kHz is outside the contest bands"},
        {10120, "CW", "001", {Field::Frequency}, "10120 kHz"},
        {50000, "CW", "001", {Field::Frequency}, "50000 kHz"},
        {14025, "RTTY", "001", {Field::Mode}, "mode \"RTTY\" is not a contest mode (BPSK63, CW, SSB)"},
        {14025, "cw", "001", {Field::Mode}, "\"cw\""},
        {14025, "CW", "599", {Field::ExchangeReceived}, "exchange received \"599\" is not a Velmor exchange"},
        {14025, "CW", "000", {Field::ExchangeReceived}, "\"000\""},
        {14025, "CW", "wm", {Field::ExchangeReceived}, "\"wm\""},
        {14025, "CW", "", {Field::ExchangeReceived}, "\"\""},
        {10120, "FT8", "", {Field::Frequency, Field::Mode, Field::ExchangeReceived}, "10120 kHz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kHz) + " " + c.mode + " " + c.exchange);
        const std::vector<Fault> faults = contestFaults(c.kHz, c.mode, c.exchange);
        ASSERT_EQ(faults.size(), c.faults.size());
        for (std::size_t i = 0; i < faults.size(); ++i) EXPECT_EQ(faults[i].field, c.faults[i]);
        const std::optional<Fault> first = contestFault(c.kHz, c.mode, c.exchange);
        EXPECT_EQ(first.has_value(), !c.faults.empty());
        if (first) {
            EXPECT_NE(first->reason.find(c.firstReason), std::string::npos) << first->reason;
        }
    }
}

TEST(QsoLine, RepeatKeyIsOneClockHour) {
    const auto key = [](CalendarTime t) { return repeatKey("UA2BBB", "20M", "CW", minutesSinceEpoch(t)); };
    EXPECT_EQ(key({2026, 5, 16, 12, 0, 0}), key({2026, 5, 16, 12, 59, 0}));
    EXPECT_NE(key({2026, 5, 16, 12, 59, 0}), key({2026, 5, 16, 13, 0, 0}));
    EXPECT_NE(key({2026, 5, 16, 12, 0, 0}), key({2026, 5, 17, 12, 0, 0}));
    EXPECT_NE(key({2026, 12, 31, 23, 0, 0}), key({2027, 1, 1, 0, 0, 0}));
    // Before 1970 the minutes are negative; the hour is still the one the clock shows.
    EXPECT_EQ(key({1969, 12, 31, 23, 0, 0}), key({1969, 12, 31, 23, 59, 0}));
    EXPECT_NE(key({1969, 12, 31, 23, 59, 0}), key({1970, 1, 1, 0, 0, 0}));
    // Call, band and mode are part of the key and cannot run into one another.
    EXPECT_NE(repeatKey("UA2BBB", "20M", "CW", 0), repeatKey("UA2BBB2", "0M", "CW", 0));
}

}  // namespace
}  // namespace velmor::qso_line
