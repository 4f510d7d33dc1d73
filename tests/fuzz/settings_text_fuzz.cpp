// Fuzz target: the settings file's escaping of line breaks, the tagged header form, and ReplaceAll.
#include <string>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "fuzz_input.h"

using velmor::fuzz::Input;

namespace {

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::string find = in.text();
    const std::string replacement = in.text();
    // The tags the header uses; a tag is never built from the operator's text.
    static const std::vector<std::string> kTags = {"ADDRESS", "OPERATORS", "SOAPBOX", ""};
    const std::string tag = in.pick(kTags);
    const std::string text = in.bytes(in.left());

    // ReplaceAll: every occurrence found left to right is replaced; the size says so.
    const std::string replaced = velmor::ReplaceAll(text, find, replacement);
    if (find.empty() || find == replacement) {
        FUZZ_CHECK(replaced == text);
    } else {
        const std::size_t n = count(text, find);
        FUZZ_CHECK(replaced.size() == text.size() - n * find.size() + n * replacement.size());
        if (n == 0) FUZZ_CHECK(replaced == text);
    }

    // The escaped form is one line of the settings file: no CR or LF left in it.
    const std::string escaped = velmor::escapeLineBreaks(text);
    FUZZ_CHECK(escaped.find('\r') == std::string::npos && escaped.find('\n') == std::string::npos);
    // A text without the tags themselves comes back unchanged.
    if (text.find("<CR>") == std::string::npos && text.find("<LF>") == std::string::npos &&
        text.find('<') == std::string::npos)
        FUZZ_CHECK(velmor::unescapeLineBreaks(escaped) == text);
    // Unescaping any text (however odd its tags) and escaping again is stable.
    const std::string plain = velmor::unescapeLineBreaks(text);
    FUZZ_CHECK(velmor::unescapeLineBreaks(velmor::escapeLineBreaks(plain)) == plain);

    // The tagged form of a one-line value is the value itself; any other gives a line per CR.
    const std::string tagged = velmor::tagLineBreaks(escaped, tag);
    if (text.find('\r') == std::string::npos && text.find('\n') == std::string::npos &&
        text.find('<') == std::string::npos)
        FUZZ_CHECK(tagged == text);
    FUZZ_CHECK(count(tagged, "\r\n" + tag + ": ") >= count(text, "\r"));
    return 0;
}
