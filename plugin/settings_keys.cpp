#include "plugin/settings_keys.h"

#include <cstdio>

namespace corvane {
namespace {

bool Is_Space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the next token, skipping the white space before it, and the one character that
// follows it (EOF at the end of the file). False when no token is left. Only the first
// `keep` characters are kept in `token`: one endless token in a damaged file must not
// fill the memory. When the token is longer, `whole` is false and the rest goes
// to `spill` (the kept characters first, so that `spill` receives the whole token), or
// nowhere when `spill` is null.
bool Read_Token(std::FILE* file, std::size_t keep, std::string& token, bool& whole, int& following,
                std::FILE* spill = nullptr) {
    token.clear();
    whole = true;
    int c = std::fgetc(file);
    while (c != EOF && Is_Space(c)) c = std::fgetc(file);
    if (c == EOF) return false;
    while (c != EOF && !Is_Space(c)) {
        if (whole && token.size() == keep) {
            whole = false;
            if (spill != nullptr) std::fwrite(token.data(), 1, token.size(), spill);
        }
        if (whole) {
            token += static_cast<char>(c);
        } else if (spill != nullptr) {
            std::fputc(c, spill);
        }
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
    bool whole = true;
    int following = EOF;
    // A token longer than the key cannot be the key: only that much of each is kept.
    while (Read_Token(in, key.size(), token, whole, following)) {
        if (whole && token == key) {
            if (Read_Token(in, Max_Value_Bytes, token, whole, following) && whole) result = token;
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

    // Tokens other than the key go through as they are read, however long.
    std::string token;
    bool whole = true;
    int following = EOF;
    while (Read_Token(in, key.size(), token, whole, following, out)) {
        if (whole && token == key) {
            Read_Token(in, 0, token, whole, following);  // the old value, dropped
            std::fprintf(out, "%s\t%s\n", key.c_str(), value.c_str());
        } else {
            if (whole) std::fwrite(token.data(), 1, token.size(), out);
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
