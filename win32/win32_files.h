// The file helpers' table of operations on Win32, shared by Stats.dll, Orvin.exe and velmor.exe.
#pragma once

#include <windows.h>

#include <string>

#include "services/file_ops.h"

namespace velmor::win32 {

// The Win32 steps where the C library's would not hold on Windows; the rest are the C
// library's (fwrite, fflush, fclose, fread, remove, list):
//
//   | step   | Win32                                                                        |
//   |--------|------------------------------------------------------------------------------|
//   | open   | "rb": CreateFileA OPEN_EXISTING, then GetFileType: only a disk file is read   |
//   |        | (a console, NUL, COMn, a pipe are refused without reading); "wb", "ab": fopen |
//   | create | CreateFileA CREATE_NEW: fails on any existing name, a link's included, so it  |
//   |        | never opens what a link points to                                            |
//   | rename | read-only refusal, then MoveFileExA with MOVEFILE_REPLACE_EXISTING (the C     |
//   |        | library's rename refuses an existing target on Windows)                       |
//   | kind   | a device name (CON, NUL, COM1.txt, "\\.\..."), else the folder's entry     |
//   |        | (FindFirstFileA, which never follows a link): a reparse point is a link, a   |
//   |        | directory a folder                                                           |
//   | random | RtlGenRandom (advapi32)                                                      |
//   | ident. | CreateFileA (no access, links followed), GetFileInformationByHandle: the     |
//   |        | volume's serial number and the file index                                    |
const FileOps& Win32FileOps();

// The system's text for an error code (FormatMessageA), without the trailing line end;
// "error <code>" when the system has none.
std::string systemMessage(DWORD code);

}  // namespace velmor::win32
