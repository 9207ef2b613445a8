#include "shell/settings.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float Config_Version = 1.65f;
constexpr int Empty_Spheres = 10000;
const char* const Side_Keys[4] = {"Top", "Bottom", "Left", "Right"};

std::string Lower(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

void Set_Empty_Place(High_Score_Table& table, int slot) {
    std::snprintf(table.Name[slot], sizeof table.Name[slot], "%s", "-----");
    table.Time[slot] = 0.0f;
    table.Spheres[slot] = Empty_Spheres;
}

// True when the name holds nothing but hyphens (the empty place is written "-----").
bool Only_Hyphens(const char* name, std::size_t capacity) {
    for (std::size_t i = 0; i < capacity && name[i] != '\0'; ++i) {
        if (name[i] != '-') return false;
    }
    return true;
}

// Consumes characters up to and including the next `mark`.
void Skip_Past(std::FILE* file, int mark) {
    int c;
    do {
        c = std::fgetc(file);
    } while (c != EOF && c != mark);
}

// Reads "High_Score_<k><letter> = name = spheres = time" for each place named in the
// file; a place the file does not name keeps what it held.
void Load_Table(std::FILE* file, char letter, High_Score_Table& table) {
    for (int place = 1; place <= 5; ++place) {
        char key[32];
        std::snprintf(key, sizeof key, "High_Score_%i%c", place, letter);
        if (!Find_Key(file, key, true)) continue;
        int slot = place - 1;
        Skip_Past(file, '=');
        std::fgetc(file);
        // A field that cannot be read keeps the earlier value. Numbers are read with a width
        // far above what the writer produces (an int takes at most 11 characters, a time
        // written with "%.6f" at most 47): without one the C library gathers every
        // character of a number in memory first, and a damaged file with a run of digits
        // as long as itself would cost as much memory.
        (void)std::fscanf(file, "%15s", table.Name[slot]);
        Skip_Past(file, '=');
        std::fgetc(file);
        (void)std::fscanf(file, "%32i", &table.Spheres[slot]);
        Skip_Past(file, '=');
        std::fgetc(file);
        (void)std::fscanf(file, "%64f", &table.Time[slot]);
        if (Only_Hyphens(table.Name[slot], sizeof table.Name[slot])) Set_Empty_Place(table, slot);
    }
}

// Like atoi: leading white space, an optional sign, digits up to the first other
// character, 0 when there are none; saturates instead of overflowing.
int Text_To_Int(const std::string& text) {
    errno = 0;
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& text, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) text.append(line, std::min<std::size_t>(length, sizeof line - 1));
}

void Append_Place(std::string& text, const High_Score_Table& table, int slot, char letter) {
    int name_length = static_cast<int>(strnlen(table.Name[slot], sizeof table.Name[slot]));
    Append(text, "High_Score_%i", slot + 1);
    Append(text, "%c = %.*s = %i = %.6f\n", letter, name_length, table.Name[slot],
           table.Spheres[slot], static_cast<double>(table.Time[slot]));
}

std::string Settings_Text(const Game_Settings& settings, const High_Score_Table& a,
                          const High_Score_Table& b) {
    std::string text;
    Append(text, "%.2f\n\n", static_cast<double>(Config_Version));
    Append(text, "CameraView = %i\n", settings.CameraView);
    Append(text, "Level = %i\n", settings.Level);
    Append(text, "Music = %i\n", settings.Music);
    Append(text, "Sound = %i\n", settings.Sound);
    Append(text, "UploadHighScores = %i\n\n", settings.UploadHighScores);
    for (int side = 0; side < 4; ++side) {
        Append(text, "%s = %i\n", Side_Keys[side], settings.Side_Controller[side]);
    }
    text += "\n";
    // Places still at their default are not written; the others keep their number.
    for (int slot = 0; slot < 5; ++slot) {
        if (a.Spheres[slot] < Empty_Spheres) Append_Place(text, a, slot, 'A');
    }
    text += "\n";
    for (int slot = 0; slot < 5; ++slot) {
        if (b.Time[slot] > 0.0f) Append_Place(text, b, slot, 'B');
    }
    return text;
}

bool Write_All(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

void High_Score_Table_Reset(High_Score_Table& table) {
    for (int slot = 0; slot < 6; ++slot) {
        table.Is_New[slot] = false;
        Set_Empty_Place(table, slot);
    }
}

bool Find_Key(std::FILE* file, const char* key, bool rewind) {
    if (file == nullptr || key == nullptr) return false;
    std::string wanted = Lower(key);
    if (rewind) std::rewind(file);
    char token[251];
    while (std::fscanf(file, "%250s", token) == 1) {
        if (Lower(token) == wanted) return true;
    }
    return false;
}

std::string Get_Value(const char* path, const char* key, const char* default_text) {
    std::string fallback = default_text != nullptr ? default_text : "";
    if (path == nullptr || key == nullptr) return fallback;
    std::string wanted = Lower(key);
    std::FILE* file = std::fopen(path, "re");
    if (file == nullptr) return fallback;
    char token[251];
    while (std::fscanf(file, "%250s", token) == 1) {
        if (Lower(token) != wanted) continue;
        char rest[251] = "";
        if (std::fscanf(file, "%250[^\n]", rest) != 1) rest[0] = '\0';
        // Only a value whose line end follows counts: a longer line, or a last line
        // without a line end, is passed over.
        if (std::fgetc(file) != '\n') continue;
        std::fclose(file);
        std::string value;
        for (const char* c = rest; *c != '\0'; ++c) {
            if (*c != '\t') value += *c;
        }
        for (std::size_t at = value.find(" = "); at != std::string::npos;
             at = value.find(" = ", at)) {
            value.erase(at, 3);
        }
        return value;
    }
    std::fclose(file);
    return fallback;
}

void Settings_Load(const char* config_file, Game_Settings& settings, High_Score_Table& a,
                   High_Score_Table& b) {
    if (config_file == nullptr) return;
    if (std::FILE* file = std::fopen(config_file, "re")) {
        float version = 0.0f;  // written for later formats; not interpreted
        (void)std::fscanf(file, "%64f", &version);  // with a width, as in Load_Table
        Load_Table(file, 'A', a);
        Load_Table(file, 'B', b);
        std::fclose(file);
    }

    struct Setting {
        const char* key;
        const char* default_text;
        int* value;
    };
    const Setting table[] = {
        {"CameraView", "1", &settings.CameraView},
        {"Level", "3", &settings.Level},
        {"Music", "0", &settings.Music},
        {"Sound", "0", &settings.Sound},
        {"UploadHighScores", "1", &settings.UploadHighScores},
        {Side_Keys[0], "7", &settings.Side_Controller[0]},
        {Side_Keys[1], "1", &settings.Side_Controller[1]},
        {Side_Keys[2], "7", &settings.Side_Controller[2]},
        {Side_Keys[3], "7", &settings.Side_Controller[3]},
    };
    for (const Setting& setting : table) {
        *setting.value = Text_To_Int(Get_Value(config_file, setting.key, setting.default_text));
    }
    settings.Level = Clamp(settings.Level, 0, 6);
    for (int& code : settings.Side_Controller) code = Clamp(code, 1, 8);
}

namespace {

// The rename is on disk only once the folder that holds the file is: without this, a power
// cut soon after a save can bring back the old file (whole, but without the new scores).
void Sync_Folder_Of(const char* file) {
    const std::string path = file;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool Settings_Save(const char* config_file, const Game_Settings& settings,
                   const High_Score_Table& a, const High_Score_Table& b) {
    if (config_file == nullptr || config_file[0] == '\0') return false;
    std::string text = Settings_Text(settings, a, b);

    // Never truncate config.dat in place: the new text goes to a file beside it, which
    // replaces the old one only once it is complete and on disk.
    std::string temp = std::string(config_file) + ".tmp-" + std::to_string(getpid());
    ::unlink(temp.c_str());  // left over by a run that died while saving
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // Marks the file as being written; see Settings_Leftovers_Remove.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    bool ok = Write_All(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), config_file) == 0) {
        Sync_Folder_Of(config_file);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

void Settings_Leftovers_Remove(const char* config_file) {
    if (config_file == nullptr || config_file[0] == '\0') return;
    const std::string path = config_file;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string prefix = path.substr(slash == std::string::npos ? 0 : slash + 1) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* item = readdir(dir)) {
        const char* name = item->d_name;
        if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) continue;
        const char* digits = name + prefix.size();
        char* end = nullptr;
        errno = 0;
        const long pid = std::strtol(digits, &end, 10);
        if (digits[0] < '1' || digits[0] > '9' || *end != '\0' || errno != 0 || pid > INT_MAX) {
            continue;
        }
        // A saving game holds its file's lock; its process also still exists. Both must
        // be gone before the file is taken for a leftover.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const int fd = ::openat(dirfd(dir), name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(dirfd(dir), name, 0);
        }
        ::close(fd);
    }
    closedir(dir);
}
