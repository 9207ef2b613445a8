#include "plugin/settings_keys.h"

#include <cstdio>

namespace corvane {
namespace {

bool Is_Space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the next token, skipping the white space before it, and the one character that
// follows it (EOF at the end of the file). False when no token is left.
bool Read_Token(std::FILE* file, std::string& token, int& following) {
    token.clear();
    int c = std::fgetc(file);
    while (c != EOF && Is_Space(c)) c = std::fgetc(file);
    if (c == EOF) return false;
    while (c != EOF && !Is_Space(c)) {
        token += static_cast<char>(c);
        c = std::fgetc(file);
    }
    following = c;
    return true;
}

}  // namespace

std::string Temporary_Name(const std::string& file) {
    std::size_t name_start = file.find_last_of("/\\");
    name_start = name_start == std::string::npos ? 0 : name_start + 1;
    std::string name = file.substr(name_start);
    bool changed = false;
    for (std::size_t at = name.find(".dat"); at != std::string::npos;
         at = name.find(".dat", at + 4)) {
        name.replace(at, 4, ".tmp");
        changed = true;
    }
    // Without ".dat" the name would be the settings file itself.
    if (!changed) name += ".tmp";
    return file.substr(0, name_start) + name;
}

std::string Read_Key(Plugin_System& system, const std::string& file, const std::string& key,
                     const std::string& default_value) {
    std::FILE* in = system.Open_Stream(file, "r");
    if (in == nullptr) return default_value;
    std::string result = default_value;
    std::string token;
    int following = EOF;
    while (Read_Token(in, token, following)) {
        if (token == key) {
            std::string value;
            if (Read_Token(in, value, following)) result = value;
            break;
        }
    }
    std::fclose(in);
    return result;
}

bool Write_Key(Plugin_System& system, const std::string& file, const std::string& key,
               const std::string& value) {
    std::FILE* in = system.Open_Stream(file, "r");
    if (in == nullptr) return false;
    const std::string temporary = Temporary_Name(file);
    std::FILE* out = system.Open_Stream(temporary, "w");
    if (out == nullptr) {
        std::fclose(in);
        return false;
    }

    std::string token;
    int following = EOF;
    while (Read_Token(in, token, following)) {
        if (token == key) {
            std::string old_value;
            Read_Token(in, old_value, following);
            std::fprintf(out, "%s\t%s\n", key.c_str(), value.c_str());
        } else {
            std::fputs(token.c_str(), out);
            if (following != EOF) std::fputc(following, out);
        }
    }

    bool written =
        !std::ferror(in) && !std::ferror(out) && std::fflush(out) == 0 && system.Sync_Stream(out);
    std::fclose(in);
    written = std::fclose(out) == 0 && written;
    if (written && system.Replace_File(temporary, file) == 0) return true;
    system.Delete_File(temporary);
    return false;
}

}  // namespace corvane
