// Drives the plug-in's modal dialog and message boxes from its hidden window's timer, step by step as a script says.
#include "ui_driver.h"

#include <windowsx.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "services/text.h"
#include "window_support.h"

namespace {

// Control ID of the text in a message box, and of static labels in a dialog template.
constexpr int kStaticId = 0xFFFF;
constexpr UINT kTickMs = 50;
constexpr DWORD kHandshakeLimitMs = 60000;  // give up a handshake nobody answers

constexpr char kDriverClass[] = "VelmorUiDriver";
constexpr UINT_PTR kTickTimer = 1;

const char kHex[] = "0123456789ABCDEF";

std::string escapeBytes(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
        }
    }
    return out;
}

std::string escapeWide(const std::wstring& text) {
    std::string out;
    for (wchar_t w : text) {
        const unsigned u = static_cast<unsigned>(w) & 0xFFFF;
        if (u == '\\') {
            out += "\\\\";
        } else if (u == '\r') {
            out += "\\r";
        } else if (u == '\n') {
            out += "\\n";
        } else if (u == '\t') {
            out += "\\t";
        } else if (u >= 0x20 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 15];
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Resolves \r \n \t \\ \; \xHH; an unknown escape stays as written.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char e = text[++i];
        if (e == 'r') out += '\r';
        else if (e == 'n') out += '\n';
        else if (e == 't') out += '\t';
        else if (e == '\\' || e == ';') out += e;
        else if (e == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += '\\';
            out += e;
        }
    }
    return out;
}

std::string trim(const std::string& s) { return std::string(velmor::text::trimSpace(s)); }

// Splits at ';' not preceded by a backslash; escapes are kept for the step to resolve.
std::deque<std::string> splitSteps(const std::string& script) {
    std::deque<std::string> steps;
    std::string current;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '\\' && i + 1 < script.size()) {
            current += script[i];
            current += script[++i];
        } else if (script[i] == ';') {
            if (!trim(current).empty()) steps.push_back(trim(current));
            current.clear();
        } else {
            current += script[i];
        }
    }
    if (!trim(current).empty()) steps.push_back(trim(current));
    return steps;
}


std::string className(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::vector<HWND> children(HWND dlg) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

// A dialog of ours has edit or combo controls; a message box has only buttons and statics.
bool isMessageBox(HWND dlg) {
    for (HWND c : children(dlg)) {
        const std::string cls = className(c);
        if (lstrcmpiA(cls.c_str(), "Edit") == 0 || lstrcmpiA(cls.c_str(), "ComboBox") == 0) return false;
    }
    return true;
}

struct Found {
    HWND dialog = nullptr;
    HWND box = nullptr;
};

BOOL CALLBACK findOwnWindow(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    if (className(hwnd) != "#32770") return TRUE;
    auto* found = reinterpret_cast<Found*>(param);
    HWND& slot = isMessageBox(hwnd) ? found->box : found->dialog;
    if (!slot) slot = hwnd;
    return TRUE;
}

void press(HWND dlg, int id) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

// The dialog's control that holds the focus (a combo's inner edit counts as the combo).
int focusedId(HWND dlg) {
    HWND f = GetFocus();
    while (f && GetParent(f) && GetParent(f) != dlg) f = GetParent(f);
    if (!f || GetParent(f) != dlg) return 0;
    return GetDlgCtrlID(f) & 0xFFFF;
}

bool postKey(const std::string& name) {
    UINT vk = 0;
    if (name == "TAB") vk = VK_TAB;
    else if (name == "RETURN") vk = VK_RETURN;
    else if (name == "ESCAPE") vk = VK_ESCAPE;
    else return false;
    HWND target = GetFocus();
    if (!target) return false;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(target, WM_KEYUP, vk, scan | 1 | (LPARAM(1) << 30) | (LPARAM(1) << 31));
    return true;
}

bool fileExists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Splits "<id>=<text>" of set and pick.
bool idAndText(const std::string& arg, int& id, std::string& text) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    const std::string number = trim(arg.substr(0, eq));
    if (number.find_first_not_of("0123456789") != std::string::npos) return false;
    id = std::stoi(number);
    text = unescape(arg.substr(eq + 1));
    return true;
}

}  // namespace

UiDriver::UiDriver(Sink sink) : sink_(std::move(sink)) {}

// A host that never disarms still learns, at the next arming or at its end, of windows that
// never came.
UiDriver::~UiDriver() { ReportLeftSteps(); }

void UiDriver::Report(const std::string& line) {
    if (sink_) {
        sink_(line);
        return;
    }
    std::string out = line + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void UiDriver::Dump(HWND dlg) {
    Report("ui: caption=" + escapeBytes(orvin::WindowText(dlg)));
    Report("ui: caption.w=" + escapeWide(orvin::WindowTextW(dlg)));
    for (HWND c : children(dlg)) {
        const int id = GetDlgCtrlID(c) & 0xFFFF;
        const std::string text = escapeBytes(orvin::WindowText(c));
        if (id == kStaticId) {
            Report("ui: label=" + text);
            continue;
        }
        Report("ui: " + std::to_string(id) + "=" + text);
        if (lstrcmpiA(className(c).c_str(), "ComboBox") != 0) continue;
        const LRESULT count = SendMessageA(c, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageA(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
            std::string item(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
            SendMessageA(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
            item.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
            Report("ui: " + std::to_string(id) + "#" + std::to_string(i) + "=" + escapeBytes(item));
        }
    }
}

// Runs one step on the open dialog. Steps that need the dialog's own message loop to act
// first (keys, the closing buttons) yield the rest of the tick.
UiDriver::Next UiDriver::RunStep(HWND dlg, const std::string& step) {
    const auto blank = step.find(' ');
    const std::string verb = step.substr(0, blank);
    const std::string arg = blank == std::string::npos ? std::string() : trim(step.substr(blank + 1));
    int id = 0;
    std::string text;

    if (verb == "dump") {
        Dump(dlg);
    } else if (verb == "set" && idAndText(arg, id, text)) {
        if (!GetDlgItem(dlg, id)) Report("ui: error: no control " + std::to_string(id));
        SetDlgItemTextA(dlg, id, text.c_str());
    } else if (verb == "pick" && idAndText(arg, id, text)) {
        const LRESULT index = SendDlgItemMessageA(dlg, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(text.c_str()));
        if (index == CB_ERR) Report("ui: error: no item " + escapeBytes(text) + " in " + std::to_string(id));
        else SendDlgItemMessageA(dlg, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (verb == "focus" && arg.empty()) {
        Report("ui: focus=" + std::to_string(focusedId(dlg)));
    } else if (verb == "focus") {
        // Focus as a click would give it: no select-all, caret where it was.
        HWND control = GetDlgItem(dlg, std::stoi(arg));
        if (!control) Report("ui: error: no control " + arg);
        else SetFocus(control);
    } else if (verb == "wide" && !arg.empty()) {
        HWND control = GetDlgItem(dlg, std::stoi(arg));
        Report("ui: " + arg + ".w=" + escapeWide(control ? orvin::WindowTextW(control) : std::wstring()));
    } else if (verb == "key") {
        if (!postKey(arg)) Report("ui: error: cannot press " + arg);
        return Next::Yield;
    } else if (verb == "handshake" && !arg.empty()) {
        const std::string ready = unescape(arg) + ".ready";
        HANDLE h = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        handshake_ = unescape(arg) + ".done";
        handshakeSince_ = GetTickCount();
        return Next::Yield;
    } else if (verb == "ok") {
        press(dlg, IDOK);
        return Next::Yield;
    } else if (verb == "cancel") {
        press(dlg, IDCANCEL);
        return Next::Yield;
    } else if (verb == "close") {
        PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        return Next::Yield;
    } else {
        Report("ui: error: bad step '" + escapeBytes(step) + "'");
    }
    return Next::Continue;
}

void UiDriver::AnswerBox(HWND box) {
    if (!answeredBoxes_.insert(box).second) return;  // already answered, still closing
    Report("ui: msgbox " + escapeBytes(orvin::WindowText(box)) + ": " +
           escapeBytes(orvin::WindowText(GetDlgItem(box, kStaticId))));
    press(box, IDOK);
}

void UiDriver::ReportLeftSteps() {
    if (!steps_.empty())
        Report("ui: steps left: " + std::to_string(steps_.size()) + " (" + escapeBytes(steps_.front()) + ")");
    steps_.clear();
}

void UiDriver::Tick() {
    if (!handshake_.empty()) {
        const bool done = fileExists(handshake_);
        if (!done && GetTickCount() - handshakeSince_ < kHandshakeLimitMs) return;
        if (!done) Report("ui: error: no answer to handshake " + escapeBytes(handshake_));
        handshake_.clear();
    }
    Found found;
    EnumWindows(findOwnWindow, reinterpret_cast<LPARAM>(&found));
    if (found.box) {
        AnswerBox(found.box);
        return;
    }
    if (!found.dialog) return;
    if (steps_.empty()) {
        Report("ui: unexpected dialog " + escapeBytes(orvin::WindowText(found.dialog)));
        press(found.dialog, IDCANCEL);
        return;
    }
    while (!steps_.empty()) {
        const std::string step = steps_.front();
        steps_.pop_front();
        if (RunStep(found.dialog, step) == Next::Yield) break;
    }
}

LRESULT UiDriver::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd(), WM_TIMER, OnTimer);
    default:
        return DefWindowProcA(hwnd(), message, wParam, lParam);
    }
}

void UiDriver::OnTimer(HWND, UINT id) {
    if (id != kTickTimer || running_) return;
    running_ = true;
    try {
        Tick();
    } catch (...) {
        Report("ui: error: driver failed");
    }
    running_ = false;
}

void UiDriver::Arm(const std::string& script) {
    if (armed_) KillTimer(hwnd(), kTickTimer);
    armed_ = false;
    ReportLeftSteps();
    steps_ = splitSteps(script);
    answeredBoxes_.clear();
    handshake_.clear();
    if (!hwnd()) {
        WNDCLASSA wc{};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kDriverClass;
        // A message-only window: no top-level window of the process for the script to meet.
        if (!orvin::RegisterWindowClass(wc) ||
            !Create(0, kDriverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance)) {
            Report("ui: error: no driver window, error " + std::to_string(GetLastError()));
            return;
        }
    }
    armed_ = SetTimer(hwnd(), kTickTimer, kTickMs, nullptr) != 0;
    if (!armed_) Report("ui: error: SetTimer failed, error " + std::to_string(GetLastError()));
}

void UiDriver::Disarm() {
    if (armed_) KillTimer(hwnd(), kTickTimer);
    armed_ = false;
    ReportLeftSteps();
    handshake_.clear();
}
