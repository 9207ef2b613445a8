// The generated sound effects, decoded from the archive the build made.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>

#include "tests/engine/pak_test_support.h"
#include "tests/tools/assets_test_support.h"

namespace {

struct Decoded {
    int channels = 0;
    long rate = 0;
    std::vector<float> samples;
    double Seconds() const { return rate > 0 ? double(samples.size()) / double(rate) : 0; }
};

Decoded Decode(const std::string& name) {
    Scratch_Folder folder;
    Write_File(folder / name, Archive_Member("audio.pak", name));
    Decoded out;
    OggVorbis_File file;
    if (ov_fopen((folder / name).c_str(), &file) != 0) {
        ADD_FAILURE() << name << " is not Ogg Vorbis";
        return out;
    }
    vorbis_info* info = ov_info(&file, -1);
    out.channels = info->channels;
    out.rate = info->rate;
    char buffer[4096];
    int section = 0;
    for (;;) {
        long n = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
        if (n < 0) {
            ADD_FAILURE() << name << ": decoding error";
            break;
        }
        if (n == 0) break;
        for (long i = 0; i + 1 < n; i += 2) {
            auto lo = static_cast<unsigned char>(buffer[i]);
            auto hi = static_cast<signed char>(buffer[i + 1]);
            out.samples.push_back(float(std::int16_t(hi * 256 + lo)) / 32768.0f);
        }
    }
    ov_clear(&file);
    return out;
}

struct Sound_Case {
    const char* name;
    double min_seconds, max_seconds;
};

// Menu sounds and hits are short; the goal fanfare is the longest.
const Sound_Case Sounds[] = {
    {"menu_change.ogg", 0.03, 0.2},        {"menu_select.ogg", 0.15, 0.5},
    {"game_goal.ogg", 0.6, 1.6},           {"game_sphere_paddle.ogg", 0.05, 0.3},
    {"game_sphere_sphere.ogg", 0.03, 0.2}, {"game_sphere_wall.ogg", 0.05, 0.3},
};

TEST(Assets_Sounds, EachIsShortMonoAndBelowFullScale) {
    for (const Sound_Case& c : Sounds) {
        Decoded d = Decode(c.name);
        EXPECT_EQ(d.channels, 1) << c.name;
        EXPECT_EQ(d.rate, 44100) << c.name;
        EXPECT_GE(d.Seconds(), c.min_seconds) << c.name;
        EXPECT_LE(d.Seconds(), c.max_seconds) << c.name;
        float peak = 0;
        for (float s : d.samples) peak = std::max(peak, std::fabs(s));
        EXPECT_GT(peak, 0.3f) << c.name << " is too quiet";
        EXPECT_LT(peak, 0.95f) << c.name << " reaches full scale";
    }
}

// Tell-apart-able: each pair differs clearly in length or in brightness (zero crossings
// per second, a rough measure of where the sound's energy lies).
TEST(Assets_Sounds, EachSoundsDifferent) {
    std::vector<std::pair<double, double>> traits;
    for (const Sound_Case& c : Sounds) {
        Decoded d = Decode(c.name);
        long crossings = 0;
        for (size_t i = 1; i < d.samples.size(); ++i) {
            crossings += (d.samples[i - 1] < 0) != (d.samples[i] < 0);
        }
        traits.emplace_back(d.Seconds(), double(crossings) / std::max(d.Seconds(), 1e-3));
    }
    for (size_t i = 0; i < traits.size(); ++i) {
        for (size_t j = i + 1; j < traits.size(); ++j) {
            double length_ratio = std::max(traits[i].first, traits[j].first) /
                                  std::min(traits[i].first, traits[j].first);
            double bright_ratio = std::max(traits[i].second, traits[j].second) /
                                  std::max(1.0, std::min(traits[i].second, traits[j].second));
            EXPECT_TRUE(length_ratio > 1.25 || bright_ratio > 1.25)
                << Sounds[i].name << " and " << Sounds[j].name << " are alike";
        }
    }
}

}  // namespace
