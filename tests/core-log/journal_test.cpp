// The error journal err.txt: lines byte for byte, and the file a reset and a load leave behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes.h"
#include "log/journal.h"
#include "qso_builders.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

using test::sampleQso;

TEST(JournalLine, LaysOutThePiecesByteForByte) {
    const struct {
        const char* what;
        QsoFields qso;
        const char* reason;
        std::string expected;
    } cases[] = {
        {"ordinary", sampleQso(), "   NO TEST MODE !!!",
         "QSO:  14025  CW  2026-06-13 1210  UA3ABC  599  001  RA1XYZ  579  123   NO TEST MODE !!!\r\n"},
        {"kHz drop the remainder, null date is empty",
         [] { auto q = sampleQso(); q.freqHz = 7000999; q.time.status = DateStatus::Null; return q; }(),
         "   NO RX NUMBER !!!",
         "QSO:  7000  CW    UA3ABC  599  001  RA1XYZ  579  123   NO RX NUMBER !!!\r\n"},
        {"below 1 kHz, invalid date, empty texts",
         [] {
             QsoFields q;
             q.freqHz = 999;
             q.time.status = DateStatus::Invalid;
             return q;
         }(),
         "   NO TEST MODE !!!",
         // six empty texts, each after a two-blank gap
         "QSO:  0    Invalid DateTime" + std::string(12, ' ') + "   NO TEST MODE !!!\r\n"},
        {"unconvertible valid date, cp1251 texts passed through",
         [] {
             auto q = sampleQso();
             q.time.date = 1e300;
             q.mode = "\xD2\xC5\xCB\xC5\xC3\xD0\xC0\xD4";
             q.freqHz = 4294967295u;
             return q;
         }(),
         "   NO TEST MODE !!!",
         "QSO:  4294967  \xD2\xC5\xCB\xC5\xC3\xD0\xC0\xD4  Invalid DateTime  UA3ABC  599  001  RA1XYZ  579  "
         "123   NO TEST MODE !!!\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(journalLine(c.qso, c.reason), c.expected) << c.what;
    EXPECT_EQ(journalHeaderLine(), "Velmor TEST UBN file \r\n");
}

class JournalFile : public ::testing::Test {
protected:
    test::FakeServices fakes;
    StatsPlugin plugin{fakes.services()};

    std::string journal() { return fakes.files.files.at("err.txt"); }
    long journalOpens() {
        return std::count(fakes.files.opened.begin(), fakes.files.opened.end(), "err.txt");
    }
};

TEST_F(JournalFile, ResetThenTurnedAwayQsosGiveTheWholeFile) {
    fakes.files.files["err.txt"] = "left over from an earlier load\r\n";
    plugin.ResetStats(0, "UA3ABC");

    QsoFields lowerCase = sampleQso();
    lowerCase.mode = "cw";
    QsoFields noSent = sampleQso();
    noSent.mode = "SSB";
    noSent.exchSent = "";
    noSent.time.status = DateStatus::Null;
    noSent.freqHz = 3650500;
    noSent.band = "80M";
    QsoFields bothWrong = sampleQso();
    bothWrong.mode = "BPSK31";
    bothWrong.exchRcvd = "";
    bothWrong.time = {40672.0 + (9 * 3600 + 37 * 60) / 86400.0, DateStatus::Valid};
    QsoFields noRcvd = sampleQso();
    noRcvd.mode = "BPSK63";
    noRcvd.exchRcvd = "";
    noRcvd.time.status = DateStatus::Invalid;
    noRcvd.call = "\xD0\xC0\xD6";

    EXPECT_EQ(plugin.AddData(lowerCase), 0);
    EXPECT_EQ(plugin.AddData(sampleQso()), 1);
    EXPECT_EQ(plugin.AddData(noSent), 0);
    EXPECT_EQ(plugin.AddData(bothWrong), 0);
    EXPECT_EQ(plugin.AddData(sampleQso()), 1);
    EXPECT_EQ(plugin.AddData(noRcvd), 0);

    EXPECT_EQ(journal(),
              "Velmor TEST UBN file \r\n"
              "QSO:  14025  cw  2026-06-13 1210  UA3ABC  599  001  RA1XYZ  579  123   NO TEST MODE !!!\r\n"
              "QSO:  3650  SSB    UA3ABC  599    RA1XYZ  579  123   NO RX NUMBER !!!\r\n"
              "QSO:  14025  BPSK31  2011-05-09 0937  UA3ABC  599  001  RA1XYZ  579     NO TEST MODE !!!\r\n"
              "QSO:  14025  BPSK63  Invalid DateTime  UA3ABC  599  001  \xD0\xC0\xD6  579     NO RX NUMBER !!!\r\n");
    EXPECT_EQ(plugin.qsoLog().size(), 2u);
    EXPECT_EQ(plugin.bandList(), BandList{"20M"});

    // Each reset starts the journal afresh.
    plugin.ResetStats(0, "UA3ABC");
    EXPECT_EQ(journal(), "Velmor TEST UBN file \r\n");
}

TEST_F(JournalFile, ExistsAfterTheFirstAddDataAndStoredQsosLeaveItAlone) {
    EXPECT_EQ(plugin.AddData(sampleQso()), 1);
    ASSERT_EQ(fakes.files.files.count("err.txt"), 1u);
    EXPECT_EQ(journal(), "");
    for (int i = 0; i < 50; ++i) plugin.AddData(sampleQso());
    EXPECT_EQ(journalOpens(), 1);
    EXPECT_EQ(journal(), "");
}

TEST_F(JournalFile, FirstAddDataAppendsToAnExistingJournal) {
    fakes.files.files["err.txt"] = "Velmor TEST UBN file \r\n";
    plugin.AddData(sampleQso());
    EXPECT_EQ(journal(), "Velmor TEST UBN file \r\n");
}

TEST_F(JournalFile, AnUnwritableJournalChangesNoAnswerAndNoState) {
    fakes.files.unwritable.push_back("err.txt");
    EXPECT_EQ(plugin.ResetStats(0, "UA3ABC"), 1);
    QsoFields foreign = sampleQso();
    foreign.mode = "RTTY";
    EXPECT_EQ(plugin.AddData(foreign), 0);
    EXPECT_EQ(plugin.AddData(sampleQso()), 1);
    EXPECT_EQ(plugin.qsoLog().size(), 1u);
    EXPECT_EQ(fakes.files.files.count("err.txt"), 0u);
}

}  // namespace
}  // namespace velmor
