#include "frontend/match_overlay.h"

#include <cstdio>

#include "engine/window.h"
#include "frontend/high_scores.h"
#include "frontend/match_keys.h"
#include "game/match_rules.h"
#include "platform/platform.h"

namespace {

constexpr float Prompt_Size = 2.5f;

void Add_White(Text_Lines& lines, float x, float y, float size, unsigned char centre,
               const char* text) {
    lines.Add(x, y, size, 1.0f, 1.0f, 1.0f, centre, 0, "%s", text);
}

int Local_Seconds(const Frontend_Context& context) {
    if (context.local_seconds) return context.local_seconds();
    std::tm local;
    return Platform_Local_Time(&local) ? local.tm_sec : -1;
}

// The ranking list; `line_text` gives the text after the number for a side and whether
// it is the first line shown.
template <typename Line_Text>
void Ranking_Lines(const Match& match, const int (&ranking)[Side_Count], Line_Text line_text,
                   Text_Lines& lines) {
    Ranking_Line layout[Side_Count];
    const int count = Ranking_Layout(match, ranking, layout);
    for (int i = 0; i < count; ++i) {
        char text[Text_Max_Length + 1];
        line_text(layout[i].side, i == 0, text, sizeof text);
        lines.Add(30.5f, layout[i].y, Prompt_Size, 1.0f, 1.0f, 1.0f, 0, 0, "%i.", layout[i].number);
        Add_White(lines, 34.5f, layout[i].y, Prompt_Size, 0, text);
    }
    Add_White(lines, 50.0f, 45.0f, Prompt_Size, 1, "Press <escape> for main menu");
}

void Timed_End(const Frontend_Context& context, Text_Lines& lines) {
    const Match& match = context.match;
    if (match.end.state == END_SUDDEN_DEATH) {
        Add_White(lines, 3.0f, 95.0f, Prompt_Size, 0, "Don't let the next one in ...");
        return;
    }
    if (match.end.state != END_RANKED) return;
    Ranking_Lines(
        match, match.end.ranking,
        [&match](int side, bool, char* text, size_t size) {
            std::snprintf(text, size, "%s player [%.0f]", Side_Name(side),
                          static_cast<double>(match.sides[side].score));
        },
        lines);
}

void Countdown_End(const Frontend_Context& context, Text_Lines& lines) {
    const Match& match = context.match;
    if (match.end.state != END_RANKED) return;
    Ranking_Lines(
        match, match.end.ranking,
        [&match](int side, bool first, char* text, size_t size) {
            if (first) {
                std::snprintf(text, size, "%s player won", Side_Name(side));
            } else {
                std::snprintf(text, size, "%s player [%.1f seconds]", Side_Name(side),
                              static_cast<double>(match.sides[side].open_time));
            }
        },
        lines);
}

void High_Score_End(const Frontend_Context& context, Text_Lines& lines) {
    const Match& match = context.match;
    if (match.end.state != END_RUN_OVER) return;
    const float spheres = match.sides[SIDE_BOTTOM].score;
    const float best_time = match.sides[SIDE_BOTTOM].best_time;

    Add_White(lines, 50.0f, 35.0f, Prompt_Size, 1, "Press <enter> to continue");
    if (Top_Five_Check(context.table_a, context.table_b, spheres, best_time)) {
        Add_White(lines, 30.0f, 75.0f, Prompt_Size, 0, "You got into the top 5");
        const int seconds = Local_Seconds(context);
        const bool cursor = seconds >= 0 && seconds % 2 == 0;
        lines.Add(35.0f, 70.0f, Prompt_Size, 1.0f, 1.0f, 1.0f, 0, 0,
                  cursor ? "Name: %s-" : "Name: %s", context.player_name.c_str());
    } else {
        Add_White(lines, 50.0f, 75.0f, Prompt_Size, 1, "You did not get into the top 5");
    }

    if (context.fade_to == SCREEN_MENU) {
        // Already leaving: the run is in the tables.
        High_Score_Table_Lines(context.table_a, context.table_b, 1, lines);
        return;
    }
    // The run shown in place, with the name as typed so far, without changing the tables.
    High_Score_Table a = context.table_a;
    High_Score_Table b = context.table_b;
    const char* name = context.player_name.c_str();
    Table_A_Insert(a, name, spheres, best_time);
    Table_B_Insert(b, name, spheres, best_time);
    High_Score_Table_Lines(a, b, 1, lines);
}

}  // namespace

bool Clock_Text(int mode_family, float match_clock, char (&text)[32]) {
    text[0] = '\0';
    if (mode_family == FAMILY_COUNTDOWN || !(match_clock > 0.0f)) return false;
    int minutes = 0;
    float rest = match_clock;
    while (rest >= 60.0f) {
        rest -= 60.0f;
        ++minutes;
    }
    const int seconds = static_cast<int>(rest);
    const int tenths = static_cast<int>((rest - static_cast<float>(seconds)) * 10.0f);
    std::snprintf(text, sizeof text, "%i:%.2i.%i", minutes, seconds, tenths);
    return true;
}

int Ranking_Layout(const Match& match, const int (&ranking)[Side_Count],
                   Ranking_Line (&lines)[Side_Count]) {
    int count = 0;
    float y = 70.0f;
    for (int i = 0; i < Side_Count; ++i) {
        const int side = ranking[i];
        if (side < 0 || side >= Side_Count) continue;
        if (match.controllers[side].type == CONTROLLER_NONE) continue;
        lines[count++] = Ranking_Line{side, 15 - static_cast<int>(y / 5.0f), y};
        y -= 5.0f;
    }
    return count;
}

void Match_Overlay(const Frontend_Context& context, Text_Lines& lines) {
    const Match& match = context.match;
    char clock[32];
    if (Clock_Text(match.mode_family, match.match_clock, clock)) {
        Add_White(lines, 3.0f, 95.0f, 4.0f, 0, clock);
        if (match.mode_family == FAMILY_HIGH_SCORE) {
            const Side& player = match.sides[SIDE_BOTTOM];
            lines.Add(79.0f, 96.6f, 1.5f, 1.0f, 1.0f, 1.0f, 0, 0, "Seconds since last goal: %.2f",
                      static_cast<double>(player.open_time));
            lines.Add(79.35f, 94.1f, 1.5f, 1.0f, 1.0f, 1.0f, 0, 0, "Most time with no goal: %.2f",
                      static_cast<double>(player.best_time));
        }
    }
    switch (match.mode_family) {
        case FAMILY_TIMED:
            Timed_End(context, lines);
            break;
        case FAMILY_COUNTDOWN:
            Countdown_End(context, lines);
            break;
        case FAMILY_HIGH_SCORE:
            High_Score_End(context, lines);
            break;
        default:
            break;
    }
}
