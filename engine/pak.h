// Archive files ("data/textures.pak", "data/models.pak", "data/audio.pak"): a 28-byte
// plain header holding the entry count at offset 12, then 44-byte directory entries
// (name[32], size, offset, reserved; little-endian) and the member bytes, every
// directory and member byte stored as (plain + Pak_Scramble_Key) mod 256.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr std::uint8_t Pak_Scramble_Key = 0x5A;

// One directory entry as the archive stores it (used by tindral-pak's list and extract).
struct Pak_Entry_Info {
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

class CTarvelPak {
  public:
    CTarvelPak();
    ~CTarvelPak();
    CTarvelPak(const CTarvelPak&) = delete;
    CTarvelPak& operator=(const CTarvelPak&) = delete;

    // Reads the header and the whole directory. False for an empty path, a file that
    // cannot be opened, or a damaged directory: a header or directory shorter than its
    // count says, or a 32-byte name without its terminating zero (the reader then holds
    // no entries). Nothing is allocated beyond what the file really holds.
    bool Open(const char* path);
    // Writes member `name` (exact, case-sensitive; of equal names the later directory
    // entry wins) as a file called `name` inside `folder` (the current directory when
    // null or empty). False when nothing matches, `name` is not a plain file name
    // (empty, a folder part, "." or ".."), a file cannot be opened or the member runs
    // past the end of the archive. The file appears only once complete: a failed
    // extraction leaves no partial file and any earlier file of that name as it was.
    bool Extract(const char* name, const char* folder = nullptr);
    // Reads member `name` (found as Extract finds it) into `out` as plain bytes. False,
    // with `out` empty, when nothing matches or the member runs past the end of the
    // archive.
    bool Read(const char* name, std::vector<std::uint8_t>* out);
    void Close();
    // The entries in directory order (first entry first, duplicates included).
    std::vector<Pak_Entry_Info> Entries() const;

  private:
    struct Entry;
    // The archive opened and placed at the first byte of member `name`, whose entry goes
    // to `*found`; null when there is no such member or its bytes lie beyond the file.
    std::FILE* Open_Member(const char* name, const Entry** found) const;

    std::string path_;
    std::uint8_t header_[28] = {};
    Entry* list_;  // newest first, ends with the sentinel
};

// One member for writing an archive.
struct Pak_Input {
    std::string name;                // at most 31 bytes, no folder part
    std::vector<std::uint8_t> data;  // plain bytes
};

// Writes an archive holding `members` in order, unused header bytes zero.
bool Pak_Write(const char* path, const std::vector<Pak_Input>& members);

// The loading protocol shared by every loader (textures, models, sounds): when
// `archive` exists and holds `name`, the member is extracted into the process's private
// temporary folder (so a read-only program folder still works and a loose file of the
// same name is never overwritten); otherwise the loose file `name` in the current
// directory is used. The extracted copy is deleted when this object dies; a loose
// file is never deleted. Load one member of a given name at a time: two live objects
// for the same name share the extracted file.
class Pak_Member {
  public:
    Pak_Member(const char* archive, const char* name);
    ~Pak_Member();
    Pak_Member(const Pak_Member&) = delete;
    Pak_Member& operator=(const Pak_Member&) = delete;

    // The file to open: the extracted copy, or the loose name.
    const char* Path() const { return path_.c_str(); }
    bool Extracted() const { return extracted_; }
    // Deletes the extracted copy now (no-op for a loose file). Idempotent.
    void Release();

  private:
    std::string path_;
    bool extracted_ = false;
};

// The process's private temporary folder: a mkdtemp folder under $TMPDIR (or /tmp),
// created on first use and removed with its files when the process exits. Null (with a
// level-1 log line) when it cannot be created.
const char* Private_Temp_Folder();
