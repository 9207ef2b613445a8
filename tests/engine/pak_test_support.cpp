#include "tests/engine/pak_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/pak.h"

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
