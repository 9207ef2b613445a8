// Drawing the menu screen (Menu_Screen_Step) and deciding its texts (Menu_Text_Lines).
#include <GL/gl.h>

#include "engine/window.h"
#include "frontend/high_scores.h"
#include "frontend/menu.h"

namespace {

constexpr int Texture_Font = 1;
constexpr int Texture_Footer_1 = 6;
constexpr int Texture_Footer_2 = 7;
constexpr int Texture_Continue = 9;
constexpr int Texture_Current_Level = 10;
constexpr int Texture_Exit = 11;
constexpr int Texture_New_Game = 12;
constexpr int Texture_Options = 13;
constexpr int Texture_Users = 14;
constexpr int Texture_Website = 15;
constexpr int Untextured = -1;

constexpr float Row_Height = 3.4f;
constexpr float Text_Size = 2.0f;

const float Whole_Texture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// A quad from (x0, y0) to (x1, y1), corners anticlockwise from the lower left.
void Quad(CTarvelWindow& window, int texture, const float (&colour)[3], float transparency,
          float x0, float y0, float x1, float y1, const float (&texcoords)[4][2] = Whole_Texture) {
    const float corners[4][3] = {{x0, y0, 0.0f}, {x1, y0, 0.0f}, {x1, y1, 0.0f}, {x0, y1, 0.0f}};
    window.Draw_Quad(texture, colour[0], colour[1], colour[2], transparency, corners, texcoords);
}

void Capture_Projection(Menu_Projection& projection) {
    glGetDoublev(GL_MODELVIEW_MATRIX, projection.model_view);
    glGetDoublev(GL_PROJECTION_MATRIX, projection.projection);
    glGetIntegerv(GL_VIEWPORT, projection.viewport);
}

void Blocks_Draw(CTarvelWindow& window, const Menu_Layout& layout, float t1) {
    static const float Grey[3] = {0.5f, 0.5f, 0.5f};
    static const float White[3] = {1.0f, 1.0f, 1.0f};
    const Menu_Point& l = layout.level;
    const Menu_Point& o = layout.options;
    const Menu_Point& u = layout.controllers;
    Quad(window, Untextured, Grey, 0.0f, l.x + 2.0f, l.y - 9.4f, l.x + 32.5f, l.y - 6.0f);
    Quad(window, Untextured, Grey, 0.0f, o.x + 2.0f, o.y - 16.2f, o.x + 26.0f, o.y - 6.0f);
    Quad(window, Untextured, Grey, 0.0f, u.x + 2.0f, u.y - 19.6f, u.x + 32.5f, u.y - 6.0f);

    Row_Lines_Draw(o.x + 2.0f, o.y - 6.0f, 3, Row_Height, 30.5f);
    Row_Lines_Draw(u.x + 2.0f, u.y - 6.0f, 4, Row_Height, 30.5f);

    const struct {
        const Menu_Point& anchor;
        int texture;
    } titles[] = {{l, Texture_Current_Level}, {o, Texture_Options}, {u, Texture_Users}};
    for (const auto& title : titles) {
        const float y = title.anchor.y - 5.8f;
        Quad(window, title.texture, White, 0.0f, title.anchor.x + 2.0f, y, title.anchor.x + 17.6f,
             y + t1);
    }
}

void Buttons_Draw(CTarvelWindow& window, const Menu_Layout& layout, bool can_continue, float t2) {
    static const float White[3] = {1.0f, 1.0f, 1.0f};
    static const float Colours[Menu_Button_Count][3] = {
        {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}};
    static const int Labels[Menu_Button_Count] = {Texture_New_Game, Texture_Continue,
                                                  Texture_Website, Texture_Exit};
    static const float Label_Width[Menu_Button_Count] = {19.3f, 19.3f, 19.4f, 19.4f};
    for (int i = 0; i < Menu_Button_Count; ++i) {
        const Menu_Button& b = layout.buttons[i];
        // Continue is greyed out while there is no suspended match to go back to.
        const bool live = i != BUTTON_CONTINUE || can_continue;
        Quad(window, Untextured, Colours[i], live ? 0.0f : 0.8f, b.X, b.Y + 0.25f, b.X + 0.2f,
             b.Fill_Y - 0.25f);
        if (live) Quad(window, Untextured, Colours[i], 0.5f, b.X, b.Y, b.Fill_X, b.Fill_Y);
        const Menu_Point& label = layout.labels[i];
        Quad(window, Labels[i], White, live ? 0.0f : 0.8f, label.x, label.y,
             label.x + Label_Width[i], label.y + t2);
    }
}

// The footer picture holds two strips: its lower half (upright) is the right-hand strip and
// its upper half, stored turned by half a turn, the left-hand one.
void Footer_Draw(CTarvelWindow& window, float aspect) {
    static const float White[3] = {1.0f, 1.0f, 1.0f};
    static const float Left_1[4][2] = {{1, 1}, {0.01f, 1}, {0.01f, 0.5f}, {1, 0.5f}};
    static const float Right_1[4][2] = {{0.01f, 0}, {1, 0}, {1, 0.5f}, {0.01f, 0.5f}};
    static const float Left_2[4][2] = {{1, 1}, {0.01f, 1}, {0.01f, 0.75f}, {1, 0.75f}};
    static const float Right_2[4][2] = {{0.01f, 0}, {1, 0}, {1, 0.25f}, {0.01f, 0.25f}};
    const float f = aspect * 19.65f;
    const float g = f * 0.26f;
    Quad(window, Texture_Footer_1, White, 0.0f, 0.3f, 0.3f, 50.0f, f, Left_1);
    Quad(window, Texture_Footer_1, White, 0.0f, 50.0f, 0.3f, 99.7f, f, Right_1);
    Quad(window, Texture_Footer_2, White, 0.0f, 0.3f, 0.3f, 40.1f, g, Left_2);
    Quad(window, Texture_Footer_2, White, 0.0f, 59.9f, 0.3f, 99.7f, g, Right_2);
}

void Live_View_Draw(Frontend_Context& context) {
    const int width = context.window.Width;
    const int height = context.window.Height;
    context.menu->live_view.Draw(context, static_cast<int>(0.145 * width),
                                 static_cast<int>(0.542 * height), static_cast<int>(0.276 * width),
                                 static_cast<int>(0.276 * height));
}

}  // namespace

void Row_Lines_Draw(float x, float y, int rows, float row_height, float width) {
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glBegin(GL_LINES);
    for (int i = 1; i < rows; ++i) {
        const float line_y = y - static_cast<float>(i) * row_height;
        glVertex3f(x, line_y, 0.0f);
        glVertex3f(x + width, line_y, 0.0f);
    }
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

void Menu_Text_Lines(const Frontend_Context& context, Text_Lines& lines) {
    if (context.menu == nullptr) return;
    const Menu_Layout& layout = context.menu->layout;
    const Game_Settings& settings = context.settings;
    const Menu_Point& l = layout.level;
    const Menu_Point& o = layout.options;
    const Menu_Point& u = layout.controllers;
    // White while the mouse is on the row, black otherwise.
    auto add = [&](int row, float x, float y, unsigned char right, const char* text) {
        const float c = Menu_Row_Hit(context, row) ? 1.0f : 0.0f;
        lines.Add(x, y, Text_Size, c, c, c, 0, right, "%s", text);
    };

    const char* level = settings.Level >= 0 && settings.Level < Mode_Count - 1
                            ? Mode_Name(settings.Level)
                            : Mode_Name(Mode_Count - 1);
    lines.Add(l.x + 17.25f, l.y - 8.0f, Text_Size, 0.0f, 0.0f, 0.0f, 1, 0, "%s", level);
    add(ROW_LEVEL_DOWN, l.x + 3.7f, l.y - 8.0f, 0, "<  <  <");
    add(ROW_LEVEL_UP, l.x + 26.2f, l.y - 8.0f, 0, ">  >  >");

    const struct {
        const char* label;
        const char* value;
    } options[3] = {
        {"Sound", settings.Sound == 1 ? "On" : "Off"},
        {"Camera View", settings.CameraView != 0 ? "Side" : "Top"},
        {"Upload High Scores", settings.UploadHighScores == 1 ? "On" : "Off"},
    };
    for (int k = 0; k < 3; ++k) {
        const float y = o.y - 8.0f - Row_Height * static_cast<float>(k);
        add(ROW_SOUND + k, o.x + 2.8f, y, 0, options[k].label);
        add(ROW_SOUND + k, o.x + 21.8f, y, 0, options[k].value);
    }

    for (int side = 0; side < Side_Count; ++side) {
        const float y = u.y - 8.0f - Row_Height * static_cast<float>(side);
        add(ROW_TOP + side, u.x + 3.0f, y, 0, Side_Name(side));
        add(ROW_TOP + side, u.x + 31.8f, y, 1, Controller_Name(context, side).c_str());
    }
}

void Menu_Screen_Step(Frontend_Context& context) {
    if (context.menu == nullptr) return;
    CTarvelWindow& window = context.window;
    Menu_State& menu = *context.menu;
    const float aspect = static_cast<float>(window.Width) / static_cast<float>(window.Height);

    window.Mode_2D(Texture_Font);
    Capture_Projection(menu.projection);
    Blocks_Draw(window, menu.layout, aspect * 1.8f);
    Buttons_Draw(window, menu.layout, context.match.phase == PHASE_SUSPENDED, aspect * 2.4f);
    Footer_Draw(window, aspect);

    // Draw_Quad leaves blending off; entering the 2-D mode again binds the font with
    // blending on for the text.
    window.Mode_3D();
    window.Mode_2D(Texture_Font);
    Text_Lines lines;
    Menu_Text_Lines(context, lines);
    Text_Lines_Draw(window, lines);

    High_Score_Tables_Draw(context, 0);  // leaves the 2-D mode
    Live_View_Draw(context);
}
