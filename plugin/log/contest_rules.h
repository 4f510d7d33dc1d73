// The Velmor contest's rules as data: modes and their Cabrillo labels, the bonus, fixed texts.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace velmor::rules {

inline constexpr std::string_view kSetName = "Velmor";

// The contest's modes: the one table of them. The text as the host names it, the Cabrillo
// label the sponsor reads on QSO lines, the label Cabrillo 3.0 itself has for the mode
// (it knows no PM: digital modes are DG), and the mode's column among the statistics
// text's per-mode counts (BPSK63, CW, SSB, in that order after QSOs and Points), and the
// report an operator gives when nothing is wrong (velmor fills it in for a log without one).
struct ModeRule {
    std::string_view hostName;
    std::string_view cabrilloLabel;
    std::string_view cabrillo3Label;
    std::size_t statsColumn;
    std::string_view usualReport;
};
inline constexpr std::size_t kModeCount = 3;
inline constexpr std::array<ModeRule, kModeCount> kModes{{
    {"CW", "CW", "CW", 1, "599"},
    {"BPSK63", "PM", "DG", 0, "599"},
    {"SSB", "PH", "PH", 2, "59"},
}};

// The rule of a contest mode; nullptr for any other text.
inline const ModeRule* findMode(std::string_view hostName) {
    for (const ModeRule& m : kModes)
        if (m.hostName == hostName) return &m;
    return nullptr;
}

inline constexpr int kPointsPerQso = 1;
inline constexpr int kWmBonus = 5;            // once per band for each distinct station sending "WM"
inline constexpr std::string_view kWmExchange = "WM";
inline constexpr std::string_view kRefusedExchange = "599";

// Error journal err.txt.
inline constexpr std::string_view kJournalFile = "err.txt";
inline constexpr std::string_view kJournalHeader = "Velmor TEST UBN file ";
inline constexpr std::string_view kReasonNoTestMode = "   NO TEST MODE !!!";
inline constexpr std::string_view kReasonNoRxNumber = "   NO RX NUMBER !!!";

// Companion program, started once per load.
inline constexpr std::string_view kCompanionCommand = ".\\Plugins\\Orvin.exe";

// Settings file (relative to the host's current directory) and its section.
inline constexpr std::string_view kSettingsFile = "Plugins\\VARDO.ini";
inline constexpr std::string_view kSettingsSection = "Settings";

// The repeat warning written into the host's CheckCall0 buffer (its size, kCheckCallTextSize,
// is part of the host interface in exports/stats_abi.h): prefix + call + tail.
// The tail is code page 1251 (Russian: not twice within one and the same tour).
inline constexpr std::string_view kRepeatPrefix = "QSO c ";
inline constexpr std::string_view kRepeatTail =
    " \xC2 \xCE\xC4\xCD\xCE\xCC \xC8 \xD2\xCE\xCC \xC6\xC5 \xD2\xD3\xD0\xC5 "
    "\xCF\xD0\xCE\xC2\xCE\xC4\xC8\xD2\xDC \xCD\xC5\xCB\xDC\xC7\xDF !!!";

}  // namespace velmor::rules
