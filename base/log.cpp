#include "base/log.h"

#include <sys/file.h>
#include <unistd.h>

#include <cstdarg>
#include <cstring>
#include <ctime>

std::FILE* Engine_Log = nullptr;

namespace {

const char Header_1[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "Courier New;}{\\f1\\fnil\\fcharset0 Courier New;}}";
const char Header_2[] =
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red0"
    "\\green0\\blue255;}{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\pard\\fs20";
const char Header_3[] =
    "--------------------------------------\\par Logging started: "
    "%.2i/%.2i/%.4i - %.2i:%.2i:%.2i\\par---------------------------------------\\par\\par";

const char* const Entry_Formats[4] = {
    " \\cf1\\f0 %.2i:%.2i:%.2i :: %s\\cf0\\f1\\par",
    " \\cf2\\f0 %.2i:%.2i:%.2i :: %s\\cf0\\f1\\par",
    " \\cf3\\f0 %.2i:%.2i:%.2i :: %s\\cf0\\f1\\par",
    " \\cf4\\f0 %.2i:%.2i:%.2i :: %s\\cf0\\f1\\par",
};

std::tm Local_Now() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

}  // namespace

std::FILE* Log_Open(const char* path) {
    if (path == nullptr) return nullptr;
    // Opened without truncation first: a second instance must not wipe the log that the
    // running instance still writes to. Whoever holds the lock owns the file.
    // Close-on-exec ("e"): a program started from the game (the browser behind the
    // website button) must not inherit the descriptor, or its flock would outlive the
    // game and keep the next start from opening a log.
    std::FILE* file = std::fopen(path, "ae");
    if (file == nullptr) return nullptr;
    if (flock(fileno(file), LOCK_EX | LOCK_NB) != 0) {
        std::fclose(file);
        return nullptr;
    }
    if (ftruncate(fileno(file), 0) != 0) {
        std::fclose(file);
        return nullptr;
    }
    std::tm now = Local_Now();
    std::fputs(Header_1, file);
    std::fputs(Header_2, file);
    std::fprintf(file, Header_3, now.tm_mon + 1, now.tm_mday, now.tm_year + 1900, now.tm_hour,
                 now.tm_min, now.tm_sec);
    std::fflush(file);
    return file;
}

void Log_Write(std::FILE* file, int level, const char* format, ...) {
    if (file == nullptr) return;
    char message[1024] = {0};
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof message, format, args);
        va_end(args);
    }
    std::tm now = Local_Now();
    for (char* c = message; *c != '\0'; ++c) {
        if (*c == '\\') *c = '/';
    }
    if (level >= 0 && level <= 3) {
        // One of the four literal entry formats above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::fprintf(file, Entry_Formats[level], now.tm_hour, now.tm_min, now.tm_sec, message);
#pragma GCC diagnostic pop
    }
    std::fflush(file);
}

void Log_Close(std::FILE* file) {
    if (file != nullptr) std::fclose(file);
}
