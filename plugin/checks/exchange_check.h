// The exchange check that the host runs while a received exchange is being entered.
#pragma once

#include <cstdint>
#include <string>

namespace velmor {

// 1 when `exchange` is a valid Velmor exchange, else 0:
//   "599"                       -> 0 (the signal report, not a number)
//   three decimal digits > 000  -> 1 ("001", "600", "999")
//   exactly "WM"                -> 1
//   anything else               -> 0 (bytes above 127 are not digits)
std::int32_t IsValidExchange(const std::string& exchange);

}  // namespace velmor
