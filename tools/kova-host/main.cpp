// kova-host.exe: the stand-in host program that the companion's tests and demos run against.
//
// Usage: kova-host.exe [--log FILE] [--control FILE] [--mode TEXT] [--mycall TEXT]
//                      [--version TEXT] [--class NAME] [--title TEXT]
//        kova-host.exe --send COMMAND      (sends one control command to a running host)
//
// | Option      | Default                      | Meaning                                         |
// |-------------|------------------------------|-------------------------------------------------|
// | --log       | standard output              | where received macros and DDE events are logged |
// | --control   | none                         | file polled every 100 ms for commands (control.h);|
// |             |                              | write it under another name, then rename it     |
// | --mode      | CW                           | initial value of the property Mode              |
// | --mycall    | UA3XYZ                       | initial value of the DDE item "MyCall"          |
// | --version   | 2.4.9                        | initial value of the DDE item "Version"         |
// | --class     | Afx:400000:b:10011:6:1234    | class name of the main window                   |
// | --title     | Kova2 (stand-in)             | caption of the main window                      |
#include <windows.h>
#include <windowsx.h>
#include <dde.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation.h"
#include "base_window.h"
#include "control.h"
#include "dde_server.h"
#include "host_log.h"

namespace kova {
namespace {

constexpr UINT_PTR kControlTimer = 1;

struct Options {
    std::string log;
    std::string control;
    std::string mode = "CW";
    std::string myCall = "UA3XYZ";
    std::string version = "2.4.9";
    std::string className = "Afx:400000:b:10011:6:1234";
    std::string title = "Kova2 (stand-in)";
    std::string send;
    bool sending = false;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (name == "--log") o->log = value;
        else if (name == "--control") o->control = value;
        else if (name == "--mode") o->mode = value;
        else if (name == "--mycall") o->myCall = value;
        else if (name == "--version") o->version = value;
        else if (name == "--class") o->className = value;
        else if (name == "--title") o->title = value;
        else if (name == "--send") { o->send = value; o->sending = true; }
        else return false;
    }
    return !o->className.empty();
}

// The host's main window and everything it works on: the log, the DDE server, the automation
// object and the control file.
class HostWindow : public orvin::BaseWindow {
public:
    explicit HostWindow(HINSTANCE instance) : dde_(log_, instance) {}

    // Opens the log, makes the main window of class `options.className` and registers the
    // automation object. The exit status when that fails, 0 when the host is ready.
    int Start(HINSTANCE instance, const Options& options);
    // After the message loop: the automation object goes, the log says "exit".
    void Finish();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HWND window);
    void OnTimer(HWND window, UINT id);
    BOOL OnCopyData(HWND window, HWND sender, const COPYDATASTRUCT* data);
    void OnDdeInitiate(HWND client, LPARAM names);
    void OnClose(HWND window);
    void OnDestroy(HWND window);

    bool RunCommand(const std::string& command);
    void PollControlFile();

    HostLog log_;
    DdeServer dde_;
    Application* app_ = nullptr;
    DWORD registration_ = 0;
    std::string controlPath_;
};

int HostWindow::Start(HINSTANCE instance, const Options& options) {
    if (!log_.Open(options.log)) return 2;
    controlPath_ = options.control;
    dde_.SetItem("MyCall", options.myCall);
    dde_.SetItem("Version", options.version);

    WNDCLASSA wc{};
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.className.c_str();
    if (!orvin::RegisterWindowClass(wc)) return 3;
    if (!Create(0, options.className.c_str(), options.title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 720, 480,
                nullptr, nullptr, instance))
        return 3;
    SetPropA(hwnd(), kStandInProp, reinterpret_cast<HANDLE>(1));

    app_ = new Application(log_, options.mode, hwnd());
    if (FAILED(RegisterActiveObject(app_, kKovaApplicationClsid, ACTIVEOBJECT_STRONG, &registration_))) {
        log_.Line("error RegisterActiveObject");
        return 4;
    }
    if (!controlPath_.empty()) SetTimer(hwnd(), kControlTimer, 100, nullptr);
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
    log_.Line("ready");
    return 0;
}

void HostWindow::Finish() {
    app_->Release();
    app_ = nullptr;
    log_.Line("exit");
}

// One handler per message. WM_COPYDATA answers whether the command was known, which the
// cracker of <windowsx.h> would drop; DDE's initiate has no cracker.
LRESULT HostWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd(), WM_PAINT, OnPaint);
        HANDLE_MSG(hwnd(), WM_TIMER, OnTimer);
        HANDLE_MSG(hwnd(), WM_CLOSE, OnClose);
        HANDLE_MSG(hwnd(), WM_DESTROY, OnDestroy);
    case WM_COPYDATA:
        return OnCopyData(hwnd(), reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_DDE_INITIATE:
        OnDdeInitiate(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    default:
        return DefWindowProcA(hwnd(), message, wParam, lParam);
    }
}

bool HostWindow::RunCommand(const std::string& command) {
    auto rest = [&](size_t from) { return command.size() > from ? command.substr(from) : std::string(); };
    if (command.rfind("set MyCall", 0) == 0 || command.rfind("set Version", 0) == 0) {
        std::string item = command.rfind("set MyCall", 0) == 0 ? "MyCall" : "Version";
        std::string value = rest(4 + item.size() + 1);
        log_.Line("set " + item + " " + value);
        dde_.SetItem(item, value);
        InvalidateRect(hwnd(), nullptr, TRUE);
        return true;
    }
    log_.Line("command " + command);
    if (command.rfind("mode ", 0) == 0) {
        if (app_) app_->SetMode(rest(5));
        return true;
    }
    if (command == "fail on" || command == "fail off") {
        if (app_) app_->SetFailing(command == "fail on");
        return true;
    }
    if (command == "exit") {
        PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        return true;
    }
    if (command == "die") TerminateProcess(GetCurrentProcess(), 3);
    return false;
}

void HostWindow::PollControlFile() {
    if (controlPath_.empty()) return;
    HANDLE file = CreateFileA(controlPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    DeleteFileA(controlPath_.c_str());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) RunCommand(line);
        start = end + 1;
    }
}

void HostWindow::OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    std::string lines[] = {
        "Stand-in host for the companion's tests",
        "Mode: " + (app_ ? app_->mode() : std::string()),
        "Last macro: " + (app_ ? app_->lastMacro() : std::string()),
        "MyCall: " + dde_.items().at("MyCall"),
        "Version: " + dde_.items().at("Version"),
    };
    int y = 16;
    for (const auto& line : lines) {
        TextOutA(dc, 16, y, line.c_str(), static_cast<int>(line.size()));
        y += 22;
    }
    EndPaint(window, &ps);
}

void HostWindow::OnTimer(HWND, UINT) { PollControlFile(); }

BOOL HostWindow::OnCopyData(HWND, HWND, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kControlMagic) return FALSE;
    std::string command(static_cast<const char*>(data->lpData), data->cbData);
    return RunCommand(command) ? TRUE : FALSE;
}

void HostWindow::OnDdeInitiate(HWND client, LPARAM names) { dde_.OnInitiate(client, names); }

void HostWindow::OnClose(HWND window) {
    if (registration_) {
        RevokeActiveObject(registration_, nullptr);
        registration_ = 0;
    }
    dde_.TerminateAll();
    KillTimer(window, kControlTimer);
    DestroyWindow(window);
}

void HostWindow::OnDestroy(HWND) { PostQuitMessage(0); }

int SendOnly(const Options& options) {
    HWND host = FindStandInHost();
    if (!host) return 2;
    return SendHostCommand(host, options.send) ? 0 : 1;
}

int Run(HINSTANCE instance, const Options& options) {
    HostWindow host(instance);
    if (int failed = host.Start(instance, options)) return failed;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    host.Finish();
    return 0;
}

}  // namespace
}  // namespace kova

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    kova::Options options;
    if (!kova::ParseOptions(__argc, __argv, &options)) return 1;
    if (options.sending) return kova::SendOnly(options);
    if (FAILED(CoInitialize(nullptr))) return 2;
    int code = kova::Run(instance, options);
    CoUninitialize();
    return code;
}
