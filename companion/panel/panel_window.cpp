// Form1's window procedure: one handler per message; what is sent comes from mode_macros.h.
#include "panel_window.h"

#include <windowsx.h>

#include <optional>
#include <string>

#include "header_editor.h"
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

PanelState* StateOf(HWND window) { return WindowObject<PanelState>(window); }

// The program ends at once: no further handler of any window runs, nothing is said.
[[noreturn]] void EndProgram() { ExitProcess(0); }

void BringHostForward(PanelState& state) {
    if (state.hostWnd) state.foregroundResult = SetForegroundWindow(state.hostWnd);
}

void CreateButtons(HWND window, PanelState& state) {
    const int dpi = GetScreenDpi().y;
    state.buttonFont = CreatePointFont(kButtonFontFace, kButtonFontTenthsOfPoint, FW_BOLD, dpi);
    state.buttonFace = CreateSolidBrush(kButtonFaceColor);
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    for (const ButtonLayout& b : kModeButtons) {
        // Owner-drawn: a standard push button cannot take a face colour of its own.
        HWND button = CreateWindowExA(
            0, "BUTTON", b.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
            TwipsToPixels(b.left, dpi), TwipsToPixels(b.top, dpi), TwipsToPixels(b.width, dpi),
            TwipsToPixels(b.height, dpi), window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
        if (button && state.buttonFont)
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.buttonFont), FALSE);
    }
}

void AddHeaderEditorToSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kCmdHeaderEditor, kHeaderEditorItem);
}

// Start-up sequence, run while the panel is created and before it is shown.
bool OnCreate(HWND window, LPCREATESTRUCT create) {
    auto* state = static_cast<PanelState*>(create->lpCreateParams);
    SetWindowObject(window, state);

    state->hostLinked = 1;
    if (FAILED(state->hostApp.Attach())) {
        MessageBoxA(nullptr, kNotLoadedText, kMessageCaption, MB_OK);
        state->hostLinked = 0;
        return false;
    }
    SetLastError(0);
    state->instanceSemaphore = CreateSemaphoreA(nullptr, 0, 1, kSemaphoreName);
    if (GetLastError() != 0 || !state->instanceSemaphore) return false;  // a copy runs already

    state->hostWnd = FindHostWindow();
    CreateButtons(window, *state);
    AddHeaderEditorToSystemMenu(window);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    state->inHostCall = true;
    for (const std::string& macro : StartupMacros()) state->hostApp.ExecuteMacros(macro);
    state->inHostCall = false;
    BringHostForward(*state);
    SetTimer(window, kTimer1, kWatchdogMilliseconds, nullptr);
    return true;
}

// The three mode buttons. A failing call into the host is ignored: the watchdog decides
// whether the host is gone.
void OnModeButton(PanelState& state, int id) {
    if (!state.hostLinked || state.inHostCall) return;
    std::optional<ModeButton> button;
    switch (id) {
    case kCmdCw: button = ModeButton::Cw; break;
    case kCmdPsk63: button = ModeButton::Psk63; break;
    case kCmdSsb: button = ModeButton::Ssb; break;
    default: break;
    }
    state.inHostCall = true;
    const auto readMode = [&state]() -> std::optional<std::string> {
        std::string mode;
        if (FAILED(state.hostApp.ReadMode(&mode))) return std::nullopt;
        return mode;
    };
    if (button)
        for (const std::string& macro : ModeButtonMacros(*button, readMode))
            state.hostApp.ExecuteMacros(macro);
    state.inHostCall = false;
    BringHostForward(state);
}

void OnCommand(HWND window, int id, HWND control, UINT code) {
    PanelState* state = StateOf(window);
    if (!state) return;
    if (id == static_cast<int>(kCmdHeaderEditor)) {
        ShowHeaderEditor(window);
        return;
    }
    if (control && code == BN_CLICKED) OnModeButton(*state, id);
}

// Watchdog: attach again every tick; when the host is gone the program ends silently.
void OnTimer(HWND window, UINT_PTR id) {
    PanelState* state = StateOf(window);
    if (!state || id != kTimer1 || state->inHostCall) return;
    state->hostLinked = 1;
    state->inHostCall = true;
    HRESULT hr = state->hostApp.Attach();
    state->inHostCall = false;
    if (FAILED(hr)) {
        state->hostLinked = 0;
        EndProgram();
    }
}

bool OnSysCommand(HWND window, UINT command) {
    if ((command & 0xFFF0) != kCmdHeaderEditor) return false;
    ShowHeaderEditor(window);
    return true;
}

void OnContextMenu(HWND window, int x, int y) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, kCmdHeaderEditor, kHeaderEditorItem);
    if (x == -1 && y == -1) {  // from the keyboard: at the panel's client corner
        POINT corner{0, 0};
        ClientToScreen(window, &corner);
        x = corner.x;
        y = corner.y;
    }
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, window, nullptr));
    DestroyMenu(menu);
    if (chosen == kCmdHeaderEditor) ShowHeaderEditor(window);
}

void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item) {
    PanelState* state = StateOf(window);
    if (!state || item->CtlType != ODT_BUTTON) return;
    RECT r = item->rcItem;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    FillRect(item->hDC, &r, state->buttonFace);
    DrawEdge(item->hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::string caption = WindowText(item->hwndItem);
    HGDIOBJ oldFont = state->buttonFont ? SelectObject(item->hDC, state->buttonFont) : nullptr;
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
void OnDestroy(HWND window) {
    PanelState* state = StateOf(window);
    KillTimer(window, kTimer1);
    if (state) {
        state->hostApp.Release();
        if (state->buttonFont) DeleteObject(state->buttonFont);
        if (state->buttonFace) DeleteObject(state->buttonFace);
        state->buttonFont = nullptr;
        state->buttonFace = nullptr;
    }
    HideHeaderEditor();
    PostQuitMessage(0);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, reinterpret_cast<LPCREATESTRUCT>(lParam)) ? 0 : -1;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window, static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if (OnSysCommand(window, static_cast<UINT>(wParam))) return 0;
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DRAWITEM:
        OnDrawItem(window, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kPanelBackColor);
    wc.lpszClassName = kPanelClassName;
    return RegisterClassA(&wc) != 0;
}

HWND CreatePanel(HINSTANCE instance, PanelState* state) {
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
    return CreateWindowExA(0, kPanelClassName, kPanelCaption, style, x, y, width, height, nullptr,
                           nullptr, instance, state);
}

}  // namespace orvin
