#include "game/physics.h"

#include <cmath>

#include "game/match_rules.h"
#include "game/sound_player.h"

namespace {

void Play(const Match_Context& context, int channel) {
    if (context.sound == nullptr || context.settings == nullptr) return;
    if (context.settings->Sound != 1) return;
    context.sound->Play(channel);
}

float Velocity_Heading(const CTarvelModel& model) {
    return Heading_Degrees(Vector(), model.velocity);
}

// Into 0..360 by whole turns.
float Wrap_Degrees(float degrees) {
    while (degrees > 360.0f) degrees -= 360.0f;
    while (degrees < 0.0f) degrees += 360.0f;
    return degrees;
}

// The side whose goal a sphere at `position` has entered, tested Top, Bottom, Right, Left;
// -1 when it is not beyond the goal line of an open side.
int Goal_Side(const Match& match, Vector position) {
    if (position.y > Goal_Line && !match.sides[SIDE_TOP].closed) return SIDE_TOP;
    if (position.y < -Goal_Line && !match.sides[SIDE_BOTTOM].closed) return SIDE_BOTTOM;
    if (position.x > Goal_Line && !match.sides[SIDE_RIGHT].closed) return SIDE_RIGHT;
    if (position.x < -Goal_Line && !match.sides[SIDE_LEFT].closed) return SIDE_LEFT;
    return -1;
}

bool Escaped(Vector position) {
    return position.x > Escape_Bound || position.y > Escape_Bound || position.x < -Escape_Bound ||
           position.y < -Escape_Bound;
}

// Sphere i against every later sphere. A parked sphere does not move: it is given the
// velocity that meets the other head-on at sphere_speed for the test, and gets its own
// heading back afterwards, so only the moving sphere bounces.
void Collide_Sphere_Pairs(Match& match, const Match_Context& context, int i, int count, float dt) {
    Sphere& a = match.spheres[i];
    const float speed = match.sphere_speed;
    const float heading_a = Velocity_Heading(a.model);
    for (int j = i + 1; j < count; ++j) {
        Sphere& b = match.spheres[j];
        const float heading_b = Velocity_Heading(b.model);
        if (a.parked) Vector_From_Polar(a.model.velocity, speed, 0.0f, heading_b + 180.0f);
        if (b.parked) Vector_From_Polar(b.model.velocity, speed, 0.0f, heading_a + 180.0f);
        if (Collide_Spheres(a.model, b.model, dt, true)) {
            Vector_Set_Length(a.model.velocity, speed);
            Vector_Set_Length(b.model.velocity, speed);
            Play(context, SOUND_SPHERE_SPHERE);
        }
        if (a.parked) Vector_From_Polar(a.model.velocity, speed, 0.0f, heading_a);
        if (b.parked) Vector_From_Polar(b.model.velocity, speed, 0.0f, heading_b);
    }
}

// A moving sphere against the paddles of open sides, the walls, the goal sensors and the
// escape bound.
void Collide_Arena(Match& match, const Match_Context& context, Sphere& sphere) {
    for (int s = 0; s < Side_Count; ++s) {
        Side& side = match.sides[s];
        if (side.closed) continue;
        if (Collide_Spheres(sphere.model, side.paddle, 0.0f, false) &&
            Collide_Edges(sphere.model, side.paddle, -1, true)) {
            Play(context, SOUND_SPHERE_PADDLE);
        }
    }
    if (Collide_Edges(sphere.model, match.wall, 1, true)) Play(context, SOUND_SPHERE_WALL);
    // The goal sensors bounce the sphere too, so a closed goal is just a wall.
    if (Collide_Edges(sphere.model, match.wall, 2, true)) {
        int side = Goal_Side(match, sphere.model.position);
        if (side >= 0) {
            match.last_goal_side = side;
            sphere.parked = true;
            Play(context, SOUND_GOAL);
        }
    }
    if (!sphere.parked && Escaped(sphere.model.position)) {
        sphere.parked = true;
        ++match.escapes;
    }
}

// |x| + |y|: the scale of a point's coordinates in the arena plane.
float Planar_Size(const Vector& v) {
    return std::fabs(v.x) + std::fabs(v.y);
}

// True when the segment a-b certainly lies farther than `reach` from p in the arena
// plane: p is outside the segment's bounding box grown by reach plus a margin. `sizes` is
// the sum of the three points' Planar_Size. The margin (a unit, and a thousandth of that
// sum) is far above what the turns of Closest_Point_On_Edge can get wrong (under a
// millionth of the sum), so such an edge can never be the contact and skipping it changes
// no result. A coordinate that is not finite leaves the margin not finite either, and
// nothing is skipped.
bool Beyond_Reach(const Vector& a, const Vector& b, const Vector& p, float reach, float sizes) {
    const float slack = reach + 1.0f + sizes * 1e-3f;
    return (p.x + slack < a.x && p.x + slack < b.x) || (p.x - slack > a.x && p.x - slack > b.x) ||
           (p.y + slack < a.y && p.y + slack < b.y) || (p.y - slack > a.y && p.y - slack > b.y);
}

// Turns the drawn mesh as if the sphere rolled along its velocity for dt; position and
// velocity stay as they are. The turns are deferred: the mesh is only placed when it is
// looked at (CTarvelModel::Settle), once however many steps ran in between.
void Roll(CTarvelModel& model, float dt) {
    const float heading = Velocity_Heading(model);
    const float circumference = model.radius * Rolling_Factor;
    float turn = Vector_Length(model.velocity) / circumference;
    turn = turn * 360.0f;
    turn = turn * dt;
    model.Turn_Z(-heading);
    model.Turn_Y(-turn);
    model.Turn_Z(heading);
}

}  // namespace

void Physics_Step(Match& match, const Match_Context& context, float dt) {
    const int count = match.sphere_count < Max_Spheres ? match.sphere_count : Max_Spheres;
    for (int i = 0; i < count; ++i) {
        Sphere& sphere = match.spheres[i];
        if (!sphere.parked) sphere.model.Move(Vector_Scale(sphere.model.velocity, dt), true);
    }
    for (int i = 0; i < count; ++i) {
        Collide_Sphere_Pairs(match, context, i, count, dt);
        if (!match.spheres[i].parked) Collide_Arena(match, context, match.spheres[i]);
    }
    if (!context.animate_meshes) return;
    for (int i = 0; i < count; ++i) {
        Sphere& sphere = match.spheres[i];
        if (!sphere.parked) Roll(sphere.model, dt);
    }
}

void Sphere_Update(Match& match, int index, const Match_Context& context, float dt) {
    if (index < 0 || index >= Max_Spheres) return;
    Sphere& sphere = match.spheres[index];
    if (sphere.parked) {
        if (sphere.launch_timer == -1.0f) {
            // Scored or escaped on this step: back to the start, and the goal counts
            // against the side that conceded last (nobody before the first goal).
            Sphere_Reset(match, index, context);
            if (match.last_goal_side >= 0 && match.last_goal_side < Side_Count &&
                match.phase != PHASE_NEW) {
                Charge_Goal(match, match.last_goal_side);
            }
        } else {
            const float spin = Launch_Spin * dt;
            sphere.launch_timer = sphere.launch_timer - dt;
            if (context.animate_meshes) sphere.model.Turn_Z(spin);
            Vector_From_Polar(sphere.model.velocity, match.sphere_speed, 0.0f,
                              Velocity_Heading(sphere.model) + spin);
        }
        if (sphere.launch_timer <= 0.0f) {
            sphere.launch_timer = -1.0f;
            sphere.parked = false;
            Vector_From_Polar(sphere.model.velocity, match.sphere_speed, 0.0f,
                              Velocity_Heading(sphere.model) + Launch_Turn);
        }
    }
    if (match.mode_family == FAMILY_HIGH_SCORE) {
        Side& bottom = match.sides[SIDE_BOTTOM];
        if (bottom.open_time > bottom.best_time) bottom.best_time = bottom.open_time;
    }
}

bool Collide_Spheres(CTarvelModel& a, CTarvelModel& b, float dt, bool respond) {
    const float reach = a.radius + b.radius;
    if (Distance(a.position, b.position) > reach) return false;
    if (!respond) return true;

    const Vector n = Vector_Subtract(b.position, a.position);
    const Vector a_step = Vector_Scale(a.velocity, Vector_Length(a.velocity) * dt);
    const Vector b_step = Vector_Scale(b.velocity, Vector_Length(b.velocity) * dt);
    const Vector relative = Vector_Subtract(b_step, a_step);
    if (Vector_Dot(n, relative) < 0.0f) {
        // Closing: exchange the velocity parts along the line of centres.
        Vector unit = Vector_Subtract(a.position, b.position);
        Vector_Normalize(unit);
        const float c1 = Vector_Dot(a.velocity, unit);
        const float c2 = Vector_Dot(b.velocity, unit);
        float p = c1 - c2;
        p = 2.0f * p;
        const float masses = a.mass + b.mass;
        p = p / masses;
        const Vector along = Vector_Scale(unit, p);
        a.velocity = Vector_Subtract(a.velocity, Vector_Scale(along, b.mass));
        const Vector push = Vector_Scale(along, a.mass);
        b.velocity = Vector_Add(b.velocity, push.x, push.y, push.z);
    }
    return true;
}

bool Collide_Edges(CTarvelModel& sphere, const CTarvelModel& model, int key, bool respond) {
    static const int Edges[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    const Vector centre = sphere.position;
    const float centre_size = Planar_Size(centre);
    bool found = false;
    float best = 0.0f;
    Vector contact;
    for (const Model_Triangle& face : model.triangles) {
        if (key != -1 && face.key != key) continue;
        for (const auto& edge : Edges) {
            const Vector& start = model.points[face.corners[edge[0]]].position;
            const Vector& end = model.points[face.corners[edge[1]]].position;
            if (start.z > Floor_Edge_Height || end.z > Floor_Edge_Height) continue;
            const float sizes = Planar_Size(start) + Planar_Size(end) + centre_size;
            if (Beyond_Reach(start, end, centre, sphere.radius, sizes)) continue;
            const Vector point = Closest_Point_On_Edge(start, end, centre);
            const float distance = Distance_Planar(point, centre);
            if (distance <= sphere.radius && (!found || distance < best)) {
                found = true;
                best = distance;
                contact = point;
            }
        }
    }
    if (!found) return false;
    if (respond) Bounce(sphere, contact);
    return true;
}

Vector Closest_Point_On_Edge(Vector a, Vector b, Vector p) {
    // Turned about A so that the edge runs along +X from A.
    const float angle = Heading_Degrees(a, b);
    Vector b_turned = b;
    Vector p_turned = p;
    Rotate_About_Z(a, b_turned, -angle);
    Rotate_About_Z(a, p_turned, -angle);
    if (a.x >= p_turned.x) return a;
    if (p_turned.x >= b_turned.x) return b;
    Vector foot = Vector_Set(p_turned.x, a.y, p.z);
    Rotate_About_Z(a, foot, angle);
    return foot;
}

void Bounce(CTarvelModel& sphere, Vector contact) {
    float moving = Velocity_Heading(sphere);
    // From the contact towards the centre.
    float away = Heading_Degrees(sphere.position, contact) + 180.0f;
    const float speed = Vector_Length(sphere.velocity);
    away = Wrap_Degrees(away);
    moving = Wrap_Degrees(moving);
    if (Angle_Difference(away, moving) < 90.0f) return;  // already leaving

    const float depth = sphere.radius - Distance_Planar(sphere.position, contact);
    Vector old_velocity = sphere.velocity;
    // Turned so that the tangent lies along X, mirrored in it, and turned back.
    const float turn = 270.0f - away;
    Vector velocity;
    Vector_From_Polar(velocity, speed, 0.0f, moving + turn);
    velocity.y = -velocity.y;
    Vector_From_Polar(velocity, speed, 0.0f, Heading_Degrees(Vector(), velocity) - turn);
    sphere.velocity = velocity;

    // Out of the overlap: back along the old path, then forward along the new one.
    Vector_Set_Length(old_velocity, -depth);
    sphere.Move(old_velocity, true);
    Vector forward = velocity;
    Vector_Set_Length(forward, depth);
    sphere.Move(forward, true);
}
