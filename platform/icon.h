// The game's icon: one design for the window's icon and for the desktop's icons that the
// content generator writes, so the menu, the task bar and the window show the same picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The icon drawn at `size` x `size` pixels (size >= 1): an orange sphere lit from the upper
// left on a dark rounded square. Top row first, each pixel 0xAARRGGBB with straight alpha.
// Each pixel is the mean of 4 x 4 samples, so its edges stay smooth at every size.
std::vector<std::uint32_t> Platform_Icon_Pixels(int size);

// The same design as an SVG document (a 32-unit square): the sphere's lighting falls off
// linearly with the distance from its highlight, which an SVG radial gradient draws
// exactly.
std::string Platform_Icon_Svg();
