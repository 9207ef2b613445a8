#include "frontend/wall_numbers.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr float Cell = 0.125f;
constexpr float Digit_Pitch = 30.5f;  // digits overlap their neighbours by 2.5
constexpr float Digit_Width = 33.0f;
constexpr float Base_Height = 8.0f;
constexpr float Digit_Bottom = 1.0f;
constexpr float Digit_Top = 34.0f;

struct Wall_Face {
    bool along_x;       // Top and Bottom run along x, Left and Right along y
    float inner_line;   // the wall line of the inner face; the outer one lies 2 further out
    bool inner_turned;  // the inner face reads towards falling coordinates
};

// A face that reads towards falling coordinates takes the digits last first and puts each
// cell's left edge at the higher end of its span; the outer face of a wall reads the
// other way from its inner face.
const Wall_Face Faces[4] = {
    {true, 189.0f, false},    // Top
    {true, -189.0f, true},    // Bottom
    {false, -189.0f, false},  // Left
    {false, 189.0f, true},    // Right
};

int Truncate(float value) {
    if (!(value > -2147483648.0f)) return value != value ? 0 : -2147483647 - 1;
    if (!(value < 2147483648.0f)) return 2147483647;
    return static_cast<int>(value);
}

}  // namespace

void Wall_Digit_Cell(char digit, float* s, float* t) {
    static const float Cells[10][2] = {
        {0.25f, 0.625f},  {0.375f, 0.625f}, {0.5f, 0.625f}, {0.625f, 0.625f}, {0.75f, 0.625f},
        {0.875f, 0.625f}, {0.0f, 0.5f},     {0.125f, 0.5f}, {0.25f, 0.5f},    {0.375f, 0.5f},
    };
    if (digit >= '0' && digit <= '9') {
        *s = Cells[digit - '0'][0];
        *t = Cells[digit - '0'][1];
    } else {
        *s = 0.5f;
        *t = 0.5f;
    }
}

int Wall_Number_Layout(int side, float score, bool inner,
                       Wall_Digit_Quad (&quads)[Wall_Number_Max_Digits]) {
    if (side < 0 || side > 3) return 0;
    const Wall_Face& face = Faces[side];
    char text[Wall_Number_Max_Digits + 1];
    std::snprintf(text, sizeof text, "%d", Truncate(score));
    const int n = static_cast<int>(std::strlen(text));

    const bool turned = inner ? face.inner_turned : !face.inner_turned;
    const float line =
        inner ? face.inner_line : face.inner_line + (face.inner_line > 0.0f ? 2.0f : -2.0f);
    const float start = -16.0f * static_cast<float>(n);
    const float z0 = Base_Height + Digit_Bottom;
    const float z1 = Base_Height + Digit_Top;

    for (int i = 0; i < n; ++i) {
        const char digit = turned ? text[n - 1 - i] : text[i];
        float s = 0.0f, t = 0.0f;
        Wall_Digit_Cell(digit, &s, &t);
        const float low = start + Digit_Pitch * static_cast<float>(i);
        const float high = low + Digit_Width;
        const float left = turned ? high : low;
        const float right = turned ? low : high;
        const float along[4] = {left, right, right, left};
        const float height[4] = {z0, z0, z1, z1};
        const float u[4] = {s, s + Cell, s + Cell, s};
        const float v[4] = {t - Cell, t - Cell, t, t};
        Wall_Digit_Quad& q = quads[i];
        for (int c = 0; c < 4; ++c) {
            q.corners[c][0] = face.along_x ? along[c] : line;
            q.corners[c][1] = face.along_x ? line : along[c];
            q.corners[c][2] = height[c];
            q.texcoords[c][0] = u[c];
            q.texcoords[c][1] = v[c];
        }
    }
    return n;
}
