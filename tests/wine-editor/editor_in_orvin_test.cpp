// Drives the header editor of the real Orvin.exe from its panel, against the stand-in host.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "control.h"
#include "desktop.h"
#include "files.h"
#include "form2_controls.h"
#include "header_file.h"
#include "panel_commands.h"
#include "process.h"

namespace {

using namespace orvin::form2;

// Upper bound for anything to happen in the other processes; waits end as soon as it has.
constexpr DWORD kPatienceMs = 20000;

bool WaitUntil(const std::function<bool()>& done) { return wine_test::WaitFor(done, kPatienceMs); }

// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::string& path) {
    return wine_test::ReadFileBytes(path).value_or("<missing>");
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(wine_test::WriteFileBytes(path, bytes)) << path;
}

std::set<std::string> DirectoryEntries(const std::string& dir) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

using wine_test::Process;
using wine_test::RemoveTree;

// A top-level window of process `pid` whose class is `className` (and caption, if given).
HWND FindTopLevel(DWORD pid, const char* className, const char* caption = nullptr) {
    return wine_test::FindWindowOf(pid, className, false, caption);
}

// The control's own text, asked of it across the process boundary.
std::string TextOf(HWND control) { return wine_test::ControlText(control); }

void SetTextOf(HWND control, const std::string& text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Asked in wide characters, then turned into the system code page: an ANSI CB_GETLBTEXT
// from another process comes back cut to its first character under Wine.
std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char narrow[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
        items.push_back(narrow);
    }
    return items;
}

// Saves what the screen shows inside `window` as a PNG file (for people to look at, and
// for the operator guide's pictures), encoded by the system's imaging component.
void SaveScreenshot(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows, as the encoder takes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const UINT stride = ((static_cast<UINT>(w) * 3 + 3) / 4) * 4;

    const std::wstring widePath(path.begin(), path.end());  // ASCII paths only
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory));
    if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h));
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(h), stride, stride * static_cast<UINT>(h),
                                static_cast<BYTE*>(bits));
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    EXPECT_TRUE(SUCCEEDED(hr)) << "PNG screenshot " << path << ": HRESULT " << std::hex << hr;

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// One Orvin.exe with its panel, in a fresh working directory, against a fresh stand-in host
// whose DDE items are MyCall "ua1abc" and Version "2.7.1".
class EditorInOrvin : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        dir_ = std::string(temp) + "orvin-editor-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;

        ASSERT_TRUE(host_.Start(std::string("\"") + KOVA_HOST_EXE + "\" --mycall ua1abc --version 2.7.1", dir_))
            << "cannot start " << KOVA_HOST_EXE;
        ASSERT_TRUE(WaitUntil([&] { return kova::FindStandInHost(host_.pid()) != nullptr; }));
        hostWindow_ = kova::FindStandInHost(host_.pid());

        ASSERT_TRUE(orvin_.Start(std::string("\"") + ORVIN_EXE + "\"", dir_)) << "cannot start " << ORVIN_EXE;
        ASSERT_TRUE(WaitUntil([&] {
            panel_ = FindTopLevel(orvin_.pid(), orvin::kPanelClassName);
            return panel_ && IsWindowVisible(panel_);
        })) << "the panel did not appear";
    }

    void TearDown() override {
        orvin_.Kill();
        if (hostWindow_) kova::SendHostCommand(hostWindow_, "exit");
        host_.WaitForExit(kPatienceMs);
        host_.Kill();
        RemoveTree(dir_);
    }

    // The operator's actions on the panel that open the editor.
    enum class Opener { SystemMenu, RightClick };

    void OpenEditor(Opener how) {
        if (how == Opener::SystemMenu) {
            PostMessageA(panel_, WM_SYSCOMMAND, orvin::kCmdHeaderEditor, 0);
        } else {
            // A right click on the panel pops up its menu; the operator picks the one item.
            PostMessageA(panel_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
            PostMessageA(panel_, WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
            HWND menu = nullptr;
            ASSERT_TRUE(WaitUntil([&] {
                menu = FindTopLevel(orvin_.pid(), "#32768");
                return menu && IsWindowVisible(menu);
            })) << "no menu on a right click";
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        }
        ASSERT_TRUE(WaitUntil([&] {
            editor_ = FindTopLevel(orvin_.pid(), kWindowClass, kCaption);
            return editor_ && IsWindowVisible(editor_) && !IsWindowVisible(panel_);
        })) << "the editor did not open in place of the panel";
        frame_ = GetDlgItem(editor_, kFrame1);
        ASSERT_NE(frame_, nullptr);
    }

    HWND Field(int id) const { return GetDlgItem(frame_, id); }
    std::string Text(int id) const { return TextOf(Field(id)); }

    bool BackAtThePanel() const {
        return WaitUntil([&] { return !IsWindowVisible(editor_) && IsWindowVisible(panel_); });
    }

    // The message box that reports a failed OK, as Orvin shows it; nullptr if none comes.
    HWND WaitForMessageBox() const {
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindTopLevel(orvin_.pid(), "#32770", kMessageCaption)) != nullptr; });
        return box;
    }

    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    std::string dir_;
    Process host_, orvin_;
    HWND hostWindow_ = nullptr, panel_ = nullptr, editor_ = nullptr, frame_ = nullptr;
};

TEST_F(EditorInOrvin, OpensFromSystemMenuWithHostValuesWritesTheLogOnOkAndReturnsToThePanel) {
    const std::string body = ReadFileBytes(std::string(EDITOR_DATA_DIR) + "/body.tmp");
    WriteFileBytes(Path("tmp.tmp"), body);
    OpenEditor(Opener::SystemMenu);

    // Loading: the host's call sign in upper case, "Kova " and its version, fixed defaults.
    const struct {
        int id;
        const char* text;
    } loaded[] = {
        {kText1, "UA1ABC"}, {kText2, "KALVER-PSK"}, {kText10, "DIGI"},    {kText11, "MA01"},
        {kText3, ""},       {kText12, "Kova 2.7.1"}, {kText4, ""},        {kText8, ""},
        {kText6, ""},       {kText5, ""},           {kText9, ""},         {kText7, ""},
        {kMyCall, "ua1abc"}, {kVersion, "2.7.1"},
    };
    for (const auto& f : loaded) EXPECT_EQ(Text(f.id), f.text) << "control " << f.id;
    EXPECT_FALSE(IsWindowVisible(Field(kMyCall)));
    EXPECT_FALSE(IsWindowVisible(Field(kVersion)));
    EXPECT_EQ(ComboItems(Field(kCombo1)), (std::vector<std::string>{"SINGLE-OP", "MULTI-OP", "ONLY RUSSIA"}));
    EXPECT_EQ(ComboItems(Field(kCombo4)), (std::vector<std::string>{"ALL", "160m", "80m", "40m", "20m", "15m", "10m"}));
    EXPECT_EQ(SendMessageA(Field(kCombo1), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(Field(kCombo4), CB_GETCURSEL, 0, 0), 0);

    CreateDirectoryA(ARTIFACTS_DIR, nullptr);
    SaveScreenshot(editor_, std::string(ARTIFACTS_DIR) + "/header-editor.png");

    // A later change of the host's item reaches the hidden field only.
    ASSERT_TRUE(kova::SendHostCommand(hostWindow_, "set MyCall r9xyz"));
    ASSERT_TRUE(kova::SendHostCommand(hostWindow_, "set Version 3.0beta"));
    EXPECT_TRUE(WaitUntil([&] { return Text(kMyCall) == "r9xyz"; })) << Text(kMyCall);
    EXPECT_TRUE(WaitUntil([&] { return Text(kVersion) == "3.0beta"; })) << Text(kVersion);
    EXPECT_EQ(Text(kText1), "UA1ABC");
    EXPECT_EQ(Text(kText12), "Kova 2.7.1");

    // The operator fills the form as for the golden file (Cyrillic in code page 1251).
    SetTextOf(Field(kText2), "SOMETHING ELSE");
    SendMessageA(Field(kCombo1), CB_SETCURSEL, 1, 0);
    SetTextOf(Field(kCombo1), "NO SUCH CATEGORY");  // typed over: the chosen item still counts
    SendMessageA(Field(kCombo4), CB_SETCURSEL, 2, 0);
    SetTextOf(Field(kText3), "13");
    SetTextOf(Field(kText4), "\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2");
    SetTextOf(Field(kText8), "\xf3\xeb. \xcb\xe5\xed\xe8\xed\xe0, 1\r\n\xd1\xe0\xed\xea\xf2-\xcf\xe5\xf2\xe5\xf0\xe1\xf3\xf0\xe3");
    SetTextOf(Field(kText6), "\xd0\xe0\xe4\xe8\xee\xea\xeb\xf3\xe1");
    SetTextOf(Field(kText5), "UA1ABC RA1QQ");
    SetTextOf(Field(kText9), "Good conditions on 80m.\r\n\r\n73!");
    SetTextOf(Field(kText7), "ua1abc@example.org");
    PostMessageA(Field(kCommand1), BM_CLICK, 0, 0);

    ASSERT_TRUE(BackAtThePanel());
    EXPECT_EQ(ReadFileBytes(Path("UA1ABC.cbr")), ReadFileBytes(std::string(EDITOR_DATA_DIR) + "/filled.cbr"));
    EXPECT_EQ(ReadFileBytes(Path("tmp.tmp")), body);
    EXPECT_EQ(DirectoryEntries(dir_), (std::set<std::string>{"UA1ABC.cbr", "tmp.tmp"}));

    // A second visit, from the right-click menu, shows what was typed; nothing is loaded again.
    OpenEditor(Opener::RightClick);
    EXPECT_EQ(Text(kText1), "UA1ABC");
    EXPECT_EQ(Text(kText3), "13");
    EXPECT_EQ(Text(kText5), "UA1ABC RA1QQ");
    EXPECT_EQ(SendMessageA(Field(kCombo4), CB_GETCURSEL, 0, 0), 2);
}

TEST_F(EditorInOrvin, CancelAndTheCloseBoxWriteNothingAndShowThePanel) {
    WriteFileBytes(Path("tmp.tmp"), "QSO: 1\r\n");
    WriteFileBytes(Path("UA1ABC.cbr"), "earlier");
    const struct {
        const char* what;
        std::function<void(HWND editor, HWND cancel)> leave;
    } ways[] = {
        {"CANCEL button", [](HWND, HWND cancel) { PostMessageA(cancel, BM_CLICK, 0, 0); }},
        {"close box", [](HWND editor, HWND) { PostMessageA(editor, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        OpenEditor(Opener::SystemMenu);
        SetTextOf(Field(kText4), "changed");
        way.leave(editor_, Field(kCommand2));
        EXPECT_TRUE(BackAtThePanel()) << way.what;
        EXPECT_EQ(ReadFileBytes(Path("UA1ABC.cbr")), "earlier") << way.what;
        EXPECT_EQ(DirectoryEntries(dir_), (std::set<std::string>{"UA1ABC.cbr", "tmp.tmp"})) << way.what;
        EXPECT_EQ(FindTopLevel(orvin_.pid(), "#32770", kMessageCaption), nullptr) << way.what;
    }
}

TEST_F(EditorInOrvin, FailedOkShowsTheMessageKeepsTheEditorAndTheEarlierFileThenOkSucceeds) {
    WriteFileBytes(Path("UA1ABC.cbr"), "earlier");
    const struct {
        const char* what;
        const char* callsign;
        bool body;
    } failures[] = {
        {"no tmp.tmp", "UA1ABC", false},
        {"call sign leaving the folder", "..\\UA1ABC", true},
        {"call sign naming a device", "CON", true},
        {"call sign with a forbidden character", "UA1ABC?", true},
    };
    OpenEditor(Opener::SystemMenu);
    for (const auto& f : failures) {
        DeleteFileA(Path("tmp.tmp").c_str());
        if (f.body) WriteFileBytes(Path("tmp.tmp"), "QSO: 1\r\n");
        SetTextOf(Field(kText1), f.callsign);
        PostMessageA(Field(kCommand1), BM_CLICK, 0, 0);

        HWND box = WaitForMessageBox();
        ASSERT_NE(box, nullptr) << f.what;
        EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), orvin::kWriteFailedMessage) << f.what;
        EXPECT_TRUE(IsWindowVisible(editor_)) << f.what;
        EXPECT_FALSE(IsWindowVisible(panel_)) << f.what;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << f.what;

        EXPECT_EQ(ReadFileBytes(Path("UA1ABC.cbr")), "earlier") << f.what;
        std::set<std::string> expected{"UA1ABC.cbr"};
        if (f.body) expected.insert("tmp.tmp");
        EXPECT_EQ(DirectoryEntries(dir_), expected) << f.what;
    }
    EXPECT_EQ(ReadFileBytes(dir_ + "\\..\\UA1ABC.cbr"), "<missing>");

    // Corrected, the next OK writes the file.
    SetTextOf(Field(kText1), "UA1ABC");
    PostMessageA(Field(kCommand1), BM_CLICK, 0, 0);
    ASSERT_TRUE(BackAtThePanel());
    const std::string written = ReadFileBytes(Path("UA1ABC.cbr"));
    EXPECT_NE(written.find("CALLSIGN: UA1ABC\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\r\nQSO: 1\r\nEND-OF-LOG:\r\n"), std::string::npos) << written;
}

#ifdef VELMOR_EXE
// The log body written by velmor.exe body is what the editor puts under its header: the
// submission file is the header, those bytes unchanged and the end line, and velmor check
// finds nothing in it that a robot would reject.
TEST_F(EditorInOrvin, VelmorBodyBecomesTheSubmissionsLog) {
    auto runVelmor = [&](const std::string& args) -> DWORD {
        Process velmor;
        if (!velmor.Start(std::string("\"") + VELMOR_EXE + "\" " + args, dir_)) return 99;
        if (!velmor.WaitForExit(kPatienceMs)) return 99;
        return velmor.ExitCode();
    };
    // Status 1: the sample holds QSOs the plug-in turns away, on purpose.
    ASSERT_EQ(runVelmor(std::string("body \"") + VELMOR_SAMPLE + "\" --call UA1ABC"), 1u);
    const std::string body = ReadFileBytes(Path("tmp.tmp"));
    ASSERT_EQ(body.rfind("QSO: 14025 CW 2026-05-16 1201 UA1ABC        599 001    RA3DKM        599 014\r\n", 0), 0u)
        << body.substr(0, 200);

    OpenEditor(Opener::SystemMenu);
    PostMessageA(Field(kCommand1), BM_CLICK, 0, 0);
    ASSERT_TRUE(BackAtThePanel());

    const std::string file = ReadFileBytes(Path("UA1ABC.cbr"));
    ASSERT_EQ(file.rfind("START-OF-LOG: 3.0\r\n", 0), 0u) << file.substr(0, 200);
    const std::size_t at = file.find(body);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(file.substr(at + body.size()), "END-OF-LOG:\r\n");
    EXPECT_EQ(file.find("QSO:"), at);  // nothing of the body before it, no line twice
    // Warnings only (the contest's PM label, the sample's repeats, an empty CLAIMED-SCORE).
    EXPECT_EQ(runVelmor("check UA1ABC.cbr"), 1u);
}
#endif

}  // namespace
