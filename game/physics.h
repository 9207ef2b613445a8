// Sphere physics: moving the spheres, bouncing them off each other, the paddles and the
// walls, goals and escapes, launching parked spheres, and the collision sounds. Every
// collision test is two-dimensional in the arena plane: a wall or paddle collides through
// the floor-level edges of its triangles, a sphere is a circle around its position.
#pragma once

#include "game/match.h"

// An edge collides when both its end points are at most this high.
constexpr float Floor_Edge_Height = 0.1f;
// A sphere beyond this line (|x| or |y|) that touches a goal sensor is a goal.
constexpr float Goal_Line = 150.0f;
// A sphere beyond this bound (|x| or |y|) has left the arena and is parked.
constexpr float Escape_Bound = 220.0f;
// A parked sphere waiting to launch turns this fast (degrees per second), and leaves at
// its heading plus Launch_Turn.
constexpr float Launch_Spin = 250.0f;
constexpr float Launch_Turn = 90.0f;
// Circumference over radius, for rolling the drawn mesh.
constexpr float Rolling_Factor = 6.283184f;

// Sound channels of the match events.
enum Match_Sound_Channel {
    SOUND_GOAL = 2,
    SOUND_SPHERE_PADDLE = 3,
    SOUND_SPHERE_SPHERE = 4,
    SOUND_SPHERE_WALL = 5,
};

// One step of dt seconds for every sphere: movement, sphere pairs (a parked sphere meets
// the other head-on at sphere_speed and is left as it was), paddles of open sides, walls,
// goal sensors, escapes, and the rolling of the drawn meshes (deferred turns: settle a
// sphere's model before reading its points). Sounds go to context.sound while the
// settings' Sound is 1.
void Physics_Step(Match& match, const Match_Context& context, float dt);

// The launch and reset logic of parked sphere `index`: a sphere parked by a goal or an
// escape is reset to its start and the goal charged to last_goal_side; one waiting to
// launch spins and, once its timer runs out, leaves at its heading plus 90 degrees. In
// High Score it also keeps Bottom's best_time at least its open_time.
void Sphere_Update(Match& match, int index, const Match_Context& context, float dt);

// Bounding-circle test of two models (3-D distance of their positions against the sum of
// their radii). With `respond`, an elastic exchange along the line of centres when they
// are closing. True on contact, whether or not anything changed.
bool Collide_Spheres(CTarvelModel& a, CTarvelModel& b, float dt, bool respond);

// The sphere (a circle of its radius) against the floor edges of the model's triangles
// whose key equals `key` (-1: any), in triangle order and, within a triangle, the edges
// (0,1), (0,2), (1,2). The nearest edge within the radius is the contact; on equal
// distances the first found. With `respond` the sphere bounces off the contact. True on
// contact, whether or not the bounce changed anything.
bool Collide_Edges(CTarvelModel& sphere, const CTarvelModel& model, int key, bool respond);

// The point of segment A-B nearest to P in the arena plane (an end point when P lies
// beyond it; an inner point takes P's height).
Vector Closest_Point_On_Edge(Vector a, Vector b, Vector p);

// Mirrors the sphere's velocity about the tangent at `contact`, keeping its speed, unless
// it already moves away from the contact; then moves it back out of the overlap along its
// old path and forward along the new one.
void Bounce(CTarvelModel& sphere, Vector contact);
