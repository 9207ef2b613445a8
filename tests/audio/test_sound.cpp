#include "tests/audio/test_sound.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "tools/vorbis_encode.h"

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

}  // namespace

long Frames_Of(double seconds, int rate) {
    return std::lround(seconds * rate);
}

std::vector<std::uint8_t> Encode_Ogg(const Test_Sound& sound) {
    Vorbis_Settings settings;
    settings.channels = sound.channels;
    settings.rate = sound.rate;
    settings.quality = 0.4f;
    settings.serial = 1234;
    std::minstd_rand noise(99);
    return Vorbis_Encode(settings, sound.frames, [&](float** channels, long first, long count) {
        for (long i = 0; i < count; ++i) {
            for (int c = 0; c < sound.channels; ++c) {
                channels[c][i] = Sample_At(sound, first + i, c, noise);
            }
        }
    });
}

