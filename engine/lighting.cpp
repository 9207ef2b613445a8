#include "engine/lighting.h"

#include <GL/gl.h>

void Game_Lighting_Init() {
    static const float kPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const float kModelAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, kPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kSpecular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kModelAmbient);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
}
