#include "engine/decode_ahead.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "engine/pak.h"

namespace {

// The whole file `path`, or false when it cannot be read.
bool Read_File(const char* path, std::vector<std::uint8_t>* bytes) {
    bytes->clear();
    std::FILE* file = std::fopen(path, "rbe");
    if (file == nullptr) return false;
    std::uint8_t block[64 * 1024];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file);
        bytes->insert(bytes->end(), block, block + got);
        if (got < sizeof block) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

}  // namespace

bool Decode_Ahead_Read_Source(const char* archive, const char* name,
                              std::vector<std::uint8_t>* bytes) {
    if (archive != nullptr && access(archive, F_OK) == 0) {
        CTarvelPak pak;
        if (pak.Open(archive) && pak.Read(name, bytes)) return true;
    }
    return Read_File(name, bytes);
}

bool Decode_Ahead_File_Equals(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> file;
    return path != nullptr && Read_File(path, &file) && file.size() == bytes.size() &&
           (bytes.empty() || std::memcmp(file.data(), bytes.data(), bytes.size()) == 0);
}
