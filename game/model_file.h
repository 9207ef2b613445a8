// The model text file, read with whitespace-separated formatted reads (line breaks carry
// no meaning):
//   version
//   v >= 0.4: texture_count point_count triangle_count, then texture_count names
//   v <  0.4: point_count triangle_count
//   per point:    index x y z
//   per triangle: index [texture if v >= 0.4] [key if v >= 0.5] c0 c1 c2
//                 [u0 v0 u1 v1 u2 v2 if v >= 0.3]
// Indices are ignored. A negative texture number means no texture.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "game/model_draw.h"
#include "game/vector.h"

// Room the format keeps for texture names, and the longest name it reads.
constexpr int Model_Max_Textures = 5;
constexpr int Model_Max_Texture_Name = 100;
// Counts beyond these are taken as a damaged file, not as a mesh.
constexpr int Model_Max_Points = 1 << 20;
constexpr int Model_Max_Triangles = 1 << 20;

struct Model_File {
    struct Face {
        int texture_number = -1;  // index into texture_names, -1 for none
        int key = 0;
        int corners[3] = {0, 0, 0};
        Texture_Coordinate texcoords[3] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}};
    };
    float version = 0.0f;
    std::vector<std::string> texture_names;
    std::vector<Vector> points;
    std::vector<Face> faces;
};

// Reads a whole model file. False when the file ends early or breaks a rule the arrays
// depend on: a count below 0 or beyond the limits above, more than Model_Max_Textures
// names, a corner index outside the points or a texture number outside the names.
bool Model_File_Read(std::FILE* file, Model_File* out);
