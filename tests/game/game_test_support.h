// Shared by the simulation tests: the event log read back as text, the model files of a
// small arena written as fixtures, and running tindral-sim with its JSON output read back.
#pragma once

#include <string>
#include <vector>

#include "tests/support/files.h"

// Points Engine_Log at a fresh log in `folder` for its lifetime.
class Log_Capture {
  public:
    explicit Log_Capture(const std::string& folder);
    ~Log_Capture();
    Log_Capture(const Log_Capture&) = delete;
    Log_Capture& operator=(const Log_Capture&) = delete;
    // Everything written so far.
    std::string Text() const;

  private:
    std::string path_;
};

// Goal-mouth corners of the fixture wall (x, y of the floor point; the top ring point
// index + 49 stands above it at z 50).
constexpr float Fixture_Mouth_Half_Width = 30.0f;
constexpr float Fixture_Mouth_Line = 185.0f;

// Model files of a small arena (version 0.5, one texture each):
// "ground.dat": a 400 x 400 square of two triangles;
// "wall.dat": 98 points (floor ring 0..48, top ring 49..97 above it) whose goal-mouth
//   corners 10, 11, 22, 23, 34, 35, 46, 47 stand at +-30 across the mouth and 185 out,
//   with one goal sensor (key 2) and one wall face (key 1) per side;
// "paddle.dat": a 40 x 10 plate, long along x;
// "sphere.dat": a pyramid of radius 10.
std::string Fixture_Ground();
std::string Fixture_Wall();
std::string Fixture_Paddle();
std::string Fixture_Sphere();
// Writes the four files as loose files into `folder`.
void Write_Arena_Models(const std::string& folder);

// A finished command: its exit status (-1 when it did not exit normally) and its
// standard output.
struct Run_Result {
    int status = -1;
    std::string output;
};

// Runs `command` through the shell; its standard error is not captured.
Run_Result Run_Command(const std::string& command);

// Every number that follows "key": in tindral-sim's JSON output, in order.
std::vector<double> Numbers(const std::string& json, const std::string& key);
