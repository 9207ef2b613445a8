// Fuzz target: the font list reader. Loads the input as font_list.txt into a window that
// has no display and checks what any list must give: a glyph row is either untouched or
// wholly set to whole numbers, nothing else in the window changes, and a list of plain
// decimal records gives exactly the rows those records say.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/window.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

// Marks a glyph row the list did not touch.
constexpr float Untouched = -1.5f;

bool Space(char c) {
    return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr;
}

// The records of a list made only of white space and plain decimal numbers that fit an
// int (no sign but '-', no leading zero, which would read as octal), as the reader takes
// them: five fields each, a record cut short by the end keeping the previous record's
// fields. False for any other list.
bool Plain_Records(const std::string& text, std::vector<std::vector<int>>& records) {
    std::vector<int> numbers;
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && Space(text[at])) ++at;
        if (at == text.size()) break;
        std::size_t start = at;
        if (text[at] == '-') ++at;
        std::size_t digits = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at == digits || at - digits > 9 || (text[digits] == '0' && at - digits > 1)) {
            return false;
        }
        if (at < text.size() && !Space(text[at])) return false;
        numbers.push_back(std::atoi(text.substr(start, at - start).c_str()));
    }
    std::vector<int> field(5, 0);
    for (std::size_t i = 0; i < numbers.size(); i += 5) {
        for (std::size_t k = 0; k < 5 && i + k < numbers.size(); ++k) field[k] = numbers[i + k];
        records.push_back(field);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CTarvelWindow* window = new CTarvelWindow(1.0f, 100.0f, nullptr, "fuzz");
    // The reader looks for data/textures.pak in the current directory; the scratch folder
    // has none, so the list is read from the loose file.
    static const bool moved = chdir(fuzz::Scratch().c_str()) == 0;
    if (!moved) std::abort();
    fuzz::Write_Input(fuzz::Scratch() + "/font_list.txt", data, size);

    for (auto& row : window->Font_Metrics) {
        for (float& value : row) value = Untouched;
    }
    const int width = window->Width, height = window->Height;
    if (!window->Font_List_Load("font_list.txt")) std::abort();  // the file exists

    for (const auto& row : window->Font_Metrics) {
        const bool untouched = row[0] == Untouched;
        for (float value : row) {
            if ((value == Untouched) != untouched) std::abort();  // a row set in part
            if (!untouched && value != std::trunc(value)) std::abort();
        }
    }
    for (unsigned char key : window->Keys) {
        if (key != 0) std::abort();
    }
    if (window->Width != width || window->Height != height || !window->Active || window->Quit) {
        std::abort();
    }

    std::vector<std::vector<int>> records;
    if (!Plain_Records(std::string(reinterpret_cast<const char*>(data), size), records)) return 0;
    float expected[128][4];
    for (auto& row : expected) {
        for (float& value : row) value = Untouched;
    }
    for (const auto& record : records) {
        if (record[0] < 0 || record[0] > 127) continue;
        for (int k = 0; k < 4; ++k) expected[record[0]][k] = static_cast<float>(record[k + 1]);
    }
    if (std::memcmp(expected, window->Font_Metrics, sizeof expected) != 0) std::abort();
    return 0;
}
