// stats-host: a stand-in for the logging program that loads Stats.dll and drives its exports from a small script.
//
// Usage: stats-host.exe PATH\Stats.dll [-f SCRIPT] [COMMAND ...]
// Every COMMAND argument is one script line; -f reads lines from a file ("-" is stdin).
//
// Script lines (tokens split at blanks; "..." quotes a token, with \xNN, \\ and \" in it;
// @null passes a null pointer where a text or date is expected; # starts a comment):
//   reset WRITECABRILLO OWNCALL          ResetStats0
//   adif FILE                            one AddData0 per QSO of an ADIF log
//   add FIELD=VALUE ...                  one AddData0; fields own call date freq mode rsts
//                                        rstr exs exr t23 t30 band (texts default to "");
//                                        date: YYYY-MM-DDTHH:MM[:SS] | now | @null (default)
//                                        | @nulldate | @invalid | @raw:DAYS[:STATUS]
//   remove CALL MODE BAND                RemoveData0
//   check CALL MODE BAND                 CheckCall0 with canary-filled buffers
//   valid EXCH                           IsValidExchg0
//   result                               GetResult0: score and text
//   setname I | sets | exchgcount [A B C] | setup
//   ui SPEC                              arm the modal-window driver for the calls that follow
//   cat FILE                             print a file's bytes
//   reload                               unload and load the library again (fresh state)
//
// The commands and their argument lists are the table Host::kCommands.
// Output: one line per call, "<Export> ... -> <result>", texts quoted with bytes outside
// printable ASCII as \xNN; on 32-bit x86 also "cdecl: <Export> esp unchanged" per call.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "adif/adif_reader.h"
#include "log/ole_date.h"
#include "cdecl_call.h"
#include "host_exports.h"
#include "stats_abi.h"
#include "ui_driver.h"

namespace {

using statshost::CallChecked;

using Exports = statshost::StatsExports;

std::string Quote(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        char buf[8];
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

std::string QuoteOrNull(const char* p) { return p != nullptr ? Quote(p) : std::string("@null"); }

template <typename F>
F Resolve(HMODULE dll, const statshost::ExpectedExport& e, bool& ok) {
    FARPROC byName = GetProcAddress(dll, e.plain);
    FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(e.plainOrdinal));
    FARPROC byDecorated = GetProcAddress(dll, e.decorated);
    FARPROC byDecoratedOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(e.decoratedOrdinal));
    const bool same = byName != nullptr && byName == byOrdinal && byName == byDecorated &&
                      byName == byDecoratedOrdinal;
    std::printf("export %s @%u %s @%u: %s\n", e.plain, e.plainOrdinal, e.decorated,
                e.decoratedOrdinal,
                same ? "ok"
                     : (byName == nullptr ? "missing" : "different addresses or missing names"));
    ok = ok && same;
    return reinterpret_cast<F>(reinterpret_cast<void*>(byName));
}

bool ResolveAll(HMODULE dll, Exports& x) {
    bool ok = true;
    const auto& t = statshost::kExpectedExports;
    x.addData = Resolve<decltype(x.addData)>(dll, t[0], ok);
    x.checkCall = Resolve<decltype(x.checkCall)>(dll, t[1], ok);
    x.getExchgCount = Resolve<decltype(x.getExchgCount)>(dll, t[2], ok);
    x.getNumberOfSets = Resolve<decltype(x.getNumberOfSets)>(dll, t[3], ok);
    x.getResult = Resolve<decltype(x.getResult)>(dll, t[4], ok);
    x.getSetName = Resolve<decltype(x.getSetName)>(dll, t[5], ok);
    x.isValidExchg = Resolve<decltype(x.isValidExchg)>(dll, t[6], ok);
    x.removeData = Resolve<decltype(x.removeData)>(dll, t[7], ok);
    x.resetStats = Resolve<decltype(x.resetStats)>(dll, t[8], ok);
    x.setupSet = Resolve<decltype(x.setupSet)>(dll, t[9], ok);
    const bool shared = reinterpret_cast<void*>(x.getExchgCount) == reinterpret_cast<void*>(x.getNumberOfSets);
    std::printf("export GetExchgCount0 is GetNumberOfSets: %s\n", shared ? "yes" : "no");
    return ok && shared;
}

// A script line's tokens; nullopt stands for @null.
using Tokens = std::vector<std::optional<std::string>>;

// Splits a script line into tokens: blanks (space, tab, CR) separate them, '#' at the start
// of a token ends the line, and "..." quotes part of a token (blanks kept; \xHH is one byte,
// a backslash before any other character stands for that character). An unquoted @null is
// a null pointer.
class Tokenizer {
public:
    explicit Tokenizer(const std::string& line) : line_(line) {}

    bool Split(Tokens& out, std::string& error) {
        out.clear();
        for (;;) {
            SkipBlanks();
            if (AtEnd() || line_[i_] == '#') return true;
            std::string token;
            bool quoted = false;
            while (!AtEnd() && !IsBlank(line_[i_])) {
                if (line_[i_] != '"') {
                    token += line_[i_++];
                    continue;
                }
                quoted = true;
                if (!ReadQuoted(token)) {
                    error = "unterminated quote";
                    return false;
                }
            }
            if (!quoted && token == "@null")
                out.emplace_back(std::nullopt);
            else
                out.emplace_back(std::move(token));
        }
    }

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
    bool AtEnd() const { return i_ >= line_.size(); }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(line_[i_])) ++i_;
    }

    // Reads from an opening '"' past its closing one, appending the text between.
    bool ReadQuoted(std::string& token) {
        ++i_;
        while (!AtEnd() && line_[i_] != '"') {
            if (line_[i_] != '\\' || i_ + 1 >= line_.size()) {
                token += line_[i_++];
            } else if (line_[i_ + 1] == 'x' && i_ + 3 < line_.size()) {
                token += static_cast<char>(std::strtoul(line_.substr(i_ + 2, 2).c_str(), nullptr, 16));
                i_ += 4;
            } else {
                token += line_[i_ + 1];
                i_ += 2;
            }
        }
        if (AtEnd()) return false;
        ++i_;
        return true;
    }

    const std::string& line_;
    std::size_t i_ = 0;
};

const char* Ptr(const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; }

// The host's QSO fields for AddData0/RemoveData0, with storage for texts and dates.
struct QsoArgs {
    std::optional<std::string> own{""}, call{""}, mode{""}, rsts{""}, rstr{""}, exs{""}, exr{""},
        t23{""}, t30{""}, band{""};
    std::uint32_t freq = 0;
    COleDateTime date{0.0, COleDateTime::null};
    bool dateIsNullPointer = true;
    COleDateTime unused4{0.0, COleDateTime::null}, unused5{0.0, COleDateTime::null},
        unused6{0.0, COleDateTime::null};
};

COleDateTime NowUtc() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return COleDateTime{velmor::fromCalendar({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}),
                        COleDateTime::valid};
}

bool ParseDate(const std::string& v, QsoArgs& q) {
    q.dateIsNullPointer = false;
    if (v == "now") {
        q.date = NowUtc();
        return true;
    }
    if (v == "@nulldate") {
        q.date = COleDateTime{0.0, COleDateTime::null};
        return true;
    }
    if (v == "@invalid") {
        q.date = COleDateTime{0.0, COleDateTime::invalid};
        return true;
    }
    if (v.rfind("@raw:", 0) == 0) {
        const std::string rest = v.substr(5);
        const std::size_t colon = rest.find(':');
        q.date.m_dt = std::strtod(rest.substr(0, colon).c_str(), nullptr);
        q.date.m_status = colon == std::string::npos ? 0 : std::atoi(rest.substr(colon + 1).c_str());
        return true;
    }
    int y, mo, d, h, mi, s = 0;
    if (std::sscanf(v.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 5) return false;
    q.date = COleDateTime{velmor::fromCalendar({y, mo, d, h, mi, s}), COleDateTime::valid};
    return true;
}

class Host {
public:
    Host(std::string dllPath) : dllPath_(std::move(dllPath)) {}
    ~Host() {
        if (dll_) FreeLibrary(dll_);
    }

    bool Load() {
        dll_ = LoadLibraryA(dllPath_.c_str());
        if (!dll_) {
            std::printf("load: %s failed, error %lu\n", dllPath_.c_str(), GetLastError());
            return false;
        }
        std::printf("load: ok\n");
        return ResolveAll(dll_, x_);
    }

    // Runs one script line; false on a malformed line.
    bool Run(const std::string& line);

private:    // The script's commands. Each handler gets the whole line's tokens (the command first),
    // already checked against its argument list in kCommands.
    bool RunReset(const Tokens& t) { return Reset(std::atoi(t[1]->c_str()), t[2]); }
    bool RunAdif(const Tokens& t) { return Adif(*t[1]); }
    bool RunAdd(const Tokens& t) { return Add(t); }
    bool RunRemove(const Tokens& t) { return Remove(t[1], t[2], t[3]); }
    bool RunCheck(const Tokens& t) { return Check(t[1], t[2], t[3]); }
    bool RunValid(const Tokens& t) {
        const int r = CallChecked("IsValidExchg0", x_.isValidExchg, Ptr(t[1]), "", "", "", 0, 0, 0);
        std::printf("IsValidExchg0 %s -> %d\n", QuoteOrNull(Ptr(t[1])).c_str(), r);
        return true;
    }
    bool RunResult(const Tokens&) { return Result(); }
    bool RunSetName(const Tokens& t) {
        const int i = std::atoi(t[1]->c_str());
        const char* name = CallChecked("GetSetName", x_.getSetName, i);
        std::printf("GetSetName %d -> %s\n", i, QuoteOrNull(name).c_str());
        return true;
    }
    bool RunSets(const Tokens&) {
        std::printf("GetNumberOfSets -> %d\n", CallChecked("GetNumberOfSets", x_.getNumberOfSets));
        return true;
    }
    bool RunExchgCount(const Tokens& t) {
        // Without arguments the three texts are empty.
        auto arg = [&t](std::size_t i) -> std::optional<std::string> {
            return i < t.size() ? t[i] : std::optional<std::string>("");
        };
        const int r = CallChecked("GetExchgCount0", x_.getExchgCount, Ptr(arg(1)), Ptr(arg(2)), Ptr(arg(3)));
        std::printf("GetExchgCount0 -> %d\n", r);
        return true;
    }
    bool RunSetup(const Tokens&) {
        CallChecked("SetupSet0", x_.setupSet);
        std::printf("SetupSet0 -> done\n");
        return true;
    }
    // The driver stays armed for every later call, until the next "ui" line replaces it.
    bool RunUi(const Tokens& t) {
        ui_.Arm(*t[1]);
        return true;
    }
    bool RunCat(const Tokens& t) { return Cat(*t[1]); }
    bool RunReload(const Tokens&) {
        FreeLibrary(dll_);
        dll_ = nullptr;
        return Load();
    }

    // | letter | argument                              |
    // |--------|---------------------------------------|
    // | T      | a text (@null is refused)             |
    // | n      | a text or @null                       |
    // | *      | any number of arguments (alone)       |
    struct Command {
        const char* name;
        const char* arguments;    // one letter per argument, see above
        const char* alternative;  // a second accepted argument list, or nullptr
        bool (Host::*run)(const Tokens&);
    };
    static const Command kCommands[];

    static bool Matches(const char* arguments, const Tokens& t) {
        if (std::strcmp(arguments, "*") == 0) return true;
        if (t.size() != std::strlen(arguments) + 1) return false;
        for (std::size_t i = 1; i < t.size(); ++i)
            if (arguments[i - 1] == 'T' && !t[i]) return false;
        return true;
    }
    static bool Accepts(const Command& c, const Tokens& t) {
        return Matches(c.arguments, t) || (c.alternative && Matches(c.alternative, t));
    }


    static bool Fail(const std::string& line, const std::string& why) {
        std::printf("script: %s: %s\n", why.c_str(), line.c_str());
        return false;
    }

    bool Reset(int writeCabrillo, const std::optional<std::string>& own) {
        if (own) ownCall_ = *own;
        COleDateTime d4{0.0, COleDateTime::null}, d5{0.0, COleDateTime::null};
        const int r = CallChecked("ResetStats0", x_.resetStats, "", writeCabrillo, Ptr(own), &d4, &d5,
                                  "", "", "", "", "", "", "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
        std::printf("ResetStats0 %d %s -> %d\n", writeCabrillo, QuoteOrNull(Ptr(own)).c_str(), r);
        return true;
    }

    int CallAdd(QsoArgs& q) {
        // Unused parameters carry values of their own, so a parameter read from the wrong
        // slot shows up in the results.
        return CallChecked("AddData0", x_.addData, Ptr(q.own), Ptr(q.call),
                           q.dateIsNullPointer ? nullptr : &q.date, &q.unused4, &q.unused5,
                           &q.unused6, 7u, q.freq, Ptr(q.mode), Ptr(q.rsts), Ptr(q.rstr),
                           Ptr(q.exs), Ptr(q.exr), "t14", "t15", "t16", "t17", "t18", "t19",
                           "t20", "t21", "t22", Ptr(q.t23), 24, 25, 26, 27.5, 28.5, "t29",
                           Ptr(q.t30), "t31", Ptr(q.band), "t33");
    }

    bool Adif(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return Fail(file, "cannot read ADIF file");
        std::stringstream ss;
        ss << in.rdbuf();
        const velmor::adif::Document doc = velmor::adif::parse(ss.str());
        std::vector<velmor::adif::Problem> problems = doc.problems;
        const auto qsos = velmor::adif::toHostQsos(doc, ownCall_, problems);
        for (const auto& p : problems)
            std::printf("adif: record %d: %s%s%s\n", p.record,
                        p.severity == velmor::adif::Problem::Severity::Error ? "error: " : "warning: ",
                        p.field.empty() ? "" : (p.field + ": ").c_str(), p.message.c_str());
        int stored = 0;
        for (const auto& h : qsos) {
            const velmor::QsoFields& f = h.fields;
            QsoArgs q;
            q.own = f.ownCall;
            q.call = f.call;
            q.date = COleDateTime{f.time.date, COleDateTime::valid};
            q.dateIsNullPointer = false;
            q.freq = f.freqHz;
            q.mode = f.mode;
            q.rsts = f.rstSent;
            q.rstr = f.rstRcvd;
            q.exs = f.exchSent;
            q.exr = f.exchRcvd;
            q.band = f.band;
            const int r = CallAdd(q);
            stored += r == 1;
            std::printf("AddData0 %s %s %s %s -> %d\n", Quote(*q.call).c_str(), Quote(*q.mode).c_str(),
                        Quote(*q.band).c_str(), Quote(*q.exr).c_str(), r);
        }
        std::printf("adif: %zu QSOs, %d stored\n", qsos.size(), stored);
        return true;
    }

    bool Add(const Tokens& t) {
        QsoArgs q;
        q.own = ownCall_;
        for (std::size_t i = 1; i < t.size(); ++i) {
            if (!t[i]) return Fail("add", "field=value expected");
            const std::size_t eq = t[i]->find('=');
            if (eq == std::string::npos) return Fail(*t[i], "field=value expected");
            const std::string key = t[i]->substr(0, eq);
            const std::string raw = t[i]->substr(eq + 1);
            // "@null" after the '=' is a null pointer (tokens are split before this).
            const std::optional<std::string> value =
                raw == "@null" ? std::nullopt : std::optional<std::string>(raw);
            if (key == "date") {
                if (!value) {
                    q.dateIsNullPointer = true;
                } else if (!ParseDate(*value, q)) {
                    return Fail(raw, "bad date");
                }
            } else if (key == "freq") {
                q.freq = static_cast<std::uint32_t>(std::strtoul(raw.c_str(), nullptr, 10));
            } else {
                std::optional<std::string>* slot =
                    key == "own" ? &q.own : key == "call" ? &q.call : key == "mode" ? &q.mode
                    : key == "rsts" ? &q.rsts : key == "rstr" ? &q.rstr : key == "exs" ? &q.exs
                    : key == "exr" ? &q.exr : key == "t23" ? &q.t23 : key == "t30" ? &q.t30
                    : key == "band" ? &q.band : nullptr;
                if (!slot) return Fail(key, "unknown field");
                *slot = value;
            }
        }
        const int r = CallAdd(q);
        std::printf("AddData0 %s %s %s %s -> %d\n", QuoteOrNull(Ptr(q.call)).c_str(),
                    QuoteOrNull(Ptr(q.mode)).c_str(), QuoteOrNull(Ptr(q.band)).c_str(),
                    QuoteOrNull(Ptr(q.exr)).c_str(), r);
        return true;
    }

    bool Remove(const std::optional<std::string>& call, const std::optional<std::string>& mode,
                const std::optional<std::string>& band) {
        COleDateTime d{0.0, COleDateTime::null};
        const int r = CallChecked("RemoveData0", x_.removeData, ownCall_.c_str(), Ptr(call), &d, &d, &d, &d,
                                  7u, 14000000u, Ptr(mode), "599", "599", "001", "001", "t14", "t15",
                                  "t16", "t17", "t18", "t19", "t20", "t21", "t22", "t23", 24, 25, 26,
                                  27.5, 28.5, "t29", "t30", "t31", Ptr(band), "t33");
        std::printf("RemoveData0 %s %s %s -> %d\n", QuoteOrNull(Ptr(call)).c_str(),
                    QuoteOrNull(Ptr(mode)).c_str(), QuoteOrNull(Ptr(band)).c_str(), r);
        return true;
    }

    bool Check(const std::optional<std::string>& call, const std::optional<std::string>& mode,
               const std::optional<std::string>& band) {
        constexpr unsigned char kCanary = 0xA5;
        constexpr std::size_t kGuard = 16;
        unsigned char out[kCheckCallTextSize + kGuard];
        unsigned char other[kCheckCallTextSize];
        std::memset(out, kCanary, sizeof out);
        std::memset(other, kCanary, sizeof other);
        const int r = CallChecked("CheckCall0", x_.checkCall, Ptr(call), 2u, 3u, Ptr(mode), "t5", "t6",
                                  "t7", "t8", "t9", "t10", "t11", "t12", "t13", "t14", 15, 16, 17, 18.5,
                                  19.5, "t20", "t21", "t22", "t23", "t24", Ptr(band), "t26",
                                  reinterpret_cast<char*>(other), reinterpret_cast<char*>(out));
        auto untouched = [](const unsigned char* p, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                if (p[i] != kCanary) return false;
            return true;
        };
        std::string text;
        if (untouched(out, kCheckCallTextSize)) {
            text = "untouched";
        } else {
            const void* end = std::memchr(out, 0, kCheckCallTextSize);
            if (end == nullptr) {
                text = "unterminated";
            } else {
                const std::size_t len = static_cast<const unsigned char*>(end) - out;
                text = Quote(std::string(reinterpret_cast<const char*>(out), len)) +
                       " len=" + std::to_string(len) + " rest=" +
                       (untouched(out + len + 1, kCheckCallTextSize - len - 1) ? "untouched" : "touched");
            }
        }
        std::printf("CheckCall0 %s %s %s -> %d text=%s guard=%s p27=%s\n",
                    QuoteOrNull(Ptr(call)).c_str(), QuoteOrNull(Ptr(mode)).c_str(),
                    QuoteOrNull(Ptr(band)).c_str(), r, text.c_str(),
                    untouched(out + kCheckCallTextSize, kGuard) ? "untouched" : "touched",
                    untouched(other, sizeof other) ? "untouched" : "touched");
        return true;
    }

    bool Result() {
        std::int32_t score = 12345;
        const char* text = CallChecked("GetResult0", x_.getResult, &score);
        std::printf("GetResult0 -> score %ld\n", static_cast<long>(score));
        if (text == nullptr) {
            std::printf("| @null\n");
            return true;
        }
        const std::string s = text;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = s.find("\r\n", start);
            std::string line = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
            std::string q = Quote(line);
            std::printf("| %s\n", q.substr(1, q.size() - 2).c_str());
            if (end == std::string::npos) break;
            start = end + 2;
        }
        return true;
    }

    static bool Cat(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::printf("file %s: missing\n", file.c_str());
            return true;
        }
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string s = ss.str();
        std::printf("file %s: %zu bytes\n", file.c_str(), s.size());
        std::size_t start = 0;
        while (start < s.size()) {
            std::size_t end = s.find('\n', start);
            end = end == std::string::npos ? s.size() : end + 1;
            const std::string q = Quote(s.substr(start, end - start));
            std::printf("> %s\n", q.substr(1, q.size() - 2).c_str());
            start = end;
        }
        return true;
    }

    std::string dllPath_;
    HMODULE dll_ = nullptr;
    Exports x_;
    std::string ownCall_;
    UiDriver ui_;  // ends after the library is freed, reporting the steps its script left
};

// The script language: command, its arguments (see Host::Command), what runs it.
const Host::Command Host::kCommands[] = {
    {"reset", "Tn", nullptr, &Host::RunReset},
    {"adif", "T", nullptr, &Host::RunAdif},
    {"add", "*", nullptr, &Host::RunAdd},
    {"remove", "nnn", nullptr, &Host::RunRemove},
    {"check", "nnn", nullptr, &Host::RunCheck},
    {"valid", "n", nullptr, &Host::RunValid},
    {"result", "", nullptr, &Host::RunResult},
    {"setname", "T", nullptr, &Host::RunSetName},
    {"sets", "", nullptr, &Host::RunSets},
    {"exchgcount", "", "nnn", &Host::RunExchgCount},
    {"setup", "", nullptr, &Host::RunSetup},
    {"ui", "T", nullptr, &Host::RunUi},
    {"cat", "T", nullptr, &Host::RunCat},
    {"reload", "", nullptr, &Host::RunReload},
};

bool Host::Run(const std::string& line) {
    Tokens t;
    std::string error;
    if (!Tokenizer(line).Split(t, error)) return Fail(line, error);
    if (t.empty()) return true;
    if (!t[0]) return Fail(line, "missing command");
    std::fflush(stdout);
    for (const Command& c : kCommands)
        if (*t[0] == c.name && Accepts(c, t)) return (this->*c.run)(t);
    return Fail(line, "unknown command or wrong number of arguments");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        std::fprintf(stderr, "usage: stats-host PATH\\Stats.dll [-f SCRIPT] [COMMAND ...]\n");
        return 1;
    }
    std::vector<std::string> lines;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "-f") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            std::ifstream file;
            std::istream* in = &std::cin;
            if (name != "-") {
                file.open(name, std::ios::binary);
                if (!file) {
                    std::printf("script: cannot read %s\n", name.c_str());
                    return 1;
                }
                in = &file;
            }
            for (std::string line; std::getline(*in, line);) lines.push_back(line);
        } else {
            lines.push_back(argv[i]);
        }
    }
    Host host(argv[1]);
    if (!host.Load()) return 2;
    for (const std::string& line : lines)
        if (!host.Run(line)) return 3;
    return 0;
}
