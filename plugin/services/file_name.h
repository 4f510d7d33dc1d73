// Which names Windows takes as a plain file in the working folder, and how a call sign becomes one.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// A byte Windows refuses in a file name: < > : " / \ | ? * and the control characters
// 0x01-0x1F (and zero). Bytes 0x80 and above (code page 1251 letters) are allowed.
bool isForbiddenFileNameChar(char c);

// Whether Windows maps `fileName` to a device: CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9,
// in any letter case, alone or followed by blanks and/or an extension ("nul.txt",
// "COM1 .cbr").
bool isReservedDeviceName(std::string_view fileName);

// True when `fileName` names a plain file in the working folder, unchanged: not empty, no
// forbidden byte, not a device, and no blank or dot at its end (which Windows would drop).
bool isPlainFileName(std::string_view fileName);

// `name` made safe as a file's base name (an extension is appended later): every forbidden
// byte becomes "_", and a device name gets "_" right after the device word, so that "CON"
// becomes "CON_" and "LPT1.X" becomes "LPT1_.X". Any other name is returned unchanged.
std::string safeFileBaseName(std::string name);

}  // namespace velmor
