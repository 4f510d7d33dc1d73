// Orvin.exe against the stand-in host: start-up, single instance, mode buttons, watchdog.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "control.h"
#include "driver.h"
#include "panel_commands.h"
#include "panel_layout.h"

namespace companion_test {
namespace {

using Lines = std::vector<std::string>;

constexpr char kOrvin[] = "Orvin.exe";
constexpr char kHost[] = "kova-host.exe";

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

HWND MessageBoxOf(DWORD pid) { return FindWindowOf(pid, "#32770", true); }

std::string MessageBoxText(HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    return text;
}

// A running stand-in host and at most a few Orvin copies, all ended when the test ends.
class PanelTest : public ::testing::Test {
protected:
    void StartHost(const std::string& extra = "") {
        log_ = TestFileName("host");
        ASSERT_EQ(kova::FindStandInHost(), nullptr) << "a stand-in host from elsewhere is running";
        ASSERT_TRUE(host_.Start(kHost, "--log " + log_ + (extra.empty() ? "" : " " + extra)))
            << "cannot start the stand-in host, error " << host_.startError();
        ASSERT_TRUE(WaitFor([&] { return !ReadLines(log_).empty(); })) << "host never got ready";
        ASSERT_EQ(ReadLines(log_).front(), "ready");
        hostWnd_ = kova::FindStandInHost(host_.pid());
        ASSERT_NE(hostWnd_, nullptr);
    }

    // Starts a copy of Orvin and waits for its panel and its two start-up macros.
    HWND StartPanel(Process& orvin) {
        EXPECT_TRUE(orvin.Start(kOrvin)) << "cannot start Orvin, error " << orvin.startError();
        HWND panel = nullptr;
        bool shown = WaitFor([&] {
            panel = FindWindowOf(orvin.pid(), orvin::kPanelClassName, true);
            return panel && Macros(ReadLines(log_)).size() >= 2;
        });
        EXPECT_TRUE(shown) << "no panel or no start-up macros";
        return shown ? panel : nullptr;
    }

    void Command(const std::string& command) {
        ASSERT_TRUE(kova::SendHostCommand(hostWnd_, command)) << command;
    }

    // Clicks a panel button and returns the macros the host received for that click.
    Lines Click(HWND panel, const char* caption) {
        HWND button = FindWindowExA(panel, nullptr, "Button", caption);
        EXPECT_NE(button, nullptr) << caption;
        size_t before = Macros(ReadLines(log_)).size();
        DWORD_PTR ignored = 0;
        // The click's handler runs to its end (all calls into the host) before this returns.
        EXPECT_TRUE(SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 15000, &ignored));
        Lines all = Macros(ReadLines(log_));
        return Lines(all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end());
    }

    Lines HostLog() const { return ReadLines(log_); }

    Process host_;
    HWND hostWnd_ = nullptr;
    std::string log_;
};

TEST(PanelWithoutHost, ShowsNotLoadedAndEndsWithoutPanel) {
    ASSERT_EQ(kova::FindStandInHost(), nullptr);
    Process orvin;
    ASSERT_TRUE(orvin.Start(kOrvin));
    bool panelShown = false;
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        panelShown = panelShown || FindWindowOf(orvin.pid(), orvin::kPanelClassName, true);
        box = MessageBoxOf(orvin.pid());
        return box != nullptr || !orvin.Running();
    }));
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(MessageBoxText(box), "Kova2 is not loaded");
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    // The message comes before the instance marker: no semaphore exists while it is shown.
    HANDLE marker = OpenSemaphoreA(SYNCHRONIZE, FALSE, "Cats_Tail");
    EXPECT_EQ(marker, nullptr) << "the instance semaphore was created before the host check";
    if (marker) CloseHandle(marker);

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] {
        panelShown = panelShown || FindWindowOf(orvin.pid(), orvin::kPanelClassName, true);
        return !orvin.Running();
    })) << "the program did not end after the message";
    EXPECT_FALSE(panelShown);
    EXPECT_EQ(orvin.ExitCode(), 0u);
}

TEST_F(PanelTest, StartUpSendsMacrosAndShowsTopmostPanel) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Macros(HostLog()), (Lines{"<MODE:BPSK31>", "<BAUDRATE:31>"}));
    EXPECT_TRUE(GetWindowLongA(panel, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(WindowText(panel), "Velmor       ");

    // The designed layout at this display's DPI.
    int dpi = ScreenDpi();
    RECT client{};
    GetClientRect(panel, &client);
    EXPECT_EQ(client.right, orvin::TwipsToPixels(orvin::kClientWidthTwips, dpi));
    EXPECT_EQ(client.bottom, orvin::TwipsToPixels(orvin::kClientHeightTwips, dpi));
    for (const auto& b : orvin::kModeButtons) {
        SCOPED_TRACE(b.caption);
        HWND button = GetDlgItem(panel, b.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(WindowText(button), b.caption);
        RECT r{};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, orvin::TwipsToPixels(b.left, dpi));
        EXPECT_EQ(r.top, orvin::TwipsToPixels(b.top, dpi));
        EXPECT_EQ(r.right - r.left, orvin::TwipsToPixels(b.width, dpi));
        EXPECT_EQ(r.bottom - r.top, orvin::TwipsToPixels(b.height, dpi));
    }
    // Start-up leaves the host in BPSK31 mode.
    Command("fail off");
    EXPECT_EQ(Click(panel, "PSK63"), (Lines{"<BAUDRATE:63>"}));
}

TEST_F(PanelTest, SecondCopyEndsSilentlyAndFirstGoesOn) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process first;
    HWND panel = StartPanel(first);
    ASSERT_NE(panel, nullptr);

    Process second;
    ASSERT_TRUE(second.Start(kOrvin));
    bool secondShowedWindow = false;
    ASSERT_TRUE(WaitFor([&] {
        secondShowedWindow = secondShowedWindow || FindWindowOf(second.pid(), "", true);
        return !second.Running();
    })) << "the second copy did not end";
    EXPECT_FALSE(secondShowedWindow);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_EQ(Macros(HostLog()).size(), 2u) << "the second copy sent macros";

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(Click(panel, "CW"), (Lines{"<MODE:CW>"}));
}

struct ButtonCase {
    const char* name;
    const char* hostMode;  // set on the host before the click; nullptr leaves start-up's mode
    const char* button;
    Lines macros;
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class PanelButtons : public PanelTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(PanelButtons, ClickSendsItsMacros) {
    const ButtonCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    if (c.hostMode) Command(std::string("mode ") + c.hostMode);
    EXPECT_EQ(Click(panel, c.button), c.macros);
    EXPECT_TRUE(orvin.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Macros, PanelButtons,
    ::testing::Values(
        ButtonCase{"Cw", nullptr, "CW", {"<MODE:CW>"}},
        ButtonCase{"Ssb", nullptr, "SSB", {"<MODE:SSB>"}},
        ButtonCase{"Psk63InBpsk31", nullptr, "PSK63", {"<BAUDRATE:63>"}},
        ButtonCase{"Psk63InCw", "CW", "PSK63", {"<MODE:BPSK31>", "<BAUDRATE:63>"}},
        ButtonCase{"Psk63InSsb", "SSB", "PSK63", {"<MODE:BPSK31>", "<BAUDRATE:63>"}},
        ButtonCase{"Psk63ModeCaseDiffers", "bpsk31", "PSK63", {"<MODE:BPSK31>", "<BAUDRATE:63>"}},
        ButtonCase{"Psk63ModeLonger", "BPSK31 ", "PSK63", {"<MODE:BPSK31>", "<BAUDRATE:63>"}},
        ButtonCase{"Psk63ModeEmpty", "", "PSK63", {"<MODE:BPSK31>", "<BAUDRATE:63>"}}),
    [](const ::testing::TestParamInfo<ButtonCase>& info) { return std::string(info.param.name); });

TEST_F(PanelTest, ButtonsFollowTheHostsModeAcrossClicks) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Click(panel, "SSB"), (Lines{"<MODE:SSB>"}));
    EXPECT_EQ(Click(panel, "PSK63"), (Lines{"<MODE:BPSK31>", "<BAUDRATE:63>"}));
    EXPECT_EQ(Click(panel, "PSK63"), (Lines{"<BAUDRATE:63>"}));
}

TEST_F(PanelTest, FailingHostCallsAreIgnored) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    Command("fail on");
    for (const char* button : {"CW", "PSK63", "SSB"}) Click(panel, button);
    Lines refused;
    for (const auto& line : HostLog())
        if (line.rfind("macro-refused ", 0) == 0) refused.push_back(line.substr(14));
    // An unreadable Mode counts as not BPSK31; a refused macro does not stop the next one.
    EXPECT_EQ(refused, (Lines{"<MODE:CW>", "<MODE:BPSK31>", "<BAUDRATE:63>", "<MODE:SSB>"}));
    EXPECT_TRUE(orvin.Running());
    EXPECT_EQ(MessageBoxOf(orvin.pid()), nullptr);
    Command("fail off");
    EXPECT_EQ(Click(panel, "CW"), (Lines{"<MODE:CW>"}));
}

TEST_F(PanelTest, WithoutHostWindowButtonsStillSwitchModes) {
    ASSERT_NO_FATAL_FAILURE(StartHost("--class Afx:400000:b:10012:6:1234"));
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(Macros(HostLog()), (Lines{"<MODE:BPSK31>", "<BAUDRATE:31>"}));
    EXPECT_EQ(Click(panel, "SSB"), (Lines{"<MODE:SSB>"}));
}

TEST_F(PanelTest, OperatorClosingPanelEndsOnlyTheCompanion) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    PostMessageA(panel, WM_CLOSE, 0, 0);
    ASSERT_TRUE(orvin.WaitForExit());
    EXPECT_EQ(orvin.ExitCode(), 0u);
    EXPECT_TRUE(host_.Running());
    EXPECT_TRUE(IsWindow(hostWnd_));
    // The name is free again: a new copy starts normally.
    Process again;
    ASSERT_NE(StartPanel(again), nullptr);
    EXPECT_EQ(Macros(HostLog()).size(), 4u);
}

class HostGoesAway : public PanelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HostGoesAway, CompanionEndsWithoutMessage) {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);
    kova::SendHostCommand(hostWnd_, GetParam());  // "die" never answers
    ASSERT_TRUE(host_.WaitForExit());
    bool messageShown = false;
    ASSERT_TRUE(WaitFor([&] {
        messageShown = messageShown || MessageBoxOf(orvin.pid()) != nullptr;
        return !orvin.Running();
    })) << "the companion outlived its host";
    EXPECT_FALSE(messageShown);
    EXPECT_EQ(orvin.ExitCode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Watchdog, HostGoesAway, ::testing::Values("exit", "die"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace companion_test

namespace companion_test {
namespace {

// The operator's two ways to the header editor: the system menu and the right-click menu.
// Each menu is driven with the keyboard, as an operator would.
struct EditorRoute {
    const char* name;
    UINT message;  // opens the menu on the panel
    WPARAM wParam;
    LPARAM lParam;
    UINT selectKey;  // picks "Cabrillo header..." in it
};

void PrintTo(const EditorRoute& r, std::ostream* os) { *os << r.name; }

class HeaderEditorRoute : public PanelTest, public ::testing::WithParamInterface<EditorRoute> {};

TEST_P(HeaderEditorRoute, MenuItemOpensEditorAndHidesPanel) {
    const EditorRoute& route = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartHost());
    Process orvin;
    HWND panel = StartPanel(orvin);
    ASSERT_NE(panel, nullptr);

    PostMessageA(panel, route.message, route.wParam, route.lParam);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindWindowOf(orvin.pid(), "#32768", true)) != nullptr; }))
        << "the menu did not open";
    PostMessageA(menu, WM_KEYDOWN, route.selectKey, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);

    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        editor = FindWindowOf(orvin.pid(), "", true);
        return editor && WindowText(editor) == "DALMET FORM" && !IsWindowVisible(panel);
    })) << "the editor did not replace the panel";
    // Closing the editor brings the panel back; the companion goes on.
    PostMessageA(editor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(panel) && !IsWindowVisible(editor); }));
    EXPECT_TRUE(orvin.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Operator, HeaderEditorRoute,
    ::testing::Values(
        // Alt+Space: the system menu; the item is its last one.
        EditorRoute{"SystemMenu", WM_SYSCOMMAND, SC_KEYMENU, ' ', VK_UP},
        // The right-click menu (here from the keyboard: no position) has the item alone.
        EditorRoute{"RightClick", WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1), VK_DOWN}),
    [](const ::testing::TestParamInfo<EditorRoute>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace companion_test
