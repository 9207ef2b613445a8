// The sibling product's settings file: white-space separated tokens, each key followed by
// its value; a value holds no white space (a space inside one is stored as "*").
#pragma once

#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// The token after the first token equal to `key` (exact, case-sensitive). The default
// when the file cannot be opened, the key is missing or it is the last token.
std::string Read_Key(Plugin_System& system, const std::string& file, const std::string& key,
                     const std::string& default_value);

// Rewrites the file with every occurrence of `key` followed by `value` ("key\tvalue\n").
// Other tokens are kept with the single character that followed each, so white space
// before the first token is dropped and a run of white space shrinks to its first
// character. The rewrite goes to a temporary file beside the settings file (its name with
// ".dat" changed to ".tmp") that then replaces the settings file in one atomic step, so
// the settings survive a crash at any moment. Returns false, with the settings file
// untouched, when anything fails.
bool Write_Key(Plugin_System& system, const std::string& file, const std::string& key,
               const std::string& value);

// The temporary file Write_Key writes: only the file name changes, never a folder.
std::string Temporary_Name(const std::string& file);

}  // namespace corvane
