// FindHostWindow against windows this test creates, one class name at a time.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "control.h"
#include "host_window.h"

namespace companion_test {
namespace {

// A hidden top-level window of its own class; EnumWindows lists hidden windows too.
class FakeWindow {
public:
    explicit FakeWindow(const std::string& className) : className_(className) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className_.c_str();
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, className_.c_str(), "Kova2", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~FakeWindow() {
        if (window_) DestroyWindow(window_);
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    }
    HWND get() const { return window_; }

private:
    std::string className_;
    HWND window_ = nullptr;
};

struct ClassCase {
    std::string className;
    bool found;
};

void PrintTo(const ClassCase& c, std::ostream* os) { *os << '"' << c.className << '"'; }

std::string WithCharacter(size_t index, char c) {
    std::string name = "Afx:400000:b:10011:6:1234";
    name[index] = c;
    return name;
}

class FindHostWindowTest : public ::testing::TestWithParam<ClassCase> {
protected:
    void SetUp() override {
        ASSERT_EQ(kova::FindStandInHost(), nullptr) << "a stand-in host is running";
        ASSERT_EQ(orvin::FindHostWindow(), nullptr) << "some other window has a host class";
    }
};

TEST_P(FindHostWindowTest, MatchesOnTheFirst18Characters) {
    const ClassCase& c = GetParam();
    FakeWindow fake(c.className);
    ASSERT_NE(fake.get(), nullptr) << c.className;
    EXPECT_EQ(orvin::FindHostWindow(), c.found ? fake.get() : nullptr) << c.className;
    EXPECT_EQ(orvin::IsHostWindowClass(c.className.c_str()), c.found);
}

std::vector<ClassCase> ClassCases() {
    std::vector<ClassCase> cases = {
        {"Afx:400000:b:10011:6:1234", true},
        {"Afx:400000:b:10011", true},    // exactly the prefix
        {"Afx:400000:b:10011x", true},
        {"Afx:400000:b:1001", false},    // one short
        {"Afx:400000:b:", false},
        {"afx:400000:b:10011:6:1234", false},  // case counts
        {"Afx:400000:b:10011:6:1234 ", true},
        {"XAfx:400000:b:10011:6:1234", false},  // the prefix must start the name
    };
    // A change in any one of the 18 characters breaks the match.
    const std::string prefix = "Afx:400000:b:10011";
    for (size_t i = 0; i < prefix.size(); ++i)
        cases.push_back({WithCharacter(i, prefix[i] == '#' ? '$' : '#'), false});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ClassNames, FindHostWindowTest, ::testing::ValuesIn(ClassCases()));

TEST(FindHostWindow, FindsHostAmongOtherWindowsWhateverItsTitle) {
    ASSERT_EQ(orvin::FindHostWindow(), nullptr);
    FakeWindow before("Afx:400000:b:10012:6:1");
    FakeWindow host("Afx:400000:b:10011:8:99");
    FakeWindow after("Afx:400000:b:1001");
    SetWindowTextA(host.get(), "");
    EXPECT_EQ(orvin::FindHostWindow(), host.get());
    // Each walk starts afresh: once the window is gone nothing is found.
    DestroyWindow(host.get());
    EXPECT_EQ(orvin::FindHostWindow(), nullptr);
}

}  // namespace
}  // namespace companion_test
