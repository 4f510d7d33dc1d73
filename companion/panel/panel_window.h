// The mode panel window Form1: start-up sequence, mode buttons, watchdog and shutdown.
#pragma once

#include <windows.h>

#include <memory>

#include "base_window.h"
#include "header_editor.h"
#include "host_link.h"

namespace orvin {

// Form1 and the program-wide state it holds for the life of the process.
class PanelWindow : public BaseWindow {
public:
    PanelWindow() = default;

    static bool Register(HINSTANCE instance);

    // Creates Form1 and runs the start-up sequence in its creation. False when the program
    // must end: the host is not running (after the message box) or another copy is running.
    bool Create(HINSTANCE instance);

    // Keyboard navigation inside the header editor; the message loop asks before dispatching.
    bool IsEditorMessage(MSG* msg);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCreate(HWND window, LPCREATESTRUCT create);
    void OnCommand(HWND window, int id, HWND control, UINT code);
    void OnTimer(HWND window, UINT id);
    void OnSysCommand(HWND window, UINT command, int x, int y);
    void OnContextMenu(int x, int y);
    void OnDrawItem(const DRAWITEMSTRUCT* item);
    void OnDestroy(HWND window);

    void CreateButtons();
    void AddHeaderEditorToSystemMenu();
    void OnModeButton(int id);
    void BringHostForward();
    // ShowHeaderEditor: shows Form2 (made and loaded on first use) and hides the panel.
    void ShowHeaderEditor();

    HostLink hostApp_;                    // HostApp: the host's automation object
    int hostLinked_ = 0;                  // HostLinked: the buttons act only while non-zero
    HANDLE instanceSemaphore_ = nullptr;  // "Cats_Tail": held until the process ends
    HWND hostWnd_ = nullptr;              // HostWnd: the host's main window, or 0
    BOOL foregroundResult_ = FALSE;       // last SetForegroundWindow result, kept, not acted on
    bool inHostCall_ = false;             // a handler is inside a call into the host
    HFONT buttonFont_ = nullptr;
    HBRUSH buttonFace_ = nullptr;
    std::unique_ptr<HeaderEditor> editor_;  // Form2, from its first use on
};

}  // namespace orvin
