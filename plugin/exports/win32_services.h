// The core's services on Win32: UTC clock, files, the private-profile settings file, dialogs and program start.
#pragma once

#include <windows.h>

#include <string>

#include "services/services.h"
#include "services/stdio_files.h"
#include "win32_files.h"

namespace velmor::win32 {

// GetSystemTime.
class SystemClock : public Clock {
public:
    CalendarTime utcNow() const override;
};

// The portable file helpers on the Win32 table: the replace step is MoveFileExW, which
// (unlike rename) puts a file in place of an existing one.
class Win32FileSystem : public StdioFileSystem {
public:
    Win32FileSystem() : StdioFileSystem({}, Win32FileOps()) {}
};

// "Plugins\VARDO.ini", section "Settings", through the private-profile functions. The path
// is made absolute against the current directory on every call: a relative path in those
// functions can end up in the Windows directory.
class ProfileSettings : public SettingsStore {
public:
    std::string read(const std::string& key, const std::string& fallback) override;
    void write(const std::string& key, const std::string& value) override;
};

// The station-details dialog (from this module's resources) and the "Output" box.
class DialogUi : public Ui {
public:
    bool editStationDetails(StationDetails& details) override;
    void showOutput(const std::string& text) override;
};

// WinExec with the show-normal state; the outcome is not examined.
class ExecLauncher : public Launcher {
public:
    void start(const std::string& commandLine) override;
};

// The handle of the module (DLL) this code is linked into.
HINSTANCE thisModule();

// `relative` made absolute against the current directory (as given when that fails).
std::string absolutePath(const std::string& relative);

}  // namespace velmor::win32
