// The game's web page and its data as JSON, made from a store summary. Pure functions:
// every value from the store is escaped for where it goes.
#pragma once

#include <cstdint>
#include <string>

#include "web/store.h"

// How many runs each table of the page shows.
inline constexpr int Page_Top = 25;

// `text` with & < > " ' written as character references: safe in element text and in
// quoted attribute values.
std::string Html_Escape(const std::string& text);

// `text` as a JSON string literal, quotes included. Control characters and < > & are
// written as \u escapes, so the literal is also safe inside HTML.
std::string Json_String(const std::string& text);

// "YYYY-MM-DD" of `seconds` since 1970, UTC.
std::string Utc_Date(std::int64_t seconds);

// "40.50": the time as the game's tables show it, from microseconds.
std::string Seconds_Text(std::int64_t time_us, int decimals);

// The page "/tindral/": both tables with rank, name, spheres, seconds, OS and date, the
// number of runs received and the installs by version and operating system. Plain HTML
// and CSS, no script.
std::string Page_Html(const Store_Summary& summary);

// The same data for "/tindral/scores.json": {"runs": N, "fewest_spheres": [...],
// "longest_time": [...], "reports": N, "installs": [...]}.
std::string Scores_Json(const Store_Summary& summary);
