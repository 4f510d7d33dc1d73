// The header editor's first values taken from the host: CALLSIGN and CREATED-BY.
// Portable (no <windows.h>): the editor's window passes the host's DDE items in and shows
// what comes back.
#pragma once

#include <string>

namespace orvin {

// | Field      | First value                                  | From the host's DDE item |
// |------------|----------------------------------------------|--------------------------|
// | CALLSIGN   | the item in upper case                       | "MyCall"                 |
// | CREATED-BY | "Kova " followed by the item in upper case   | "Version"                |
// Both are set once, when the editor's window is made; later changes of the items do not
// reach them. An item the host did not answer holds its own name ("MyCall", "Version").
std::string InitialCallsign(const std::string& myCall);
std::string InitialCreatedBy(const std::string& version);

// Upper case in code page 1251, as the operators' Windows does it in its ANSI code page:
// Latin a-z and every Cyrillic lower-case letter of the code page (ё, ђ, ѓ, љ, ... included);
// every other byte as it is.
std::string UpperCp1251(std::string text);

}  // namespace orvin
