// CTarvelModel: the triangle mesh of every visible and colliding thing of the game (the
// ground, the wall, a paddle, a sphere). It is read from a model text file, carries the
// derived data the collisions need (centroids, face and edge normals, radius), is moved
// by baking offsets into its points (vertex positions are always arena coordinates) and
// draws itself through a Model_Draw_Target.
#pragma once

#include <cstdio>
#include <vector>

#include "game/model_draw.h"
#include "game/texture_source.h"
#include "game/vector.h"

// The archive that model files are read from (loose files of the same name otherwise).
constexpr const char* Model_Archive = "data/models.pak";

struct Model_Point {
    // Vertex colour; 1, 1, 1 after load (the file has none), recoloured by the display.
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    Vector position;
};

struct Model_Triangle {
    float fade = 0.0f;  // drawn alpha is 1 - fade
    Vector centroid;
    Vector normal;
    // Normals of the planes through the edges 0->1, 1->2 and 2->0, along the face normal.
    Vector edge_normals[3];
    Texture_Coordinate texcoords[3] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.0f, 0.0f}};
    int key = 0;                 // group number selecting triangles for drawing and collision
    int texture = -1;            // texture slot, -1 for none
    int corners[3] = {0, 0, 0};  // always valid indices into the model's points
};

// A point's offset from a model's origin in double, where the difference of two floats is
// exact (for the deferred pose below).
struct Model_Offset {
    double x, y, z;
};

class CTarvelModel {
  public:
    // Reads model file `path` through the archive protocol: the member of Model_Archive
    // wins over a loose file of that name, and an extracted copy is deleted afterwards.
    // Texture names go through `textures` (nullptr: every texture is -1). False, with a
    // level-1 log line, when the file cannot be found or is not a valid model file; the
    // model then keeps what it had.
    bool File_Load(const char* path, Texture_Source* textures);
    // The same for an open stream; `name` is used in the log lines.
    bool Stream_Load(std::FILE* file, const char* name, Texture_Source* textures);

    // Bake true: adds offset to every point and centroid. Always: previous_position takes
    // position, and origin and position move by offset.
    void Move(Vector offset, bool bake);
    // Turn every point about the vertical axis through origin (Z), or in the x-z plane
    // about origin (Y), then recompute centroids and normals. A chain of turns may pass
    // `update` false on all but the last, as only the final points matter.
    void Rotate_Z(float degrees, bool update = true);
    void Rotate_Y(float degrees, bool update = true);
    // Recomputes centroids and face and edge normals from the points (after the points
    // were changed directly). Ends a deferred pose (see below), keeping the points as they
    // are: a caller that changes the points of a deferred model settles it first.
    void Update_Geometry();

    // Deferred posing, for a mesh that turns and moves every step but is looked at far
    // less often (a rolling sphere: drawn once a frame, never collided with). After
    // Defer_Pose, Move bakes nothing and Turn_Z / Turn_Y only compose their turn into one
    // rotation about origin. The points and derived data keep the values of the last Settle
    // until the next one puts every point and centroid, once, at origin plus the composed
    // rotation of its offset from origin when the deferral began, and turns the face and
    // edge normals of that time the same way. Whoever reads such a model's points or
    // normals (drawing, Corner) calls Settle first. The pose is the one the eager Move /
    // Rotate_Z / Rotate_Y chain reaches, up to that chain's rounding: it rounds every point
    // to a float at every turn and so wanders, by about 1e-4 of a unit in a hundred steps
    // of a rolling sphere; the deferred pose rounds once per Settle and does not wander.
    // Rotate_Z, Rotate_Y and Move(offset, false) settle and end the deferral, so their
    // meaning is unchanged; Update_Geometry and loading a model end it too.
    void Defer_Pose();
    // Rotate_Z / Rotate_Y, deferred; the first turn of a settled model begins a deferral.
    void Turn_Z(float degrees);
    void Turn_Y(float degrees);
    // Brings the points, centroids and normals up to date with the deferred pose; does
    // nothing for a model without pending moves or turns.
    void Settle();
    bool Pose_Deferred() const { return deferred; }
    // True when a deferred pose has moves or turns that Settle has not applied yet.
    bool Pose_Pending() const { return pending; }
    // True when every point is finite, for a pending pose as it will settle (finite
    // offsets, rotation and origin); settles nothing.
    bool Points_Finite() const;

    // Draws triangle `triangle` (or all for -1) when its key equals `key` (-1: any key),
    // with the points as last settled.
    void Draw(Model_Draw_Target& target, int triangle, int key, bool textured) const;

    // Position of a triangle's corner (as last settled); the zero vector for indices out
    // of range.
    Vector Corner(int triangle, int corner) const;
    float Radius() const { return radius; }
    float Mass() const { return mass; }
    int Triangle_Count() const { return triangle_count; }
    int Point_Count() const { return point_count; }

    std::vector<Model_Point> points;
    std::vector<Model_Triangle> triangles;
    float radius = 0.0f;  // largest distance of a point from (0,0,0) at load time
    Vector origin;        // accumulated translation; the pivot of the rotations
    Vector position;      // the object's place in the arena
    Vector previous_position;
    Vector velocity;  // units per second (spheres) or the steering vector (paddles)
    float mass = 0.0f;
    int point_count = 0;     // always points.size()
    int triangle_count = 0;  // always triangles.size()

  private:
    // Issues one face into the open batch, first switching texture when it needs another.
    void Draw_Triangle(Model_Draw_Target& target, const Model_Triangle& face, bool textured) const;
    // Applies a turn (row-major 3 x 3, about origin) to the deferred pose.
    void Compose_Turn(const double turn[9]);
    // Settles, then leaves the deferred pose: the points hold the model again.
    void End_Deferral();

    // The deferred pose: the points and centroids as offsets from origin (exact in double)
    // and the face and edge normals, as they stood when the deferral began, and the
    // rotation composed since (row-major; double, so that a run of thousands of small
    // turns does not drift).
    struct Rest_Face {
        Model_Offset centroid;
        Vector normal;
        Vector edge_normals[3];
    };
    bool deferred = false;
    bool pending = false;
    bool offsets_finite = true;  // every rest point offset is finite
    std::vector<Model_Offset> rest_points;
    std::vector<Rest_Face> rest_faces;
    double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
};
