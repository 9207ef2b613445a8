// Reading back what OpenAL Soft's wave backend wrote, and finding the sound in it.
#pragma once

#include <string>
#include <vector>

struct Recording {
    int rate = 0;
    // One value per frame: the loudest channel's sample, -1..1.
    std::vector<float> frames;
};

// A stretch of sound in a recording, in seconds from its start.
struct Sound_Span {
    double start = 0.0;
    double end = 0.0;
    double Length() const { return end - start; }
};

// Reads a 16-bit PCM or 32-bit float WAVE file (plain or extensible). False when the file
// is missing, is not such a file, or its sizes were never written.
bool Read_Recording(const std::string& path, Recording& out);

// Root-mean-square level of each `window` seconds of the recording.
std::vector<float> Levels(const Recording& recording, double window);

// How strongly a sine of `frequency` Hz sounds over the whole recording (its amplitude,
// averaged over the recording's length), whenever and however often it sounds.
double Tone_Level(const Recording& recording, double frequency);

// The stretches whose level (in 5 ms windows) rises above `threshold`; gaps shorter than
// 30 ms are bridged, so a tone's zero crossings never split it.
std::vector<Sound_Span> Sound_Spans(const Recording& recording, float threshold = 0.02f);
