// The export table the stand-in host expects of Stats.dll: plain and decorated names with their ordinals.
#pragma once

#include "stats_abi.h"

namespace statshost {

// The entry points of a loaded Stats.dll, as the host calls them.
struct StatsExports {
    decltype(&::AddData0) addData = nullptr;
    decltype(&::RemoveData0) removeData = nullptr;
    decltype(&::CheckCall0) checkCall = nullptr;
    decltype(&::ResetStats0) resetStats = nullptr;
    decltype(&::IsValidExchg0) isValidExchg = nullptr;
    decltype(&::GetNumberOfSets) getNumberOfSets = nullptr;
    GetExchgCount0Fn getExchgCount = nullptr;
    decltype(&::GetSetName) getSetName = nullptr;
    decltype(&::GetResult0) getResult = nullptr;
    decltype(&::SetupSet0) setupSet = nullptr;
};

struct ExpectedExport {
    const char* plain;
    unsigned plainOrdinal;
    const char* decorated;
    unsigned decoratedOrdinal;
};

#if defined(_WIN64)
#define STATSHOST_P "PE"  // pointers are __ptr64
#else
#define STATSHOST_P "P"
#endif
#define STATSHOST_QSO_PARAMS                                                                   \
    STATSHOST_P "BD0" STATSHOST_P "AVCOleDateTime@@111II000000000000000HHHNN00000@Z"

inline constexpr ExpectedExport kExpectedExports[] = {
    {"AddData0", 11, "?AddData0@@YAH" STATSHOST_QSO_PARAMS, 1},
    {"CheckCall0", 12, "?CheckCallFunc0@@YAH" STATSHOST_P "BDII00000000000HHHNN0000000" STATSHOST_P "AD1@Z", 2},
    {"GetExchgCount0", 13, "?StatsGetExchgCount0@@YAH" STATSHOST_P "BD00@Z", 9},
    {"GetNumberOfSets", 14, "?GetNumberOfSets@@YAHXZ", 3},
    {"GetResult0", 15, "?GetResult0@@YA" STATSHOST_P "BD" STATSHOST_P "AH@Z", 4},
    {"GetSetName", 16, "?GetSetName@@YA" STATSHOST_P "BDH@Z", 5},
    {"IsValidExchg0", 17, "?StatsIsValidExchg0@@YAH" STATSHOST_P "BD000HHH@Z", 10},
    {"RemoveData0", 18, "?RemoveData0@@YAH" STATSHOST_QSO_PARAMS, 6},
    {"ResetStats0", 19, "?ResetStats0@@YAH" STATSHOST_P "BDH0" STATSHOST_P "AVCOleDateTime@@10000000000HHHNN000@Z", 7},
    {"SetupSet0", 20, "?SetupSet0@@YAXXZ", 8},
};

#undef STATSHOST_QSO_PARAMS
#undef STATSHOST_P

}  // namespace statshost
