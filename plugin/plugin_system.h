// Everything the installer plug-in needs from the operating system, behind one small
// interface. The core (frame, log, file helpers, exports' work) only talks to this class;
// system_linux.cpp and system_windows.cpp implement it on POSIX calls and on the real
// Windows calls.
//
// Text contract: every path and text crossing this interface is UTF-8. The Windows
// implementation converts to and from UTF-16 at its edge, so names outside the ANSI code
// page survive.
//
// Error contract: functions that can fail return 0 on success or a Windows system error
// code (Error_*), so both builds log the same numbers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace corvane {

// Windows system error codes used in log lines; the Linux build maps errno onto them.
constexpr int Error_File_Not_Found = 2;
constexpr int Error_Path_Not_Found = 3;
constexpr int Error_Access_Denied = 5;
constexpr int Error_Not_Same_Device = 17;
constexpr int Error_Write_Protect = 19;
constexpr int Error_Gen_Failure = 31;
constexpr int Error_Sharing_Violation = 32;
constexpr int Error_Invalid_Parameter = 87;
constexpr int Error_Disk_Full = 112;
constexpr int Error_Dir_Not_Empty = 145;
constexpr int Error_Already_Exists = 183;
constexpr int Error_Filename_Too_Long = 206;
constexpr int Error_Directory = 267;

// The three special folders, numbered as the shell numbers them (CSIDL values).
enum class Special_Folder : int {
    App_Data = 26,         // the user's roaming application data
    Local_App_Data = 28,   // the user's local application data (holds VirtualStore)
    Common_App_Data = 35,  // application data shared by all users
};

// The platform value of the version query that means Windows NT.
constexpr int Platform_NT = 2;

struct Os_Version {
    int platform = 0;
    int major = 0;
    int minor = 0;
};

struct Folder_Entry {
    std::string name;
    bool is_folder = false;
};

// One NSIS stack entry as the installer lays it out: the next pointer comes first and the
// zero-terminated text follows it (8-bit on Linux, UTF-16 on Windows).
struct Stack_Entry {
    Stack_Entry* next;
};

// Windows file times count 100-nanosecond ticks since 1601-01-01 UTC.
using File_Ticks = std::uint64_t;

class Plugin_System {
  public:
    virtual ~Plugin_System() = default;

    // Path separator of this system's paths ('\\' on Windows, '/' on Linux).
    virtual char Separator() const = 0;

    // Asks for a special folder without creating it. Returns false when the system cannot
    // name one (the export then skips the block that needs it).
    virtual bool Get_Special_Folder(Special_Folder which, std::string& path) = 0;

    // The version query. Fails only when the system refuses to answer; the caller then
    // treats the version as all zeros ("Unknown").
    virtual bool Get_Version(Os_Version& version) = 0;

    // Lists the entries of a folder ("." and ".." excluded) in the order the file system
    // gives them. Returns 0, or the error code when the folder cannot be listed.
    virtual int List_Folder(const std::string& folder, std::vector<Folder_Entry>& entries) = 0;

    // True when something exists at the path (file or folder).
    virtual bool Path_Exists(const std::string& path) = 0;

    // Deletes one file. 0 or the error code.
    virtual int Delete_File(const std::string& path) = 0;

    // Removes an empty folder. 0 or the error code (Error_Dir_Not_Empty when not empty).
    virtual int Remove_Empty_Folder(const std::string& folder) = 0;

    // Creates one folder (its parent must exist). 0 or the error code
    // (Error_Already_Exists when it is already there).
    virtual int Create_Folder(const std::string& folder) = 0;

    // Moves a file, never replacing an existing target: fails with Error_Already_Exists
    // then. Keeps the file's times. 0 or the error code.
    virtual int Move_No_Replace(const std::string& from, const std::string& to) = 0;

    // Replaces `to` by `from` in one atomic step (settings rewrite). 0 or the error code.
    virtual int Replace_File(const std::string& from, const std::string& to) = 0;

    // Last-write time of a file opened for reading with read sharing only. False when the
    // file cannot be opened or its time cannot be read.
    virtual bool Get_Write_Ticks(const std::string& path, File_Ticks& ticks) = 0;

    // Creation time of a file or folder (opened with backup semantics, read sharing only).
    // False when it cannot be opened or the time cannot be read.
    virtual bool Get_Creation_Ticks(const std::string& path, File_Ticks& ticks) = 0;

    // Current time.
    virtual File_Ticks Get_Current_Ticks() = 0;

    // Opens a stdio stream with a C mode ("r", "w", "a"). Null when it cannot be opened.
    virtual std::FILE* Open_Stream(const std::string& path, const char* mode) = 0;

    // Pushes a written stream's data to the disk before it replaces another file. False on
    // failure.
    virtual bool Sync_Stream(std::FILE* stream) = 0;

    // Sends one HTTP GET to the URL with the given user agent, always from the server and
    // never from a cache, and returns once the reply's headers have arrived or the request
    // failed. The body is not read. False when no reply came.
    virtual bool Http_Get(const std::string& url, const char* user_agent) = 0;

    // Copies the text of a stack entry as UTF-8, reading at most `string_size` characters
    // of it (the installer's string size).
    virtual std::string Entry_Text(const Stack_Entry* entry, int string_size) = 0;

    // Frees a popped stack entry the way the installer allocated it.
    virtual void Free_Entry(Stack_Entry* entry) = 0;
};

// The system the exports run on: the Linux or the Windows implementation.
Plugin_System& Host_System();

}  // namespace corvane
