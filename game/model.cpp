#include "game/model.h"

#include <algorithm>
#include <cmath>

namespace {

// Mean of three corners, each sum rounded to float.
Vector Centroid(Vector a, Vector b, Vector c) {
    float x = a.x + b.x;
    float y = a.y + b.y;
    float z = a.z + b.z;
    x = x + c.x;
    y = y + c.y;
    z = z + c.z;
    return Vector_Set(x / 3.0f, y / 3.0f, z / 3.0f);
}

// The offset of `v` from `origin`; exact, as the difference of two floats in double.
Model_Offset Offset_From(Vector v, Vector origin) {
    return {double(v.x) - double(origin.x), double(v.y) - double(origin.y),
            double(v.z) - double(origin.z)};
}

// origin + m * q, rounded once to float.
Vector Placed(const double m[9], const Model_Offset& q, Vector origin) {
    return Vector{static_cast<float>(origin.x + (m[0] * q.x + m[1] * q.y + m[2] * q.z)),
                  static_cast<float>(origin.y + (m[3] * q.x + m[4] * q.y + m[5] * q.z)),
                  static_cast<float>(origin.z + (m[6] * q.x + m[7] * q.y + m[8] * q.z))};
}

// m * v, rounded once to float.
Vector Turned(const double m[9], Vector v) {
    const double x = v.x, y = v.y, z = v.z;
    return Vector{static_cast<float>(m[0] * x + m[1] * y + m[2] * z),
                  static_cast<float>(m[3] * x + m[4] * y + m[5] * z),
                  static_cast<float>(m[6] * x + m[7] * y + m[8] * z)};
}

// Normal of the plane through edge S->E that stands along the face normal n.
Vector Edge_Normal(Vector n, Vector s, Vector e) {
    Vector lifted = Vector_Add(s, n.x, n.y, n.z);
    Vector along = Vector_Subtract(e, lifted);
    Vector result = Vector_Cross(Vector_Scale(n, -1.0f), along);
    Vector_Normalize(result);
    return result;
}

}  // namespace

void CTarvelModel::Update_Geometry() {
    deferred = false;
    pending = false;
    rest_points = {};
    rest_faces = {};
    for (Model_Triangle& face : triangles) {
        Vector a = points[face.corners[0]].position;
        Vector b = points[face.corners[1]].position;
        Vector c = points[face.corners[2]].position;
        face.centroid = Centroid(a, b, c);
        Vector n = Vector_Cross(Vector_Subtract(b, a), Vector_Subtract(c, a));
        Vector_Normalize(n);
        face.normal = n;
        face.edge_normals[0] = Edge_Normal(n, a, b);
        face.edge_normals[1] = Edge_Normal(n, b, c);
        face.edge_normals[2] = Edge_Normal(n, c, a);
    }
}

void CTarvelModel::Move(Vector offset, bool bake) {
    // Unbaked, the points stay where they are, which a deferred pose (always relative to
    // origin) cannot express.
    if (deferred && !bake) End_Deferral();
    if (deferred) {
        pending = true;
    } else if (bake) {
        for (Model_Point& point : points) {
            point.position = Vector_Add(point.position, offset.x, offset.y, offset.z);
        }
        for (Model_Triangle& face : triangles) {
            face.centroid = Vector_Add(face.centroid, offset.x, offset.y, offset.z);
        }
    }
    previous_position = position;
    origin = Vector_Add(origin, offset.x, offset.y, offset.z);
    position = Vector_Add(position, offset.x, offset.y, offset.z);
}

void CTarvelModel::Rotate_Z(float degrees, bool update) {
    if (deferred) End_Deferral();
    for (Model_Point& point : points) Rotate_About_Z(origin, point.position, degrees);
    if (update) Update_Geometry();
}

void CTarvelModel::Rotate_Y(float degrees, bool update) {
    if (deferred) End_Deferral();
    // The x-z plane seen as an X-Y plane: x stays x, z takes the place of y.
    Vector center = Vector_Set(origin.x, origin.z, 0.0f);
    for (Model_Point& point : points) {
        Vector flat = Vector_Set(point.position.x, point.position.z, 0.0f);
        Rotate_About_Z(center, flat, degrees);
        point.position.x = flat.x;
        point.position.z = flat.y;
    }
    if (update) Update_Geometry();
}

void CTarvelModel::Defer_Pose() {
    if (deferred) return;
    // Exact offsets: settling an unturned, unmoved pose gives back the very same points.
    rest_points.resize(points.size());
    offsets_finite = true;
    for (size_t i = 0; i < points.size(); ++i) {
        const Model_Offset q = Offset_From(points[i].position, origin);
        offsets_finite =
            offsets_finite && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
        rest_points[i] = q;
    }
    rest_faces.resize(triangles.size());
    for (size_t i = 0; i < triangles.size(); ++i) {
        const Model_Triangle& face = triangles[i];
        Rest_Face& rest = rest_faces[i];
        rest.centroid = Offset_From(face.centroid, origin);
        rest.normal = face.normal;
        std::copy(face.edge_normals, face.edge_normals + 3, rest.edge_normals);
    }
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(identity, identity + 9, rotation);
    deferred = true;
    pending = false;
}

void CTarvelModel::Turn_Z(float degrees) {
    // The same turn as Rotate_About_Z: counter-clockwise in the X-Y plane seen from +Z.
    const double angle = double(degrees) / double(Degree_Factor);
    const double c = std::cos(angle), s = std::sin(angle);
    const double turn[9] = {c, -s, 0, s, c, 0, 0, 0, 1};
    Compose_Turn(turn);
}

void CTarvelModel::Turn_Y(float degrees) {
    // The same turn as Rotate_Y: the x-z plane seen as the X-Y plane (x as x, z as y).
    const double angle = double(degrees) / double(Degree_Factor);
    const double c = std::cos(angle), s = std::sin(angle);
    const double turn[9] = {c, 0, -s, 0, 1, 0, s, 0, c};
    Compose_Turn(turn);
}

void CTarvelModel::Compose_Turn(const double turn[9]) {
    if (!deferred) Defer_Pose();
    double product[9];
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            product[row * 3 + column] = turn[row * 3] * rotation[column] +
                                        turn[row * 3 + 1] * rotation[3 + column] +
                                        turn[row * 3 + 2] * rotation[6 + column];
        }
    }
    std::copy(product, product + 9, rotation);
    pending = true;
}

void CTarvelModel::Settle() {
    if (!pending) return;
    pending = false;
    // Points or faces added directly while deferred have no rest values and stay as they
    // are.
    const size_t point_count_at_rest = std::min(points.size(), rest_points.size());
    for (size_t i = 0; i < point_count_at_rest; ++i) {
        points[i].position = Placed(rotation, rest_points[i], origin);
    }
    const size_t face_count_at_rest = std::min(triangles.size(), rest_faces.size());
    for (size_t i = 0; i < face_count_at_rest; ++i) {
        const Rest_Face& rest = rest_faces[i];
        Model_Triangle& face = triangles[i];
        face.centroid = Placed(rotation, rest.centroid, origin);
        face.normal = Turned(rotation, rest.normal);
        for (int e = 0; e < 3; ++e) face.edge_normals[e] = Turned(rotation, rest.edge_normals[e]);
    }
}

bool CTarvelModel::Points_Finite() const {
    auto finite = [](const Vector& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    };
    if (pending) {
        // A turn keeps an offset's length: finite offsets placed about a finite origin stay
        // finite (short of the float limit).
        if (!offsets_finite || !finite(origin)) return false;
        for (double entry : rotation) {
            if (!std::isfinite(entry)) return false;
        }
        // Points added directly while deferred keep their values.
        for (size_t i = rest_points.size(); i < points.size(); ++i) {
            if (!finite(points[i].position)) return false;
        }
        return true;
    }
    for (const Model_Point& point : points) {
        if (!finite(point.position)) return false;
    }
    return true;
}

void CTarvelModel::End_Deferral() {
    Settle();
    deferred = false;
    rest_points = {};
    rest_faces = {};
}

Vector CTarvelModel::Corner(int triangle, int corner) const {
    if (triangle < 0 || triangle >= triangle_count || corner < 0 || corner > 2) return Vector();
    return points[triangles[triangle].corners[corner]].position;
}

void CTarvelModel::Draw_Triangle(Model_Draw_Target& target, const Model_Triangle& face,
                                 bool textured) const {
    if (textured && face.texture != -1 && target.Current_Texture() != face.texture) {
        // A texture can only be bound between batches.
        target.End_Triangles();
        target.Bind_Texture(face.texture);
        target.Begin_Triangles();
    }
    float alpha = 1.0f - face.fade;
    for (int c = 0; c < 3; ++c) {
        const Model_Point& point = points[face.corners[c]];
        target.Corner(face.normal, point.r, point.g, point.b, alpha,
                      textured ? &face.texcoords[c] : nullptr, point.position);
    }
}

void CTarvelModel::Draw(Model_Draw_Target& target, int triangle, int key, bool textured) const {
    target.Blending(true);
    target.Texturing(textured);
    target.Begin_Triangles();
    int first = triangle < 0 ? 0 : triangle;
    int last = triangle < 0 ? triangle_count - 1 : triangle;
    if (last >= triangle_count) last = triangle_count - 1;
    for (int i = first; i <= last; ++i) {
        const Model_Triangle& face = triangles[i];
        if (key != -1 && face.key != key) continue;
        Draw_Triangle(target, face, textured);
    }
    target.End_Triangles();
    if (!textured) target.Texturing(true);
    target.Blending(false);
}
