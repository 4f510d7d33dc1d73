// The results page in a real browser: headless Chromium (Debian's chromium) loads it from
// disk, a page beside it reads the rendered tables and clicks the headers, and a
// screenshot of the page lands in the tree's artifacts/ folder.
//
// How the click is made without test hooks in the page: a harness page in the same folder
// holds results.html in an iframe; Chromium runs with --allow-file-access-from-files, so the
// harness can reach into the frame's document, click a header and write what it saw into
// its own DOM, which --dump-dom prints once the virtual time budget has run out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "crosscheck_test_support.h"

namespace velmor::crosscheck::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHarness = R"(<!DOCTYPE html>
<html><body>
<iframe id="page" src="results.html" width="1200" height="800"></iframe>
<pre id="seen">not loaded</pre>
<script>
document.getElementById('page').onload = function () {
  var d = this.contentDocument, out = [];
  var tables = d.querySelectorAll('table.results');
  out.push('tables=' + tables.length);
  out.push('charts=' + d.querySelectorAll('svg.chart rect').length);
  out.push('external=' + d.querySelectorAll('[src], link[href]').length);
  var t = tables[0];
  var column = function (i) {
    return Array.prototype.map.call(t.tBodies[0].rows, function (r) { return r.cells[i].textContent; }).join(' ');
  };
  var headers = t.tHead.rows[0].cells, score = 2;
  out.push('heading=' + t.previousElementSibling.textContent);
  out.push('calls=' + column(1));
  out.push('scores=' + column(score));
  out.push('links=' + Array.prototype.map.call(t.querySelectorAll('a'), function (a) { return a.getAttribute('href'); }).join(' '));
  headers[1].click();
  out.push('call-up=' + column(1));
  headers[1].click();
  out.push('call-down=' + column(1));
  headers[score].click();
  out.push('score-up=' + column(score));
  out.push('sorted-by=' + headers[score].getAttribute('aria-sort'));
  document.getElementById('seen').textContent = out.join('\n');
};
</script>
</body></html>
)";

// Runs chromium with `args`; its standard output.
std::string chromium(const std::string& dir, const std::string& args) {
    const std::string cmd = "chromium --headless --no-sandbox --disable-gpu --user-data-dir='" + dir +
                            "/profile' --allow-file-access-from-files " + args + " 2>'" + dir + "/chromium.err'";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::string unescape(std::string s) {
    for (const auto& [from, to] : std::map<std::string, std::string>{{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        for (std::size_t p; (p = s.find(from)) != std::string::npos;) s.replace(p, from.size(), to);
    }
    return s;
}

TEST(ResultsPage, ChromiumRendersSortsAndShowsIt) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) GTEST_SKIP() << "chromium is not installed";
    const std::string dir = freshDir("browser");
    RunOptions o;
    o.logs = {"examples/crosscheck"};
    o.outDir = dir;
    o.periodStart = "2026-05-16T12:00";
    o.periodEnd = "2026-05-16T16:00";
    ASSERT_EQ(runIn(VELMOR_SOURCE_DIR, o), RunOutcome::FilesLeftOut);
    writeFile(dir + "/harness.html", kHarness);

    const std::string dom =
        chromium(dir, "--virtual-time-budget=5000 --dump-dom 'file://" + dir + "/harness.html'");
    const std::size_t at = dom.find("<pre id=\"seen\">");
    ASSERT_NE(at, std::string::npos) << dom << readFile(dir + "/chromium.err");
    const std::string seen = unescape(dom.substr(at + 15, dom.find("</pre>", at) - at - 15));
    std::map<std::string, std::string> v;
    for (const std::string& line : lines(seen)) v[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);

    // Categories by name: "A1" (five entrants) before "SINGLE-OP ALL MIXED" (one).
    EXPECT_EQ(v["tables"], "2") << seen;
    EXPECT_EQ(v["charts"], "6");  // one bar per entrant
    EXPECT_EQ(v["external"], "0");  // self-contained: nothing loaded from elsewhere
    EXPECT_EQ(v["heading"], "A1");
    EXPECT_EQ(v["calls"], "UA1AAA UA3CCC UA4DDF UA5EEE UA4DDD");  // by place, equal places by call
    EXPECT_EQ(v["scores"], "10 5 1 1 0");
    EXPECT_EQ(v["links"],
              "reports/UA1AAA.txt reports/UA3CCC.txt reports/UA4DDF.txt reports/UA5EEE.txt reports/UA4DDD.txt");
    EXPECT_EQ(v["call-up"], "UA1AAA UA3CCC UA4DDD UA4DDF UA5EEE");
    EXPECT_EQ(v["call-down"], "UA5EEE UA4DDF UA4DDD UA3CCC UA1AAA");
    EXPECT_EQ(v["score-up"], "0 1 1 5 10");
    EXPECT_EQ(v["sorted-by"], "ascending");
    for (const char* link : {"UA1AAA", "UA2BBB", "UA3CCC", "UA4DDD", "UA4DDF", "UA5EEE"})
        EXPECT_TRUE(fs::exists(dir + "/reports/" + std::string(link) + ".txt")) << link;

    // The screenshot, with the other test artifacts.
    fs::create_directories(VELMOR_ARTIFACTS_DIR);
    const std::string shot = std::string(VELMOR_ARTIFACTS_DIR) + "/crosscheck-results.png";
    fs::remove(shot);
    chromium(dir, "--hide-scrollbars --window-size=1280,760 --screenshot='" + shot + "' 'file://" + dir +
                      "/results.html'");
    EXPECT_TRUE(fs::exists(shot));
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u);
}

}  // namespace
}  // namespace velmor::crosscheck::test
