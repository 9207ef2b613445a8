#include "engine/pak.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/pak_format.h"
#include "engine/replacing_file.h"

struct CTarvelPak::Entry {
    char name[Pak_Name_Bytes] = {};  // always zero-terminated (Open checks)
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    Entry* next = nullptr;
};

namespace {

// Size of the open regular file, or -1 (a directory or device is no archive).
long long Regular_File_Size(std::FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return info.st_size;
}

}  // namespace

CTarvelPak::CTarvelPak() : list_(new Entry) {}

CTarvelPak::~CTarvelPak() {
    Close();
    delete list_;
}

bool CTarvelPak::Open(const char* path) {
    Close();
    path_.clear();
    if (path == nullptr || path[0] == '\0') return false;
    std::FILE* file = std::fopen(path, "rbe");
    if (file == nullptr) return false;

    // Every length below is checked against the real file before anything is read or
    // allocated, so a damaged or hostile directory fails here instead of making the
    // reader walk past the end or reserve memory for entries that are not there.
    bool ok = false;
    long long file_size = Regular_File_Size(file);
    if (file_size >= static_cast<long long>(Pak_Header_Bytes) &&
        std::fread(header_, 1, Pak_Header_Bytes, file) == Pak_Header_Bytes) {
        std::uint32_t count = Pak_Get_U32(header_ + Pak_Count_Offset);
        unsigned long long directory_bytes =
            static_cast<unsigned long long>(count) * Pak_Entry_Bytes;
        ok = directory_bytes <= static_cast<unsigned long long>(file_size) - Pak_Header_Bytes;
        for (std::uint32_t i = 0; ok && i < count; ++i) {
            std::uint8_t raw[Pak_Entry_Bytes];
            if (std::fread(raw, 1, sizeof raw, file) != sizeof raw) {
                ok = false;
                break;
            }
            for (std::uint8_t& byte : raw) byte = Pak_Unscramble(byte);
            // A name filling all 32 bytes has no terminator: the directory is damaged.
            if (std::memchr(raw, '\0', Pak_Name_Bytes) == nullptr) {
                ok = false;
                break;
            }
            Entry* entry = new Entry;
            std::memcpy(entry->name, raw, Pak_Name_Bytes);
            entry->size = Pak_Get_U32(raw + Pak_Size_Offset);
            entry->offset = Pak_Get_U32(raw + Pak_Offset_Offset);
            entry->next = list_;
            list_ = entry;  // newest first: of equal names the later entry is found first
        }
    }
    std::fclose(file);
    if (!ok) {
        Close();
        return false;
    }
    path_ = path;
    return true;
}

std::FILE* CTarvelPak::Open_Member(const char* name, const Entry** found) const {
    const Entry* entry = list_;
    while (entry != nullptr && std::strcmp(entry->name, name) != 0) entry = entry->next;
    if (entry == nullptr) return nullptr;
    std::FILE* in = std::fopen(path_.c_str(), "rbe");
    if (in == nullptr) return nullptr;
    const long long file_size = Regular_File_Size(in);
    const unsigned long long end = static_cast<unsigned long long>(entry->offset) + entry->size;
    if (file_size < 0 || end > static_cast<unsigned long long>(file_size) ||
        fseeko(in, static_cast<off_t>(entry->offset), SEEK_SET) != 0) {
        std::fclose(in);
        return nullptr;
    }
    *found = entry;
    return in;
}

bool CTarvelPak::Extract(const char* name, const char* folder) {
    if (path_.empty() || name == nullptr || name[0] == '\0') return false;
    // The output is named by the member: a name that is not a plain file name could
    // write outside the folder, so it is never extracted.
    if (!Pak_Is_Plain_Name(name)) return false;
    const Entry* found = nullptr;
    std::FILE* in = Open_Member(name, &found);
    if (in == nullptr) return false;

    std::string out_path = (folder != nullptr && folder[0] != '\0')
                               ? std::string(folder) + "/" + found->name
                               : std::string(found->name);
    Replacing_File out(out_path);
    bool ok = out.Open();
    std::uint8_t block[64 * 1024];
    for (std::uint32_t left = found->size; ok && left > 0;) {
        std::size_t want = std::min<std::size_t>(left, sizeof block);
        // The archive may have shrunk since the size test: a short read fails too.
        if (std::fread(block, 1, want, in) != want) {
            ok = false;
            break;
        }
        for (std::size_t i = 0; i < want; ++i) block[i] = Pak_Unscramble(block[i]);
        ok = std::fwrite(block, 1, want, out.File()) == want;
        left -= static_cast<std::uint32_t>(want);
    }
    std::fclose(in);
    return ok && out.Commit();
}

bool CTarvelPak::Read(const char* name, std::vector<std::uint8_t>* out) {
    if (out == nullptr) return false;
    out->clear();
    if (path_.empty() || name == nullptr || name[0] == '\0') return false;
    const Entry* found = nullptr;
    std::FILE* in = Open_Member(name, &found);
    if (in == nullptr) return false;
    out->resize(found->size);
    // The archive may have shrunk since the size test: a short read fails too.
    const bool ok = std::fread(out->data(), 1, out->size(), in) == out->size();
    std::fclose(in);
    if (!ok) {
        out->clear();
        return false;
    }
    for (std::uint8_t& byte : *out) byte = Pak_Unscramble(byte);
    return true;
}

void CTarvelPak::Close() {
    while (list_->next != nullptr) {
        Entry* next = list_->next;
        delete list_;
        list_ = next;
    }
    std::memset(header_, 0, sizeof header_);
}

std::vector<Pak_Entry_Info> CTarvelPak::Entries() const {
    std::vector<Pak_Entry_Info> entries;
    for (const Entry* entry = list_; entry->next != nullptr; entry = entry->next) {
        entries.push_back(Pak_Entry_Info{entry->name, entry->size, entry->offset});
    }
    std::reverse(entries.begin(), entries.end());
    return entries;
}
