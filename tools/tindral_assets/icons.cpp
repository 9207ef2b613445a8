// The desktop's icons: the window icon's design drawn at the hicolor theme's sizes, and
// as an SVG for the scalable folder.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/icon.h"
#include "platform/png.h"
#include "tools/tindral_assets/assets.h"

std::vector<Asset_File> Make_Icons() {
    std::vector<Asset_File> files;
    for (int size : Icon_Sizes) {
        std::vector<std::uint8_t> rgba;
        for (std::uint32_t p : Platform_Icon_Pixels(size)) {
            rgba.insert(rgba.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p),
                                     std::uint8_t(p >> 24)});
        }
        Asset_File file{"icon-" + std::to_string(size) + ".png", {}};
        if (!Png_Encode_RGBA(size, size, rgba.data(), &file.data)) {
            throw std::runtime_error("cannot encode " + file.name);
        }
        files.push_back(std::move(file));
    }
    std::string svg = Platform_Icon_Svg();
    files.push_back(Asset_File{"icon.svg", std::vector<std::uint8_t>(svg.begin(), svg.end())});
    return files;
}
