// Tests of the station-details dialog under Wine: its template, opening values, combo lists, keys and what OK and Cancel give back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "services/text.h"
#include "station_dialog.h"
#include "station_dialog_ids.h"
#include "ui_driver.h"

namespace {

using velmor::StationDetails;

// ---------------------------------------------------------------------------------------
// The template as stored in the module's resources.

struct TemplateItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string cls;
    std::wstring title;
};

struct DialogTemplate {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

// Reads a "string or ordinal" field; an ordinal comes back in `ordinal`.
const WORD* readSzOrOrd(const WORD* p, std::wstring& text, WORD& ordinal) {
    ordinal = 0;
    text.clear();
    if (*p == 0xFFFF) {
        ordinal = p[1];
        return p + 2;
    }
    while (*p) text += static_cast<wchar_t>(*p++);
    return p + 1;
}

std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c < 0x80 ? c : '?');
    return s;
}

// Class names compare without regard to case (the resource compiler writes them in capitals).
std::string upper(const std::string& s) { return velmor::text::upperCase(s); }

bool loadTemplate(HMODULE module, DialogTemplate& out) {
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(IDD_STATION_DETAILS), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!res) return false;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    if (!base) return false;
    const auto* head = reinterpret_cast<const DLGTEMPLATE*>(base);
    if (HIWORD(head->style) == 0xFFFF) return false;  // an extended template is not expected
    out.style = head->style;
    out.x = head->x;
    out.y = head->y;
    out.cx = head->cx;
    out.cy = head->cy;
    const WORD* p = reinterpret_cast<const WORD*>(head + 1);
    std::wstring text;
    WORD ordinal = 0;
    p = readSzOrOrd(p, text, ordinal);  // menu
    p = readSzOrOrd(p, text, ordinal);  // class
    p = readSzOrOrd(p, out.caption, ordinal);
    if (out.style & DS_SETFONT) {
        out.pointSize = *p++;
        p = readSzOrOrd(p, out.font, ordinal);
    }
    static const char* const kAtoms[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    for (WORD i = 0; i < head->cdit; ++i) {
        const auto offset = reinterpret_cast<const BYTE*>(p) - base;
        p = reinterpret_cast<const WORD*>(base + ((offset + 3) & ~3));
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        TemplateItem t;
        t.style = item->style;
        t.x = item->x;
        t.y = item->y;
        t.cx = item->cx;
        t.cy = item->cy;
        t.id = item->id;
        p = reinterpret_cast<const WORD*>(item + 1);
        p = readSzOrOrd(p, text, ordinal);
        t.cls = ordinal >= 0x80 && ordinal <= 0x85 ? kAtoms[ordinal - 0x80] : upper(narrow(text));
        p = readSzOrOrd(p, t.title, ordinal);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        out.items.push_back(t);
    }
    return true;
}

// The caption (the contest's Russian title) in UTF-16.
const wchar_t kCaptionW[] =
    L"\x0421\x043e\x0440\x0435\x0432\x043d\x043e\x0432\x0430\x043d\x0438\x044f \x0417\x0435\x043b\x0438"
    L"\x0432\x0441\x043a\x043e\x0439 \x043e\x0431\x043b\x0430\x0441\x0442\x0438";
// As the driver reports them (bytes outside ASCII as \xHH, UTF-16 as \uXXXX).
const char kCaptionReported[] =
    R"(\xD1\xEE\xF0\xE5\xE2\xED\xEE\xE2\xE0\xED\xE8\xFF \xC7\xE5\xEB\xE8\xE2\xF1\xEA\xEE\xE9 \xEE\xE1\xEB\xE0\xF1\xF2\xE8)";
const char kCaptionReportedW[] =
    R"(\u0421\u043E\u0440\u0435\u0432\u043D\u043E\u0432\u0430\u043D\u0438\u044F \u0417\u0435\u043B\u0438\u0432\u0441\u043A\u043E\u0439 \u043E\u0431\u043B\u0430\u0441\u0442\u0438)";

enum class Kind { Edit, MultiLine, MultiLineEnterOk, Combo, SortedCombo, DefButton, Button };

struct ExpectedControl {
    int id;
    Kind kind;
    short x, y, cx, cy;
    const char* title;  // buttons only
};

// The controls in the order of the description's table.
const ExpectedControl kControls[] = {
    {IDC_CONTEST, Kind::Edit, 55, 9, 190, 12, ""},
    {IDC_CALLSIGN, Kind::Edit, 55, 23, 88, 12, ""},
    {IDC_CLAIMED, Kind::Edit, 184, 23, 61, 12, ""},
    {IDC_CATEGORY_OPERATOR, Kind::SortedCombo, 94, 39, 67, 33, ""},
    {IDC_LOCATION, Kind::Edit, 209, 38, 34, 15, ""},
    {IDC_CATEGORY, Kind::Combo, 94, 57, 68, 47, ""},
    {IDC_NAME, Kind::Edit, 55, 73, 191, 12, ""},
    {IDC_ADDRESS, Kind::MultiLine, 55, 86, 191, 34, ""},
    {IDC_OPERATORS, Kind::MultiLineEnterOk, 55, 121, 191, 31, ""},
    {IDC_CLUB, Kind::Edit, 55, 153, 191, 12, ""},
    {IDC_SOAPBOX, Kind::MultiLine, 55, 167, 191, 31, ""},
    {IDC_EMAIL, Kind::Edit, 55, 199, 191, 12, ""},
    {IDOK, Kind::DefButton, 81, 218, 51, 21, "OK"},
    {IDCANCEL, Kind::Button, 144, 218, 46, 21, "CANCEL"},
};

struct ExpectedLabel {
    const char* text;
    short x, y;
};
const ExpectedLabel kLabels[] = {
    {"CONTEST", 10, 10}, {"CALLSIGN", 9, 25},  {"CLAIMED", 149, 25}, {"CATEGORY-OPERATOR", 9, 42},
    {"LOCATION", 170, 41}, {"CATEGORY", 9, 60}, {"NAME", 10, 75},    {"ADDRESS", 10, 102},
    {"OPERATORS", 10, 133}, {"CLUB", 10, 156},  {"SOAPBOX", 10, 181}, {"E-MAIL", 10, 201},
};

const TemplateItem* findItem(const DialogTemplate& t, int id) {
    for (const auto& item : t.items)
        if (item.id == id) return &item;
    return nullptr;
}

bool has(DWORD style, DWORD bits) { return (style & bits) == bits; }

TEST(DialogTemplate, FrameCaptionAndFont) {
    DialogTemplate t;
    ASSERT_TRUE(loadTemplate(GetModuleHandleA(nullptr), t));
    EXPECT_TRUE(has(t.style, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(t.style & WS_CHILD);
    EXPECT_EQ(t.cx, 255);
    EXPECT_EQ(t.cy, 250);
    EXPECT_EQ(t.caption, std::wstring(kCaptionW));
    EXPECT_TRUE(t.style & DS_SETFONT);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, L"MS Sans Serif");
    EXPECT_EQ(t.items.size(), std::size(kControls) + std::size(kLabels));
}

TEST(DialogTemplate, EveryControlWithItsKindStyleAndPosition) {
    DialogTemplate t;
    ASSERT_TRUE(loadTemplate(GetModuleHandleA(nullptr), t));
    for (const ExpectedControl& want : kControls) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        const TemplateItem* item = findItem(t, want.id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->x, want.x);
        EXPECT_EQ(item->y, want.y);
        EXPECT_EQ(item->cx, want.cx);
        EXPECT_EQ(item->cy, want.cy);
        EXPECT_TRUE(has(item->style, WS_CHILD | WS_VISIBLE));
        const DWORD s = item->style;
        switch (want.kind) {
        case Kind::Edit:
            EXPECT_EQ(item->cls, "EDIT");
            EXPECT_TRUE(s & ES_AUTOHSCROLL);
            EXPECT_FALSE(s & ES_MULTILINE);
            break;
        case Kind::MultiLine:
        case Kind::MultiLineEnterOk:
            EXPECT_EQ(item->cls, "EDIT");
            EXPECT_TRUE(has(s, ES_MULTILINE | WS_VSCROLL));
            EXPECT_EQ((s & ES_WANTRETURN) != 0, want.kind == Kind::MultiLine);
            break;
        case Kind::Combo:
        case Kind::SortedCombo:
            EXPECT_EQ(item->cls, "COMBOBOX");
            EXPECT_EQ(s & 3u, static_cast<DWORD>(CBS_DROPDOWN));
            EXPECT_EQ((s & CBS_SORT) != 0, want.kind == Kind::SortedCombo);
            break;
        case Kind::DefButton:
        case Kind::Button:
            EXPECT_EQ(item->cls, "BUTTON");
            EXPECT_EQ(item->title, std::wstring(want.title, want.title + std::char_traits<char>::length(want.title)));
            EXPECT_EQ(s & 0xFu, static_cast<DWORD>(want.kind == Kind::DefButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
            break;
        }
    }
}

TEST(DialogTemplate, OnlyFourTabStopsInTheirOrder) {
    DialogTemplate t;
    ASSERT_TRUE(loadTemplate(GetModuleHandleA(nullptr), t));
    std::vector<int> tabStops;
    for (const auto& item : t.items)
        if (item.style & WS_TABSTOP) tabStops.push_back(item.id);
    // The template's first tab stop gets the focus when the dialog opens.
    EXPECT_EQ(tabStops, (std::vector<int>{IDC_SOAPBOX, IDC_CATEGORY, IDC_CATEGORY_OPERATOR, IDC_LOCATION}));
}

TEST(DialogTemplate, LabelsStandLeftOfTheControlsWithoutOverlap) {
    DialogTemplate t;
    ASSERT_TRUE(loadTemplate(GetModuleHandleA(nullptr), t));
    for (const ExpectedLabel& want : kLabels) {
        SCOPED_TRACE(want.text);
        const TemplateItem* label = nullptr;
        for (const auto& item : t.items)
            if (item.cls == "STATIC" && narrow(item.title) == want.text) label = &item;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->x, want.x);
        EXPECT_EQ(label->y, want.y);
        EXPECT_EQ(label->style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFT));
        EXPECT_GT(label->cx, 0);
        EXPECT_GE(label->cy, 8);
        for (const ExpectedControl& c : kControls) {
            const bool apart = label->x + label->cx <= c.x || c.x + c.cx <= label->x ||
                               label->y + label->cy <= c.y || c.y + c.cy <= label->y;
            EXPECT_TRUE(apart) << "overlaps control " << c.id;
        }
    }
}

// ---------------------------------------------------------------------------------------
// The live dialog, driven by the stand-in host's UI driver.

struct Shown {
    bool ok = false;
    StationDetails details;
    std::vector<std::string> lines;

    // Value of the report "ui: <key>=<value>"; "<missing>" when there is none.
    std::string operator[](const std::string& key) const {
        const std::string prefix = "ui: " + key + "=";
        for (const auto& line : lines)
            if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
        return "<missing>";
    }
    std::vector<std::string> all(const std::string& key) const {
        std::vector<std::string> out;
        const std::string prefix = "ui: " + key + "=";
        for (const auto& line : lines)
            if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line.substr(prefix.size()));
        return out;
    }
    std::string transcript() const {
        std::string s;
        for (const auto& line : lines) s += line + "\n";
        return s;
    }
};

Shown show(const StationDetails& in, const std::string& script) {
    Shown out;
    out.details = in;
    UiDriver driver([&out](const std::string& line) { out.lines.push_back(line); });
    driver.Arm(script);
    out.ok = RunStationDialog(GetModuleHandleA(nullptr), out.details);
    driver.Disarm();
    return out;
}

// What the dialog is handed when no settings file exists yet.
StationDetails freshDetails() {
    StationDetails d;
    d.callsign = "UA9XYZ";
    d.operators = "UA9XYZ";
    d.contest = "Velmor";
    d.category = "A1";
    d.categoryOperator = "SINGLE-OP";
    return d;
}

bool same(const StationDetails& a, const StationDetails& b) {
    return a.callsign == b.callsign && a.claimed == b.claimed && a.club == b.club &&
           a.category == b.category && a.contest == b.contest && a.email == b.email &&
           a.name == b.name && a.operators == b.operators && a.soapbox == b.soapbox &&
           a.address == b.address && a.categoryOperator == b.categoryOperator &&
           a.location == b.location;
}

TEST(StationDialog, RunsUnderCodePage1251) {
    // Every text check below assumes the users' ANSI code page.
    ASSERT_EQ(GetACP(), 1251u) << "run under LANG=ru_RU.UTF-8";
}

TEST(StationDialog, OpensWithTheGivenValuesListsCaptionAndFocus) {
    const Shown s = show(freshDetails(), "dump; focus; cancel");
    SCOPED_TRACE(s.transcript());
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s["caption"], kCaptionReported);
    EXPECT_EQ(s["caption.w"], kCaptionReportedW);
    const std::map<int, std::string> shown = {
        {IDC_CONTEST, "Velmor"}, {IDC_CALLSIGN, "UA9XYZ"}, {IDC_CLAIMED, ""},
        {IDC_CATEGORY_OPERATOR, "SINGLE-OP"}, {IDC_LOCATION, ""}, {IDC_CATEGORY, "A1"},
        {IDC_NAME, ""}, {IDC_ADDRESS, ""}, {IDC_OPERATORS, "UA9XYZ"}, {IDC_CLUB, ""},
        {IDC_SOAPBOX, ""}, {IDC_EMAIL, ""}, {IDOK, "OK"}, {IDCANCEL, "CANCEL"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(s[std::to_string(id)], text) << "control " << id;

    // 1013 keeps the order it was given; 1014 shows its two entries sorted.
    const std::vector<std::string> categories = {"A1", "B1", "B2", "B3", "C1"};
    for (std::size_t i = 0; i < categories.size(); ++i)
        EXPECT_EQ(s["1013#" + std::to_string(i)], categories[i]);
    EXPECT_EQ(s["1013#5"], "<missing>");
    EXPECT_EQ(s["1014#0"], "MULTI-OP");
    EXPECT_EQ(s["1014#1"], "SINGLE-OP");
    EXPECT_EQ(s["1014#2"], "<missing>");

    std::vector<std::string> labels;
    for (const ExpectedLabel& l : kLabels) labels.push_back(l.text);
    std::vector<std::string> shownLabels = s.all("label");
    std::sort(labels.begin(), labels.end());
    std::sort(shownLabels.begin(), shownLabels.end());
    EXPECT_EQ(shownLabels, labels);

    EXPECT_EQ(s["focus"], std::to_string(IDC_SOAPBOX));
}

TEST(StationDialog, TabVisitsSoapboxCategoryCategoryOperatorLocation) {
    const Shown s = show(freshDetails(), "focus; key TAB; focus; key TAB; focus; key TAB; focus; key TAB; focus; cancel");
    SCOPED_TRACE(s.transcript());
    const std::vector<std::string> want = {"1001", "1013", "1014", "1000", "1001"};
    EXPECT_EQ(s.all("focus"), want);
}

struct FieldCase {
    int id;
    std::string StationDetails::*member;
    const char* typed;     // as the driver takes it
    std::string expected;  // the member after OK
};

TEST(StationDialog, OkGivesBackWhatEveryFieldHolds) {
    const FieldCase cases[] = {
        {IDC_CONTEST, &StationDetails::contest, "Velmor-2", "Velmor-2"},
        {IDC_CALLSIGN, &StationDetails::callsign, "UA9XYZ/P", "UA9XYZ/P"},
        {IDC_CLAIMED, &StationDetails::claimed, "123", "123"},
        {IDC_CATEGORY_OPERATOR, &StationDetails::categoryOperator, "CHECKLOG", "CHECKLOG"},
        {IDC_LOCATION, &StationDetails::location, "ZL", "ZL"},
        {IDC_CATEGORY, &StationDetails::category, "B3", "B3"},
        // a Russian first and last name in code page 1251
        {IDC_NAME, &StationDetails::name, R"(\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2)",
         "\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2"},
        {IDC_ADDRESS, &StationDetails::address, R"(Line one\r\nLine two)", "Line one\r\nLine two"},
        {IDC_OPERATORS, &StationDetails::operators, R"(UA9XYZ\r\nUA9ABC)", "UA9XYZ\r\nUA9ABC"},
        {IDC_CLUB, &StationDetails::club, "Radio Club", "Radio Club"},
        {IDC_SOAPBOX, &StationDetails::soapbox, R"(Fine\r\n\r\n73)", "Fine\r\n\r\n73"},
        {IDC_EMAIL, &StationDetails::email, "op@example.org", "op@example.org"},
    };
    std::string script;
    for (const FieldCase& c : cases) script += "set " + std::to_string(c.id) + "=" + c.typed + "; ";
    const Shown s = show(freshDetails(), script + "ok");
    SCOPED_TRACE(s.transcript());
    ASSERT_TRUE(s.ok);
    for (const FieldCase& c : cases) EXPECT_EQ(s.details.*c.member, c.expected) << "control " << c.id;
}

TEST(StationDialog, PickingFromTheListsIsWhatOkGives) {
    const Shown s = show(freshDetails(), "pick 1013=C1; pick 1014=MULTI-OP; ok");
    SCOPED_TRACE(s.transcript());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.details.category, "C1");
    EXPECT_EQ(s.details.categoryOperator, "MULTI-OP");
}

TEST(StationDialog, CyrillicTextShowsAsTheRightLetters) {
    StationDetails d = freshDetails();
    d.name = "\xc8\xe2\xe0\xed";   // a Russian first name
    d.club = "\xca\xeb\xf3\xe1";   // the Russian word for club
    const Shown s = show(d, "wide 1007; wide 1005; set 1004=\\xfd\\xf5\\xee; ok");  // three Cyrillic letters typed
    SCOPED_TRACE(s.transcript());
    EXPECT_EQ(s["1007.w"], R"(\u0418\u0432\u0430\u043D)");
    EXPECT_EQ(s["1005.w"], R"(\u041A\u043B\u0443\u0431)");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.details.name, d.name);
    EXPECT_EQ(s.details.club, d.club);
    EXPECT_EQ(s.details.email, "\xfd\xf5\xee");
}

TEST(StationDialog, EveryWayOutButOkLeavesTheDetailsUnchanged) {
    const char* const exits[] = {"cancel", "key ESCAPE", "close"};
    for (const char* exit : exits) {
        SCOPED_TRACE(exit);
        const StationDetails before = freshDetails();
        const Shown s = show(before, std::string("set 1010=CHANGED; set 1007=Someone; set 1013=C1; ") + exit);
        SCOPED_TRACE(s.transcript());
        EXPECT_FALSE(s.ok);
        EXPECT_TRUE(same(s.details, before));
        EXPECT_EQ(s["steps left"], "<missing>");
    }
}

TEST(StationDialog, EnterPressesOkExceptInAddressAndSoapbox) {
    struct Case {
        const char* script;
        bool ok;
        std::string StationDetails::*member;
        std::string expected;
    };
    const Case cases[] = {
        {"set 1006=OP1; focus 1006; key RETURN", true, &StationDetails::operators, "OP1"},
        {"set 1010=CALL1; focus 1010; key RETURN", true, &StationDetails::callsign, "CALL1"},
        // A new line instead; the dialog stays open until OK.
        {"set 1002=; focus 1002; key RETURN; ok", true, &StationDetails::address, "\r\n"},
        {"set 1001=; focus 1001; key RETURN; ok", true, &StationDetails::soapbox, "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const Shown s = show(freshDetails(), c.script);
        SCOPED_TRACE(s.transcript());
        EXPECT_EQ(s.ok, c.ok);
        EXPECT_EQ(s.details.*c.member, c.expected);
        EXPECT_EQ(s["steps left"], "<missing>");
    }
}

TEST(StationDialog, CombosSelectTheFirstItemBeginningWithTheTextElseKeepIt) {
    struct Case {
        const char* category;
        const char* categoryOperator;
        const char* shownCategory;
        const char* shownOperator;
    };
    const Case cases[] = {
        {"A1", "SINGLE-OP", "A1", "SINGLE-OP"},
        {"b2", "multi-op", "B2", "MULTI-OP"},     // any case
        {"B", "S", "B1", "SINGLE-OP"},            // first that begins with it
        {"c", "m", "C1", "MULTI-OP"},
        {"D5", "SOLO", "D5", "SOLO"},             // not in the list: kept as typed
        {"A1X", "SINGLE-OPS", "A1X", "SINGLE-OPS"},  // longer than any item
        {"", "", "A1", "MULTI-OP"},               // the empty text begins every item
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.category) + " / " + c.categoryOperator);
        StationDetails d = freshDetails();
        d.category = c.category;
        d.categoryOperator = c.categoryOperator;
        const Shown s = show(d, "dump; ok");
        SCOPED_TRACE(s.transcript());
        EXPECT_EQ(s["1013"], c.shownCategory);
        EXPECT_EQ(s["1014"], c.shownOperator);
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.details.category, c.shownCategory);
        EXPECT_EQ(s.details.categoryOperator, c.shownOperator);
    }
}

TEST(StationDialog, MultiLineFieldsShowEveryLineBreakAsANewLine) {
    struct Case {
        std::string given;
        const char* shown;  // as reported
        std::string back;   // after OK
    };
    const Case cases[] = {
        {"a\r\nb", R"(a\r\nb)", "a\r\nb"},
        {"a\nb", R"(a\r\nb)", "a\r\nb"},
        {"a\rb", R"(a\r\nb)", "a\r\nb"},
        {"a\n\nb\r", R"(a\r\n\r\nb\r\n)", "a\r\n\r\nb\r\n"},
        {"a<CR><LF>b", "a<CR><LF>b", "a<CR><LF>b"},  // typed characters, not line breaks
    };
    for (const Case& c : cases) {
        StationDetails d = freshDetails();
        d.address = d.operators = d.soapbox = c.given;
        const Shown s = show(d, "dump; ok");
        SCOPED_TRACE(s.transcript());
        for (int id : {IDC_ADDRESS, IDC_OPERATORS, IDC_SOAPBOX}) EXPECT_EQ(s[std::to_string(id)], c.shown) << id;
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.details.address, c.back);
        EXPECT_EQ(s.details.operators, c.back);
        EXPECT_EQ(s.details.soapbox, c.back);
    }
}

TEST(StationDialog, NoTemplateIsNoOk) {
    StationDetails d = freshDetails();
    // A module without dialog 101: the dialog cannot be shown, which must not read as OK.
    EXPECT_FALSE(RunStationDialog(GetModuleHandleA("kernel32.dll"), d));
    EXPECT_TRUE(same(d, freshDetails()));
}

}  // namespace
