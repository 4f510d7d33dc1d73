// The file helpers' table of operations on Win32, shared by Stats.dll, Orvin.exe and velmor.exe.
#pragma once

#include <windows.h>

#include <string>

#include "services/file_ops.h"

namespace velmor::win32 {

// The Win32 steps where the C library's would not hold on Windows; the rest are the C
// library's (fwrite, fflush, fclose, fread, _commit). Every name goes to the system as
// UTF-16 (the wide functions), converted at the table's edge from the names' encoding, so
// that a name works whatever the system's code page:
//
//   | step   | Win32                                                                        |
//   |--------|------------------------------------------------------------------------------|
//   | open   | "rb": CreateFileW OPEN_EXISTING, then GetFileType: only a disk file is read   |
//   |        | (a console, NUL, COMn, a pipe are refused without reading); "wb", "ab":       |
//   |        | _wfopen                                                                       |
//   | create | CreateFileW CREATE_NEW: fails on any existing name, a link's included, so it  |
//   |        | never opens what a link points to                                            |
//   | rename | read-only refusal, then MoveFileExW with MOVEFILE_REPLACE_EXISTING (the C     |
//   |        | library's rename refuses an existing target on Windows)                       |
//   | remove | DeleteFileW                                                                   |
//   | kind   | a device name (CON, NUL, COM1.txt, "\\.\..."), else the folder's entry     |
//   |        | (FindFirstFileW, which never follows a link): a reparse point is a link, a   |
//   |        | directory a folder                                                           |
//   | list   | FindFirstFileW / FindNextFileW, each name converted back                     |
//   | random | RtlGenRandom (advapi32)                                                      |
//   | ident. | CreateFileW (no access, links followed), GetFileInformationByHandle: the     |
//   |        | volume's serial number and the file index                                    |
//
// The two tables differ only in the names' encoding:
//   Win32FileOps()      the ANSI code page (1251 on the operators' Windows): the names the
//                       logging program hands Stats.dll, and Orvin.exe's. Reasons are the
//                       system's in that code page (FormatMessageW, converted), as these programs show
//                       them in ANSI windows and files.
//   Win32Utf8FileOps()  UTF-8: velmor.exe, which takes its arguments as UTF-16 and works in
//                       UTF-8 inside. Reasons in UTF-8 too. A name that is not valid UTF-8
//                       is refused ("the file name is not valid UTF-8").
const FileOps& Win32FileOps();
const FileOps& Win32Utf8FileOps();

// The system's text for an error code, without the trailing line end; "error <code>" when
// the system has none. systemMessage in the ANSI code page, systemMessageUtf8 in UTF-8.
std::string systemMessage(DWORD code);
std::string systemMessageUtf8(DWORD code);

// UTF-16 and UTF-8 (CP_UTF8) or the ANSI code page (CP_ACP): nullopt-like empty result with
// `ok` false when `text` cannot be converted.
std::wstring toWide(const std::string& text, UINT codePage, bool& ok);
std::string fromWide(const std::wstring& text, UINT codePage);

}  // namespace velmor::win32
