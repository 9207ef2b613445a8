// The file helpers the exports share: file times, removing a product folder, moving one
// file by the conflict and backup rules, and moving the files of a whole folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// Seconds since 1970-01-01 UTC, signed 32-bit; 0 stands for a missing file.
using File_Time = std::int32_t;

// (ticks / 10,000,000) - 11,644,473,600, keeping the low 32 bits.
File_Time File_Time_From_Ticks(File_Ticks ticks);

// Last-write time of a file, or the current time when it cannot be opened or read.
File_Time Get_File_Time(Plugin_System& system, const std::string& path);

// Creation time of a file or folder, or the current time when it cannot be read.
File_Time Get_Creation_Time(Plugin_System& system, const std::string& path);

// Creates a folder and every missing folder above it; failures are ignored.
void Create_Folders(Plugin_System& system, const std::string& folder);

// Deletes the plain files directly inside the folder, then the folder if that left it
// empty. Subfolders are not entered. Every failure is ignored silently.
void Remove_Folder(Plugin_System& system, const std::string& folder);

// Moves source/name to destination/name. Of two copies the newer wins and the older is
// kept as "name.TIME.bak" beside it; the same file in two folders is removed from the
// source; nothing is ever overwritten. Logs the outcome.
void Move_File(Plugin_System& system, const std::string& name, const std::string& source,
               const std::string& destination, std::FILE* log);

// Creates the destination, moves every file of the source into it with Move_File, then
// removes the source if it ended up empty. Logs what it looked at and the outcome.
void Migrate_Folder(Plugin_System& system, const std::string& source,
                    const std::string& destination, std::FILE* log);

}  // namespace corvane
