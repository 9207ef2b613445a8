// Test sounds made on the spot: an Ogg Vorbis encoder for short synthetic signals, so the
// repository holds no binary sound files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Test_Sound {
    enum class Shape {
        Sine,    // a steady tone
        Rising,  // a tone whose amplitude climbs from a fifth of `amplitude` to all of it
        Noise,   // white noise
    };
    int rate = 44100;
    int channels = 1;
    long frames = 0;  // samples per channel; the decoder gives back exactly this many
    Shape shape = Shape::Sine;
    float amplitude = 0.5f;
    float frequency = 440.0f;
};

// Frames in `seconds` of sound at `rate`.
long Frames_Of(double seconds, int rate);

// Encodes `sound` as an Ogg Vorbis file in memory; empty on an encoder failure.
std::vector<std::uint8_t> Encode_Ogg(const Test_Sound& sound);
