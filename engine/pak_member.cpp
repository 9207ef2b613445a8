#include <unistd.h>

#include "engine/pak.h"

Pak_Member::Pak_Member(const char* archive, const char* name) : path_(name != nullptr ? name : "") {
    if (archive == nullptr || name == nullptr || name[0] == '\0') return;
    if (access(archive, F_OK) != 0) return;  // no archive: the loose file is the member
    const char* folder = Private_Temp_Folder();
    if (folder == nullptr) return;
    CTarvelPak pak;
    if (pak.Open(archive) && pak.Extract(name, folder)) {
        path_ = std::string(folder) + "/" + name;
        extracted_ = true;
    }
}

Pak_Member::~Pak_Member() {
    Release();
}

void Pak_Member::Release() {
    if (!extracted_) return;
    unlink(path_.c_str());
    extracted_ = false;
}
