// The services the portable core is handed: clock, files, settings, dialogs, program start.
// The DLL implements them with Win32 calls; tests hand in fakes.
#pragma once

#include <optional>
#include <string>

#include "services/calendar_time.h"

namespace velmor {

// The current time in UTC (GetSystemTime in the DLL).
class Clock {
public:
    virtual ~Clock() = default;
    virtual CalendarTime utcNow() const = 0;
};

// Files relative to the host's current directory. All bytes are written as given
// (binary; callers put CR LF themselves).
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates or truncates `name` and writes `bytes`. False when the file could not be
    // opened or fully written.
    virtual bool writeFile(const std::string& name, const std::string& bytes) = 0;
    // Appends `bytes` to `name`, creating it if missing.
    virtual bool appendFile(const std::string& name, const std::string& bytes) = 0;
    // Whole content of `name`; nullopt when it cannot be opened.
    virtual std::optional<std::string> readFile(const std::string& name) = 0;
    // Writes `bytes` to a temporary file in the same folder and then puts it in place of
    // `name`, so a failure leaves an earlier `name` as it was. Returns an empty string on
    // success, else the reason the system gave.
    virtual std::string replaceFile(const std::string& name, const std::string& bytes) = 0;
};

// The settings file "Plugins\VARDO.ini", section "Settings" (private-profile functions in
// the DLL). Values are read whole, however long.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string read(const std::string& key, const std::string& fallback) = 0;
    virtual void write(const std::string& key, const std::string& value) = 0;
};

// The station details live with the Cabrillo code (cabrillo/station_details.h); this layer
// only passes them by reference.
struct StationDetails;

// The modal windows the plug-in shows inside a host call.
class Ui {
public:
    virtual ~Ui() = default;
    // Shows the station-details dialog filled from `details`; on OK copies the fields back
    // into `details` and returns true; on Cancel returns false and leaves it unchanged.
    virtual bool editStationDetails(StationDetails& details) = 0;
    // The "Output" message box after a Cabrillo request.
    virtual void showOutput(const std::string& text) = 0;
};

// Starts a program (WinExec in the DLL); the outcome is not examined.
class Launcher {
public:
    virtual ~Launcher() = default;
    virtual void start(const std::string& commandLine) = 0;
};

struct Services {
    Clock& clock;
    FileSystem& files;
    SettingsStore& settings;
    Ui& ui;
    Launcher& launcher;
};

}  // namespace velmor
