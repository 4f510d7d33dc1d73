// ADIF reading for the stand-in host.
#include "adif.h"

#include <cctype>
#include <cstdlib>

namespace statshost {

namespace {
std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}
}  // namespace

std::vector<AdifRecord> ParseAdif(const std::string& text) {
    std::vector<AdifRecord> records;
    AdifRecord current;
    std::size_t pos = 0;
    // Without a header the first tag starts the first record.
    if (!text.empty() && text[0] != '<') {
        const std::size_t eoh = Upper(text).find("<EOH>");
        pos = eoh == std::string::npos ? text.find('<') : eoh + 5;
    }
    while (pos < text.size()) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('>', open);
        if (close == std::string::npos) break;
        const std::string tag = text.substr(open + 1, close - open - 1);
        pos = close + 1;
        const std::size_t colon = tag.find(':');
        const std::string name = Upper(tag.substr(0, colon));
        if (colon == std::string::npos) {
            if (name == "EOR") {
                records.push_back(current);
                current.clear();
            } else if (name == "EOH") {
                current.clear();
            }
            continue;
        }
        std::string length = tag.substr(colon + 1);
        length = length.substr(0, length.find(':'));
        if (!AllDigits(length)) break;
        const std::size_t n = std::strtoul(length.c_str(), nullptr, 10);
        if (pos + n > text.size()) break;
        current[name] = text.substr(pos, n);
        pos += n;
    }
    return records;
}

double AutomationDate(int year, int month, int day, int hour, int minute, int second) {
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month),
                                         static_cast<unsigned>(day)) -
                           DaysFromCivil(1899, 12, 30);
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    // Before 1899-12-30 the fraction counts forward from the start of the (negative) day.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::optional<double> AdifDate(const std::string& qsoDate, const std::string& timeOn) {
    if (qsoDate.size() != 8 || !AllDigits(qsoDate)) return std::nullopt;
    if ((timeOn.size() != 4 && timeOn.size() != 6) || !AllDigits(timeOn)) return std::nullopt;
    const int y = std::atoi(qsoDate.substr(0, 4).c_str());
    const int m = std::atoi(qsoDate.substr(4, 2).c_str());
    const int d = std::atoi(qsoDate.substr(6, 2).c_str());
    const int hh = std::atoi(timeOn.substr(0, 2).c_str());
    const int mm = std::atoi(timeOn.substr(2, 2).c_str());
    const int ss = timeOn.size() == 6 ? std::atoi(timeOn.substr(4, 2).c_str()) : 0;
    if (m < 1 || m > 12 || d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 59) return std::nullopt;
    return AutomationDate(y, m, d, hh, mm, ss);
}

std::optional<std::uint32_t> MegahertzToHertz(const std::string& mhz) {
    const std::size_t dot = mhz.find('.');
    const std::string whole = mhz.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : mhz.substr(dot + 1);
    if (!AllDigits(whole) || (!fraction.empty() && !AllDigits(fraction))) return std::nullopt;
    if (whole.size() > 4) return std::nullopt;  // beyond 4294 MHz
    fraction = fraction.substr(0, 6);
    fraction.append(6 - fraction.size(), '0');
    const unsigned long long hz =
        std::strtoull(whole.c_str(), nullptr, 10) * 1000000ULL + std::strtoull(fraction.c_str(), nullptr, 10);
    if (hz > 0xFFFFFFFFULL) return std::nullopt;
    return static_cast<std::uint32_t>(hz);
}

std::string HostMode(const std::string& mode, const std::string& submode) {
    const std::string m = Upper(mode);
    const std::string s = Upper(submode);
    if (m == "SSB" || m == "USB" || m == "LSB" || s == "USB" || s == "LSB") return "SSB";
    if (!s.empty()) return s;
    return m;
}

}  // namespace statshost
