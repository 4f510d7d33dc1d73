// Untrusted text for each sink: terminal and reports, quoted fields, CSV cells, HTML; and call signs as file names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/file_name.h"
#include "services/shown_text.h"

namespace velmor {
namespace {

TEST(ShownText, ControlBytesBecomeVisible) {
    EXPECT_EQ(shown::visible("UA1AAA"), "UA1AAA");
    EXPECT_EQ(shown::visible("esc\x1b[2J"), "esc\\x1B[2J");
    EXPECT_EQ(shown::visible(std::string("nul\0x\r\n\x7f", 8)), "nul\\x00x\\x0D\\x0A\\x7F");
    EXPECT_EQ(shown::visible("tab\there \xd0\x98 \xc8"), "tab\there \xd0\x98 \xc8");  // letters as they are
    EXPECT_EQ(shown::visibleLines("a\x1b[1m\nb\r\n"), "a\\x1B[1m\nb\\x0D\n");  // line ends kept
}

TEST(ShownText, AQuotedFieldIsCutAt80BytesAndSaysItsLength) {
    EXPECT_EQ(shown::quoted("14O25"), "\"14O25\"");
    EXPECT_EQ(shown::quoted(std::string(80, 'x')), "\"" + std::string(80, 'x') + "\"");
    EXPECT_EQ(shown::quoted(std::string(52428800, 'x')), "\"" + std::string(80, 'x') + "...\" (52428800 bytes)");
    // Never half a UTF-8 character: the two-byte letter at bytes 80-81 goes whole.
    EXPECT_EQ(shown::quoted(std::string(79, 'a') + "\xd0\x98" + "b"), "\"" + std::string(79, 'a') + "...\" (82 bytes)");
    EXPECT_EQ(shown::shortened("abcdef", 4), "abcd...");
    EXPECT_EQ(shown::shortened("ab\xd0\x98", 3), "ab...");
    EXPECT_EQ(shown::shortened("abc", 3), "abc");
}

TEST(ShownText, CsvCellsNeverStartAFormula) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"UA1AAA", "UA1AAA"},
        {"", ""},
        {"=2+5", "'=2+5"},
        {"+1+1", "'+1+1"},
        {"-5", "'-5"},
        {"@SUM(1+1)", "'@SUM(1+1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {" =1", " =1"},   // a formula starts at the first byte
        {"1-2", "1-2"},
    };
    for (const auto& c : cases) EXPECT_EQ(shown::csvCell(c.in), c.out) << c.in;
}

TEST(ShownText, HtmlEscapesMarkupControlsAndBrokenUtf8) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"UA1AAA", "UA1AAA"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\"><img src=x onerror=alert(1)>", "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;"},
        {"a&b 'q'", "a&amp;b &#39;q&#39;"},
        {"esc\x1b[31m", "esc\\x1B[31m"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"tab\there", "tab\there"},
        {"del\x7f", "del\\x7F"},
        {"\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd\xd0\xbe\xd0\xb2", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd\xd0\xbe\xd0\xb2"},  // UTF-8 kept
        {"\xc8\xe2\xe0\xed\xee\xe2", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // cp1251
        {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},                  // overlong '/'
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // a surrogate
        {"\xf0\x9f\x93\xbb", "\xf0\x9f\x93\xbb"},                  // U+1F4FB
        {"cut \xe2\x82", "cut \xef\xbf\xbd\xef\xbf\xbd"},          // sequence cut at the end
    };
    for (const auto& c : cases) EXPECT_EQ(shown::html(c.in), c.out) << c.in;
}

// A call as a file name: the same on every platform, plain on Windows (no device, no
// forbidden byte, no dot or blank at the end), within the length given, unique by letter case.
TEST(CallFileNames, EveryCallGetsAPlainUniqueName) {
    const struct {
        std::string call, name;
    } cases[] = {
        {"UA1AAA", "UA1AAA.txt"},
        {"RZ3VLM/P", "RZ3VLM_P.txt"},
        {"", "_.txt"},
        {"..", "__.txt"},
        {"../../etc/passwd", "______etc_passwd.txt"},
        {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i.txt"},
        {"UA1AAA. ", "UA1AAA__.txt"},  // Windows would drop a dot or blank at the end
        {std::string("NUL\0", 4), "NUL_.txt"},
        {"\x1b[2J", "__2J.txt"},
        {"\xd0\x98\xd0\xb2", "____.txt"},  // only ASCII, so that every file system and code page agrees
        {"CON", "CON_.txt"},
        {"con", "con_.txt"},
        {"Aux", "Aux_.txt"},
        {"COM1", "COM1_.txt"},
        {"lpt9", "lpt9_.txt"},
        {"COM0", "COM0.txt"},  // as the plug-in's rule: no device
        {"COM10", "COM10.txt"},
        {"CONX", "CONX.txt"},
        {"PRN.", "PRN_.txt"},
    };
    for (const auto& c : cases) {
        const std::string name = callFileName(c.call, ".txt");
        EXPECT_EQ(name, c.name) << c.call;
        EXPECT_TRUE(isPlainFileName(name)) << name;
    }

    // Too long: cut, with a short hash of the call, within the limit; two long calls that
    // share their start still get two names.
    const std::string longCall(248, 'W'), otherLong = std::string(247, 'W') + "X";
    const std::string a = callFileName(longCall, ".txt"), b = callFileName(otherLong, ".txt");
    EXPECT_LE(a.size(), kLongestCallFileName);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(std::string(40, 'W'), 0), 0u) << a;
    EXPECT_EQ(a.substr(a.size() - 4), ".txt");
    EXPECT_EQ(callFileName(longCall, ".txt"), a);  // the same on every run and build
    EXPECT_LE(callFileName(longCall, ".txt", 30).size(), 30u);

    // Unique within the run, also by letter case: calls that needed no change keep theirs.
    const std::vector<std::string> calls = {"UA1AAA/P", "UA1AAA_P", "ua1aaa_p", "CON", "CON_", longCall, longCall};
    const std::vector<std::string> names = callFileNames(calls, ".txt");
    ASSERT_EQ(names.size(), calls.size());
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end() - 1),
              (std::vector<std::string>{"UA1AAA_P-3.txt", "UA1AAA_P.txt", "ua1aaa_p-2.txt", "CON_-2.txt", "CON_.txt", a}));
    EXPECT_LE(names.back().size(), kLongestCallFileName);
    EXPECT_EQ(names.back().substr(names.back().size() - 6), "-2.txt") << names.back();
}

}  // namespace
}  // namespace velmor
