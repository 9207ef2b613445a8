#include "tools/vorbis_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

std::vector<std::uint8_t> Vorbis_Encode(const Vorbis_Settings& settings, long frames,
                                        const Vorbis_Fill& fill) {
    std::vector<std::uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, settings.channels, settings.rate, settings.quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    if (settings.encoder_tag != nullptr) {
        vorbis_comment_add_tag(&comment, "ENCODER", settings.encoder_tag);
    }
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, settings.serial);

    auto append = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) append(page);

    const long chunk = 1024;
    long written = 0;
    bool end = false;
    while (!end) {
        const long count = std::min(chunk, frames - written);
        if (count <= 0) {
            vorbis_analysis_wrote(&dsp, 0);  // end of the stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            fill(buffer, written, count);
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            written += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page)) end = true;
                }
            }
        }
        if (count <= 0) end = true;
    }
    while (ogg_stream_flush(&stream, &page) != 0) append(page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
