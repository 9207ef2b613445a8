#include "plugin/usage_report.h"

#include "plugin/plugin_frame.h"

namespace corvane {

std::string Percent_Encode(const std::string& text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0x0F];
        }
    }
    return out;
}

std::string Usage_Report_Url(const std::string& host, const Usage_Report& report) {
    return "http://" + host + "/accessInfo.php?access=app_info" +
           "&action=" + Percent_Encode(report.action) +
           "&program=" + Percent_Encode(report.program) +
           "&version=" + Percent_Encode(report.version) + "&major=" + std::to_string(report.major) +
           "&minor=" + std::to_string(report.minor) + "&os=" + Percent_Encode(report.os) +
           "&os_timestamp=" + std::to_string(report.os_timestamp);
}

void Send_Usage_Report(Plugin_System& system, const std::string& host) {
    Usage_Report report;
    std::string path;
    // Popping stops at the first empty pop; the values not reached stay empty.
    if (Pop_String(system, report.action, Report_Argument_Chars) &&
        Pop_String(system, report.program, Report_Argument_Chars) &&
        Pop_String(system, report.version, Report_Argument_Chars)) {
        Pop_String(system, path, Report_Argument_Chars);
    }
    report.os = Get_OS_Name(system, &report.major, &report.minor);
    report.os_timestamp = Get_Creation_Time(system, path);
    system.Http_Get(Usage_Report_Url(host, report), Report_Agent);
}

}  // namespace corvane
