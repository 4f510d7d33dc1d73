// The file helpers' table of operations on Win32, shared by Stats.dll, Orvin.exe and velmor.exe.
#pragma once

#include <windows.h>

#include <string>

#include "services/file_ops.h"

namespace velmor::win32 {

// The C library's steps, except rename: MoveFileExA with MOVEFILE_REPLACE_EXISTING (the C
// library's rename refuses an existing target on Windows), after the read-only refusal.
const FileOps& Win32FileOps();

// The system's text for an error code (FormatMessageA), without the trailing line end;
// "error <code>" when the system has none.
std::string systemMessage(DWORD code);

}  // namespace velmor::win32
