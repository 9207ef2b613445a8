#include "frontend/match_screen.h"

#include <GL/gl.h>

#include <algorithm>

#include "engine/window.h"
#include "frontend/match_overlay.h"
#include "frontend/model_gl.h"
#include "frontend/text_lines.h"
#include "frontend/wall_numbers.h"

namespace {

constexpr float Fade_Distance = 250.0f;
constexpr int Texture_Digits = 0;  // "font_old.png"
constexpr int Texture_Font = 1;    // "font_new.png"
constexpr int Texture_Arrow = 2;   // "arrow.png"

const float Sphere_Colours[Max_Spheres][3] = {
    {0.0f, 0.16862746f, 0.78431374f},
    {0.9098039f, 0.0f, 0.07058824f},
    {1.0f, 1.0f, 1.0f},
    {1.0f, 1.0f, 0.21568628f},
};

// The wall numbers have a colour of their own rather than whatever the drawing before
// them left current (which varies with the last paddle's fade): a warm white that reads on
// the dark goal nets in every mode.
const float Wall_Number_Colour[3] = {1.0f, 0.92f, 0.55f};

void Camera_Apply(const Camera& camera) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(camera.position[0], camera.position[1], camera.position[2]);
    glRotatef(camera.rotation[0], 1.0f, 0.0f, 0.0f);
    glRotatef(camera.rotation[2], 0.0f, 0.0f, 1.0f);
}

void Launch_Arrows_Draw(CTarvelWindow& window, const Match& match) {
    static const float Texcoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const float k = match.sphere_count == 1 ? 0.275f : 0.175f;
    const float half = 125.0f * k;
    const float length = 250.0f * k;
    const float corners[4][3] = {
        {-half, 0.0f, 1.0f}, {half, 0.0f, 1.0f}, {half, length, 1.0f}, {-half, length, 1.0f}};
    for (int i = 0; i < match.sphere_count && i < Max_Spheres; ++i) {
        const Sphere& sphere = match.spheres[i];
        if (!sphere.parked) continue;
        // Fully opaque until the last second before the launch, then fading out.
        const float opacity = std::clamp(sphere.launch_timer, 0.0f, 1.0f);
        const Vector& at = sphere.model.position;
        glPushMatrix();
        glTranslatef(at.x, at.y, 0.0f);
        glRotatef(Heading_Degrees(Vector(), sphere.model.velocity), 0.0f, 0.0f, 1.0f);
        window.Draw_Quad(Texture_Arrow, 0.4f, 0.4f, 0.4f, 1.0f - opacity, corners, Texcoords);
        glPopMatrix();
    }
}

void Wall_Numbers_Draw(CTarvelWindow& window, const Match& match) {
    Wall_Digit_Quad quads[Wall_Number_Max_Digits];
    for (int side = 0; side < Side_Count; ++side) {
        if (match.sides[side].closed) continue;
        for (int face = 0; face < 2; ++face) {
            const int count = Wall_Number_Layout(side, match.sides[side].score, face == 0, quads);
            for (int i = 0; i < count; ++i) {
                window.Draw_Quad(Texture_Digits, Wall_Number_Colour[0], Wall_Number_Colour[1],
                                 Wall_Number_Colour[2], 0.0f, quads[i].corners, quads[i].texcoords);
            }
        }
    }
}

}  // namespace

void Model_Distance_Fade(CTarvelModel& model, Vector centre, float red, float green, float blue) {
    for (Model_Point& point : model.points) {
        const float d = std::min(Distance(centre, point.position), Fade_Distance);
        const float f = 1.0f - d / Fade_Distance;
        point.r = red * f;
        point.g = green * f;
        point.b = blue * f;
    }
}

void Match_Screen_Draw(Frontend_Context& context) {
    CTarvelWindow& window = context.window;
    Match& match = context.match;
    Camera_Set_Targets(context.camera, context.settings.CameraView);
    Camera_Step(context.camera, context.elapsed);
    Camera_Apply(context.camera);

    // In "High Score" the light pools in front of the player's goal.
    const Vector centre =
        match.mode_family == FAMILY_HIGH_SCORE ? Vector_Set(0.0f, -150.0f, 0.0f) : Vector();
    Model_GL_Target target(window);
    // The arena itself is unlit: its colour is the distance fade alone.
    glDisable(GL_LIGHTING);
    Model_Distance_Fade(match.ground, centre, 1.0f, 1.0f, 1.0f);
    match.ground.Draw(target, -1, -1, true);
    Model_Distance_Fade(match.wall, centre, 1.0f, 1.0f, 1.0f);
    match.wall.Draw(target, -1, -1, true);

    glDisable(GL_DEPTH_TEST);
    Launch_Arrows_Draw(window, match);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    for (int i = 0; i < match.sphere_count && i < Max_Spheres; ++i) {
        const float* colour = Sphere_Colours[i];
        Model_Distance_Fade(match.spheres[i].model, centre, colour[0], colour[1], colour[2]);
        match.spheres[i].model.Draw(target, -1, -1, true);
    }
    for (Side& side : match.sides) {
        if (side.closed) continue;
        Model_Distance_Fade(side.paddle, centre, 1.0f, 1.0f, 1.0f);
        side.paddle.Draw(target, -1, -1, true);
    }
    glDisable(GL_LIGHTING);

    Camera_Apply(context.camera);
    Wall_Numbers_Draw(window, match);

    window.Mode_2D(Texture_Font);
    Text_Lines lines;
    Match_Overlay(context, lines);
    Text_Lines_Draw(window, lines);
    window.Mode_3D();
}
