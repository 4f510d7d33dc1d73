// HostLink: GetActiveObject, GetIDsOfNames and Invoke, with the results as HRESULT values.
#include "host_link.h"

#include <ole2.h>
#include <oleauto.h>

namespace orvin {

HostLink::~HostLink() { Release(); }

void HostLink::Release() {
    if (app_) {
        app_->Release();
        app_ = nullptr;
    }
}

HRESULT HostLink::Attach() {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kHostProgId, &clsid);
    if (FAILED(hr)) return hr;
    IUnknown* unknown = nullptr;
    hr = GetActiveObject(clsid, nullptr, &unknown);
    if (FAILED(hr)) return hr;
    if (!unknown) return E_POINTER;
    IDispatch* app = nullptr;
    hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app));
    unknown->Release();
    if (FAILED(hr)) return hr;
    if (!app) return E_NOINTERFACE;
    Release();
    app_ = app;
    return S_OK;
}

HRESULT HostLink::Call(const wchar_t* member, WORD flags, DISPPARAMS* params, VARIANT* result) {
    if (!app_) return E_HANDLE;
    // Keep our own reference for the call: a call may pump messages, and a handler run from
    // there may replace app_.
    IDispatch* app = app_;
    app->AddRef();
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    HRESULT hr = app->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr)) {
        EXCEPINFO exception{};
        UINT argError = 0;
        hr = app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, &exception,
                         &argError);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    app->Release();
    return hr;
}

HRESULT HostLink::ExecuteMacros(const std::string& macro) {
    int chars = MultiByteToWideChar(CP_ACP, 0, macro.data(), static_cast<int>(macro.size()),
                                    nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(chars > 0 ? chars : 0));
    if (!text) return E_OUTOFMEMORY;
    if (chars > 0)
        MultiByteToWideChar(CP_ACP, 0, macro.data(), static_cast<int>(macro.size()), text, chars);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = text;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = Call(L"ExecuteMacros", DISPATCH_METHOD, &params, &result);
    VariantClear(&result);  // the result is ignored
    VariantClear(&argument);
    return hr;
}

HRESULT HostLink::ReadMode(std::string* mode) {
    if (!mode) return E_POINTER;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = Call(L"Mode", DISPATCH_PROPERTYGET, &none, &result);
    if (SUCCEEDED(hr) && result.vt != VT_BSTR)
        hr = VariantChangeType(&result, &result, 0, VT_BSTR);
    if (SUCCEEDED(hr)) {
        BSTR text = result.bstrVal;
        int length = static_cast<int>(SysStringLen(text));
        int bytes = length ? WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr,
                                                 nullptr)
                           : 0;
        mode->assign(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0)
            WideCharToMultiByte(CP_ACP, 0, text, length, mode->data(), bytes, nullptr, nullptr);
    }
    VariantClear(&result);
    return hr;
}

}  // namespace orvin
