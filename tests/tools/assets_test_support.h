// Shared by the asset tests: members of the archives that the build generated, and a small
// model-file reader of the tests' own (so the generated models are checked against the
// file format, not against the game's loader).
#pragma once

#include <string>
#include <vector>

// The bytes of member `name` of build/data/`archive`; the test fails when it is missing.
std::string Archive_Member(const std::string& archive, const std::string& name);
// Member names of build/data/`archive`, in directory order.
std::vector<std::string> Archive_Names(const std::string& archive);

struct Test_Vertex {
    float x = 0, y = 0, z = 0;
};

struct Test_Face {
    int texture = -1, key = 0;
    int corner[3] = {0, 0, 0};
    float uv[3][2] = {};
};

struct Test_Model {
    float version = 0;
    std::vector<std::string> textures;
    std::vector<Test_Vertex> points;
    std::vector<Test_Face> faces;
};

// Parses a model text file by the format's rules. False, with `error` set, when a field
// is missing or not a number, a count is negative, more than 5 textures are named, an
// index is out of range, or anything but white space follows the last triangle.
bool Parse_Model(const std::string& text, Test_Model* model, std::string* error);
