// Files the real Stats.dll cannot write under Wine: a missing Plugins folder and a read-only journal.
#include <cstring>

#include "modal_driver.h"
#include "stats_dll_fixture.h"

namespace wine_stats {
namespace {

using wine_test::ModalDriver;

// Without the Plugins folder the settings cannot be written and the companion cannot be
// started: nothing of that is shown, and the Cabrillo file is still produced.
TEST_F(StatsDll, MissingPluginsFolderIsSilentAndTheLogIsStillWritten) {
    ASSERT_TRUE(RemoveDirectoryA("Plugins"));
    {
        ModalDriver dialog;  // the station-details dialog, confirmed
        EXPECT_EQ(Reset(1, "RZ3VLM"), 1);
        EXPECT_EQ(dialog.seen().size(), 1u);
    }
    EXPECT_EQ(Add(Qso{}), 1);
    ModalDriver driver;
    std::int32_t score = 0;
    const char* text = getResult(&score);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::strstr(text, "\r\nScore:  1"), nullptr) << text;
    EXPECT_EQ(score, -1);
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].caption, "Output");
    EXPECT_EQ(driver.seen()[0].text, "File produced: RZ3VLM.cbr");
    EXPECT_TRUE(ReadFileBytes("RZ3VLM.cbr").has_value());
    EXPECT_EQ(GetFileAttributesA("Plugins"), INVALID_FILE_ATTRIBUTES) << "no folder made";
}

// A read-only journal: the reset and the turned-away QSO go on without a word, and the
// answers are the usual ones.
TEST_F(StatsDll, ReadOnlyJournalIsSilent) {
    const std::string earlier = "Velmor TEST UBN file \r\nearlier\r\n";
    ASSERT_TRUE(WriteFileBytes("err.txt", earlier));
    ASSERT_TRUE(SetFileAttributesA("err.txt", FILE_ATTRIBUTE_READONLY));
    // Windows refuses to open a read-only file for writing; Wine run as root does not (the
    // attribute is a Unix permission that root passes), and the journal is then written.
    const HANDLE probe = CreateFileA("err.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool refused = probe == INVALID_HANDLE_VALUE;
    if (!refused) CloseHandle(probe);
    ModalDriver driver;
    EXPECT_EQ(Reset(0, "RZ3VLM"), 1);
    Qso foreign;
    foreign.mode = "RTTY";
    EXPECT_EQ(Add(foreign), 0);
    EXPECT_EQ(Add(Qso{}), 1);
    std::int32_t score = 0;
    getResult(&score);
    EXPECT_EQ(score, 1);
    EXPECT_TRUE(driver.seen().empty()) << driver.seen()[0].text;
    if (refused) {
        EXPECT_EQ(ReadFileBytes("err.txt"), earlier);
    }
    SetFileAttributesA("err.txt", FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace wine_stats
