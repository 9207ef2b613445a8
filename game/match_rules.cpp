#include "game/match_rules.h"

#include <algorithm>
#include <cmath>

#include "game/input.h"
#include "game/physics.h"

namespace {

// Starting value of the search for the fewest goals.
constexpr float No_Score = 10000.0f;
// open_time of a Countdown survivor, so that it ranks first.
constexpr float Survivor_Time = 10000.0f;

int Open_Sides(const Match& match) {
    int open = 0;
    for (const Side& side : match.sides) open += side.closed ? 0 : 1;
    return open;
}

void Finish(Match& match) {
    match.phase = PHASE_NEW;
    match.sphere_count = 0;
}

// Sides 0..3 ordered by `before`; sides equal in both keys keep side order.
template <typename Before>
void Rank(const Match& match, int ranking[Side_Count], Before before) {
    if (ranking == nullptr) return;
    for (int s = 0; s < Side_Count; ++s) ranking[s] = s;
    std::stable_sort(ranking, ranking + Side_Count,
                     [&](int a, int b) { return before(match.sides[a], match.sides[b]); });
}

}  // namespace

void Match_Step(Match& match, const Match_Context& context, float dt) {
    if (match.phase == PHASE_NEW) {
        // A finished match still on screen: the clock stands and nothing is charged.
        for (Side& side : match.sides) side.closed = true;
    } else {
        match.match_clock = match.match_clock - dt;
    }
    for (int s = 0; s < Side_Count; ++s) {
        // Closed sides are steered too; their paddles are neither drawn nor collided with.
        const int type = match.controllers[s].type;
        if (type == CONTROLLER_COMPUTER) {
            Computer_Control(match, s, dt);
        } else if (type != CONTROLLER_NONE) {
            Human_Control(match, s, context.input, dt);
        }
        Side& side = match.sides[s];
        if (match.mode_family == FAMILY_COUNTDOWN) {
            // The side that conceded last drains until another side concedes.
            if (match.last_goal_side == s) side.score = side.score - 3.0f * dt;
            if (!side.closed) {
                side.open_time = side.open_time + dt;
                if (side.score < 0.0f) {
                    side.score = 0.0f;
                    side.closed = true;
                }
            }
        } else if (!side.closed) {
            side.open_time = side.open_time + dt;
        }
    }
    Close_Goals(match, dt);
    // The contact distance is the sphere radius: an edge touches a sphere whose centre is
    // within the radius of it, and the bounce turns the sphere only while its centre is
    // still on the near side of the edge (past it, the sphere counts as moving away and
    // leaves the arena). A sphere that was not touching and moves at most its radius in a
    // pass is therefore caught with its centre on the near side; two spheres closing on
    // each other at that speed cover at most their summed radii. A frame in which a
    // sphere would move further (400 units per second below 40 frames per second) runs
    // in sub-steps of at most Max_Sphere_Travel; every other frame is one pass, so
    // contacts are tested once, at the frame's end. A stall longer than
    // Max_Physics_Substeps sub-steps can cover still ends at the escape bound.
    const float travel = match.sphere_speed * dt;
    int substeps = 1;
    if (travel > Max_Sphere_Travel) {
        substeps = std::min(Max_Physics_Substeps,
                            static_cast<int>(std::ceil(travel / Max_Sphere_Travel)));
    }
    const float step = dt / static_cast<float>(substeps);
    for (int k = 0; k < substeps; ++k) {
        Physics_Step(match, context, step);
        const int count = std::min(match.sphere_count, Max_Spheres);
        for (int i = 0; i < count; ++i) Sphere_Update(match, i, context, step);
    }
}

void Charge_Goal(Match& match, int side) {
    if (side < 0 || side >= Side_Count || match.phase == PHASE_NEW) return;
    Side& charged = match.sides[side];
    charged.score = charged.score + 1.0f;
    if (match.mode_family == FAMILY_HIGH_SCORE) {
        charged.best_time = std::max(charged.best_time, charged.open_time);
        charged.open_time = 0.0f;
    }
}

Timed_End_Result Timed_End_Rule(Match& match, bool on_match_screen, int ranking[Side_Count]) {
    if (match.mode_family != FAMILY_TIMED || match.match_clock > 0.0f) return TIMED_END_NOT_YET;
    float fewest = No_Score;
    for (const Side& side : match.sides) {
        if (!side.closed && side.score < fewest) fewest = side.score;
    }
    for (Side& side : match.sides) {
        if (!side.closed && side.score > fewest) side.closed = true;
    }
    // Two or more tied on the fewest play on; the next goal against one of them decides.
    if (Open_Sides(match) >= 2) return TIMED_END_SUDDEN_DEATH;
    if (!on_match_screen) return TIMED_END_DECIDED_ELSEWHERE;
    Finish(match);
    Rank(match, ranking, [](const Side& a, const Side& b) {
        if (a.score != b.score) return a.score < b.score;
        return a.open_time > b.open_time;
    });
    return TIMED_END_FINISHED;
}

bool Countdown_End_Rule(Match& match, bool on_match_screen, int ranking[Side_Count]) {
    if (match.mode_family != FAMILY_COUNTDOWN || !on_match_screen) return false;
    if (Open_Sides(match) >= 2) return false;
    Finish(match);
    for (Side& side : match.sides) {
        if (!side.closed) side.open_time = Survivor_Time;
    }
    Rank(match, ranking, [](const Side& a, const Side& b) { return a.open_time > b.open_time; });
    return true;
}

bool High_Score_End_Rule(Match& match, bool on_match_screen) {
    if (match.mode_family != FAMILY_HIGH_SCORE || !on_match_screen) return false;
    if (match.match_clock > 0.0f) return false;
    Finish(match);
    if (match.match_clock != 0.0f) {
        // The last step ran past the end of the run by -match_clock seconds. Only the
        // stretch still running when the clock ran out counted that overshoot; a longer
        // stretch that ended earlier is already exact and keeps its value.
        Side& bottom = match.sides[SIDE_BOTTOM];
        // Never below 0 (a Bottom side that never played has nothing to take off).
        if (bottom.best_time <= bottom.open_time) {
            bottom.best_time = std::max(0.0f, bottom.best_time + match.match_clock);
        }
        match.match_clock = 0.0f;
    }
    return true;
}
