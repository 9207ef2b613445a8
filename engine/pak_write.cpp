#include <cstring>
#include <limits>

#include "base/log.h"
#include "engine/pak.h"
#include "engine/pak_format.h"
#include "engine/replacing_file.h"

namespace {

bool Write_Scrambled(std::FILE* file, const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t block[64 * 1024];
    while (count > 0) {
        std::size_t n = count < sizeof block ? count : sizeof block;
        for (std::size_t i = 0; i < n; ++i) block[i] = Pak_Scramble(bytes[i]);
        if (std::fwrite(block, 1, n, file) != n) return false;
        bytes += n;
        count -= n;
    }
    return true;
}

}  // namespace

bool Pak_Write(const char* path, const std::vector<Pak_Input>& members) {
    if (path == nullptr || path[0] == '\0') return false;
    unsigned long long position = Pak_Header_Bytes + Pak_Entry_Bytes * members.size();
    for (const Pak_Input& member : members) {
        if (member.name.size() >= Pak_Name_Bytes || member.name.find('\0') != std::string::npos ||
            !Pak_Is_Plain_Name(member.name.c_str())) {
            Log_Write(Engine_Log, 1, "Pak_Write() :: failed (member name [%s] is not usable)",
                      member.name.c_str());
            return false;
        }
        position += member.data.size();
    }
    // Offsets and sizes are 32-bit: the whole archive must stay addressable by them.
    if (position > std::numeric_limits<std::uint32_t>::max()) {
        Log_Write(Engine_Log, 1, "Pak_Write() :: failed (%s would exceed 4 GiB)", path);
        return false;
    }

    // Written beside the target and renamed over it, so a failed write never leaves a
    // half archive where the game looks for a whole one.
    Replacing_File out(path);
    if (!out.Open()) {
        Log_Write(Engine_Log, 1, "Pak_Write() :: failed (cannot create %s)", path);
        return false;
    }
    std::uint8_t header[Pak_Header_Bytes] = {};
    Pak_Put_U32(header + Pak_Count_Offset, static_cast<std::uint32_t>(members.size()));
    bool ok = std::fwrite(header, 1, sizeof header, out.File()) == sizeof header;

    std::uint32_t offset =
        static_cast<std::uint32_t>(Pak_Header_Bytes + Pak_Entry_Bytes * members.size());
    for (const Pak_Input& member : members) {
        std::uint8_t entry[Pak_Entry_Bytes] = {};
        std::memcpy(entry, member.name.data(), member.name.size());
        Pak_Put_U32(entry + Pak_Size_Offset, static_cast<std::uint32_t>(member.data.size()));
        Pak_Put_U32(entry + Pak_Offset_Offset, offset);
        ok = ok && Write_Scrambled(out.File(), entry, sizeof entry);
        offset += static_cast<std::uint32_t>(member.data.size());
    }
    for (const Pak_Input& member : members) {
        ok = ok && Write_Scrambled(out.File(), member.data.data(), member.data.size());
    }
    if (!ok || !out.Commit()) {
        Log_Write(Engine_Log, 1, "Pak_Write() :: failed (writing %s)", path);
        return false;
    }
    return true;
}
