// The only file of the plug-in that includes libcurl.
#include "plugin/system_linux.h"

#include <curl/curl.h>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "plugin/nsis_abi.h"

namespace corvane {
namespace {

constexpr std::int64_t Seconds_1601_To_1970 = 11644473600LL;

File_Ticks Ticks_From(std::int64_t seconds, long nanoseconds) {
    std::int64_t ticks = (seconds + Seconds_1601_To_1970) * 10000000LL + nanoseconds / 100;
    return ticks < 0 ? 0 : static_cast<File_Ticks>(ticks);
}

bool Parent_Is_Folder(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string parent = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    struct stat info;
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Lexists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// An absolute folder from an XDG variable, or $HOME followed by `fallback`.
bool Xdg_Folder(const char* variable, const char* fallback, std::string& path) {
    const char* value = std::getenv(variable);
    // Relative values are invalid by the XDG rules and are ignored.
    if (value != nullptr && value[0] == '/') {
        path = value;
        return true;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return false;
    path = std::string(home) + fallback;
    return true;
}

int Copy_Then_Delete(const std::string& from, const std::string& to) {
    struct stat info;
    if (lstat(from.c_str(), &info) != 0) return Windows_Error(errno, from);
    // Like the system move, only files cross devices; folders do not.
    if (!S_ISREG(info.st_mode)) return Error_Not_Same_Device;
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Windows_Error(errno, from);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0) {
        int error = Windows_Error(errno, to);
        close(in);
        return error;
    }
    int error = 0;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = Windows_Error(errno, from);
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got && error == 0;) {
            ssize_t put = write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0)
                error = Windows_Error(errno, to);
            else
                done += put;
        }
        if (error != 0) break;
    }
    const timespec times[2] = {info.st_atim, info.st_mtim};
    if (error == 0 && (futimens(out, times) != 0 || fsync(out) != 0)) {
        error = Windows_Error(errno, to);
    }
    close(in);
    if (close(out) != 0 && error == 0) error = Windows_Error(errno, to);
    if (error == 0 && unlink(from.c_str()) != 0) error = Windows_Error(errno, from);
    if (error != 0) unlink(to.c_str());
    return error;
}

// For file systems without RENAME_NOREPLACE: a hard link fails when the target exists.
int Move_Without_Renameat2(const std::string& from, const std::string& to) {
    struct stat info;
    if (lstat(from.c_str(), &info) != 0) return Windows_Error(errno, from);
    if (!S_ISDIR(info.st_mode) && link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return 0;
    }
    if (!S_ISDIR(info.st_mode) && errno != EPERM && errno != ENOTSUP) {
        return errno == EXDEV ? Copy_Then_Delete(from, to) : Windows_Error(errno, to);
    }
    if (Lexists(to)) return Error_Already_Exists;
    if (rename(from.c_str(), to.c_str()) != 0) return Windows_Error(errno, to);
    return 0;
}

size_t Drop_Body(char*, size_t, size_t, void*) {
    // Returning less than given stops the transfer: the headers have arrived by now and
    // the body is not wanted.
    return 0;
}

}  // namespace

int Windows_Error(int error_number, const std::string& path) {
    switch (error_number) {
        case 0:
            return 0;
        case ENOENT:
            return Parent_Is_Folder(path) ? Error_File_Not_Found : Error_Path_Not_Found;
        case ENOTDIR:
            return Error_Path_Not_Found;
        case EACCES:
        case EPERM:
        case EISDIR:
            return Error_Access_Denied;
        case ENOTEMPTY:
            return Error_Dir_Not_Empty;
        case EEXIST:
            return Error_Already_Exists;
        case EXDEV:
            return Error_Not_Same_Device;
        case EROFS:
            return Error_Write_Protect;
        case EBUSY:
        case ETXTBSY:
            return Error_Sharing_Violation;
        case EINVAL:
            return Error_Invalid_Parameter;
        case ENOSPC:
        case EDQUOT:
            return Error_Disk_Full;
        case ENAMETOOLONG:
            return Error_Filename_Too_Long;
        default:
            return Error_Gen_Failure;
    }
}

bool Linux_System::Get_Special_Folder(Special_Folder which, std::string& path) {
    switch (which) {
        case Special_Folder::App_Data:
            return Xdg_Folder("XDG_DATA_HOME", "/.local/share", path);
        case Special_Folder::Local_App_Data:
            return Xdg_Folder("XDG_STATE_HOME", "/.local/state", path);
        case Special_Folder::Common_App_Data:
            path = "/var/lib";
            return true;
    }
    return false;
}

bool Linux_System::Get_Version(Os_Version& version) {
    version = Os_Version{};
    return true;
}

int Linux_System::List_Folder(const std::string& folder, std::vector<Folder_Entry>& entries) {
    entries.clear();
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return Windows_Error(errno, folder);
    while (const dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        Folder_Entry item{entry->d_name, entry->d_type == DT_DIR};
        // A link to a folder lists as a folder, as a junction does on Windows.
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            std::string path = folder + "/" + item.name;
            item.is_folder = stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(item));
    }
    closedir(listing);
    return 0;
}

bool Linux_System::Path_Exists(const std::string& path) {
    return Lexists(path);
}

int Linux_System::Delete_File(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : Windows_Error(errno, path);
}

int Linux_System::Remove_Empty_Folder(const std::string& folder) {
    if (rmdir(folder.c_str()) == 0) return 0;
    if (errno == ENOTEMPTY || errno == EEXIST) return Error_Dir_Not_Empty;
    if (errno == ENOTDIR && Lexists(folder)) return Error_Directory;
    return Windows_Error(errno, folder);
}

int Linux_System::Create_Folder(const std::string& folder) {
    return mkdir(folder.c_str(), 0777) == 0 ? 0 : Windows_Error(errno, folder);
}

int Linux_System::Move_No_Replace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    switch (errno) {
        case EINVAL:
        case ENOSYS:
        case ENOTSUP:
            return Move_Without_Renameat2(from, to);
        case EXDEV:
            return Copy_Then_Delete(from, to);
        case ENOENT:
            return Lexists(from) ? Windows_Error(ENOENT, to) : Windows_Error(ENOENT, from);
        default:
            return Windows_Error(errno, to);
    }
}

int Linux_System::Replace_File(const std::string& from, const std::string& to) {
    if (rename(from.c_str(), to.c_str()) != 0) return Windows_Error(errno, to);
    // Make the new name itself durable.
    std::size_t slash = to.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    int handle = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        fsync(handle);
        close(handle);
    }
    return 0;
}

bool Linux_System::Get_Write_Ticks(const std::string& path, File_Ticks& ticks) {
    int handle = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) return false;
    struct stat info;
    bool known = fstat(handle, &info) == 0 && !S_ISDIR(info.st_mode);
    close(handle);
    // Without backup semantics the system cannot open a folder for its time.
    if (!known) return false;
    ticks = Ticks_From(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    return true;
}

bool Linux_System::Get_Creation_Ticks(const std::string& path, File_Ticks& ticks) {
    int handle = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) return false;
    struct statx info;
    bool known = statx(handle, "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME, &info) == 0;
    close(handle);
    if (!known) return false;
    // File systems that keep no birth time give the last-write time instead.
    const statx_timestamp& time = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
    ticks = Ticks_From(time.tv_sec, time.tv_nsec);
    return true;
}

File_Ticks Linux_System::Get_Current_Ticks() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Ticks_From(now.tv_sec, now.tv_nsec);
}

std::FILE* Linux_System::Open_Stream(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), (std::string(mode) + "e").c_str());
}

bool Linux_System::Sync_Stream(std::FILE* stream) {
    return std::fflush(stream) == 0 && fsync(fileno(stream)) == 0;
}

bool Linux_System::Http_Get(const std::string& url, const char* user_agent) {
    // What WinINet's forced reload asks of every cache and proxy on the way: answer from
    // the server, not from a stored copy. A stored answer would leave the report unsent.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    curl_slist* more =
        headers != nullptr ? curl_slist_append(headers, "Pragma: no-cache") : nullptr;
    if (more == nullptr) {
        curl_slist_free_all(headers);
        return false;
    }
    headers = more;
    CURL* request = curl_easy_init();
    if (request == nullptr) {
        curl_slist_free_all(headers);
        return false;
    }
    curl_easy_setopt(request, CURLOPT_URL, url.c_str());
    curl_easy_setopt(request, CURLOPT_USERAGENT, user_agent);
    curl_easy_setopt(request, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(request, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(request, CURLOPT_WRITEFUNCTION, Drop_Body);
    curl_easy_setopt(request, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(request, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(request, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(request, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The installer waits on this call: a dead network must not hold it for minutes.
    curl_easy_setopt(request, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(request, CURLOPT_TIMEOUT, 30L);
    // The plug-in runs inside someone else's process: no signal handlers of ours.
    curl_easy_setopt(request, CURLOPT_NOSIGNAL, 1L);
    CURLcode result = curl_easy_perform(request);
    curl_easy_cleanup(request);
    curl_slist_free_all(headers);
    return result == CURLE_OK || result == CURLE_WRITE_ERROR;
}

std::string Linux_System::Entry_Text(const Stack_Entry* entry, int string_size) {
    const char* text = reinterpret_cast<const Nsis_Stack_Entry*>(entry)->text;
    std::size_t limit = string_size > 0 ? static_cast<std::size_t>(string_size) : SIZE_MAX;
    return std::string(text, strnlen(text, limit));
}

void Linux_System::Free_Entry(Stack_Entry* entry) {
    std::free(entry);
}

Plugin_System& Host_System() {
    static Linux_System system;
    return system;
}

}  // namespace corvane
