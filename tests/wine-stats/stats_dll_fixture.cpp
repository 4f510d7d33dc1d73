// The Stats.dll test fixture: temporary working folders, loading, and calls with the host's argument lists.
#include "stats_dll_fixture.h"

#include <oleauto.h>

#include <cstdio>
#include <vector>

namespace wine_stats {

namespace {
const char* P(const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; }
}  // namespace

double OleDate(int y, int mo, int d, int h, int mi, int s) {
    // The system's own conversion, as the logging program makes its dates.
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    double date = 0.0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}

COleDateTime NowUtc() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return COleDateTime{OleDate(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond),
                        COleDateTime::valid};
}

int UtcHour() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return st.wHour;
}

std::string Fixture(const std::string& name) {
    const auto bytes = ReadFileBytes(std::string(VELMOR_STATS_TEST_DATA) + "/" + name);
    EXPECT_TRUE(bytes.has_value()) << "fixture " << name;
    return bytes.value_or(std::string());
}

std::string StatsDll::DllPath() {
    char exe[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path(exe, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + "Stats.dll";
}

void StatsDll::SetUp() {
    char buf[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buf);
    previous_ = buf;
    GetTempPathA(MAX_PATH, buf);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("velmor-") + info->test_suite_name() + "-" + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    dir_ = std::string(buf) + name + "-" + std::to_string(GetCurrentProcessId());
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    ASSERT_TRUE(CreateDirectoryA((dir_ + "\\Plugins").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
    Load();
}

void StatsDll::TearDown() {
    if (dll_) FreeLibrary(dll_);
    dll_ = nullptr;
    SetCurrentDirectoryA(previous_.c_str());
    if (!dir_.empty()) RemoveTree(dir_);
}

void StatsDll::Load() {
    dll_ = LoadLibraryA(DllPath().c_str());
    ASSERT_NE(dll_, nullptr) << DllPath() << " error " << GetLastError();
    addData = ProcAs<decltype(addData)>("AddData0");
    removeData = ProcAs<decltype(removeData)>("RemoveData0");
    checkCall = ProcAs<decltype(checkCall)>("CheckCall0");
    resetStats = ProcAs<decltype(resetStats)>("ResetStats0");
    isValidExchg = ProcAs<decltype(isValidExchg)>("IsValidExchg0");
    getNumberOfSets = ProcAs<decltype(getNumberOfSets)>("GetNumberOfSets");
    getExchgCount = ProcAs<decltype(getExchgCount)>("GetExchgCount0");
    getSetName = ProcAs<decltype(getSetName)>("GetSetName");
    getResult = ProcAs<decltype(getResult)>("GetResult0");
    setupSet = ProcAs<decltype(setupSet)>("SetupSet0");
    ASSERT_TRUE(addData && removeData && checkCall && resetStats && isValidExchg &&
                getNumberOfSets && getExchgCount && getSetName && getResult && setupSet);
}

void StatsDll::Reload() {
    FreeLibrary(dll_);
    dll_ = nullptr;
    Load();
}

std::int32_t StatsDll::Add(const Qso& q) {
    COleDateTime date = q.date.value_or(COleDateTime{});
    COleDateTime other{1.0, COleDateTime::valid};
    return addData(P(q.own), P(q.call), q.date ? &date : nullptr, &other, &other, &other, 7,
                   q.freqHz, P(q.mode), P(q.rstSent), P(q.rstRcvd), P(q.exchSent), P(q.exchRcvd),
                   "t14", "t15", "t16", "t17", "t18", "t19", "t20", "t21", "t22", "t23", 24, 25, 26,
                   27.5, 28.5, "t29", "t30", "t31", P(q.band), "t33");
}

std::int32_t StatsDll::Remove(const char* call, const char* mode, const char* band) {
    COleDateTime d{0.0, COleDateTime::null};
    return removeData("RZ3VLM", call, &d, &d, &d, &d, 7, 14025000, mode, "599", "599", "001",
                      "014", "t14", "t15", "t16", "t17", "t18", "t19", "t20", "t21", "t22", "t23",
                      24, 25, 26, 27.5, 28.5, "t29", "t30", "t31", band, "t33");
}

std::int32_t StatsDll::Reset(std::int32_t writeCabrillo, const char* ownCall) {
    COleDateTime d{0.0, COleDateTime::null};
    return resetStats("t1", writeCabrillo, ownCall, &d, &d, "t6", "t7", "t8", "t9", "t10", "t11",
                      "t12", "t13", "t14", "t15", 16, 17, 18, 19.5, 20.5, "t21", "t22", "t23");
}

std::int32_t StatsDll::Check(const char* call, const char* mode, const char* band, char* out,
                             char* p27) {
    return checkCall(call, 2, 3, mode, "t5", "t6", "t7", "t8", "t9", "t10", "t11", "t12", "t13",
                     "t14", 15, 16, 17, 18.5, 19.5, "t20", "t21", "t22", "t23", "t24", band, "t26",
                     p27, out);
}

}  // namespace wine_stats
