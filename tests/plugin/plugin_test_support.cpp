#include "plugin_test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace plugin_test {

Temp_Folder::Temp_Folder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/corvane-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

Temp_Folder::~Temp_Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void Write_File(const fs::path& path, const std::string& content, std::int64_t time) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    if (time != 0) Set_Write_Time(path, time);
}

std::string Read_File(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void Set_Write_Time(const fs::path& path, std::int64_t time) {
    const timespec times[2] = {{static_cast<time_t>(time), 0}, {static_cast<time_t>(time), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the time of " + path.string());
    }
}

std::int64_t Write_Time(const fs::path& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return 0;
    return info.st_mtim.tv_sec;
}

std::int64_t Creation_Time(const fs::path& path) {
    struct statx info;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &info) != 0) return 0;
    return (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
}

std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).string();
        tree[relative] = entry.is_directory() ? "<folder>" : Read_File(entry.path());
    }
    return tree;
}

Rtf_Log Read_Rtf_Log(const fs::path& path) {
    static const std::string Fonts =
        R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fmodern\fprq1\fcharset0 Courier New;}{\f1\fnil\fcharset0 Courier New;}})";
    static const std::string Colours =
        R"({\colortbl ;\red0\green0\blue0;\red255\green0\blue0;\red0\green128\blue0;\red0\green0\blue255;}{\*\generator Msftedit 5.41.15.1503;}\viewkind4\uc1\pard\fs20)";
    static const std::regex Started(
        R"(^-{38}\\par Logging started: \d\d/\d\d/\d{4} - \d\d:\d\d:\d\d \\par-{39}\\par \\par)");
    static const std::regex Line(R"(^ \d\d:\d\d:\d\d :: \\cf1\\f0 (.*?)\\cf0\\f1\\par)");

    Rtf_Log log;
    std::string text = Read_File(path);
    if (text.find('\n') != std::string::npos || text.find('\r') != std::string::npos) {
        log.problem = "the log holds a line break";
        return log;
    }
    std::size_t at = 0;
    while (text.compare(at, Fonts.size(), Fonts) == 0) {
        at += Fonts.size();
        if (text.compare(at, Colours.size(), Colours) != 0) {
            log.problem = "the colour table does not follow the font table";
            return log;
        }
        at += Colours.size();
        std::smatch started;
        std::string rest = text.substr(at);
        if (!std::regex_search(rest, started, Started)) {
            log.problem = "no \"Logging started\" piece after the colour table";
            return log;
        }
        at += started.length(0);
        ++log.header_count;
        // Lines follow until the end of the file or the next header.
        while (at < text.size() && text.compare(at, Fonts.size(), Fonts) != 0) {
            std::smatch line;
            std::string tail = text.substr(at);
            if (!std::regex_search(tail, line, Line)) {
                log.problem =
                    "unexpected text at offset " + std::to_string(at) + ": " + tail.substr(0, 80);
                return log;
            }
            log.messages.push_back(line[1]);
            at += line.length(0);
        }
    }
    if (at != text.size()) {
        log.problem = "the log does not start with the header";
        return log;
    }
    log.well_formed = true;
    return log;
}

}  // namespace plugin_test
