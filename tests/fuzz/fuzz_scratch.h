// A scratch folder for one fuzzing process: the readers under test take file paths, so
// every input is written to a real file first. Removed when the process exits.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzz {

inline void Empty_Folder(const std::string& folder) {
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* item = readdir(dir)) {
            if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
                unlinkat(dirfd(dir), item->d_name, 0);
            }
        }
        closedir(dir);
    }
}

// Never destroyed: the exit handler below still needs it after static destructors run.
inline const std::string& Scratch() {
    static const std::string* folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        auto* made = new std::string(pattern);
        std::atexit([] {
            Empty_Folder(Scratch() + "/out");
            rmdir((Scratch() + "/out").c_str());
            Empty_Folder(Scratch());
            rmdir(Scratch().c_str());
        });
        return made;
    }();
    return *folder;
}

inline void Write_Input(const std::string& path, const unsigned char* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

inline std::string Read_All(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
            bytes.append(block, n);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace fuzz
