// The texture table of CTarvelWindow. Loading arrives with the archives and the PNG
// decoder; until then every load fails and the table stays empty.
#include <GL/gl.h>

#include "engine/window.h"
#include "shell/log.h"

int CTarvelWindow::Texture_Load(const char* name, int index) {
    Log_Write(Engine_Log, 1, "CTarvelWindow::Texture_Load() :: failed (could not find file [%i][%s])",
              index, name);
    return -1;
}

bool CTarvelWindow::Texture_Decode_Upload(const char*, int) { return false; }

unsigned CTarvelWindow::Texture_Get_Data(int index) {
    if (index < 0 || index >= Texture_Count()) {
        Log_Write(Engine_Log, 1, "CTarvelWindow::Texture_Get_Data() :: failed (tried to access %i of %i)",
                  index, Texture_Count());
        return 0;
    }
    return Textures[static_cast<size_t>(index)].gl_name;
}

void CTarvelWindow::Texture_Remove(int index) {
    Texture_Entry& entry = Textures[static_cast<size_t>(index)];
    glDeleteTextures(1, &entry.gl_name);
    Log_Write(Engine_Log, 0, "CTarvelWindow::Texture_Remove() :: [%s]", entry.name.c_str());
    Textures.erase(Textures.begin() + index);
}

void CTarvelWindow::Set_Current_Texture(int index) {
    if (index >= 0 && index < Texture_Count()) Current_Texture = index;
}

bool CTarvelWindow::Font_List_Load(const char*) { return false; }
