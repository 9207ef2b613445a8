#include "frontend/upload.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/log.h"
#include "engine/io.h"
#include "game/score_check.h"

namespace {

// The program version as the game holds it: a single-precision value.
constexpr float Version = 1.65f;

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string Query_Escape(const char* text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
        if (Unreserved(*c)) {
            out += static_cast<char>(*c);
        } else {
            out += '%';
            out += Hex[*c >> 4];
            out += Hex[*c & 15];
        }
    }
    return out;
}

}  // namespace

std::string Score_Upload_Url(const char* host, const char* name, float spheres, float best_time,
                             const char* os_name) {
    if (host == nullptr) host = "";
    if (name == nullptr) name = "";
    if (os_name == nullptr) os_name = "";
    // The web service computes the same value from the query and refuses a mismatch.
    std::int32_t index =
        Score_Check_Value(Truncate_X86(best_time), Truncate_X86(spheres), std::strlen(name));

    // "%f" of any float fits: at most 39 integer digits.
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "&score_time=%f&score_spheres=%i",
                  static_cast<double>(best_time), Truncate_X86(spheres));
    char version[32];
    std::snprintf(version, sizeof version, "%.2f", static_cast<double>(Version));
    return std::string("http://") + host +
           "/accessTindral.php?access=score_upload_information&level=1" + numbers +
           "&username=" + Query_Escape(name) + "&index=" + std::to_string(index) +
           "&os=" + Query_Escape(os_name) + "&version=" + version;
}

void Score_Upload(CTarvelIO& io, const char* host, const char* name, float spheres, float best_time,
                  const char* os_name) {
    std::string url = Score_Upload_Url(host, name, spheres, best_time, os_name);
    std::string answer = io.Retrieve_Data_URL(url.c_str(), nullptr);
    if (answer.empty()) return;
    Log_Write(Engine_Log, 0, "High score upload completed [%s][%f][%i]",
              name != nullptr ? name : "", static_cast<double>(best_time), Truncate_X86(spheres));
}
