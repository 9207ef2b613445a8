// The game's fixed-function lighting: one light at the eye, colour material, a grey
// ambient level. Start-up sets it once; the model-view matrix is reset to do so.
#pragma once

void Game_Lighting_Init();
