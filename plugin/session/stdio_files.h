// Files through the C library: the FileSystem used natively and as the base of the DLL's.
#pragma once

#include <optional>
#include <string>

#include "session/services.h"

namespace velmor {

// Names are taken relative to `root` (empty: the process's current directory), joined with
// '/', which both POSIX and Windows accept. Every write and close is checked.
class StdioFileSystem : public FileSystem {
public:
    explicit StdioFileSystem(std::string root = {});

    bool writeFile(const std::string& name, const std::string& bytes) override;
    bool appendFile(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::string& name) override;
    // Writes "<name>.tmp" beside the target, then moves it over the target; on any failure
    // the temporary file is removed, the target is left as it was and the system's reason
    // (never empty) is returned.
    std::string replaceFile(const std::string& name, const std::string& bytes) override;

    // The temporary name replaceFile writes first.
    static std::string temporaryName(const std::string& name) { return name + ".tmp"; }

protected:
    // Puts `from` in place of an existing or missing `to`. std::rename here; Windows needs
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING, since its rename refuses an existing target.
    virtual bool moveReplace(const std::string& from, const std::string& to, std::string& reason);

    std::string path(const std::string& name) const;

private:
    std::string root_;
};

}  // namespace velmor
