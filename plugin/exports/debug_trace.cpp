// OutputDebugStringA behind the portable trace format of the export guard.
#include "debug_trace.h"

#include <windows.h>

#include "boundary_guard.h"

namespace velmor::win32 {

void DebugOutput(const char* line) noexcept { OutputDebugStringA(line); }

void TraceLastError(const char* where, const char* call) noexcept {
    const DWORD error = GetLastError();
    boundary::traceError(&DebugOutput, where, call, error);
}

}  // namespace velmor::win32
