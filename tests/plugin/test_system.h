// The real Linux system layer with the version and the special folders set by the test,
// so the Vista branches and the folder tables can run on real files here, and with files
// that cannot be deleted (tests run as root, so permissions cannot refuse a delete).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "plugin/system_linux.h"

namespace plugin_test {

class Test_System : public corvane::Linux_System {
  public:
    std::optional<corvane::Os_Version> version;
    std::map<corvane::Special_Folder, std::string> folders;
    // Paths whose delete fails as a file in use does on Windows; the file stays.
    std::set<std::string> undeletable;

    bool Get_Version(corvane::Os_Version& out) override {
        if (!version) return Linux_System::Get_Version(out);
        out = *version;
        return true;
    }

    // A folder missing from `folders` cannot be obtained.
    bool Get_Special_Folder(corvane::Special_Folder which, std::string& path) override {
        auto found = folders.find(which);
        if (found == folders.end()) return false;
        path = found->second;
        return true;
    }

    int Delete_File(const std::string& path) override {
        if (undeletable.count(path) != 0) return corvane::Error_Sharing_Violation;
        return Linux_System::Delete_File(path);
    }
};

inline constexpr corvane::Os_Version Windows_7{corvane::Platform_NT, 6, 1};
inline constexpr corvane::Os_Version Windows_XP{corvane::Platform_NT, 5, 1};

}  // namespace plugin_test
