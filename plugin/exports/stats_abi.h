// The exported interface of Stats.dll as the host calls it: every entry point, its parameter list and calling convention.
//
// All entry points are plain C functions with the caller cleaning the stack (__cdecl).
// Each is exported twice: under its plain name (ordinals 11-20, alphabetical) and under the
// MSVC-decorated name of its internal name and parameter list (ordinals 1-10, in strcmp
// order of the decorated names). The decorated names are those of the declarations below
// (see stats_x86.def / stats_x64.def):
//
//   plain name        ord  internal name         ord  result
//   AddData0           11  AddData0                1  1 stored, 0 turned away
//   CheckCall0         12  CheckCallFunc0          2  1 new, 4 repeat within the clock hour
//   GetExchgCount0     13  StatsGetExchgCount0     9  always 1 (same function as GetNumberOfSets)
//   GetNumberOfSets    14  GetNumberOfSets         3  always 1
//   GetResult0         15  GetResult0              4  statistics text (owned by the plug-in)
//   GetSetName         16  GetSetName              5  "Velmor" for 0, "" otherwise
//   IsValidExchg0      17  StatsIsValidExchg0     10  1 valid, 0 not
//   RemoveData0        18  RemoveData0             6  always 1
//   ResetStats0        19  ResetStats0             7  always 1
//   SetupSet0          20  SetupSet0               8  none
//
// Texts are zero-terminated code page 1251 strings; a null pointer is taken as "".
#pragma once

#include <cstddef>
#include <cstdint>

// The host's date-time record: an automation date (days since 1899-12-30, the fraction
// being the time of day) followed by its status. Only the layout matters; the class name
// is part of the decorated export names.
class COleDateTime {
public:
    enum Status : std::int32_t { valid = 0, invalid = 1, null = 2 };
    double m_dt;
    std::int32_t m_status;
};
static_assert(sizeof(double) == 8 && offsetof(COleDateTime, m_status) == 8,
              "the host's date-time record is an 8-byte double followed by a 32-bit status");

extern "C" {

// AddData0 and RemoveData0: the 33 QSO fields as the host passes them.
//  1 ownCall   2 call   3 qsoTime   4-6 dates (unused)   7 unused   8 freqHz   9 mode
//  10 rstSent  11 rstRcvd  12 exchSent  13 exchRcvd  14-22 unused  23 hostText23
//  24-26 unused ints  27-28 unused doubles  29 unused  30 hostText30  31 unused  32 band  33 unused
std::int32_t __cdecl AddData0(
    const char* ownCall, const char* call, COleDateTime* qsoTime, COleDateTime* date4,
    COleDateTime* date5, COleDateTime* date6, std::uint32_t num7, std::uint32_t freqHz,
    const char* mode, const char* rstSent, const char* rstRcvd, const char* exchSent,
    const char* exchRcvd, const char* text14, const char* text15, const char* text16,
    const char* text17, const char* text18, const char* text19, const char* text20,
    const char* text21, const char* text22, const char* hostText23, std::int32_t int24,
    std::int32_t int25, std::int32_t int26, double real27, double real28, const char* text29,
    const char* hostText30, const char* text31, const char* band, const char* text33);

std::int32_t __cdecl RemoveData0(
    const char* ownCall, const char* call, COleDateTime* qsoTime, COleDateTime* date4,
    COleDateTime* date5, COleDateTime* date6, std::uint32_t num7, std::uint32_t freqHz,
    const char* mode, const char* rstSent, const char* rstRcvd, const char* exchSent,
    const char* exchRcvd, const char* text14, const char* text15, const char* text16,
    const char* text17, const char* text18, const char* text19, const char* text20,
    const char* text21, const char* text22, const char* hostText23, std::int32_t int24,
    std::int32_t int25, std::int32_t int26, double real27, double real28, const char* text29,
    const char* hostText30, const char* text31, const char* band, const char* text33);

// CheckCall0 (internal name CheckCallFunc0): 1 call, 4 mode, 25 band; 28 receives the
// warning (100 bytes with the terminating zero); 27 is never touched.
std::int32_t __cdecl CheckCall0(
    const char* call, std::uint32_t num2, std::uint32_t num3, const char* mode,
    const char* text5, const char* text6, const char* text7, const char* text8,
    const char* text9, const char* text10, const char* text11, const char* text12,
    const char* text13, const char* text14, std::int32_t int15, std::int32_t int16,
    std::int32_t int17, double real18, double real19, const char* text20, const char* text21,
    const char* text22, const char* text23, const char* text24, const char* band,
    const char* text26, char* buffer27, char* outText);

// The size of CheckCall0's outText buffer, terminating zero included.
constexpr std::size_t kCheckCallTextSize = 100;

// ResetStats0: 2 writeCabrillo, 3 own call sign; the rest unused.
std::int32_t __cdecl ResetStats0(
    const char* text1, std::int32_t writeCabrillo, const char* ownCall, COleDateTime* date4,
    COleDateTime* date5, const char* text6, const char* text7, const char* text8,
    const char* text9, const char* text10, const char* text11, const char* text12,
    const char* text13, const char* text14, const char* text15, std::int32_t int16,
    std::int32_t int17, std::int32_t int18, double real19, double real20, const char* text21,
    const char* text22, const char* text23);

// IsValidExchg0 (internal name StatsIsValidExchg0): 1 the exchange; the rest unused.
std::int32_t __cdecl IsValidExchg0(const char* exchange, const char* text2,
                                        const char* text3, const char* text4,
                                        std::int32_t int5, std::int32_t int6, std::int32_t int7);

// GetNumberOfSets, also exported as GetExchgCount0 (internal name StatsGetExchgCount0),
// where the host passes three texts: the caller cleans the stack, so one function that
// reads no parameter serves both.
std::int32_t __cdecl GetNumberOfSets();

// The name of contest set `index`: "Velmor" for 0, "" otherwise. Constants of the library.
const char* __cdecl GetSetName(std::int32_t index);

// Rebuilds and returns the statistics text; writes the score (or -1 after Cabrillo output).
const char* __cdecl GetResult0(std::int32_t* score);

// Shows the "No additional setup for this contest" message box.
void __cdecl SetupSet0();

}  // extern "C"

// How the host sees the entry point exported as GetExchgCount0.
using GetExchgCount0Fn = std::int32_t(__cdecl*)(const char*, const char*, const char*);
