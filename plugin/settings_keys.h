// The sibling product's settings file: white-space separated tokens, each key followed by
// its value; a value holds no white space (a space inside one is stored as "*").
#pragma once

#include <cstddef>
#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// The longest value Read_Key gives back: the longest path Windows can name. The file
// comes from another program and may be damaged: neither it nor any one of its tokens is
// ever held in memory whole.
constexpr std::size_t Max_Value_Bytes = 32767;

// The token after the first token equal to `key` (exact, case-sensitive). The default
// when the file cannot be opened, the key is missing or it is the last token, and when
// that token is longer than Max_Value_Bytes (no setting's value). Holds at most that much
// of the file in memory.
std::string Read_Key(Plugin_System& system, const std::string& file, const std::string& key,
                     const std::string& default_value);

// Rewrites the file with every occurrence of `key` followed by `value` ("key\tvalue\n").
// Other tokens are kept with the single character that followed each, so white space
// before the first token is dropped and a run of white space shrinks to its first
// character; a token goes through byte for byte however long it is, and little of the
// file is held in memory at a time. The rewrite goes to a temporary file beside the
// settings file (its name with ".dat" changed to ".tmp") that then replaces the settings
// file in one atomic step, so the settings survive a crash at any moment. Returns false,
// with the settings file untouched, when anything fails.
bool Write_Key(Plugin_System& system, const std::string& file, const std::string& key,
               const std::string& value);

// The temporary file Write_Key writes: only the file name changes, never a folder.
std::string Temporary_Name(const std::string& file);

}  // namespace corvane
