// The Cabrillo reader: lines, tags and QSO fields, and the fault named for each bad line.
#include "cabrillo_reader/cabrillo_reader.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "log/ole_date.h"

namespace cr = velmor::cabrillo_reader;

namespace {

// A QSO line in the writer's columns (the plug-in's format string).
std::string qsoLine(const char* freq, const char* mode, const char* dateTime, const char* own,
                    const char* rstS, const char* exS, const char* call, const char* rstR,
                    const char* exR) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "QSO: %5s %2s %s %-13s %-3s %-6s %-13s %-3s %s", freq, mode,
                  dateTime, own, rstS, exS, call, rstR, exR);
    return buf;
}

cr::QsoParse parseText(const std::string& text) {
    cr::File f = cr::readCabrillo(text);
    EXPECT_EQ(f.lines.size(), 1u);
    return cr::parseQso(f.lines.at(0));
}

}  // namespace

TEST(CabrilloReader, SplitsLinesTagsAndFields) {
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
    EXPECT_EQ(f.lines[5].fields.size(), 10u);
    EXPECT_EQ(f.lines[6].tag, "END-OF-LOG");
    EXPECT_EQ(f.findTag("contest"), &f.lines[1]);
    EXPECT_EQ(f.findTag("CALLSIGN"), nullptr);
    EXPECT_TRUE(cr::readCabrillo("").lines.empty());
    EXPECT_TRUE(cr::readCabrillo("END-OF-LOG:\r\n").lastLineEnded);
}

TEST(CabrilloReader, ParsesTheWritersQsoLine) {
    const cr::QsoParse p =
        parseText(qsoLine("3550", "PM", "2026-05-16 0905", "UA1AAA", "599", "001", "R3/UA2BBB", "599", "WM"));
    ASSERT_TRUE(p.ok()) << p.fault.reason;
    const cr::Qso& q = *p.qso;
    EXPECT_EQ(q.freqKHz, 3550);
    EXPECT_EQ(q.modeLabel, "PM");
    EXPECT_EQ(q.hostMode, "BPSK63");
    EXPECT_EQ(q.dateText(), "2026-05-16");
    EXPECT_EQ(q.timeText(), "0905");
    EXPECT_EQ(q.ownCall, "UA1AAA");
    EXPECT_EQ(q.call, "R3/UA2BBB");
    EXPECT_EQ(q.exchangeReceived, "WM");
    EXPECT_DOUBLE_EQ(q.automationDate(), velmor::fromCalendar({2026, 5, 16, 9, 5, 0}));
}

TEST(CabrilloReader, NamesTheFaultyField) {
    struct Case {
        std::string line;
        cr::QsoField field;
        std::string reasonPart;
    };
    const Case cases[] = {
        {qsoLine("14O25", "CW", "2026-05-16 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Frequency, "14O25"},
        {qsoLine("14025", "RY", "2026-05-16 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Mode, "RY"},
        {qsoLine("14025", "CW", "2026-02-31 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Date, "impossible date 2026-02-31"},
        {qsoLine("14025", "CW", "2026-13-01 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Date, "impossible date"},
        {qsoLine("14025", "CW", "16.05.2026 1203", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Date, "not YYYY-MM-DD"},
        {qsoLine("14025", "CW", "Invalid DateTime", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Date, "Invalid DateTime"},
        {qsoLine("14025", "CW", "", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Date, "empty date"},
        {qsoLine("14025", "CW", "2026-05-16 2460", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Time, "impossible time 2460"},
        {qsoLine("14025", "CW", "2026-05-16 12:03", "UA1AAA", "599", "001", "UA2BBB", "599", "002"),
         cr::QsoField::Time, "not HHMM"},
        {qsoLine("14025", "CW", "2026-05-16 1203", "UA1AAA", "", "001", "UA2BBB", "599", "002"),
         cr::QsoField::RstSent, "the call is read as \"599\""},
        {qsoLine("14025", "CW", "2026-05-16 1203", "UA1AAA", "599", "", "UA2BBB", "599", "002"),
         cr::QsoField::ExchangeSent, "shifts the columns"},
        {qsoLine("14025", "CW", "2026-05-16 1203", "UA1AAA", "599", "001", "UA2BBB", "", "002"),
         cr::QsoField::RstReceived, "empty RST received"},
        {qsoLine("14025", "CW", "2026-05-16 1203", "UA1AAA", "599", "001", "UA2BBB", "599", ""),
         cr::QsoField::ExchangeReceived, "empty exchange received"},
        {"QSO: 14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 002", cr::QsoField::Line,
         "9 fields where 10"},
        {"QSO: 14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002 X", cr::QsoField::Line,
         "11 fields"},
        {"QSO:", cr::QsoField::Line, "without fields"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const cr::QsoParse p = parseText(c.line);
        ASSERT_FALSE(p.ok());
        EXPECT_EQ(cr::fieldName(p.fault.field), cr::fieldName(c.field));
        EXPECT_NE(p.fault.reason.find(c.reasonPart), std::string::npos) << p.fault.reason;
    }
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
