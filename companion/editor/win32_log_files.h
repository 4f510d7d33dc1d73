// The editor's files on Windows: the C library's reads and writes, MoveFileExA to put a file in place.
#pragma once

#include "header_file.h"

namespace orvin {

class Win32LogFiles : public StdioLogFiles {
protected:
    // rename() will not replace an existing file on Windows; MoveFileExA does, in one step.
    bool moveOver(const std::string& from, const std::string& to) override;
};

}  // namespace orvin
