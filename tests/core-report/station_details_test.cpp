// The station-details step and its text helpers: settings, dialog, header fields, OK and Cancel.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cabrillo/cabrillo_log.h"
#include "cabrillo/ini_file.h"
#include "fakes.h"

namespace velmor {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

TEST(ReplaceAll, Cases) {
    struct Case {
        std::string text, find, replacement, expected;
    } cases[] = {
        {"a<CR>b<CR>c", "<CR>", "\r", "a\rb\rc"},
        {"<CR><CR>", "<CR>", "-", "--"},
        {"no match here", "<CR>", "x", "no match here"},
        {"", "<CR>", "x", ""},
        // Inserted text is never searched again, so this ends.
        {"a<CR>b", "<CR>", "<<CR>>", "a<<CR>>b"},
        {"a<CR>b", "<CR>", "<CR><CR>", "a<CR><CR>b"},
        {"same", "same", "same", "same"},
        {"aaa", "aa", "b", "ba"},  // left to right, no overlaps
        {"x<CR>", "<CR>", "", "x"},
        {"\xC0<CR>\xFF", "<CR>", "\r\n", "\xC0\r\n\xFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text << " / " << c.find;
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");  // an empty pattern changes nothing
}

TEST(LineBreakEscapes, RoundTrips) {
    struct Case {
        std::string plain, escaped;
    } cases[] = {
        {"225 Main St\r\nNewington CT", "225 Main St<CR><LF>Newington CT"},
        {"lone\rcr", "lone<CR>cr"},
        {"lone\nlf", "lone<LF>lf"},
        {"\n\r", "<LF><CR>"},
        {"one line", "one line"},
        {"", ""},
        {"a\r\n\r\nb", "a<CR><LF><CR><LF>b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeLineBreaks(c.plain), c.escaped);
        EXPECT_EQ(unescapeLineBreaks(c.escaped), c.plain);
    }
    // The operator's own "<CR>" text reads back as a line break.
    EXPECT_EQ(unescapeLineBreaks(escapeLineBreaks("typed <CR> here")), "typed \r here");
}

TEST(LineBreakEscapes, TaggedForm) {
    struct Case {
        std::string plain, tag, tagged;
    } cases[] = {
        {"225 Main St\r\nNewington CT", "ADDRESS", "225 Main St\r\nADDRESS: Newington CT"},
        // A line feed alone joins the two lines; a carriage return alone starts a new one.
        {"one\ntwo", "SOAPBOX", "onetwo"},
        {"one\rtwo", "SOAPBOX", "one\r\nSOAPBOX: two"},
        {"W1AW\r\nK1ABC\r\nN1XYZ", "OPERATORS", "W1AW\r\nOPERATORS: K1ABC\r\nOPERATORS: N1XYZ"},
        {"typed <CR> text", "SOAPBOX", "typed \r\nSOAPBOX:  text"},
        {"", "ADDRESS", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(tagLineBreaks(escapeLineBreaks(c.plain), c.tag), c.tagged);
}

TEST(BaseName, FromOwnCall) {
    struct Case {
        std::string ownCall, baseName;
    } cases[] = {
        {"W1AW", "W1AW"},
        {"W1AW/P", "W1AW_P"},
        {"VE3/W1AW/MM", "VE3_W1AW_MM"},
        {"UA9\\X", "UA9_X"},
        {"  RA3A \t", "RA3A"},
        {" A B ", "A B"},
        {"", "VARDO"},
        {"   ", "VARDO"},
        {"\t\r\n", "VARDO"},
        {"/", "_"},
    };
    for (const auto& c : cases) EXPECT_EQ(cabrilloBaseName(c.ownCall), c.baseName) << c.ownCall;
}

struct DetailsFixture : ::testing::Test {
    test::MapSettings settings;
    test::ScriptedUi ui;
    CCabrilloLog log;
};

TEST_F(DetailsFixture, WithoutStoredSettingsTheDialogOpensWithDefaults) {
    EXPECT_TRUE(log.EditStationDetails("W1AW/P", settings, ui));
    ASSERT_EQ(ui.dialogOpenedWith.size(), 1u);
    const StationDetails& d = ui.dialogOpenedWith[0];
    EXPECT_EQ(d.callsign, "W1AW/P");
    EXPECT_EQ(d.operators, "W1AW/P");
    EXPECT_EQ(d.contest, "Velmor");
    EXPECT_EQ(d.category, "A1");
    EXPECT_EQ(d.categoryOperator, "SINGLE-OP");
    for (const std::string* empty : {&d.claimed, &d.club, &d.email, &d.name, &d.soapbox, &d.address,
                                     &d.location})
        EXPECT_EQ(*empty, "");
    EXPECT_EQ(settings.reads, (std::vector<std::string>{"Operators", "Name", "Location", "Address",
                                                        "Claimed", "Email", "Club", "SoapBox"}));
    EXPECT_EQ(log.baseName, "W1AW_P");
}

TEST_F(DetailsFixture, StoredValuesOpenUnescapedAndWhole) {
    const std::string longName(150, 'N');
    settings.values = {{"Operators", "W1AW<CR><LF>K1ABC"}, {"Name", longName},
                       {"Location", "MA"},                 {"Address", "225 Main St<CR><LF>Newington"},
                       {"Claimed", "8"},                   {"Email", "w1aw@example.org"},
                       {"Club", "VRC"},                    {"SoapBox", "73<LF>!"},
                       {"Category", "B2"},                 {"Contest", "Other"}};
    log.EditStationDetails("W1AW", settings, ui);
    const StationDetails& d = ui.dialogOpenedWith.at(0);
    EXPECT_EQ(d.operators, "W1AW\r\nK1ABC");
    EXPECT_EQ(d.name, longName);
    EXPECT_EQ(d.address, "225 Main St\r\nNewington");
    EXPECT_EQ(d.soapbox, "73\n!");
    EXPECT_EQ(d.claimed, "8");
    EXPECT_EQ(d.location, "MA");
    EXPECT_EQ(d.email, "w1aw@example.org");
    EXPECT_EQ(d.club, "VRC");
    // Category and contest are stored but never read back.
    EXPECT_EQ(d.category, "A1");
    EXPECT_EQ(d.contest, "Velmor");
}

TEST_F(DetailsFixture, OkWritesInOrderAndPreparesTheHeader) {
    settings.values["Claimed"] = "8";
    log.qsoLines = {"QSO: an old line\r\n"};
    ui.dialog = [](StationDetails& d) {
        d.callsign = "K1ABC";
        d.claimed = "999999";
        d.operators = "K1ABC\r\nW1AW";
        d.name = "Hiram";
        d.address = "225 Main St\r\nNewington CT";
        d.category = "B1";
        d.contest = "Velmor 2026";
        d.email = "k1abc@example.org";
        d.club = "VRC";
        d.location = "CT";
        d.soapbox = "Line one\rLine two\nstill two";
        d.categoryOperator = "MULTI-OP";
        return true;
    };
    EXPECT_TRUE(log.EditStationDetails("W1AW", settings, ui));
    EXPECT_EQ(settings.writes, (Writes{{"Operators", "K1ABC<CR><LF>W1AW"},
                                       {"Name", "Hiram"},
                                       {"Address", "225 Main St<CR><LF>Newington CT"},
                                       {"Category", "B1"},
                                       {"Contest", "Velmor 2026"},
                                       {"Email", "k1abc@example.org"},
                                       {"Club", "VRC"},
                                       {"Location", "CT"},
                                       {"SoapBox", "Line one<CR>Line two<LF>still two"}}));
    EXPECT_EQ(log.callsign, "K1ABC");
    EXPECT_EQ(log.baseName, "W1AW");  // the file name follows the host's own call
    EXPECT_EQ(log.claimed, "8");      // what was typed as CLAIMED is discarded
    EXPECT_EQ(log.categoryOperator, "MULTI-OP");
    EXPECT_EQ(log.category, "B1");
    // The details stay plain; the file carries them as tagged lines.
    EXPECT_EQ(log.operators, "K1ABC\r\nW1AW");
    EXPECT_EQ(log.address, "225 Main St\r\nNewington CT");
    EXPECT_EQ(log.soapbox, "Line one\rLine two\nstill two");
    const std::string header = log.buildLog(0, nullptr);
    EXPECT_NE(header.find("ADDRESS: 225 Main St\r\nADDRESS: Newington CT\r\n"
                          "OPERATORS: K1ABC\r\nOPERATORS: W1AW\r\n"
                          "SOAPBOX: Line one\r\nSOAPBOX: Line twostill two\r\n"),
              std::string::npos)
        << header;
    EXPECT_TRUE(log.qsoLines.empty());
}

TEST_F(DetailsFixture, CancelWritesNothingButPreparesTheStoredDetails) {
    settings.values = {{"Address", "225 Main St<CR><LF>Newington CT"}, {"Name", "Hiram"}};
    log.qsoLines = {"QSO: an old line\r\n"};
    ui.dialog = [](StationDetails& d) {
        d.name = "typed, then cancelled";
        return false;
    };
    EXPECT_FALSE(log.EditStationDetails("W1AW", settings, ui));
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(log.name, "Hiram");
    EXPECT_EQ(log.callsign, "W1AW");
    EXPECT_EQ(log.operators, "W1AW");
    EXPECT_EQ(log.address, "225 Main St\r\nNewington CT");
    EXPECT_EQ(log.category, "A1");
    EXPECT_EQ(log.baseName, "W1AW");
    EXPECT_TRUE(log.qsoLines.empty());
    // The header the writer makes from it has no bare line break.
    const std::string text = log.buildLog(0, nullptr);
    EXPECT_NE(text.find("ADDRESS: 225 Main St\r\nADDRESS: Newington CT\r\nOPERATORS: W1AW\r\n"),
              std::string::npos);
}

// Through a real INI file: a two-line address confirmed once opens as two lines again, and
// Category and Contest written on OK still open with their fixed values.
TEST(StationDetailsFile, TwoLineAddressRoundTrip) {
    test::MemoryFileSystem files;
    IniFileSettings settings(files, "Plugins/VARDO.ini");
    test::ScriptedUi ui;
    ui.dialog = [](StationDetails& d) {
        d.address = "225 Main St\r\nNewington CT";
        d.category = "C1";
        d.contest = "Something else";
        d.operators = "W1AW\r\nK1ABC";
        return true;
    };
    CCabrilloLog first;
    ASSERT_TRUE(first.EditStationDetails("W1AW", settings, ui));
    const std::string& ini = files.files.at("Plugins/VARDO.ini");
    EXPECT_NE(ini.find("Address=225 Main St<CR><LF>Newington CT\r\n"), std::string::npos) << ini;

    ui.dialog = [](StationDetails&) { return false; };
    CCabrilloLog second;
    second.EditStationDetails("W1AW", settings, ui);
    ASSERT_EQ(ui.dialogOpenedWith.size(), 2u);
    EXPECT_EQ(ui.dialogOpenedWith[1].address, "225 Main St\r\nNewington CT");
    EXPECT_EQ(ui.dialogOpenedWith[1].operators, "W1AW\r\nK1ABC");
    EXPECT_EQ(ui.dialogOpenedWith[1].category, "A1");
    EXPECT_EQ(ui.dialogOpenedWith[1].contest, "Velmor");
}

}  // namespace
}  // namespace velmor
