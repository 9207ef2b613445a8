// The plug-in's own RTF log: a header, then one timestamped line after another, each
// flushed at once so the file is complete whenever the installer stops. No closing brace
// and no line-break character is ever written.
#pragma once

#include <cstdio>
#include <string>

#include "plugin/plugin_system.h"

namespace corvane {

// Opens the log at `path`. Fresh: truncates it and writes the three header pieces with
// the local time of opening. Otherwise appends. Returns null when it cannot be opened.
std::FILE* Open_Log(Plugin_System& system, const std::string& path, bool fresh);

// Formats one message and writes it as a log line with the local time. A null log writes
// nothing.
void Log_Line(std::FILE* log, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The message as it goes into the RTF body: backslashes become forward slashes so paths
// do not read as control words; braces, control characters and characters beyond ASCII
// are written as RTF escapes so the document stays well-formed whatever a path holds.
std::string Rtf_Text(const std::string& message);

}  // namespace corvane
