// The panel's designed layout in twips (window_support.h turns twips into pixels).
#pragma once

#include <windows.h>

#include "panel_commands.h"
#include "window_support.h"

namespace orvin {

// Form1, in twips (1440 a logical inch; 15 twips a pixel at 96 dpi):
//
// | Part     | Caption          | Left | Top | Width | Height |
// |----------|------------------|------|-----|-------|--------|
// | client   | "Velmor" + 7 " " |      |     | 2640  | 600    |
// | Command1 | "CW"             | 120  | 120 | 732   | 372    |
// | Command2 | "PSK63"          | 960  | 120 | 732   | 372    |
// | Command3 | "SSB"            | 1800 | 120 | 732   | 372    |
//
// Background RGB C0C0C0; buttons drawn in RGB E0E0E0 with Verdana 7.5 pt bold, Cyrillic
// character set; Timer1 ticks every 500 ms.
constexpr char kPanelCaption[] = "Velmor       ";
constexpr int kClientWidthTwips = 2640;
constexpr int kClientHeightTwips = 600;

struct ButtonLayout {
    int id;
    const char* caption;
    int left, top, width, height;  // twips
};

constexpr ButtonLayout kModeButtons[] = {
    {kCmdCw, "CW", 120, 120, 732, 372},
    {kCmdPsk63, "PSK63", 960, 120, 732, 372},
    {kCmdSsb, "SSB", 1800, 120, 732, 372},
};

constexpr COLORREF kPanelBackColor = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kButtonFaceColor = RGB(0xE0, 0xE0, 0xE0);
constexpr char kButtonFontFace[] = "Verdana";
constexpr int kButtonFontTenthsOfPoint = 75;
constexpr UINT kWatchdogMilliseconds = 500;

}  // namespace orvin
