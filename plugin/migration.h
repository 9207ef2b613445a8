// Moving Haskett's data files from an old installation folder (and, on Vista and 7, from
// its VirtualStore copy and from the all-users copy) into the product folder under the
// user's application data, with the "v2.65 update log.dat" log of every step.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// The old installation folder keeps at most this many characters.
constexpr std::size_t Old_Folder_Chars = 249;

// The whole update: one pass from the old folder, or three passes on Vista and 7. An
// empty old folder (the installer gave none) does nothing: the passes would otherwise
// read from the root of the drive.
void Update_File_Locations(Plugin_System& system, const std::string& old_folder);

// One pass from `source` into the destination layout; `fresh` starts a new log file,
// otherwise the pass appends to it. A pass needs the user's application data folder and
// does nothing without it.
void Migrate_Locations(Plugin_System& system, const std::string& source, bool fresh);

}  // namespace corvane
