#include "platform/png.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

// Images longer than Max_Side on either side or holding more than Max_Pixels pixels are
// refused from their header, before anything is allocated: no texture the game uses comes
// near them (the largest is 1024 x 1024), and they bound the memory a damaged or hostile
// header can ask for (64 MiB of pixels, where two sides of 16384 alone would ask 1 GiB).
constexpr png_uint_32 Max_Side = 16384;
constexpr std::uint64_t Max_Pixels = 4096u * 4096u;

// Finishes a read begun on `image`: BGRA rows, bottom row first, or 0 x 0.
Png_Image Finish_Decode(png_image& image) {
    Png_Image result;
    if (image.width == 0 || image.height == 0 || image.width > Max_Side ||
        image.height > Max_Side ||
        static_cast<std::uint64_t>(image.width) * image.height > Max_Pixels) {
        png_image_free(&image);
        return result;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    // A negative row stride makes libpng store the rows bottom first.
    png_int_32 stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), stride, nullptr)) {
        png_image_free(&image);
        return result;
    }
    result.width = static_cast<int>(image.width);
    result.height = static_cast<int>(image.height);
    result.bgra = std::move(pixels);
    return result;
}

}  // namespace

Png_Image Png_Decode_File(const char* path) {
    if (path == nullptr) return Png_Image();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return Png_Image();
    return Finish_Decode(image);
}

Png_Image Png_Decode_Memory(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size == 0) return Png_Image();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size)) return Png_Image();
    return Finish_Decode(image);
}

bool Png_Encode_RGBA(int width, int height, const std::uint8_t* rgba,
                     std::vector<std::uint8_t>* out) {
    if (out == nullptr) return false;
    out->clear();
    if (width <= 0 || height <= 0 || rgba == nullptr) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, rgba, 0, nullptr)) return false;
    out->resize(size);
    if (!png_image_write_to_memory(&image, out->data(), &size, 0, rgba, 0, nullptr)) {
        out->clear();
        return false;
    }
    out->resize(size);
    return true;
}

bool Png_Write_RGBA(const char* path, int width, int height, const std::uint8_t* rgba) {
    std::vector<std::uint8_t> bytes;
    if (path == nullptr || !Png_Encode_RGBA(width, height, rgba, &bytes)) return false;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
