// Fuzz target: what tindral-web does with a query from anyone on the network. The input is
// the raw query string, read as the score upload and as the usage report; what either
// accepts must hold to its rules, and goes on to the page and the JSON as a stored record
// would. Every text that reaches the page or the JSON (the input itself, whether accepted or
// not, stands in for anything a store could hold) must come out escaped: it adds no markup
// to the page and reads back unchanged from its JSON literal.
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "web/page.h"
#include "web/query.h"
#include "web/store.h"

namespace {

bool Known_Os(const std::string& os) {
    return std::find(std::begin(Os_Names), std::end(Os_Names), os) != std::end(Os_Names);
}

// Characters of well-formed UTF-8 in `text`, or nullopt when it is not well formed or holds
// a control character.
std::optional<std::size_t> Clean_Utf8_Length(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return std::nullopt;
        const std::size_t length = c < 0x80         ? 1
                                   : (c >> 5) == 6  ? 2
                                   : (c >> 4) == 14 ? 3
                                   : (c >> 3) == 30 ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return std::nullopt;
        }
        i += length;
    }
    return characters;
}

void Check_Run(const Score_Run& run) {
    if (run.name.empty() || run.name.size() > 15) __builtin_trap();
    for (char c : run.name) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            __builtin_trap();
        }
    }
    if (run.time_us < 0 || run.time_us > Max_Score_Time_Us) __builtin_trap();
    if (run.spheres < 0 || run.spheres > Max_Score_Spheres) __builtin_trap();
    if (!Known_Os(run.os) || run.version != "1.65" || !Score_Index_Matches(run)) __builtin_trap();
}

void Check_Report(const Install_Report& report) {
    for (const std::string* text : {&report.action, &report.program, &report.version}) {
        const auto length = Clean_Utf8_Length(*text);
        if (!length || *length > Max_Report_Text) __builtin_trap();
    }
    if (!Known_Os(report.os)) __builtin_trap();
}

// `text` percent-encoded byte by byte, as a sender that encodes everything would.
std::string Percent_Encode(const std::string& text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        out += '%';
        out += Hex[c >> 4];
        out += Hex[c & 15];
    }
    return out;
}

// The text inside a JSON string literal written by Json_String, or nullopt when it is not
// one literal or keeps a character that must be escaped.
std::optional<std::string> Json_Unquote(const std::string& literal) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return std::nullopt;
    const std::string_view inside = std::string_view(literal).substr(1, literal.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < inside.size(); ++i) {
        const auto c = static_cast<unsigned char>(inside[i]);
        if (c == '"' || c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '&') {
            return std::nullopt;
        }
        if (c != '\\') {
            out += static_cast<char>(c);
            continue;
        }
        if (++i == inside.size()) return std::nullopt;
        switch (inside[i]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                if (inside.size() - i < 5) return std::nullopt;
                unsigned value = 0;
                for (std::size_t k = 1; k <= 4; ++k) {
                    const char h = inside[i + k];
                    const int digit = h >= '0' && h <= '9'   ? h - '0'
                                      : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                      : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                             : -1;
                    if (digit < 0) return std::nullopt;
                    value = value * 16 + static_cast<unsigned>(digit);
                }
                // Json_String escapes single bytes only.
                if (value > 0xFF) return std::nullopt;
                out += static_cast<char>(value);
                i += 4;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

// How often each byte occurs in `text`. Indexing instead of comparing keeps the fuzzer's
// comparison hooks out of a loop over whole pages.
using Histogram = std::array<std::size_t, 256>;
Histogram Bytes_Of(const std::string& text) {
    Histogram counts{};
    for (char c : text) ++counts[static_cast<unsigned char>(c)];
    return counts;
}

Store_Summary Summary_Of(const std::string& text, std::int64_t time_us, std::int32_t spheres) {
    Store_Summary summary;
    const Ranked_Run run{text, spheres, time_us, text, 1'700'000'000};
    summary.by_spheres = {run, run};
    summary.by_time = {run};
    summary.runs = 2;
    summary.reports = 1;
    summary.installs = {Install_Count{text, text, text, 1, 0}};
    return summary;
}

// The page and the JSON of a summary whose every text is `text`, against the same summary
// with a plain word in its place: the text may add characters, never markup.
void Check_Rendering(const std::string& text, std::int64_t time_us, std::int32_t spheres) {
    struct Plain {
        std::int64_t time_us = -1;
        std::int32_t spheres = -1;
        Histogram page{}, json{};
    };
    static Plain plain;  // the last one made: most inputs share the default numbers
    if (plain.time_us != time_us || plain.spheres != spheres) {
        const Store_Summary summary = Summary_Of("plain", time_us, spheres);
        plain =
            Plain{time_us, spheres, Bytes_Of(Page_Html(summary)), Bytes_Of(Scores_Json(summary))};
    }
    const Store_Summary fuzzed = Summary_Of(text, time_us, spheres);
    const Histogram page = Bytes_Of(Page_Html(fuzzed));
    for (unsigned char markup : {'<', '>', '"', '\''}) {
        if (page[markup] != plain.page[markup]) __builtin_trap();
    }
    const Histogram json = Bytes_Of(Scores_Json(fuzzed));
    for (unsigned char markup : {'<', '>', '&'}) {
        if (json[markup] != plain.json[markup]) __builtin_trap();
    }
    const auto unquoted = Json_Unquote(Json_String(text));
    if (!unquoted || *unquoted != text) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string query(reinterpret_cast<const char*>(data), size);

    // A split query sent again with every byte percent-encoded splits the same.
    if (const auto fields = Split_Query(query)) {
        std::string again;
        for (const auto& [key, value] : *fields) {
            if (!again.empty()) again += '&';
            again += Percent_Encode(key) + '=' + Percent_Encode(value);
        }
        const auto resplit = Split_Query(again);
        if (!fields->empty() && (!resplit || *resplit != *fields)) __builtin_trap();
    }

    std::int64_t time_us = 40'500'000;
    std::int32_t spheres = 3;
    if (const auto run = Read_Score_Query(query)) {
        Check_Run(*run);
        time_us = run->time_us;
        spheres = run->spheres;
        Check_Rendering(run->name, time_us, spheres);
    }
    if (const auto report = Read_Report_Query(query)) {
        Check_Report(*report);
        Check_Rendering(report->program, time_us, spheres);
        Check_Rendering(report->version, time_us, spheres);
    }
    Check_Rendering(query, time_us, spheres);
    return 0;
}
