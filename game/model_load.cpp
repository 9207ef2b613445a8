#include <cstdio>

#include "base/log.h"
#include "engine/pak.h"
#include "game/model.h"

bool CTarvelModel::File_Load(const char* path, Texture_Source* textures) {
    if (path == nullptr) path = "";
    // The archive's member is extracted into the process's private temporary folder
    // (the program folder may be read-only) and deleted once read; a loose file beside
    // the program is read in place and never deleted.
    Pak_Member member(Model_Archive, path);
    std::FILE* file = path[0] != '\0' ? std::fopen(member.Path(), "r") : nullptr;
    if (file == nullptr) {
        Log_Write(Engine_Log, 1, "CTarvelModel::File_Load() :: failed (could not find file [%s])",
                  path);
        return false;
    }
    bool loaded = Stream_Load(file, path, textures);
    std::fclose(file);
    member.Release();
    return loaded;
}
