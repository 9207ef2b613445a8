// tindral-assets: makes all of the game's content and packs it into its archives.
//
//   tindral-assets DATA_FOLDER [--loose FOLDER] [--icons FOLDER]
//   tindral-assets --icons FOLDER
//
// Writes DATA_FOLDER/textures.pak (the sixteen textures of the start-up table, the
// models' textures and "font_list.txt"), DATA_FOLDER/models.pak (the four models) and
// DATA_FOLDER/audio.pak (the six sounds). With --loose every member is also written as a
// plain file into FOLDER, for looking at the art. With --icons the desktop's icons
// (Make_Icons) are written into FOLDER; without DATA_FOLDER nothing else is made. Exit
// status 0 on success, 1 on failure, 2 for a usage error. The output is the same on every
// run.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "engine/pak.h"
#include "tools/tindral_assets/assets.h"

namespace {

bool Make_Folder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool Pack(const std::string& path, const std::vector<Asset_File>& files) {
    std::vector<Pak_Input> members;
    for (const Asset_File& f : files) members.push_back(Pak_Input{f.name, f.data});
    if (!Pak_Write(path.c_str(), members)) {
        std::fprintf(stderr, "tindral-assets: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool Write_Loose(const std::string& folder, const std::vector<Asset_File>& files) {
    for (const Asset_File& f : files) {
        std::string path = folder + "/" + f.name;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        bool ok =
            out != nullptr && std::fwrite(f.data.data(), 1, f.data.size(), out) == f.data.size();
        if (out != nullptr && std::fclose(out) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "tindral-assets: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

void Append(std::vector<Asset_File>& to, std::vector<Asset_File> more) {
    for (Asset_File& f : more) to.push_back(std::move(f));
}

}  // namespace

int main(int argc, char** argv) {
    std::string data, loose, icons;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--loose") == 0 && i + 1 < argc) {
            loose = argv[++i];
        } else if (std::strcmp(argv[i], "--icons") == 0 && i + 1 < argc) {
            icons = argv[++i];
        } else if (data.empty() && argv[i][0] != '-') {
            data = argv[i];
        } else {
            data.clear();
            icons.clear();
            break;
        }
    }
    if (data.empty() && icons.empty()) {
        std::fputs("usage: tindral-assets DATA_FOLDER [--loose FOLDER] [--icons FOLDER]\n"
                   "       tindral-assets --icons FOLDER\n",
                   stderr);
        return 2;
    }
    try {
        if (!icons.empty() && (!Make_Folder(icons) || !Write_Loose(icons, Make_Icons()))) {
            return 1;
        }
        if (data.empty()) return 0;
        std::vector<Asset_File> textures = Make_Font_Files();
        Append(textures, Make_Arena_Textures());
        Append(textures, Make_Menu_Textures());
        std::vector<Asset_File> models = Make_Models();
        std::vector<Asset_File> sounds = Make_Sounds();

        if (!Make_Folder(data)) {
            std::fprintf(stderr, "tindral-assets: cannot create %s\n", data.c_str());
            return 1;
        }
        if (!Pack(data + "/textures.pak", textures) || !Pack(data + "/models.pak", models) ||
            !Pack(data + "/audio.pak", sounds)) {
            return 1;
        }
        if (!loose.empty()) {
            if (!Make_Folder(loose) || !Write_Loose(loose, textures) ||
                !Write_Loose(loose, models) || !Write_Loose(loose, sounds)) {
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tindral-assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
