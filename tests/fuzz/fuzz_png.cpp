// Fuzz target: PNG decoding through the platform layer, from memory and from a file.
// Both must give the same image; an image has its size's worth of pixels within the
// limits, or is 0 x 0 with none; and a small decoded image, written again by the game's
// own encoder and decoded once more, gives back the same pixels (which catches rows or
// channels put in the wrong place).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/png.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool Same(const Png_Image& a, const Png_Image& b) {
    return a.width == b.width && a.height == b.height && a.bgra == b.bgra;
}

void Check_Shape(const Png_Image& image) {
    if (image.width == 0 && image.height == 0 && image.bgra.empty()) return;
    if (image.width < 1 || image.height < 1 || image.width > 16384 || image.height > 16384) {
        std::abort();
    }
    const std::uint64_t pixels = std::uint64_t(image.width) * std::uint64_t(image.height);
    if (pixels > 4096u * 4096u || image.bgra.size() != pixels * 4) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Png_Image from_memory = Png_Decode_Memory(data, size);
    Check_Shape(from_memory);
    const std::string path = fuzz::Scratch() + "/input.png";
    fuzz::Write_Input(path, data, size);
    if (!Same(Png_Decode_File(path.c_str()), from_memory)) std::abort();
    if (from_memory.width == 0 || from_memory.width * from_memory.height > 65536) return 0;

    // BGRA bottom row first back to RGBA top row first, as the encoder takes it.
    const std::size_t row = std::size_t(from_memory.width) * 4;
    std::vector<std::uint8_t> rgba(from_memory.bgra.size());
    for (int y = 0; y < from_memory.height; ++y) {
        const std::uint8_t* in = &from_memory.bgra[std::size_t(from_memory.height - 1 - y) * row];
        std::uint8_t* out = &rgba[std::size_t(y) * row];
        for (std::size_t x = 0; x < row; x += 4) {
            out[x] = in[x + 2];
            out[x + 1] = in[x + 1];
            out[x + 2] = in[x];
            out[x + 3] = in[x + 3];
        }
    }
    std::vector<std::uint8_t> encoded;
    if (!Png_Encode_RGBA(from_memory.width, from_memory.height, rgba.data(), &encoded)) {
        std::abort();
    }
    if (!Same(Png_Decode_Memory(encoded.data(), encoded.size()), from_memory)) std::abort();
    return 0;
}
