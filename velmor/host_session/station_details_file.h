// The station-details file that velmor cabrillo --details reads: its template and its check.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmor::cli {

// A commented settings file with every key the station-details dialog keeps (the table in
// cabrillo/station_details.h), in the form of the plug-in's "Plugins\VARDO.ini", ready to
// fill in: ASCII, CR LF, notes on lines that start with ';' (which the profile functions
// and the plug-in's reader skip). Written as the dialog's defaults, so that passing it
// unchanged gives the same Cabrillo file as no file at all.
std::string stationDetailsTemplate();

// What a settings file holds that the dialog will not use, one warning each (without the
// file name): no [Settings] section; a key the dialog does not keep, named; a Category
// other than the dialog's first one and `categoryUsed`, which the dialog never reads back.
std::vector<std::string> stationDetailsWarnings(const std::string& bytes, std::string_view categoryUsed);

// The dialog's categories joined for messages: "A1, B1, B2, B3, C1".
std::string categoryList();
// The dialog's category written `text` in any letter case, as the list spells it; empty
// when it is none of them.
std::string findCategory(std::string_view text);

}  // namespace velmor::cli
