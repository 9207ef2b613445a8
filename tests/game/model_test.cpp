#include "game/model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/pak.h"
#include "game/model_file.h"
#include "tests/game/game_test_support.h"
#include "tests/support/memory_peak.h"

namespace {

// Hands out slots 10, 11, ... and remembers the names in the order asked.
class Recording_Textures : public Texture_Source {
  public:
    int Texture_Load(const char* name, int index) override {
        names.emplace_back(name);
        indices.push_back(index);
        return 10 + static_cast<int>(names.size()) - 1;
    }
    std::vector<std::string> names;
    std::vector<int> indices;
};

// Records every call as one short line; binding changes the current texture like the
// window does.
class Recording_Target : public Model_Draw_Target {
  public:
    void Blending(bool on) override { calls.push_back(on ? "blend on" : "blend off"); }
    void Texturing(bool on) override { calls.push_back(on ? "texture on" : "texture off"); }
    void Begin_Triangles() override { calls.push_back("begin"); }
    void End_Triangles() override { calls.push_back("end"); }
    int Current_Texture() override { return current; }
    void Bind_Texture(int slot) override {
        calls.push_back("bind " + std::to_string(slot));
        current = slot;
    }
    void Corner(const Vector& normal, float red, float, float, float alpha,
                const Texture_Coordinate* texcoord, const Vector& position) override {
        char line[160];
        std::snprintf(line, sizeof line, "corner %g,%g,%g n%g r%g a%g%s", position.x, position.y,
                      position.z, normal.z, red, alpha, texcoord != nullptr ? " uv" : "");
        calls.push_back(line);
    }
    std::vector<std::string> calls;
    int current = -1;
};

class Model_Test : public ::testing::Test {
  protected:
    Scratch_Folder folder;
    Working_Folder here{folder.Path()};
    Log_Capture log{folder.Path()};
    Recording_Textures textures;
};

const char Version_02[] =
    "0.2\n4 2\n"
    "0 0 0 0\n1 10 0 0\n2 10 10 0\n3 0 10 0\n"
    "0 0 1 2\n1 0 2 3\n";

const char Version_03[] =
    "0.3 4 1\n"
    "0 0 0 0 1 10 0 0 2 10 10 0 3 0 10 0\n"
    "0 0 1 2 0.1 0.2 0.3 0.4 0.5 0.6\n";

const char Version_04[] =
    "0.4\n2 4 3\nfloor.png arrow.png\n"
    "0 0 0 0\n1 10 0 0\n2 10 10 0\n3 0 10 0\n"
    "0 1 0 1 2 0.1 0.2 0.3 0.4 0.5 0.6\n"
    "1 -1 0 2 3 0 0 1 0 1 1\n"
    "2 0 0 1 3 0 0 1 0 1 1\n";

const char Version_05[] =
    "0.5\n1 4 3\nwall.png\n"
    "0 0 0 0\n1 10 0 0\n2 10 10 0\n3 0 10 0\n"
    "0 0 1 0 1 2 0 0 1 0 1 1\n"
    "1 -7 2 0 2 3 0 0 1 0 1 1\n"
    "2 0 2 0 1 3 0 0 1 0 1 1\n";

TEST_F(Model_Test, VersionsReadTheirFieldsAndDefaultTheRest) {
    struct Face {
        int texture, key;
        float u0, v0, u2, v2;
    };
    struct Case {
        const char* text;
        std::vector<Face> faces;
        std::vector<std::string> texture_names;
    };
    const Case cases[] = {
        {Version_02, {{-1, 0, 0, 1, 0, 0}, {-1, 0, 0, 1, 0, 0}}, {}},
        {Version_03, {{-1, 0, 0.1f, 0.2f, 0.5f, 0.6f}}, {}},
        {Version_04,
         {{11, 0, 0.1f, 0.2f, 0.5f, 0.6f}, {-1, 0, 0, 0, 1, 1}, {10, 0, 0, 0, 1, 1}},
         {"floor.png", "arrow.png"}},
        {Version_05, {{10, 1, 0, 0, 1, 1}, {-1, 2, 0, 0, 1, 1}, {10, 2, 0, 0, 1, 1}}, {"wall.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Write_File("m.dat", c.text);
        Recording_Textures source;
        CTarvelModel model;
        ASSERT_TRUE(model.File_Load("m.dat", &source));
        EXPECT_EQ(source.names, c.texture_names);
        for (int index : source.indices) EXPECT_EQ(index, -1);
        ASSERT_EQ(model.Triangle_Count(), static_cast<int>(c.faces.size()));
        for (size_t i = 0; i < c.faces.size(); ++i) {
            const Model_Triangle& face = model.triangles[i];
            EXPECT_EQ(face.texture, c.faces[i].texture) << i;
            EXPECT_EQ(face.key, c.faces[i].key) << i;
            EXPECT_FLOAT_EQ(face.texcoords[0].u, c.faces[i].u0);
            EXPECT_FLOAT_EQ(face.texcoords[0].v, c.faces[i].v0);
            EXPECT_FLOAT_EQ(face.texcoords[2].u, c.faces[i].u2);
            EXPECT_FLOAT_EQ(face.texcoords[2].v, c.faces[i].v2);
            EXPECT_EQ(face.fade, 0.0f);
        }
        EXPECT_EQ(model.point_count, 4);
        EXPECT_EQ(model.points[2].r, 1.0f);
        EXPECT_EQ(model.Mass(), 1.0f);
    }
}

TEST_F(Model_Test, DerivedDataAfterLoad) {
    Write_File("m.dat", Version_02);
    CTarvelModel model;
    model.velocity = Vector_Set(3, 0, 0);
    model.position = Vector_Set(1, 2, 3);
    model.origin = Vector_Set(9, 9, 9);
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    const Model_Triangle& face = model.triangles[0];  // (0,0) (10,0) (10,10)
    EXPECT_FLOAT_EQ(face.centroid.x, 20.0f / 3.0f);
    EXPECT_FLOAT_EQ(face.centroid.y, 10.0f / 3.0f);
    EXPECT_FLOAT_EQ(face.normal.z, 1.0f);
    // Edge normals point out of the face, in its plane.
    EXPECT_NEAR(face.edge_normals[0].y, -1.0f, 1e-6f);  // edge along +x, face above it
    EXPECT_NEAR(face.edge_normals[1].x, 1.0f, 1e-6f);   // edge along +y, face to its left
    EXPECT_NEAR(face.edge_normals[2].x, -0.70710677f, 1e-6f);
    EXPECT_NEAR(face.edge_normals[2].y, 0.70710677f, 1e-6f);
    EXPECT_FLOAT_EQ(model.Radius(), std::sqrt(200.0f));
    // Loading resets the pivot but not the object's place or motion.
    EXPECT_EQ(model.origin.x, 0.0f);
    EXPECT_EQ(model.position.y, 2.0f);
    EXPECT_EQ(model.velocity.x, 3.0f);
    EXPECT_NE(log.Text().find("CTarvelModel::File_Load() :: [m.dat][4 points][2 triangles]"),
              std::string::npos);
}

TEST_F(Model_Test, ArchiveCopyWinsAndIsDeleted) {
    Write_File("m.dat", Version_02);                                   // loose: 4 points
    std::string archived = "0.2 3 1 0 0 0 0 1 5 0 0 2 0 5 0 0 0 1 2";  // 3 points
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_TRUE(Pak_Write(Model_Archive,
                          {{"m.dat", {archived.begin(), archived.end()}}, {"other.dat", {'x'}}}));
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    EXPECT_EQ(model.point_count, 3);
    EXPECT_EQ(Read_File("m.dat"), Version_02);  // the loose file is left alone
    const char* temp = Private_Temp_Folder();
    ASSERT_NE(temp, nullptr);
    EXPECT_FALSE(File_Exists(std::string(temp) + "/m.dat"));

    // A name the archive lacks falls back to the loose file, which stays.
    Write_File("loose.dat", Version_05);
    ASSERT_TRUE(model.File_Load("loose.dat", nullptr));
    EXPECT_EQ(model.triangle_count, 3);
    EXPECT_TRUE(File_Exists("loose.dat"));
}

TEST_F(Model_Test, MissingFileKeepsTheModel) {
    Write_File("m.dat", Version_05);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    EXPECT_FALSE(model.File_Load("absent.dat", nullptr));
    EXPECT_EQ(model.triangle_count, 3);
    EXPECT_NE(log.Text().find("CTarvelModel::File_Load() :: failed (could not find file "
                              "[absent.dat])"),
              std::string::npos);
}

TEST_F(Model_Test, InvalidFilesAreRejectedAndTheModelKept) {
    const char* const bad_files[] = {
        "0.2 3 1 0 0 0 0 1 1 0 0 2 0 1 0 0 0 1 3",                        // corner = point count
        "0.2 3 1 0 0 0 0 1 1 0 0 2 0 1 0 0 0 -1 2",                       // negative corner
        "0.4 1 3 1 a.png 0 0 0 0 1 1 0 0 2 0 1 0 0 1 0 1 2 0 0 0 0 0 0",  // texture 1 of 1
        "0.4 0 3 1 0 0 0 0 1 1 0 0 2 0 1 0 0 0 0 1 2 0 0 0 0 0 0",        // texture 0 of none
        "0.4 6 3 1 a b c d e f 0 0 0 0 1 1 0 0 2 0 1 0 0 0 0 1 2 0 0 0 0 0 0",  // 6 names
        "0.2 -3 1 0 0 0 0 1 1 0 0 2 0 1 0 0 0 1 2",                             // negative points
        "0.2 3 -1 0 0 0 0 1 1 0 0 2 0 1 0",                  // negative triangles
        "0.2 2000000000 1 0 0 0 0",                          // absurd count
        "0.4 1 3 2000000000 a.png 0 0 0 0 1 1 0 0 2 0 1 0",  // absurd count
        "0.2 3 1 0 0 0 0 1 1 0 0 2 0 1 0 0 0 1",             // ends early
        "0.5 1 3 1 a.png 0 0 0 0 1 1 0 0 2 0 1 0 0 0 7",     // ends in a face
        "",                                                  // empty
        "model",                                             // no version
    };
    Write_File("good.dat", Version_05);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("good.dat", &textures));
    const size_t textures_before = textures.names.size();
    for (const char* text : bad_files) {
        SCOPED_TRACE(text);
        Write_File("bad.dat", text);
        EXPECT_FALSE(model.File_Load("bad.dat", &textures));
        EXPECT_EQ(model.point_count, 4);
        EXPECT_EQ(model.triangle_count, 3);
        EXPECT_EQ(model.points.size(), 4u);
        EXPECT_FLOAT_EQ(model.points[2].position.x, 10.0f);
        EXPECT_EQ(model.triangles[1].key, 2);
    }
    EXPECT_EQ(textures.names.size(), textures_before);  // nothing loaded for bad files
    EXPECT_NE(log.Text().find("CTarvelModel::File_Load() :: failed (invalid model file "
                              "[bad.dat])"),
              std::string::npos);
}

TEST_F(Model_Test, ZeroCountsEmptyTheModel) {
    Write_File("m.dat", Version_05);
    Write_File("empty.dat", "0.2 0 0");
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    ASSERT_TRUE(model.File_Load("empty.dat", nullptr));
    EXPECT_EQ(model.point_count, 0);
    EXPECT_EQ(model.Triangle_Count(), 0);
    EXPECT_TRUE(model.points.empty());
    EXPECT_EQ(model.Radius(), 0.0f);
}

TEST_F(Model_Test, MoveBakedAndUnbaked) {
    Write_File("m.dat", Version_02);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    model.position = Vector_Set(1, 1, 0);
    const Vector centroid = model.triangles[1].centroid;

    model.Move(Vector_Set(5, 0, 0), true);
    EXPECT_FLOAT_EQ(model.points[0].position.x, 5);
    EXPECT_FLOAT_EQ(model.points[2].position.x, 15);
    EXPECT_FLOAT_EQ(model.points[2].position.y, 10);
    EXPECT_FLOAT_EQ(model.triangles[1].centroid.x, centroid.x + 5);
    EXPECT_FLOAT_EQ(model.previous_position.x, 1);
    EXPECT_FLOAT_EQ(model.position.x, 6);
    EXPECT_FLOAT_EQ(model.origin.x, 5);

    model.Move(Vector_Set(0, -2, 3), false);
    EXPECT_FLOAT_EQ(model.points[2].position.y, 10);  // points stay
    EXPECT_FLOAT_EQ(model.triangles[1].centroid.x, centroid.x + 5);
    EXPECT_FLOAT_EQ(model.previous_position.x, 6);
    EXPECT_FLOAT_EQ(model.position.y, -1);
    EXPECT_FLOAT_EQ(model.origin.y, -2);
    EXPECT_FLOAT_EQ(model.origin.z, 3);
}

TEST_F(Model_Test, RotationsTurnAboutTheOriginAndRenewNormals) {
    Write_File("m.dat", Version_02);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    model.Move(Vector_Set(100, 0, 0), true);  // pivot is now (100, 0, 0)
    model.Rotate_Z(90);
    // (110, 0, 0) turns about (100, 0) to (100, 10).
    EXPECT_NEAR(model.points[1].position.x, 100, 1e-4f);
    EXPECT_NEAR(model.points[1].position.y, 10, 1e-4f);
    EXPECT_NEAR(model.triangles[0].centroid.x, 100 - 10.0f / 3, 1e-4f);
    EXPECT_NEAR(model.triangles[0].normal.z, 1, 1e-6f);

    model.Rotate_Y(90);  // x-z plane: (100 + dx, z) turns to (100, dx)
    EXPECT_NEAR(model.points[2].position.x, 100, 1e-4f);  // was (90, 10, 0)
    EXPECT_NEAR(model.points[2].position.z, -10, 1e-4f);
    EXPECT_NEAR(model.triangles[0].normal.x, -1, 1e-5f);  // the face now stands upright
}

// The fixture sphere (a pyramid of radius 10) standing at (40, -25, 10), its origin there.
CTarvelModel Placed_Pyramid() {
    Write_File("sphere.dat", Fixture_Sphere());
    CTarvelModel model;
    EXPECT_TRUE(model.File_Load("sphere.dat", nullptr));
    model.Move(Vector_Set(40, -25, 10), true);
    return model;
}

void Expect_Same_Points(const CTarvelModel& actual, const CTarvelModel& expected, float tolerance) {
    ASSERT_EQ(actual.points.size(), expected.points.size());
    for (size_t i = 0; i < actual.points.size(); ++i) {
        const Vector& a = actual.points[i].position;
        const Vector& b = expected.points[i].position;
        EXPECT_NEAR(a.x, b.x, tolerance) << "point " << i;
        EXPECT_NEAR(a.y, b.y, tolerance) << "point " << i;
        EXPECT_NEAR(a.z, b.z, tolerance) << "point " << i;
    }
}

TEST_F(Model_Test, DeferredPoseSettlesWhereTheEagerTurnsAndMovesGo) {
    // The same chain on an eager copy and on a deferred one. Until it settles, the
    // deferred copy's points stay where they were; then its points, centroids and normals
    // are where the eager chain put them.
    enum Kind { TURN_Z, TURN_Y, MOVE };
    struct Step {
        Kind kind;
        Vector amount;  // degrees in x for the turns
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"a turn about Z", {{TURN_Z, {30, 0, 0}}}},
        {"a turn about Y", {{TURN_Y, {-45, 0, 0}}}},
        {"a roll: Z, Y, Z back",
         {{TURN_Z, {-135, 0, 0}}, {TURN_Y, {-28.6f, 0, 0}}, {TURN_Z, {135, 0, 0}}}},
        {"moves between turns",
         {{MOVE, {5, 0, 0}},
          {TURN_Z, {90, 0, 0}},
          {MOVE, {0, -3, 1}},
          {TURN_Y, {200, 0, 0}},
          {MOVE, {-7.5f, 2, 0}}}},
        {"moves alone", {{MOVE, {5.25f, -3, 0}}, {MOVE, {-0.5f, 12, 0}}}},
    };
    const CTarvelModel start = Placed_Pyramid();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTarvelModel eager = start;
        CTarvelModel deferred = start;
        deferred.Defer_Pose();
        for (const Step& step : c.steps) {
            switch (step.kind) {
                case TURN_Z:
                    eager.Rotate_Z(step.amount.x);
                    deferred.Turn_Z(step.amount.x);
                    break;
                case TURN_Y:
                    eager.Rotate_Y(step.amount.x);
                    deferred.Turn_Y(step.amount.x);
                    break;
                case MOVE:
                    eager.Move(step.amount, true);
                    deferred.Move(step.amount, true);
                    break;
            }
        }
        EXPECT_TRUE(deferred.Pose_Pending());
        Expect_Same_Points(deferred, start, 0.0f);
        EXPECT_EQ(deferred.origin.x, eager.origin.x);
        EXPECT_EQ(deferred.origin.y, eager.origin.y);
        EXPECT_EQ(deferred.position.z, eager.position.z);

        deferred.Settle();
        EXPECT_FALSE(deferred.Pose_Pending());
        Expect_Same_Points(deferred, eager, 1e-4f);
        for (size_t t = 0; t < eager.triangles.size(); ++t) {
            const Model_Triangle& a = deferred.triangles[t];
            const Model_Triangle& b = eager.triangles[t];
            for (auto [u, v] : {std::pair{a.centroid, b.centroid},
                                {a.normal, b.normal},
                                {a.edge_normals[0], b.edge_normals[0]},
                                {a.edge_normals[2], b.edge_normals[2]}}) {
                EXPECT_NEAR(u.x, v.x, 1e-4f) << "triangle " << t;
                EXPECT_NEAR(u.y, v.y, 1e-4f) << "triangle " << t;
                EXPECT_NEAR(u.z, v.z, 1e-4f) << "triangle " << t;
            }
        }
    }
}

TEST_F(Model_Test, DeferredPoseHandsOverToTheEagerOperations) {
    const CTarvelModel start = Placed_Pyramid();

    // Settled with nothing turned, the very same points: the pose adds no rounding.
    CTarvelModel idle = start;
    idle.Defer_Pose();
    idle.Move(Vector(), true);
    idle.Settle();
    Expect_Same_Points(idle, start, 0.0f);

    // An eager turn after deferred ones: as if all had been eager, and no longer deferred.
    CTarvelModel eager = start;
    eager.Rotate_Z(70);
    eager.Rotate_Y(15);
    CTarvelModel mixed = start;
    mixed.Turn_Z(70);
    mixed.Rotate_Y(15);
    EXPECT_FALSE(mixed.Pose_Deferred());
    Expect_Same_Points(mixed, eager, 1e-4f);

    // An unbaked move leaves the points where the turns put them and moves only the pivot
    // of the turns that follow.
    CTarvelModel unbaked = start;
    unbaked.Turn_Z(90);
    unbaked.Move(Vector_Set(10, 0, 0), false);
    CTarvelModel turned = start;
    turned.Rotate_Z(90);
    Expect_Same_Points(unbaked, turned, 1e-4f);
    EXPECT_FLOAT_EQ(unbaked.origin.x, 50);
    unbaked.Turn_Z(90);
    unbaked.Settle();
    turned.Move(Vector_Set(10, 0, 0), false);
    turned.Rotate_Z(90);
    Expect_Same_Points(unbaked, turned, 1e-4f);

    // Loading again starts afresh: the file's points, nothing left to settle.
    CTarvelModel reloaded = start;
    reloaded.Turn_Y(33);
    ASSERT_TRUE(reloaded.File_Load("sphere.dat", nullptr));
    EXPECT_FALSE(reloaded.Pose_Pending());
    reloaded.Settle();
    CTarvelModel loaded;
    ASSERT_TRUE(loaded.File_Load("sphere.dat", nullptr));
    Expect_Same_Points(reloaded, loaded, 0.0f);

    // A pose that cannot be placed is reported before anything is settled.
    CTarvelModel lost = start;
    lost.Turn_Z(10);
    EXPECT_TRUE(lost.Points_Finite());
    lost.Move(Vector_Set(NAN, 0, 0), true);
    EXPECT_FALSE(lost.Points_Finite());
    lost.Settle();
    EXPECT_TRUE(std::isnan(lost.points[0].position.x));
}

TEST_F(Model_Test, CornerReadsThroughTheTriangle) {
    Write_File("m.dat", Version_02);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    EXPECT_FLOAT_EQ(model.Corner(1, 2).y, 10);  // point 3 = (0, 10)
    EXPECT_FLOAT_EQ(model.Corner(1, 2).x, 0);
    EXPECT_FLOAT_EQ(model.Corner(0, 1).x, 10);
    for (auto [t, c] : {std::pair{-1, 0}, {2, 0}, {0, 3}, {0, -1}}) {
        Vector v = model.Corner(t, c);
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.0f);
    }
}

TEST_F(Model_Test, DrawSelectsByKeyAndTriangle) {
    Write_File("m.dat", Version_05);  // keys 1, 2, 2
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    model.triangles[2].fade = 0.25f;
    model.points[1].r = 0.5f;

    auto corners_drawn = [&](int triangle, int key) {
        Recording_Target target;
        model.Draw(target, triangle, key, false);
        std::vector<std::string> corners;
        for (const std::string& call : target.calls) {
            if (call.rfind("corner", 0) == 0) corners.push_back(call);
        }
        return corners;
    };
    EXPECT_EQ(
        corners_drawn(-1, 2),
        (std::vector<std::string>{"corner 0,0,0 n1 r1 a1", "corner 10,10,0 n1 r1 a1",
                                  "corner 0,10,0 n1 r1 a1", "corner 0,0,0 n1 r1 a0.75",
                                  "corner 10,0,0 n1 r0.5 a0.75", "corner 0,10,0 n1 r1 a0.75"}));
    EXPECT_EQ(corners_drawn(-1, -1).size(), 9u);
    EXPECT_EQ(corners_drawn(-1, 1).size(), 3u);
    EXPECT_EQ(corners_drawn(-1, 3).size(), 0u);
    EXPECT_EQ(corners_drawn(1, -1).size(), 3u);
    EXPECT_EQ(corners_drawn(1, 1).size(), 0u);   // triangle 1 has key 2
    EXPECT_EQ(corners_drawn(7, -1).size(), 0u);  // no such triangle
}

TEST_F(Model_Test, DrawUntexturedFramesTheBatch) {
    Write_File("m.dat", Version_02);
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", nullptr));
    Recording_Target target;
    model.Draw(target, 0, -1, false);
    EXPECT_EQ(target.calls,
              (std::vector<std::string>{"blend on", "texture off", "begin", "corner 0,0,0 n1 r1 a1",
                                        "corner 10,0,0 n1 r1 a1", "corner 10,10,0 n1 r1 a1", "end",
                                        "texture on", "blend off"}));
}

TEST_F(Model_Test, DrawTexturedBindsOnlyOnChange) {
    // Textures by triangle: slot 10, none, 10, 11, 11.
    Write_File("m.dat",
               "0.5 2 3 5 a.png b.png 0 0 0 0 1 1 0 0 2 0 1 0\n"
               "0 0 0 0 1 2 0 0 1 0 1 1\n"
               "1 -1 0 0 1 2 0 0 1 0 1 1\n"
               "2 0 0 0 1 2 0 0 1 0 1 1\n"
               "3 1 0 0 1 2 0 0 1 0 1 1\n"
               "4 1 0 0 1 2 0 0 1 0 1 1\n");
    CTarvelModel model;
    ASSERT_TRUE(model.File_Load("m.dat", &textures));
    Recording_Target target;
    model.Draw(target, -1, -1, true);
    std::vector<std::string> framing;
    for (const std::string& call : target.calls) {
        if (call.rfind("corner", 0) == 0) {
            if (call.find(" uv") == std::string::npos) ADD_FAILURE() << "no texcoord: " << call;
            if (framing.back() != "corner") framing.push_back("corner");
        } else {
            framing.push_back(call);
        }
    }
    EXPECT_EQ(framing, (std::vector<std::string>{"blend on", "texture on", "begin", "end",
                                                 "bind 10", "begin", "corner", "end", "bind 11",
                                                 "begin", "corner", "end", "blend off"}));

    // Already bound: no bind at all.
    Recording_Target bound;
    bound.current = 11;
    model.Draw(bound, 4, -1, true);
    for (const std::string& call : bound.calls) EXPECT_EQ(call.find("bind"), std::string::npos);
}

TEST(Model_Stream, ReaderAcceptsFreeLayout) {
    // Line breaks carry no meaning, and the point index is not checked.
    const char text[] = "0.5 1 3 1\tx.png 7 0 0 0 7 1 0 0 7 0 1 0 99 0 5 0 1 2 0 0 0 0 0 0";
    std::FILE* file = fmemopen(const_cast<char*>(text), sizeof text - 1, "r");
    ASSERT_NE(file, nullptr);
    Model_File parsed;
    EXPECT_TRUE(Model_File_Read(file, &parsed));
    std::fclose(file);
    ASSERT_EQ(parsed.faces.size(), 1u);
    EXPECT_EQ(parsed.faces[0].key, 5);
    EXPECT_EQ(parsed.texture_names, std::vector<std::string>{"x.png"});
}

// A number that never ends (a damaged or hostile file) costs a bounded piece of memory:
// the reader must not gather the whole run of digits before it converts them.
TEST_F(Model_Test, EndlessNumbersAreReadInBoundedMemory) {
    constexpr long long Run = 4 << 20;  // digits
    const struct {
        const char* label;
        const char* before;  // the text before the run of digits
    } cases[] = {
        {"version", ""},
        {"count", "0.5 1 "},
        {"coordinate", "0.5 1 1 1 a.png 0 0 "},
        {"corner", "0.5 0 1 1 0 0 0 0 0 -1 0 0 0 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(memory_peak::Write_Endless_Number("endless.dat", c.before, Run));
        CTarvelModel model;
        const long long growth =
            memory_peak::Growth([&] { model.File_Load("endless.dat", &textures); });
        ASSERT_GE(growth, 0) << "no /proc/self/clear_refs";
        EXPECT_LT(growth, Run / 4);
    }
}

}  // namespace
