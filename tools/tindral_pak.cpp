// tindral-pak: creates, lists and extracts the game's archive files.
//
//   tindral-pak create ARCHIVE FILE...          members named by each file's base name
//   tindral-pak list ARCHIVE                    one line per entry: name, size, offset
//   tindral-pak extract ARCHIVE [NAME...] [-C DIR]   every member when no name is given
//
// Exit status 0 on success, 1 when an operation fails, 2 for a usage error.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/pak.h"

namespace {

int Usage() {
    std::fputs(
        "usage: tindral-pak create ARCHIVE FILE...\n"
        "       tindral-pak list ARCHIVE\n"
        "       tindral-pak extract ARCHIVE [NAME...] [-C DIR]\n",
        stderr);
    return 2;
}

std::string Base_Name(const std::string& path) {
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return "";
    std::size_t start = path.find_last_of('/', end);
    start = (start == std::string::npos) ? 0 : start + 1;
    return path.substr(start, end + 1 - start);
}

bool Read_File(const char* path, std::vector<std::uint8_t>& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int Create(const char* archive, int count, char** files) {
    std::vector<Pak_Input> members;
    for (int i = 0; i < count; ++i) {
        Pak_Input member;
        member.name = Base_Name(files[i]);
        if (member.name.empty() || member.name.size() > 31) {
            std::fprintf(stderr, "tindral-pak: %s: the member name must be 1 to 31 bytes\n",
                         files[i]);
            return 1;
        }
        if (!Read_File(files[i], member.data)) {
            std::fprintf(stderr, "tindral-pak: cannot read %s\n", files[i]);
            return 1;
        }
        members.push_back(std::move(member));
    }
    if (!Pak_Write(archive, members)) {
        std::fprintf(stderr, "tindral-pak: cannot write %s\n", archive);
        return 1;
    }
    return 0;
}

bool Open_Archive(CTarvelPak& pak, const char* archive) {
    if (pak.Open(archive)) return true;
    std::fprintf(stderr, "tindral-pak: %s: cannot open or damaged archive\n", archive);
    return false;
}

int List(const char* archive) {
    CTarvelPak pak;
    if (!Open_Archive(pak, archive)) return 1;
    for (const Pak_Entry_Info& entry : pak.Entries()) {
        std::printf("%s\t%u\t%u\n", entry.name.c_str(), static_cast<unsigned>(entry.size),
                    static_cast<unsigned>(entry.offset));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Extract(const char* archive, int count, char** args) {
    const char* folder = nullptr;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(args[i], "-C") == 0) {
            if (i + 1 >= count) return Usage();
            folder = args[++i];
        } else {
            names.emplace_back(args[i]);
        }
    }
    CTarvelPak pak;
    if (!Open_Archive(pak, archive)) return 1;
    if (names.empty()) {
        // Every distinct name once; Extract itself picks the later of equal names.
        std::set<std::string> seen;
        for (const Pak_Entry_Info& entry : pak.Entries()) {
            if (seen.insert(entry.name).second) names.push_back(entry.name);
        }
    }
    int status = 0;
    for (const std::string& name : names) {
        if (!pak.Extract(name.c_str(), folder)) {
            std::fprintf(stderr, "tindral-pak: %s: cannot extract %s\n", archive, name.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string command = argv[1];
    const char* archive = argv[2];
    if (command == "create") return Create(archive, argc - 3, argv + 3);
    if (command == "list" && argc == 3) return List(archive);
    if (command == "extract") return Extract(archive, argc - 3, argv + 3);
    return Usage();
}
