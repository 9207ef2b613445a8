// The texture table and the font list of CTarvelWindow.
//
// Files come through the archive protocol (Pak_Member): an archive member is extracted
// into the process's private temporary folder and removed after loading; a loose file of
// the same name in the current directory is used when the archive lacks the member and is
// never removed. PNG decoding goes through libpng (platform/png.h) where the game once
// used GDI+: the pixels arrive as 32-bit BGRA rows, bottom row first, so that the image's
// top row ends up at texture coordinate t = 1.
#include <GL/gl.h>

#include <cstdio>
#include <utility>

#include "base/log.h"
#include "engine/decode_ahead.h"
#include "engine/pak.h"
#include "engine/window.h"
#include "platform/platform.h"
#include "platform/png.h"

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif

namespace {

const char Texture_Archive[] = "data/textures.pak";

// The bands of at least four rows in which every pixel has alpha 0, in upload order.
std::vector<std::pair<int, int>> Clear_Row_Bands(const Png_Image& image) {
    std::vector<std::pair<int, int>> bands;
    const std::size_t row_bytes = 4u * static_cast<std::size_t>(image.width);
    int first = -1;
    for (int row = 0; row <= image.height; ++row) {
        bool clear = row < image.height;
        for (std::size_t i = 3; clear && i < row_bytes; i += 4) {
            clear = image.bgra[static_cast<std::size_t>(row) * row_bytes + i] == 0;
        }
        if (clear && first < 0) first = row;
        if (!clear && first >= 0) {
            if (row - first >= 4) bands.emplace_back(first, row - 1);
            first = -1;
        }
    }
    return bands;
}

}  // namespace

int CTarvelWindow::Texture_Load(const char* name, int index) {
    if (name == nullptr) name = "";
    Pak_Member file(Texture_Archive, name);
    if (!Platform_File_Exists(file.Path())) {
        Log_Write(Engine_Log, 1,
                  "CTarvelWindow::Texture_Load() :: failed (could not find file [%i][%s])", index,
                  name);
        return -1;
    }
    Current_Texture = -1;  // the upload below binds textures behind the table's back

    int count = Texture_Count();
    if (index == -1) {
        for (int i = 0; i < count; ++i) {
            if (Textures[static_cast<size_t>(i)].name == name) return i;
        }
        index = count;
    }
    if (index > count || index < -1) {
        Log_Write(Engine_Log, 1,
                  "CTarvelWindow::Texture_Load() :: failed (could not load texture into index "
                  "[%i of %i total])",
                  index, count);
        return -1;
    }

    bool appended = index == count;
    Texture_Entry previous;
    if (appended) {
        Textures.push_back(Texture_Entry{name, 0, 0, {}});
    } else {
        // A replaced entry keeps its old texture until the new one is in place, so that a
        // failed load leaves the table as it was.
        previous = Textures[static_cast<size_t>(index)];
        Textures[static_cast<size_t>(index)] = Texture_Entry{name, 0, 0, {}};
    }
    if (Texture_Decode_Upload(file.Path(), index)) {
        if (!appended && previous.gl_name != 0) glDeleteTextures(1, &previous.gl_name);
        return index;
    }
    if (appended) {
        Textures.pop_back();
    } else {
        Textures[static_cast<size_t>(index)] = std::move(previous);
    }
    Log_Write(Engine_Log, 1,
              "CTarvelWindow::Texture_Load() :: failed (could not load texture [%i][%s])", index,
              name);
    return -1;
}

// Decodes `path` and uploads it as the texture of entry `index` (which names the file in
// the log). On failure the entry holds no texture.
bool CTarvelWindow::Texture_Decode_Upload(const char* path, int index) {
    Texture_Entry& entry = Textures[static_cast<size_t>(index)];
    std::optional<Png_Image> ahead;
    if (Prefetched) ahead = Prefetched->Take(entry.name, path);
    Png_Image image = ahead ? std::move(*ahead) : Png_Decode_File(path);
    if (image.width < 1 || image.height < 1) {
        Log_Write(Engine_Log, 1, "CTarvelWindow::Texture_Load() :: failed ([%i][%ix%i][%s])", index,
                  image.width, image.height, entry.name.c_str());
        return false;
    }
    entry.height = image.height;
    entry.clear_rows = Clear_Row_Bands(image);
    glGenTextures(1, &entry.gl_name);
    glBindTexture(GL_TEXTURE_2D, entry.gl_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 image.bgra.data());
    Log_Write(Engine_Log, 0, "CTarvelWindow::Texture_Load() :: [%i][%ix%i][%s]", index, image.width,
              image.height, entry.name.c_str());
    return true;
}

void CTarvelWindow::Texture_Prefetch(const char* const* names, int count) {
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) list.emplace_back(names[i] != nullptr ? names[i] : "");
    Prefetched = std::make_unique<Decode_Ahead<Png_Image>>(
        Texture_Archive, list, [](const std::vector<std::uint8_t>& bytes) {
            return Png_Decode_Memory(bytes.data(), bytes.size());
        });
}

void CTarvelWindow::Texture_Prefetch_End() { Prefetched.reset(); }

unsigned CTarvelWindow::Texture_Get_Data(int index) {
    if (index < 0 || index >= Texture_Count()) {
        Log_Write(Engine_Log, 1,
                  "CTarvelWindow::Texture_Get_Data() :: failed (tried to access %i of %i)", index,
                  Texture_Count());
        return 0;
    }
    return Textures[static_cast<size_t>(index)].gl_name;
}

void CTarvelWindow::Texture_Remove(int index) {
    if (index < 0 || index >= Texture_Count()) return;
    Texture_Entry& entry = Textures[static_cast<size_t>(index)];
    if (entry.gl_name != 0) glDeleteTextures(1, &entry.gl_name);
    Log_Write(Engine_Log, 0, "CTarvelWindow::Texture_Remove() :: [%s]", entry.name.c_str());
    Textures.erase(Textures.begin() + index);
    // Later entries moved down: an index remembered as bound no longer names its texture.
    if (Current_Texture >= index) Current_Texture = -1;
}

void CTarvelWindow::Set_Current_Texture(int index) {
    if (index >= 0 && index < Texture_Count()) Current_Texture = index;
}

bool CTarvelWindow::Font_List_Load(const char* name) {
    if (name == nullptr) name = "";
    Pak_Member member(Texture_Archive, name);
    std::FILE* file = std::fopen(member.Path(), "r");
    if (file == nullptr) {
        Log_Write(Engine_Log, 1,
                  "CTarvelWindow::Font_List_Load() :: failed (could not find file [%s])", name);
        return false;
    }
    // Fields of a record cut short by the end of the file keep the previous record's values.
    // Each number is read with a width far above any a list holds: without one the C
    // library gathers every character of a number in memory first, and a damaged list
    // with a run of digits as long as itself would cost as much memory.
    int field[5] = {0, 0, 0, 0, 0};
    for (;;) {
        int read = std::fscanf(file, "%32i %32i %32i %32i %32i", &field[0], &field[1], &field[2],
                               &field[3], &field[4]);
        if (read < 1) break;  // end of the file, or a field that is not a number
        if (static_cast<unsigned>(field[0]) <= 127u) {
            float* metrics = Font_Metrics[field[0]];
            for (int i = 0; i < 4; ++i) metrics[i] = static_cast<float>(field[i + 1]);
        }
        if (read < 5) break;
    }
    std::fclose(file);
    member.Release();
    Log_Write(Engine_Log, 0, "CTarvelWindow::Font_List_Load() :: [%s]", name);
    return true;
}
