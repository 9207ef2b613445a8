#include "game/controller.h"

Controller Controller_Make(int type, int cursor_x, int cursor_y) {
    Controller controller;
    controller.type = type;
    controller.mouse_position[0] = controller.mouse_previous[0] = cursor_x;
    controller.mouse_position[1] = controller.mouse_previous[1] = cursor_y;
    return controller;
}

void Controller_Set_Match_Keys(Controller& controller) {
    static const int Arrows[Controller_Direction_Count] = {38, 40, 37, 39};
    static const int Letters[Controller_Direction_Count] = {'W', 'S', 'A', 'D'};
    const int* layout = nullptr;
    if (controller.type == CONTROLLER_ARROW_KEYS) layout = Arrows;
    if (controller.type == CONTROLLER_WASD_KEYS) layout = Letters;
    if (layout == nullptr) return;
    for (int d = 0; d < Controller_Direction_Count; ++d) controller.direction_keys[d] = layout[d];
    for (int& key : controller.button_keys) key = Key_None;
}
