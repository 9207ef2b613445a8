// The usage report: one HTTP GET telling the maker's endpoint which installer event
// happened, for which program and version, on which system.
#pragma once

#include <string>

#include "plugin/file_helpers.h"
#include "plugin/plugin_system.h"

namespace corvane {

// The request's user agent.
constexpr const char Report_Agent[] = "InetURL/1.0";

// Each text argument keeps at most this many characters.
constexpr std::size_t Report_Argument_Chars = 251;

struct Usage_Report {
    std::string action;
    std::string program;
    std::string version;
    int major = 0;
    int minor = 0;
    std::string os;
    File_Time os_timestamp = 0;
};

// Percent-encodes every byte but the unreserved characters A-Z a-z 0-9 - . _ ~, so a
// value reaches the server as exactly the text given (UTF-8) and can neither end the
// request line nor add a parameter.
std::string Percent_Encode(const std::string& text);

// "http://HOST/accessInfo.php?access=app_info&action=...&os_timestamp=..." with the text
// values percent-encoded.
std::string Usage_Report_Url(const std::string& host, const Usage_Report& report);

// Pops action, program, version and path, and sends the report to `host` (no scheme, may
// carry ":port"). The answer is ignored; nothing is reported back.
void Send_Usage_Report(Plugin_System& system, const std::string& host);

}  // namespace corvane
