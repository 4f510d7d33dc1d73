// The station-details file for velmor cabrillo --details: the template and what it warns about.
#include "host_session/station_details_file.h"

#include <algorithm>

#include "cabrillo/ini_file.h"
#include "cabrillo/station_details.h"
#include "services/memory_files.h"
#include "services/shown_text.h"
#include "log/contest_rules.h"
#include "services/text.h"

namespace velmor::cli {
namespace {

const std::string kFile = "details.ini";

// What a key means for the operator, from its row of the table.
std::string note(const StationField& f) {
    std::string text;
    if (f.member == &StationDetails::claimed)
        return "the score the plug-in counted last; the dialog shows it, the Cabrillo file always carries the "
               "score velmor counts (CLAIMED-SCORE:)";
    if (f.member == &StationDetails::category)
        return "the CATEGORY: line; written by the dialog but never read back: the dialog always opens at " +
               std::string(f.fixedValue) + ". Choose another with velmor cabrillo --category (" + categoryList() +
               ")";
    if (f.member == &StationDetails::contest)
        return "written by the dialog but never read back; the file always says CONTEST: " +
               std::string(rules::kSetName);
    text = "the " + std::string(f.cabrilloTag) + ": line";
    if (f.multiLine) {
        // An example of two lines for each of the three keys.
        const char* example = f.member == &StationDetails::address     ? "ul. Lesnaya 5<CR><LF>Moscow 125040"
                              : f.member == &StationDetails::operators ? "RZ3VLM<CR><LF>UA3XYZ"
                                                                       : "Nice contest<CR><LF>73 to all";
        text += "s: several lines in one value, each line break written as <CR><LF> (" + std::string(f.settingsKey) +
                "=" + example + " gives two " + std::string(f.cabrilloTag) + ": lines)";
    }
    if (f.source == FieldSource::SettingsOrOwnCall)
        text += ". Without this key: your call sign (--call); remove the ; before it to set it";
    return text;
}

// Long notes folded into lines of at most 90 characters, each starting with "; ".
std::string noteLines(const std::string& text) {
    std::string out, line;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find(' ', from);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(from, end - from);
        if (!line.empty() && line.size() + 1 + word.size() > 88) {
            out += "; " + line + "\r\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = end + 1;
    }
    if (!line.empty()) out += "; " + line + "\r\n";
    return out;
}

}  // namespace

std::string categoryList() {
    std::string list;
    for (const char* c : kCategories) list += (list.empty() ? "" : ", ") + std::string(c);
    return list;
}

std::string findCategory(std::string_view text) {
    for (const char* c : kCategories)
        if (text::equalsNoCase(text, c)) return c;
    return {};
}

std::string stationDetailsTemplate() {
    std::string out = noteLines(
        "Station details for velmor cabrillo --details FILE, in the form of the plug-in's Plugins\\VARDO.ini "
        "(where its station-details dialog keeps them). Write each value after its = sign; an empty value "
        "gives an empty line in the Cabrillo file. Lines that start with ; are notes. Save the file as ANSI "
        "(code page 1251), as the plug-in writes it.");
    out += "[" + std::string(rules::kSettingsSection) + "]\r\n";
    // The keys in the order the dialog writes them on OK, then the one it only reads.
    std::vector<const StationField*> rows;
    for (const StationField& f : kStationFields)
        if (f.settingsKey) rows.push_back(&f);
    std::stable_sort(rows.begin(), rows.end(), [](const StationField* a, const StationField* b) {
        return (a->writeOrder ? a->writeOrder : 100) < (b->writeOrder ? b->writeOrder : 100);
    });
    for (const StationField* f : rows) {
        out += noteLines(std::string(f->settingsKey) + ": " + note(*f) + ".");
        const std::string value = f->source == FieldSource::Fixed ? f->fixedValue : "";
        out += std::string(f->source == FieldSource::SettingsOrOwnCall ? ";" : "") + f->settingsKey + "=" + value +
               "\r\n";
    }
    return out;
}

std::vector<std::string> stationDetailsWarnings(const std::string& bytes, std::string_view categoryUsed) {
    MemoryFileSystem files;
    files.files[kFile] = bytes;
    IniFileSettings settings(files, kFile, std::string(rules::kSettingsSection));
    const std::optional<std::vector<std::string>> keys = settings.keys();
    if (!keys) return {"no [" + std::string(rules::kSettingsSection) + "] section: no station details read"};
    std::vector<std::string> warnings;
    std::string known;
    for (const StationField& f : kStationFields)
        if (f.settingsKey) known += (known.empty() ? "" : ", ") + std::string(f.settingsKey);
    for (const std::string& key : *keys) {
        const bool isKnown = std::any_of(std::begin(kStationFields), std::end(kStationFields), [&](const StationField& f) {
            return f.settingsKey && text::equalsNoCase(key, f.settingsKey);
        });
        if (!isKnown) warnings.push_back("unknown key " + shown::quoted(key) + ", not used (the dialog keeps " + known + ")");
    }
    // The dialog writes the category it closed with; one it would open with anyway, or the
    // one chosen for this run, needs no word.
    const StationField& row = *stationField(&StationDetails::category);
    const char* categoryKey = row.settingsKey;
    const std::string category = settings.read(categoryKey, "");
    if (!category.empty() && category != row.fixedValue && category != categoryUsed)
        warnings.push_back(std::string(categoryKey) + "=" + category + " is not read (the dialog always opens at " +
                           row.fixedValue + "); velmor cabrillo --category " +
                           (findCategory(category).empty() ? std::string("CATEGORY") : findCategory(category)) +
                           " chooses it");
    return warnings;
}

}  // namespace velmor::cli
