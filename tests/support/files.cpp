#include "tests/support/files.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

Scratch_Folder::Scratch_Folder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/tindral-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

Scratch_Folder::~Scratch_Folder() {
    std::error_code ignored;
    // Give folders without write rights theirs back first, or their contents would stay.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(path_, ignored);
}

Working_Folder::Working_Folder(const std::string& folder) {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) != nullptr) previous_ = buffer;
    if (chdir(folder.c_str()) != 0) throw std::runtime_error("chdir failed: " + folder);
}

Working_Folder::~Working_Folder() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Write_File(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool File_Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

std::vector<std::string> Folder_Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& item : fs::directory_iterator(folder, ignored)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
