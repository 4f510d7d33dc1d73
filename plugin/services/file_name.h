// Which names Windows takes as a plain file in the working folder, and how a call sign becomes one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// Whether velmor crosscheck reads `name` from a log folder: a name ending in ".cbr" or ".log"
// in any letter case, with something before it (".cbr" alone is a hidden file's name).
bool isLogFileName(std::string_view name);

// ---- A call sign as a file's name (velmor's reports and the robot's export) ----
//
// | step                                         | example                                  |
// |----------------------------------------------|------------------------------------------|
// | ASCII letters, digits and '-' kept; every    | "RZ3VLM/P" -> RZ3VLM_P, "UA1AAA. " ->    |
// |   other byte becomes "_" (so no forbidden    |   UA1AAA__, "../x" -> ___x; letters of   |
// |   byte, no dot or blank at the end, and the  |   other alphabets too, which each file   |
// |   same name in every encoding and code page) |   system and code page would read apart) |
// | an empty call                                | "_"                                      |
// | a device name gets "_" (safeFileBaseName)    | "CON" -> CON_, "com1" -> com1_           |
// | a name longer than the room (the extension   | the first bytes, "-" and 12 hex digits   |
// |   and a "-N" included) is cut                |   of the call's hash (FNV-1a, 64 bits)   |
// | callFileNames: a name given already in the   | "-2", "-3", ... before the extension;    |
// |   run, letter case aside (one file on        |   calls that needed no change keep the   |
// |   Windows)                                   |   plain name                             |

// The longest name a call gets when nothing shorter is asked (extension included).
inline constexpr std::size_t kLongestCallFileName = 64;

// The name for one call, with `extension` (".txt") appended, at most `longest` bytes.
std::string callFileName(std::string_view call, std::string_view extension,
                         std::size_t longest = kLongestCallFileName);

// Names for every call of a run, in the order given, unique also by letter case.
std::vector<std::string> callFileNames(const std::vector<std::string>& calls, std::string_view extension,
                                       std::size_t longest = kLongestCallFileName);

// The longest call file name that fits in `folder`: kLongestCallFileName, and on Windows
// also what keeps the whole path of the file and of its temporary file
// ("NAME.<16 hex digits>.tmp") within the 259 characters the system's paths take.
std::size_t longestCallFileNameIn(const std::string& folder);

}  // namespace velmor
