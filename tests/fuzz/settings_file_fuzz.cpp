// Fuzz target: the settings-file reader and writer on any file content.
#include <string>
#include <vector>

#include "cabrillo/ini_file.h"
#include "fakes.h"
#include "fuzz_input.h"
#include "services/text.h"

using velmor::fuzz::Input;

namespace {

const std::vector<std::string> kKeys = {"Operators", "Name",  "Location", "Address", "Claimed",
                                        "Email",     "Club",  "SoapBox",  "Category", "Contest",
                                        "claimed"};

std::string trimmed(const std::string& s) { return std::string(velmor::text::trim(s)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::string& key = in.pick(kKeys);
    std::string value = in.text();
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';  // callers escape line breaks before writing
    const bool fileExists = in.byte() & 1;

    velmor::test::MemoryFileSystem files;
    if (fileExists) files.files["VARDO.ini"] = in.bytes(in.left());
    velmor::IniFileSettings ini(files, "VARDO.ini");

    std::vector<std::string> before;
    for (const std::string& k : kKeys) before.push_back(ini.read(k, "\x01missing"));

    ini.write(key, value);

    // The value written is what is read back (trimmed, as the profile functions do), and
    // every key of another name keeps its value.
    FUZZ_CHECK(ini.read(key, "\x01missing") == trimmed(value));
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const std::string a = trimmed(kKeys[i]), b = trimmed(key);
        bool same = a.size() == b.size();
        for (std::size_t j = 0; same && j < a.size(); ++j)
            same = (a[j] | 0x20) == (b[j] | 0x20);
        if (!same) FUZZ_CHECK(ini.read(kKeys[i], "\x01missing") == before[i]);
    }
    // Written with CR LF line ends only.
    const std::string& out = files.files["VARDO.ini"];
    FUZZ_CHECK(out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0);
    return 0;
}
