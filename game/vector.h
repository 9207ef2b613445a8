// Vector and angle operations shared by the models, the arena, the physics, the computer
// player and the camera. The arena lies in the X-Y plane with Z up; headings are degrees
// counter-clockwise from +X. Everything is single precision: each named intermediate is
// rounded to float before it is used further (the library is built without FMA
// contraction so that results do not depend on the compiler's choices).
#pragma once

// Radians times this give degrees; degrees divided by it give radians.
constexpr float Degree_Factor = 57.29578f;

struct Vector {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A position on the screen (menus, match display).
struct Point2 {
    float x = 0.0f;
    float y = 0.0f;
};

// Construction and element-wise arithmetic; none changes its operands.
Vector Vector_Set(float x, float y, float z);
Point2 Point2_Set(float x, float y);
Point2 Point2_Add(Point2 p, float dx, float dy);
Vector Vector_Add(Vector v, float dx, float dy, float dz);
Vector Vector_Subtract(Vector v, Vector w);
Vector Vector_Scale(Vector v, float s);
float Vector_Dot(Vector a, Vector b);
Vector Vector_Cross(Vector a, Vector b);

// Measures.
float Vector_Length(Vector v);
// Divides by the length only when it is above 0: the zero vector stays zero.
void Vector_Normalize(Vector& v);
float Distance(Vector a, Vector b);
// Distance in the arena plane; heights are ignored.
float Distance_Planar(Vector a, Vector b);
// Direction from `from` to `to` in the X-Y plane, 0 <= result < 360; equal points give 90.
float Heading_Degrees(Vector from, Vector to);
// asin(dz / |d|) in degrees for d = to - from; 0 when the points are equal.
float Pitch_Degrees(Vector from, Vector to);
// Unsigned difference of two headings given in 0..360, folded into 0..180.
float Angle_Difference(float a, float b);

// Turns `point` about `center` by `degrees` in the X-Y plane (counter-clockwise seen
// from +Z); z is unchanged.
void Rotate_About_Z(Vector center, Vector& point, float degrees);
// The same in the Y-Z plane (y in the role of x, z in the role of y); x is unchanged.
void Rotate_About_X(Vector center, Vector& point, float degrees);

// Polar construction: (length, 0, 0) turned about X by `pitch`, then about Z by
// `heading`. The pitch turn cannot move a point on the X axis, so the result is always
// horizontal: (length cos h, length sin h, 0).
void Vector_From_Polar(Vector& v, float length, float pitch, float heading);
// The same with the current length of v.
void Vector_Rescale_Polar(Vector& v, float pitch, float heading);
// Keeps v's heading (and pitch) seen from the origin and sets its length; horizontal.
void Vector_Set_Length(Vector& v, float length);

// Wrap (wrap true): while x > max subtract (max - min), then while x < 0 add it. The lower
// test is against 0, as the game only wraps angles into 0..360. Clamp: into [min, max].
float Wrap_Or_Clamp(float value, float min, float max, bool wrap);
