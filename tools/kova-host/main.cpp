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
#include <dde.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation.h"
#include "control.h"
#include "dde_server.h"
#include "host_log.h"
#include "window_support.h"

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

// Everything the main window works on; reached through GWLP_USERDATA.
struct Host {
    explicit Host(HINSTANCE instance) : dde(log, instance) {}
    HostLog log;
    DdeServer dde;
    Application* app = nullptr;
    DWORD registration = 0;
    std::string controlPath;
    HWND window = nullptr;
};

Host* HostOf(HWND window) { return orvin::WindowObject<Host>(window); }

bool RunCommand(Host& host, const std::string& command) {
    auto rest = [&](size_t from) { return command.size() > from ? command.substr(from) : std::string(); };
    if (command.rfind("set MyCall", 0) == 0 || command.rfind("set Version", 0) == 0) {
        std::string item = command.rfind("set MyCall", 0) == 0 ? "MyCall" : "Version";
        std::string value = rest(4 + item.size() + 1);
        host.log.Line("set " + item + " " + value);
        host.dde.SetItem(item, value);
        InvalidateRect(host.window, nullptr, TRUE);
        return true;
    }
    host.log.Line("command " + command);
    if (command.rfind("mode ", 0) == 0) {
        if (host.app) host.app->SetMode(rest(5));
        return true;
    }
    if (command == "fail on" || command == "fail off") {
        if (host.app) host.app->SetFailing(command == "fail on");
        return true;
    }
    if (command == "exit") {
        PostMessageA(host.window, WM_CLOSE, 0, 0);
        return true;
    }
    if (command == "die") TerminateProcess(GetCurrentProcess(), 3);
    return false;
}

void PollControlFile(Host& host) {
    if (host.controlPath.empty()) return;
    HANDLE file = CreateFileA(host.controlPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    DeleteFileA(host.controlPath.c_str());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) RunCommand(host, line);
        start = end + 1;
    }
}

void OnPaint(HWND window, Host& host) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    std::string lines[] = {
        "Stand-in host for the companion's tests",
        "Mode: " + (host.app ? host.app->mode() : std::string()),
        "Last macro: " + (host.app ? host.app->lastMacro() : std::string()),
        "MyCall: " + host.dde.items().at("MyCall"),
        "Version: " + host.dde.items().at("Version"),
    };
    int y = 16;
    for (const auto& line : lines) {
        TextOutA(dc, 16, y, line.c_str(), static_cast<int>(line.size()));
        y += 22;
    }
    EndPaint(window, &ps);
}

LRESULT OnCopyData(Host& host, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kControlMagic) return 0;
    std::string command(static_cast<const char*>(data->lpData), data->cbData);
    return RunCommand(host, command) ? 1 : 0;
}

void OnClose(HWND window, Host& host) {
    if (host.registration) {
        RevokeActiveObject(host.registration, nullptr);
        host.registration = 0;
    }
    host.dde.TerminateAll();
    KillTimer(window, kControlTimer);
    DestroyWindow(window);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Host* host = HostOf(window);
    if (!host) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: OnPaint(window, *host); return 0;
    case WM_COPYDATA: return OnCopyData(*host, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER: PollControlFile(*host); return 0;
    case WM_DDE_INITIATE: host->dde.OnInitiate(reinterpret_cast<HWND>(wParam), lParam); return 0;
    case WM_CLOSE: OnClose(window, *host); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int SendOnly(const Options& options) {
    HWND host = FindStandInHost();
    if (!host) return 2;
    return SendHostCommand(host, options.send) ? 0 : 1;
}

int Run(HINSTANCE instance, const Options& options) {
    Host host(instance);
    if (!host.log.Open(options.log)) return 2;
    host.controlPath = options.control;
    host.dde.SetItem("MyCall", options.myCall);
    host.dde.SetItem("Version", options.version);

    WNDCLASSA wc{};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.className.c_str();
    if (!RegisterClassA(&wc)) return 3;
    host.window = CreateWindowExA(0, options.className.c_str(), options.title.c_str(),
                                  WS_OVERLAPPEDWINDOW, 40, 40, 720, 480, nullptr, nullptr,
                                  instance, nullptr);
    if (!host.window) return 3;
    orvin::SetWindowObject(host.window, &host);
    SetPropA(host.window, kStandInProp, reinterpret_cast<HANDLE>(1));

    host.app = new Application(host.log, options.mode, host.window);
    if (FAILED(RegisterActiveObject(host.app, kKovaApplicationClsid, ACTIVEOBJECT_STRONG,
                                    &host.registration))) {
        host.log.Line("error RegisterActiveObject");
        return 4;
    }
    if (!host.controlPath.empty()) SetTimer(host.window, kControlTimer, 100, nullptr);
    ShowWindow(host.window, SW_SHOWNORMAL);
    UpdateWindow(host.window);
    host.log.Line("ready");

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    host.app->Release();
    host.app = nullptr;
    host.log.Line("exit");
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
