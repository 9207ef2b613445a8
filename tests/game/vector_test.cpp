#include "game/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Vector, HeadingByQuadrantAndAxis) {
    struct Case {
        Vector from, to;
        float expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 0}, 90.0f},  // equal points
        {{0, 0, 0}, {0, -1, 0}, 270.0f},
        {{0, 0, 0}, {-1, 0, 0}, 180.0f},
        {{0, 0, 0}, {1, -1, 0}, 315.0f},
        {{0, 0, 0}, {1, 0, 0}, 0.0f},
        {{0, 0, 0}, {1, 1, 0}, 45.0f},
        {{0, 0, 0}, {-1, 1, 0}, 135.0f},
        {{0, 0, 0}, {-1, -1, 0}, 225.0f},
        {{5, 5, 0}, {5, 9, 7}, 90.0f},  // height ignored
        {{2, 3, 0}, {2 + std::sqrt(3.0f), 4, 0}, 30.0f},
    };
    for (const Case& c : cases) {
        float h = Heading_Degrees(c.from, c.to);
        EXPECT_NEAR(h, c.expected, 1e-4f) << c.to.x << "," << c.to.y;
        EXPECT_GE(h, 0.0f);
        EXPECT_LT(h, 360.0f);
    }
}

TEST(Vector, AngleDifferenceFoldsIntoHalfTurn) {
    struct Case {
        float a, b, expected;
    };
    const Case cases[] = {{350, 10, 20}, {10, 350, 20}, {0, 180, 180}, {90, 45, 45}, {0, 0, 0}};
    for (const Case& c : cases) EXPECT_FLOAT_EQ(Angle_Difference(c.a, c.b), c.expected);
}

TEST(Vector, WrapOrClamp) {
    struct Case {
        float value;
        bool wrap;
        float expected;
    };
    const Case cases[] = {
        {725, true, 5},    {-30, true, 330}, {360, true, 360},  {0, true, 0},
        {400, false, 360}, {-5, false, 0},   {200, false, 200},
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(Wrap_Or_Clamp(c.value, 0, 360, c.wrap), c.expected) << c.value;
    }
}

TEST(Vector, WrapEndsForValuesTheLoopCannotReduce) {
    // Subtracting 360 from these changes nothing; a plain loop would never end.
    float huge = Wrap_Or_Clamp(1e30f, 0, 360, true);
    EXPECT_GE(huge, 0.0f);
    EXPECT_LE(huge, 360.0f);
    float negative = Wrap_Or_Clamp(-1e30f, 0, 360, true);
    EXPECT_GE(negative, 0.0f);
    EXPECT_LE(negative, 360.0f);
    float infinite = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(Wrap_Or_Clamp(infinite, 0, 360, true) < 0.0f);
    EXPECT_FLOAT_EQ(Wrap_Or_Clamp(50, 10, 10, true), 50.0f);  // empty range: unchanged
}

TEST(Vector, NormalizeAndPitchOfTheZeroVector) {
    Vector zero;
    Vector_Normalize(zero);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
    EXPECT_FALSE(std::isnan(zero.x));
    EXPECT_EQ(Pitch_Degrees(Vector(), Vector()), 0.0f);

    Vector v = Vector_Set(3, 0, 4);
    Vector_Normalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    EXPECT_NEAR(Pitch_Degrees(Vector(), Vector_Set(1, 0, 1)), 45.0f, 1e-4f);
    EXPECT_NEAR(Pitch_Degrees(Vector_Set(0, 0, 5), Vector()), -90.0f, 1e-4f);
}

TEST(Vector, ArithmeticAndMeasures) {
    Vector a = Vector_Set(1, 2, 3), b = Vector_Set(4, -5, 6);
    Vector cross = Vector_Cross(a, b);
    EXPECT_FLOAT_EQ(cross.x, 2 * 6 - 3 * -5);
    EXPECT_FLOAT_EQ(cross.y, 3 * 4 - 1 * 6);
    EXPECT_FLOAT_EQ(cross.z, 1 * -5 - 2 * 4);
    EXPECT_FLOAT_EQ(Vector_Dot(a, b), 4 - 10 + 18);
    Vector d = Vector_Subtract(b, a);
    EXPECT_FLOAT_EQ(d.y, -7);
    EXPECT_FLOAT_EQ(Vector_Scale(a, -2).z, -6);
    EXPECT_FLOAT_EQ(Vector_Add(a, 1, 1, 1).x, 2);
    EXPECT_FLOAT_EQ(Distance(Vector_Set(0, 0, 0), Vector_Set(2, 3, 6)), 7);
    EXPECT_FLOAT_EQ(Distance_Planar(Vector_Set(0, 0, 100), Vector_Set(3, 4, -50)), 5);
    Point2 p = Point2_Add(Point2_Set(1, 2), 0.5f, -1);
    EXPECT_FLOAT_EQ(p.x, 1.5f);
    EXPECT_FLOAT_EQ(p.y, 1.0f);
}

TEST(Vector, RotationsTurnAboutTheirCentre) {
    Vector p = Vector_Set(2, 1, 7);
    Rotate_About_Z(Vector_Set(1, 1, 0), p, 90);
    EXPECT_NEAR(p.x, 1, 1e-5f);
    EXPECT_NEAR(p.y, 2, 1e-5f);
    EXPECT_EQ(p.z, 7);  // untouched

    Vector q = Vector_Set(9, 0, 3);
    Rotate_About_X(Vector(), q, 90);  // (y, z) = (0, 3) turns to (-3, 0)
    EXPECT_EQ(q.x, 9);
    EXPECT_NEAR(q.y, -3, 1e-5f);
    EXPECT_NEAR(q.z, 0, 1e-5f);

    Vector r = Vector_Set(4, 0, 0);
    Rotate_About_Z(Vector(), r, -90);
    EXPECT_NEAR(r.x, 0, 1e-5f);
    EXPECT_NEAR(r.y, -4, 1e-5f);
}

TEST(Vector, PolarConstructionIsAlwaysHorizontal) {
    Vector v = Vector_Set(7, 7, 7);
    Vector_From_Polar(v, 2, 45, 90);
    EXPECT_NEAR(v.x, 0, 1e-5f);
    EXPECT_NEAR(v.y, 2, 1e-5f);
    EXPECT_EQ(v.z, 0.0f);

    Vector w = Vector_Set(3, 4, 12);  // length 13, heading atan(4/3)
    Vector_Rescale_Polar(w, 0, 180);
    EXPECT_NEAR(w.x, -13, 1e-4f);
    EXPECT_NEAR(w.y, 0, 1e-4f);
    EXPECT_EQ(w.z, 0.0f);

    Vector s = Vector_Set(3, 4, 5);
    Vector_Set_Length(s, 10);
    EXPECT_NEAR(s.x, 6, 1e-4f);
    EXPECT_NEAR(s.y, 8, 1e-4f);
    EXPECT_EQ(s.z, 0.0f);

    // A negative length points backwards along the same heading.
    Vector back = Vector_Set(0, 1, 0);
    Vector_Set_Length(back, -2);
    EXPECT_NEAR(back.x, 0, 1e-5f);
    EXPECT_NEAR(back.y, -2, 1e-5f);

    Vector zero;
    Vector_Set_Length(zero, 0);
    EXPECT_NEAR(Vector_Length(zero), 0, 1e-6f);
}

}  // namespace
