// Orvin.exe: the companion's entry point and message loop.
#include <windows.h>
#include <ole2.h>

#include "panel_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A failed COM start shows up as a failed attach, with its message.
    HRESULT com = CoInitialize(nullptr);
    int code = 0;
    {
        orvin::PanelWindow panel;
        if (orvin::PanelWindow::Register(instance) && panel.Create(instance)) {
            // The host took the foreground at the end of start-up; the panel is shown
            // beside it without taking activation away.
            ShowWindow(panel.hwnd(), SW_SHOWNOACTIVATE);
            UpdateWindow(panel.hwnd());
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                if (panel.IsEditorMessage(&msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            code = static_cast<int>(msg.wParam);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
