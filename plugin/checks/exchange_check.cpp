// Validity of a received exchange: a three-digit number above zero other than 599, or "WM".
#include "checks/exchange_check.h"

#include "log/contest_rules.h"
#include "services/text.h"

namespace velmor {

std::int32_t IsValidExchange(const std::string& exchange) {
    if (exchange == rules::kRefusedExchange) return 0;
    if (exchange.size() == 3) return text::allDigits(exchange) && exchange != "000" ? 1 : 0;
    if (exchange.size() == 2) return exchange == rules::kWmExchange ? 1 : 0;
    return 0;
}

}  // namespace velmor
