// The plug-in's system layer on Windows: the real calls, in their UTF-16 forms. The core
// keeps UTF-8; every text is converted here, so paths and user names outside the ANSI
// code page survive. The system's own error codes pass through unchanged.
#include <windows.h>
// windows.h first: the headers below use its types.
#include <io.h>
#include <nsis/pluginapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cwchar>

#include "plugin/plugin_system.h"

namespace corvane {
namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Utf8(const wchar_t* text, std::size_t length) {
    if (length == 0) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                   nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

int Result(BOOL succeeded) {
    return succeeded ? 0 : static_cast<int>(GetLastError());
}

File_Ticks Ticks(const FILETIME& time) {
    return (static_cast<File_Ticks>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Opens for reading with read sharing only and reads one of the file's times.
bool Read_Time(const std::string& path, DWORD flags, bool creation, File_Ticks& ticks) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME created{}, written{};
    BOOL known = GetFileTime(file, &created, nullptr, &written);
    CloseHandle(file);
    if (!known) return false;
    ticks = Ticks(creation ? created : written);
    return true;
}

class Windows_System : public Plugin_System {
  public:
    char Separator() const override { return '\\'; }

    bool Get_Special_Folder(Special_Folder which, std::string& path) override {
        wchar_t folder[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, folder, static_cast<int>(which), FALSE)) {
            return false;
        }
        path = Utf8(folder, std::wcslen(folder));
        return true;
    }

    bool Get_Version(Os_Version& version) override {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!GetVersionExW(&info)) return false;
        version.platform = static_cast<int>(info.dwPlatformId);
        version.major = static_cast<int>(info.dwMajorVersion);
        version.minor = static_cast<int>(info.dwMinorVersion);
        return true;
    }

    int List_Folder(const std::string& folder, std::vector<Folder_Entry>& entries) override {
        entries.clear();
        WIN32_FIND_DATAW found;
        HANDLE listing = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
        if (listing == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
        do {
            if (std::wcscmp(found.cFileName, L".") == 0 ||
                std::wcscmp(found.cFileName, L"..") == 0) {
                continue;
            }
            entries.push_back({Utf8(found.cFileName, std::wcslen(found.cFileName)),
                               (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
        return 0;
    }

    bool Path_Exists(const std::string& path) override {
        return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    int Delete_File(const std::string& path) override {
        return Result(DeleteFileW(Wide(path).c_str()));
    }

    int Remove_Empty_Folder(const std::string& folder) override {
        return Result(RemoveDirectoryW(Wide(folder).c_str()));
    }

    int Create_Folder(const std::string& folder) override {
        return Result(CreateDirectoryW(Wide(folder).c_str(), nullptr));
    }

    int Move_No_Replace(const std::string& from, const std::string& to) override {
        return Result(MoveFileW(Wide(from).c_str(), Wide(to).c_str()));
    }

    int Replace_File(const std::string& from, const std::string& to) override {
        return Result(MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }

    bool Get_Write_Ticks(const std::string& path, File_Ticks& ticks) override {
        return Read_Time(path, 0, false, ticks);
    }

    bool Get_Creation_Ticks(const std::string& path, File_Ticks& ticks) override {
        return Read_Time(path, FILE_FLAG_BACKUP_SEMANTICS, true, ticks);
    }

    File_Ticks Get_Current_Ticks() override {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        return Ticks(now);
    }

    std::FILE* Open_Stream(const std::string& path, const char* mode) override {
        return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
    }

    bool Sync_Stream(std::FILE* stream) override {
        return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
    }

    bool Http_Get(const std::string& url, const char* user_agent) override {
        HINTERNET internet = InternetOpenW(Wide(user_agent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                           nullptr, nullptr, 0);
        if (internet == nullptr) return false;
        HINTERNET request =
            InternetOpenUrlW(internet, Wide(url).c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        bool answered = request != nullptr;
        if (request != nullptr) InternetCloseHandle(request);
        InternetCloseHandle(internet);
        return answered;
    }

    std::string Entry_Text(const Stack_Entry* entry, int string_size) override {
        // The Unicode installer's entries hold UTF-16 text.
        const wchar_t* text = reinterpret_cast<const stack_t*>(entry)->text;
        std::size_t limit = string_size > 0 ? static_cast<std::size_t>(string_size) : SIZE_MAX;
        return Utf8(text, wcsnlen(text, limit));
    }

    void Free_Entry(Stack_Entry* entry) override { GlobalFree(entry); }
};

}  // namespace

Plugin_System& Host_System() {
    static Windows_System system;
    return system;
}

}  // namespace corvane
