// The window's side of model drawing and model textures: OpenGL immediate mode for
// CTarvelModel::Draw, and the window's texture table as a model's Texture_Source.
#pragma once

#include "engine/window.h"
#include "game/model_draw.h"
#include "game/texture_source.h"

class Window_Texture_Source : public Texture_Source {
  public:
    explicit Window_Texture_Source(CTarvelWindow& window) : window_(window) {}
    int Texture_Load(const char* name, int index) override;

  private:
    CTarvelWindow& window_;
};

// Draws into the current GL context; the bound texture is the window's Current_Texture.
class Model_GL_Target : public Model_Draw_Target {
  public:
    explicit Model_GL_Target(CTarvelWindow& window) : window_(window) {}
    void Blending(bool on) override;
    void Texturing(bool on) override;
    void Begin_Triangles() override;
    void End_Triangles() override;
    int Current_Texture() override;
    void Bind_Texture(int slot) override;
    void Corner(const Vector& normal, float red, float green, float blue, float alpha,
                const Texture_Coordinate* texcoord, const Vector& position) override;

  private:
    CTarvelWindow& window_;
};
