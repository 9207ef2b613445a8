// Fuzz target: what URL retrieval does with an answer's body: receiving it piece by piece,
// cutting it off past the size limit, keeping it in a private temporary file, reading it
// as text and saving it. No server is involved: this program's own Http_Get (a link-time
// stand-in for the platform's, which the archive then never pulls in) plays the transfer
// the input describes.
//
// The input: one byte for how the transfer ends (bits 0-1: 0 the whole body, 1 cut off
// after the pieces, 2 no answer, 3 no client; bit 2: the caller asks for a saved copy; bit
// 3: a file is already where the copy goes), two bytes whose low 12 bits are the size limit
// (little-endian), then the pieces, each a length byte, a byte giving how many times it
// arrives (one more than its value), and its bytes. The limit is small, so that bodies past
// it stay quick to handle: the cut works alike at the default megabyte, which the tests
// with a real server reach.
//
// Checked: the answer is the body read as Windows text exactly when the whole body came
// within the limit, and empty otherwise; the transfer is refused at the first piece that
// passes the limit and not before; a saved copy holds exactly the body and appears only
// for a good answer, and a file already there is never touched; every failure is logged;
// no temporary file is left.
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/log.h"
#include "engine/io.h"
#include "platform/http.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

enum End { Whole = 0, Cut_Off = 1, No_Answer = 2, No_Client = 3 };

struct Piece {
    std::string bytes;
    int times;
};

// The transfer Http_Get plays, and what it saw.
struct Script {
    End end = Whole;
    std::vector<Piece> pieces;
    bool called = false;
    std::size_t accepted = 0;    // bytes of the pieces on_data took
    std::size_t refused_at = 0;  // bytes up to and including the refused piece, 0 if none
} script;

std::string Windows_Text(const std::string& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size() && raw[i] != '\x1a'; ++i) {
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text += raw[i];
    }
    return text;
}

bool Empty_Folder(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool empty = true;
    while (dirent* item = readdir(dir)) {
        empty =
            empty && (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0);
    }
    closedir(dir);
    return empty;
}

long File_Size(std::FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

}  // namespace

Http_Failure Http_Get(const char* url, const char*, const Http_Data_Callback& on_data,
                      int* error_code, const Http_Options&) {
    script.called = true;
    if (url == nullptr || error_code == nullptr) std::abort();
    *error_code = 0;
    if (script.end == No_Client) {
        *error_code = Http_Error_Internal;
        return Http_Failure::Open;
    }
    if (script.end == No_Answer) {
        *error_code = Http_Error_Cannot_Connect;
        return Http_Failure::Request;
    }
    std::size_t delivered = 0;
    for (const Piece& piece : script.pieces) {
        for (int i = 0; i < piece.times; ++i) {
            delivered += piece.bytes.size();
            if (!on_data(piece.bytes.data(), piece.bytes.size())) {
                script.refused_at = delivered;
                *error_code = Http_Error_Cancelled;
                return Http_Failure::Read;
            }
            script.accepted += piece.bytes.size();
        }
    }
    if (script.end == Cut_Off) {
        *error_code = Http_Error_Connection_Aborted;
        return Http_Failure::Read;
    }
    return Http_Failure::None;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string temporary = [] {
        const std::string folder = fuzz::Scratch() + "/tmp";
        mkdir(folder.c_str(), 0700);
        setenv("TMPDIR", folder.c_str(), 1);
        return folder;
    }();
    static std::FILE* log = [] {
        std::FILE* file = std::fopen((fuzz::Scratch() + "/log.dat").c_str(), "w+");
        if (file == nullptr) std::abort();
        return file;
    }();
    if (size < 3) return 0;

    script = Script{};
    script.end = static_cast<End>(data[0] & 3);
    const bool save = (data[0] & 4) != 0;
    const bool prior = save && (data[0] & 8) != 0;
    CTarvelIO io;
    io.Max_Body_Bytes = data[1] | ((data[2] & 0x0F) << 8);
    // Every byte the server would send, up to one past the limit (which is all a check
    // needs).
    std::string body;
    for (std::size_t at = 3; at < size;) {
        const std::size_t length = data[at];
        const int times = at + 1 < size ? data[at + 1] + 1 : 1;
        at += 2;
        std::string bytes;
        if (at < size)
            bytes.assign(reinterpret_cast<const char*>(data + at), std::min(length, size - at));
        at += length;
        // A transfer never hands over an empty piece.
        if (bytes.empty()) continue;
        script.pieces.push_back(Piece{bytes, times});
        for (int i = 0; i < times && body.size() <= io.Max_Body_Bytes; ++i) body += bytes;
    }

    const std::string saved = fuzz::Scratch() + "/saved.dat";
    unlink(saved.c_str());
    if (prior) fuzz::Write_Input(saved, reinterpret_cast<const std::uint8_t*>("prior"), 5);
    if (ftruncate(fileno(log), 0) != 0) std::abort();
    std::rewind(log);
    Engine_Log = log;
    const std::string answer =
        io.Retrieve_Data_URL("http://host.example/x", save ? saved.c_str() : nullptr);
    Engine_Log = nullptr;

    if (!script.called) std::abort();
    const bool delivered = script.end == Whole || script.end == Cut_Off;
    const bool too_long = delivered && body.size() > io.Max_Body_Bytes;
    if (too_long) {
        // Refused at the first piece past the limit: everything before it was taken.
        if (script.refused_at <= io.Max_Body_Bytes || script.accepted > io.Max_Body_Bytes) {
            std::abort();
        }
    } else if (script.refused_at != 0) {
        std::abort();
    }
    const bool good = script.end == Whole && !too_long;
    if (answer != (good ? Windows_Text(body) : std::string())) std::abort();

    const bool exists = access(saved.c_str(), F_OK) == 0;
    if (prior) {
        if (fuzz::Read_All(saved) != "prior") std::abort();
    } else if (exists != (save && good) || (exists && fuzz::Read_All(saved) != body)) {
        std::abort();
    }
    const bool logged = File_Size(log) > 0;
    if (logged != (!good || prior)) std::abort();
    if (!Empty_Folder(temporary)) std::abort();
    return 0;
}
