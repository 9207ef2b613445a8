#include "shell/data_folder.h"

#include "platform/platform.h"

std::string Data_Folder_Path() {
    const std::string app_data = Platform_Special_Folder(FOLDER_APPDATA);
    return app_data.empty() ? app_data : app_data + "/Tindral";
}
