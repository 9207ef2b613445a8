// The command line of tindral-web.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct Web_Options {
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string db;        // the SQLite file; empty until Default_Db_Path fills it
    std::string postgres;  // libpq connection string; when set, used instead of db
    int rate = 60;         // uploads per address and minute, 0 for no limit
};

// Reads --listen ADDR:PORT ("[::1]:8080" for IPv6; port 0 takes a free one), --db FILE,
// --postgres CONNINFO, --rate N (also as --option=value). nullopt with a one-line reason in
// `error` for anything else, a missing value, a bad port or a negative rate; `help` is set
// for --help.
std::optional<Web_Options> Parse_Web_Options(const std::vector<std::string>& args,
                                             std::string& error, bool& help);

// $XDG_STATE_HOME/tindral-web/scores.db, or ~/.local/state/tindral-web/scores.db when
// XDG_STATE_HOME is unset or not absolute. Empty when neither can be found.
std::string Default_Db_Path();

// Makes the folder of `path` (and missing folders above it), the last one private to the
// user (0700). False with a one-line reason in `error`.
bool Make_Db_Folder(const std::string& path, std::string& error);

extern const char* const Web_Usage;
