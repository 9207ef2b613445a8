#include "game/model_file.h"

#include <utility>

#include "base/log.h"
#include "game/model.h"

// Every number is read with a width: without one the C library gathers all the characters
// of a number in memory before converting them, so a damaged file holding a run of digits
// as long as itself would cost as much memory. The widths lie far above anything a model
// holds (an int takes at most 11 characters, a float written with "%f" at most 47).
bool Model_File_Read(std::FILE* file, Model_File* out) {
    Model_File model;
    if (std::fscanf(file, "%64f", &model.version) != 1) return false;
    const bool has_textures = model.version >= 0.4f;
    const bool has_keys = model.version >= 0.5f;
    const bool has_texcoords = model.version >= 0.3f;

    int texture_count = 0;
    int point_count = 0;
    int triangle_count = 0;
    if (has_textures) {
        if (std::fscanf(file, "%32i %32i %32i", &texture_count, &point_count, &triangle_count) !=
            3) {
            return false;
        }
    } else if (std::fscanf(file, "%32i %32i", &point_count, &triangle_count) != 2) {
        return false;
    }
    if (texture_count < 0 || texture_count > Model_Max_Textures) return false;
    if (point_count < 0 || point_count > Model_Max_Points) return false;
    if (triangle_count < 0 || triangle_count > Model_Max_Triangles) return false;

    for (int i = 0; i < texture_count; ++i) {
        char name[Model_Max_Texture_Name + 1] = {};
        if (std::fscanf(file, "%100s", name) != 1) return false;
        model.texture_names.emplace_back(name);
    }

    // The arrays grow as entries arrive, so a count that the file does not back up
    // costs nothing before the read fails.
    for (int i = 0; i < point_count; ++i) {
        int index = 0;
        Vector point;
        if (std::fscanf(file, "%32i %64f %64f %64f", &index, &point.x, &point.y, &point.z) != 4) {
            return false;
        }
        model.points.push_back(point);
    }

    for (int i = 0; i < triangle_count; ++i) {
        Model_File::Face face;
        int index = 0;
        if (std::fscanf(file, "%32i", &index) != 1) return false;
        if (has_textures) {
            int number = 0;
            if (std::fscanf(file, "%32i", &number) != 1) return false;
            if (number >= texture_count) return false;
            face.texture_number = number < 0 ? -1 : number;
        }
        if (has_keys && std::fscanf(file, "%32i", &face.key) != 1) return false;
        if (std::fscanf(file, "%32i %32i %32i", &face.corners[0], &face.corners[1],
                        &face.corners[2]) != 3) {
            return false;
        }
        for (int corner : face.corners) {
            if (corner < 0 || corner >= point_count) return false;
        }
        if (has_texcoords) {
            Texture_Coordinate* t = face.texcoords;
            if (std::fscanf(file, "%64f %64f %64f %64f %64f %64f", &t[0].u, &t[0].v, &t[1].u,
                            &t[1].v, &t[2].u, &t[2].v) != 6) {
                return false;
            }
        }
        model.faces.push_back(face);
    }
    *out = std::move(model);
    return true;
}

bool CTarvelModel::Stream_Load(std::FILE* file, const char* name, Texture_Source* textures) {
    Model_File parsed;
    if (!Model_File_Read(file, &parsed)) {
        Log_Write(Engine_Log, 1, "CTarvelModel::File_Load() :: failed (invalid model file [%s])",
                  name);
        return false;
    }

    // Textures are loaded only once the whole file has proved valid, in the file's order.
    std::vector<int> slots;
    for (const std::string& texture_name : parsed.texture_names) {
        slots.push_back(textures != nullptr ? textures->Texture_Load(texture_name.c_str(), -1)
                                            : -1);
    }

    std::vector<Model_Point> new_points(parsed.points.size());
    for (size_t i = 0; i < new_points.size(); ++i) new_points[i].position = parsed.points[i];
    std::vector<Model_Triangle> new_triangles(parsed.faces.size());
    for (size_t i = 0; i < new_triangles.size(); ++i) {
        const Model_File::Face& source = parsed.faces[i];
        Model_Triangle& face = new_triangles[i];
        face.texture = source.texture_number < 0 ? -1 : slots[source.texture_number];
        face.key = source.key;
        for (int c = 0; c < 3; ++c) {
            face.corners[c] = source.corners[c];
            face.texcoords[c] = source.texcoords[c];
        }
    }

    points = std::move(new_points);
    triangles = std::move(new_triangles);
    point_count = static_cast<int>(points.size());
    triangle_count = static_cast<int>(triangles.size());
    origin = Vector();
    mass = 1.0f;
    Update_Geometry();
    radius = 0.0f;
    for (const Model_Point& point : points) {
        float distance = Distance(Vector(), point.position);
        if (distance > radius) radius = distance;
    }
    Log_Write(Engine_Log, 0, "CTarvelModel::File_Load() :: [%s][%i points][%i triangles]", name,
              point_count, triangle_count);
    return true;
}
