// The match display in a real window: the game's textures and models from the program
// folder's archives, the start-up lighting, and the objects the front end works on. Used
// by the GL test and by the screenshot program, both run under Xvfb.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/window.h"
#include "frontend/frontend_context.h"
#include "frontend/model_gl.h"
#include "game/match_rules.h"
#include "tests/frontend/frontend_objects.h"

// A corner of a polygon that a frame drew in 3-D, as GL fed it back.
struct Drawn_Vertex {
    Vector at;                 // arena coordinates
    float colour[4] = {};      // after lighting, before texturing
    float s = 0.0f, t = 0.0f;  // texture coordinate
    bool clipped = false;      // made on the edge of the view by clipping, not a corner drawn
};

class Display_Scene : public Frontend_Objects {
  public:
    // `log_path` may be empty (no log).
    explicit Display_Scene(const std::string& log_path);
    ~Display_Scene();

    // Opens the window sized from the screen as the game does and loads the font list and
    // the sixteen textures from data/textures.pak in the current directory. False with a
    // message on standard error when anything fails.
    bool Open();

    // Builds a match for `level` with the side controllers in `settings`; the phase ends
    // at PHASE_RUNNING, as on the match screen after the fade.
    void Setup(int level);
    // Runs the match's frames for `seconds` in steps of `dt` (end rule, then step) without
    // drawing.
    void Simulate(float seconds, float dt = 1.0f / 60.0f);
    // Clears, applies the end rule, draws one match-screen frame with `dt` as the frame's
    // elapsed time and runs the match keys, as the main loop does (without its step).
    // Window messages are handled first.
    void Frame(float dt);
    // The same frame in GL feedback mode: nothing reaches the screen, and the corners of
    // every polygon drawn are turned back into arena coordinates through the camera as the
    // match screen applies it (move, turn about x, turn about z) and the 3-D projection.
    // The 2-D overlay's corners come out meaningless. Empty, with a message on standard
    // error, when the frame does not fit the feedback buffer.
    std::vector<Drawn_Vertex> Frame_Vertices(float dt);
    // Swaps the buffers: the frame drawn last shows.
    void Show() { window->Swap_Buffers(); }
    // The back buffer's pixel at window coordinates (x from the left, y from the bottom).
    void Pixel(int x, int y, unsigned char rgb[3]);

    std::unique_ptr<CTarvelWindow> window;
    std::unique_ptr<Frontend_Context> context;

  private:
    std::unique_ptr<Window_Texture_Source> textures_;
    Match_Context match_context_;
};
