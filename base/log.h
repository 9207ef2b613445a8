// The event log: one RTF document per run, "log.dat" in the per-user data folder.
// Every message is flushed at once so the log is complete up to the last line even
// if the process dies.
#pragma once

#include <cstdio>

// The process-wide open log, or nullptr. Set once by the window's constructor.
extern std::FILE* Engine_Log;

// Opens `path` as a fresh log and writes the three header pieces.
// Returns nullptr for a null path or a file that cannot be opened; also when another
// running instance holds the log, so that its log stays intact.
std::FILE* Log_Open(const char* path);

// Writes one entry at `level` (0 progress, 1 failure, 2 and 3 spare colours; any other
// level writes nothing). The expanded text is cut at 1023 characters and every
// backslash becomes a slash. Does nothing for a null file.
void Log_Write(std::FILE* file, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Closes a log opened by Log_Open (releases its instance lock too).
void Log_Close(std::FILE* file);
