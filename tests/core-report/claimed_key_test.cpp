// The "Claimed" key: written only when the score differs from what this load last wrote or read.
#include <gtest/gtest.h>

#include <string>

#include "cabrillo/ini_file.h"
#include "fakes.h"
#include "report_fixtures.h"
#include "session/stats_plugin.h"

namespace velmor {
namespace {

// The settings file in memory, read and written as the profile functions do, with every
// write counted.
class CountingSettings : public SettingsStore {
public:
    test::MemoryFileSystem files;
    IniFileSettings ini{files, "VARDO.ini"};
    int writes = 0;

    std::string read(const std::string& key, const std::string& fallback) override {
        return ini.read(key, fallback);
    }
    void write(const std::string& key, const std::string& value) override {
        ++writes;
        ini.write(key, value);
    }
    std::string content() const {
        auto it = files.files.find("VARDO.ini");
        return it == files.files.end() ? "<none>" : it->second;
    }
};

struct ClaimedKey : ::testing::Test {
    test::FakeServices fakes;
    CountingSettings settings;
    StatsPlugin plugin{Services{fakes.clock, fakes.files, settings, fakes.ui, fakes.launcher}};
    // The file as writing the key on every request leaves it.
    test::MemoryFileSystem alwaysFiles;
    IniFileSettings always{alwaysFiles, "VARDO.ini"};

    // One score request; the file must hold what writing every time gives.
    void request() {
        std::int32_t score = 0;
        plugin.GetResult(&score);
        always.write("Claimed", std::to_string(plugin.claimedScore()));
        EXPECT_EQ(settings.content(), alwaysFiles.files["VARDO.ini"]);
    }
    void start(const std::string& fileContent) {
        // The dialog is cancelled: it reads the settings but writes none.
        fakes.ui.dialog = [](StationDetails&) { return false; };
        settings.files.files["VARDO.ini"] = fileContent;
        alwaysFiles.files["VARDO.ini"] = fileContent;
    }
};

TEST_F(ClaimedKey, RepeatedRequestsWriteOnlyWhenTheScoreChanges) {
    start("[Settings]\r\nName=Ivan\r\n");
    request();  // 0, the key is not in the file yet
    request();
    EXPECT_EQ(settings.writes, 1);

    plugin.AddData(test::workedExample80());
    request();  // 1
    request();
    request();
    EXPECT_EQ(settings.writes, 2);

    plugin.AddData(test::workedExample40Ssb());  // "WM": 1 + 1 + 5
    request();
    plugin.RemoveData(test::workedExample40Ssb());
    request();  // back to 1: written again, the file held 7
    EXPECT_EQ(settings.writes, 4);
}

// A reset with Cabrillo output reads the key; a request with the same score writes nothing,
// one with another score writes it.
TEST_F(ClaimedKey, TheValueReadByTheDialogCounts) {
    start("[Settings]\r\nClaimed=1\r\n");
    plugin.ResetStats(1, "UA3ABC");
    plugin.AddData(test::workedExample80());
    request();  // 1, as read
    EXPECT_EQ(settings.writes, 0);

    start("[Settings]\r\nClaimed=001\r\n");  // not the text "1": written
    plugin.ResetStats(1, "UA3ABC");
    plugin.AddData(test::workedExample80());
    request();
    request();
    EXPECT_EQ(settings.writes, 1);

    start("[Settings]\r\nName=X\r\n");  // no key: an empty value read, "0" differs
    plugin.ResetStats(1, "UA3ABC");
    request();
    EXPECT_EQ(settings.writes, 2);
}

// A reset without the dialog reads nothing: what the load wrote last still counts.
TEST_F(ClaimedKey, ResetWithoutDialogKeepsWhatWasWritten) {
    request();  // no file yet
    plugin.ResetStats(0, "UA3ABC");
    request();
    EXPECT_EQ(settings.writes, 1);
}

}  // namespace
}  // namespace velmor
