#include "tests/support/log_entries.h"

#include <regex>

#include "tests/support/files.h"

void PrintTo(const Log_Entry& entry, std::ostream* out) {
    *out << "{" << entry.level << ", \"" << entry.text << "\"}";
}

std::vector<Log_Entry> Log_Entries_Read(const std::string& path) {
    const std::string all = Read_File(path);
    static const std::regex entry(R"( \\cf([1-4])\\f0 \d\d:\d\d:\d\d :: (.*?)\\cf0\\f1\\par)");
    std::vector<Log_Entry> entries;
    for (auto it = std::sregex_iterator(all.begin(), all.end(), entry);
         it != std::sregex_iterator(); ++it) {
        entries.push_back({std::stoi((*it)[1]) - 1, (*it)[2]});
    }
    return entries;
}

std::vector<std::string> Log_Messages_Read(const std::string& path, int level) {
    std::vector<std::string> messages;
    for (const Log_Entry& entry : Log_Entries_Read(path)) {
        if (entry.level == level) messages.push_back(entry.text);
    }
    return messages;
}
