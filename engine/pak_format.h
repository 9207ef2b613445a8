// The byte layout of an archive, shared by the reader and the writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/pak.h"

constexpr std::size_t Pak_Header_Bytes = 28;
constexpr std::size_t Pak_Count_Offset = 12;
constexpr std::size_t Pak_Entry_Bytes = 44;
constexpr std::size_t Pak_Name_Bytes = 32;  // including the terminating zero
constexpr std::size_t Pak_Size_Offset = 32;
constexpr std::size_t Pak_Offset_Offset = 36;

inline std::uint8_t Pak_Scramble(std::uint8_t plain) {
    return static_cast<std::uint8_t>(plain + Pak_Scramble_Key);
}
inline std::uint8_t Pak_Unscramble(std::uint8_t stored) {
    return static_cast<std::uint8_t>(stored - Pak_Scramble_Key);
}

inline std::uint32_t Pak_Get_U32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}
inline void Pak_Put_U32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A member name that is safe to use as a file name inside one folder: not empty, no
// folder part, not "." or "..". Length is the caller's concern.
inline bool Pak_Is_Plain_Name(const char* name) {
    return name[0] != '\0' && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0 &&
           std::strcmp(name, "..") != 0;
}
