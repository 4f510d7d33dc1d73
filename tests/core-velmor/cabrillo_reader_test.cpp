// The Cabrillo reader: numbered lines and their tags and values (QSO lines: qso_line_test).
#include "cabrillo_reader/cabrillo_reader.h"

#include <gtest/gtest.h>

namespace cr = velmor::cabrillo_reader;

TEST(CabrilloReader, SplitsLinesTagsAndValues) {
    const cr::File f = cr::readCabrillo(
        "START-OF-LOG: 3.0\r\nCONTEST: Velmor \r\n\r\nno tag here\nADDRESS: a: b\r"
        "QSO:  14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002\r\nEND-OF-LOG:");
    ASSERT_EQ(f.lines.size(), 7u);
    EXPECT_FALSE(f.lastLineEnded);
    for (std::size_t i = 0; i < f.lines.size(); ++i) EXPECT_EQ(f.lines[i].number, int(i) + 1);
    EXPECT_EQ(f.lines[1].tag, "CONTEST");
    EXPECT_EQ(f.lines[1].value, "Velmor");
    EXPECT_FALSE(f.lines[2].isTag());
    EXPECT_FALSE(f.lines[3].isTag());
    EXPECT_EQ(f.lines[4].value, "a: b");
    EXPECT_TRUE(f.lines[5].isQso());
    EXPECT_EQ(f.lines[6].tag, "END-OF-LOG");
    EXPECT_EQ(f.findTag("contest"), &f.lines[1]);
    EXPECT_EQ(f.findTag("CALLSIGN"), nullptr);
    EXPECT_TRUE(cr::readCabrillo("").lines.empty());
    EXPECT_TRUE(cr::readCabrillo("END-OF-LOG:\r\n").lastLineEnded);
}

