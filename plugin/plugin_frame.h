// What every export shares: the values the installer hands to each call, popping
// arguments off the installer's string stack, the operating-system name and path joining.
#pragma once

#include <cstddef>
#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// The values of the NSIS calling convention, overwritten at the start of every export.
// Only the stack top is read afterwards.
struct Plugin_Call {
    void* parent_window = nullptr;
    int string_size = 0;
    void* variables = nullptr;
    Stack_Entry** stack_top = nullptr;
};

extern Plugin_Call g_call;

// Stores the four values of an export's arguments in g_call.
void Record_Call(void* parent_window, int string_size, void* variables, Stack_Entry** stack_top);

// Pops the top stack entry into `text`, keeping at most `max_chars` characters (whole
// UTF-8 characters, so a cut never splits one). Frees the entry. Returns false and leaves
// `text` empty when there is no stack or it is empty.
bool Pop_String(Plugin_System& system, std::string& text, std::size_t max_chars);

// Keeps at most `max_chars` whole UTF-8 characters of `text`.
std::string Cut_Characters(const std::string& text, std::size_t max_chars);

// Maps the version query to its short name ("XP", "Windows_7", ..., "Unknown").
const char* Os_Name_Of(const Os_Version& version);

// Queries the version and names it; major and minor come back through the optional
// out arguments (zeros when the query fails).
std::string Get_OS_Name(Plugin_System& system, int* major = nullptr, int* minor = nullptr);

// The uninstall and migration exports take their Vista branch for these names.
bool Is_Vista_Family(const std::string& os_name);

// Joins path parts with the system's separator.
std::string Join_Path(const Plugin_System& system, const std::string& base,
                      const std::string& part);

}  // namespace corvane
