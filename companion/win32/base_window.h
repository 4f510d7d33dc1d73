// BaseWindow: one C++ object owns one window; the window finds its object and hands it every message.
#pragma once

#include <windows.h>

namespace orvin {

// Every window class of the companion and of the stand-in hosts derives from BaseWindow and
// registers BaseWindow::WindowProc as its procedure. The object holds the window's state; the
// procedure only finds the object and calls its HandleMessage, which dispatches each message
// to one handler (OnCreate, OnCommand, OnTimer, ...).
//
// | When                    | What the base does                                              |
// |-------------------------|-----------------------------------------------------------------|
// | Create                  | CreateWindowExA with the object as the creation parameter       |
// | before WM_NCCREATE      | DefWindowProcA (WM_GETMINMAXINFO comes first; no object yet)    |
// | WM_NCCREATE             | keeps the object in GWLP_USERDATA and sets hwnd(); this and     |
// |                         | every later message goes to HandleMessage                       |
// | any message             | HandleMessage's result goes back to the sender                  |
// | WM_NCDESTROY            | window and object let go of each other (hwnd() is 0), then      |
// |                         | DefWindowProcA; WM_DESTROY is the object's last message         |
// | object destroyed first  | the window is let go of, then destroyed: a dying object gets no |
// |                         | message, and a handler may destroy its own object and return    |
//
// The object must outlive its window's creation: it is never copied or moved.
class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    // The window, or 0 before Create and after the window is gone.
    HWND hwnd() const { return hwnd_; }

    // The window procedure of every class of this pattern (see RegisterWindowClass).
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    BaseWindow() = default;
    virtual ~BaseWindow();

    // Creates the window of class `className` (registered with RegisterWindowClass) for this
    // object. False when it could not be made, WM_CREATE's refusal included; hwnd() is 0 then.
    bool Create(DWORD exStyle, const char* className, const char* caption, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menu, HINSTANCE instance);

    // Destroys the window now. A class whose members own windows of their own (children, for
    // instance) calls it first in its destructor, so that no message of the going window
    // meets members already destroyed.
    void Destroy();

    // One message of the window. Unhandled messages go to DefWindowProcA(hwnd(), ...).
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    void LetGo();

    HWND hwnd_ = nullptr;
};

// Registers `wc` with BaseWindow::WindowProc as its procedure. True when the class is
// registered now or was registered so before in the same module; false when the name is taken
// by a class of another procedure, or registration fails.
bool RegisterWindowClass(WNDCLASSA wc);

}  // namespace orvin
