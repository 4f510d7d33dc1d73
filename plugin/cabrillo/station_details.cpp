// The station-details step: settings into the dialog, its answers into settings and header.
#include <algorithm>
#include <array>

#include "cabrillo/cabrillo_log.h"

namespace velmor {

namespace {
// The table's rows sorted by one of its order columns, rows with order 0 left out.
template <typename Order>
std::array<const StationField*, kStationFieldCount> inOrder(Order order, std::size_t& count) {
    std::array<const StationField*, kStationFieldCount> rows{};
    count = 0;
    for (const StationField& f : kStationFields)
        if (order(f) != 0) rows[count++] = &f;
    std::sort(rows.begin(), rows.begin() + count,
              [&](const StationField* a, const StationField* b) { return order(*a) < order(*b); });
    return rows;
}
}  // namespace

bool CCabrilloLog::EditStationDetails(const std::string& ownCall, SettingsStore& settings, Ui& ui) {
    // The file name follows the host's own call, not what the operator types as CALLSIGN.
    baseName = cabrilloBaseName(ownCall);

    for (const StationField& f : kStationFields) {
        if (f.source == FieldSource::OwnCall) this->*f.member = ownCall;
        if (f.source == FieldSource::Fixed) this->*f.member = f.fixedValue;
    }
    // Stored values, read in the table's read order; a missing file or key gives the default.
    std::size_t count = 0;
    const auto reads = inOrder([](const StationField& f) { return f.readOrder; }, count);
    for (std::size_t i = 0; i < count; ++i) {
        const StationField& f = *reads[i];
        const std::string fallback = f.source == FieldSource::SettingsOrOwnCall ? ownCall : "";
        const std::string stored = settings.read(f.settingsKey, fallback);
        this->*f.member = f.multiLine ? unescapeLineBreaks(stored) : stored;
    }

    StationDetails details = *this;
    const bool confirmed = ui.editStationDetails(details);
    if (confirmed) {
        for (const StationField& f : kStationFields)
            if (f.takenFromDialog) this->*f.member = details.*f.member;
        const auto writes = inOrder([](const StationField& f) { return f.writeOrder; }, count);
        for (std::size_t i = 0; i < count; ++i) {
            const StationField& f = *writes[i];
            const std::string& value = this->*f.member;
            settings.write(f.settingsKey, f.multiLine ? escapeLineBreaks(value) : value);
        }
    }
    // A cancelled dialog still leaves the stored details ready for the writer (the next
    // score request writes the file while Cabrillo output stays on).
    qsoLines.clear();
    return confirmed;
}

}  // namespace velmor
