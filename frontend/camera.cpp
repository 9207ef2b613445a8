#include "frontend/camera.h"

#include <cmath>

namespace {

constexpr float Turn_Rate = 30.0f;
constexpr float Move_Rate = 37.0f;

float Wrap_Angle(float angle) {
    // A value that cannot be brought into range (infinite, or so large that 360 no longer
    // changes it) would loop for ever; the remainder is the same place on the circle.
    if (!std::isfinite(angle)) return 0.0f;
    if (angle > 360.0f && angle - 360.0f == angle) angle = std::fmod(angle, 360.0f);
    if (angle < 0.0f && angle + 360.0f == angle) angle = std::fmod(angle, 360.0f);
    while (angle > 360.0f) angle -= 360.0f;
    while (angle < 0.0f) angle += 360.0f;
    return angle;
}

float Turn_Towards(float current, float target, float step) {
    if (target < current) {
        if (current - target > 180.0f) return current + step;  // across 360
        float next = current - step;
        return next < target ? target : next;
    }
    if (target > current) {
        if (target - current > 180.0f) return current - step;  // across 0
        float next = current + step;
        return next > target ? target : next;
    }
    return current;
}

float Move_Towards(float current, float target, float step) {
    if (target < current) {
        float next = current - step;
        return next < target ? target : next;
    }
    if (target > current) {
        float next = current + step;
        return next > target ? target : next;
    }
    return current;
}

}  // namespace

void Camera_Set_Targets(Camera& camera, int camera_view) {
    camera.turn_rate = Turn_Rate;
    camera.move_rate = Move_Rate;
    if (camera_view == Camera_View_Top) {
        camera.target_rotation = Vector_Set(359.0f, 0.0f, 0.0f);
        camera.target_position = Vector_Set(0.0f, 0.0f, -525.0f);
    } else {
        camera.target_rotation = Vector_Set(320.0f, 0.0f, 0.0f);
        camera.target_position = Vector_Set(0.0f, 20.0f, -435.0f);
    }
}

void Camera_Place(Camera& camera, int camera_view) {
    Camera_Set_Targets(camera, camera_view);
    camera.rotation[0] = camera.target_rotation.x;
    camera.rotation[1] = camera.target_rotation.y;
    camera.rotation[2] = camera.target_rotation.z;
    camera.position[0] = camera.target_position.x;
    camera.position[1] = camera.target_position.y;
    camera.position[2] = camera.target_position.z;
}

void Camera_Step(Camera& camera, float dt) {
    float* targets[3] = {&camera.target_rotation.x, &camera.target_rotation.y,
                         &camera.target_rotation.z};
    for (int i = 0; i < 3; ++i) {
        camera.rotation[i] = Wrap_Angle(camera.rotation[i]);
        *targets[i] = Wrap_Angle(*targets[i]);
    }
    const float turn = camera.turn_rate * dt;
    for (int i = 0; i < 3; ++i) {
        camera.rotation[i] = Turn_Towards(camera.rotation[i], *targets[i], turn);
    }
    const float move = camera.move_rate * dt;
    const float target_position[3] = {camera.target_position.x, camera.target_position.y,
                                      camera.target_position.z};
    for (int i = 0; i < 3; ++i) {
        camera.position[i] = Move_Towards(camera.position[i], target_position[i], move);
    }
}
