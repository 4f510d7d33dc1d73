// velmor check's rules: a clean file, then one fault per file, each named at its line.
#include "check/cabrillo_check.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace {

namespace cr = velmor::cabrillo_reader;
using velmor::check::Finding;

std::string qso(const char* freq, const char* mode, const char* dateTime, const char* call,
                const char* rstS, const char* exS, const char* exR, const char* rstR = "599") {
    char buf[256];
    std::snprintf(buf, sizeof buf, "QSO: %5s %2s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", freq, mode, dateTime,
                  "RZ3VLM", rstS, exS, call, rstR, exR);
    return buf;
}

// A file no rule objects to: Cabrillo 3.0 tags only, the score of its QSO lines claimed
// (1 + 1 + 1 points and one station sending WM on 40M: 8).
const std::string kHeader =
    "START-OF-LOG: 3.0\r\nCONTEST: Velmor \r\nCALLSIGN: RZ3VLM\r\nCATEGORY-OPERATOR: SINGLE-OP\r\n"
    "CATEGORY-BAND: ALL\r\nCLAIMED-SCORE: 8\r\nX-NOTE: own tags are allowed\r\n";
const std::string kQso1 = qso("14025", "CW", "2026-05-16 1201", "RA3DKM", "599", "001", "014");
const std::string kQso2 = qso("7012", "CW", "2026-05-16 1220", "UA1ORF", "599", "002", "WM");
const std::string kQso3 = qso("7085", "PH", "2026-05-16 1226", "RW6AHX", "59", "003", "017", "59");
const std::string kEnd = "END-OF-LOG:\r\n";
const std::string kClean = kHeader + kQso1 + kQso2 + kQso3 + kEnd;

std::string replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::vector<Finding> check(const std::string& text) { return velmor::check::checkCabrillo(text); }

TEST(CabrilloCheck, CleanFilesHaveNoFindings) {
    const std::pair<const char*, std::string> cases[] = {
        {"as written", kClean},
        // Times compare as whole minutes: QSOs logged in one minute are in order on every
        // build (the 32-bit ones once found the second of two equal times earlier).
        {"several QSOs in one minute", replace(replace(kClean, "2026-05-16 1220", "2026-05-16 1201"),
                                               "2026-05-16 1226", "2026-05-16 1201")},
        {"contest name in another letter case", replace(kClean, "CONTEST: Velmor ", "CONTEST:  VELMOR")},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        const auto findings = check(text);
        for (const Finding& f : findings) ADD_FAILURE() << velmor::check::formatFinding("f", f);
        EXPECT_EQ(velmor::check::worstSeverity(findings), std::nullopt);
    }
}

TEST(CabrilloCheck, EveryReasonALineDoesNotCountIsNamed) {
    const auto findings = check(replace(kClean, kQso1, qso("10120", "CW", "2026-05-16 1201", "RA3DKM", "599", "001", "599")));
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].line, 8);
    EXPECT_EQ(findings[0].message, "frequency 10120 kHz is outside the contest bands");
    EXPECT_EQ(findings[1].line, 8);
    EXPECT_EQ(findings[1].message.rfind("exchange received \"599\" is not a Velmor exchange", 0), 0u);
}

TEST(CabrilloCheck, ContestNameRule) {
    const auto file = [](const char* contestLine) {
        return *cr::readCabrillo(replace(kClean, "CONTEST: Velmor \r\n", contestLine));
    };
    EXPECT_EQ(velmor::check::otherContest(file("CONTEST: Velmor \r\n")), std::nullopt);
    EXPECT_EQ(velmor::check::otherContest(file("CONTEST: velmor\r\n")), std::nullopt);
    EXPECT_EQ(velmor::check::otherContest(file("")), std::nullopt);
    EXPECT_EQ(velmor::check::otherContest(file("CONTEST: CQ-WW-CW\r\n")), "CONTEST: CQ-WW-CW is not this contest");
    EXPECT_EQ(velmor::check::otherContest(file("CONTEST: KALVER-PSK\r\n"), {"kalver-psk"}), std::nullopt);
    EXPECT_EQ(velmor::check::otherContest(file("CONTEST: \r\n")), std::nullopt);
}

TEST(CabrilloCheck, OneFaultPerFile) {
    const auto E = Finding::Severity::Error;
    const auto W = Finding::Severity::Warning;
    struct Case {
        const char* name;
        std::string text;
        int line;
        Finding::Severity severity;
        std::string messagePart;
    };
    const Case cases[] = {
        {"unknown tag", replace(kClean, "X-NOTE", "NOTE"), 7, E, "unknown tag NOTE:"},
        {"line without a tag", replace(kClean, "X-NOTE: own", "X-NOTE own"), 7, E, "no TAG:"},
        {"no START-OF-LOG", replace(kClean, "START-OF-LOG: 3.0\r\n", ""), 10, E, "no START-OF-LOG"},
        {"no END-OF-LOG", replace(kClean, kEnd, ""), 10, E, "no END-OF-LOG"},
        {"missing field", replace(kClean, kQso1, "QSO: 14025 CW 2026-05-16 1201 RZ3VLM 599 001 RA3DKM 014\r\n"), 8, E,
         "9 fields where 10"},
        {"malformed frequency", replace(kClean, "14025 CW", "14.02 CW"), 8, E, "frequency \"14.02\""},
        {"impossible date", replace(kClean, "2026-05-16 1201", "2026-02-31 1201"), 8, E, "impossible date 2026-02-31"},
        {"impossible time", replace(kClean, "2026-05-16 1201", "2026-05-16 2460"), 8, E, "impossible time 2460"},
        {"Invalid DateTime", replace(kClean, "2026-05-16 1201", "Invalid DateTime"), 8, E, "Invalid DateTime"},
        {"empty date", replace(kClean, "2026-05-16 1201 ", ""), 8, E, "empty date"},
        {"frequency outside the bands", replace(kClean, "14025 CW", "10120 CW"), 8, E, "10120 kHz is outside"},
        {"empty report shifts the columns",
         replace(kClean, kQso1, qso("14025", "CW", "2026-05-16 1201", "RA3DKM", "", "001", "014")), 8, E,
         "empty RST sent shifts the columns: the call is read as \"599\""},
        {"received exchange not a Velmor exchange", replace(kClean, "599 014", "599 599"), 8, E,
         "exchange received \"599\""},
        {"unknown mode label", replace(kClean, "14025 CW", "14025 RY"), 8, E, "mode \"RY\""},
        {"out of time order", replace(kClean, "2026-05-16 1226", "2026-05-16 1219"), 10, W, "earlier than line 9"},
        {"repeat in the clock hour", replace(kClean, kQso3, qso("7085", "CW", "2026-05-16 1259", "UA1ORF", "599", "003", "WM")),
         10, W, "repeat of UA1ORF on 40M CW within the clock hour (line 9)"},
        {"claimed score differs", replace(kClean, "CLAIMED-SCORE: 8", "CLAIMED-SCORE: 9"), 6, W,
         "differs from the score of the QSO lines, 8"},
        {"PM label", replace(kClean, "7085 PH", "7085 PM"), 10, W, "\"PM\""},
        {"legacy CATEGORY", replace(kClean, "CATEGORY-BAND: ALL", "CATEGORY: A1"), 5, W, "legacy CATEGORY:"},
        {"lower-case band", replace(kClean, "CATEGORY-BAND: ALL", "CATEGORY-BAND: 160m"), 5, W, "\"160M\""},
        {"another contest", replace(kClean, "CONTEST: Velmor ", "CONTEST: CQ-WW-CW"), 2, W,
         "CONTEST: CQ-WW-CW is not this contest"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto findings = check(c.text);
        EXPECT_EQ(findings.size(), 1u) << (findings.empty() ? "" : velmor::check::formatFinding("f", findings.back()));
        if (findings.empty()) continue;
        const Finding& f = findings[0];
        EXPECT_EQ(f.line, c.line);
        EXPECT_EQ(f.severity, c.severity);
        EXPECT_NE(f.message.find(c.messagePart), std::string::npos) << f.message;
        EXPECT_EQ(velmor::check::worstSeverity(findings), c.severity);
    }
}

TEST(CabrilloCheck, FindingsAreOrderedByLineAndFormatted) {
    const std::string text =
        replace(replace(replace(kClean, "CATEGORY-BAND: ALL", "CATEGORY: A1"), "599 014", "599 000"), kEnd, "");
    const auto findings = check(text);
    ASSERT_EQ(findings.size(), 3u);  // legacy CATEGORY, bad exchange, no END-OF-LOG
    EXPECT_EQ(velmor::check::formatFinding("log.cbr", findings[0]),
              "log.cbr:5: warning: legacy CATEGORY: line; Cabrillo 3.0 uses the CATEGORY-... tags");
    EXPECT_EQ(findings[1].line, 8);
    EXPECT_EQ(velmor::check::formatFinding("log.cbr", findings[1]).rfind("log.cbr:8: error: exchange received", 0), 0u);
    EXPECT_EQ(velmor::check::formatFinding("log.cbr", findings[2]), "log.cbr:10: error: no END-OF-LOG: line");
    EXPECT_EQ(velmor::check::worstSeverity(findings), Finding::Severity::Error);
}

TEST(CabrilloCheck, EmptyFileLacksBothEnds) {
    const auto findings = check("");
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].line, 1);
    EXPECT_EQ(findings[1].line, 1);
}

}  // namespace
