// OpenAL Soft allows this process only 4 sources (see CMakeLists.txt), fewer than the
// game's six channels: the channels it has no source for load silent, as without a device.
#include <AL/al.h>

#include "audio/audio.h"
#include "tests/audio/audio_fixture.h"

namespace {

constexpr int Rate = 44100;
constexpr double Heard = 0.1;    // seconds each tone lasts
constexpr double Spacing = 0.3;  // seconds between two channels' plays
constexpr double Slack = 0.05;

Log_Entry Loaded(const char* file) {
    return {0, std::string("CTarvelAudio::Load() :: [") + file + "]"};
}

Log_Entry No_Source(const char* file) {
    return {1, std::string("CTarvelAudio::Load() :: failed (could not create OpenAL source [") +
                   file + "])"};
}

using AudioFewSources = Audio_Test;

// The game's start-up loads six static channels and stops at the first failed load. The
// four channels with a source are heard, one after the other; the two without log the
// failure and stay silent whatever is asked of them, and never sound through a neighbour.
TEST_F(AudioFewSources, ChannelsWithoutASourceLoadSilentAndTheOthersPlay) {
    Write_Sound("tone.ogg", {.rate = Rate, .channels = 1, .frames = Frames_Of(Heard, Rate)});
    // Fills both stream buffers, so a stream with a source would start playing.
    Write_Sound("stream.ogg",
                {.rate = Rate, .channels = 1, .frames = 3 * CTarvelAudio::Decode_Block / 2});
    Stderr_Capture warnings(dir_ + "/stderr.txt");
    std::vector<Log_Entry> expected;
    {
        CTarvelAudio audio(6);
        for (int c = 0; c < 6; ++c) ASSERT_TRUE(audio.Load(c, "tone.ogg", false)) << c;
        expected = {
            {0, "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device"},
            {0, "CTarvelAudio::CTarvelAudio() :: OpenAL device initialized [6 channel(s)]"},
            Loaded("tone.ogg"),
            Loaded("tone.ogg"),
            Loaded("tone.ogg"),
            Loaded("tone.ogg"),
            No_Source("tone.ogg"),
            No_Source("tone.ogg"),
        };
        EXPECT_EQ(Log_Entries(), expected);
        for (int c = 0; c < 6; ++c) EXPECT_EQ(audio.Get_State(c), c < 4 ? AL_INITIAL : -1) << c;

        for (int c = 0; c < 6; ++c) {
            audio.Play(c);
            Run_Frames(&audio, Spacing);
        }
        EXPECT_EQ(audio.Get_State(3), AL_STOPPED);

        // Loaded again, as a stream and as a static sound, they are still silent.
        EXPECT_TRUE(audio.Load(4, "stream.ogg", true));
        EXPECT_TRUE(audio.Load(5, "tone.ogg", false));
        audio.Play(4);
        audio.Play(5);
        Run_Frames(&audio, Spacing);
        EXPECT_EQ(audio.Get_State(4), -1);
        EXPECT_EQ(audio.Get_State(5), -1);
        audio.Clear(4);
        audio.Clear(4);
        audio.Play(4);
        audio.Update();
    }
    // Nothing but the two loads' failures after start-up.
    expected.push_back(No_Source("stream.ogg"));
    expected.push_back(No_Source("tone.ogg"));
    expected.push_back({0, "CTarvelAudio::~CTarvelAudio() :: OpenAL device released"});
    EXPECT_EQ(Log_Entries(), expected);
    // OpenAL Soft names any source or buffer still alive when the device closes.
    const std::string text = warnings.Finish();
    EXPECT_EQ(text.find("Deleted"), std::string::npos) << text;

    const std::vector<Sound_Span> spans = Sound_Spans(Read_Wave());
    ASSERT_EQ(spans.size(), 4u);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(spans[i].start - spans[0].start, Spacing * double(i), Slack);
        EXPECT_NEAR(spans[i].Length(), Heard, Slack);
    }
}

}  // namespace
