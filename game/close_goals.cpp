#include "game/match.h"

namespace {

// The goal-closing table. Vertex numbers are those of the shipped "wall.dat": a floor
// ring of 49 points (z = 0) and a top ring where point i + 49 stands above point i; the
// listed points are the corners of each goal mouth. Each coordinate of the reference
// vertex, taken with its sign, shrinks towards its limit; the animation of a side runs
// only while both coordinates are still beyond their limits.
struct Mouth_Corner {
    int vertex;
    float sign_x;  // applied to the new x'
    float sign_y;  // applied to the new y'
    float z;
};

struct Goal_Mouth {
    int side;
    int reference;
    float sign_x, limit_x;  // the reference's x, times sign_x, stays above limit_x
    float sign_y, limit_y;
    Mouth_Corner corners[4];
};

constexpr float Closing_Rate = 5.0f;  // units per second, per coordinate
constexpr int Highest_Vertex = 96;

// In the order the sides are handled.
const Goal_Mouth Mouths[Side_Count] = {
    {SIDE_TOP,
     35,
     1.0f,
     20.0f,
     1.0f,
     175.0f,
     {{34, -1.0f, 1.0f, 0.0f},
      {35, 1.0f, 1.0f, 0.0f},
      {83, -1.0f, 1.0f, 50.0f},
      {84, 1.0f, 1.0f, 50.0f}}},
    {SIDE_BOTTOM,
     10,
     1.0f,
     20.0f,
     -1.0f,
     175.0f,
     {{10, 1.0f, 1.0f, 0.0f},
      {11, -1.0f, 1.0f, 0.0f},
      {59, 1.0f, 1.0f, 50.0f},
      {60, -1.0f, 1.0f, 50.0f}}},
    {SIDE_RIGHT,
     46,
     1.0f,
     175.0f,
     1.0f,
     20.0f,
     {{46, 1.0f, 1.0f, 0.0f},
      {47, 1.0f, -1.0f, 0.0f},
      {95, 1.0f, 1.0f, 50.0f},
      {96, 1.0f, -1.0f, 50.0f}}},
    {SIDE_LEFT,
     23,
     -1.0f,
     175.0f,
     1.0f,
     20.0f,
     {{22, 1.0f, -1.0f, 0.0f},
      {23, 1.0f, 1.0f, 0.0f},
      {71, 1.0f, -1.0f, 50.0f},
      {72, 1.0f, 1.0f, 50.0f}}},
};

// One coordinate moved towards its limit: sign * max(limit, sign * value - step).
float Shrink(float value, float sign, float limit, float step) {
    float magnitude = sign * value;
    float moved = magnitude - step;
    return sign * (moved > limit ? moved : limit);
}

}  // namespace

void Close_Goals(Match& match, float dt) {
    CTarvelModel& wall = match.wall;
    // Any other arena model needs a table of its own; never touch points it lacks.
    if (wall.point_count <= Highest_Vertex) return;
    const float step = Closing_Rate * dt;
    bool changed = false;
    for (const Goal_Mouth& mouth : Mouths) {
        if (!match.sides[mouth.side].closed) continue;
        const Vector p = wall.points[mouth.reference].position;
        if (!(mouth.sign_x * p.x > mouth.limit_x && mouth.sign_y * p.y > mouth.limit_y)) continue;
        float x = Shrink(p.x, mouth.sign_x, mouth.limit_x, step);
        float y = Shrink(p.y, mouth.sign_y, mouth.limit_y, step);
        for (const Mouth_Corner& corner : mouth.corners) {
            wall.points[corner.vertex].position =
                Vector_Set(corner.sign_x * x, corner.sign_y * y, corner.z);
        }
        changed = true;
    }
    if (changed) wall.Update_Geometry();
}
