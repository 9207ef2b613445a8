#include "plugin/uninstall.h"

#include "plugin/file_helpers.h"
#include "plugin/plugin_frame.h"

namespace corvane {

const Product_Layout Haskett_Layout{"Haskett", {"Data", "IP Stats", "Logs/CSV", "Logs"}, true};
const Product_Layout Mirelle_Layout{"Mirelle", {"Data", "Scores"}, false};
const Product_Layout Dunstow_Layout{"Dunstow", {"Data", "Images"}, false};
const Product_Layout Tindral_Layout{"Tindral", {"Data"}, false};

namespace {

std::string With_Separator(const Plugin_System& system, std::string relative) {
    for (char& c : relative) {
        if (c == '/') c = system.Separator();
    }
    return relative;
}

void Remove_Product_Folders(Plugin_System& system, const std::string& product_folder,
                            const Product_Layout& product) {
    for (const std::string& subfolder : product.subfolders) {
        Remove_Folder(system, Join_Path(system, product_folder, With_Separator(system, subfolder)));
    }
    Remove_Folder(system, product_folder);
}

}  // namespace

void Uninstall_Product(Plugin_System& system, const Product_Layout& product) {
    std::string base;
    if (Is_Vista_Family(Get_OS_Name(system))) {
        if (system.Get_Special_Folder(Special_Folder::Local_App_Data, base)) {
            std::string store =
                Join_Path(system, base, With_Separator(system, "VirtualStore/Program Files/"));
            Remove_Product_Folders(system, store + product.folder, product);
        }
        if (product.all_users_copy &&
            system.Get_Special_Folder(Special_Folder::Common_App_Data, base)) {
            Remove_Product_Folders(system, Join_Path(system, base, product.folder), product);
        }
    }
    if (system.Get_Special_Folder(Special_Folder::App_Data, base)) {
        Remove_Product_Folders(system, Join_Path(system, base, product.folder), product);
    }
}

}  // namespace corvane
