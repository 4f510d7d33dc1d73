// Puts the editor's freshly written log file in place of the earlier one on Windows.
#include "win32_log_files.h"

#include <windows.h>

namespace orvin {

bool Win32LogFiles::moveOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace orvin
