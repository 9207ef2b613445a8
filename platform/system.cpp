// Process, files, folders, time and the single-instance lock.
#include <SDL.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
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

bool Platform_Create_Directories(const char* path, std::string* error) {
    const std::string full = path != nullptr ? path : "";
    if (full.empty() || full[0] != '/') {
        if (error != nullptr) *error = "not an absolute path";
        return false;
    }
    // Each level in turn, from the top: mkdir reports EEXIST for a level that is there
    // (a folder, or something else, which the final check catches).
    for (size_t end = full.find('/', 1);; end = full.find('/', end + 1)) {
        const std::string level = full.substr(0, end);
        if (!level.empty() && level.back() != '/' && mkdir(level.c_str(), 0700) != 0 &&
            errno != EEXIST) {
            if (error != nullptr) *error = level + ": " + std::strerror(errno);
            return false;
        }
        if (end == std::string::npos) break;
    }
    struct stat info;
    if (stat(full.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        if (error != nullptr) *error = full + ": not a folder";
        return false;
    }
    return true;
}

bool Platform_File_Exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

// $HOME, else the password entry's home folder; empty when neither names one.
std::string Home_Folder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    return home != nullptr ? home : "";
}

// Relative values of the XDG variables are invalid and ignored, as the XDG rules say.
std::string Home_Relative(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    const std::string home = Home_Folder();
    return home.empty() ? home : home + fallback;
}

int Instance_Lock_Fd = -1;

std::uint64_t Fnv1a_64(const char* text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (; *text != '\0'; ++text) {
        hash ^= static_cast<unsigned char>(*text);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

std::string Platform_Special_Folder(Platform_Folder folder) {
    switch (folder) {
        case FOLDER_APPDATA: return Home_Relative("XDG_DATA_HOME", "/.local/share");
        case FOLDER_LOCAL_APPDATA: return Home_Relative("XDG_STATE_HOME", "/.local/state");
        case FOLDER_COMMON_APPDATA: return "/var/lib";
    }
    return std::string();
}

int Platform_Instance_Lock(const char* name) {
    // A socket bound to a name in the abstract namespace: it needs no folder, and the
    // kernel frees the name when the process ends, however it ends. The user id keeps
    // users apart; the name is hashed to fit the address.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1,
                                     "Tindral/%lu/%016llx", static_cast<unsigned long>(getuid()),
                                     static_cast<unsigned long long>(Fnv1a_64(name)));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int cause = errno;
        close(fd);
        return cause == EADDRINUSE ? 0 : -1;
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

std::uint64_t Platform_Nanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull +
           static_cast<std::uint64_t>(now.tv_nsec);
}

bool Platform_Local_Time(std::tm* out) {
    std::time_t now = std::time(nullptr);
    return now != static_cast<std::time_t>(-1) && localtime_r(&now, out) != nullptr;
}

void Platform_Sleep(int milliseconds) {
    timespec pause{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}
