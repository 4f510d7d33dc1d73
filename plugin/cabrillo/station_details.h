// The station details: the twelve texts of the dialog, and the one table that says where each goes.
#pragma once

#include <cstddef>
#include <string>

namespace velmor {

// The twelve texts of the station-details dialog, plain (real line breaks in the
// multi-line ones); the escaped and tagged forms are made only where they are written.
struct StationDetails {
    std::string callsign;
    std::string claimed;
    std::string club;
    std::string category;
    std::string contest;
    std::string email;
    std::string name;
    std::string operators;
    std::string soapbox;
    std::string address;
    std::string categoryOperator;
    std::string location;
};

// Where a field's value comes from when the dialog opens.
enum class FieldSource {
    OwnCall,            // the host's own call sign
    Settings,           // the settings key, "" when missing
    SettingsOrOwnCall,  // the settings key, the own call sign when missing
    Fixed,              // always `fixedValue` (a stored value is never read back)
};

// How the dialog shows a field.
enum class FieldControl {
    Edit,       // one-line edit
    MultiLine,  // multi-line edit: every line break shown as CR LF
    Combo,      // editable drop-down: a matching list item is selected
};

// One row per field. Orders count from 1; 0 means the field takes no part in that step.
//
// | field            | key       | ml | control          | tag               | read | write | line |
// |------------------|-----------|----|------------------|-------------------|------|-------|------|
// | contest          | Contest   |    | 1009 Edit        | (fixed "Velmor ") |      |   5   |      |
// | callsign         |           |    | 1010 Edit        | CALLSIGN          |      |       |  3   |
// | claimed          | Claimed   |    | 1008 Edit        | (the score)       |  5   |       |      |
// | categoryOperator |           |    | 1014 Combo       | CATEGORY-OPERATOR |      |       |  4   |
// | location         | Location  |    | 1000 Edit        | LOCATION          |  3   |   8   |  6   |
// | category         | Category  |    | 1013 Combo       | CATEGORY          |      |   4   |  5   |
// | name             | Name      |    | 1007 Edit        | NAME              |  2   |   2   | 11   |
// | address          | Address   | ml | 1002 MultiLine   | ADDRESS           |  4   |   3   | 12   |
// | operators        | Operators | ml | 1006 MultiLine   | OPERATORS         |  1   |   1   | 13   |
// | club             | Club      |    | 1005 Edit        | CLUB              |  7   |   7   |  8   |
// | soapbox          | SoapBox   | ml | 1001 MultiLine   | SOAPBOX           |  8   |   9   | 14   |
// | email            | Email     |    | 1004 Edit        | EMAIL             |  6   |   6   | 10   |
//
// ml (multi-line): escaped in the settings file (CR as "<CR>", LF as "<LF>"), one tagged
// header line per line in the Cabrillo file. "line" is the header line number of the file
// (lines 1, 2, 7 and 9 are fixed or the score; see cabrillo_log.h). The rows are in the
// dialog's order of filling its controls.
struct StationField {
    const char* field;                      // the member's name
    std::string StationDetails::*member;
    const char* settingsKey;                // nullptr: never stored
    bool multiLine;
    int controlId;                          // the dialog's control (station_dialog_ids.h)
    FieldControl control;
    FieldSource source;
    const char* fixedValue;                 // for FieldSource::Fixed
    bool takenFromDialog;                   // false: what the operator typed is discarded
    const char* cabrilloTag;                // nullptr: no header line of its own
    int headerLine;
    int readOrder;
    int writeOrder;
};

inline constexpr std::size_t kStationFieldCount = 12;
inline constexpr StationField kStationFields[kStationFieldCount] = {
    {"contest", &StationDetails::contest, "Contest", false, 1009, FieldControl::Edit,
     FieldSource::Fixed, "Velmor", true, nullptr, 0, 0, 5},
    {"callsign", &StationDetails::callsign, nullptr, false, 1010, FieldControl::Edit,
     FieldSource::OwnCall, nullptr, true, "CALLSIGN", 3, 0, 0},
    // The score report owns the "Claimed" key: the dialog shows it, the file prints the score.
    {"claimed", &StationDetails::claimed, "Claimed", false, 1008, FieldControl::Edit,
     FieldSource::Settings, nullptr, false, nullptr, 0, 5, 0},
    {"categoryOperator", &StationDetails::categoryOperator, nullptr, false, 1014,
     FieldControl::Combo, FieldSource::Fixed, "SINGLE-OP", true, "CATEGORY-OPERATOR", 4, 0, 0},
    {"location", &StationDetails::location, "Location", false, 1000, FieldControl::Edit,
     FieldSource::Settings, nullptr, true, "LOCATION", 6, 3, 8},
    {"category", &StationDetails::category, "Category", false, 1013, FieldControl::Combo,
     FieldSource::Fixed, "A1", true, "CATEGORY", 5, 0, 4},
    {"name", &StationDetails::name, "Name", false, 1007, FieldControl::Edit,
     FieldSource::Settings, nullptr, true, "NAME", 11, 2, 2},
    {"address", &StationDetails::address, "Address", true, 1002, FieldControl::MultiLine,
     FieldSource::Settings, nullptr, true, "ADDRESS", 12, 4, 3},
    {"operators", &StationDetails::operators, "Operators", true, 1006, FieldControl::MultiLine,
     FieldSource::SettingsOrOwnCall, nullptr, true, "OPERATORS", 13, 1, 1},
    {"club", &StationDetails::club, "Club", false, 1005, FieldControl::Edit,
     FieldSource::Settings, nullptr, true, "CLUB", 8, 7, 7},
    {"soapbox", &StationDetails::soapbox, "SoapBox", true, 1001, FieldControl::MultiLine,
     FieldSource::Settings, nullptr, true, "SOAPBOX", 14, 8, 9},
    {"email", &StationDetails::email, "Email", false, 1004, FieldControl::Edit,
     FieldSource::Settings, nullptr, true, "EMAIL", 10, 6, 6},
};

// The lists of the dialog's two drop-downs, in the order the dialog adds them: CATEGORY's
// list is unsorted and shows them so; CATEGORY-OPERATOR's sorts itself (MULTI-OP first).
inline constexpr const char* kCategories[] = {"A1", "B1", "B2", "B3", "C1"};
inline constexpr const char* kCategoryOperators[] = {"SINGLE-OP", "MULTI-OP"};

// The row of a member; nullptr for a pointer that is not in the table.
constexpr const StationField* stationField(std::string StationDetails::*member) {
    for (const StationField& f : kStationFields)
        if (f.member == member) return &f;
    return nullptr;
}

}  // namespace velmor
