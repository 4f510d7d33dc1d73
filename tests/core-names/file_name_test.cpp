// The file name rule: the Cabrillo base name of any own call, and the header editor's check, agree.
#include <gtest/gtest.h>

#include <string>

#include "cabrillo/cabrillo_log.h"
#include "header_file.h"
#include "services/file_name.h"

namespace velmor {
namespace {

TEST(CabrilloBaseName, KeepsTheFileInTheHostsFolder) {
    struct Case {
        std::string ownCall, baseName;
    } cases[] = {
        {"RA3FLT", "RA3FLT"},                 // a plain call keeps its name
        {"C:RA3FLT", "C_RA3FLT"},             // not the root of drive C:
        {"RA3ABC:P", "RA3ABC_P"},             // not an alternate data stream
        {"A*B?C\"D<E>F|G", "A_B_C_D_E_F_G"},  // wildcards and the other forbidden bytes
        {"UA\x01" "3\x1F" "X", "UA_3_X"},     // control characters inside the call
        {"UA 3\tX", "UA 3_X"},                // a blank inside stays, a tab does not
        {"\\\\server\\share", "__server_share"},
        {"CON", "CON_"},                      // devices, in any case, with or without extension
        {"nul", "nul_"},
        {"Aux.P", "Aux_.P"},
        {"COM1", "COM1_"},
        {"lpt9", "lpt9_"},
        {"PRN .X", "PRN_ .X"},
        {"COM0", "COM0"},                     // not devices
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"RCON", "RCON"},
        {"\xD0\xC0\xC4\xC8\xCE", "\xD0\xC0\xC4\xC8\xCE"},  // code page 1251 letters are fine
    };
    for (const auto& c : cases) EXPECT_EQ(cabrilloBaseName(c.ownCall), c.baseName) << c.ownCall;
}

// Every own call, however typed, gives a name the header editor's check accepts: the two
// programs apply one rule.
TEST(CabrilloBaseName, EveryResultPassesTheEditorsCheck) {
    std::string tricky[] = {"CON", "con.", "LPT3 ", "A:", "..", ". .", "A.", "x\x7f", "\x80\xff"};
    for (const std::string& call : tricky)
        EXPECT_TRUE(orvin::IsPlainFileName(cabrilloBaseName(call) + ".cbr")) << call;
    for (int c = 0; c < 256; ++c) {
        const std::string call = std::string("RA") + static_cast<char>(c) + "3";
        const std::string name = cabrilloBaseName(call) + ".cbr";
        EXPECT_TRUE(orvin::IsPlainFileName(name)) << "byte " << c;
        EXPECT_EQ(orvin::IsPlainFileName(call + ".cbr"), !isForbiddenFileNameChar(static_cast<char>(c)))
            << "byte " << c;
    }
}

TEST(PlainFileName, RefusesWhatWindowsWouldChangeOrMisplace) {
    for (const char* bad : {"", "CON.cbr", "com5.cbr", "LPT1 .cbr", "a:b.cbr", "a/b.cbr", "A.cbr ",
                            "A.cbr.", "A\tB.cbr"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
    for (const char* good : {"RA3ABC.cbr", "COM10.cbr", "CONX.cbr", "A B.cbr", ".cbr"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
}

}  // namespace
}  // namespace velmor
