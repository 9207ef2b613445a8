#include "web/query.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "game/score_check.h"

namespace {

using Fields = std::map<std::string, std::string>;

void Say(std::string* why, std::string text) {
    if (why != nullptr) *why = std::move(text);
}

int Hex_Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Percent_Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int high = Hex_Digit(text[i + 1]), low = Hex_Digit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// Exactly these keys, each once (Split_Query already refused repeats).
bool Has_Exactly(const Fields& fields, std::initializer_list<const char*> keys, std::string* why) {
    for (const char* key : keys) {
        if (fields.count(key) == 0) {
            Say(why, std::string("missing ") + key);
            return false;
        }
    }
    if (fields.size() != keys.size()) {
        for (const auto& field : fields) {
            const std::string& key = field.first;
            if (std::find_if(keys.begin(), keys.end(), [&](const char* k) { return key == k; }) ==
                keys.end()) {
                Say(why, "unknown key " + key);
                return false;
            }
        }
    }
    return true;
}

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// A whole number as printf's "%i" writes it: an optional "-" (when `sign` allows it), then
// "0" or digits without a leading zero, within 32-bit signed range.
std::optional<std::int32_t> Whole_Number(const std::string& text, bool sign) {
    std::size_t start = sign && !text.empty() && text[0] == '-' ? 1 : 0;
    std::string_view digits(text.data() + start, text.size() - start);
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), Is_Digit)) return std::nullopt;
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    if (start == 1 && digits == "0") return std::nullopt;  // "-0" is not what printf writes
    std::int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    if (start == 1) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A time as "%f" writes it: whole seconds without a leading zero, ".", six decimals.
// Returns microseconds.
std::optional<std::int64_t> Six_Decimals(const std::string& text) {
    std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 6 || text.size() != dot + 7) {
        return std::nullopt;
    }
    if (dot > 1 && text[0] == '0') return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == dot) continue;
        if (!Is_Digit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string Time_Text(std::int64_t time_us) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(time_us / 1'000'000),
                  static_cast<long long>(time_us % 1'000'000));
    return text;
}

std::string Float_Text(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

// The single-precision value whose "%f" is `text`, if there is one: the game sends its
// float best time, so no other text can come from it.
std::optional<float> Sent_Float(const std::string& text) {
    float value = std::strtof(text.c_str(), nullptr);
    if (Float_Text(value) != text) return std::nullopt;
    return value;
}

bool Known_Os(const std::string& os) {
    return std::find(std::begin(Os_Names), std::end(Os_Names), os) != std::end(Os_Names);
}

bool Valid_Name(const std::string& name) {
    if (name.empty() || name.size() > 15) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return Is_Digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// Well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF) of at most
// `max_chars` characters, without C0 controls, DEL or C1 controls.
bool Printable_Utf8(const std::string& text, std::size_t max_chars) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t n = text.size(), chars = 0;
    for (std::size_t i = 0; i < n; ++chars) {
        if (chars == max_chars) return false;
        unsigned char c = s[i];
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        int extra;
        std::uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= n) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF) || (code >= 0x80 && code <= 0x9F)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::optional<std::map<std::string, std::string>> Split_Query(std::string_view query,
                                                              std::string* why) {
    Fields fields;
    if (query.empty()) return fields;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        std::string_view part = query.substr(start, end - start);
        std::size_t equals = part.find('=');
        if (equals == std::string_view::npos) {
            Say(why, "a part without '='");
            return std::nullopt;
        }
        auto key = Percent_Decode(part.substr(0, equals));
        auto value = Percent_Decode(part.substr(equals + 1));
        if (!key || !value) {
            Say(why, "a broken percent escape");
            return std::nullopt;
        }
        if (key->empty()) {
            Say(why, "an empty key");
            return std::nullopt;
        }
        if (!fields.emplace(std::move(*key), std::move(*value)).second) {
            Say(why, "a repeated key");
            return std::nullopt;
        }
        start = end + 1;
    }
    return fields;
}

std::optional<Score_Run> Read_Score_Query(std::string_view query, std::string* why) {
    auto fields = Split_Query(query, why);
    if (!fields) return std::nullopt;
    Fields& f = *fields;
    if (!Has_Exactly(f,
                     {"access", "level", "score_time", "score_spheres", "username", "index", "os",
                      "version"},
                     why)) {
        return std::nullopt;
    }
    if (f["access"] != "score_upload_information") return Say(why, "access"), std::nullopt;
    if (f["level"] != "1") return Say(why, "level"), std::nullopt;
    if (f["version"] != "1.65") return Say(why, "version"), std::nullopt;
    if (!Valid_Name(f["username"])) return Say(why, "username"), std::nullopt;
    if (!Known_Os(f["os"])) return Say(why, "os"), std::nullopt;
    auto spheres = Whole_Number(f["score_spheres"], false);
    if (!spheres || *spheres > Max_Score_Spheres) return Say(why, "score_spheres"), std::nullopt;
    auto time_us = Six_Decimals(f["score_time"]);
    if (!time_us || *time_us > Max_Score_Time_Us || !Sent_Float(f["score_time"])) {
        return Say(why, "score_time"), std::nullopt;
    }
    auto index = Whole_Number(f["index"], true);
    if (!index) return Say(why, "index"), std::nullopt;

    Score_Run run{f["username"], *time_us, *spheres, f["os"], f["version"], *index};
    if (!Score_Index_Matches(run)) return Say(why, "index does not match"), std::nullopt;
    return run;
}

bool Score_Index_Matches(const Score_Run& run) {
    std::string text = Time_Text(run.time_us);
    auto sent = Sent_Float(text);
    if (!sent) return false;
    auto matches = [&](float best_time) {
        return Score_Check_Value(Truncate_X86(best_time), run.spheres, run.name.size()) ==
               run.index;
    };
    if (matches(*sent)) return true;
    // The float just below prints the same text only when the text is a whole number of
    // seconds and floats there lie closer together than half a microsecond; it truncates
    // one lower.
    float below = std::nextafter(*sent, 0.0f);
    return below != *sent && Float_Text(below) == text && matches(below);
}

std::optional<Install_Report> Read_Report_Query(std::string_view query, std::string* why) {
    auto fields = Split_Query(query, why);
    if (!fields) return std::nullopt;
    Fields& f = *fields;
    if (!Has_Exactly(
            f, {"access", "action", "program", "version", "major", "minor", "os", "os_timestamp"},
            why)) {
        return std::nullopt;
    }
    if (f["access"] != "app_info") return Say(why, "access"), std::nullopt;
    for (const char* key : {"action", "program", "version"}) {
        const std::string& text = f[key];
        if (!Printable_Utf8(text, Max_Report_Text)) {
            return Say(why, key), std::nullopt;
        }
    }
    if (!Known_Os(f["os"])) return Say(why, "os"), std::nullopt;
    auto major = Whole_Number(f["major"], true);
    auto minor = Whole_Number(f["minor"], true);
    auto stamp = Whole_Number(f["os_timestamp"], true);
    if (!major) return Say(why, "major"), std::nullopt;
    if (!minor) return Say(why, "minor"), std::nullopt;
    if (!stamp) return Say(why, "os_timestamp"), std::nullopt;
    return Install_Report{f["action"], f["program"], f["version"], *major, *minor, f["os"], *stamp};
}
