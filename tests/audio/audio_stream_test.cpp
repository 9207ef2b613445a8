// Streamed channels: two buffers of at most one decoding block each, refilled by Update.
#include <AL/al.h>

#include <chrono>
#include <filesystem>
#include <numeric>

#include "audio/audio.h"
#include "engine/pak.h"
#include "tests/audio/audio_fixture.h"

namespace {

constexpr double Slack = 0.05;
constexpr int Rate = 44100;
// Mono 16-bit frames in one buffer, and the seconds they last.
constexpr long Block_Frames = CTarvelAudio::Decode_Block / 2;
constexpr double Block_Seconds = double(Block_Frames) / Rate;

double Mean_Level(const Recording& recording, double from, double to) {
    const std::vector<float> levels = Levels(recording, 0.01);
    const std::size_t a = static_cast<std::size_t>(from / 0.01);
    const std::size_t b = std::min(levels.size(), static_cast<std::size_t>(to / 0.01));
    if (b <= a) return 0.0;
    return std::accumulate(levels.begin() + a, levels.begin() + b, 0.0) / double(b - a);
}

struct Short_Case {
    const char* label;
    long frames;
    bool starts;
};

void PrintTo(const Short_Case& c, std::ostream* out) {
    *out << c.label;
}

class AudioShortStream : public Audio_Test, public ::testing::WithParamInterface<Short_Case> {};

// Play primes both buffers; a file that cannot fill the second one never starts.
TEST_P(AudioShortStream, StartsOnlyWhenTheFileFillsBothBuffers) {
    const Short_Case& c = GetParam();
    Write_Sound("s.ogg", {.rate = Rate, .channels = 1, .frames = c.frames});
    {
        CTarvelAudio audio(1);
        ASSERT_TRUE(audio.Load(0, "s.ogg", true));
        audio.Play(0);
        EXPECT_EQ(audio.Get_State(0), c.starts ? AL_PLAYING : AL_INITIAL);
        Run_Frames(&audio, Block_Seconds + 0.25);
        audio.Play(0);  // a second request finds the decoder exhausted
        if (!c.starts) {
            EXPECT_EQ(audio.Get_State(0), AL_INITIAL);
        }
        Run_Frames(&audio, 0.05);
    }
    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    if (c.starts) {
        // The second request replays what is still queued; only the first is measured.
        ASSERT_GE(spans.size(), 1u);
        EXPECT_NEAR(spans[0].Length(), Block_Seconds, Slack);
    } else {
        EXPECT_TRUE(spans.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioShortStream,
    ::testing::Values(Short_Case{"OneBlockExactly", Block_Frames, false},
                      Short_Case{"HalfABlock", Block_Frames / 2, false},
                      Short_Case{"OneBlockAndOneSample", Block_Frames + 1, true}),
    [](const ::testing::TestParamInfo<Short_Case>& test_info) { return test_info.param.label; });

using AudioStream = Audio_Test;

// Two and a half blocks of a rising tone, from the archive. Update refills the first
// buffer with the last half block; the next Update finds the decoder exhausted and stops
// the source, cutting that half block off. Play then replays the queue as it stands (the
// loud last half block, then the second block); the decoder is not rewound.
TEST_F(AudioStream, ExhaustedStreamIsStoppedByUpdateAndReplaysItsQueue) {
    const long frames = Block_Frames * 5 / 2;
    Write_Archive({{"s.ogg", Encode_Ogg({.rate = Rate,
                                         .channels = 1,
                                         .frames = frames,
                                         .shape = Test_Sound::Shape::Rising})}});
    {
        CTarvelAudio audio(2);
        ASSERT_TRUE(audio.Load(1, "s.ogg", true));
        // The extracted copy is gone at once; the open decoder still reads it.
        EXPECT_FALSE(std::filesystem::exists(std::string(Private_Temp_Folder()) + "/s.ogg"));
        EXPECT_FALSE(std::filesystem::exists(dir_ + "/s.ogg"));

        audio.Play(1);
        const auto start = std::chrono::steady_clock::now();
        while (audio.Get_State(1) == AL_PLAYING &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
            Run_Frames(&audio, 0.01);
        }
        EXPECT_EQ(audio.Get_State(1), AL_STOPPED);
        const std::chrono::duration<double> played = std::chrono::steady_clock::now() - start;
        EXPECT_NEAR(played.count(), 2 * Block_Seconds, 0.1);

        Run_Frames(&audio, 0.2);
        audio.Play(1);
        EXPECT_EQ(audio.Get_State(1), AL_PLAYING);
        Run_Frames(nullptr, 1.5 * Block_Seconds + 0.3);  // no refills: the queue plays out
        EXPECT_EQ(audio.Get_State(1), AL_STOPPED);
    }
    const Recording recording = Read_Wave();
    const std::vector<Sound_Span> spans = Sound_Spans(recording);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_NEAR(spans[0].Length(), 2 * Block_Seconds, Slack);
    EXPECT_NEAR(spans[1].Length(), 1.5 * Block_Seconds, Slack);
    // The replay opens with the loudest part of the tone, then drops to the second block.
    const double opening = Mean_Level(recording, spans[1].start + 0.02, spans[1].start + 0.15);
    const double closing = Mean_Level(recording, spans[1].end - 0.3, spans[1].end - 0.02);
    EXPECT_GT(opening, closing * 1.15);
}

// Without Update the source plays its two buffers, runs dry and is stopped by OpenAL; a
// later Update no longer refills it.
TEST_F(AudioStream, SourceThatRanDryIsNotRefilled) {
    Write_Sound("s.ogg", {.rate = Rate, .channels = 1, .frames = Block_Frames * 3});
    {
        CTarvelAudio audio(1);
        ASSERT_TRUE(audio.Load(0, "s.ogg", true));
        audio.Play(0);
        Run_Frames(nullptr, 2 * Block_Seconds + 0.2);
        EXPECT_EQ(audio.Get_State(0), AL_STOPPED);
        Run_Frames(&audio, 0.5);
        EXPECT_EQ(audio.Get_State(0), AL_STOPPED);
    }
    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].Length(), 2 * Block_Seconds, Slack);
}

}  // namespace
