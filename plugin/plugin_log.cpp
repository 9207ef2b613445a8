#include "plugin/plugin_log.h"

#include <cstdarg>
#include <ctime>
#include <vector>

namespace corvane {
namespace {

std::tm Local_Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

constexpr const char Header_Fonts[] =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fmodern\fprq1\fcharset0 Courier New;}{\f1\fnil\fcharset0 Courier New;}})";
constexpr const char Header_Colours[] =
    R"({\colortbl ;\red0\green0\blue0;\red255\green0\blue0;\red0\green128\blue0;\red0\green0\blue255;}{\*\generator Msftedit 5.41.15.1503;}\viewkind4\uc1\pard\fs20)";
constexpr const char Header_Started[] =
    R"(--------------------------------------\par Logging started: %.2i/%.2i/%.4i - %.2i:%.2i:%.2i \par---------------------------------------\par \par)";
constexpr const char Line[] = R"( %.2i:%.2i:%.2i :: \cf1\f0 %s\cf0\f1\par)";

// Decodes one UTF-8 character at text[i]; returns its length, or 0 when the bytes there
// are not a valid character.
std::size_t Decode_Utf8(const std::string& text, std::size_t i, unsigned& code) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void Append_Unicode_Escape(std::string& out, unsigned code) {
    // RTF takes UTF-16 units as signed 16-bit decimals; "?" is the one fallback character
    // that \uc1 announces.
    auto unit = [&out](unsigned value) {
        out += "\\u" + std::to_string(static_cast<int>(static_cast<std::int16_t>(value))) + "?";
    };
    if (code >= 0x10000) {
        code -= 0x10000;
        unit(0xD800 + (code >> 10));
        unit(0xDC00 + (code & 0x3FF));
    } else {
        unit(code);
    }
}

}  // namespace

std::string Rtf_Text(const std::string& message) {
    std::string out;
    out.reserve(message.size());
    for (std::size_t i = 0; i < message.size();) {
        unsigned char c = static_cast<unsigned char>(message[i]);
        if (c == '\\') {
            out += '/';
        } else if (c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            out += hex;
        } else if (c >= 0x80) {
            unsigned code = 0;
            std::size_t length = Decode_Utf8(message, i, code);
            if (length == 0) {
                out += '?';
                ++i;
                continue;
            }
            Append_Unicode_Escape(out, code);
            i += length;
            continue;
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out;
}

std::FILE* Open_Log(Plugin_System& system, const std::string& path, bool fresh) {
    if (!fresh) return system.Open_Stream(path, "a");
    std::FILE* log = system.Open_Stream(path, "w");
    if (log == nullptr) return nullptr;
    std::tm now = Local_Now();
    std::fputs(Header_Fonts, log);
    std::fputs(Header_Colours, log);
    std::fprintf(log, Header_Started, now.tm_mon + 1, now.tm_mday, now.tm_year + 1900, now.tm_hour,
                 now.tm_min, now.tm_sec);
    std::fflush(log);
    return log;
}

void Log_Line(std::FILE* log, const char* format, ...) {
    if (log == nullptr) return;
    std::va_list args;
    va_start(args, format);
    std::va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> message(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
    if (length > 0) std::vsnprintf(message.data(), message.size(), format, args);
    va_end(args);

    std::tm now = Local_Now();
    std::fprintf(log, Line, now.tm_hour, now.tm_min, now.tm_sec, Rtf_Text(message.data()).c_str());
    std::fflush(log);
}

}  // namespace corvane
