// Answers the message boxes and dialogs that an export shows, from a thread timer run by their modal loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wine_test {

struct SeenWindow {
    std::string caption;
    std::string text;  // a message box's text (control 0xFFFF); empty for other dialogs
};

// While alive, every visible "#32770" window of this process that a modal loop on this
// thread shows is recorded and closed with `command` (IDOK or IDCANCEL).
class ModalDriver {
public:
    explicit ModalDriver(int command = IDOK);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    const std::vector<SeenWindow>& seen() const { return seen_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnWindow(HWND hwnd, LPARAM self);

    int command_;
    UINT_PTR timer_ = 0;
    std::vector<SeenWindow> seen_;
    std::vector<HWND> answered_;
};

}  // namespace wine_test
