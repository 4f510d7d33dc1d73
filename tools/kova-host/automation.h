// The stand-in host's automation object: a hand-written IDispatch with ExecuteMacros and Mode.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "host_log.h"

namespace kova {

// The class id that "Kova2.Application" resolves to in the test prefixes.
// {6A3C2B9E-4F1D-4C7A-9E2B-5D8F0A1C3E47}
constexpr CLSID kKovaApplicationClsid = {
    0x6A3C2B9E, 0x4F1D, 0x4C7A, {0x9E, 0x2B, 0x5D, 0x8F, 0x0A, 0x1C, 0x3E, 0x47}};

// Members, late-bound only (no type library):
//
// | Name          | DISPID | Kind                        | Behaviour                               |
// |---------------|--------|-----------------------------|-----------------------------------------|
// | ExecuteMacros | 1      | method, one string argument | logged; "<MODE:x>" makes Mode x         |
// | Mode          | 2      | property get/put, string    | the current mode name                   |
constexpr DISPID kDispExecuteMacros = 1;
constexpr DISPID kDispMode = 2;

class Application final : public IDispatch {
public:
    Application(HostLog& log, std::string mode, HWND notify);

    void SetMode(const std::string& mode);
    const std::string& mode() const { return mode_; }
    const std::string& lastMacro() const { return lastMacro_; }
    void SetFailing(bool failing) { failing_ = failing; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

private:
    HRESULT ExecuteMacros(DISPPARAMS* params, EXCEPINFO* exception, UINT* argError);
    HRESULT Refuse(EXCEPINFO* exception);
    void Changed();

    LONG refs_ = 1;
    HostLog& log_;
    std::string mode_;
    std::string lastMacro_;
    bool failing_ = false;
    HWND notify_;  // repainted when the mode or the last macro changes
};

}  // namespace kova
