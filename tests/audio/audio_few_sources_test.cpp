// OpenAL Soft allows this process only 4 sources (see CMakeLists.txt), fewer than the
// game's six channels: the channels it has no source for load silent, as without a device.
#include <AL/al.h>

#include "audio/audio.h"
#include "tests/audio/audio_fixture.h"

namespace {

constexpr int Rate = 44100;
constexpr double Heard = 0.1;    // seconds each tone lasts
constexpr double Spacing = 0.3;  // seconds between two channels' plays
// Each channel's tone has a pitch of its own, so what is heard tells which channels
// sounded, however the mixer spaced them.
constexpr float Pitches[6] = {300.0f, 500.0f, 700.0f, 900.0f, 1100.0f, 1300.0f};

std::string Tone(int channel) { return "tone" + std::to_string(channel) + ".ogg"; }

Log_Entry Loaded(const std::string& file) {
    return {0, "CTarvelAudio::Load() :: [" + file + "]"};
}

Log_Entry No_Source(const std::string& file) {
    return {1, "CTarvelAudio::Load() :: failed (could not create OpenAL source [" + file + "])"};
}

using AudioFewSources = Audio_Test;

// The game's start-up loads six static channels and stops at the first failed load. The
// four channels with a source are heard; the two without log the failure and stay silent
// whatever is asked of them, and never sound through a neighbour.
TEST_F(AudioFewSources, ChannelsWithoutASourceLoadSilentAndTheOthersPlay) {
    for (int c = 0; c < 6; ++c) {
        Write_Sound(Tone(c), {.rate = Rate,
                              .channels = 1,
                              .frames = Frames_Of(Heard, Rate),
                              .frequency = Pitches[c]});
    }
    // Fills both stream buffers, so a stream with a source would start playing.
    Write_Sound("stream.ogg", {.rate = Rate,
                               .channels = 1,
                               .frames = 3 * CTarvelAudio::Decode_Block / 2,
                               .frequency = Pitches[4]});
    Stderr_Capture warnings(dir_ + "/stderr.txt");
    std::vector<Log_Entry> expected;
    {
        CTarvelAudio audio(6);
        for (int c = 0; c < 6; ++c) ASSERT_TRUE(audio.Load(c, Tone(c).c_str(), false)) << c;
        expected = {
            {0, "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device"},
            {0, "CTarvelAudio::CTarvelAudio() :: OpenAL device initialized [6 channel(s)]"},
            Loaded(Tone(0)),
            Loaded(Tone(1)),
            Loaded(Tone(2)),
            Loaded(Tone(3)),
            No_Source(Tone(4)),
            No_Source(Tone(5)),
        };
        EXPECT_EQ(Log_Entries(), expected);
        for (int c = 0; c < 6; ++c) EXPECT_EQ(audio.Get_State(c), c < 4 ? AL_INITIAL : -1) << c;

        for (int c = 0; c < 6; ++c) {
            audio.Play(c);
            Run_Frames(&audio, Spacing);
        }

        // Loaded again, as a stream and as a static sound, they are still silent.
        EXPECT_TRUE(audio.Load(4, "stream.ogg", true));
        EXPECT_TRUE(audio.Load(5, Tone(5).c_str(), false));
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
    expected.push_back(No_Source(Tone(5)));
    expected.push_back({0, "CTarvelAudio::~CTarvelAudio() :: OpenAL device released"});
    EXPECT_EQ(Log_Entries(), expected);
    // OpenAL Soft names any source or buffer still alive when the device closes.
    const std::string text = warnings.Finish();
    EXPECT_EQ(text.find("Deleted"), std::string::npos) << text;

    const Recording heard = Read_Wave();
    double loudest = 0.0;
    for (float pitch : Pitches) loudest = std::max(loudest, Tone_Level(heard, pitch));
    ASSERT_GT(loudest, 0.0) << "nothing was heard";
    for (int c = 0; c < 6; ++c) {
        const double level = Tone_Level(heard, Pitches[c]) / loudest;
        if (c < 4) {
            EXPECT_GT(level, 0.5) << "channel " << c << " was not heard";
        } else {
            EXPECT_LT(level, 0.05) << "silent channel " << c << " was heard";
        }
    }
}

}  // namespace
