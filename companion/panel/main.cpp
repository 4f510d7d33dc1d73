// Orvin.exe: the companion's entry point and message loop.
#include <windows.h>
#include <ole2.h>

#include "header_editor.h"
#include "panel_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A failed COM start shows up as a failed attach, with its message.
    HRESULT com = CoInitialize(nullptr);
    int code = 0;
    {
        orvin::PanelState state;
        if (orvin::RegisterPanelClass(instance)) {
            HWND panel = orvin::CreatePanel(instance, &state);
            if (panel) {
                // The host took the foreground at the end of start-up; the panel is shown
                // beside it without taking activation away.
                ShowWindow(panel, SW_SHOWNOACTIVATE);
                UpdateWindow(panel);
                MSG msg;
                while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                    if (orvin::IsHeaderEditorMessage(&msg)) continue;
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
                code = static_cast<int>(msg.wParam);
            }
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
