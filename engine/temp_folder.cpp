// The process's private temporary folder.
//
// Archive members are extracted here rather than into the program folder, where the
// loaders historically found them: an installed program folder is often read-only, and
// a loose file of the same name that a developer placed there must never be overwritten
// or deleted by a load. A folder of our own, made with mkdtemp, has neither problem, and
// removing it at exit guarantees nothing extracted is left behind.
//
// A process killed outright cannot remove its folder. Each owner therefore holds a lock on
// its folder for as long as it lives, and a new folder's maker first removes the folders
// of its own user whose lock is free: their owners are gone.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/log.h"
#include "engine/pak.h"

namespace {

// Plain storage: no destructor that could run before the exit handler below.
char Folder[PATH_MAX] = {};
pid_t Folder_Owner = 0;
int Folder_Lock = -1;  // an open descriptor of the folder, locked while we live
std::mutex Folder_Mutex;

const char Prefix[] = "tindral-";

// Whether `name` is what mkdtemp makes of "tindral-XXXXXX".
bool Is_Folder_Name(const char* name) {
    if (std::strncmp(name, Prefix, sizeof Prefix - 1) != 0) return false;
    const char* tail = name + sizeof Prefix - 1;
    if (std::strlen(tail) != 6) return false;
    for (const char* c = tail; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)) == 0) return false;
    }
    return true;
}

// Empties and removes the folder `name` in `base` when it is one of ours whose owner is
// gone: a real folder (no link) of this user whose lock can be taken. Only the plain
// files a load extracts are removed; a folder holding anything else stays.
void Remove_Leftover(int base, const char* name) {
    const int fd = openat(base, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid() || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    const int list_fd = dup(fd);
    if (DIR* dir = list_fd >= 0 ? fdopendir(list_fd) : nullptr) {
        while (dirent* item = readdir(dir)) {
            struct stat member;
            if (fstatat(fd, item->d_name, &member, AT_SYMLINK_NOFOLLOW) == 0 &&
                !S_ISDIR(member.st_mode)) {
                unlinkat(fd, item->d_name, 0);
            }
        }
        closedir(dir);
    } else if (list_fd >= 0) {
        close(list_fd);
    }
    unlinkat(base, name, AT_REMOVEDIR);
    close(fd);  // releases the lock
}

void Remove_Leftovers(const char* base) {
    const int base_fd = open(base, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base_fd < 0) return;
    const int list_fd = dup(base_fd);
    if (DIR* dir = list_fd >= 0 ? fdopendir(list_fd) : nullptr) {
        while (dirent* item = readdir(dir)) {
            if (Is_Folder_Name(item->d_name)) Remove_Leftover(base_fd, item->d_name);
        }
        closedir(dir);
    } else if (list_fd >= 0) {
        close(list_fd);
    }
    close(base_fd);
}

// Makes the folder from `pattern` and locks it. A leftover-remover of another starting
// game may take the new folder for a leftover between mkdtemp and the lock; a folder
// that no longer exists once locked is given up and made anew.
bool Make_Locked_Folder(char* pattern, std::size_t size) {
    char attempt[PATH_MAX];
    for (int tries = 0; tries < 10; ++tries) {
        std::memcpy(attempt, pattern, size);
        if (mkdtemp(attempt) == nullptr) return false;
        const int fd = open(attempt, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &info) == 0 && info.st_nlink > 0) {
            std::memcpy(pattern, attempt, size);
            Folder_Lock = fd;
            return true;
        }
        close(fd);
    }
    errno = EAGAIN;
    return false;
}

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
    if (Folder_Lock >= 0) close(Folder_Lock);
    Folder_Lock = -1;
}

}  // namespace

const char* Private_Temp_Folder() {
    std::lock_guard<std::mutex> lock(Folder_Mutex);
    if (Folder[0] != '\0') return Folder;
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || base[0] == '\0') base = "/tmp";
    char pattern[PATH_MAX];
    int length = std::snprintf(pattern, sizeof pattern, "%s/tindral-XXXXXX", base);
    if (length >= 0 && length < static_cast<int>(sizeof pattern)) Remove_Leftovers(base);
    if (length < 0 || length >= static_cast<int>(sizeof pattern) ||
        !Make_Locked_Folder(pattern, static_cast<std::size_t>(length) + 1)) {
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
