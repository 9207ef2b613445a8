// Where a model file's texture names become texture slots. The game's window implements
// it (frontend/model_gl.h); headless programs hand out a slot of their own.
#pragma once

class Texture_Source {
  public:
    virtual ~Texture_Source() = default;
    // Loads texture file `name` into slot `index`, or into a new or matching slot when
    // `index` is -1, and returns the slot. What it returns for a file that fails to load
    // is kept as it is: the caller writes no message of its own.
    virtual int Texture_Load(const char* name, int index) = 0;
};
