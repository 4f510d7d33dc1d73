// Win32 rename step for the portable file helpers, and the system's error texts.
#include "win32_files.h"

namespace velmor::win32 {

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message;
    if (n != 0 && text != nullptr) message.assign(text, n);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) message = "error " + std::to_string(code);
    return message;
}

namespace {
bool moveReplace(const std::string& from, const std::string& to, std::string& reason) {
    // HACK: Windows refuses to replace a read-only file; Wine replaces it anyway. Refusing
    // here ourselves makes both behave as Windows does, so tests under Wine see the same
    // outcome as users do. Costs one attribute lookup per replacement.
    const DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        reason = systemMessage(ERROR_ACCESS_DENIED);
        return false;
    }
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = systemMessage(GetLastError());
    return false;
}
}  // namespace

const FileOps& Win32FileOps() {
    static const FileOps ops = [] {
        FileOps o = StdioFileOps();
        o.rename = moveReplace;
        return o;
    }();
    return ops;
}

}  // namespace velmor::win32
