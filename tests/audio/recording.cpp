#include "tests/audio/recording.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t Read_U32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t Read_U16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}

constexpr double Level_Window = 0.005;
constexpr double Bridged_Gap = 0.030;

}  // namespace

bool Read_Recording(const std::string& path, Recording& out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    int format = 0, channels = 0, bits = 0;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const unsigned char* chunk = bytes.data() + pos;
        const std::uint32_t size = Read_U32(chunk + 4);
        const unsigned char* body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            format = Read_U16(body);
            channels = Read_U16(body + 2);
            out.rate = static_cast<int>(Read_U32(body + 4));
            bits = Read_U16(body + 14);
            if (format == 0xFFFE && size >= 26) format = Read_U16(body + 24);  // extensible
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (channels == 0 || bits == 0 || size == 0) return false;
            const std::size_t available = std::min<std::size_t>(size, bytes.size() - pos - 8);
            const std::size_t frame = std::size_t(channels) * (bits / 8);
            out.frames.clear();
            for (std::size_t at = 0; at + frame <= available; at += frame) {
                float loudest = 0.0f;
                for (int c = 0; c < channels; ++c) {
                    const unsigned char* s = body + at + c * (bits / 8);
                    float value = 0.0f;
                    if (format == 1 && bits == 16) {
                        value = static_cast<std::int16_t>(Read_U16(s)) / 32768.0f;
                    } else if (format == 3 && bits == 32) {
                        std::uint32_t raw = Read_U32(s);
                        std::memcpy(&value, &raw, sizeof value);
                    } else {
                        return false;
                    }
                    if (std::fabs(value) > std::fabs(loudest)) loudest = value;
                }
                out.frames.push_back(loudest);
            }
            return out.rate > 0;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

std::vector<float> Levels(const Recording& recording, double window) {
    std::vector<float> levels;
    const std::size_t step = std::max<std::size_t>(1, std::size_t(window * recording.rate));
    for (std::size_t at = 0; at < recording.frames.size(); at += step) {
        const std::size_t end = std::min(recording.frames.size(), at + step);
        double sum = 0.0;
        for (std::size_t i = at; i < end; ++i)
            sum += double(recording.frames[i]) * recording.frames[i];
        levels.push_back(static_cast<float>(std::sqrt(sum / double(end - at))));
    }
    return levels;
}

std::vector<Sound_Span> Sound_Spans(const Recording& recording, float threshold) {
    std::vector<Sound_Span> spans;
    const std::vector<float> levels = Levels(recording, Level_Window);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] <= threshold) continue;
        const double start = i * Level_Window;
        const double end = (i + 1) * Level_Window;
        if (!spans.empty() && start - spans.back().end < Bridged_Gap) {
            spans.back().end = end;
        } else {
            spans.push_back({start, end});
        }
    }
    return spans;
}

double Tone_Level(const Recording& recording, double frequency) {
    // Goertzel's single-frequency transform over every frame.
    const std::size_t count = recording.frames.size();
    if (count == 0 || recording.rate <= 0) return 0.0;
    const double coefficient =
        2.0 * std::cos(2.0 * 3.14159265358979323846 * frequency / recording.rate);
    double previous = 0.0, before = 0.0;
    for (float sample : recording.frames) {
        const double current = sample + coefficient * previous - before;
        before = previous;
        previous = current;
    }
    const double power = previous * previous + before * before - coefficient * previous * before;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(count);
}
