#include "tests/game/game_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "base/log.h"

Log_Capture::Log_Capture(const std::string& folder) : path_(folder + "/log.dat") {
    Engine_Log = Log_Open(path_.c_str());
    if (Engine_Log == nullptr) throw std::runtime_error("cannot open the log");
}

Log_Capture::~Log_Capture() {
    Log_Close(Engine_Log);
    Engine_Log = nullptr;
}

std::string Log_Capture::Text() const {
    std::fflush(Engine_Log);
    return Read_File(path_);
}

std::string Fixture_Ground() {
    return "0.5\n1 4 2\nground.png\n"
           "0 -200 -200 0\n1 200 -200 0\n2 200 200 0\n3 -200 200 0\n"
           "0 0 0 0 1 2 0 0 1 0 1 1\n"
           "1 0 0 0 2 3 0 0 1 1 0 1\n";
}

std::string Fixture_Wall() {
    // Floor ring: every point on a square of half-size 190 unless it is a mouth corner.
    float x[49], y[49];
    for (int i = 0; i < 49; ++i) {
        x[i] = -190.0f + 7.0f * static_cast<float>(i);
        y[i] = i % 2 == 0 ? 190.0f : -190.0f;
    }
    const float w = Fixture_Mouth_Half_Width;
    const float l = Fixture_Mouth_Line;
    struct Corner {
        int index;
        float x, y;
    };
    const Corner mouths[] = {
        {10, w, -l},  {11, -w, -l},  // Bottom
        {22, -l, -w}, {23, -l, w},   // Left
        {34, -w, l},  {35, w, l},    // Top
        {46, l, w},   {47, l, -w},   // Right
    };
    for (const Corner& corner : mouths) {
        x[corner.index] = corner.x;
        y[corner.index] = corner.y;
    }
    std::ostringstream text;
    text << "0.5\n1 98 8\nwall.png\n";
    for (int ring = 0; ring < 2; ++ring) {
        for (int i = 0; i < 49; ++i) {
            text << ring * 49 + i << ' ' << x[i] << ' ' << y[i] << ' ' << (ring == 0 ? 0 : 50)
                 << '\n';
        }
    }
    // A goal sensor across each mouth (key 2) and a wall face beside it (key 1).
    const int sensors[4][3] = {{34, 35, 84}, {10, 11, 60}, {22, 23, 72}, {46, 47, 96}};
    const int walls[4][3] = {{35, 36, 85}, {11, 12, 61}, {23, 24, 73}, {47, 48, 97}};
    int n = 0;
    for (const auto& face : sensors) {
        text << n++ << " 0 2 " << face[0] << ' ' << face[1] << ' ' << face[2] << " 0 1 1 1 0 0\n";
    }
    for (const auto& face : walls) {
        text << n++ << " 0 1 " << face[0] << ' ' << face[1] << ' ' << face[2] << " 0 1 1 1 0 0\n";
    }
    return text.str();
}

std::string Fixture_Paddle() {
    return "0.5\n1 4 2\npaddle.png\n"
           "0 -20 -5 0\n1 20 -5 0\n2 20 5 0\n3 -20 5 0\n"
           "0 0 0 0 1 2 0 1 1 1 1 0\n"
           "1 0 0 0 2 3 0 1 1 0 0 0\n";
}

std::string Fixture_Sphere() {
    return "0.5\n1 5 4\nsphere.png\n"
           "0 10 0 0\n1 0 10 0\n2 -10 0 0\n3 0 -10 0\n4 0 0 10\n"
           "0 0 0 0 1 4 0 1 1 1 0 0\n"
           "1 0 0 1 2 4 0 1 1 1 0 0\n"
           "2 0 0 2 3 4 0 1 1 1 0 0\n"
           "3 0 0 3 0 4 0 1 1 1 0 0\n";
}

void Write_Arena_Models(const std::string& folder) {
    Write_File(folder + "/ground.dat", Fixture_Ground());
    Write_File(folder + "/wall.dat", Fixture_Wall());
    Write_File(folder + "/paddle.dat", Fixture_Paddle());
    Write_File(folder + "/sphere.dat", Fixture_Sphere());
}

Run_Result Run_Command(const std::string& command) {
    Run_Result result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<double> Numbers(const std::string& json, const std::string& key) {
    std::vector<double> values;
    std::regex pattern("\"" + key + "\": (-?[0-9.eE+-]+)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        values.push_back(std::stod((*it)[1]));
    }
    return values;
}
