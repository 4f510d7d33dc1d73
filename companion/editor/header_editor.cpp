// Form2, the Cabrillo header editor window: its layout, loading from the host's DDE items, OK and CANCEL.
#include "header_editor.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "form2_controls.h"
#include "header_defaults.h"
#include "win32_files.h"

namespace orvin {

using namespace form2;

namespace {

constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);

// The host's DDE service, topic and linked items.
constexpr char kDdeService[] = "Kova";
constexpr char kDdeTopic[] = "Info";
constexpr char kItemMyCall[] = "MyCall";
constexpr char kItemVersion[] = "Version";

const char* const kOperatorItems[] = {"SINGLE-OP", "MULTI-OP", "ONLY RUSSIA"};
const char* const kBandItems[] = {"ALL", "160m", "80m", "40m", "20m", "15m", "10m"};

// Sizes in twips (1/1440 inch).
constexpr int kClientWidth = 7440;
constexpr int kClientHeight = 6240;
constexpr int kFieldHeight = 288;
constexpr int kComboDropHeight = 1800;  // edit part plus the dropped list

enum class Kind { Text, MultiLine, Combo, Hidden, Button };

struct ControlLayout {
    int id;
    Kind kind;
    const char* label;  // nullptr: no label
    int labelLeft;
    int left, top, width, height;
    const char* initial;
};

// The form from top to bottom, in tab order.
const ControlLayout kControls[] = {
    {kText1, Kind::Text, "CALLSIGN", 120, 2520, 240, 1452, kFieldHeight, "Your CALL"},
    {kText2, Kind::Text, "CONTEST", 4200, 5640, 240, 1452, 240, "KALVER-PSK"},
    {kCombo1, Kind::Combo, "CATEGORY-OPERATOR", 120, 2520, 600, 1452, kFieldHeight, nullptr},
    {kCombo4, Kind::Combo, "CATEGORY-BAND", 4200, 5640, 600, 1452, kFieldHeight, nullptr},
    {kText10, Kind::Text, "CATEGORY-MODE", 120, 2520, 960, 1452, kFieldHeight, "DIGI"},
    {kText11, Kind::Text, "LOCATION", 4200, 5640, 960, 1452, kFieldHeight, "MA01"},
    {kText3, Kind::Text, "CLAIMED", 120, 2520, 1320, 1452, kFieldHeight, ""},
    {kText12, Kind::Text, "CREATED-BY", 4200, 5640, 1320, 1452, kFieldHeight, "Kova"},
    {kText4, Kind::Text, "NAME", 120, 2520, 1680, 4572, kFieldHeight, ""},
    {kText8, Kind::MultiLine, "ADDRESS", 120, 2520, 2040, 4572, 612, ""},
    {kText6, Kind::Text, "CLUB", 120, 2520, 2760, 4572, kFieldHeight, ""},
    {kText5, Kind::MultiLine, "OPERATORS", 120, 2520, 3120, 4572, 648, ""},
    {kText9, Kind::MultiLine, "SOAPBOX", 120, 2520, 3840, 4572, 732, ""},
    {kText7, Kind::Text, "E-MAIL", 120, 2520, 4680, 4572, kFieldHeight, ""},
    {kCommand1, Kind::Button, nullptr, 0, 2640, 5520, 1212, 492, "OK"},
    {kCommand2, Kind::Button, nullptr, 0, 4920, 5520, 1092, 492, "CANCEL"},
    {kMyCall, Kind::Hidden, nullptr, 0, 120, 5520, 1212, kFieldHeight, kItemMyCall},
    {kVersion, Kind::Hidden, nullptr, 0, 120, 5880, 1212, kFieldHeight, kItemVersion},
};

// Labels end where their field begins (left column) or at the right field (right column).
int LabelWidth(const ControlLayout& c) { return c.left - c.labelLeft - 60; }

// The grey of the form, its frame and its labels. Made once: the window classes hold it.
HBRUSH GreyBrush() {
    static const HBRUSH brush = CreateSolidBrush(kGrey);
    return brush;
}

bool RegisterClasses() {
    HBRUSH grey = GreyBrush();
    if (!grey) return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA form{};
    form.hInstance = instance;
    form.hCursor = LoadCursor(nullptr, IDC_ARROW);
    form.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    form.hbrBackground = grey;
    form.lpszClassName = kWindowClass;
    WNDCLASSA frame{};
    frame.hInstance = instance;
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = grey;
    frame.lpszClassName = kFrameClass;
    return RegisterWindowClass(form) && RegisterWindowClass(frame);
}

}  // namespace

HeaderEditor::~HeaderEditor() {
    // The form and Frame1 go before the members they use.
    Destroy();
    if (fieldFont_) DeleteObject(fieldFont_);
}

bool HeaderEditor::Create() {
    if (hwnd()) return true;  // made once; hiding keeps it
    dpi_ = GetScreenDpi();
    if (!RegisterClasses()) return false;

    // Verdana 7.5 point regular, Cyrillic character set.
    if (!fieldFont_) fieldFont_ = CreatePointFont("Verdana", 75, FW_NORMAL, dpi_.y, DEFAULT_PITCH | FF_SWISS);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, X(kClientWidth), Y(kClientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;

    // Modeless and without owner, so it has its own taskbar button while the panel is hidden.
    if (!BaseWindow::Create(0, kWindowClass, kCaption, style, left, top, width, height, nullptr, nullptr,
                            GetModuleHandleA(nullptr)))
        return false;
    CreateControls();
    Load();
    return true;
}

void HeaderEditor::CreateControls() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // Frame1: the grey container covering the whole client area; every control is its child.
    frame_.Create(hwnd(), X(kClientWidth), Y(kClientHeight));
    HWND frame = frame_.hwnd();
    auto font = [](HWND control, HFONT f) { SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE); };
    HFONT buttonFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    for (const ControlLayout& c : kControls) {
        if (c.label) {
            HWND label = CreateWindowExA(0, "STATIC", c.label, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                         X(c.labelLeft), Y(c.top), X(LabelWidth(c)), Y(kFieldHeight), frame,
                                         nullptr, instance, nullptr);
            font(label, fieldFont_);
        }
        const char* windowClass = "EDIT";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        DWORD exStyle = WS_EX_CLIENTEDGE;
        int height = Y(c.height);
        switch (c.kind) {
            case Kind::Text:
                style |= ES_LEFT | ES_AUTOHSCROLL;
                break;
            case Kind::MultiLine:
                style |= ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
                break;
            case Kind::Hidden:
                style = WS_CHILD | ES_LEFT | ES_AUTOHSCROLL;
                break;
            case Kind::Combo:
                windowClass = "COMBOBOX";
                style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
                exStyle = 0;
                height = Y(kComboDropHeight);
                break;
            case Kind::Button:
                windowClass = "BUTTON";
                style |= BS_PUSHBUTTON;
                exStyle = 0;
                break;
        }
        HWND control = CreateWindowExA(exStyle, windowClass, c.initial ? c.initial : "", style, X(c.left), Y(c.top),
                                       X(c.width), height, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        font(control, c.kind == Kind::Button ? buttonFont : fieldFont_);
        if (c.kind == Kind::Combo) {
            // The edit part at the height of the other single-line fields.
            SendMessageA(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Y(kFieldHeight) - 6);
        }
    }
}

// Runs once, when the window is first created.
void HeaderEditor::Load() {
    HWND combo1 = Control(kCombo1);
    for (const char* item : kOperatorItems) SendMessageA(combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo1, CB_SETCURSEL, 0, 0);
    HWND combo4 = Control(kCombo4);
    for (const char* item : kBandItems) SendMessageA(combo4, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo4, CB_SETCURSEL, 0, 0);

    // Automatic links to the host: the current value now, later changes as they come.
    // Without an answer the hidden fields keep their own names.
    SetWindowTextA(Control(kMyCall), kItemMyCall);
    SetWindowTextA(Control(kVersion), kItemVersion);
    HWND frame = frame_.hwnd();
    const bool started = hostLinks_.start(kDdeService, kDdeTopic, [frame](const std::string& item,
                                                                          const std::string& text) {
        if (item == kItemMyCall) SetWindowTextA(GetDlgItem(frame, kMyCall), text.c_str());
        else if (item == kItemVersion) SetWindowTextA(GetDlgItem(frame, kVersion), text.c_str());
    });
    if (started) {
        for (const auto& [item, id] : {std::pair<const char*, int>{kItemMyCall, kMyCall}, {kItemVersion, kVersion}})
            if (auto text = hostLinks_.link(item)) SetWindowTextA(Control(id), text->c_str());
    }

    // Once only: later link updates reach the hidden fields alone.
    SetWindowTextA(Control(kText1), InitialCallsign(WindowText(Control(kMyCall))).c_str());
    SetWindowTextA(Control(kText12), InitialCreatedBy(WindowText(Control(kVersion))).c_str());
}

void HeaderEditor::Show(HWND panel) {
    panel_ = panel;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    if (panel_) ShowWindow(panel_, SW_HIDE);
}

void HeaderEditor::ReturnToPanel() {
    if (panel_) ShowWindow(panel_, SW_SHOW);
    ShowWindow(hwnd(), SW_HIDE);
}

void HeaderEditor::Hide() { ShowWindow(hwnd(), SW_HIDE); }

std::string HeaderEditor::SelectedItem(int comboId, int& lastSelected) {
    // A text typed into the combo that is no item leaves the last chosen item in force.
    HWND combo = Control(comboId);
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR) lastSelected = static_cast<int>(selected);
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, lastSelected, 0);
    if (length == CB_ERR) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(combo, CB_GETLBTEXT, lastSelected, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

HeaderFields HeaderEditor::CollectFields() {
    HeaderFields f;
    f.callsign = WindowText(Control(kText1));
    f.contest = WindowText(Control(kText2));
    f.categoryOperator = SelectedItem(kCombo1, lastOperator_);
    f.categoryBand = SelectedItem(kCombo4, lastBand_);
    f.categoryMode = WindowText(Control(kText10));
    f.location = WindowText(Control(kText11));
    f.claimed = WindowText(Control(kText3));
    f.createdBy = WindowText(Control(kText12));
    f.name = WindowText(Control(kText4));
    f.address = WindowText(Control(kText8));
    f.club = WindowText(Control(kText6));
    f.operators = WindowText(Control(kText5));
    f.soapbox = WindowText(Control(kText9));
    f.email = WindowText(Control(kText7));
    return f;
}

void HeaderEditor::OnOk() {
    StdioLogFiles files(velmor::win32::Win32FileOps());
    if (SaveLogFile(CollectFields(), files) == SaveResult::Written) {
        ReturnToPanel();
        return;
    }
    // Nothing stays open and an earlier file is as it was: the operator may correct and retry.
    MessageBoxA(hwnd(), kWriteFailedMessage, kMessageCaption, MB_OK);
}

void HeaderEditor::OnCancel() { ReturnToPanel(); }

void HeaderEditor::OnCommand(HWND, int id, HWND, UINT code) {
    switch (id) {
        case kCommand1:
            if (code == BN_CLICKED) OnOk();
            break;
        case kCommand2:
        case IDCANCEL:  // Esc
            if (code == BN_CLICKED) OnCancel();
            break;
        case kCombo1:
            if (code == CBN_SELCHANGE) SelectedItem(kCombo1, lastOperator_);
            break;
        case kCombo4:
            if (code == CBN_SELCHANGE) SelectedItem(kCombo4, lastBand_);
            break;
        default:
            break;
    }
}

// The window frame's close box acts as CANCEL, so the panel is never left hidden.
void HeaderEditor::OnClose(HWND) { OnCancel(); }

HBRUSH HeaderEditor::OnCtlColorStatic(HWND, HDC dc, HWND, int) {
    SetBkColor(dc, kGrey);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GreyBrush();
}

LRESULT HeaderEditor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(hwnd(), WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd(), WM_CLOSE, OnClose);
        HANDLE_MSG(hwnd(), WM_CTLCOLORSTATIC, OnCtlColorStatic);
        default:
            return DefWindowProcA(hwnd(), message, wParam, lParam);
    }
}

bool HeaderEditor::Frame::Create(HWND form, int width, int height) {
    return BaseWindow::Create(WS_EX_CONTROLPARENT, kFrameClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                              width, height, form, reinterpret_cast<HMENU>(kFrame1), GetModuleHandleA(nullptr));
}

LRESULT HeaderEditor::Frame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
            return SendMessageA(GetParent(hwnd()), message, wParam, lParam);
        default:
            return DefWindowProcA(hwnd(), message, wParam, lParam);
    }
}

bool HeaderEditor::IsEditorMessage(MSG* msg) {
    HWND form = hwnd();
    if (!form || !msg) return false;
    if (!IsWindowVisible(form) || (msg->hwnd != form && !IsChild(form, msg->hwnd))) return false;
    return IsDialogMessageA(form, msg) != FALSE;
}

}  // namespace orvin
