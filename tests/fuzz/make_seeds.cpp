// Writes the fuzz targets' seed inputs that are binary or made by the game's own code, so
// that the repository holds none of them: archives by the archive writer, pictures by the
// PNG encoder and by hand (the colour types the encoder never writes), sounds by the
// Vorbis encoder, the glyph list the build generated, and the scripted transfers and
// installer stacks of the URL-body and stack-argument targets.
//
//   fuzz_make_seeds OUT_DIR DATA_DIR
//
// OUT_DIR/<target>/ receives each target's files; DATA_DIR holds the built archives.
// Exit status 0 when every file was written.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/pak.h"
#include "platform/png.h"
#include "tests/support/png_chunks.h"
#include "tools/vorbis_encode.h"

namespace {

bool ok = true;
std::string out_dir;

void Write(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::string folder = out_dir + "/" + target;
    mkdir(folder.c_str(), 0755);
    std::FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name.c_str());
        ok = false;
    }
    if (file != nullptr) std::fclose(file);
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void Archives() {
    const auto archive = [](const char* name, const std::vector<Pak_Input>& members) {
        const std::string path = out_dir + "/pak/" + name;
        mkdir((out_dir + "/pak").c_str(), 0755);
        if (!Pak_Write(path.c_str(), members)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ok = false;
        }
    };
    archive("three.pak", {{"font_list.txt", Bytes("A 0 0 12 16\nB 12 0 11 16\n")},
                          {"wall.png", Bytes(std::string("\0\1\2\377\376binary\n", 12))},
                          {"empty.dat", {}}});
    archive("duplicate.pak", {{"wall.png", Bytes("older\n")}, {"wall.png", Bytes("newer\n")}});
    archive("none.pak", {});
}

void Pictures() {
    const auto encoded = [](const char* name, int width, int height) {
        std::vector<std::uint8_t> rgba;
        for (int i = 0; i < width * height; ++i) {
            rgba.insert(rgba.end(), {std::uint8_t(i * 37), std::uint8_t(i * 11), std::uint8_t(200),
                                     std::uint8_t(i * 255 / (width * height))});
        }
        std::vector<std::uint8_t> bytes;
        if (!Png_Encode_RGBA(width, height, rgba.data(), &bytes)) ok = false;
        Write("png", name, Text(bytes));
    };
    encoded("rgba_1x1.png", 1, 1);
    encoded("rgba_3x2.png", 3, 2);
    encoded("rgba_8x8.png", 8, 8);

    namespace chunks = png_chunks;
    const std::string palette("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    Write("png", "palette.png",
          chunks::File(
              2, 2, 8, 3, std::string("\0\0\1\0\2\3", 6),
              chunks::Chunk("PLTE", palette) + chunks::Chunk("tRNS", std::string("\xFF\x00", 2))));
    Write("png", "gray_1bit.png", chunks::File(8, 2, 1, 0, std::string("\0\xA5\0\x5A", 4)));
    Write("png", "gray_8bit_gamma.png",
          chunks::File(3, 1, 8, 0, std::string("\0\x10\x80\xF0", 4),
                       chunks::Chunk("gAMA", std::string("\0\0\xB1\x8F", 4))));
    Write("png", "gray_alpha_16bit.png",
          chunks::File(1, 2, 16, 4, std::string("\0\x12\x34\xFF\xFF\0\xAB\xCD\x80\x00", 10)));
    Write("png", "rgb_16bit_sub_filter.png",
          chunks::File(2, 1, 16, 2, std::string("\1\0\1\0\2\0\3\0\1\0\1\0\1", 13)));
    // Adam7 spreads a 3 x 3 image over passes 1, 4, 5, 6 and 7 (2 and 3 are empty).
    std::string adam7;
    const auto row = [&adam7](int pixels) {
        adam7 += '\0';
        for (int i = 0; i < pixels; ++i) adam7 += std::string("\x20\x40\x60\xFF", 4);
    };
    row(1);  // pass 1: (0, 0)
    row(1);  // pass 4: (2, 0)
    row(2);  // pass 5: (0, 2), (2, 2)
    row(1);  // pass 6: (1, 0)
    row(1);  //         (1, 2)
    row(3);  // pass 7: the middle row
    Write("png", "interlaced.png", chunks::File(3, 3, 8, 6, adam7, "", 1));
}

void Sounds() {
    const auto sound = [](const char* name, const Vorbis_Settings& settings, long frames,
                          double frequency) {
        const auto bytes = Vorbis_Encode(
            settings, frames, [&settings, frequency](float** channels, long first, long count) {
                for (int c = 0; c < settings.channels; ++c) {
                    for (long i = 0; i < count; ++i) {
                        const double t = double(first + i) / settings.rate;
                        channels[c][i] =
                            float(0.4 * std::sin(6.283185307 * frequency * (c + 1) * t));
                    }
                }
            });
        if (bytes.empty()) ok = false;
        Write("ogg", name, Text(bytes));
    };
    sound("mono_8k.ogg", {.channels = 1, .rate = 8000, .quality = -0.1f}, 400, 440);
    sound("stereo_11k.ogg", {.channels = 2, .rate = 11025, .quality = 0.0f}, 1500, 330);
    sound("tagged.ogg",
          {.channels = 1, .rate = 22050, .quality = 0.2f, .serial = 7, .encoder_tag = "tindral"},
          800, 880);
    sound("three_channels.ogg", {.channels = 3, .rate = 8000, .quality = -0.1f}, 300, 200);
    sound("silence_short.ogg", {.channels = 1, .rate = 8000, .quality = -0.1f}, 1, 0);
}

void Glyph_List(const std::string& data_dir) {
    CTarvelPak pak;
    std::vector<std::uint8_t> list;
    if (!pak.Open((data_dir + "/textures.pak").c_str()) || !pak.Read("font_list.txt", &list)) {
        std::fprintf(stderr, "no font_list.txt in %s/textures.pak\n", data_dir.c_str());
        ok = false;
        return;
    }
    Write("font_list", "built_font_list.txt", Text(list));
}

// One piece of a scripted transfer: length, repeats less one, bytes.
std::string Piece(const std::string& bytes, int times = 1) {
    return std::string(1, char(bytes.size())) + char(times - 1) + bytes;
}

void Transfers() {
    const std::string limit("\x00\x04", 2);  // 1024 bytes
    Write("url_body", "answer.bin", std::string("\0", 1) + limit + Piece("OK\r\n"));
    Write("url_body", "saved.bin",
          std::string("\4", 1) + limit + Piece("<html>\r\n") + Piece("score 1\r\n\x1atail"));
    Write("url_body", "saved_over_prior.bin", std::string("\x0C", 1) + limit + Piece("body"));
    Write("url_body", "cut_off.bin", std::string("\1", 1) + limit + Piece("half"));
    Write("url_body", "no_answer.bin", std::string("\2", 1) + limit);
    Write("url_body", "no_client.bin", std::string("\3", 1) + limit);
    // 16 bytes allowed: exactly at the limit, then one byte past it.
    Write("url_body", "at_limit.bin", std::string("\4\x10\0", 3) + Piece("12345678", 2));
    Write("url_body", "past_limit.bin",
          std::string("\4\x10\0", 3) + Piece("12345678", 2) + Piece("9"));
    // The largest limit (4095 bytes), passed by a piece of 255 bytes that arrives 17 times.
    Write("url_body", "past_largest_limit.bin",
          std::string("\0\xFF\x0F", 3) + Piece("abc") + Piece(std::string(255, 'x'), 17));
}

// An installer stack: string size, plain-pop limit, then entries from the top down.
std::string Stack(int string_size, int max_chars, const std::vector<std::string>& entries) {
    std::string out;
    out += char(string_size & 0xFF);
    out += char((string_size >> 8) & 0xFF);
    out += char(max_chars);
    for (const std::string& entry : entries) out += char(entry.size()) + entry;
    return out;
}

void Stacks() {
    Write("stack_args", "report.bin",
          Stack(1024, 249, {"install", "Tindral", "1.65", "/usr/share/games"}));
    Write("stack_args", "update.bin", Stack(1024, 249, {"C:\\Games\\Haskett"}));
    Write("stack_args", "utf8_cut.bin",
          Stack(8, 3,
                {"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", "a", "b",
                 "\xF0\x9F\x8E\xB2\xF0\x9F\x8E\xB2"}));
    Write("stack_args", "no_size.bin", Stack(0, 5, {"x", "y"}));
    Write("stack_args", "negative_size.bin", Stack(-3, 1, {"plain", "", "more"}));
    Write("stack_args", "empty_stack.bin", Stack(1024, 10, {}));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUT_DIR DATA_DIR\n");
        return 2;
    }
    out_dir = argv[1];
    mkdir(out_dir.c_str(), 0755);
    Archives();
    Pictures();
    Sounds();
    Glyph_List(argv[2]);
    Transfers();
    Stacks();
    return ok ? 0 : 1;
}
