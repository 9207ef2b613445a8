#include "frontend/text_lines.h"

#include <cstdarg>
#include <cstdio>

void Text_Lines::Add(float x, float y, float size, float red, float green, float blue,
                     unsigned char centre, unsigned char right_align, const char* format, ...) {
    char text[Text_Max_Length + 1] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    lines.push_back(Text_Line{x, y, size, red, green, blue, centre, right_align, text});
}

const Text_Line* Text_Lines::Find(const std::string& text) const {
    for (const Text_Line& line : lines) {
        if (line.text == text) return &line;
    }
    return nullptr;
}

void Text_Lines_Draw(CTarvelWindow& window, const Text_Lines& lines) {
    for (const Text_Line& line : lines.lines) {
        Text_Draw(window, line.x, line.y, line.size, line.red, line.green, line.blue, line.centre,
                  line.right_align, "%s", line.text.c_str());
    }
}
