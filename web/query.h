// The two queries the service accepts: the game's high-score upload and the installer
// plug-in's usage report. Reading a query is pure: a raw query string in, a validated
// record or a reason out, so every rule can be tested without a server.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// One "High Score" run as the game reports it.
struct Score_Run {
    std::string name;  // 1 to 15 ASCII letters and digits
    std::int64_t time_us =
        0;  // best time between goals, in microseconds (the query's six decimals)
    std::int32_t spheres = 0;  // spheres allowed
    std::string os;            // one of Os_Names
    std::string version;       // "1.65"
    std::int32_t index = 0;    // the check value the game computed
};

// One installer event as the plug-in reports it.
struct Install_Report {
    std::string action;   // free text chosen by the installer script ("install", ...)
    std::string program;  // free text
    std::string version;  // free text
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::string os;                 // one of Os_Names
    std::int32_t os_timestamp = 0;  // seconds since 1970, tells systems apart
};

// The operating-system names the game and the plug-in send.
inline constexpr std::string_view Os_Names[] = {
    "95", "98", "Me", "NT", "2000", "XP", "Server_2003", "Vista", "Windows_7", "Unknown"};

// The longest best time accepted: the run lasts 150 seconds, and the game's best time adds
// up one float per frame, so it may end a little above that.
inline constexpr std::int64_t Max_Score_Time_Us = 151'000'000;
// The most spheres a run can let in: four spheres, each waiting 3 seconds after every goal
// before it is launched again, concede about 200 in 150 seconds at the very most.
inline constexpr std::int32_t Max_Score_Spheres = 250;
// The plug-in keeps at most this many characters of each text argument.
inline constexpr std::size_t Max_Report_Text = 251;

// Splits a raw query ("a=1&b=x%20y") into its decoded keys and values. Strict: every part
// needs "=", keys are unique, "%" must start two hex digits, and "+" stays "+" (both
// senders percent-encode a space). Returns nullopt on any fault, with the reason in `why`
// when it is not null.
std::optional<std::map<std::string, std::string>> Split_Query(std::string_view query,
                                                              std::string* why = nullptr);

// Validates the high-score upload's query: exactly the keys the game sends, access
// "score_upload_information", level "1", version "1.65", a name of 1 to 15 letters and
// digits, whole spheres from 0 to Max_Score_Spheres, a time with six decimals from 0 to
// Max_Score_Time_Us, a known OS name, and an index equal to the check value. Numbers must be
// written as the game writes them (no sign, no leading zero, no exponent).
std::optional<Score_Run> Read_Score_Query(std::string_view query, std::string* why = nullptr);

// Validates the usage report's query: exactly the plug-in's keys, access "app_info", texts
// of at most Max_Report_Text characters of valid UTF-8 without control characters (empty is
// allowed: the plug-in sends empty values for arguments the script did not push), signed
// 32-bit major, minor and os_timestamp, and a known OS name.
std::optional<Install_Report> Read_Report_Query(std::string_view query, std::string* why = nullptr);

// Whether a run's index is a check value the game could have sent for it. The query carries
// the best time rounded to six decimals, so a time such as "2.000000" may come from a float
// just below 2 that the game truncated to 1; both readings are accepted then, and only then.
bool Score_Index_Matches(const Score_Run& run);
