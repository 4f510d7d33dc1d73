// The exported entry points of Stats.dll: short shims from the host's parameters to the one plug-in state object.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "boundary_guard.h"
#include "debug_trace.h"
#include "log/contest_rules.h"
#include "session/stats_plugin.h"
#include "stats_abi.h"
#include "win32_services.h"

namespace {

// The plug-in's global state with the Win32 services it is handed. Built on the first
// call of any entry point (not in DllMain) and destroyed when the library is unloaded.
struct PluginInstance {
    velmor::win32::SystemClock clock;
    velmor::win32::Win32FileSystem files;
    velmor::win32::ProfileSettings settings;
    velmor::win32::DialogUi ui;
    velmor::win32::ExecLauncher launcher;
    velmor::StatsPlugin plugin{velmor::Services{clock, files, settings, ui, launcher}};
};

velmor::StatsPlugin& Plugin() {
    static PluginInstance instance;
    return instance.plugin;
}

std::string Text(const char* p) { return p != nullptr ? std::string(p) : std::string(); }

// A copy of the host's record; a missing record is a null date-time, an unknown status an
// invalid one.
velmor::OleDateTime Date(const COleDateTime* p) {
    velmor::OleDateTime t;
    if (p == nullptr) {
        t.status = velmor::DateStatus::Null;
        return t;
    }
    t.date = p->m_dt;
    switch (p->m_status) {
        case COleDateTime::valid: t.status = velmor::DateStatus::Valid; break;
        case COleDateTime::null: t.status = velmor::DateStatus::Null; break;
        default: t.status = velmor::DateStatus::Invalid; break;
    }
    return t;
}

velmor::QsoFields Fields(const char* ownCall, const char* call, const COleDateTime* qsoTime,
                         std::uint32_t freqHz, const char* mode, const char* rstSent,
                         const char* rstRcvd, const char* exchSent, const char* exchRcvd,
                         const char* hostText23, const char* hostText30, const char* band) {
    velmor::QsoFields q;
    q.ownCall = Text(ownCall);
    q.call = Text(call);
    q.time = Date(qsoTime);
    q.freqHz = freqHz;
    q.mode = Text(mode);
    q.rstSent = Text(rstSent);
    q.rstRcvd = Text(rstRcvd);
    q.exchSent = Text(exchSent);
    q.exchRcvd = Text(exchRcvd);
    q.hostText23 = Text(hostText23);
    q.hostText30 = Text(hostText30);
    q.band = Text(band);
    return q;
}

// Copies `text` with its terminating zero into the host's buffer of `size` bytes, cut to
// size - 1 bytes when longer; nothing past the buffer is written.
void CopyBounded(const std::string& text, char* buffer, std::size_t size) {
    velmor::boundary::copyToHostBuffer(text.data(), text.size(), buffer, size);
}

const char kEmptyText[] = "";

// Runs an export's work; anything thrown (memory exhaustion included) becomes the export's
// safe answer and a line for the debug-output viewer.
template <typename R, typename Body>
R Guarded(const char* exportName, R safeAnswer, Body&& body) noexcept {
    return velmor::boundary::guarded(&velmor::win32::DebugOutput, exportName, safeAnswer,
                                     std::forward<Body>(body));
}

}  // namespace

extern "C" {

std::int32_t __cdecl AddData0(
    const char* ownCall, const char* call, COleDateTime* qsoTime, COleDateTime*, COleDateTime*,
    COleDateTime*, std::uint32_t, std::uint32_t freqHz, const char* mode, const char* rstSent,
    const char* rstRcvd, const char* exchSent, const char* exchRcvd, const char*, const char*,
    const char*, const char*, const char*, const char*, const char*, const char*, const char*,
    const char* hostText23, std::int32_t, std::int32_t, std::int32_t, double, double,
    const char*, const char* hostText30, const char*, const char* band, const char*) {
    return Guarded("AddData0", std::int32_t{0} /* not stored */, [&] {
        return Plugin().AddData(Fields(ownCall, call, qsoTime, freqHz, mode, rstSent, rstRcvd,
                                       exchSent, exchRcvd, hostText23, hostText30, band));
    });
}

std::int32_t __cdecl RemoveData0(
    const char* ownCall, const char* call, COleDateTime* qsoTime, COleDateTime*, COleDateTime*,
    COleDateTime*, std::uint32_t, std::uint32_t freqHz, const char* mode, const char* rstSent,
    const char* rstRcvd, const char* exchSent, const char* exchRcvd, const char*, const char*,
    const char*, const char*, const char*, const char*, const char*, const char*, const char*,
    const char* hostText23, std::int32_t, std::int32_t, std::int32_t, double, double,
    const char*, const char* hostText30, const char*, const char* band, const char*) {
    // The host passes the deleted QSO whole: its exchanges and date-time pick it out
    // among several QSOs with the same call, band and mode.
    return Guarded("RemoveData0", std::int32_t{1}, [&] {
        return Plugin().RemoveData(Fields(ownCall, call, qsoTime, freqHz, mode, rstSent, rstRcvd,
                                          exchSent, exchRcvd, hostText23, hostText30, band));
    });
}

std::int32_t __cdecl CheckCall0(
    const char* call, std::uint32_t, std::uint32_t, const char* mode, const char*, const char*,
    const char*, const char*, const char*, const char*, const char*, const char*, const char*,
    const char*, std::int32_t, std::int32_t, std::int32_t, double, double, const char*,
    const char*, const char*, const char*, const char*, const char* band, const char*, char*,
    char* outText) {
    return Guarded("CheckCall0", std::int32_t{1} /* no warning */, [&] {
        const velmor::CheckCallResult r = Plugin().CheckCall(Text(call), Text(mode), Text(band));
        if (r.result != 1) CopyBounded(r.warning, outText, kCheckCallTextSize);
        return r.result;
    });
}

std::int32_t __cdecl ResetStats0(
    const char*, std::int32_t writeCabrillo, const char* ownCall, COleDateTime*, COleDateTime*,
    const char*, const char*, const char*, const char*, const char*, const char*, const char*,
    const char*, const char*, const char*, std::int32_t, std::int32_t, std::int32_t, double,
    double, const char*, const char*, const char*) {
    return Guarded("ResetStats0", std::int32_t{1},
                   [&] { return Plugin().ResetStats(writeCabrillo, Text(ownCall)); });
}

std::int32_t __cdecl IsValidExchg0(const char* exchange, const char*, const char*, const char*,
                                   std::int32_t, std::int32_t, std::int32_t) {
    return Guarded("IsValidExchg0", std::int32_t{0},
                   [&] { return velmor::IsValidExchange(Text(exchange)); });
}

std::int32_t __cdecl GetNumberOfSets() { return 1; }

const char* __cdecl GetSetName(std::int32_t index) {
    static const char kName[] = "Velmor";
    static_assert(sizeof kName - 1 == velmor::rules::kSetName.size(), "set name");
    return index == 0 ? kName : kEmptyText;
}

const char* __cdecl GetResult0(std::int32_t* score) {
    const char* text = Guarded("GetResult0", static_cast<const char*>(nullptr), [&] {
        std::int32_t value = 0;
        const char* result = Plugin().GetResult(&value).c_str();
        if (score != nullptr) *score = value;
        return result;
    });
    if (text == nullptr) {  // failed: an empty text and a zero score, as always
        if (score != nullptr) *score = 0;
        return kEmptyText;
    }
    return text;
}

void __cdecl SetupSet0() {
    MessageBoxA(nullptr, "No additional setup for this contest", nullptr, MB_OK);
}

}  // extern "C"
