// Untrusted text made safe for a terminal, a message, a CSV cell or an HTML page.
#include "services/shown_text.h"

namespace velmor::shown {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

void appendEscape(std::string& out, unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Length of the valid UTF-8 sequence at `s[i]` (2-4), or 0 when there is none. Overlong
// forms, surrogates and code points above U+10FFFF are not valid.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

// The largest cut at most `limit` that does not split a UTF-8 character.
std::size_t cutAt(std::string_view text, std::size_t limit) {
    std::size_t cut = limit;
    for (int k = 0; k < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++k) --cut;
    return cut;
}

}  // namespace

namespace {

std::string escaped(std::string_view text, bool keepLineEnds) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (isControl(c) && !(keepLineEnds && ch == '\n'))
            appendEscape(out, c);
        else
            out += ch;
    }
    return out;
}

}  // namespace

std::string visible(std::string_view text) { return escaped(text, false); }

std::string visibleLines(std::string_view text) { return escaped(text, true); }

std::string quoted(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) return "\"" + std::string(value) + "\"";
    return "\"" + std::string(value.substr(0, cutAt(value, limit))) + "...\" (" + std::to_string(value.size()) +
           " bytes)";
}

std::string shortened(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    return std::string(text.substr(0, cutAt(text, limit))) + "...";
}

bool looksLikeFormula(std::string_view text) {
    if (text.empty()) return false;
    switch (text.front()) {
        case '=': case '+': case '-': case '@': case '\t': case '\r': return true;
        default: return false;
    }
}

void appendCsvCell(std::string& row, std::string_view value) {
    const bool formula = looksLikeFormula(value);
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        if (formula) row += '\'';
        row += value;
        return;
    }
    row += '"';
    if (formula) row += '\'';
    for (const char c : value) {
        if (c == '"') row += '"';
        row += c;
    }
    row += '"';
}

std::string csvCell(std::string_view value) {
    std::string out;
    appendCsvCell(out, value);
    return out;
}

void appendHtml(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8Length(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                if (isControl(c))
                    appendEscape(out, c);
                else
                    out += static_cast<char>(c);
        }
        ++i;
    }
}

std::string html(std::string_view text) {
    std::string out;
    appendHtml(out, text);
    return out;
}

}  // namespace velmor::shown
