// The match camera: it eases its rotation and position towards the chosen view at fixed
// rates, so switching between the top and the side view swings the arena round.
#pragma once

#include "game/vector.h"

struct Camera {
    float turn_rate = 0.0f;  // degrees per second
    float move_rate = 0.0f;  // units per second
    float rotation[3] = {};  // degrees about x, y and z
    Vector target_rotation;
    float position[3] = {};
    Vector target_position;
};

// The view codes of the setting CameraView: 0 is the top view, anything else the side view.
constexpr int Camera_View_Top = 0;
constexpr int Camera_View_Side = 1;

// Sets the rates and points the targets at `camera_view`, leaving the current values.
void Camera_Set_Targets(Camera& camera, int camera_view);

// Start-up: the rates, and the current values already at the targets of `camera_view`.
void Camera_Place(Camera& camera, int camera_view);

// One frame of easing over `dt` seconds. Angles are first wrapped into 0..360; each one
// then turns by turn_rate * dt the short way round, stopping at its target when it turns
// towards it directly; a turn across 0/360 overshoots the range and the next frame's wrap
// brings it back. Each position coordinate moves by move_rate * dt towards its target
// and stops there.
void Camera_Step(Camera& camera, float dt);
