// The stand-in host's log: unbuffered writes so that a test reading the file sees every line.
#include "host_log.h"

namespace kova {

bool HostLog::Open(const std::string& path) {
    if (path.empty()) {
        file_ = GetStdHandle(STD_OUTPUT_HANDLE);
        own_ = false;
        return true;
    }
    file_ = CreateFileA(path.c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    own_ = file_ != INVALID_HANDLE_VALUE;
    return own_;
}

void HostLog::Line(const std::string& text) {
    if (file_ == INVALID_HANDLE_VALUE || file_ == nullptr) return;
    std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (own_) FlushFileBuffers(file_);
}

HostLog::~HostLog() {
    if (own_) CloseHandle(file_);
}

}  // namespace kova
