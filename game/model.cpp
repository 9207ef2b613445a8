#include "game/model.h"

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
    if (bake) {
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
    for (Model_Point& point : points) Rotate_About_Z(origin, point.position, degrees);
    if (update) Update_Geometry();
}

void CTarvelModel::Rotate_Y(float degrees, bool update) {
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
