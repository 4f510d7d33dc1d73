// A private-profile (INI) settings store on a FileSystem: one section, whole values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "services/services.h"

namespace velmor {

// Reads and writes "key=value" lines of one section the way the Windows profile functions
// do for this plug-in's use: section and key names match without regard to ASCII case,
// values are read whole with blanks trimmed at both ends, a write replaces the key's line
// or adds it at the end of the section (creating section and file when missing) and keeps
// every other line. Lines are written with CR LF. Values must not hold line breaks (the
// callers escape them). Used for native tests and tools; the DLL uses the Windows functions.
class IniFileSettings : public SettingsStore {
public:
    IniFileSettings(FileSystem& files, std::string fileName, std::string section = "Settings");

    std::string read(const std::string& key, const std::string& fallback) override;
    void write(const std::string& key, const std::string& value) override;

    // The keys of the section, in file order, as written; nullopt when the file or the
    // section is missing.
    std::optional<std::vector<std::string>> keys();

private:
    FileSystem& files_;
    std::string fileName_;
    std::string section_;
};

}  // namespace velmor
