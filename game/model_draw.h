// The drawing primitives a model needs, in the order it issues them. The game's window
// implements them with OpenGL immediate mode (frontend/model_gl.h); tests record them.
#pragma once

#include "game/vector.h"

struct Texture_Coordinate {
    float u = 0.0f;
    float v = 0.0f;
};

class Model_Draw_Target {
  public:
    virtual ~Model_Draw_Target() = default;
    // On: blending with (source alpha, one minus source alpha). Off: no blending.
    virtual void Blending(bool on) = 0;
    virtual void Texturing(bool on) = 0;
    // One batch of separate triangles: every three corners form a face.
    virtual void Begin_Triangles() = 0;
    virtual void End_Triangles() = 0;
    // The texture slot bound now, -1 for none.
    virtual int Current_Texture() = 0;
    // Binds the texture of `slot` and makes it the current one. Only called outside a batch.
    virtual void Bind_Texture(int slot) = 0;
    // One corner: its face normal, colour with alpha, texture coordinate (nullptr when
    // drawing untextured) and position.
    virtual void Corner(const Vector& normal, float red, float green, float blue, float alpha,
                        const Texture_Coordinate* texcoord, const Vector& position) = 0;
};
