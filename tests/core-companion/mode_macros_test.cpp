// The macros the panel sends at start-up and for each mode button, and when it asks the host's mode.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mode_macros.h"

namespace orvin {
namespace {

using Macros = std::vector<std::string>;

TEST(StartupMacros, SelectBpsk31At31Baud) {
    EXPECT_EQ(StartupMacros(), (Macros{"<MODE:BPSK31>", "<BAUDRATE:31>"}));
}

struct ButtonCase {
    const char* what;
    ModeButton button;
    std::optional<std::string> hostMode;  // what reading the host's Mode gives
    Macros expected;
    int reads;  // how often the host's Mode is read
};
// Shown by name in test listings and failures.
void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.what; }

class ModeButtonMacrosTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ModeButtonMacrosTest, SendsTheContractsMacrosInOrder) {
    const ButtonCase& c = GetParam();
    int reads = 0;
    const Macros got = ModeButtonMacros(c.button, [&]() {
        ++reads;
        return c.hostMode;
    });
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(reads, c.reads);
}

const ButtonCase kButtonCases[] = {
    {"CwNeverAsksTheMode", ModeButton::Cw, "BPSK31", {"<MODE:CW>"}, 0},
    {"SsbNeverAsksTheMode", ModeButton::Ssb, "BPSK31", {"<MODE:SSB>"}, 0},
    {"Psk63InBpsk31OnlyChangesTheRate", ModeButton::Psk63, "BPSK31", {"<BAUDRATE:63>"}, 1},
    {"Psk63FromCwSwitchesModeFirst", ModeButton::Psk63, "CW", {"<MODE:BPSK31>", "<BAUDRATE:63>"}, 1},
    {"Psk63WithUnreadableModeSwitchesMode", ModeButton::Psk63, std::nullopt,
     {"<MODE:BPSK31>", "<BAUDRATE:63>"}, 1},
    // The mode name is compared exactly: case and trailing blanks count.
    {"Psk63ComparesCaseSensitively", ModeButton::Psk63, "bpsk31", {"<MODE:BPSK31>", "<BAUDRATE:63>"}, 1},
    {"Psk63ComparesWholeText", ModeButton::Psk63, "BPSK31 ", {"<MODE:BPSK31>", "<BAUDRATE:63>"}, 1},
    {"Psk63FromEmptyMode", ModeButton::Psk63, "", {"<MODE:BPSK31>", "<BAUDRATE:63>"}, 1},
};
INSTANTIATE_TEST_SUITE_P(Buttons, ModeButtonMacrosTest, ::testing::ValuesIn(kButtonCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(ModeButtonMacros, Psk63WithoutAModeReaderCountsAsUnreadable) {
    EXPECT_EQ(ModeButtonMacros(ModeButton::Psk63, nullptr), (Macros{"<MODE:BPSK31>", "<BAUDRATE:63>"}));
}

}  // namespace
}  // namespace orvin
