#include "cabrillo_reader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>

#include "log/contest_rules.h"
#include "log/ole_date.h"

namespace velmor::cabrillo_reader {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string> splitFields(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i])) ++i;
        const std::size_t start = i;
        while (i < s.size() && !isBlank(s[i])) ++i;
        if (i > start) out.emplace_back(s.substr(start, i - start));
    }
    return out;
}

Line makeLine(int number, std::string_view text) {
    Line line;
    line.number = number;
    line.text = std::string(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return line;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool tagChar = isDigit(c) || c == '-' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!tagChar) return line;
    }
    line.tag = std::string(text.substr(0, colon));
    line.value = std::string(trim(text.substr(colon + 1)));
    if (line.isQso()) line.fields = splitFields(line.value);
    return line;
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

int number(std::string_view digits) {
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    return n;
}

// First column (0-based) and width of the fields the writer puts at fixed places, from the
// own call on (the layout in the header).
struct Columns {
    QsoField field;
    std::size_t first;
    std::size_t width;  // 0: to the end of the line
};
constexpr std::array<Columns, 6> kTailColumns{{
    {QsoField::OwnCall, 30, 13},
    {QsoField::RstSent, 44, 3},
    {QsoField::ExchangeSent, 48, 6},
    {QsoField::Call, 55, 13},
    {QsoField::RstReceived, 69, 3},
    {QsoField::ExchangeReceived, 73, 0},
}};

// For a line in the writer's columns with fields missing, the first field whose columns
// are blank; nullopt when the line does not show one.
std::optional<QsoField> blankColumns(const std::string& text) {
    for (const Columns& c : kTailColumns) {
        if (c.width == 0) {
            if (trim(std::string_view(text).substr(std::min(c.first, text.size()))).empty())
                return c.field;
            continue;
        }
        if (text.size() < c.first + c.width) return std::nullopt;
        bool blank = true;
        for (std::size_t i = c.first; i < c.first + c.width; ++i) blank = blank && isBlank(text[i]);
        if (blank) return c.field;
    }
    return std::nullopt;
}

QsoParse fault(QsoField field, std::string reason) {
    QsoParse p;
    p.fault = {field, std::move(reason)};
    return p;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

std::string_view fieldName(QsoField field) {
    switch (field) {
    case QsoField::Line: return "QSO line";
    case QsoField::Frequency: return "frequency";
    case QsoField::Mode: return "mode";
    case QsoField::Date: return "date";
    case QsoField::Time: return "time";
    case QsoField::OwnCall: return "own call";
    case QsoField::RstSent: return "RST sent";
    case QsoField::ExchangeSent: return "exchange sent";
    case QsoField::Call: return "call";
    case QsoField::RstReceived: return "RST received";
    case QsoField::ExchangeReceived: return "exchange received";
    }
    return "QSO line";
}

bool Line::isQso() const { return equalsNoCase(tag, "QSO"); }

const Line* File::findTag(std::string_view wanted) const {
    for (const Line& line : lines)
        if (!line.tag.empty() && equalsNoCase(line.tag, wanted)) return &line;
    return nullptr;
}

File readCabrillo(std::string_view bytes) {
    File file;
    std::size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        file.lines.push_back(makeLine(++number, bytes.substr(start, end - start)));
        if (end == bytes.size()) {
            file.lastLineEnded = false;
            break;
        }
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return file;
}

std::optional<File> readCabrilloFile(const std::string& path, std::string* reason, const FileOps& ops) {
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        return readCabrillo(all.str());
    }
    std::string why;
    const std::optional<std::string> bytes = ReadWholeFile(ops, path, why);
    if (!bytes) {
        if (reason) *reason = why;
        return std::nullopt;
    }
    return readCabrillo(*bytes);
}

std::string_view hostModeOfLabel(std::string_view label) {
    for (const rules::ModeRule& m : rules::kModes)
        if (equalsNoCase(label, m.cabrilloLabel)) return m.hostName;
    return {};
}

double Qso::automationDate() const {
    return fromCalendar(CalendarTime{year, month, day, hour, minute, 0});
}

std::string Qso::dateText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year % 10000, month % 100, day % 100);
    return buf;
}

std::string Qso::timeText() const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d", hour % 100, minute % 100);
    return buf;
}

QsoParse parseQso(const Line& line) {
    if (!line.isQso()) return fault(QsoField::Line, "not a QSO line");
    const std::vector<std::string>& f = line.fields;
    if (f.empty()) return fault(QsoField::Line, "QSO line without fields");

    Qso q;
    // Frequency.
    if (!allDigits(f[0]) || f[0].size() > 9)
        return fault(QsoField::Frequency, "frequency " + quoted(f[0]) + " is not a whole number of kHz");
    q.freqKHz = number(f[0]);
    // Mode.
    if (f.size() < 2) return fault(QsoField::Mode, "missing mode");
    q.hostMode = std::string(hostModeOfLabel(f[1]));
    if (q.hostMode.empty())
        return fault(QsoField::Mode, "mode " + quoted(f[1]) + " is not CW, PH or PM");
    q.modeLabel = f[1];
    for (char& c : q.modeLabel) c = upper(c);
    // Date: the writer prints "Invalid DateTime" for an invalid record and nothing at all
    // for a null one (then the own call stands where the date belongs).
    if (f.size() < 3) return fault(QsoField::Date, "missing date");
    if (f[2] == "Invalid" && f.size() > 3 && f[3] == "DateTime")
        return fault(QsoField::Date, "\"Invalid DateTime\" in place of the date and time");
    const std::string& d = f[2];
    const bool dateShape = d.size() == 10 && d[4] == '-' && d[7] == '-' && allDigits(d.substr(0, 4)) &&
                           allDigits(d.substr(5, 2)) && allDigits(d.substr(8, 2));
    if (!dateShape) {
        if (f.size() == 8) return fault(QsoField::Date, "empty date and time");
        return fault(QsoField::Date, "date " + quoted(d) + " is not YYYY-MM-DD");
    }
    q.year = number(d.substr(0, 4));
    q.month = number(d.substr(5, 2));
    q.day = number(d.substr(8, 2));
    {
        const std::optional<CalendarTime> back =
            q.year >= 100 ? toCalendar(fromCalendar(CalendarTime{q.year, q.month, q.day, 0, 0, 0}))
                          : std::nullopt;
        if (q.month < 1 || q.month > 12 || q.day < 1 || !back || back->year != q.year ||
            back->month != q.month || back->day != q.day)
            return fault(QsoField::Date, "impossible date " + d);
    }
    // Time.
    if (f.size() < 4) return fault(QsoField::Time, "missing time");
    const std::string& t = f[3];
    if (t.size() != 4 || !allDigits(t))
        return fault(QsoField::Time, "time " + quoted(t) + " is not HHMM");
    q.hour = number(t.substr(0, 2));
    q.minute = number(t.substr(2, 2));
    if (q.hour > 23 || q.minute > 59) return fault(QsoField::Time, "impossible time " + t);
    // The six text fields.
    if (f.size() < 10) {
        if (const std::optional<QsoField> empty = blankColumns(line.text)) {
            std::string reason = "empty " + std::string(fieldName(*empty));
            // A robot reads the fields by position: the call is the eighth.
            if (*empty < QsoField::Call && f.size() > 7)
                reason += " shifts the columns: the call is read as " + quoted(f[7]);
            else if (*empty == QsoField::RstReceived)
                reason += " shifts the columns: the exchange is read as the report";
            return fault(*empty, reason);
        }
        return fault(QsoField::Line, std::to_string(f.size()) + " fields where 10 are expected");
    }
    if (f.size() > 10)
        return fault(QsoField::Line, std::to_string(f.size()) + " fields where 10 are expected");
    q.ownCall = f[4];
    q.rstSent = f[5];
    q.exchangeSent = f[6];
    q.call = f[7];
    q.rstReceived = f[8];
    q.exchangeReceived = f[9];
    QsoParse p;
    p.qso = std::move(q);
    return p;
}

}  // namespace velmor::cabrillo_reader
