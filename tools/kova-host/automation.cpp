// The stand-in host's automation object: records macros and keeps Mode in step with them.
#include "automation.h"

#include <utility>

namespace kova {
namespace {

std::string Narrow(const wchar_t* text, UINT length) {
    if (!text || length == 0) return {};
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                    nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), bytes,
                            nullptr, nullptr);
    return out;
}

BSTR Widen(const std::string& text) {
    int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(chars > 0 ? chars : 0));
    if (out && chars > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, chars);
    return out;
}

// One string argument, whatever variant type the caller chose (BSTR, by reference, number).
bool StringArgument(DISPPARAMS* params, std::string* out) {
    if (!params || params->cArgs != 1 || params->cNamedArgs != 0) return false;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) return false;
    *out = Narrow(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return true;
}

}  // namespace

Application::Application(HostLog& log, std::string mode, HWND notify)
    : log_(log), mode_(std::move(mode)), notify_(notify) {}

void Application::SetMode(const std::string& mode) {
    mode_ = mode;
    Changed();
}

void Application::Changed() {
    if (notify_) InvalidateRect(notify_, nullptr, TRUE);
}

HRESULT Application::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Application::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG Application::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT Application::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT Application::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT Application::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    // Automation names are case-insensitive; only the member name (index 0) is known.
    if (lstrcmpiW(names[0], L"ExecuteMacros") == 0)
        ids[0] = kDispExecuteMacros;
    else if (lstrcmpiW(names[0], L"Mode") == 0)
        ids[0] = kDispMode;
    else
        hr = DISP_E_UNKNOWNNAME;
    if (count > 1) hr = DISP_E_UNKNOWNNAME;  // no named arguments
    return hr;
}

HRESULT Application::Refuse(EXCEPINFO* exception) {
    if (exception) {
        ZeroMemory(exception, sizeof(*exception));
        exception->scode = E_FAIL;
        exception->bstrSource = SysAllocString(L"Kova2.Application");
        exception->bstrDescription = SysAllocString(L"The host refused the call");
    }
    return DISP_E_EXCEPTION;
}

HRESULT Application::ExecuteMacros(DISPPARAMS* params, EXCEPINFO* exception, UINT* argError) {
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    std::string macro;
    if (!StringArgument(params, &macro)) {
        if (argError) *argError = 0;
        return DISP_E_TYPEMISMATCH;
    }
    if (failing_) {
        log_.Line("macro-refused " + macro);
        return Refuse(exception);
    }
    log_.Line("macro " + macro);
    lastMacro_ = macro;
    static const std::string kModePrefix = "<MODE:";
    if (macro.size() > kModePrefix.size() && macro.compare(0, kModePrefix.size(), kModePrefix) == 0 &&
        macro.back() == '>')
        mode_ = macro.substr(kModePrefix.size(), macro.size() - kModePrefix.size() - 1);
    Changed();
    return S_OK;
}

HRESULT Application::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (result) VariantInit(result);
    if (id == kDispExecuteMacros) {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        return ExecuteMacros(params, exception, argError);
    }
    if (id == kDispMode) {
        if (flags & DISPATCH_PROPERTYGET) {
            if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (failing_) {
                log_.Line("mode-read refused");
                return Refuse(exception);
            }
            log_.Line("mode-read " + mode_);
            if (result) {
                result->vt = VT_BSTR;
                result->bstrVal = Widen(mode_);
            }
            return S_OK;
        }
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            std::string mode;
            if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            VARIANT text;
            VariantInit(&text);
            if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR)))
                return DISP_E_TYPEMISMATCH;
            mode = Narrow(text.bstrVal, SysStringLen(text.bstrVal));
            VariantClear(&text);
            if (failing_) return Refuse(exception);
            log_.Line("mode-write " + mode);
            SetMode(mode);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace kova
