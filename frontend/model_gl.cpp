#include "frontend/model_gl.h"

#include <GL/gl.h>

int Window_Texture_Source::Texture_Load(const char* name, int index) {
    return window_.Texture_Load(name, index);
}

void Model_GL_Target::Blending(bool on) {
    if (on) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void Model_GL_Target::Texturing(bool on) {
    if (on) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void Model_GL_Target::Begin_Triangles() {
    glBegin(GL_TRIANGLES);
}

void Model_GL_Target::End_Triangles() {
    glEnd();
}

int Model_GL_Target::Current_Texture() {
    return window_.Get_Current_Texture();
}

void Model_GL_Target::Bind_Texture(int slot) {
    glBindTexture(GL_TEXTURE_2D, window_.Texture_Get_Data(slot));
    window_.Set_Current_Texture(slot);
}

void Model_GL_Target::Corner(const Vector& normal, float red, float green, float blue, float alpha,
                             const Texture_Coordinate* texcoord, const Vector& position) {
    glNormal3f(normal.x, normal.y, normal.z);
    glColor4f(red, green, blue, alpha);
    if (texcoord != nullptr) glTexCoord2f(texcoord->u, texcoord->v);
    glVertex3f(position.x, position.y, position.z);
}
