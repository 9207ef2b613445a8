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
// sounds.cpp: the six Ogg Vorbis sound effects.
std::vector<Asset_File> Make_Sounds();

// PNG bytes of a canvas (throws std::runtime_error when the encoder fails).
Asset_File Png_File(const std::string& name, const Canvas& canvas);
