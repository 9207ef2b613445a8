// The lines a screen wants drawn, recorded before any drawing. The match overlay and the
// high-score tables decide what they show here, without OpenGL, so that what a player
// would read can be checked line by line; Text_Lines_Draw then hands them to Text_Draw.
#pragma once

#include <string>
#include <vector>

#include "frontend/text.h"

class CTarvelWindow;

struct Text_Line {
    float x = 0.0f;
    float y = 0.0f;
    float size = 0.0f;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    unsigned char centre = 0;
    unsigned char right_align = 0;
    std::string text;  // formatted, at most Text_Max_Length characters
};

class Text_Lines {
  public:
    // Records one line with the arguments of Text_Draw; text from outside the program is
    // passed only as the argument of "%s".
    void Add(float x, float y, float size, float red, float green, float blue, unsigned char centre,
             unsigned char right_align, const char* format, ...)
        __attribute__((format(printf, 10, 11)));

    // The first line whose text is `text`, or nullptr.
    const Text_Line* Find(const std::string& text) const;

    std::vector<Text_Line> lines;
};

// Draws every line in order with Text_Draw (the 2-D mode must be current).
void Text_Lines_Draw(CTarvelWindow& window, const Text_Lines& lines);
