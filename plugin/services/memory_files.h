// The one file system in memory: velmor's sessions run the plug-in on it, and the tests hand it in as their fake.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "services/services.h"

namespace velmor {

// Files by name in a map; nothing touches the disk. What the plug-in writes (err.txt, the
// ".cbr" file, the settings file) stays here; inputs ("cabrillo.ini", "Plugins\VARDO.ini")
// are put into `files` beforehand. A replacement is whole or nothing, as on disk.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    // Names whose writes, appends and replacements fail (a read-only or locked file).
    std::vector<std::string> unwritable;
    // The reason replaceFile gives for an unwritable name.
    std::string refusal = "Access is denied.";
    // Every name opened for writing, appending or replacing, in order.
    std::vector<std::string> opened;

    bool writeFile(const std::string& name, const std::string& bytes) override;
    bool appendFile(const std::string& name, const std::string& bytes) override;
    std::optional<std::string> readFile(const std::string& name) override;
    std::string replaceFile(const std::string& name, const std::string& bytes) override;

private:
    bool blocked(const std::string& name) const;
};

}  // namespace velmor
