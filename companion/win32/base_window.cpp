// BaseWindow: the window procedure that finds a window's object, and the object's window lifetime.
#include "base_window.h"

namespace orvin {

BaseWindow::~BaseWindow() { Destroy(); }

bool BaseWindow::Create(DWORD exStyle, const char* className, const char* caption, DWORD style, int x,
                        int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance) {
    Destroy();
    return CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menu,
                           instance, this) != nullptr;
}

void BaseWindow::Destroy() {
    HWND window = hwnd_;
    if (!window) return;
    // Let go first: the messages of the destruction find no object.
    LetGo();
    DestroyWindow(window);
}

void BaseWindow::LetGo() {
    if (hwnd_ && reinterpret_cast<BaseWindow*>(GetWindowLongPtrA(hwnd_, GWLP_USERDATA)) == this)
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

LRESULT CALLBACK BaseWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<BaseWindow*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->LetGo();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // Nothing of `self` is used after this call: the handler may have destroyed it.
    return self->HandleMessage(message, wParam, lParam);
}

bool RegisterWindowClass(WNDCLASSA wc) {
    wc.lpfnWndProc = &BaseWindow::WindowProc;
    WNDCLASSA existing{};
    if (GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing))
        return existing.lpfnWndProc == &BaseWindow::WindowProc;
    return RegisterClassA(&wc) != 0;
}

}  // namespace orvin
