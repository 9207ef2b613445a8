#include "tests/tools/assets_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "engine/pak.h"
#include "tests/engine/pak_test_support.h"

namespace {

std::string Archive_Path(const std::string& archive) {
    return std::string(TINDRAL_DATA_DIR) + "/" + archive;
}

}  // namespace

std::string Archive_Member(const std::string& archive, const std::string& name) {
    Scratch_Folder folder;
    CTarvelPak pak;
    EXPECT_TRUE(pak.Open(Archive_Path(archive).c_str())) << archive;
    EXPECT_TRUE(pak.Extract(name.c_str(), folder.Path().c_str())) << archive << ": " << name;
    return Read_File(folder / name);
}

std::vector<std::string> Archive_Names(const std::string& archive) {
    std::string bytes = Read_File(Archive_Path(archive));
    std::vector<std::string> names;
    if (bytes.size() < 28) return names;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::uint32_t count = byte(12) | byte(13) << 8 | byte(14) << 16 | std::uint32_t(byte(15)) << 24;
    for (std::uint32_t e = 0; e < count && 28 + 44 * (e + 1) <= bytes.size(); ++e) {
        std::string name;
        for (size_t i = 0; i < 32; ++i) {
            char c = char(static_cast<unsigned char>(byte(28 + 44 * e + i) - Pak_Scramble_Key));
            if (c == '\0') break;
            name += c;
        }
        names.push_back(name);
    }
    return names;
}

bool Parse_Model(const std::string& text, Test_Model* model, std::string* error) {
    std::istringstream in(text);
    auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };
    *model = Test_Model{};
    if (!(in >> model->version)) return fail("no version");
    int texture_count = 0, point_count = 0, face_count = 0;
    if (model->version >= 0.4f) {
        if (!(in >> texture_count)) return fail("no texture count");
    }
    if (!(in >> point_count >> face_count)) return fail("no counts");
    if (texture_count < 0 || texture_count > 5) return fail("texture count out of range");
    if (point_count < 0 || face_count < 0) return fail("negative count");
    for (int i = 0; i < texture_count; ++i) {
        std::string name;
        if (!(in >> name) || name.size() > 100) return fail("bad texture name");
        model->textures.push_back(name);
    }
    for (int i = 0; i < point_count; ++i) {
        int index;
        Test_Vertex v;
        if (!(in >> index >> v.x >> v.y >> v.z)) return fail("point " + std::to_string(i));
        model->points.push_back(v);
    }
    for (int i = 0; i < face_count; ++i) {
        int index;
        Test_Face f;
        if (!(in >> index)) return fail("face " + std::to_string(i));
        if (model->version >= 0.4f && !(in >> f.texture)) return fail("texture of face");
        if (model->version >= 0.5f && !(in >> f.key)) return fail("key of face");
        if (!(in >> f.corner[0] >> f.corner[1] >> f.corner[2])) return fail("corners of face");
        if (model->version >= 0.3f) {
            for (auto& uv : f.uv) {
                if (!(in >> uv[0] >> uv[1])) return fail("texture coordinates of face");
            }
        }
        for (int c : f.corner) {
            if (c < 0 || c >= point_count) return fail("corner out of range");
        }
        if (f.texture >= texture_count) return fail("texture number out of range");
        model->faces.push_back(f);
    }
    std::string rest;
    if (in >> rest) return fail("trailing text: " + rest);
    return true;
}
