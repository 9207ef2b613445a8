// The generator's pieces: each kind of content is made by its own file and handed back as
// named files, ready to be packed into an archive or written loose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tindral_assets/canvas.h"

struct Asset_File {
    std::string name;
    std::vector<std::uint8_t> data;
};

// font.cpp: "font_new.png", "font_list.txt", "font_old.png".
std::vector<Asset_File> Make_Font_Files();
// textures_arena.cpp: ground, wall, net, arrow and the models' own textures.
std::vector<Asset_File> Make_Arena_Textures();
// textures_menu.cpp: the intro card, the footers and the menu labels.
std::vector<Asset_File> Make_Menu_Textures();
// models.cpp: "ground.dat", "wall.dat", "paddle.dat", "sphere.dat".
std::vector<Asset_File> Make_Models();

// models.cpp: the arena's floor outline in world units, as "wall.dat" builds it and as the
// pictures of the arena draw it: the Bottom quarter's corners in ring order, starting at
// the Right goal's lower post (then the Right wall's end, the corner wedge's tip, the
// Bottom wall's start, the Bottom goal's right post and its two back corners). The other
// quarters are this one turned by -90 degrees per quarter, (x, y) -> (y, -x).
constexpr int Arena_Quarter_Corners = 7;
extern const Point Arena_Quarter[Arena_Quarter_Corners];

// sounds.cpp: the six Ogg Vorbis sound effects.
std::vector<Asset_File> Make_Sounds();

// icons.cpp: the desktop's icons, "icon-N.png" for each size N of Icon_Sizes and
// "icon.svg", in the window icon's design.
constexpr int Icon_Sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
std::vector<Asset_File> Make_Icons();

// PNG bytes of a canvas (throws std::runtime_error when the encoder fails).
Asset_File Png_File(const std::string& name, const Canvas& canvas);
