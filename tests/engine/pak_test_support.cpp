#include "tests/engine/pak_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engine/pak.h"

Temp_Dir::Temp_Dir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/tindral-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

Temp_Dir::~Temp_Dir() {
    std::error_code ignored;
    // Tests may leave folders without write rights behind; give them back first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::remove_all(path_, ignored);
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write_File(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool File_Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::vector<std::string> Folder_Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(folder, ignored)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Binary_Data(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        if (i < 512) {
            bytes[i] = static_cast<char>(i & 0xFF);
        } else {
            state = state * 1664525u + 1013904223u;
            bytes[i] = static_cast<char>(state >> 24);
        }
    }
    return bytes;
}

namespace {

void Put_U32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

char Scramble(char plain) {
    return static_cast<char>((static_cast<unsigned char>(plain) + Pak_Scramble_Key) & 0xFF);
}

}  // namespace

std::string Raw_Archive(const std::vector<Raw_Entry>& entries, std::optional<std::uint32_t> count) {
    std::string header(28, '\0');
    Put_U32(header, 12, count.value_or(static_cast<std::uint32_t>(entries.size())));
    std::string directory;
    std::string data;
    std::size_t position = 28 + 44 * entries.size();
    for (const Raw_Entry& entry : entries) {
        std::string plain(44, '\0');
        std::copy_n(entry.name.begin(), std::min<std::size_t>(entry.name.size(), 32),
                    plain.begin());
        Put_U32(plain, 32, entry.size.value_or(static_cast<std::uint32_t>(entry.data.size())));
        Put_U32(plain, 36, entry.offset.value_or(static_cast<std::uint32_t>(position)));
        position += entry.data.size();
        for (char c : plain) directory += Scramble(c);
        for (char c : entry.data) data += Scramble(c);
    }
    return header + directory + data;
}

int Run_In_Child(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
