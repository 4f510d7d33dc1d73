// Tests of the stand-in host's ADIF reading: tags, frequencies, dates and the host's mode texts.
#include <gtest/gtest.h>

#include "adif.h"

namespace {

using statshost::AdifDate;
using statshost::HostMode;
using statshost::MegahertzToHertz;
using statshost::ParseAdif;

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
    };
    for (const auto& c : cases) EXPECT_EQ(MegahertzToHertz(c.mhz), c.hz) << c.mhz;
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
    };
    for (const auto& c : cases) EXPECT_EQ(HostMode(c.mode, c.submode), c.host) << c.mode << "/" << c.submode;
}

TEST(Adif, DateAndTimeBecomeAnAutomationDate) {
    EXPECT_EQ(AdifDate("18991230", "0000"), 0.0);
    EXPECT_EQ(AdifDate("20260516", "1200"), 46158.5);
    EXPECT_EQ(AdifDate("18991229", "0600"), -1.25);  // before the epoch the fraction counts forward
    EXPECT_DOUBLE_EQ(*AdifDate("20260516", "121730"), 46158.0 + (12 * 3600 + 17 * 60 + 30) / 86400.0);
    for (const auto& bad : {std::pair{"2026051", "1200"}, {"20261316", "1200"}, {"20260516", "2400"},
                            {"20260516", "12"}, {"2026O516", "1200"}})
        EXPECT_FALSE(AdifDate(bad.first, bad.second).has_value()) << bad.first << " " << bad.second;
}

TEST(Adif, RecordsAfterTheHeaderWithTypedAndLowerCaseTags) {
    const auto records = ParseAdif(
        "log <PROGRAMID:4>test <EOH>\r\n"
        "<call:6>RA3DKM <FREQ:6:N>14.025 <SRX_STRING:3>0<1 <eor>\r\n"
        "<CALL:5>UA1OR <EOR>\r\n"
        "<CALL:4>RW6A");  // unfinished record: not returned
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].at("CALL"), "RA3DKM");
    EXPECT_EQ(records[0].at("FREQ"), "14.025");
    EXPECT_EQ(records[0].at("SRX_STRING"), "0<1");
    EXPECT_EQ(records[0].count("PROGRAMID"), 0u);
    EXPECT_EQ(records[1].at("CALL"), "UA1OR");
}

}  // namespace
