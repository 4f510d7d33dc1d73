// The station-details step: settings into the dialog, its answers into settings and header.
#include "cabrillo/cabrillo_log.h"

namespace velmor {

namespace {
const std::string kTagAddress = "ADDRESS";
const std::string kTagOperators = "OPERATORS";
const std::string kTagSoapBox = "SOAPBOX";
}  // namespace

void CCabrilloLog::escapeMultiLineFields() {
    address = escapeLineBreaks(address);
    operators = escapeLineBreaks(operators);
    soapbox = escapeLineBreaks(soapbox);
}

void CCabrilloLog::tagMultiLineFields() {
    soapbox = tagLineBreaks(soapbox, kTagSoapBox);
    address = tagLineBreaks(address, kTagAddress);
    operators = tagLineBreaks(operators, kTagOperators);
}

bool CCabrilloLog::EditStationDetails(const std::string& ownCall, SettingsStore& settings, Ui& ui) {
    namespace c = cabrillo;
    callsign = ownCall;
    // The file name follows the host's own call, not what the operator types as CALLSIGN.
    baseName = cabrilloBaseName(ownCall);

    // Reads in this order; a missing file or key gives the default.
    operators = unescapeLineBreaks(settings.read(c::kKeyOperators, ownCall));
    name = settings.read(c::kKeyName, "");
    location = settings.read(c::kKeyLocation, "");
    address = unescapeLineBreaks(settings.read(c::kKeyAddress, ""));
    claimed = settings.read(c::kKeyClaimed, "");
    contest = c::kContest;
    categoryOperator = c::kCategoryOperator;
    category = c::kCategory;
    email = settings.read(c::kKeyEmail, "");
    club = settings.read(c::kKeyClub, "");
    soapbox = unescapeLineBreaks(settings.read(c::kKeySoapBox, ""));

    StationDetails details;
    details.callsign = callsign;
    details.claimed = claimed;
    details.club = club;
    details.category = category;
    details.contest = contest;
    details.email = email;
    details.name = name;
    details.operators = operators;
    details.soapbox = soapbox;
    details.address = address;
    details.categoryOperator = categoryOperator;
    details.location = location;

    const bool confirmed = ui.editStationDetails(details);
    if (confirmed) {
        // What the operator typed as CLAIMED is discarded: the score report owns that key.
        callsign = details.callsign;
        operators = details.operators;
        category = details.category;
        categoryOperator = details.categoryOperator;
        location = details.location;
        name = details.name;
        address = details.address;
        contest = details.contest;
        email = details.email;
        club = details.club;
        soapbox = details.soapbox;
    }

    escapeMultiLineFields();
    if (confirmed) {
        settings.write(c::kKeyOperators, operators);
        settings.write(c::kKeyName, name);
        settings.write(c::kKeyAddress, address);
        settings.write(c::kKeyCategory, category);
        settings.write(c::kKeyContest, contest);
        settings.write(c::kKeyEmail, email);
        settings.write(c::kKeyClub, club);
        settings.write(c::kKeyLocation, location);
        settings.write(c::kKeySoapBox, soapbox);
    }
    // A cancelled dialog still leaves the stored details ready for the writer (the next
    // score request writes the file while Cabrillo output stays on), so that the file
    // never carries bare line breaks in its header.
    tagMultiLineFields();
    qsoLines.clear();
    return confirmed;
}

}  // namespace velmor
