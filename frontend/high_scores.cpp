#include "frontend/high_scores.h"

#include <algorithm>
#include <cstdio>

#include "engine/window.h"

namespace {

constexpr int Places = 5;
constexpr int Slots = 6;
constexpr int Empty_Spheres = 10000;

struct Entry {
    bool is_new;
    char name[19];
    float time;
    int spheres;
};

// Truncation towards zero that stays defined for any float.
int Truncate(float value) {
    if (!(value > -2147483648.0f)) return value != value ? 0 : -2147483647 - 1;
    if (!(value < 2147483648.0f)) return 2147483647;
    return static_cast<int>(value);
}

void Copy_Name(char (&to)[19], const char* from) {
    std::snprintf(to, sizeof to, "%.15s", from != nullptr ? from : "");
}

template <typename Before>
void Insert(High_Score_Table& table, const char* name, float spheres, float best_time,
            Before before) {
    Entry entries[Slots];
    for (int i = 0; i < Slots; ++i) {
        entries[i].is_new = table.Is_New[i];
        Copy_Name(entries[i].name, table.Name[i]);
        entries[i].time = table.Time[i];
        entries[i].spheres = table.Spheres[i];
    }
    Entry& run = entries[Slots - 1];
    run.is_new = true;
    Copy_Name(run.name, name);
    run.time = best_time;
    run.spheres = Truncate(spheres);
    std::stable_sort(entries, entries + Slots, before);
    for (int i = 0; i < Slots; ++i) {
        table.Is_New[i] = entries[i].is_new;
        Copy_Name(table.Name[i], entries[i].name);
        table.Time[i] = entries[i].time;
        table.Spheres[i] = entries[i].spheres;
    }
}

const float Orange[3] = {0.8863f, 0.1098f, 0.0f};
const float Green[3] = {0.0706f, 0.8431f, 0.0039f};
const float White[3] = {1.0f, 1.0f, 1.0f};
constexpr float Size = 1.5f;
const char Rule[] = "--------------------------------------------------";  // 50

void Add(Text_Lines& lines, float x, float y, const float (&colour)[3], unsigned char right,
         const char* text) {
    lines.Add(x, y, Size, colour[0], colour[1], colour[2], 0, right, "%s", text);
}

// Column positions of one table, relative to the origin's x.
struct Columns {
    float first;   // right end of the first column (the table's own key)
    float second;  // right end of the second column
    float name;    // left end of the names
    float empty;   // left end of "No high scores available"
    float rule;    // left end of the line under the headings
    bool spheres_first;
};

void Table_Lines(const High_Score_Table& table, const Columns& c, float x0, float y0,
                 int end_screen, Text_Lines& lines) {
    const char* first_head[2] = {"Spheres", "allowed"};
    const char* second_head[2] = {"Seconds in", "between"};
    if (!c.spheres_first) std::swap(first_head, second_head);
    for (int k = 0; k < 2; ++k) {
        float y = k == 0 ? y0 + 6.3f : y0 + 4.3f;
        Add(lines, x0 + c.first, y, Orange, 1, first_head[k]);
        Add(lines, x0 + c.second, y, White, 1, second_head[k]);
    }
    Add(lines, x0 + c.rule, y0 + 2.3f, White, 0, Rule);

    for (int i = 0; i < Places; ++i) {
        const float y = y0 - 2.5f * static_cast<float>(i);
        const bool green = end_screen == 1 && table.Is_New[i];
        if (!green && High_Score_Empty(table, i)) {
            if (i == 0) Add(lines, x0 + c.empty, y, White, 0, "No high scores available");
            continue;
        }
        char spheres[16];
        char time[64];
        std::snprintf(spheres, sizeof spheres, "%i", table.Spheres[i]);
        std::snprintf(time, sizeof time, "%.2f", static_cast<double>(table.Time[i]));
        const char* first = c.spheres_first ? spheres : time;
        const char* second = c.spheres_first ? time : spheres;
        Add(lines, x0 + c.first, y, green ? Green : Orange, 1, first);
        Add(lines, x0 + c.second, y, green ? Green : White, 1, second);
        char name[19];
        Copy_Name(name, table.Name[i]);  // bounded even if a slot lost its terminator
        Add(lines, x0 + c.name, y, green ? Green : White, 0, name);
    }
}

}  // namespace

bool High_Score_Empty(const High_Score_Table& table, int slot) {
    return table.Spheres[slot] >= Empty_Spheres && table.Time[slot] <= 0.0f;
}

bool Top_Five_Check(const High_Score_Table& a, const High_Score_Table& b, float spheres,
                    float best_time) {
    const int last = Places - 1;
    const float a_spheres = static_cast<float>(a.Spheres[last]);
    const float b_spheres = static_cast<float>(b.Spheres[last]);
    return a_spheres > spheres || b.Time[last] < best_time ||
           (a_spheres == spheres && a.Time[last] < best_time) ||
           (b.Time[last] == best_time && b_spheres > spheres);
}

void Table_A_Insert(High_Score_Table& table, const char* name, float spheres, float best_time) {
    Insert(table, name, spheres, best_time, [](const Entry& x, const Entry& y) {
        if (x.spheres != y.spheres) return x.spheres < y.spheres;
        return x.time > y.time;
    });
}

void Table_B_Insert(High_Score_Table& table, const char* name, float spheres, float best_time) {
    Insert(table, name, spheres, best_time, [](const Entry& x, const Entry& y) {
        if (x.time != y.time) return x.time > y.time;
        return x.spheres < y.spheres;
    });
}

void High_Score_Table_Lines(const High_Score_Table& a, const High_Score_Table& b, int end_screen,
                            Text_Lines& lines) {
    const float x0 = 10.0f;
    const float y0 = end_screen == 1 ? 55.0f : 37.5f;
    Table_Lines(a, Columns{15.0f, 23.5f, 26.5f, 15.0f, 9.5f, true}, x0, y0, end_screen, lines);
    Table_Lines(b, Columns{50.75f, 58.0f, 61.0f, 49.5f, 44.0f, false}, x0, y0, end_screen, lines);
}

void High_Score_Tables_Draw(Frontend_Context& context, int end_screen) {
    Text_Lines lines;
    High_Score_Table_Lines(context.table_a, context.table_b, end_screen, lines);
    context.window.Mode_2D(1);
    Text_Lines_Draw(context.window, lines);
    context.window.Mode_3D();
}
