#include "tests/game/physics_test_support.h"

#include <cmath>

CTarvelModel Bare_Sphere(Vector position, Vector velocity) {
    CTarvelModel model;
    model.position = position;
    model.origin = position;
    model.velocity = velocity;
    model.radius = 10.0f;
    model.mass = 1.0f;
    return model;
}

namespace {

int Add_Point(CTarvelModel& model, Vector position) {
    Model_Point point;
    point.position = position;
    model.points.push_back(point);
    model.point_count = static_cast<int>(model.points.size());
    return model.point_count - 1;
}

void Add_Triangle(CTarvelModel& model, int a, int b, int c, int key) {
    Model_Triangle face;
    face.corners[0] = a;
    face.corners[1] = b;
    face.corners[2] = c;
    face.key = key;
    model.triangles.push_back(face);
    model.triangle_count = static_cast<int>(model.triangles.size());
}

}  // namespace

CTarvelModel Edge_Model(const std::vector<Test_Edge>& edges) {
    CTarvelModel model;
    model.mass = 1.0f;
    for (const Test_Edge& edge : edges) {
        int a = Add_Point(model, edge.a);
        int b = Add_Point(model, edge.b);
        int top = Add_Point(model, Vector_Add(edge.a, 0.0f, 0.0f, 50.0f));
        Add_Triangle(model, a, b, top, edge.key);
    }
    model.Update_Geometry();
    return model;
}

void Add_Flat_Triangle(CTarvelModel& model, Vector a, Vector b, Vector c, int key) {
    int ia = Add_Point(model, a);
    int ib = Add_Point(model, b);
    int ic = Add_Point(model, c);
    Add_Triangle(model, ia, ib, ic, key);
    model.Update_Geometry();
}

float Heading_Of(Vector velocity) {
    return Heading_Degrees(Vector(), velocity);
}

float Heading_Gap(float a, float b) {
    float d = std::fmod(std::fabs(a - b), 360.0f);
    return d > 180.0f ? 360.0f - d : d;
}
