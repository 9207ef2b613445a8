// tindral-sim: sets up matches without a window and prints the match state as JSON, for
// tests and benchmarks. Like the game it reads "data/models.pak" (or loose model files)
// from its own program folder.
//
//   tindral-sim [--level N] [--sides T,B,L,R] [--setups K] [--log FILE]
//
// --level is the mode 0..6 and --sides the four controller codes 1..8 (defaults: the
// settings file's defaults). --setups runs the set-up K times on the same match before
// printing (a fresh set-up must not depend on the one before). --log writes the event log.
//
// Stepping: [--dt S] [--steps N | --seconds T] [--end-rules 0|1] [--sound 0|1]
//           [--meshes 0|1] [--bench]
//
// After the set-up the match runs as on the match screen: each step applies the mode's
// end rule, then the simulation step of --dt seconds (0.0001 to 10, default 1/60). It
// runs until the end rule finishes the match, or for N steps or T simulated seconds
// (--steps 0 prints the set-up alone). --end-rules 0 never finishes a match (long physics
// runs). --sound 1 turns the Sound setting on and counts the sounds per channel.
// --meshes 0 leaves the spheres' drawn meshes unturned (no effect on the play). The JSON
// holds the final state, the run ("run": among others the spheres reset after a goal or
// an escape, "resets", and of those the escapes, "escapes"), the result ("result") and the
// sound counts ("sounds").
// --bench steps a four-sphere High Score match with the computer on Bottom a fixed
// number of times (or --steps) and prints steps per second and microseconds per step;
// with the meshes rolled, also the figures of the same run with the meshes settled after
// every step, as the game's drawing settles them once a frame.
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/log.h"
#include "game/match.h"
#include "game/records.h"
#include "game/texture_source.h"
#include "tools/tindral_sim_run.h"

namespace {

// No window, so no texture table: every name gets the same slot, which nothing binds.
class Dummy_Texture_Source : public Texture_Source {
  public:
    int Texture_Load(const char*, int) override { return 0; }
};

void Usage() {
    std::fprintf(stderr,
                 "usage: tindral-sim [--level 0..6] [--sides T,B,L,R (codes 1..8)] "
                 "[--setups K] [--log FILE]\n"
                 "       [--dt S] [--steps N | --seconds T] [--end-rules 0|1] [--sound 0|1] "
                 "[--meshes 0|1] [--bench]\n");
}

bool Parse_Int(const char* text, int low, int high, int* out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

// A positive, finite number of seconds.
bool Parse_Seconds(const char* text, double* out) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0.0) || !(value < 1e9)) return false;
    *out = value;
    return true;
}

bool Parse_Steps(const char* text, long long* out) {
    char* end = nullptr;
    long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || value < 0) return false;
    *out = value;
    return true;
}

bool Parse_Sides(const char* text, int sides[Side_Count]) {
    std::string rest = text;
    for (int s = 0; s < Side_Count; ++s) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        if (!Parse_Int(item.c_str(), 1, 8, &sides[s])) return false;
        if (s < Side_Count - 1) {
            if (comma == std::string::npos) return false;
            rest = rest.substr(comma + 1);
        } else if (comma != std::string::npos) {
            return false;
        }
    }
    return true;
}

// The program folder becomes the current directory, as in the game.
bool Enter_Program_Folder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    return chdir(path[0] != '\0' ? path : "/") == 0;
}

// Floats with enough digits to read back the same value; JSON has no NaN or infinity.
void Print_Float(float value) {
    if (std::isfinite(value)) {
        std::printf("%.9g", static_cast<double>(value));
    } else {
        std::printf("null");
    }
}

void Print_Vector(const Vector& v) {
    std::printf("[");
    Print_Float(v.x);
    std::printf(", ");
    Print_Float(v.y);
    std::printf(", ");
    Print_Float(v.z);
    std::printf("]");
}

void Print_Match(const Match& match) {
    std::printf("{\n  \"mode\": %d,\n  \"family\": %d,\n  \"phase\": %d,\n  \"clock\": ",
                match.mode, match.mode_family, match.phase);
    Print_Float(match.match_clock);
    std::printf(",\n  \"sphere_count\": %d,\n  \"sphere_speed\": ", match.sphere_count);
    Print_Float(match.sphere_speed);
    std::printf(",\n  \"last_goal_side\": %d,\n", match.last_goal_side);
    // Point counts show at a glance whether the arena's models were found.
    std::printf(
        "  \"model_points\": {\"ground\": %d, \"wall\": %d, \"paddle\": %d, \"sphere\": %d},\n",
        match.ground.point_count, match.wall.point_count, match.sides[0].paddle.point_count,
        match.spheres[0].model.point_count);
    std::printf("  \"sides\": [\n");
    for (int s = 0; s < Side_Count; ++s) {
        const Side& side = match.sides[s];
        std::printf("    {\"name\": \"%s\", \"controller\": %d, \"closed\": %s, \"score\": ",
                    Side_Name(s), match.controllers[s].type, side.closed ? "true" : "false");
        Print_Float(side.score);
        std::printf(", \"open_time\": ");
        Print_Float(side.open_time);
        std::printf(", \"best_time\": ");
        Print_Float(side.best_time);
        std::printf(", \"paddle\": ");
        Print_Vector(side.paddle.position);
        std::printf("}%s\n", s + 1 < Side_Count ? "," : "");
    }
    std::printf("  ],\n  \"spheres\": [\n");
    for (int i = 0; i < match.sphere_count; ++i) {
        const Sphere& sphere = match.spheres[i];
        std::printf("    {\"position\": ");
        Print_Vector(sphere.model.position);
        std::printf(", \"velocity\": ");
        Print_Vector(sphere.model.velocity);
        std::printf(", \"heading\": ");
        Print_Float(Heading_Degrees(Vector(), sphere.model.velocity));
        std::printf(", \"parked\": %s, \"launch_timer\": ", sphere.parked ? "true" : "false");
        Print_Float(sphere.launch_timer);
        std::printf("}%s\n", i + 1 < match.sphere_count ? "," : "");
    }
    std::printf("  ]");
}

}  // namespace

int main(int argc, char** argv) {
    Game_Settings settings;
    int setups = 1;
    const char* log_path = nullptr;
    Sim_Run_Options run;
    bool bench = false;
    bool animate_meshes = true;
    bool has_steps = false, has_seconds = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--bench") == 0) {
            bench = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        int flag = 0;
        double seconds = 0;
        if (ok && std::strcmp(option, "--dt") == 0) {
            ok = Parse_Seconds(value, &seconds) && seconds >= 1e-4 && seconds <= 10.0;
            run.dt = static_cast<float>(seconds);
        } else if (ok && std::strcmp(option, "--steps") == 0) {
            ok = Parse_Steps(value, &run.steps);
            has_steps = true;
        } else if (ok && std::strcmp(option, "--seconds") == 0) {
            ok = Parse_Seconds(value, &run.seconds);
            has_seconds = true;
        } else if (ok && std::strcmp(option, "--end-rules") == 0) {
            ok = Parse_Int(value, 0, 1, &flag);
            run.end_rules = flag == 1;
        } else if (ok && std::strcmp(option, "--meshes") == 0) {
            ok = Parse_Int(value, 0, 1, &flag);
            animate_meshes = flag == 1;
        } else if (ok && std::strcmp(option, "--sound") == 0) {
            ok = Parse_Int(value, 0, 1, &settings.Sound);
        } else if (ok && std::strcmp(option, "--level") == 0) {
            ok = Parse_Int(value, 0, Mode_Count - 1, &settings.Level);
        } else if (ok && std::strcmp(option, "--sides") == 0) {
            ok = Parse_Sides(value, settings.Side_Controller);
        } else if (ok && std::strcmp(option, "--setups") == 0) {
            ok = Parse_Int(value, 1, 1000000, &setups);
        } else if (ok && std::strcmp(option, "--log") == 0) {
            log_path = value;
        } else {
            ok = false;
        }
        if (!ok) {
            Usage();
            return 2;
        }
        ++i;
    }
    if (has_steps && has_seconds) {
        Usage();
        return 2;
    }

    // Opened before the folder changes, so a relative log path means the caller's folder.
    if (log_path != nullptr) {
        Engine_Log = Log_Open(log_path);
        if (Engine_Log == nullptr) {
            std::fprintf(stderr, "tindral-sim: cannot open log %s\n", log_path);
            return 1;
        }
    }
    if (!Enter_Program_Folder()) {
        std::fprintf(stderr, "tindral-sim: cannot enter the program folder\n");
        return 1;
    }

    Dummy_Texture_Source textures;
    Counting_Sound_Player sounds;
    Match_Context context;
    context.settings = &settings;
    context.textures = &textures;
    context.sound = &sounds;
    context.animate_meshes = animate_meshes;
    if (bench) {
        int status = Sim_Bench(context, has_steps ? run.steps : 20000, run.dt);
        if (Engine_Log != nullptr) Log_Close(Engine_Log);
        Engine_Log = nullptr;
        return status;
    }
    Match match;
    for (int i = 0; i < setups; ++i) Match_Setup(match, context);
    Sim_Run_Report report;
    if (run.steps != 0) report = Sim_Run(match, context, run);
    Print_Match(match);
    Sim_Print_Report(report, match, settings.Sound == 1 ? &sounds : nullptr);
    std::printf("\n}\n");

    if (Engine_Log != nullptr) Log_Close(Engine_Log);
    Engine_Log = nullptr;
    return 0;
}
