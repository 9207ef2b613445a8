// The menu's live view of the arena: the match screen drawn into a small viewport. The
// match does not run behind the menu, so from one frame to the next the view seldom
// changes, while drawing it (the arena's large texture shrunk into a few hundred pixels)
// costs a software renderer about a third of a menu frame. The view's pixels are kept in
// a texture and put back, pixel for pixel, for as long as nothing it shows has changed.
//
// What it shows is everything Match_Screen_Draw reads: the camera, the arena, the spheres
// with their launch arrows, the paddles (each model with its points as it holds them), the
// wall numbers and the heads-up lines. While the camera is still swinging round it is
// simply drawn.
// The menu draws nothing else inside the viewport, so the pixels kept are the view's own.
#pragma once

#include <cstdint>

#include "frontend/frontend_context.h"

class Live_View {
  public:
    // Draws the live view into the viewport (x, y, width, height) of the window, in pixels
    // from the lower left, as Match_Screen_Draw does there, and leaves the same 3-D mode,
    // OpenGL state and full-window viewport behind. The window's GL context must be current.
    void Draw(Frontend_Context& context, int x, int y, int width, int height);

  private:
    // What the view would show now, as a fingerprint; false when it cannot be kept (the
    // camera is moving).
    static bool Fingerprint(Frontend_Context& context, int x, int y, int width, int height,
                            std::uint64_t* key);
    // Copies the viewport's pixels into the texture, made or grown as needed.
    bool Keep(int x, int y, int width, int height);
    void Put_Back(int x, int y, int width, int height);

    unsigned texture_ = 0;  // the kept pixels (the window's context owns it)
    int texture_width_ = 0;
    int texture_height_ = 0;
    bool kept_ = false;
    std::uint64_t key_ = 0;
};
