#include "engine/lighting.h"

#include <GL/gl.h>

void Game_Lighting_Init() {
    static const float Position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float Ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float Specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const float Model_Ambient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, Position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, Ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, Specular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, Model_Ambient);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
}
