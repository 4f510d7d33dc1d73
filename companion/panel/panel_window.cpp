// Form1: its object holds the program-wide state; one handler per message; what is sent comes from mode_macros.h.
#include "panel_window.h"

#include <windowsx.h>

#include <memory>
#include <optional>
#include <string>

#include "host_window.h"
#include "mode_macros.h"
#include "panel_commands.h"
#include "panel_layout.h"
#include "window_support.h"

namespace orvin {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr char kNotLoadedText[] = "Kova2 is not loaded";
constexpr char kMessageCaption[] = "Orvin";
constexpr char kSemaphoreName[] = "Cats_Tail";
constexpr char kHeaderEditorItem[] = "Cabrillo header...";

// The program ends at once: no further handler of any window runs, nothing is said.
[[noreturn]] void EndProgram() { ExitProcess(0); }

}  // namespace

bool PanelWindow::Register(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kPanelBackColor);
    wc.lpszClassName = kPanelClassName;
    return RegisterWindowClass(wc);
}

bool PanelWindow::Create(HINSTANCE instance) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const int dpi = GetScreenDpi().y;
    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    // Top right of the work area, clear of a host window that opens at the top left.
    RECT work{0, 0, 800, 600};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.right - width - 16;
    int y = work.top + 16;
    return BaseWindow::Create(0, kPanelClassName, kPanelCaption, style, x, y, width, height, nullptr,
                              nullptr, instance);
}

bool PanelWindow::IsEditorMessage(MSG* msg) { return editor_ && editor_->IsEditorMessage(msg); }

// One handler per message. The crackers of <windowsx.h> where they pass everything through;
// WM_CONTEXTMENU keeps the position's sign (-1, -1 comes from the keyboard) and WM_DRAWITEM
// answers TRUE, which the crackers would not.
LRESULT PanelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd(), WM_CREATE, OnCreate);
        HANDLE_MSG(hwnd(), WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd(), WM_TIMER, OnTimer);
        HANDLE_MSG(hwnd(), WM_SYSCOMMAND, OnSysCommand);
        HANDLE_MSG(hwnd(), WM_DESTROY, OnDestroy);
    case WM_CONTEXTMENU:
        OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DRAWITEM:
        OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        return DefWindowProcA(hwnd(), message, wParam, lParam);
    }
}

void PanelWindow::BringHostForward() {
    if (hostWnd_) foregroundResult_ = SetForegroundWindow(hostWnd_);
}

void PanelWindow::CreateButtons() {
    const int dpi = GetScreenDpi().y;
    buttonFont_ = CreatePointFont(kButtonFontFace, kButtonFontTenthsOfPoint, FW_BOLD, dpi);
    buttonFace_ = CreateSolidBrush(kButtonFaceColor);
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd(), GWLP_HINSTANCE));
    for (const ButtonLayout& b : kModeButtons) {
        // Owner-drawn: a standard push button cannot take a face colour of its own.
        HWND button = CreateWindowExA(
            0, "BUTTON", b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
            TwipsToPixels(b.left, dpi), TwipsToPixels(b.top, dpi), TwipsToPixels(b.width, dpi),
            TwipsToPixels(b.height, dpi), hwnd(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
        if (button && buttonFont_)
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_), FALSE);
    }
}

void PanelWindow::AddHeaderEditorToSystemMenu() {
    HMENU menu = GetSystemMenu(hwnd(), FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdHeaderEditor, kHeaderEditorItem);
}

// Start-up sequence, run while the panel is created and before it is shown.
BOOL PanelWindow::OnCreate(HWND window, LPCREATESTRUCT) {
    hostLinked_ = 1;
    if (FAILED(hostApp_.Attach())) {
        MessageBoxA(nullptr, kNotLoadedText, kMessageCaption, MB_OK);
        hostLinked_ = 0;
        return FALSE;
    }
    SetLastError(0);
    instanceSemaphore_ = CreateSemaphoreA(nullptr, 0, 1, kSemaphoreName);
    if (GetLastError() != 0 || !instanceSemaphore_) return FALSE;  // a copy runs already

    hostWnd_ = FindHostWindow();
    CreateButtons();
    AddHeaderEditorToSystemMenu();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    inHostCall_ = true;
    for (const std::string& macro : StartupMacros()) hostApp_.ExecuteMacros(macro);
    inHostCall_ = false;
    BringHostForward();
    SetTimer(window, kTimer1, kWatchdogMilliseconds, nullptr);
    return TRUE;
}

// The three mode buttons. A failing call into the host is ignored: the watchdog decides
// whether the host is gone.
void PanelWindow::OnModeButton(int id) {
    if (!hostLinked_ || inHostCall_) return;
    std::optional<ModeButton> button;
    switch (id) {
    case kCmdCw: button = ModeButton::Cw; break;
    case kCmdPsk63: button = ModeButton::Psk63; break;
    case kCmdSsb: button = ModeButton::Ssb; break;
    default: break;
    }
    inHostCall_ = true;
    const auto readMode = [this]() -> std::optional<std::string> {
        std::string mode;
        if (FAILED(hostApp_.ReadMode(&mode))) return std::nullopt;
        return mode;
    };
    if (button)
        for (const std::string& macro : ModeButtonMacros(*button, readMode))
            hostApp_.ExecuteMacros(macro);
    inHostCall_ = false;
    BringHostForward();
}

void PanelWindow::OnCommand(HWND, int id, HWND control, UINT code) {
    if (id == static_cast<int>(kCmdHeaderEditor)) {
        ShowHeaderEditor();
        return;
    }
    if (control && code == BN_CLICKED) OnModeButton(id);
}

// Watchdog: attach again every tick; when the host is gone the program ends silently.
void PanelWindow::OnTimer(HWND, UINT id) {
    if (id != kTimer1 || inHostCall_) return;
    hostLinked_ = 1;
    inHostCall_ = true;
    HRESULT hr = hostApp_.Attach();
    inHostCall_ = false;
    if (FAILED(hr)) {
        hostLinked_ = 0;
        EndProgram();
    }
}

void PanelWindow::OnSysCommand(HWND window, UINT command, int x, int y) {
    if ((command & 0xFFF0) == kCmdHeaderEditor)
        ShowHeaderEditor();
    else
        FORWARD_WM_SYSCOMMAND(window, command, x, y, DefWindowProcA);
}

void PanelWindow::OnContextMenu(int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, kCmdHeaderEditor, kHeaderEditorItem);
    if (x == -1 && y == -1) {  // from the keyboard: at the panel's client corner
        POINT corner{0, 0};
        ClientToScreen(hwnd(), &corner);
        x = corner.x;
        y = corner.y;
    }
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd(), nullptr));
    DestroyMenu(menu);
    if (chosen == kCmdHeaderEditor) ShowHeaderEditor();
}

void PanelWindow::OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_BUTTON) return;
    RECT r = item->rcItem;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    FillRect(item->hDC, &r, buttonFace_);
    DrawEdge(item->hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::string caption = WindowText(item->hwndItem);
    HGDIOBJ oldFont = buttonFont_ ? SelectObject(item->hDC, buttonFont_) : nullptr;
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(COLOR_BTNTEXT));
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextA(item->hDC, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) SelectObject(item->hDC, oldFont);
    if (item->itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item->hDC, &focus);
    }
}

// Shutdown by the operator: release the host, hide the editor, end the message loop.
void PanelWindow::OnDestroy(HWND window) {
    KillTimer(window, kTimer1);
    hostApp_.Release();
    if (buttonFont_) DeleteObject(buttonFont_);
    if (buttonFace_) DeleteObject(buttonFace_);
    buttonFont_ = nullptr;
    buttonFace_ = nullptr;
    if (editor_) editor_->Hide();
    PostQuitMessage(0);
}

void PanelWindow::ShowHeaderEditor() {
    if (!editor_) {
        auto editor = std::make_unique<HeaderEditor>();
        // Without the editor window the panel stays shown.
        if (!editor->Create()) return;
        editor_ = std::move(editor);
    }
    editor_->Show(hwnd());
}

}  // namespace orvin
