// Encoding and packing: PNG bytes of the generated pictures, and the three archives.
#include <stdexcept>

#include "platform/png.h"
#include "tools/tindral_assets/assets.h"

namespace {

// Gives fully transparent texels the colour of their nearest visible neighbours. Linear
// filtering mixes a texel's colour with its neighbours' whatever their alpha, so a black
// transparent surround would darken every anti-aliased rim (white glyphs would get grey
// fringes).
void Bleed_Colour(std::vector<std::uint8_t>& rgba, int width, int height) {
    std::vector<char> known(size_t(width) * height);
    for (size_t i = 0; i < known.size(); ++i) known[i] = rgba[i * 4 + 3] != 0;
    for (int pass = 0; pass < 16; ++pass) {
        std::vector<char> next = known;
        bool changed = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                size_t i = size_t(y) * width + x;
                if (known[i]) continue;
                int sum[3] = {0, 0, 0}, n = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                        size_t j = size_t(ny) * width + nx;
                        if (!known[j]) continue;
                        for (int k = 0; k < 3; ++k) sum[k] += rgba[j * 4 + k];
                        ++n;
                    }
                }
                if (n == 0) continue;
                for (int k = 0; k < 3; ++k) rgba[i * 4 + k] = std::uint8_t(sum[k] / n);
                next[i] = 1;
                changed = true;
            }
        }
        known.swap(next);
        if (!changed) break;
    }
}

}  // namespace

Asset_File Png_File(const std::string& name, const Canvas& canvas) {
    std::vector<std::uint8_t> rgba = canvas.To_RGBA8();
    Bleed_Colour(rgba, canvas.Width(), canvas.Height());
    Asset_File file{name, {}};
    if (!Png_Encode_RGBA(canvas.Width(), canvas.Height(), rgba.data(), &file.data)) {
        throw std::runtime_error("cannot encode " + name);
    }
    return file;
}
