// Trace lines for a tester's debug-output viewer (OutputDebugStringA); the operator sees nothing.
#pragma once

namespace velmor::win32 {

// The DLL's trace sink: the line goes to OutputDebugStringA.
void DebugOutput(const char* line) noexcept;

// Traces a failed Win32 call with the thread's GetLastError(), read first thing.
void TraceLastError(const char* where, const char* call) noexcept;

}  // namespace velmor::win32
