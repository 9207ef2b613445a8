// The process's private temporary folder.
//
// Archive members are extracted here rather than into the program folder, where the
// loaders historically found them: an installed program folder is often read-only, and
// a loose file of the same name that a developer placed there must never be overwritten
// or deleted by a load. A folder of our own, made with mkdtemp, has neither problem, and
// removing it at exit guarantees nothing extracted is left behind.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/pak.h"
#include "shell/log.h"

namespace {

// Plain storage: no destructor that could run before the exit handler below.
char Folder[PATH_MAX] = {};
pid_t Folder_Owner = 0;
std::mutex Folder_Mutex;

// Removes the folder and the files in it. Only the process that made the folder does
// so: a forked child that exits must not pull it away from its parent.
void Remove_Folder() {
    if (Folder[0] == '\0' || getpid() != Folder_Owner) return;
    if (DIR* dir = opendir(Folder)) {
        while (dirent* item = readdir(dir)) {
            if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) {
                continue;
            }
            if (unlinkat(dirfd(dir), item->d_name, 0) != 0 && errno == EISDIR) {
                unlinkat(dirfd(dir), item->d_name, AT_REMOVEDIR);
            }
        }
        closedir(dir);
    }
    rmdir(Folder);
    Folder[0] = '\0';
}

}  // namespace

const char* Private_Temp_Folder() {
    std::lock_guard<std::mutex> lock(Folder_Mutex);
    if (Folder[0] != '\0') return Folder;
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || base[0] == '\0') base = "/tmp";
    char pattern[PATH_MAX];
    int length = std::snprintf(pattern, sizeof pattern, "%s/tindral-XXXXXX", base);
    if (length < 0 || length >= static_cast<int>(sizeof pattern) || mkdtemp(pattern) == nullptr) {
        Log_Write(Engine_Log, 1, "Private_Temp_Folder() :: failed (%s/tindral-XXXXXX: %s)", base,
                  std::strerror(errno));
        return nullptr;
    }
    std::memcpy(Folder, pattern, static_cast<std::size_t>(length) + 1);
    Folder_Owner = getpid();
    static bool registered = false;
    if (!registered) registered = std::atexit(Remove_Folder) == 0;
    return Folder;
}
