// Shared by the archive tests: binary test data and a builder of archive bytes straight
// from the file layout (independent of Pak_Write, so reader and writer are each checked
// against the layout, not against each other).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"

// Bytes 0..255 repeated and a pseudo-random stretch: binary data with every byte value.
std::string Binary_Data(std::size_t size, unsigned seed);

// One directory entry of a hand-built archive. The name is copied into the 32 name
// bytes as given: 32 or more characters leave no terminating zero. `size` and `offset`
// default to the true size and position of `data`, which follows the directory.
struct Raw_Entry {
    std::string name;
    std::string data;
    std::optional<std::uint32_t> size = std::nullopt;
    std::optional<std::uint32_t> offset = std::nullopt;
};

// An archive laid out byte by byte: 28-byte header (count at 12), scrambled 44-byte
// entries, scrambled member data. `count` overrides the entry count in the header.
std::string Raw_Archive(const std::vector<Raw_Entry>& entries,
                        std::optional<std::uint32_t> count = std::nullopt);

// Runs `body` in a forked child and returns its exit status (-1 when it did not exit).
int Run_In_Child(const std::function<int()>& body);
