#include "plugin/file_helpers.h"

#include <vector>

#include "plugin/plugin_frame.h"
#include "plugin/plugin_log.h"

namespace corvane {
namespace {

std::string Backup_Name(const std::string& name, File_Time time) {
    return name + "." + std::to_string(time) + ".bak";
}

bool Is_Missing_Error(int error) {
    return error == Error_File_Not_Found || error == Error_Path_Not_Found;
}

File_Time Time_If_Present(Plugin_System& system, const std::string& path) {
    return system.Path_Exists(path) ? Get_File_Time(system, path) : 0;
}

}  // namespace

File_Time File_Time_From_Ticks(File_Ticks ticks) {
    constexpr std::uint64_t Ticks_Per_Second = 10000000;
    constexpr std::uint64_t Seconds_1601_To_1970 = 11644473600ULL;
    // Unsigned arithmetic wraps modulo 2^64, which keeps the low 32 bits exact.
    auto seconds = static_cast<std::uint32_t>(ticks / Ticks_Per_Second - Seconds_1601_To_1970);
    return static_cast<File_Time>(seconds);
}

File_Time Get_File_Time(Plugin_System& system, const std::string& path) {
    File_Ticks ticks = 0;
    if (!system.Get_Write_Ticks(path, ticks)) ticks = system.Get_Current_Ticks();
    return File_Time_From_Ticks(ticks);
}

File_Time Get_Creation_Time(Plugin_System& system, const std::string& path) {
    File_Ticks ticks = 0;
    if (!system.Get_Creation_Ticks(path, ticks)) ticks = system.Get_Current_Ticks();
    return File_Time_From_Ticks(ticks);
}

void Create_Folders(Plugin_System& system, const std::string& folder) {
    for (std::size_t at = folder.find(system.Separator(), 1); at != std::string::npos;
         at = folder.find(system.Separator(), at + 1)) {
        system.Create_Folder(folder.substr(0, at));
    }
    system.Create_Folder(folder);
}

void Remove_Folder(Plugin_System& system, const std::string& folder) {
    std::vector<Folder_Entry> entries;
    system.List_Folder(folder, entries);
    for (const Folder_Entry& entry : entries) {
        if (!entry.is_folder) system.Delete_File(Join_Path(system, folder, entry.name));
    }
    system.Remove_Empty_Folder(folder);
}

void Move_File(Plugin_System& system, const std::string& name, const std::string& source,
               const std::string& destination, std::FILE* log) {
    const std::string from = Join_Path(system, source, name);
    const std::string to = Join_Path(system, destination, name);
    const File_Time s = Time_If_Present(system, from);
    const File_Time d = Time_If_Present(system, to);
    if (s == 0) return;

    const char* S = source.c_str();
    const char* D = destination.c_str();
    const char* N = name.c_str();
    if (s > d) {
        if (d != 0) {
            const std::string backup = Backup_Name(name, d);
            int error = system.Move_No_Replace(to, Join_Path(system, destination, backup));
            if (error == 0) {
                Log_Line(log, "Renamed older file to [%s]", backup.c_str());
            } else {
                Log_Line(log, "Could not rename older file to [%s] - Error [%i]", backup.c_str(),
                         error);
            }
        }
        int error = system.Move_No_Replace(from, to);
        if (error == 0) {
            Log_Line(log, "Moved [%s][%s] to [%s]", S, N, D);
        } else {
            Log_Line(log, "Could not move [%s][%s] to [%s] - Error [%i]", S, N, D, error);
        }
    } else if (s < d) {
        int error =
            system.Move_No_Replace(from, Join_Path(system, destination, Backup_Name(name, s)));
        if (error == 0) {
            Log_Line(log, "Moved [%s][%s] to [%s]", S, N, D);
        } else {
            Log_Line(log, "Could not move [%s][%s] to [%s] - Error [%i]", S, N, D, error);
        }
    } else if (source != destination) {
        int error = system.Delete_File(from);
        if (error == 0) {
            Log_Line(log, "Removed [%s][%s] - already exists in [%s]", S, N, D);
        } else if (!Is_Missing_Error(error)) {
            Log_Line(log, "Could not remove [%s][%s] - already exists in [%s] - Error [%i]", S, N,
                     D, error);
        }
    } else {
        Log_Line(log, "Kept [%s] in [%s]", N, S);
    }
}

void Migrate_Folder(Plugin_System& system, const std::string& source,
                    const std::string& destination, std::FILE* log) {
    system.Create_Folder(destination);
    Log_Line(log, "Looking in [%s]", source.c_str());
    std::vector<Folder_Entry> entries;
    system.List_Folder(source, entries);
    for (const Folder_Entry& entry : entries) {
        if (!entry.is_folder) Move_File(system, entry.name, source, destination, log);
    }
    int error = system.Remove_Empty_Folder(source);
    if (error == 0) {
        Log_Line(log, "Removed empty folder [%s]", source.c_str());
    } else if (!Is_Missing_Error(error)) {
        Log_Line(log, "Could not remove [%s] - Error [%i]", source.c_str(), error);
    }
}

}  // namespace corvane
