// A file that takes the place of its final path only once it is complete.
#pragma once

#include <cstdio>
#include <string>

// The bytes go to a fresh file beside the final path (same folder, so the rename never
// crosses file systems); Commit renames it over the final path. Until Commit succeeds,
// and whenever the object dies uncommitted, the final path keeps whatever it held before
// and the unfinished file is removed. Used by archive extraction and archive writing.
class Replacing_File {
  public:
    explicit Replacing_File(std::string final_path);
    ~Replacing_File();
    Replacing_File(const Replacing_File&) = delete;
    Replacing_File& operator=(const Replacing_File&) = delete;

    // Creates the unfinished file (mode 0666 less the umask). False when the folder
    // cannot take a new file.
    bool Open();
    // The stream to write to; null before a successful Open.
    std::FILE* File() const { return file_; }
    // Flushes, closes and renames over the final path. False on any earlier write error
    // or a failing rename; the final path is then unchanged.
    bool Commit();

  private:
    void Discard();

    std::string final_path_;
    std::string temp_path_;
    std::FILE* file_ = nullptr;
};
