#include "tools/tindral_sim_run.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "game/match_frame.h"
#include "game/match_rules.h"

namespace {

bool Finite(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool All_Finite(const Match& match) {
    if (!std::isfinite(match.match_clock) || !std::isfinite(match.sphere_speed)) return false;
    for (const Side& side : match.sides) {
        if (!std::isfinite(side.score) || !std::isfinite(side.open_time) ||
            !std::isfinite(side.best_time) || !Finite(side.paddle.position) ||
            !Finite(side.paddle.velocity)) {
            return false;
        }
    }
    for (const Sphere& sphere : match.spheres) {
        if (!Finite(sphere.model.position) || !Finite(sphere.model.velocity) ||
            !std::isfinite(sphere.launch_timer)) {
            return false;
        }
        // The drawn mesh too, as the frame drawn after this step would place it.
        if (!sphere.model.Points_Finite()) return false;
    }
    return true;
}

// What the end rule of this frame decided, into the report. True once the match is over.
bool Report_End(const Match& match, Sim_Run_Report& report) {
    switch (match.end.state) {
        case END_SUDDEN_DEATH: report.sudden_death = true; return false;
        case END_RANKED:
            report.ranked = true;
            std::copy(match.end.ranking, match.end.ranking + Side_Count, report.ranking);
            return true;
        case END_RUN_OVER:
            report.spheres_allowed = match.sides[SIDE_BOTTOM].score;
            report.best_time = match.sides[SIDE_BOTTOM].best_time;
            return true;
        default: return false;
    }
}

void Print_Float(double value) {
    std::printf("%.9g", value);
}

// Steps a fresh bench match `steps` times; with `settle`, every sphere's mesh is settled
// after each step, as the drawing does once a frame. Seconds taken; negative when the
// arena's models were not found.
double Bench_Run(const Match_Context& context, long long steps, float dt, bool settle) {
    Match match;
    Match_Setup(match, context);
    if (match.wall.point_count == 0) return -1.0;
    match.phase = PHASE_RUNNING;
    const auto start = std::chrono::steady_clock::now();
    for (long long i = 0; i < steps; ++i) {
        Match_Step(match, context, dt);
        if (!settle) continue;
        for (int s = 0; s < std::min(match.sphere_count, Max_Spheres); ++s) {
            match.spheres[s].model.Settle();
        }
    }
    const auto stop = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(stop - start).count();
}

}  // namespace

Sim_Run_Report Sim_Run(Match& match, const Match_Context& context, const Sim_Run_Options& options) {
    Sim_Run_Report report;
    match.phase = PHASE_RUNNING;  // what the fade to the match screen does after set-up
    const double dt = options.dt;
    double limit = options.seconds >= 0 ? options.seconds : Sim_Run_Safety_Seconds;
    if (options.steps >= 0) limit = -1;  // the step count alone decides
    for (;;) {
        // A step is taken while it starts before the time limit; the frame that would
        // take it applies its end rule still.
        const bool at_limit =
            (options.steps >= 0 && report.steps >= options.steps) ||
            (limit >= 0 && static_cast<double>(report.steps) * dt >= limit - 1e-9);
        if (at_limit) {
            if (options.end_rules) {
                Match_End_Rules(match, true);
                report.finished = Report_End(match, report);
            }
            break;
        }

        bool moving[Max_Spheres] = {};
        const int count = std::min(match.sphere_count, Max_Spheres);
        for (int i = 0; i < count; ++i) moving[i] = !match.spheres[i].parked;

        // The game's frame, stopped where the match is over: the run ends there.
        if (options.end_rules) {
            if (Match_Frame(match, context, options.dt, true)) {
                report.finished = Report_End(match, report);
                break;
            }
            Report_End(match, report);
        } else {
            Match_Step(match, context, options.dt);
        }
        ++report.steps;

        for (int i = 0; i < std::min(match.sphere_count, Max_Spheres); ++i) {
            const Sphere& sphere = match.spheres[i];
            // Reset during this step: a long step runs in sub-steps, and those after the
            // reset have already started the launch countdown.
            if (moving[i] && sphere.parked && sphere.launch_timer > Launch_Delay - options.dt) {
                ++report.resets;
            }
            if (sphere.parked) continue;
            const Vector p = sphere.model.position;
            report.max_extent = std::max({report.max_extent, std::fabs(p.x), std::fabs(p.y)});
        }
        if (report.first_bad_step < 0 && !All_Finite(match)) report.first_bad_step = report.steps;
    }
    report.seconds = static_cast<double>(report.steps) * dt;
    report.escapes = match.escapes;
    return report;
}

void Sim_Print_Report(const Sim_Run_Report& report, const Match& match,
                      const Counting_Sound_Player* sounds) {
    std::printf(",\n  \"run\": {\"steps\": %lld, \"simulated_seconds\": ", report.steps);
    Print_Float(report.seconds);
    std::printf(
        ", \"finished\": %s, \"sudden_death\": %s, \"resets\": %lld, \"escapes\": %lld, "
        "\"max_extent\": ",
        report.finished ? "true" : "false", report.sudden_death ? "true" : "false", report.resets,
        report.escapes);
    Print_Float(report.max_extent);
    std::printf(", \"first_bad_step\": %lld}", report.first_bad_step);

    if (report.finished) {
        std::printf(",\n  \"result\": ");
        if (match.mode_family == FAMILY_HIGH_SCORE) {
            std::printf("{\"spheres_allowed\": ");
            Print_Float(report.spheres_allowed);
            std::printf(", \"most_seconds_without_goal\": ");
            Print_Float(report.best_time);
            std::printf("}");
        } else {
            std::printf("{\"ranking\": [");
            for (int r = 0; r < Side_Count; ++r) {
                std::printf("%s\"%s\"", r > 0 ? ", " : "", Side_Name(report.ranking[r]));
            }
            std::printf("]}");
        }
    }

    if (sounds != nullptr) {
        std::printf(",\n  \"sounds\": {");
        for (int channel = 2; channel < Counting_Sound_Player::Channels; ++channel) {
            std::printf("%s\"%d\": %lld", channel > 2 ? ", " : "", channel,
                        sounds->counts[channel]);
        }
        std::printf("}");
    }
}

int Sim_Bench(const Match_Context& context, long long steps, float dt) {
    Game_Settings settings = context.settings != nullptr ? *context.settings : Game_Settings();
    settings.Level = 6;
    settings.Side_Controller[SIDE_BOTTOM] = CONTROLLER_COMPUTER;
    Match_Context bench_context = context;
    bench_context.settings = &settings;

    const double seconds = Bench_Run(bench_context, steps, dt, false);
    if (seconds < 0) {
        std::fprintf(stderr, "tindral-sim: no arena models found\n");
        return 1;
    }
    auto per_second = [steps](double s) { return s > 0 ? static_cast<double>(steps) / s : 0.0; };
    auto microseconds = [steps](double s) {
        return steps > 0 ? s * 1e6 / static_cast<double>(steps) : 0.0;
    };
    std::printf(
        "tindral-sim bench: %lld steps of a four-sphere High Score match (computer on Bottom, "
        "dt %.6g s) in %.3f s\n",
        steps, static_cast<double>(dt), seconds);
    std::printf("steps per second: %.0f\nmicroseconds per step: %.2f\n", per_second(seconds),
                microseconds(seconds));
    if (bench_context.animate_meshes) {
        // The rolling is only composed during a step; a drawn frame places the meshes.
        const double settled = Bench_Run(bench_context, steps, dt, true);
        std::printf(
            "with the meshes settled after every step, as one drawn frame per step does: %.0f "
            "steps per second, %.2f microseconds per step\n",
            per_second(settled), microseconds(settled));
    }
    return 0;
}
