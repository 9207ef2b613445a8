// Shared by the plug-in's tests: a private temporary folder, files with chosen times,
// folder snapshots and a reader for the plug-in's RTF log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace plugin_test {

namespace fs = std::filesystem;

// A new empty folder under $TMPDIR (or /tmp), removed with everything in it at the end.
class Temp_Folder {
  public:
    Temp_Folder();
    ~Temp_Folder();
    Temp_Folder(const Temp_Folder&) = delete;
    Temp_Folder& operator=(const Temp_Folder&) = delete;

    const fs::path& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

  private:
    fs::path path_;
};

// Writes a file (creating its folders) and, when `time` is not 0, sets its last-write
// time to that many seconds since 1970.
void Write_File(const fs::path& path, const std::string& content, std::int64_t time = 0);
std::string Read_File(const fs::path& path);
void Set_Write_Time(const fs::path& path, std::int64_t time);
std::int64_t Write_Time(const fs::path& path);
// The birth time where the file system keeps one, else the last-write time: what the
// plug-in reports as a creation time on Linux.
std::int64_t Creation_Time(const fs::path& path);

// Every file and folder below `root`, by relative path: a file maps to its content, a
// folder to "<folder>".
std::map<std::string, std::string> Snapshot(const fs::path& root);

// The plug-in's RTF log, taken apart. `well_formed` is false when the header pieces are
// wrong, when anything but log lines follows them or when a line break appears.
struct Rtf_Log {
    bool well_formed = false;
    std::string problem;
    int header_count = 0;               // header pieces found (1 for a fresh log)
    std::vector<std::string> messages;  // the message of each line, in order
};
Rtf_Log Read_Rtf_Log(const fs::path& path);

}  // namespace plugin_test
