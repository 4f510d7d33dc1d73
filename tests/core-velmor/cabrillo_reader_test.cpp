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

// A file is read through the file table's whole-file reader, so its faults are the table's.
TEST(CabrilloReader, ReadsAFileThroughTheFileTable) {
    const velmor::FileOps real = velmor::StdioFileOps();
    velmor::FileOps ops = real;
    std::string opened;
    ops.open = [&](const std::string& path, const char*, std::string&) -> std::FILE* {
        opened = path;
        return std::tmpfile();
    };
    ops.readAll = [](std::FILE*, std::string& content) {
        content = "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\nEND-OF-LOG:\r\n";
        return true;
    };
    std::string reason;
    const std::optional<cr::File> file = cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops);
    ASSERT_TRUE(file.has_value()) << reason;
    EXPECT_EQ(opened, "logs/ua1aaa.cbr");
    ASSERT_NE(file->findTag("CALLSIGN"), nullptr);
    EXPECT_EQ(file->findTag("CALLSIGN")->value, "UA1AAA");

    ops.readAll = [](std::FILE*, std::string&) { return false; };
    EXPECT_FALSE(cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops).has_value());
    EXPECT_EQ(reason, "read error");
    ops.open = [](const std::string&, const char*, std::string& r) -> std::FILE* {
        r = "Permission denied";
        return nullptr;
    };
    EXPECT_FALSE(cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops).has_value());
    EXPECT_EQ(reason, "Permission denied");
}
