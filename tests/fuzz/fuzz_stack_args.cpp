// Fuzz target: how the plug-in's exports pop their arguments off the installer's string
// stack, with hostile string sizes (negative, zero, shorter than the texts), missing
// items and texts that are not UTF-8. The input: the installer's string size (2 bytes,
// little-endian, signed), a character limit for plain pops (1 byte), then the stack from
// the top down, each entry a length byte and that many bytes of text (cut by the
// input's end). Every entry is allocated to fit its text and its terminating zero exactly,
// so that AddressSanitizer sees any read past it.
//
// The usage report pops its four arguments first (its request is captured, not sent);
// the rest are popped plainly. Each pop must give the entry's text cut to the string size
// and to whole characters within the limit, the request must carry the report's three
// texts exactly, and every entry must be freed once (LeakSanitizer and AddressSanitizer).
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "plugin/nsis_abi.h"
#include "plugin/plugin_frame.h"
#include "plugin/system_linux.h"
#include "plugin/usage_report.h"

namespace {

// The Linux system with the report's request and the creation time captured.
class Capture_System : public corvane::Linux_System {
  public:
    bool Http_Get(const std::string& url, const char*) override {
        urls.push_back(url);
        return true;
    }
    bool Get_Creation_Ticks(const std::string& path, corvane::File_Ticks& ticks) override {
        paths.push_back(path);
        ticks = 0;
        return true;
    }
    std::vector<std::string> urls;
    std::vector<std::string> paths;
};

// What a pop must give: the text up to its zero and at most `string_size` bytes (any
// length when that is 0 or less), then at most `max_chars` characters, a character being
// a byte that does not continue the one before it (10xxxxxx).
std::string Expected_Pop(const std::string& text, int string_size, std::size_t max_chars) {
    std::string out = text.c_str();
    if (string_size > 0 && out.size() > static_cast<std::size_t>(string_size)) {
        out.resize(static_cast<std::size_t>(string_size));
    }
    std::size_t chars = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if ((static_cast<unsigned char>(out[i]) & 0xC0) == 0x80) continue;
        if (++chars > max_chars) return out.substr(0, i);
    }
    return out;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The query's parameters, percent-decoded; aborts on a character a request line must not
// carry unencoded or on a broken escape.
std::map<std::string, std::string> Query(const std::string& url) {
    const std::string prefix = "http://host.example/accessInfo.php?";
    if (url.compare(0, prefix.size(), prefix) != 0) std::abort();
    std::map<std::string, std::string> values;
    std::string name, value;
    bool in_value = false;
    for (std::size_t i = prefix.size(); i <= url.size(); ++i) {
        if (i == url.size() || url[i] == '&') {
            if (!in_value || values.count(name) != 0) std::abort();
            values[name] = value;
            name.clear();
            value.clear();
            in_value = false;
            continue;
        }
        const char c = url[i];
        std::string& part = in_value ? value : name;
        if (c == '=' && !in_value) {
            in_value = true;
        } else if (c == '%') {
            if (i + 2 >= url.size() || Hex(url[i + 1]) < 0 || Hex(url[i + 2]) < 0) std::abort();
            part += static_cast<char>(Hex(url[i + 1]) * 16 + Hex(url[i + 2]));
            i += 2;
        } else if (std::isalnum(static_cast<unsigned char>(c)) ||
                   std::strchr("-._~", c) != nullptr) {
            part += c;
        } else {
            std::abort();
        }
    }
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int string_size = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    const std::size_t max_chars = data[2];
    std::vector<std::string> texts;  // top first
    for (std::size_t at = 3; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        texts.emplace_back(reinterpret_cast<const char*>(data + at + 1), length);
        at += 1 + length;
    }

    Nsis_Stack_Entry* top = nullptr;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) {
        auto* entry = static_cast<Nsis_Stack_Entry*>(
            std::malloc(offsetof(Nsis_Stack_Entry, text) + text->size() + 1));
        if (entry == nullptr) std::abort();
        std::memcpy(entry->text, text->data(), text->size());
        entry->text[text->size()] = '\0';
        entry->next = top;
        top = entry;
    }

    Capture_System system;
    corvane::Record_Call(nullptr, string_size, nullptr,
                         reinterpret_cast<corvane::Stack_Entry**>(&top));
    corvane::Send_Usage_Report(system, "host.example");
    if (system.urls.size() != 1 || system.paths.size() != 1) std::abort();
    const auto query = Query(system.urls[0]);
    const char* const names[] = {"action", "program", "version"};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string expected =
            i < texts.size() ? Expected_Pop(texts[i], string_size, corvane::Report_Argument_Chars)
                             : "";
        if (query.count(names[i]) == 0 || query.at(names[i]) != expected) std::abort();
    }
    const std::string path =
        texts.size() > 3 ? Expected_Pop(texts[3], string_size, corvane::Report_Argument_Chars) : "";
    if (system.paths[0] != path) std::abort();

    // Plain pops take the rest, then find the stack empty.
    for (std::size_t i = 4; i < texts.size(); ++i) {
        std::string text = "left over";
        if (!corvane::Pop_String(system, text, max_chars)) std::abort();
        if (text != Expected_Pop(texts[i], string_size, max_chars)) std::abort();
    }
    if (top != nullptr) std::abort();
    std::string text = "left over";
    if (corvane::Pop_String(system, text, max_chars) || !text.empty()) std::abort();
    corvane::Record_Call(nullptr, string_size, nullptr, nullptr);
    if (corvane::Pop_String(system, text, max_chars) || !text.empty()) std::abort();
    return 0;
}
