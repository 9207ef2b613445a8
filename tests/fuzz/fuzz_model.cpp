// libFuzzer target for the model reader: any bytes as a model file. A file the reader
// accepts must leave a model whose every corner and texture slot can be used safely by
// drawing, turning and moving; AddressSanitizer catches any read or write outside.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/model.h"

namespace {

// Slots 100, 101, ...: any other value on a triangle would be a fault.
class Counting_Textures : public Texture_Source {
  public:
    int Texture_Load(const char*, int) override { return 100 + loaded++; }
    int loaded = 0;
};

class Null_Target : public Model_Draw_Target {
  public:
    void Blending(bool) override {}
    void Texturing(bool) override {}
    void Begin_Triangles() override {}
    void End_Triangles() override {}
    int Current_Texture() override { return current; }
    void Bind_Texture(int slot) override { current = slot; }
    void Corner(const Vector& normal, float red, float, float, float alpha,
                const Texture_Coordinate* texcoord, const Vector& position) override {
        sink += normal.x + red + alpha + position.z + (texcoord != nullptr ? texcoord->u : 0);
    }
    int current = -1;
    float sink = 0;
};

void Check(const CTarvelModel& model, int slots) {
    if (model.point_count != static_cast<int>(model.points.size())) std::abort();
    if (model.triangle_count != static_cast<int>(model.triangles.size())) std::abort();
    for (const Model_Triangle& face : model.triangles) {
        for (int corner : face.corners) {
            if (corner < 0 || corner >= model.point_count) std::abort();
        }
        if (face.texture != -1 && (face.texture < 100 || face.texture >= 100 + slots)) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<char> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "r");
    if (file == nullptr) return 0;
    CTarvelModel model;
    Counting_Textures textures;
    bool loaded = model.Stream_Load(file, "fuzz.dat", &textures);
    std::fclose(file);
    if (!loaded) {
        if (model.point_count != 0 || model.triangle_count != 0) std::abort();  // kept empty
        return 0;
    }
    Check(model, textures.loaded);
    Null_Target target;
    model.Draw(target, -1, -1, true);
    model.Draw(target, 0, 1, false);
    model.Move(Vector_Set(1, 2, 3), true);
    model.Rotate_Z(33);
    model.Rotate_Y(-12);
    for (int t = 0; t < model.Triangle_Count(); ++t) model.Corner(t, t % 3);
    Check(model, textures.loaded);
    return 0;
}
