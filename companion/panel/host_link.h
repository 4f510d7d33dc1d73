// The companion's link to the host's automation object: late-bound calls on the plain COM API.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace orvin {

// The host's automation contract, as the companion uses it:
//
// | What          | Value               | Call                                              |
// |---------------|---------------------|---------------------------------------------------|
// | ProgID        | "Kova2.Application" | CLSIDFromProgID + GetActiveObject (never starts it)|
// | ExecuteMacros | method              | one BSTR argument: one macro in angle brackets    |
// | Mode          | property get        | the host's mode name, a string                    |
constexpr wchar_t kHostProgId[] = L"Kova2.Application";

class HostLink {
public:
    HostLink() = default;
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    // Attaches to the running host's object. On success the new reference replaces the one
    // held; on failure the held reference is left as it was and the failure is returned.
    HRESULT Attach();
    void Release();
    bool attached() const { return app_ != nullptr; }

    // Calls ExecuteMacros with `macro` (ANSI text, widened with the system code page).
    HRESULT ExecuteMacros(const std::string& macro);
    // Reads the property Mode into `mode` (narrowed with the system code page).
    HRESULT ReadMode(std::string* mode);

private:
    HRESULT Call(const wchar_t* member, WORD flags, DISPPARAMS* params, VARIANT* result);

    IDispatch* app_ = nullptr;
};

}  // namespace orvin
