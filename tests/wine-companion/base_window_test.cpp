// BaseWindow, the window pattern of Orvin and the stand-in hosts: which messages reach the object, and the object's and window's lives.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "base_window.h"

namespace {

constexpr char kClass[] = "VelmorBaseWindowTest";
constexpr UINT kAsk = WM_APP + 1;          // answered with 42
constexpr UINT kEndYourself = WM_APP + 2;  // the handler destroys its own object, answers 7

struct RecorderOptions {
    bool refuseCreate = false;
    bool destroyInOwnDestructor = false;  // as a class whose members own child windows does
};

// A window that writes down every message its object is handed, in a list outside the object,
// so that what happens around the object's end can be read afterwards.
class Recorder : public orvin::BaseWindow {
public:
    explicit Recorder(std::vector<UINT>& seen, RecorderOptions options = {}) : seen_(seen), options_(options) {}
    ~Recorder() override {
        if (options_.destroyInOwnDestructor) Destroy();
    }

    bool Make(HWND parent = HWND_MESSAGE) {
        const DWORD style = parent == HWND_MESSAGE ? 0 : WS_OVERLAPPEDWINDOW;
        return Create(0, kClass, "recorder", style, 0, 0, 200, 100, parent, nullptr, GetModuleHandleA(nullptr));
    }
    HWND hwndAtCreate = nullptr;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen_.push_back(message);
        switch (message) {
        case WM_CREATE:
            hwndAtCreate = hwnd();
            return options_.refuseCreate ? -1 : 0;
        case kAsk:
            return 42;
        case kEndYourself:
            delete this;
            return 7;
        default:
            return DefWindowProcA(hwnd(), message, wParam, lParam);
        }
    }

    std::vector<UINT>& seen_;
    RecorderOptions options_;
};

class BaseWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        ASSERT_TRUE(orvin::RegisterWindowClass(wc));
    }
    static bool Saw(const std::vector<UINT>& seen, UINT message) {
        for (UINT m : seen)
            if (m == message) return true;
        return false;
    }
    std::vector<UINT> seen_;
};

TEST_F(BaseWindowTest, ObjectGetsEveryMessageFromNcCreateAndAnswersTheSender) {
    // A top-level window: the system asks its size (WM_GETMINMAXINFO) before WM_NCCREATE,
    // while the window has no object yet.
    Recorder window(seen_);
    ASSERT_TRUE(window.Make(nullptr));
    ASSERT_FALSE(seen_.empty());
    EXPECT_EQ(seen_.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(Saw(seen_, WM_CREATE));
    EXPECT_EQ(window.hwndAtCreate, window.hwnd()) << "the object knows its window in WM_CREATE";
    EXPECT_EQ(SendMessageA(window.hwnd(), kAsk, 0, 0), 42);

    // Destroyed from outside: WM_DESTROY is the object's last message, then both let go.
    HWND handle = window.hwnd();
    seen_.clear();
    ASSERT_TRUE(DestroyWindow(handle));
    EXPECT_TRUE(Saw(seen_, WM_DESTROY));
    EXPECT_FALSE(Saw(seen_, WM_NCDESTROY));
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(BaseWindowTest, RefusedCreationLeavesNoWindow) {
    RecorderOptions refuse;
    refuse.refuseCreate = true;
    Recorder window(seen_, refuse);
    EXPECT_FALSE(window.Make());
    EXPECT_EQ(window.hwnd(), nullptr);
    ASSERT_NE(window.hwndAtCreate, nullptr);
    EXPECT_FALSE(IsWindow(window.hwndAtCreate));
}

TEST_F(BaseWindowTest, ObjectDestroyedFirstTakesItsWindowAndGetsNoMessageOnTheWay) {
    for (bool own : {false, true}) {
        SCOPED_TRACE(own ? "Destroy in the class's own destructor" : "the base's destructor");
        RecorderOptions options;
        options.destroyInOwnDestructor = own;
        auto window = std::make_unique<Recorder>(seen_, options);
        ASSERT_TRUE(window->Make());
        HWND handle = window->hwnd();
        seen_.clear();
        window.reset();
        EXPECT_FALSE(IsWindow(handle));
        EXPECT_TRUE(seen_.empty()) << "a dying object was handed a message";
    }
}

TEST_F(BaseWindowTest, HandlerMayDestroyItsOwnObject) {
    auto* window = new Recorder(seen_);
    ASSERT_TRUE(window->Make());
    HWND handle = window->hwnd();
    seen_.clear();
    EXPECT_EQ(SendMessageA(handle, kEndYourself, 0, 0), 7);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(seen_, std::vector<UINT>{kEndYourself});
}

TEST_F(BaseWindowTest, ClassNameOfAnotherProcedureIsRefused) {
    WNDCLASSA same{};
    same.hInstance = GetModuleHandleA(nullptr);
    same.lpszClassName = kClass;
    EXPECT_TRUE(orvin::RegisterWindowClass(same)) << "registered again by the same pattern";

    WNDCLASSA other{};
    other.lpfnWndProc = DefWindowProcA;
    other.hInstance = GetModuleHandleA(nullptr);
    other.lpszClassName = "VelmorBaseWindowTestOther";
    ASSERT_TRUE(RegisterClassA(&other));
    EXPECT_FALSE(orvin::RegisterWindowClass(other));
    UnregisterClassA(other.lpszClassName, other.hInstance);
}

}  // namespace
