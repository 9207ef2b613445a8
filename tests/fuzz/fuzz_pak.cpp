// Fuzz target: the archive reader. Opens the input as an archive and extracts every
// member, checking each result against the input itself: a member that lies inside the
// file under a plain name must come out byte for byte, anything else must fail without
// leaving a file.
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "engine/pak.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool Plain_Name(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = fuzz::Scratch() + "/input.pak";
    const std::string out = fuzz::Scratch() + "/out";
    mkdir(out.c_str(), 0700);
    fuzz::Write_Input(archive, data, size);

    CTarvelPak pak;
    if (!pak.Open(archive.c_str())) {
        if (!pak.Entries().empty()) __builtin_trap();
        return 0;
    }
    // The entry each name resolves to: the last one in directory order.
    std::map<std::string, Pak_Entry_Info> latest;
    for (const Pak_Entry_Info& entry : pak.Entries()) latest[entry.name] = entry;
    for (const auto& [name, entry] : latest) {
        bool inside = static_cast<std::uint64_t>(entry.offset) + entry.size <= size;
        bool extracted = pak.Extract(name.c_str(), out.c_str());
        std::string path = out + "/" + name;
        if (extracted != (inside && Plain_Name(name))) __builtin_trap();
        if (!extracted) {
            if (Plain_Name(name) && access(path.c_str(), F_OK) == 0) __builtin_trap();
            continue;
        }
        std::string bytes = fuzz::Read_All(path);
        if (bytes.size() != entry.size) __builtin_trap();
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            auto plain = static_cast<std::uint8_t>(data[entry.offset + i] - Pak_Scramble_Key);
            if (static_cast<std::uint8_t>(bytes[i]) != plain) __builtin_trap();
        }
    }
    fuzz::Empty_Folder(out);
    return 0;
}
