// Validity of a received exchange: a three-digit number above zero other than 599, or "WM".
#include "checks/exchange_check.h"

#include "log/contest_rules.h"

namespace velmor {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::int32_t IsValidExchange(const std::string& exchange) {
    if (exchange == rules::kRefusedExchange) return 0;
    if (exchange.size() == 3) {
        for (char c : exchange)
            if (!isDigit(c)) return 0;
        return exchange != "000" ? 1 : 0;
    }
    if (exchange.size() == 2) return exchange == rules::kWmExchange ? 1 : 0;
    return 0;
}

}  // namespace velmor
