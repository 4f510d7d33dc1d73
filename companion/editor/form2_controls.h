// Form2's window class, caption and control IDs, shared by the editor and the tests that drive it.
#pragma once

namespace orvin::form2 {

inline constexpr char kWindowClass[] = "OrvinHeaderEditor";
inline constexpr char kFrameClass[] = "OrvinHeaderEditorFrame";
inline constexpr char kCaption[] = "DALMET FORM";
// Caption of the message box that reports a failed OK.
inline constexpr char kMessageCaption[] = "Orvin";

// Control IDs (children of the frame Frame1, which is the form's only direct child).
enum ControlId : int {
    kFrame1 = 100,
    kText1 = 101,    // CALLSIGN
    kText2 = 102,    // CONTEST
    kCombo1 = 103,   // CATEGORY-OPERATOR
    kCombo4 = 104,   // CATEGORY-BAND
    kText10 = 110,   // CATEGORY-MODE
    kText11 = 111,   // LOCATION
    kText3 = 203,    // CLAIMED
    kText12 = 112,   // CREATED-BY
    kText4 = 204,    // NAME
    kText8 = 208,    // ADDRESS (multi-line)
    kText6 = 206,    // CLUB
    kText5 = 205,    // OPERATORS (multi-line)
    kText9 = 209,    // SOAPBOX (multi-line)
    kText7 = 207,    // E-MAIL
    kMyCall = 301,   // hidden, linked to the host's item "MyCall"
    kVersion = 302,  // hidden, linked to the host's item "Version"
    kCommand1 = 401,  // OK
    kCommand2 = 402,  // CANCEL
};

}  // namespace orvin::form2
