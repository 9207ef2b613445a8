// The high-score tables: the top-five check, both inserts' orders and what the tables show.
#include "frontend/high_scores.h"
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Row {
    const char* name;
    int spheres;
    float time;
};

High_Score_Table Table_Of(std::initializer_list<Row> rows) {
    High_Score_Table table;
    High_Score_Table_Reset(table);
    int i = 0;
    for (const Row& row : rows) {
        std::snprintf(table.Name[i], sizeof table.Name[i], "%s", row.name);
        table.Spheres[i] = row.spheres;
        table.Time[i] = row.time;
        ++i;
    }
    return table;
}

std::string Names(const High_Score_Table& table) {
    std::string names;
    for (int i = 0; i < 5; ++i) names += std::string(table.Name[i]) + (i < 4 ? "," : "");
    return names;
}

TEST(TopFiveCheck, EachConditionAndTheTie) {
    // Fifth entries: A (5 spheres, 30 s), B (50 s, 8 spheres).
    const High_Score_Table a =
        Table_Of({{"a", 1, 1}, {"b", 2, 1}, {"c", 3, 1}, {"d", 4, 1}, {"e", 5, 30}});
    const High_Score_Table b =
        Table_Of({{"a", 1, 90}, {"b", 1, 80}, {"c", 1, 70}, {"d", 1, 60}, {"e", 8, 50}});
    struct Case {
        const char* what;
        float spheres;
        float time;
        bool enters;
    } cases[] = {
        {"fewer spheres than A5", 4, 10, true},
        {"longer time than B5", 9, 60, true},
        {"A5's spheres and a longer time than A5", 5, 31, true},
        {"B5's time and fewer spheres than B5", 6, 50, true},
        {"A5's spheres and its time, shorter than B5", 5, 30, false},
        {"worse in every way", 6, 49, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Top_Five_Check(a, b, c.spheres, c.time), c.enters);
    }
}

TEST(TopFiveCheck, EqualToBothFifthEntriesDoesNotEnter) {
    const High_Score_Table a =
        Table_Of({{"a", 1, 9}, {"b", 2, 9}, {"c", 3, 9}, {"d", 4, 9}, {"e", 5, 30}});
    const High_Score_Table b =
        Table_Of({{"a", 1, 90}, {"b", 1, 80}, {"c", 1, 70}, {"d", 1, 60}, {"e", 5, 30}});
    EXPECT_FALSE(Top_Five_Check(a, b, 5.0f, 30.0f));
    EXPECT_TRUE(Top_Five_Check(a, b, 5.0f, 30.01f));
}

TEST(TopFiveCheck, EmptyTablesTakeAnyRun) {
    High_Score_Table a, b;
    High_Score_Table_Reset(a);
    High_Score_Table_Reset(b);
    EXPECT_TRUE(Top_Five_Check(a, b, 3.0f, 40.5f));
}

TEST(TableInsert, TableAFewerSpheresThenLongerTime) {
    High_Score_Table a = Table_Of({{"Al", 2, 10}, {"Bo", 3, 50}, {"Cy", 3, 20}, {"Di", 5, 5}});
    Table_A_Insert(a, "Ed", 3.9f, 30.0f);  // spheres truncate to 3
    EXPECT_EQ(Names(a), "Al,Bo,Ed,Cy,Di");
    EXPECT_TRUE(a.Is_New[2]);
    EXPECT_FALSE(a.Is_New[1] || a.Is_New[3] || a.Is_New[4]);
    EXPECT_EQ(a.Spheres[2], 3);
    EXPECT_EQ(a.Time[2], 30.0f);
    EXPECT_STREQ(a.Name[5], "-----");  // the empty place dropped out of the table
}

TEST(TableInsert, TableBLongerTimeThenFewerSpheres) {
    High_Score_Table b = Table_Of({{"Al", 9, 60}, {"Bo", 2, 40}, {"Cy", 5, 40}, {"Di", 1, 10}});
    Table_B_Insert(b, "Ed", 3.0f, 40.0f);
    EXPECT_EQ(Names(b), "Al,Bo,Ed,Cy,Di");
    EXPECT_TRUE(b.Is_New[2]);
}

TEST(TableInsert, ARunThatDoesNotEnterLeavesTheTable) {
    const High_Score_Table full =
        Table_Of({{"a", 1, 90}, {"b", 2, 80}, {"c", 3, 70}, {"d", 4, 60}, {"e", 5, 30}});
    High_Score_Table a = full;
    Table_A_Insert(a, "tie", 5.0f, 30.0f);  // equal to the fifth: ranks below it
    EXPECT_EQ(Names(a), "a,b,c,d,e");
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(a.Is_New[i]);
    High_Score_Table b = full;
    Table_B_Insert(b, "slow", 0.0f, 29.0f);
    EXPECT_EQ(Names(b), "a,b,c,d,e");
}

TEST(TableInsert, NameKeepsFifteenCharacters) {
    High_Score_Table a;
    High_Score_Table_Reset(a);
    Table_A_Insert(a, "abcdefghijklmnopqrstuvwxyz", 1.0f, 2.0f);
    EXPECT_STREQ(a.Name[0], "abcdefghijklmno");
}

// ---- What the tables show ------------------------------------------------------------

bool Is_Green(const Text_Line& line) {
    return line.red < 0.1f && line.green > 0.8f && line.blue < 0.01f;
}

TEST(HighScoreTableLines, EmptyTablesSayNoHighScores) {
    High_Score_Table a, b;
    High_Score_Table_Reset(a);
    High_Score_Table_Reset(b);
    Text_Lines lines;
    High_Score_Table_Lines(a, b, 0, lines);
    int found = 0;
    for (const Text_Line& line : lines.lines) {
        if (line.text != "No high scores available") continue;
        ++found;
        EXPECT_EQ(line.y, 37.5f);  // the first row, menu form
        EXPECT_TRUE(line.x == 25.0f || line.x == 59.5f) << line.x;
    }
    EXPECT_EQ(found, 2);
    EXPECT_EQ(lines.Find("-----"), nullptr);  // empty rows show nothing
}

TEST(HighScoreTableLines, NewEntryIsGreenOnlyOnTheEndScreen) {
    High_Score_Table a = Table_Of({{"Al", 2, 10}});
    High_Score_Table b = Table_Of({{"Al", 2, 10}});
    Table_A_Insert(a, "Ann", 3.0f, 40.5f);
    Table_B_Insert(b, "Ann", 3.0f, 40.5f);

    Text_Lines end;
    High_Score_Table_Lines(a, b, 1, end);
    int green = 0;
    for (const Text_Line& line : end.lines) {
        if (!Is_Green(line)) continue;
        ++green;
        EXPECT_TRUE(line.text == "Ann" || line.text == "3" || line.text == "40.50") << line.text;
    }
    EXPECT_EQ(green, 6);  // spheres, time and name in both tables
    // Table A: Al (2 spheres) first, Ann second; table B: Ann (40.5 s) first.
    const Text_Line* al_a = nullptr;
    for (const Text_Line& line : end.lines) {
        if (line.text == "Ann" && line.x == 36.5f) {
            EXPECT_EQ(line.y, 52.5f);
        }
        if (line.text == "Ann" && line.x == 71.0f) {
            EXPECT_EQ(line.y, 55.0f);
        }
        if (line.text == "Al" && line.x == 36.5f) al_a = &line;
    }
    ASSERT_NE(al_a, nullptr);
    EXPECT_EQ(al_a->y, 55.0f);

    Text_Lines menu;
    High_Score_Table_Lines(a, b, 0, menu);
    for (const Text_Line& line : menu.lines) EXPECT_FALSE(Is_Green(line)) << line.text;
    ASSERT_NE(menu.Find("Ann"), nullptr);
    EXPECT_EQ(menu.Find("Ann")->y, 35.0f);  // row 2 of table A, menu origin 37.5
}

TEST(HighScoreTableLines, HeadingsAndColumns) {
    High_Score_Table a = Table_Of({{"Al", 2, 10.25f}});
    High_Score_Table b = Table_Of({{"Al", 2, 10.25f}});
    Text_Lines lines;
    High_Score_Table_Lines(a, b, 0, lines);
    const std::string rule(50, '-');
    struct Expect {
        const char* text;
        float x;
        unsigned char right;
        bool orange;
    } expected[] = {
        {"Spheres", 25.0f, 1, true}, {"Seconds in", 33.5f, 1, false},
        {"2", 25.0f, 1, true},       {"10.25", 33.5f, 1, false},
        {"Al", 36.5f, 0, false},     {rule.c_str(), 19.5f, 0, false},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.text);
        const Text_Line* line = lines.Find(e.text);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->x, e.x);
        EXPECT_EQ(line->right_align, e.right);
        EXPECT_EQ(line->size, 1.5f);
        EXPECT_EQ(line->red == 0.8863f && line->green == 0.1098f, e.orange);
    }
    // Table B's own columns: its time first (orange), spheres second, name after.
    int b_columns = 0;
    for (const Text_Line& line : lines.lines) {
        if (line.text == "10.25" && line.x == 60.75f && line.red == 0.8863f) ++b_columns;
        if (line.text == "2" && line.x == 68.0f && line.red == 1.0f) ++b_columns;
        if (line.text == "Al" && line.x == 71.0f) ++b_columns;
    }
    EXPECT_EQ(b_columns, 3);
}

}  // namespace
