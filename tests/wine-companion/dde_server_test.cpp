// The stand-in host's DDE server as a DDEML client sees it: connect, request, hot links.
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

#include "control.h"
#include "driver.h"

namespace companion_test {
namespace {

// What the DDEML callback received (the callback has no context pointer of its own).
struct Received {
    std::vector<std::pair<std::string, std::string>> advises;  // item, value
};
Received g_received;
DWORD g_instance = 0;

std::string HszText(HSZ hsz) {
    char text[256] = {};
    DWORD length = DdeQueryStringA(g_instance, hsz, text, sizeof(text), CP_WINANSI);
    return std::string(text, length);
}

std::string DataText(HDDEDATA data) {
    DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string text(size, '\0');
    if (size) DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ, HSZ item, HDDEDATA data, ULONG_PTR,
                           ULONG_PTR) {
    if (type == XTYP_ADVDATA) {
        g_received.advises.emplace_back(HszText(item), data ? DataText(data) : std::string());
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    return nullptr;
}

class DdeServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_received = Received{};
        log_ = TestFileName("dde-host");
        ASSERT_EQ(kova::FindStandInHost(), nullptr) << "a stand-in host from elsewhere is running";
        ASSERT_TRUE(host_.Start("kova-host.exe", "--log " + log_ + " --mycall R1ABC --version 3.1a"));
        ASSERT_TRUE(WaitFor([&] { return !ReadLines(log_).empty(); }));
        hostWnd_ = kova::FindStandInHost(host_.pid());
        ASSERT_NE(hostWnd_, nullptr);
        ASSERT_EQ(DdeInitializeA(&g_instance, Callback, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    }
    void TearDown() override {
        for (HSZ h : strings_) DdeFreeStringHandle(g_instance, h);
        if (g_instance) DdeUninitialize(g_instance);
        g_instance = 0;
    }

    HSZ Hsz(const char* text) {
        strings_.push_back(DdeCreateStringHandleA(g_instance, text, CP_WINANSI));
        return strings_.back();
    }
    HCONV Connect(const char* service = "Kova", const char* topic = "Info") {
        return DdeConnect(g_instance, Hsz(service), Hsz(topic), nullptr);
    }
    // A synchronous request; false when the server refused it.
    bool Request(HCONV conv, const char* item, std::string* value) {
        DWORD result = 0;
        HDDEDATA data = DdeClientTransaction(nullptr, 0, conv, Hsz(item), CF_TEXT, XTYP_REQUEST,
                                             5000, &result);
        if (!data) return false;
        *value = DataText(data);
        DdeFreeDataHandle(data);
        return true;
    }
    bool Transaction(HCONV conv, const char* item, UINT type) {
        DWORD result = 0;
        return DdeClientTransaction(nullptr, 0, conv, Hsz(item), CF_TEXT, type, 5000, &result) != 0;
    }
    // Changes an item; the advise data it causes is already queued here when this returns.
    void Set(const std::string& item, const std::string& value) {
        ASSERT_TRUE(kova::SendHostCommand(hostWnd_, "set " + item + " " + value));
        PumpMessages();
    }

    Process host_;
    HWND hostWnd_ = nullptr;
    std::string log_;
    std::vector<HSZ> strings_;
};

TEST_F(DdeServerTest, RequestAnswersKnownItemsOnly) {
    HCONV conv = Connect();
    ASSERT_NE(conv, nullptr);
    struct Case {
        const char* item;
        bool answered;
        const char* value;
    } cases[] = {
        {"MyCall", true, "R1ABC"},
        {"Version", true, "3.1a"},
        {"mycall", true, "R1ABC"},  // DDE names ignore case
        {"Mode", false, ""},
        {"MyCal", false, ""},
    };
    for (const Case& c : cases) {
        std::string value;
        EXPECT_EQ(Request(conv, c.item, &value), c.answered) << c.item;
        if (c.answered) {
            EXPECT_EQ(value, c.value) << c.item;
        }
    }
    // Requests stay in step with their answers after refusals.
    std::string value;
    EXPECT_TRUE(Request(conv, "Version", &value));
    EXPECT_EQ(value, "3.1a");
    DdeDisconnect(conv);
}

TEST_F(DdeServerTest, ConnectsOnlyToKovaInfo) {
    struct Case {
        const char* service;
        const char* topic;
        bool connects;
    } cases[] = {
        {"Kova", "Info", true},
        {"KOVA", "info", true},
        {"Kova", "System", false},
        {"Kova2", "Info", false},
    };
    for (const Case& c : cases) {
        HCONV conv = Connect(c.service, c.topic);
        EXPECT_EQ(conv != nullptr, c.connects) << c.service << "|" << c.topic;
        if (conv) DdeDisconnect(conv);
    }
}

TEST_F(DdeServerTest, HotLinkDeliversCurrentValueThenEveryChange) {
    HCONV conv = Connect();
    ASSERT_NE(conv, nullptr);
    ASSERT_TRUE(Transaction(conv, "MyCall", XTYP_ADVSTART));
    ASSERT_TRUE(WaitFor([] { return !g_received.advises.empty(); }));
    using Advise = std::pair<std::string, std::string>;
    EXPECT_EQ(g_received.advises, (std::vector<Advise>{{"MyCall", "R1ABC"}}));

    Set("MyCall", "UA9XYZ");
    Set("Version", "4.0");            // no link on Version: nothing arrives
    Set("MyCall", "\xD0\xC0\xC1");    // code-page bytes pass unchanged
    Set("MyCall", "");                // an empty value is a value
    EXPECT_EQ(g_received.advises, (std::vector<Advise>{{"MyCall", "R1ABC"},
                                                       {"MyCall", "UA9XYZ"},
                                                       {"MyCall", "\xD0\xC0\xC1"},
                                                       {"MyCall", ""}}));
    // The changed values are what a new request reads too.
    std::string value;
    ASSERT_TRUE(Request(conv, "Version", &value));
    EXPECT_EQ(value, "4.0");

    ASSERT_TRUE(Transaction(conv, "MyCall", XTYP_ADVSTOP));
    Set("MyCall", "R2AAA");
    EXPECT_EQ(g_received.advises.size(), 4u) << "data after the link was stopped";
    DdeDisconnect(conv);
}

TEST_F(DdeServerTest, LinksAreKeptPerConversation) {
    // Two clients (DDEML instances), each with its own conversation and hot link.
    DWORD other = 0;
    ASSERT_EQ(DdeInitializeA(&other, Callback, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    HSZ service = DdeCreateStringHandleA(other, "Kova", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(other, "Info", CP_WINANSI);
    HSZ version = DdeCreateStringHandleA(other, "Version", CP_WINANSI);
    HCONV first = Connect();
    HCONV second = DdeConnect(other, service, topic, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    DWORD result = 0;
    ASSERT_TRUE(Transaction(first, "MyCall", XTYP_ADVSTART));
    ASSERT_TRUE(DdeClientTransaction(nullptr, 0, second, version, CF_TEXT, XTYP_ADVSTART, 5000,
                                     &result));
    ASSERT_TRUE(WaitFor([] { return g_received.advises.size() == 2; }));
    g_received.advises.clear();
    DdeDisconnect(first);
    ASSERT_TRUE(WaitFor([&] {
        for (const auto& line : ReadLines(log_))
            if (line == "dde terminate") return true;
        return false;
    }));
    Set("MyCall", "UA1AA");
    Set("Version", "5.0");
    using Advise = std::pair<std::string, std::string>;
    EXPECT_EQ(g_received.advises, (std::vector<Advise>{{"Version", "5.0"}}));
    DdeDisconnect(second);
    for (HSZ h : {service, topic, version}) DdeFreeStringHandle(other, h);
    DdeUninitialize(other);
}

TEST_F(DdeServerTest, HostExitEndsTheConversation) {
    HCONV conv = Connect();
    ASSERT_NE(conv, nullptr);
    ASSERT_TRUE(Transaction(conv, "MyCall", XTYP_ADVSTART));
    ASSERT_TRUE(kova::SendHostCommand(hostWnd_, "exit"));
    ASSERT_TRUE(host_.WaitForExit());
    // The server's WM_DDE_TERMINATE leaves the client's conversation disconnected.
    EXPECT_TRUE(WaitFor([&] {
        CONVINFO info{};
        info.cb = sizeof(info);
        return !DdeQueryConvInfo(conv, QID_SYNC, &info) || !(info.wStatus & ST_CONNECTED);
    }));
    std::string value;
    EXPECT_FALSE(Request(conv, "MyCall", &value));
}

}  // namespace
}  // namespace companion_test
