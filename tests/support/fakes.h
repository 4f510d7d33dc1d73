// Test doubles for the core's services: a settable clock, the core's files in memory,
// settings in a map that records every write, a scripted dialog and a launcher that records
// its calls.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cabrillo/station_details.h"
#include "services/memory_files.h"
#include "services/services.h"

namespace velmor::test {

class FakeClock : public Clock {
public:
    CalendarTime now{2026, 6, 13, 12, 30, 0};
    CalendarTime utcNow() const override { return now; }
};

// Files in memory: the core's one in-memory file system, the same the velmor program runs
// the plug-in on.
using MemoryFileSystem = velmor::MemoryFileSystem;

class MapSettings : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> writes;  // in order
    std::vector<std::string> reads;                           // keys, in order

    std::string read(const std::string& key, const std::string& fallback) override {
        reads.push_back(key);
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void write(const std::string& key, const std::string& value) override {
        writes.emplace_back(key, value);
        values[key] = value;
    }
};

class ScriptedUi : public Ui {
public:
    // What the dialog does: edits the details and returns OK (true) or Cancel (false).
    std::function<bool(StationDetails&)> dialog = [](StationDetails&) { return true; };
    std::vector<StationDetails> dialogOpenedWith;
    std::vector<std::string> outputs;

    bool editStationDetails(StationDetails& details) override {
        dialogOpenedWith.push_back(details);
        StationDetails edited = details;
        if (!dialog(edited)) return false;
        details = edited;
        return true;
    }
    void showOutput(const std::string& text) override { outputs.push_back(text); }
};

class RecordingLauncher : public Launcher {
public:
    std::vector<std::string> started;
    void start(const std::string& commandLine) override { started.push_back(commandLine); }
};

// All fakes together with the Services view the plug-in takes.
struct FakeServices {
    FakeClock clock;
    MemoryFileSystem files;
    MapSettings settings;
    ScriptedUi ui;
    RecordingLauncher launcher;
    Services services() { return Services{clock, files, settings, ui, launcher}; }
};

}  // namespace velmor::test
