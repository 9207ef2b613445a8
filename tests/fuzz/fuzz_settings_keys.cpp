// Fuzz target: the plug-in's settings-key reader and writer on a real file through the
// Linux system layer. The input's first line is the key, its second line the value, the
// rest the settings file. Read_Key and Write_Key must give exactly what a plain model of
// the file's tokens says; a rewritten setting reads back as written; no temporary file is
// left; a missing file stays missing.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/settings_keys.h"
#include "plugin/system_linux.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool Space(char c) {
    return std::strchr(" \t\n\v\f\r", c) != nullptr && c != '\0';
}

struct Token {
    std::string text;
    int following;  // the byte after it, or -1 at the end of the file
};

std::vector<Token> Tokens(const std::string& file) {
    std::vector<Token> tokens;
    std::size_t at = 0;
    for (;;) {
        while (at < file.size() && Space(file[at])) ++at;
        if (at == file.size()) return tokens;
        const std::size_t start = at;
        while (at < file.size() && !Space(file[at])) ++at;
        const std::size_t end = at;
        const int following = at < file.size() ? static_cast<unsigned char>(file[at++]) : -1;
        tokens.push_back(Token{file.substr(start, end - start), following});
    }
}

std::string Expected_Read(const std::vector<Token>& tokens, const std::string& key,
                          const std::string& fallback) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].text != key) continue;
        if (i + 1 == tokens.size() || tokens[i + 1].text.size() > corvane::Max_Value_Bytes) {
            return fallback;
        }
        return tokens[i + 1].text;
    }
    return fallback;
}

std::string Expected_Write(const std::vector<Token>& tokens, const std::string& key,
                           const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].text == key) {
            ++i;  // the old value and the byte after it go
            out += key + "\t" + value + "\n";
            continue;
        }
        out += tokens[i].text;
        if (tokens[i].following >= 0) out += static_cast<char>(tokens[i].following);
    }
    return out;
}

// The first line of `rest` (without its line end), taken off it.
std::string Take_Line(std::string& rest) {
    const std::size_t end = rest.find('\n');
    std::string line = rest.substr(0, end);
    rest.erase(0, end == std::string::npos ? rest.size() : end + 1);
    return line;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* item = readdir(dir)) {
            if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
                names.emplace_back(item->d_name);
            }
        }
        closedir(dir);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static corvane::Linux_System system;
    std::string rest(reinterpret_cast<const char*>(data), size);
    // Key and value come from the plug-in's own code as C strings.
    const std::string key = Take_Line(rest).c_str();
    const std::string value = Take_Line(rest).c_str();
    const std::vector<Token> tokens = Tokens(rest);

    const std::string folder = fuzz::Scratch() + "/keys";
    mkdir(folder.c_str(), 0700);
    const std::string file = folder + "/config.dat";
    fuzz::Write_Input(file, reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());

    if (corvane::Read_Key(system, file, key, "(none)") != Expected_Read(tokens, key, "(none)")) {
        std::abort();
    }
    if (!corvane::Write_Key(system, file, key, value)) std::abort();
    if (fuzz::Read_All(file) != Expected_Write(tokens, key, value)) std::abort();
    if (Names(folder) != std::vector<std::string>{"config.dat"}) std::abort();

    // A value that is one token reads back, wherever the key stood.
    bool key_present = false;
    for (const Token& token : tokens) key_present = key_present || token.text == key;
    bool one_token = !value.empty() && value.size() <= corvane::Max_Value_Bytes;
    for (char c : value) one_token = one_token && !Space(c);
    if (key_present && one_token && corvane::Read_Key(system, file, key, "") != value) {
        std::abort();
    }

    unlink(file.c_str());
    if (corvane::Write_Key(system, file, key, value) || !Names(folder).empty()) std::abort();
    if (corvane::Read_Key(system, file, key, "(none)") != "(none)") std::abort();
    return 0;
}
