// Static channels as a listener hears them: OpenAL Soft's wave backend records the mix in
// real time, and the recording is searched for the sound.
#include <AL/al.h>

#include <algorithm>
#include <memory>

#include "audio/audio.h"
#include "tests/audio/audio_fixture.h"

namespace {

// How far a heard length may stray: OpenAL mixes in periods of about 23 ms.
constexpr double Slack = 0.05;

struct Length_Case {
    const char* label;
    Test_Sound sound;
    double heard;  // seconds of sound in the recording
};

void PrintTo(const Length_Case& c, std::ostream* out) {
    *out << c.label;
}

class AudioStaticLength : public Audio_Test, public ::testing::WithParamInterface<Length_Case> {};

TEST_P(AudioStaticLength, PlaysOnceForItsLength) {
    const Length_Case& c = GetParam();
    Write_Sound("s.ogg", c.sound);
    {
        CTarvelAudio audio(1);
        ASSERT_TRUE(audio.Load(0, "s.ogg", false));
        audio.Play(0);
        EXPECT_EQ(audio.Get_State(0), AL_PLAYING);
        Run_Frames(&audio, c.heard + 0.3);
        EXPECT_EQ(audio.Get_State(0), AL_STOPPED);
    }
    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].Length(), c.heard, Slack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioStaticLength,
    ::testing::Values(
        Length_Case{"Mono", {.rate = 44100, .channels = 1, .frames = 17640}, 0.4},
        Length_Case{"Stereo", {.rate = 22050, .channels = 2, .frames = 8820}, 0.4},
        // Three channels are handed over as stereo: 3 x 8821 samples make 13231 stereo
        // frames (the odd sample that fills no frame is dropped), 0.6 s at 22050 Hz, where
        // mono would last 1.2 s.
        Length_Case{"ThreeChannelsAsStereo", {.rate = 22050, .channels = 3, .frames = 8821}, 0.6}),
    [](const ::testing::TestParamInfo<Length_Case>& test_info) { return test_info.param.label; });

using AudioDecodedAhead = Audio_Test;

// Sounds decoded ahead at start-up sound as the files Load reads: a file that changed
// after the worker read it is heard as it is now (0.3 s, not the 0.8 s decoded ahead), and
// the log reads as without decoding ahead.
TEST_F(AudioDecodedAhead, SoundsAreTheFilesLoadReads) {
    Write_Sound("changed.ogg", {.rate = 44100, .channels = 1, .frames = 35280});
    Write_Sound("kept.ogg", {.rate = 22050, .channels = 2, .frames = 8820});
    {
        CTarvelAudio audio(2);
        const char* files[] = {"changed.ogg", "kept.ogg"};
        audio.Prefetch(files, 2);
        Run_Frames(nullptr, 0.15);
        Write_Sound("changed.ogg", {.rate = 44100, .channels = 1, .frames = 13230});
        ASSERT_TRUE(audio.Load(0, "changed.ogg", false));
        ASSERT_TRUE(audio.Load(1, "kept.ogg", false));
        audio.Prefetch_End();
        audio.Play(0);
        Run_Frames(&audio, 0.6);
        audio.Play(1);
        Run_Frames(&audio, 0.7);
    }
    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_NEAR(spans[0].Length(), 0.3, Slack);
    EXPECT_NEAR(spans[1].Length(), 0.4, Slack);
    const std::vector<Log_Entry> expected = {
        {0, "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device"},
        {0, "CTarvelAudio::CTarvelAudio() :: OpenAL device initialized [2 channel(s)]"},
        {0, "CTarvelAudio::Load() :: [changed.ogg]"},
        {0, "CTarvelAudio::Load() :: [kept.ogg]"},
        {0, "CTarvelAudio::~CTarvelAudio() :: OpenAL device released"},
    };
    EXPECT_EQ(Log_Entries(), expected);
}

using AudioStaticReplay = Audio_Test;

// A rising tone played again after 0.2 s: a restart is heard as one stretch of 0.2 + 0.5 s
// whose level falls back to the quiet start at the restart. A second voice would leave
// the first rising on (no fall), an ignored request would last only 0.5 s.
TEST_F(AudioStaticReplay, PlayingWhileItSoundsStartsItOver) {
    Write_Sound(
        "s.ogg",
        {.rate = 44100, .channels = 1, .frames = 22050, .shape = Test_Sound::Shape::Rising});
    {
        CTarvelAudio audio(1);
        ASSERT_TRUE(audio.Load(0, "s.ogg", false));
        audio.Play(0);
        Run_Frames(&audio, 0.2);
        EXPECT_EQ(audio.Get_State(0), AL_PLAYING);
        audio.Play(0);
        EXPECT_EQ(audio.Get_State(0), AL_PLAYING);
        Run_Frames(&audio, 0.8);
    }
    const Recording recording = Read_Wave();
    const std::vector<Sound_Span> spans = Sound_Spans(recording);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].Length(), 0.7, Slack);

    // Find the deepest fall of the level over 20 ms within the stretch.
    constexpr double Window = 0.01;
    const std::vector<float> levels = Levels(recording, Window);
    const std::size_t first = static_cast<std::size_t>(spans[0].start / Window) + 1;
    const std::size_t last =
        std::min(levels.size(), static_cast<std::size_t>(spans[0].end / Window)) - 3;
    double deepest = 1.0, at = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        const double ratio = levels[i + 2] / levels[i];
        if (ratio < deepest) {
            deepest = ratio;
            at = i * Window - spans[0].start;
        }
    }
    EXPECT_LT(deepest, 0.6);
    EXPECT_NEAR(at, 0.2, Slack);
}

TEST_F(AudioStaticReplay, PlayingAfterItEndedPlaysItAgain) {
    Write_Sound("s.ogg", {.rate = 44100, .channels = 1, .frames = 13230});
    {
        CTarvelAudio audio(1);
        ASSERT_TRUE(audio.Load(0, "s.ogg", false));
        audio.Play(0);
        Run_Frames(&audio, 0.5);
        EXPECT_EQ(audio.Get_State(0), AL_STOPPED);
        audio.Play(0);
        EXPECT_EQ(audio.Get_State(0), AL_PLAYING);
        Run_Frames(&audio, 0.5);
        EXPECT_EQ(audio.Get_State(0), AL_STOPPED);
    }
    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_NEAR(spans[0].Length(), 0.3, Slack);
    EXPECT_NEAR(spans[1].Length(), 0.3, Slack);
    EXPECT_NEAR(spans[1].start - spans[0].start, 0.5, Slack);
}

}  // namespace
