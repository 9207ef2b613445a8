#include "tests/audio/test_sound.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr double Pi = 3.14159265358979323846;

float Sample_At(const Test_Sound& sound, long frame, int channel, std::minstd_rand& noise) {
    const double t = static_cast<double>(frame) / sound.rate;
    switch (sound.shape) {
        case Test_Sound::Shape::Noise:
            return sound.amplitude * (static_cast<float>(noise() % 20001) / 10000.0f - 1.0f);
        case Test_Sound::Shape::Rising: {
            const double share = sound.frames > 1 ? double(frame) / (sound.frames - 1) : 1.0;
            return static_cast<float>(sound.amplitude * (0.2 + 0.8 * share) *
                                      std::sin(2.0 * Pi * sound.frequency * t));
        }
        case Test_Sound::Shape::Sine:
        default:
            // Each channel a little apart in pitch, so that no two are identical.
            return static_cast<float>(sound.amplitude *
                                      std::sin(2.0 * Pi * (sound.frequency + 55.0 * channel) * t));
    }
}

void Append_Page(std::vector<std::uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

long Frames_Of(double seconds, int rate) {
    return std::lround(seconds * rate);
}

std::vector<std::uint8_t> Encode_Ogg(const Test_Sound& sound) {
    std::vector<std::uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, sound.channels, sound.rate, 0.4f) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) Append_Page(out, page);

    std::minstd_rand noise(99);
    const long chunk = 1024;
    long written = 0;
    bool finished = false;
    while (!finished) {
        const long count = std::min(chunk, sound.frames - written);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (long i = 0; i < count; ++i) {
                for (int c = 0; c < sound.channels; ++c) {
                    buffer[c][i] = Sample_At(sound, written + i, c, noise);
                }
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            written += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // end of the stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    Append_Page(out, page);
                    if (ogg_page_eos(&page)) finished = true;
                }
            }
        }
        if (count <= 0) {
            while (ogg_stream_flush(&stream, &page) != 0) Append_Page(out, page);
            finished = true;
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

bool Write_Bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
