// Fuzz target: converting automation dates to calendar fields and formatting a QSO's date-time.
#include <cmath>
#include <string>

#include "fuzz_input.h"
#include "log/ole_date.h"

using velmor::fuzz::Input;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    while (!in.done()) {
        // Any double: NaN, infinities, subnormals, huge values, and near-whole days.
        double date = in.f64();
        if (in.byte() & 1) date = std::floor(date) + static_cast<double>(in.u16()) / 65536.0;
        const auto status = static_cast<velmor::DateStatus>(in.byte() % 3);

        const std::optional<velmor::CalendarTime> c = velmor::toCalendar(date);
        if (c) {
            FUZZ_CHECK(std::isfinite(date));
            FUZZ_CHECK(c->year >= 100 && c->year <= 9999);
            FUZZ_CHECK(c->month >= 1 && c->month <= 12);
            FUZZ_CHECK(c->day >= 1 && c->day <= 31);
            FUZZ_CHECK(c->hour >= 0 && c->hour <= 23);
            FUZZ_CHECK(c->minute >= 0 && c->minute <= 59);
            FUZZ_CHECK(c->second >= 0 && c->second <= 59);
            // Back and forth: the calendar time names the same second (the conversion
            // rounds to the nearest second).
            const double back = velmor::fromCalendar(*c);
            const std::optional<velmor::CalendarTime> again = velmor::toCalendar(back);
            FUZZ_CHECK(again && again->year == c->year && again->month == c->month &&
                       again->day == c->day && again->hour == c->hour &&
                       again->minute == c->minute && again->second == c->second);
        }

        const std::string text = velmor::formatQsoTime(velmor::OleDateTime{date, status});
        switch (status) {
            case velmor::DateStatus::Null: FUZZ_CHECK(text.empty()); break;
            case velmor::DateStatus::Invalid: FUZZ_CHECK(text == "Invalid DateTime"); break;
            case velmor::DateStatus::Valid:
                if (!c) {
                    FUZZ_CHECK(text == "Invalid DateTime");
                } else {
                    // "YYYY-MM-DD HHMM": exactly the Cabrillo column's 15 characters.
                    FUZZ_CHECK(text.size() == 15);
                    FUZZ_CHECK(text[4] == '-' && text[7] == '-' && text[10] == ' ');
                }
                break;
        }
    }
    return 0;
}
