#include "web/page.h"

#include <cstdio>
#include <ctime>

namespace {

// The game's own colours: the intro card's navy, the wordmark's blues and glow, the
// subtitle's rules, and the menu tables' orange for the column a table is ranked by.
const char* const Style = R"css(
:root { color-scheme: dark; }
* { box-sizing: border-box; }
html { background: #050a14; }
body {
  margin: 0; min-height: 100vh; padding: 32px 24px 48px;
  background: radial-gradient(ellipse 90% 70% at 50% 18%, #1b3d6e 0%, #0d1f3a 45%, #050a14 100%) fixed;
  color: #d4e2ee; font: 15px/1.45 "DejaVu Sans", "Verdana", sans-serif;
}
header { text-align: center; margin-bottom: 28px; }
.wordmark {
  display: inline-block; margin: 0; font-size: 72px; font-weight: bold; letter-spacing: 0.14em;
  padding-left: 0.14em; line-height: 1.1;
  background: linear-gradient(180deg, #ffffff 0%, #bfe6ff 48%, #ffffff 50%, #7cc4ff 52%, #2f7fd9 100%);
  -webkit-background-clip: text; background-clip: text; color: transparent;
  filter: drop-shadow(0 0 14px rgba(63, 176, 255, 0.75)) drop-shadow(0 0 2px #06101e);
}
.subtitle {
  display: flex; align-items: center; justify-content: center; gap: 18px; margin: 10px 0 0;
  color: #a9cdf0; font-size: 16px; letter-spacing: 0.3em; text-transform: uppercase;
}
.subtitle::before, .subtitle::after { content: ""; width: 110px; height: 2px; }
.subtitle::before { background: linear-gradient(270deg, #ff8a1e, transparent); }
.subtitle::after { background: linear-gradient(90deg, #ff8a1e, transparent); }
main { max-width: 1240px; margin: 0 auto; }
.runs { text-align: center; color: #7f9ab5; margin: 0 0 22px; letter-spacing: 0.05em; }
.runs strong { color: #ffffff; font-size: 18px; }
.boards { display: flex; flex-wrap: wrap; gap: 24px; justify-content: center; }
.board, .installs {
  flex: 1 1 560px; max-width: 610px; padding: 16px 18px 18px; border-radius: 14px;
  background: rgba(6, 16, 30, 0.78); border: 1px solid rgba(92, 192, 255, 0.55);
  box-shadow: 0 0 24px rgba(63, 176, 255, 0.15), inset 0 1px 0 rgba(207, 230, 255, 0.08);
}
.installs { max-width: 1244px; margin: 24px auto 0; }
h2 {
  margin: 0 0 10px; font-size: 17px; font-weight: bold; letter-spacing: 0.08em;
  text-transform: uppercase; color: #bfe6ff;
}
table { width: 100%; border-collapse: collapse; font-variant-numeric: tabular-nums; }
th {
  text-align: left; font-weight: normal; color: #7f9ab5; font-size: 12px; letter-spacing: 0.08em;
  text-transform: uppercase; padding: 4px 8px 6px; border-bottom: 1px solid rgba(92, 192, 255, 0.35);
}
td { padding: 5px 8px; border-bottom: 1px solid rgba(159, 182, 200, 0.10); white-space: nowrap; }
tbody tr:nth-child(odd) td { background: rgba(27, 61, 110, 0.18); }
td.num, th.num { text-align: right; }
td.rank { color: #7f9ab5; width: 2.5em; }
td.name { color: #ffffff; font-weight: bold; }
td.key { color: #e21c00; font-weight: bold; }
td.text { white-space: normal; overflow-wrap: anywhere; }
td.empty { color: #ffffff; text-align: center; padding: 14px; }
tbody tr:first-child td.name { color: #36d2ff; }
.note { color: #7f9ab5; font-size: 13px; margin: 10px 0 0; }
footer { text-align: center; color: #7f9ab5; font-size: 13px; margin-top: 30px; }
)css";

const char* const Table_Head =
    "<thead><tr><th class=\"num\">#</th><th>Name</th><th class=\"num\">Spheres</th>"
    "<th class=\"num\">Seconds</th><th>OS</th><th>Date</th></tr></thead>\n";

void Board(std::string& out, const char* id, const char* title, const std::vector<Ranked_Run>& runs,
           bool by_spheres) {
    out += "<section class=\"board\" id=\"";
    out += id;
    out += "\">\n<h2>";
    out += title;
    out += "</h2>\n<table>\n";
    out += Table_Head;
    out += "<tbody>\n";
    if (runs.empty()) {
        out += "<tr><td class=\"empty\" colspan=\"6\">No high scores available</td></tr>\n";
    }
    int rank = 0;
    for (const Ranked_Run& run : runs) {
        ++rank;
        out += "<tr><td class=\"num rank\">" + std::to_string(rank) + "</td>";
        out += "<td class=\"name\">" + Html_Escape(run.name) + "</td>";
        out += by_spheres ? "<td class=\"num key\">" : "<td class=\"num\">";
        out += std::to_string(run.spheres) + "</td>";
        out += by_spheres ? "<td class=\"num\">" : "<td class=\"num key\">";
        out += Seconds_Text(run.time_us, 2) + "</td>";
        out += "<td>" + Html_Escape(run.os) + "</td>";
        out += "<td>" + Utc_Date(run.received) + "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}

void Json_Runs(std::string& out, const std::vector<Ranked_Run>& runs) {
    out += "[";
    int rank = 0;
    for (const Ranked_Run& run : runs) {
        out += rank == 0 ? "\n    " : ",\n    ";
        ++rank;
        out += "{\"rank\": " + std::to_string(rank) + ", \"name\": " + Json_String(run.name) +
               ", \"spheres\": " + std::to_string(run.spheres) +
               ", \"seconds\": " + Seconds_Text(run.time_us, 6) +
               ", \"os\": " + Json_String(run.os) +
               ", \"date\": " + Json_String(Utc_Date(run.received)) + "}";
    }
    out += runs.empty() ? "]" : "\n  ]";
}

}  // namespace

std::string Html_Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Json_String(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '&') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Utc_Date(std::int64_t seconds) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    char text[32];
    if (gmtime_r(&time, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d", &parts) == 0) {
        return "-";
    }
    return text;
}

std::string Seconds_Text(std::int64_t time_us, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(time_us) / 1e6);
    return text;
}

std::string Page_Html(const Store_Summary& summary) {
    std::string out;
    out.reserve(16384);
    out +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Tindral \xE2\x80\x93 World high scores</title>\n<style>";
    out += Style;
    out +=
        "</style>\n</head>\n<body>\n<header>\n<h1 class=\"wordmark\">TINDRAL</h1>\n"
        "<p class=\"subtitle\">World high scores</p>\n</header>\n<main>\n";
    out += "<p class=\"runs\">Runs received: <strong id=\"runs\">" + std::to_string(summary.runs) +
           "</strong></p>\n<div class=\"boards\">\n";
    Board(out, "by-spheres", "Fewest spheres allowed", summary.by_spheres, true);
    Board(out, "by-time", "Longest time between goals", summary.by_time, false);
    out +=
        "</div>\n<section class=\"installs\" id=\"installs\">\n<h2>Installations</h2>\n"
        "<table>\n<thead><tr><th>Program</th><th>Version</th><th>OS</th>"
        "<th class=\"num\">Installs</th><th class=\"num\">Uninstalls</th></tr></thead>\n"
        "<tbody>\n";
    if (summary.installs.empty()) {
        out += "<tr><td class=\"empty\" colspan=\"5\">No installations reported</td></tr>\n";
    }
    for (const Install_Count& row : summary.installs) {
        out += "<tr><td class=\"text\">" + Html_Escape(row.program) + "</td><td class=\"text\">" +
               Html_Escape(row.version) + "</td><td>" + Html_Escape(row.os) +
               "</td><td class=\"num\">" + std::to_string(row.installs) +
               "</td><td class=\"num\">" + std::to_string(row.uninstalls) + "</td></tr>\n";
    }
    out +=
        "</tbody>\n</table>\n<p class=\"note\">Installer reports received: <span "
        "id=\"reports\">" +
        std::to_string(summary.reports) + "</span></p>\n</section>\n</main>\n";
    out +=
        "<footer>Play a \xE2\x80\x9CHigh Score\xE2\x80\x9D run with \xE2\x80\x9CUpload High "
        "Scores\xE2\x80\x9D on, and a run that enters your top five shows up here.</footer>\n"
        "</body>\n</html>\n";
    return out;
}

std::string Scores_Json(const Store_Summary& summary) {
    std::string out = "{\n  \"runs\": " + std::to_string(summary.runs) + ",\n";
    out += "  \"fewest_spheres\": ";
    Json_Runs(out, summary.by_spheres);
    out += ",\n  \"longest_time\": ";
    Json_Runs(out, summary.by_time);
    out += ",\n  \"reports\": " + std::to_string(summary.reports) + ",\n  \"installs\": [";
    bool first = true;
    for (const Install_Count& row : summary.installs) {
        out += first ? "\n    " : ",\n    ";
        first = false;
        out += "{\"program\": " + Json_String(row.program) +
               ", \"version\": " + Json_String(row.version) + ", \"os\": " + Json_String(row.os) +
               ", \"installs\": " + std::to_string(row.installs) +
               ", \"uninstalls\": " + std::to_string(row.uninstalls) + "}";
    }
    out += summary.installs.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}
