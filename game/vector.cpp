#include "game/vector.h"

#include <cmath>

Vector Vector_Set(float x, float y, float z) {
    Vector v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

Point2 Point2_Set(float x, float y) {
    Point2 p;
    p.x = x;
    p.y = y;
    return p;
}

Point2 Point2_Add(Point2 p, float dx, float dy) {
    return Point2_Set(p.x + dx, p.y + dy);
}

Vector Vector_Add(Vector v, float dx, float dy, float dz) {
    return Vector_Set(v.x + dx, v.y + dy, v.z + dz);
}

Vector Vector_Subtract(Vector v, Vector w) {
    return Vector_Set(v.x - w.x, v.y - w.y, v.z - w.z);
}

Vector Vector_Scale(Vector v, float s) {
    return Vector_Set(s * v.x, s * v.y, s * v.z);
}

float Vector_Dot(Vector a, Vector b) {
    float xx = a.x * b.x;
    float yy = a.y * b.y;
    float zz = a.z * b.z;
    return xx + yy + zz;
}

Vector Vector_Cross(Vector a, Vector b) {
    float x1 = a.y * b.z, x2 = a.z * b.y;
    float y1 = a.z * b.x, y2 = a.x * b.z;
    float z1 = a.x * b.y, z2 = a.y * b.x;
    return Vector_Set(x1 - x2, y1 - y2, z1 - z2);
}

float Vector_Length(Vector v) {
    float squares = Vector_Dot(v, v);
    return std::sqrt(squares);
}

void Vector_Normalize(Vector& v) {
    float length = Vector_Length(v);
    if (length > 0.0f) {
        v.x = v.x / length;
        v.y = v.y / length;
        v.z = v.z / length;
    }
}

float Distance(Vector a, Vector b) {
    return Vector_Length(Vector_Subtract(b, a));
}

float Distance_Planar(Vector a, Vector b) {
    return Vector_Length(Vector_Set(b.x - a.x, b.y - a.y, 0.0f));
}

float Heading_Degrees(Vector from, Vector to) {
    float dx = std::fabs(to.x - from.x);
    float dy = std::fabs(to.y - from.y);
    if (dx == 0.0f) return to.y >= from.y ? 90.0f : 270.0f;
    float ratio = dy / dx;
    float t = std::atan(ratio) * Degree_Factor;
    if (to.x > from.x) return to.y >= from.y ? t : 360.0f - t;
    return to.y >= from.y ? 180.0f - t : 180.0f + t;
}

float Pitch_Degrees(Vector from, Vector to) {
    Vector d = Vector_Subtract(to, from);
    float length = Vector_Length(d);
    if (length == 0.0f) return 0.0f;
    float sine = d.z / length;
    return std::asin(sine) * Degree_Factor;
}

float Angle_Difference(float a, float b) {
    float d = std::fabs(a - b);
    return d > 180.0f ? 360.0f - d : d;
}

void Rotate_About_Z(Vector center, Vector& point, float degrees) {
    Vector offset = Vector_Set(point.x - center.x, point.y - center.y, 0.0f);
    float r = Vector_Length(offset);
    float h = Heading_Degrees(Vector(), offset);
    float sum = h + degrees;
    float theta = sum / Degree_Factor;
    float c = std::cos(theta) * r;
    float s = std::sin(theta) * r;
    point.x = c + center.x;
    point.y = s + center.y;
}

void Rotate_About_X(Vector center, Vector& point, float degrees) {
    // The Y-Z plane seen as an X-Y plane.
    Vector plane_center = Vector_Set(center.y, center.z, 0.0f);
    Vector plane_point = Vector_Set(point.y, point.z, 0.0f);
    Rotate_About_Z(plane_center, plane_point, degrees);
    point.y = plane_point.x;
    point.z = plane_point.y;
}

void Vector_From_Polar(Vector& v, float length, float pitch, float heading) {
    Vector result = Vector_Set(length, 0.0f, 0.0f);
    Rotate_About_X(Vector(), result, pitch);
    Rotate_About_Z(Vector(), result, heading);
    v = result;
}

void Vector_Rescale_Polar(Vector& v, float pitch, float heading) {
    Vector_From_Polar(v, Vector_Length(v), pitch, heading);
}

void Vector_Set_Length(Vector& v, float length) {
    float pitch = Pitch_Degrees(Vector(), v);
    float heading = Heading_Degrees(Vector(), v);
    Vector_From_Polar(v, length, pitch, heading);
}

float Wrap_Or_Clamp(float value, float min, float max, bool wrap) {
    float x = value;
    if (!wrap) {
        if (x > max) return max;
        if (x < min) return min;
        return x;
    }
    float span = max - min;
    // An empty range, or a value so large that subtracting the span no longer changes
    // it, would loop for ever; the remainder gives the same place in the cycle.
    if (!(span > 0.0f)) return x;
    if (!std::isfinite(x)) return x;
    if (x > max && x - span == x) x = std::fmod(x, span);
    if (x < 0.0f && x + span == x) x = std::fmod(x, span);
    while (x > max) x -= span;
    while (x < 0.0f) x += span;
    return x;
}
