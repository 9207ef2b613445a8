// PNG files built chunk by chunk, for the tests and seed inputs that need what the game's
// encoder never writes: other colour types and depths, interlacing, headers that promise
// more than the file holds. The image data is stored uncompressed (deflate's stored
// blocks), so nothing beyond this header is needed. Header-only.
#pragma once

#include <cstdint>
#include <string>

namespace png_chunks {

inline void Put_32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

inline std::uint32_t Crc_32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// One chunk: length, type, data and the CRC of type and data.
inline std::string Chunk(const char type[4], const std::string& data) {
    std::string out;
    Put_32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    Put_32(out, Crc_32(body));
    return out;
}

// The PNG signature.
inline std::string Signature() {
    return std::string("\x89PNG\r\n\x1a\n", 8);
}

// The IHDR chunk.
inline std::string Header(std::uint32_t width, std::uint32_t height, int bit_depth, int colour_type,
                          int interlace = 0) {
    std::string data;
    Put_32(data, width);
    Put_32(data, height);
    data += static_cast<char>(bit_depth);
    data += static_cast<char>(colour_type);
    data += '\0';  // deflate
    data += '\0';  // adaptive filtering
    data += static_cast<char>(interlace);
    return Chunk("IHDR", data);
}

// `raw` as a zlib stream of stored (uncompressed) deflate blocks.
inline std::string Zlib_Stored(const std::string& raw) {
    std::string out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t part = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + part == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(part & 0xFF);
        out += static_cast<char>(part >> 8);
        out += static_cast<char>(~part & 0xFF);
        out += static_cast<char>((~part >> 8) & 0xFF);
        out.append(raw, at, part);
        at += part;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    Put_32(out, (b << 16) | a);
    return out;
}

// A whole file: signature, header, the `extra` chunks (PLTE, tRNS, ...), the scanlines
// `raw` (each row its filter byte and its bytes) in one IDAT, and IEND.
inline std::string File(std::uint32_t width, std::uint32_t height, int bit_depth, int colour_type,
                        const std::string& raw, const std::string& extra = "", int interlace = 0) {
    return Signature() + Header(width, height, bit_depth, colour_type, interlace) + extra +
           Chunk("IDAT", Zlib_Stored(raw)) + Chunk("IEND", "");
}

}  // namespace png_chunks
