// PNG files: the stand-in for the GDI+ decoder that the texture table uses, and the
// encoder that the asset generator writes its textures with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded image: 32-bit pixels in B, G, R, A byte order, rows bottom first (the first
// row is the image's bottom row, the order OpenGL takes texture rows in). Width and
// height are 0 when nothing could be decoded.
struct Png_Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

// Decodes `path`. A missing file, a file that is not a PNG or a damaged PNG gives an
// image of 0 x 0 with no pixels; nothing is reported. So does an image longer than 16384
// pixels on a side or larger than 4096 x 4096 pixels in all, refused from its header
// before its pixels are allocated.
Png_Image Png_Decode_File(const char* path);
// The same for a PNG file's `size` bytes held in memory.
Png_Image Png_Decode_Memory(const std::uint8_t* bytes, std::size_t size);

// Encodes `rgba` (width x height pixels in R, G, B, A byte order, top row first) as a
// PNG in memory. False (and `out` empty) for a non-positive size or an encoder failure.
bool Png_Encode_RGBA(int width, int height, const std::uint8_t* rgba,
                     std::vector<std::uint8_t>* out);

// Writes the PNG of `rgba` to `path`; false when it cannot be encoded or written.
bool Png_Write_RGBA(const char* path, int width, int height, const std::uint8_t* rgba);
