#include "plugin/migration.h"

#include <cstdio>

#include "plugin/file_helpers.h"
#include "plugin/plugin_frame.h"
#include "plugin/plugin_log.h"
#include "plugin/settings_keys.h"

namespace corvane {
namespace {

constexpr const char* Top_Files[] = {"config.bin", "log.dat", "profile.dat"};
constexpr const char* Data_Files[] = {"logSystem.001",       "logSystem.002", "logSystem.003",
                                      "logSystem.004",       "logSystem.dat", "stats.dat",
                                      "v2.60 update log.dat"};

std::string Replace_All(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Points the product's "LogFolder" setting into P when it pointed into the source.
void Update_Log_Folder(Plugin_System& system, const std::string& source, const std::string& product,
                       std::FILE* log) {
    const std::string settings = Join_Path(system, product, "config.dat");
    std::string value = Read_Key(system, settings, "LogFolder", Join_Path(system, product, "Logs"));
    value = Replace_All(value, "*", " ");
    if (value.find(source) != std::string::npos) {
        value = Replace_All(Replace_All(value, source, product), " ", "*");
        Write_Key(system, settings, "LogFolder", value);
        Log_Line(log, "Updated log folder location [%s]", value.c_str());
    } else {
        Log_Line(log, "Kept log folder location [%s]", value.c_str());
    }
}

}  // namespace

void Migrate_Locations(Plugin_System& system, const std::string& source, bool fresh) {
    std::string app_data;
    if (!system.Get_Special_Folder(Special_Folder::App_Data, app_data)) return;
    const std::string product = Join_Path(system, app_data, "Haskett");
    const std::string product_data = Join_Path(system, product, "Data");
    const std::string ip_stats = Join_Path(system, product, "IP Stats");
    const std::string logs = Join_Path(system, product, "Logs");
    const std::string csv = Join_Path(system, logs, "CSV");
    // A fresh Linux account may not have its data folder yet; Windows always has one.
    Create_Folders(system, app_data);
    for (const std::string* folder : {&product, &product_data, &ip_stats, &logs, &csv}) {
        system.Create_Folder(*folder);
    }

    std::FILE* log =
        Open_Log(system, Join_Path(system, product_data, "v2.65 update log.dat"), fresh);
    Log_Line(log, "Updating file locations for v2.65 installation...");
    Log_Line(log, "... from [%s]", source.c_str());
    Log_Line(log, "... to [%s]", product.c_str());

    Move_File(system, "config.dat", source, product, log);
    Update_Log_Folder(system, source, product, log);
    for (const char* name : Top_Files) Move_File(system, name, source, product, log);
    const std::string source_data = Join_Path(system, source, "Data");
    for (const char* name : Data_Files) Move_File(system, name, source_data, product_data, log);
    Migrate_Folder(system, Join_Path(system, source, "IP Stats"), ip_stats, log);
    Migrate_Folder(system, Join_Path(system, Join_Path(system, source, "Logs"), "CSV"), csv, log);
    Migrate_Folder(system, Join_Path(system, source, "Logs"), logs, log);

    if (log != nullptr) std::fclose(log);
}

void Update_File_Locations(Plugin_System& system, const std::string& old_folder) {
    if (old_folder.empty()) return;
    Migrate_Locations(system, old_folder, true);
    if (!Is_Vista_Family(Get_OS_Name(system))) return;

    std::string base;
    if (system.Get_Special_Folder(Special_Folder::Local_App_Data, base)) {
        // The old folder less its drive letter, colon and separator.
        std::string below_drive = old_folder.size() > 3 ? old_folder.substr(3) : std::string();
        Migrate_Locations(
            system, Join_Path(system, Join_Path(system, base, "VirtualStore"), below_drive), false);
    }
    if (system.Get_Special_Folder(Special_Folder::Common_App_Data, base)) {
        Migrate_Locations(system, Join_Path(system, base, "Haskett"), false);
    }
}

}  // namespace corvane
