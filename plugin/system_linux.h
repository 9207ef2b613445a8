// The plug-in's system layer on Linux: POSIX files, XDG folders and libcurl.
//
// Special folders: application data is $XDG_DATA_HOME (default ~/.local/share), local
// application data $XDG_STATE_HOME (default ~/.local/state), all users' data /var/lib.
// The version query answers a platform that is not NT with version 0.0, so the system is
// named "Unknown" and the non-Vista branches run. Errors come back as the Windows codes
// the log messages speak of.
#pragma once

#include "plugin/plugin_system.h"

namespace corvane {

class Linux_System : public Plugin_System {
  public:
    char Separator() const override { return '/'; }
    bool Get_Special_Folder(Special_Folder which, std::string& path) override;
    bool Get_Version(Os_Version& version) override;
    int List_Folder(const std::string& folder, std::vector<Folder_Entry>& entries) override;
    bool Path_Exists(const std::string& path) override;
    int Delete_File(const std::string& path) override;
    int Remove_Empty_Folder(const std::string& folder) override;
    int Create_Folder(const std::string& folder) override;
    int Move_No_Replace(const std::string& from, const std::string& to) override;
    int Replace_File(const std::string& from, const std::string& to) override;
    bool Get_Write_Ticks(const std::string& path, File_Ticks& ticks) override;
    bool Get_Creation_Ticks(const std::string& path, File_Ticks& ticks) override;
    File_Ticks Get_Current_Ticks() override;
    std::FILE* Open_Stream(const std::string& path, const char* mode) override;
    bool Sync_Stream(std::FILE* stream) override;
    bool Http_Get(const std::string& url, const char* user_agent) override;
    std::string Entry_Text(const Stack_Entry* entry, int string_size) override;
    void Free_Entry(Stack_Entry* entry) override;
};

// The Windows error code that matches an errno value of a call on `path`.
int Windows_Error(int error_number, const std::string& path);

}  // namespace corvane
