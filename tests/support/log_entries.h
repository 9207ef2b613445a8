// The event log read back: every entry of an RTF log file, with its level and message.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct Log_Entry {
    int level = -1;
    std::string text;  // the message, without its time stamp
    bool operator==(const Log_Entry& other) const {
        return level == other.level && text == other.text;
    }
};
void PrintTo(const Log_Entry& entry, std::ostream* out);

// The entries of the log at `path`, in order; empty when it is missing. An entry reads
// " \cfN\f0 HH:MM:SS :: message\cf0\f1\par" with colour N = level + 1 (levels 0..3);
// anything else in the file (the header, a cut last entry) is skipped.
std::vector<Log_Entry> Log_Entries_Read(const std::string& path);

// The messages of those entries at `level`, in order.
std::vector<std::string> Log_Messages_Read(const std::string& path, int level);
