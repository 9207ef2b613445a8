// Shared by the archive tests: scratch folders, whole-file reads and writes, and a
// builder of archive bytes straight from the file layout (independent of Pak_Write, so
// reader and writer are each checked against the layout, not against each other).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with its contents on destruction.
class Temp_Dir {
  public:
    Temp_Dir();
    ~Temp_Dir();
    Temp_Dir(const Temp_Dir&) = delete;
    Temp_Dir& operator=(const Temp_Dir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string Read_File(const std::string& path);  // whole file; empty when missing
void Write_File(const std::string& path, const std::string& bytes);
bool File_Exists(const std::string& path);
// Names in a folder, sorted (without "." and "..").
std::vector<std::string> Folder_Names(const std::string& folder);

// Bytes 0..255 repeated and a pseudo-random stretch: binary data with every byte value.
std::string Binary_Data(std::size_t size, unsigned seed);

// One directory entry of a hand-built archive. The name is copied into the 32 name
// bytes as given: 32 or more characters leave no terminating zero. `size` and `offset`
// default to the true size and position of `data`, which follows the directory.
struct Raw_Entry {
    std::string name;
    std::string data;
    std::optional<std::uint32_t> size = std::nullopt;
    std::optional<std::uint32_t> offset = std::nullopt;
};

// An archive laid out byte by byte: 28-byte header (count at 12), scrambled 44-byte
// entries, scrambled member data. `count` overrides the entry count in the header.
std::string Raw_Archive(const std::vector<Raw_Entry>& entries,
                        std::optional<std::uint32_t> count = std::nullopt);

// Runs `body` in a forked child and returns its exit status (-1 when it did not exit).
int Run_In_Child(const std::function<int()>& body);
