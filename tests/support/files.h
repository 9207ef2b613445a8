// Files for every test: scratch folders, the working folder, whole-file reads and writes.
#pragma once

#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with its contents on destruction, even
// where a test took the write rights away from it or from a folder inside it. Throws when
// no folder can be made.
class Scratch_Folder {
  public:
    Scratch_Folder();
    ~Scratch_Folder();
    Scratch_Folder(const Scratch_Folder&) = delete;
    Scratch_Folder& operator=(const Scratch_Folder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes `folder` the current directory (the loaders read relative paths) until destroyed.
// Throws when it cannot change there.
class Working_Folder {
  public:
    explicit Working_Folder(const std::string& folder);
    ~Working_Folder();
    Working_Folder(const Working_Folder&) = delete;
    Working_Folder& operator=(const Working_Folder&) = delete;

  private:
    std::string previous_;
};

// The whole file as bytes; empty when it is missing.
std::string Read_File(const std::string& path);
// Replaces the file with `bytes`; false when it cannot be written.
bool Write_File(const std::string& path, const std::string& bytes);
// True when anything is at `path`, a symbolic link included (even one that leads nowhere).
bool File_Exists(const std::string& path);
// Names in a folder, sorted (without "." and ".."); empty when it cannot be read.
std::vector<std::string> Folder_Names(const std::string& folder);
