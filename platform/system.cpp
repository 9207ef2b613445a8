// Process, files, folders, time and the single-instance lock.
#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

std::string Platform_Module_Path() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

bool Platform_Set_Current_Directory(const char* path) { return chdir(path) == 0; }

bool Platform_Create_Directory(const char* path) {
    if (mkdir(path, 0755) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool Platform_File_Exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

std::string Home_Relative(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + fallback;
}

int Instance_Lock_Fd = -1;

}  // namespace

std::string Platform_Special_Folder(Platform_Folder folder) {
    switch (folder) {
        case FOLDER_APPDATA: return Home_Relative("XDG_DATA_HOME", "/.local/share");
        case FOLDER_LOCAL_APPDATA: return Home_Relative("XDG_STATE_HOME", "/.local/state");
        case FOLDER_COMMON_APPDATA: return "/var/lib";
    }
    return std::string();
}

int Platform_Instance_Lock(const char* lock_path, const char* name) {
    int fd = open(lock_path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return 0;
    }
    // The name only identifies the owner to a person looking at the file.
    if (ftruncate(fd, 0) == 0) {
        ssize_t ignored = write(fd, name, std::strlen(name));
        (void)ignored;
    }
    Instance_Lock_Fd = fd;
    return 1;
}

void Platform_Instance_Unlock() {
    if (Instance_Lock_Fd >= 0) close(Instance_Lock_Fd);
    Instance_Lock_Fd = -1;
}

Platform_Version Platform_Get_Version() { return Platform_Version{}; }

void Platform_Open_URL(const char* url) { SDL_OpenURL(url); }

std::uint64_t Platform_Cycle_Counter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull +
           static_cast<std::uint64_t>(now.tv_nsec);
#endif
}

bool Platform_Performance_Counter_Available() {
    timespec now;
    return clock_gettime(CLOCK_MONOTONIC, &now) == 0;
}

std::uint32_t Platform_Milliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(now.tv_sec) * 1000ull +
                                      static_cast<unsigned long long>(now.tv_nsec) / 1000000ull);
}

std::time_t Platform_Calendar_Time() { return std::time(nullptr); }

bool Platform_Local_Time(std::tm* out) {
    std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && localtime_r(&now, out) != nullptr;
}

void Platform_Sleep(int milliseconds) {
    timespec pause{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}
