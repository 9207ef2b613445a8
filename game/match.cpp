#include "game/match.h"

namespace {

struct Sphere_Start {
    Vector position;
    float heading;
};

const Sphere_Start Timed_Starts[3] = {
    {{-40.0f, -40.0f, 10.0f}, 145.0f},
    {{0.0f, 0.0f, 10.0f}, 45.0f},
    {{40.0f, 40.0f, 10.0f}, 315.0f},
};
const Sphere_Start Countdown_Starts[1] = {
    {{0.0f, 0.0f, 10.0f}, 0.0f},
};
const Sphere_Start High_Score_Starts[4] = {
    {{-50.0f, 50.0f, 10.0f}, 225.0f},
    {{50.0f, 50.0f, 10.0f}, 135.0f},
    {{50.0f, -50.0f, 10.0f}, 45.0f},
    {{-50.0f, -50.0f, 10.0f}, 315.0f},
};

const Vector Paddle_Starts[Side_Count] = {
    {0.0f, 130.0f, 0.0f},   // Top
    {0.0f, -130.0f, 0.0f},  // Bottom
    {-130.0f, 0.0f, 0.0f},  // Left
    {130.0f, 0.0f, 0.0f},   // Right
};

const char* const Mode_Names[Mode_Count] = {
    "Timed (3 min)",   "Timed (6 min)",   "Timed (9 min)", "Countdown (300)",
    "Countdown (600)", "Countdown (900)", "High Score",
};

const char* const Side_Names[Side_Count] = {"Top", "Bottom", "Left", "Right"};

// The start table of a family, with its length (the family's sphere count).
const Sphere_Start* Starts_Of(int family, int* count) {
    if (family == FAMILY_COUNTDOWN) {
        *count = 1;
        return Countdown_Starts;
    }
    if (family == FAMILY_HIGH_SCORE) {
        *count = 4;
        return High_Score_Starts;
    }
    *count = 3;
    return Timed_Starts;
}

float Sphere_Speed_Of(int family) {
    if (family == FAMILY_COUNTDOWN) return 400.0f;
    if (family == FAMILY_HIGH_SCORE) return 300.0f;
    return 200.0f;
}

void Clear_New_Marks(High_Score_Table* table) {
    if (table == nullptr) return;
    for (bool& mark : table->Is_New) mark = false;
}

}  // namespace

int Mode_Family_Of(int mode) {
    if (mode >= 6) return FAMILY_HIGH_SCORE;
    if (mode >= 3) return FAMILY_COUNTDOWN;
    return FAMILY_TIMED;
}

const char* Mode_Name(int mode) {
    return mode >= 0 && mode < Mode_Count ? Mode_Names[mode] : "";
}

const char* Side_Name(int side) {
    return side >= 0 && side < Side_Count ? Side_Names[side] : "";
}

Vector Sphere_Start_Position(int family, int index) {
    int count = 0;
    const Sphere_Start* starts = Starts_Of(family, &count);
    return index >= 0 && index < count ? starts[index].position : Vector();
}

float Sphere_Start_Heading(int family, int index) {
    int count = 0;
    const Sphere_Start* starts = Starts_Of(family, &count);
    return index >= 0 && index < count ? starts[index].heading : 0.0f;
}

Vector Paddle_Start_Position(int side) {
    return side >= 0 && side < Side_Count ? Paddle_Starts[side] : Vector();
}

void Sphere_Reset(Match& match, int index, const Match_Context& context) {
    if (index < 0 || index >= Max_Spheres) return;
    Sphere& sphere = match.spheres[index];
    sphere.model.File_Load("sphere.dat", context.textures);
    sphere.model.radius = Sphere_Radius;
    sphere.parked = true;
    sphere.launch_timer = Launch_Delay;
    match.sphere_speed = Sphere_Speed_Of(match.mode_family);
    // The model is read in model space: baking the start position puts its points in
    // the arena. The velocity keeps the heading it had.
    Vector start = Sphere_Start_Position(match.mode_family, index);
    sphere.model.Move(start, true);
    sphere.model.position = start;
    // From here on the mesh is only drawn: the physics moves and rolls it every step, the
    // drawing settles it once a frame.
    sphere.model.Defer_Pose();
}

void Match_Setup(Match& match, const Match_Context& context) {
    const Game_Settings defaults;
    const Game_Settings& settings = context.settings != nullptr ? *context.settings : defaults;

    Clear_New_Marks(context.table_a);
    Clear_New_Marks(context.table_b);

    // The settings file clamps Level to 0..6; a stray value is kept in range here too.
    int mode = settings.Level;
    if (mode < 0) mode = 0;
    if (mode >= Mode_Count) mode = Mode_Count - 1;
    match.mode = mode;
    match.mode_family = Mode_Family_Of(mode);
    int starts = 0;
    Starts_Of(match.mode_family, &starts);
    match.sphere_count = starts;
    for (int i = 0; i < starts; ++i) {
        Vector_From_Polar(match.spheres[i].model.velocity, 1.0f, 0.0f,
                          Sphere_Start_Heading(match.mode_family, i));
    }
    // Countdown leaves the clock as the previous match left it: nothing reads it there.
    if (match.mode_family == FAMILY_TIMED)
        match.match_clock = 180.0f * static_cast<float>(mode + 1);
    if (match.mode_family == FAMILY_HIGH_SCORE) match.match_clock = 150.0f;
    match.last_goal_side = -1;
    match.end = Match_End{};
    match.escapes = 0;

    match.ground.File_Load("ground.dat", context.textures);
    match.wall.File_Load("wall.dat", context.textures);

    for (int i = 0; i < match.sphere_count; ++i) Sphere_Reset(match, i, context);

    for (int s = 0; s < Side_Count; ++s) {
        Side& side = match.sides[s];
        Controller& controller = match.controllers[s];
        side.paddle.File_Load("paddle.dat", context.textures);
        controller.type = settings.Side_Controller[s];
        if (s == SIDE_LEFT || s == SIDE_RIGHT) side.paddle.Rotate_Z(90.0f);
        Controller_Set_Match_Keys(controller);
    }
    for (int s = 0; s < Side_Count; ++s) {
        CTarvelModel& paddle = match.sides[s].paddle;
        // The steering vector points at 90 degrees: the paddle stands still.
        Vector_Rescale_Polar(paddle.velocity, 0.0f, 90.0f);
        Vector start = Paddle_Start_Position(s);
        paddle.Move(start, true);
        paddle.position = start;
    }
    if (match.mode_family == FAMILY_HIGH_SCORE) {
        // One player on the Bottom side, whatever the other sides are set to.
        match.controllers[SIDE_TOP].type = CONTROLLER_NONE;
        match.controllers[SIDE_LEFT].type = CONTROLLER_NONE;
        match.controllers[SIDE_RIGHT].type = CONTROLLER_NONE;
        Controller_Set_Match_Keys(match.controllers[SIDE_BOTTOM]);
    }
    for (int s = 0; s < Side_Count; ++s) {
        Side& side = match.sides[s];
        side.score = match.mode_family == FAMILY_COUNTDOWN
                         ? static_cast<float>((mode - 3) * 300 + 300)
                         : 0.0f;
        side.closed = match.controllers[s].type == CONTROLLER_NONE;
        if (side.closed) side.score = 0.0f;
        side.open_time = 0.0f;
        side.best_time = 0.0f;
    }

    if (context.restart_timer) context.restart_timer();
    match.phase = PHASE_NEW;
}
