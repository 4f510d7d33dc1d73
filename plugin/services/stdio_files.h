// Files through the portable file helpers: the FileSystem used natively and, with the Win32 table, in the DLL.
#pragma once

#include <optional>
#include <string>

#include "services/file_ops.h"
#include "services/services.h"

namespace velmor {

// Names are taken relative to `root` (empty: the process's current directory), joined with
// '/', which both POSIX and Windows accept. Every step goes through `ops` (the C library's
// by default; the DLL hands in the Win32 table) and is checked.
class StdioFileSystem : public FileSystem {
public:
    explicit StdioFileSystem(std::string root = {}, const FileOps& ops = StdioFileOps());

    bool writeFile(const std::string& name, const std::string& bytes) override;
    bool appendFile(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::string& name) override;
    // ReplaceFileSafely: a temporary file made exclusively beside the target under a random
    // name, then moved over it; a target that is not a regular file (a link, a folder, a
    // FIFO, a device) is refused. On any failure the temporary file is removed, the target
    // is left as it was and the reason (never empty) is returned.
    std::string replaceFile(const std::string& name, const std::string& bytes) override;

protected:
    std::string path(const std::string& name) const;

private:
    std::string root_;
    FileOps ops_;
};

}  // namespace velmor
