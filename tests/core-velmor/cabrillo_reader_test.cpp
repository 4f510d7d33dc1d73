// The Cabrillo reader: numbered lines, their tags and values, one at a time from memory or a
// file, with a bounded line and the encodings it takes or refuses (QSO lines: qso_line_test).
#include "cabrillo_reader/cabrillo_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace cr = velmor::cabrillo_reader;

namespace {

// Every line of `bytes` as the reader gives it, from memory and from a file read in pieces
// of the reader's size; both must agree.
std::vector<cr::Line> linesOf(const std::string& bytes, std::string* error = nullptr, bool* lastEnded = nullptr) {
    std::vector<cr::Line> fromMemory;
    cr::LineReader memory(bytes);
    cr::Line line;
    while (memory.next(line)) fromMemory.push_back(line);

    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    std::vector<cr::Line> fromFile;
    cr::LineReader file(f, velmor::StdioFileOps());
    while (file.next(line)) fromFile.push_back(line);
    std::fclose(f);

    EXPECT_EQ(memory.error(), file.error());
    EXPECT_EQ(memory.lastLineEnded(), file.lastLineEnded());
    EXPECT_EQ(fromMemory.size(), fromFile.size());
    for (std::size_t i = 0; i < fromMemory.size() && i < fromFile.size(); ++i) {
        EXPECT_EQ(fromMemory[i].text, fromFile[i].text) << i;
        EXPECT_EQ(fromMemory[i].length, fromFile[i].length) << i;
    }
    if (error) *error = memory.error();
    if (lastEnded) *lastEnded = memory.lastLineEnded();
    return fromMemory;
}

}  // namespace

TEST(CabrilloReader, SplitsLinesTagsAndValues) {
    bool lastEnded = true;
    const std::vector<cr::Line> lines = linesOf(
        "START-OF-LOG: 3.0\r\nCONTEST: Velmor \r\n\r\nno tag here\nADDRESS: a: b\r"
        "QSO:  14025 CW 2026-05-16 1203 UA1AAA 599 001 UA2BBB 599 002\r\nEND-OF-LOG:",
        nullptr, &lastEnded);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_FALSE(lastEnded);
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].number, int(i) + 1);
    EXPECT_EQ(lines[1].tag, "CONTEST");
    EXPECT_EQ(lines[1].value, "Velmor");
    EXPECT_TRUE(lines[2].blank());
    EXPECT_FALSE(lines[3].isTag());
    EXPECT_EQ(lines[4].value, "a: b");
    EXPECT_TRUE(lines[5].isQso());
    EXPECT_EQ(lines[6].tag, "END-OF-LOG");
    EXPECT_TRUE(linesOf("").empty());
    linesOf("END-OF-LOG:\r\n", nullptr, &lastEnded);
    EXPECT_TRUE(lastEnded);

    // What a File keeps: the first line of each known tag and every QSO line.
    const std::optional<cr::File> f = cr::readCabrillo(
        "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\nCALLSIGN: UA9ZZZ\r\nX-OWN: x\r\nSOAPBOX: hi\r\n"
        "QSO: 1\r\nqso: 2\r\n\r\nEND-OF-LOG:\r\n");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->findTag("callsign")->value, "UA1AAA");
    EXPECT_EQ(f->findTag("X-OWN"), nullptr);  // not a known tag: nobody asks for it
    EXPECT_EQ(f->findTag("SOAPBOX")->number, 5);
    ASSERT_EQ(f->qsos.size(), 2u);
    EXPECT_EQ(f->qsos[1].number, 7);
    EXPECT_EQ(f->findTag("QSO"), &f->qsos[0]);
    EXPECT_EQ(f->lastLineNumber(), 9);
    EXPECT_EQ(f->headers.size(), 4u);
}

// A line end split between two pieces of the file (CR at the end of one, LF at the start of
// the next) is one line end; a line longer than the limit keeps its start and its length.
TEST(CabrilloReader, LineEndsAcrossPiecesAndOverLongLines) {
    const std::string head(64 * 1024 - 1, 'a');
    const std::vector<cr::Line> split = linesOf(head + "\r\nb\r\n");
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].length, head.size());
    EXPECT_EQ(split[1].text, "b");
    EXPECT_EQ(linesOf(head + "\r\r\n").size(), 2u);  // a lone CR, then CR LF

    const std::string over = "QSO: " + std::string(200000, 'x');
    const std::vector<cr::Line> lines = linesOf("a\n" + over + "\nb\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].tooLong());
    EXPECT_EQ(lines[1].length, over.size());
    EXPECT_EQ(lines[1].text.size(), cr::kMaxLineBytes);
    EXPECT_TRUE(lines[1].isQso());
    EXPECT_EQ(lines[2].text, "b");
    EXPECT_FALSE(lines[0].tooLong());
    const velmor::qso_line::Parse p = cr::readQso(lines[1]);
    ASSERT_FALSE(p.ok());
    EXPECT_EQ(p.fault.reason, "the line is 200005 bytes long, over the 65536 bytes a line may have");
    EXPECT_EQ(linesOf(std::string(cr::kMaxLineBytes, 'x'))[0].tooLong(), false);
}

// A UTF-8 byte-order mark is taken; UTF-16 is refused with what to do about it.
TEST(CabrilloReader, ByteOrderMarkTakenUtf16Refused) {
    const std::vector<cr::Line> bom = linesOf("\xEF\xBB\xBFSTART-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\n");
    ASSERT_EQ(bom.size(), 2u);
    EXPECT_EQ(bom[0].tag, "START-OF-LOG");

    std::string withMark = "\xFF\xFE", withoutMark, bigEndian = "\xFE\xFF";
    for (char c : std::string("START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\n")) {
        withMark += std::string{c, '\0'};
        withoutMark += std::string{c, '\0'};
        bigEndian += std::string{'\0', c};
    }
    for (const std::string& utf16 : {withMark, withoutMark, bigEndian}) {
        std::string error;
        EXPECT_TRUE(linesOf(utf16, &error).empty());
        EXPECT_EQ(error, "UTF-16 text: save the log as plain text");
        std::string reason;
        EXPECT_FALSE(cr::readCabrillo(utf16, &reason));
        EXPECT_EQ(reason, cr::kUtf16Text);
    }
    EXPECT_FALSE(cr::looksUtf16("QSO: 14025 CW 2026-05-16 1200 UA1AAA 599 001 UA2BBB 599 002"));
    EXPECT_FALSE(cr::looksUtf16(std::string("ab\0", 3)));
}

// A file is read through the file table's open and read steps, so its faults are the table's.
TEST(CabrilloReader, ReadsAFileThroughTheFileTable) {
    const velmor::FileOps real = velmor::StdioFileOps();
    velmor::FileOps ops = real;
    std::string opened;
    ops.open = [&](const std::string& path, const char*, std::string&) -> std::FILE* {
        opened = path;
        std::FILE* f = std::tmpfile();
        const std::string text = "START-OF-LOG: 3.0\r\nCALLSIGN: UA1AAA\r\nEND-OF-LOG:\r\n";
        std::fwrite(text.data(), 1, text.size(), f);
        std::rewind(f);
        return f;
    };
    std::string reason;
    const std::optional<cr::File> file = cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops);
    ASSERT_TRUE(file.has_value()) << reason;
    EXPECT_EQ(opened, "logs/ua1aaa.cbr");
    ASSERT_NE(file->findTag("CALLSIGN"), nullptr);
    EXPECT_EQ(file->findTag("CALLSIGN")->value, "UA1AAA");
    EXPECT_EQ(file->lastLineNumber(), 3);

    ops.read = [](std::FILE*, char*, std::size_t, std::size_t&, std::string& r) {
        r = "Input/output error";
        return false;
    };
    EXPECT_FALSE(cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops).has_value());
    EXPECT_EQ(reason, "Input/output error");
    ops.open = [](const std::string&, const char*, std::string& r) -> std::FILE* {
        r = "Permission denied";
        return nullptr;
    };
    EXPECT_FALSE(cr::readCabrilloFile("logs/ua1aaa.cbr", &reason, ops).has_value());
    EXPECT_EQ(reason, "Permission denied");
}
