// The match screen: every frame it eases the camera towards the chosen view, draws the
// arena, the spheres and the paddles with a distance fade, the launch arrows and the
// wall score numbers, then the clock and the end screens over it.
#pragma once

#include "frontend/frontend_context.h"
#include "game/model.h"

// Colours each point of `model` by its distance d from `centre`: (red, green, blue)
// times 1 - min(d, 250) / 250, so that the arena fades to black away from the centre.
void Model_Distance_Fade(CTarvelModel& model, Vector centre, float red, float green, float blue);

// Draws one frame of the match screen into the current viewport. The 3-D projection must
// be current; leaves the 3-D mode with lighting off. Shows what the latest end rule
// decided (Match_End_Rules runs first); changes no match state, only the camera and the
// models' drawn colours. The menu calls it for its live view with its own viewport.
void Match_Screen_Draw(Frontend_Context& context);
