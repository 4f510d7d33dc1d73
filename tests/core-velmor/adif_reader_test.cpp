// The ADIF reader: tags, frequencies, dates, the host's mode texts, and the faults and
// variants real logs bring (one case each).
#include "adif/adif_reader.h"

#include <gtest/gtest.h>

namespace {

using velmor::adif::adifDate;
using velmor::adif::hostMode;
using velmor::adif::megahertzToHertz;
using velmor::adif::Problem;

std::vector<std::map<std::string, std::string>> ParseAdif(const std::string& text) {
    std::vector<std::map<std::string, std::string>> out;
    for (const auto& r : velmor::adif::parse(text).records) out.push_back(r.fields);
    return out;
}

TEST(Adif, FrequencyInMegahertzBecomesWholeHertz) {
    const struct {
        const char* mhz;
        std::optional<std::uint32_t> hz;
    } cases[] = {
        {"14.025", 14025000u},  {"14.0255", 14025500u}, {"1.8", 1800000u},
        {"7", 7000000u},        {"28.4999999", 28499999u},  // digits beyond 1 Hz are dropped
        {"0.000999", 999u},     {"4294.967295", 4294967295u},
        {"4294.967296", std::nullopt}, {"14,025", std::nullopt}, {"", std::nullopt},
        {"abc", std::nullopt},  {"-14.0", std::nullopt},
        {".5", 500000u},        {"14.", 14000000u},     {".", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(megahertzToHertz(c.mhz), c.hz) << c.mhz;
}

TEST(Adif, ModeAndSubmodeBecomeTheHostsModeText) {
    const struct {
        const char* mode;
        const char* submode;
        const char* host;
    } cases[] = {
        {"PSK", "BPSK63", "BPSK63"}, {"PSK", "BPSK31", "BPSK31"}, {"SSB", "", "SSB"},
        {"SSB", "USB", "SSB"},       {"USB", "", "SSB"},          {"LSB", "", "SSB"},
        {"cw", "", "CW"},            {"RTTY", "", "RTTY"},        {"FT8", "", "FT8"},
        {"MFSK", "FT4", "FT4"},
        // The contest's digital mode in every spelling real logs use.
        {"PSK", "PSK63", "BPSK63"},  {"psk", "psk63", "BPSK63"},  {"PSK63", "", "BPSK63"},
        {"BPSK63", "", "BPSK63"},    {"PSK", "QPSK63", "QPSK63"}, {"PSK", "", "PSK"},
    };
    for (const auto& c : cases) EXPECT_EQ(hostMode(c.mode, c.submode), c.host) << c.mode << "/" << c.submode;
}

TEST(Adif, DateAndTimeBecomeAnAutomationDate) {
    EXPECT_EQ(adifDate("18991230", "0000"), 0.0);
    EXPECT_EQ(adifDate("20260516", "1200"), 46158.5);
    EXPECT_EQ(adifDate("18991229", "0600"), -1.25);  // before the epoch the fraction counts forward
    EXPECT_DOUBLE_EQ(*adifDate("20260516", "121730"), 46158.0 + (12 * 3600 + 17 * 60 + 30) / 86400.0);
    for (const auto& bad : {std::pair{"2026051", "1200"}, {"20261316", "1200"}, {"20260516", "2400"},
                            {"20260516", "12"}, {"2026O516", "1200"}, {"20260231", "1200"},
                            {"20250229", "1200"}, {"20260431", "1200"}, {"20260516", "1260"},
                            {"00260516", "1200"}})
        EXPECT_FALSE(adifDate(bad.first, bad.second).has_value()) << bad.first << " " << bad.second;
    EXPECT_TRUE(adifDate("20240229", "1200").has_value());
}

TEST(Adif, RecordsAfterTheHeaderWithTypedAndLowerCaseTags) {
    const auto records = ParseAdif(
        "log <PROGRAMID:4>test <EOH>\r\n"
        "<call:6>RA3DKM <FREQ:6:N>14.025 <SRX_STRING:3>0<1 <eor>\r\n"
        "<CALL:5>UA1OR <EOR>\r\n"
        "<CALL:4>RW6A");  // last record without <EOR>: read, with a warning
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].at("CALL"), "RA3DKM");
    EXPECT_EQ(records[0].at("FREQ"), "14.025");
    EXPECT_EQ(records[0].at("SRX_STRING"), "0<1");
    EXPECT_EQ(records[0].count("PROGRAMID"), 0u);
    EXPECT_EQ(records[1].at("CALL"), "UA1OR");
    EXPECT_EQ(records[2].at("CALL"), "RW6A");
}

// One ADIF text per fault or variant: what the records hold and what is reported.
TEST(Adif, FaultsAndVariantsOfRealLogs) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> calls;  // CALL of every record read, in order
        std::string problem;             // "" or "E|W record offset field: message part"
    };
    const Case cases[] = {
        {"byte-order mark before a header", "\xEF\xBB\xBFhdr <EOH><CALL:2>A1<EOR>", {"A1"}, ""},
        {"byte-order mark, no header", "\xEF\xBB\xBF<CALL:2>A1<EOR>", {"A1"}, ""},
        {"LF only and text between fields", "x<EOH>\n<CALL:2>A1 junk\n<EOR>\n", {"A1"}, ""},
        {"length counts bytes (code page 1251)", "<NAME:4>\xC8\xE2\xE0\xED<CALL:2>A1<EOR>", {"A1"}, ""},
        {"no header, no records", "", {}, ""},
        {"header only", "text <EOH>\r\n", {}, ""},
        {"malformed tag: blank in the length",
         "<CALL:2>A1<EOR><STX:3>001 <CALL: 5>RA3DK <BAND:3>20m<EOR><CALL:2>B2<EOR>",
         {"A1", "", "B2"}, "E 2 26 CALL: malformed tag <CALL: 5>"},
        {"malformed tag: no length", "<CALL:2>A1<FOO><EOR>", {"A1"}, "E 1 10 FOO: malformed tag <FOO>: no length"},
        {"'<' without '>'", "<CALL:2>A1<EOR><CALL:2", {"A1"}, "E 2 15 : '<' without '>'"},
        {"length past the end", "<CALL:2>A1<EOR><CALL:9>B2<EOR>", {"A1"}, "E 2 15 CALL: runs past the end"},
        {"last record without <EOR>", "<CALL:2>A1<EOR><CALL:2>B2", {"A1", "B2"}, "W 2 25 : has no <EOR>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const velmor::adif::Document doc = velmor::adif::parse(c.text);
        std::vector<std::string> calls;
        for (const auto& r : doc.records) calls.push_back(r.get("CALL"));
        EXPECT_EQ(calls, c.calls);
        if (std::string(c.problem).empty()) {
            EXPECT_TRUE(doc.problems.empty()) << doc.problems.front().message;
            continue;
        }
        ASSERT_EQ(doc.problems.size(), 1u);
        const Problem& p = doc.problems.front();
        const std::string got = std::string(p.severity == Problem::Severity::Error ? "E " : "W ") +
                                std::to_string(p.record) + " " + std::to_string(p.offset) + " " + p.field +
                                ": " + p.message;
        EXPECT_NE(got.find(c.problem.substr(0, c.problem.find(':') + 2)), std::string::npos) << got;
        EXPECT_NE(got.find(c.problem.substr(c.problem.find(':') + 2)), std::string::npos) << got;
    }
}

// Records turned into the host's fields: the mapping, and records left out with errors.
TEST(Adif, RecordsBecomeTheHostsFields) {
    const std::string text =
        "<CALL:6>RA3DKM <QSO_DATE:8>20260516 <TIME_ON:4>1201 <FREQ:6>14.025 <MODE:2>CW "
        "<RST_SENT:3>599 <RST_RCVD:3>579 <STX:2>14 <SRX:1>7 <STATION_CALLSIGN:6>RZ3VLM <OPERATOR:4>OP1X <EOR>\n"
        "<CALL:5>UA1OR <QSO_DATE:8>20260516 <TIME_ON:6>120200 <BAND:3>40m <MODE:3>PSK <SUBMODE:5>PSK63 "
        "<STX_STRING:3>002 <STX:1>9 <SRX_STRING:2>WM <OPERATOR:4>OP1X <EOR>\n"
        "<CALL:5>RW6AH <QSO_DATE:8>20260231 <TIME_ON:4>1203 <FREQ:5>7.085 <MODE:3>SSB <EOR>\n"
        "<CALL:5>R7BKE <QSO_DATE:8>20260516 <TIME_ON:4>1204 <FREQ:2>.5 <BAND:0> <MODE:3>LSB <STATION_CALLSIGN:0> <EOR>\n"
        "<CALL:5>YL2QD <QSO_DATE:8>20260516 <TIME_ON:4>1205 <BAND:3>11m <EOR>\n"
        "<CALL:5>LY3BN <TIME_ON:4>1206 <FREQ:5>7.074 <EOR>\n"
        "<CALL:5>HA8ZT <QSO_DATE:8>20260516 <TIME_ON:4>1207 <FREQ:4>7,01 <EOR>\n"
        "<CALL:5>OH2LR <QSO_DATE:8>20260516 <TIME_ON:4>1208 <FREQ:6>21.024 <BAND:3>15M <MODE:4>RTTY <EOR>\n";
    const velmor::adif::Document doc = velmor::adif::parse(text);
    ASSERT_TRUE(doc.problems.empty());
    std::vector<Problem> problems;
    const auto qsos = velmor::adif::toHostQsos(doc, "FALLBACK", problems);
    // Only the records without a usable date or time are left out.
    ASSERT_EQ(qsos.size(), 6u);

    const velmor::QsoFields& a = qsos[0].fields;
    EXPECT_EQ(qsos[0].record, 1);
    EXPECT_EQ(a.call, "RA3DKM");
    EXPECT_EQ(a.ownCall, "RZ3VLM");
    EXPECT_EQ(a.freqHz, 14025000u);
    EXPECT_EQ(a.band, "20M");  // derived from the frequency
    EXPECT_EQ(a.mode, "CW");
    EXPECT_EQ(a.rstSent, "599");
    EXPECT_EQ(a.rstRcvd, "579");
    EXPECT_EQ(a.exchSent, "014");  // serial numbers as sent on the air
    EXPECT_EQ(a.exchRcvd, "007");
    EXPECT_EQ(a.time.status, velmor::DateStatus::Valid);
    EXPECT_DOUBLE_EQ(a.time.date, velmor::fromCalendar({2026, 5, 16, 12, 1, 0}));

    const velmor::QsoFields& b = qsos[1].fields;
    EXPECT_EQ(b.ownCall, "OP1X");
    EXPECT_EQ(b.freqHz, 7000000u);  // band alone: its lower edge
    EXPECT_EQ(b.band, "40M");
    EXPECT_EQ(b.mode, "BPSK63");
    EXPECT_EQ(b.exchSent, "002");  // the string wins over the serial
    EXPECT_EQ(b.exchRcvd, "WM");

    const velmor::QsoFields& c = qsos[2].fields;
    EXPECT_EQ(qsos[2].record, 4);
    EXPECT_EQ(c.ownCall, "FALLBACK");  // an empty field counts as missing
    EXPECT_EQ(c.freqHz, 500000u);
    EXPECT_EQ(c.band, "");  // 500 kHz lies in no band
    EXPECT_EQ(c.mode, "SSB");

    // A band the table lacks: passed along as the host would, with frequency 0.
    EXPECT_EQ(qsos[3].record, 5);
    EXPECT_EQ(qsos[3].fields.freqHz, 0u);
    EXPECT_EQ(qsos[3].fields.band, "11M");
    // A decimal comma: read.
    EXPECT_EQ(qsos[4].record, 7);
    EXPECT_EQ(qsos[4].fields.freqHz, 7010000u);
    EXPECT_EQ(qsos[4].fields.band, "40M");

    EXPECT_EQ(qsos[5].fields.mode, "RTTY");  // passed through; the plug-in turns it away
    EXPECT_EQ(qsos[5].fields.band, "15M");

    ASSERT_EQ(problems.size(), 4u);
    const struct {
        Problem::Severity severity;
        int record;
        const char* field;
        const char* message;
    } expected[] = {
        {Problem::Severity::Error, 3, "QSO_DATE", "impossible or malformed date \"20260231\"; record left out"},
        {Problem::Severity::Error, 5, "BAND", "no FREQ and unknown band \"11m\"; frequency passed as 0"},
        {Problem::Severity::Error, 6, "QSO_DATE", "missing QSO_DATE; record left out"},
        {Problem::Severity::Warning, 7, "FREQ", "frequency \"7,01\" read as 7.01 MHz (a decimal comma)"},
    };
    for (std::size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].severity, expected[i].severity) << i;
        EXPECT_EQ(problems[i].record, expected[i].record);
        EXPECT_EQ(problems[i].field, expected[i].field);
        EXPECT_EQ(problems[i].message, expected[i].message);
    }
}

// FREQ and BAND as logs from other programs write them: what the host gets and what is said.
// No record is left out for either field.
TEST(Adif, FrequencySpellingsAndBandsNeverLeaveARecordOut) {
    const struct {
        const char* freq;  // nullptr: no FREQ field
        const char* band;  // nullptr: no BAND field
        std::uint32_t hz;
        const char* hostBand;
        const char* problem;  // "" or "E FIELD: message" / "W FIELD: message"
    } cases[] = {
        {"14.025", nullptr, 14025000u, "20M", ""},
        {"14,025", nullptr, 14025000u, "20M", "W FREQ: frequency \"14,025\" read as 14.025 MHz (a decimal comma)"},
        {" 14.025", nullptr, 14025000u, "20M", "W FREQ: frequency \" 14.025\" read as 14.025 MHz (blanks around it)"},
        {"14.025 ", "20m", 14025000u, "20M", "W FREQ: frequency \"14.025 \" read as 14.025 MHz (blanks around it)"},
        {" 3,5 ", nullptr, 3500000u, "80M",
         "W FREQ: frequency \" 3,5 \" read as 3.5 MHz (blanks around it, a decimal comma)"},
        {"1296.2", nullptr, 1296200000u, "23CM", ""},
        {nullptr, "23cm", 1240000000u, "23CM", ""},
        {nullptr, "13CM", 2300000000u, "13CM", ""},
        {nullptr, "2190m", 135700u, "2190M", ""},
        {nullptr, "1.25m", 222000000u, "1.25M", ""},
        {"0.1362", nullptr, 136200u, "2190M", ""},
        {"54.000001", nullptr, 54000001u, "5M", ""},
        {"4294.967295", nullptr, 4294967295u, "", ""},
        // Beyond the host's 32-bit hertz: the band's lower edge if it fits, else 0.
        {"10368.1", nullptr, 0u, "3CM",
         "E FREQ: frequency 10368.1 MHz is beyond the host's frequency range (up to 4294.967295 MHz); frequency passed as 0"},
        {"10368.1", "3cm", 0u, "3CM",
         "E FREQ: frequency 10368.1 MHz is beyond the host's frequency range (up to 4294.967295 MHz); frequency passed as 0"},
        {nullptr, "1.25cm", 0u, "1.25CM",
         "E BAND: no FREQ and band 1.25CM lies beyond the host's frequency range (up to 4294.967295 MHz); frequency passed as 0"},
        {"5000", "9cm", 3300000000u, "9CM",
         "W FREQ: frequency 5000 MHz is beyond the host's frequency range (up to 4294.967295 MHz); the lower edge of band 9CM, 3300 MHz, passed instead"},
        // Unreadable: the band's lower edge, else 0.
        {"14.025.3", "20m", 14000000u, "20M",
         "W FREQ: malformed frequency \"14.025.3\"; the lower edge of band 20M, 14 MHz, passed instead"},
        {"1,234.5", nullptr, 0u, "", "E FREQ: malformed frequency \"1,234.5\" and no BAND; frequency passed as 0"},
        {"14 025", "xx", 0u, "XX",
         "E FREQ: malformed frequency \"14 025\" and unknown band \"xx\"; frequency passed as 0"},
        {nullptr, nullptr, 0u, "", "E FREQ: neither FREQ nor BAND; frequency passed as 0"},
        {"", "", 0u, "", "E FREQ: neither FREQ nor BAND; frequency passed as 0"},
    };
    for (const auto& c : cases) {
        std::string record = "<CALL:6>RA3DKM <QSO_DATE:8>20260516 <TIME_ON:4>1201 <MODE:2>CW ";
        if (c.freq) record += "<FREQ:" + std::to_string(std::string(c.freq).size()) + ">" + c.freq + " ";
        if (c.band) record += "<BAND:" + std::to_string(std::string(c.band).size()) + ">" + c.band + " ";
        SCOPED_TRACE(record);
        std::vector<Problem> problems;
        const auto qsos = velmor::adif::toHostQsos(velmor::adif::parse(record + "<EOR>"), "RZ3VLM", problems);
        ASSERT_EQ(qsos.size(), 1u);
        EXPECT_EQ(qsos[0].fields.freqHz, c.hz);
        EXPECT_EQ(qsos[0].fields.band, c.hostBand);
        std::string said;
        for (const Problem& p : problems)
            said += std::string(p.severity == Problem::Severity::Error ? "E " : "W ") + p.field + ": " + p.message;
        EXPECT_EQ(said, c.problem);
    }
}

// A log without reports gets the mode's usual one, as the operator would have logged it;
// modes the plug-in turns away keep what they had.
TEST(Adif, MissingReportsBecomeTheModesUsualReport) {
    const std::string text =
        "<CALL:1>A <QSO_DATE:8>20260516 <TIME_ON:4>1201 <BAND:3>20m <MODE:2>CW <EOR>"
        "<CALL:1>B <QSO_DATE:8>20260516 <TIME_ON:4>1202 <BAND:3>20m <MODE:3>SSB <RST_SENT:2>57 <EOR>"
        "<CALL:1>C <QSO_DATE:8>20260516 <TIME_ON:4>1203 <BAND:3>20m <MODE:3>PSK <SUBMODE:5>PSK63 <RST_RCVD:3>589 <EOR>"
        "<CALL:1>D <QSO_DATE:8>20260516 <TIME_ON:4>1204 <BAND:3>20m <MODE:2>CW <RST_SENT:3>579 <RST_RCVD:3>559 <EOR>"
        "<CALL:1>E <QSO_DATE:8>20260516 <TIME_ON:4>1205 <BAND:3>20m <MODE:3>FT8 <EOR>";
    std::vector<Problem> problems;
    auto qsos = velmor::adif::toHostQsos(velmor::adif::parse(text), "RZ3VLM", problems);
    ASSERT_EQ(qsos.size(), 5u);
    EXPECT_EQ(velmor::adif::fillUsualReports(qsos), 3u);
    const std::pair<const char*, const char*> reports[] = {{"599", "599"}, {"57", "59"}, {"599", "589"},
                                                           {"579", "559"}, {"", ""}};
    for (std::size_t i = 0; i < qsos.size(); ++i) {
        EXPECT_EQ(qsos[i].fields.rstSent, reports[i].first) << qsos[i].fields.call;
        EXPECT_EQ(qsos[i].fields.rstRcvd, reports[i].second) << qsos[i].fields.call;
    }
}

// Hostile files: a megabyte of '<' (each a malformed tag), and stray '<' before real
// records. The reader lists the first thousand problems and counts the rest in one, reads
// the records after them, and finds each '>' once, not once per '<'.
TEST(AdifParse, StrayBracketsAreCountedNotHeldOneByOne) {
    const velmor::adif::Document junk = velmor::adif::parse(std::string(1 << 20, '<'));
    EXPECT_TRUE(junk.records.empty());
    ASSERT_EQ(junk.problems.size(), 1001u);
    EXPECT_EQ(junk.problems[0].message, "malformed tag: '<' without '>'");
    EXPECT_EQ(junk.problems.back().severity, Problem::Severity::Error);
    EXPECT_EQ(junk.problems.back().message, std::to_string((1 << 20) - 1000) + " more problems in the file, not listed");

    const velmor::adif::Document mixed = velmor::adif::parse(std::string(5000, '<') + "<CALL:6>UA1AAA<QSO_DATE:8>20260516<EOR>");
    ASSERT_EQ(mixed.records.size(), 1u);
    EXPECT_EQ(mixed.records[0].get("CALL"), "UA1AAA");
    EXPECT_EQ(mixed.problems.size(), 1001u);
}

}  // namespace
