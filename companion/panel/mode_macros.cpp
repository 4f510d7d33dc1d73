// The panel's start-up and mode-button macros (the table is in mode_macros.h).
#include "mode_macros.h"

namespace orvin {
namespace {

constexpr char kMacroCw[] = "<MODE:CW>";
constexpr char kMacroBpsk[] = "<MODE:BPSK31>";
constexpr char kMacroBaud31[] = "<BAUDRATE:31>";
constexpr char kMacroBaud63[] = "<BAUDRATE:63>";
constexpr char kMacroSsb[] = "<MODE:SSB>";
// The host's name for the mode that PSK63 is a baud rate of.
constexpr char kBpskModeName[] = "BPSK31";

}  // namespace

std::vector<std::string> StartupMacros() { return {kMacroBpsk, kMacroBaud31}; }

std::vector<std::string> ModeButtonMacros(ModeButton button, const ReadHostMode& readMode) {
    switch (button) {
    case ModeButton::Cw:
        return {kMacroCw};
    case ModeButton::Psk63: {
        const std::optional<std::string> mode = readMode ? readMode() : std::nullopt;
        if (mode && *mode == kBpskModeName) return {kMacroBaud63};
        return {kMacroBpsk, kMacroBaud63};
    }
    case ModeButton::Ssb:
        return {kMacroSsb};
    }
    return {};
}

}  // namespace orvin
