// Ogg Vorbis encoding of synthesised sound, for the content generator and the audio tests
// (so that the repository holds no binary sound files).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Writes `count` frames starting at frame `first` into `channels[c][0 .. count)`, one
// planar buffer per channel, samples in [-1, 1].
using Vorbis_Fill = std::function<void(float** channels, long first, long count)>;

struct Vorbis_Settings {
    int channels = 1;
    int rate = 44100;
    float quality = 0.4f;              // libvorbis VBR quality, -0.1 .. 1
    int serial = 1;                    // the Ogg stream's serial number
    const char* encoder_tag = nullptr;  // an ENCODER comment, or none
};

// Encodes `frames` frames pulled from `fill` as an Ogg Vorbis file in memory; the same
// input gives the same bytes. Empty when the encoder refuses the settings.
std::vector<std::uint8_t> Vorbis_Encode(const Vorbis_Settings& settings, long frames,
                                        const Vorbis_Fill& fill);
