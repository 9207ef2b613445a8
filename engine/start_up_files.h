// The files the game loads at start-up, listed by the texture index and the sound channel
// that the drawing and the sounds use them under.
#pragma once

constexpr int Start_Up_Texture_Count = 16;
inline constexpr const char* Start_Up_Textures[Start_Up_Texture_Count] = {
    "font_old.png",           "font_new.png",
    "arrow.png",              "ground.png",
    "wall.png",               "wall_net.png",
    "menu_footer_1.png",      "menu_footer_2.png",
    "menu_intro.png",         "menu_text_continue.png",
    "menu_text_current_level.png", "menu_text_exit.png",
    "menu_text_new_game.png", "menu_text_options.png",
    "menu_text_users.png",    "menu_text_website.png",
};

constexpr int Start_Up_Sound_Count = 6;
inline constexpr const char* Start_Up_Sounds[Start_Up_Sound_Count] = {
    "menu_change.ogg",        "menu_select.ogg",        "game_goal.ogg",
    "game_sphere_paddle.ogg", "game_sphere_sphere.ogg", "game_sphere_wall.ogg",
};
