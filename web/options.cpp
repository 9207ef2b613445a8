#include "web/options.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

const char* const Web_Usage =
    "Usage: tindral-web [--listen ADDR:PORT] [--db FILE | --postgres CONNINFO] [--rate N]\n"
    "  --listen ADDR:PORT  where to serve (default 127.0.0.1:8080; [::1]:PORT for IPv6)\n"
    "  --db FILE           SQLite database (default $XDG_STATE_HOME/tindral-web/scores.db)\n"
    "  --postgres CONNINFO PostgreSQL connection string, shared by several services\n"
    "  --rate N            uploads one address may make a minute (default 60, 0 = no limit)\n";

namespace {

std::optional<int> Number(const std::string& text, int low, int high) {
    int value = 0;
    auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (fault != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

bool Split_Listen(const std::string& text, Web_Options& options) {
    std::string host, port;
    if (!text.empty() && text[0] == '[') {
        std::size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        std::size_t colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon) return false;
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    auto number = Number(port, 0, 65535);
    if (host.empty() || !number) return false;
    options.host = host;
    options.port = *number;
    return true;
}

}  // namespace

std::optional<Web_Options> Parse_Web_Options(const std::vector<std::string>& args,
                                             std::string& error, bool& help) {
    Web_Options options;
    help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool has_value = false;
        if (std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            has_value = true;
        }
        if (name == "--help" || name == "-h") {
            help = true;
            return options;
        }
        if (name != "--listen" && name != "--db" && name != "--postgres" && name != "--rate") {
            error = "unknown option " + args[i];
            return std::nullopt;
        }
        if (!has_value) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (name == "--listen") {
            if (!Split_Listen(value, options)) {
                error = "--listen wants ADDR:PORT, not " + value;
                return std::nullopt;
            }
        } else if (name == "--db") {
            if (value.empty()) {
                error = "--db needs a file name";
                return std::nullopt;
            }
            options.db = value;
        } else if (name == "--postgres") {
            if (value.empty()) {
                error = "--postgres needs a connection string";
                return std::nullopt;
            }
            options.postgres = value;
        } else {
            auto rate = Number(value, 0, 1000000);
            if (!rate) {
                error = "--rate wants a whole number from 0, not " + value;
                return std::nullopt;
            }
            options.rate = *rate;
        }
    }
    if (!options.db.empty() && !options.postgres.empty()) {
        error = "--db and --postgres exclude each other";
        return std::nullopt;
    }
    return options;
}

std::string Default_Db_Path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/tindral-web/scores.db";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return std::string();
    return std::string(home) + "/.local/state/tindral-web/scores.db";
}

bool Make_Db_Folder(const std::string& path, std::string& error) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return true;  // the current or root folder
    std::string folder = path.substr(0, slash);
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        std::string part = folder.substr(0, at);
        bool last = at == folder.size();
        if (mkdir(part.c_str(), last ? 0700 : 0755) != 0 && errno != EEXIST) {
            error = "cannot make the folder " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}
