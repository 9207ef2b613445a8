// PNG decoding through the platform layer: the colour types the game's encoder never
// writes, and headers whose sizes no texture has, which must be refused before the pixels
// are allocated.
#include "platform/png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/memory_peak.h"
#include "tests/support/png_chunks.h"

namespace {

Png_Image Decode(const std::string& bytes) {
    return Png_Decode_Memory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// A 2 x 2 palette image with a transparent entry, top row first: red, transparent green;
// blue, white. Decoded: BGRA, bottom row first.
TEST(Png_Decode, PaletteImageComesOutBgraBottomRowFirst) {
    const std::string palette("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    const std::string extra =
        png_chunks::Chunk("PLTE", palette) + png_chunks::Chunk("tRNS", std::string("\xFF\x00", 2));
    // Each row: filter 0, then two 8-bit palette indices.
    const std::string raw("\x00\x00\x01\x00\x02\x03", 6);
    const Png_Image image = Decode(png_chunks::File(2, 2, 8, 3, raw, extra));
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 2);
    const std::vector<std::uint8_t> expected = {
        0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // blue, white
        0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00,  // red, transparent green
    };
    EXPECT_EQ(image.bgra, expected);
}

// The longest sides allowed still decode.
TEST(Png_Decode, LongestSidesDecode) {
    for (const auto& [width, height] : {std::pair{16384, 1}, std::pair{1, 16384}}) {
        std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4, 0x40);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(Png_Encode_RGBA(width, height, rgba.data(), &bytes));
        const Png_Image image = Png_Decode_Memory(bytes.data(), bytes.size());
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        EXPECT_EQ(image.bgra.size(), rgba.size());
    }
}

// A header may promise any size up to 2^31 - 1 on a side in a file of a few dozen bytes.
// Sizes beyond the limits are refused from the header alone: a damaged or hostile file
// must not make the decoder allocate (and clear) gigabytes first.
TEST(Png_Decode, OversizedImagesAreRefusedBeforeTheirPixelsAreAllocated) {
    const struct {
        std::uint32_t width;
        std::uint32_t height;
    } cases[] = {
        {16385, 1},      // a side too long
        {1, 16385},      //
        {8192, 8192},    // sides allowed, too many pixels (256 MiB)
        {16384, 16384},  // both sides at their limit (1 GiB)
    };
    Scratch_Folder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        // One row of data: far too little, so the decode fails anyway once it reads on;
        // what matters is what it allocated before.
        const std::string raw(1 + std::size_t(c.width) * 4 < 4096 ? 1 + c.width * 4 : 4096, '\0');
        const std::string bytes = png_chunks::File(c.width, c.height, 8, 6, raw);
        ASSERT_TRUE(Write_File(folder / "big.png", bytes));
        for (bool from_file : {false, true}) {
            SCOPED_TRACE(from_file ? "file" : "memory");
            Png_Image image;
            const long long growth = memory_peak::Growth([&] {
                image = from_file ? Png_Decode_File((folder / "big.png").c_str()) : Decode(bytes);
            });
            ASSERT_GE(growth, 0) << "no /proc/self/clear_refs";
            EXPECT_LT(growth, 16ll << 20);
            EXPECT_EQ(image.width, 0);
            EXPECT_EQ(image.height, 0);
            EXPECT_TRUE(image.bgra.empty());
        }
    }
}

}  // namespace
