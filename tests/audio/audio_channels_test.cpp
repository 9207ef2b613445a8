// Channel numbers, channel counts and the device's own log lines.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/efx.h>

#include <functional>

#include "audio/audio.h"
#include "tests/audio/audio_fixture.h"

namespace {

Test_Sound Short_Tone() {
    return {.rate = 22050, .channels = 1, .frames = 2205};
}

class AudioChannelCount : public Audio_Test, public ::testing::WithParamInterface<int> {};

TEST_P(AudioChannelCount, NoChannelsRefuseEverythingWithoutAMessage) {
    Write_Sound("a.ogg", Short_Tone());
    {
        CTarvelAudio audio(GetParam());
        EXPECT_FALSE(audio.Load(0, "a.ogg", false));
        EXPECT_FALSE(audio.Load(0, "a.ogg", true));
        audio.Play(0);
        audio.Play(6);
        audio.Update();
        audio.Clear(0);
        EXPECT_EQ(audio.Get_State(0), -1);
        EXPECT_EQ(audio.Get_State(6), -1);
    }
    const std::vector<Log_Entry> expected = {
        {0, "CTarvelAudio::CTarvelAudio() :: Did not initialize OpenAl device"}};
    EXPECT_EQ(Log_Entries(), expected);
}

INSTANTIATE_TEST_SUITE_P(ZeroOrLess, AudioChannelCount, ::testing::Values(0, -3));

class AudioChannelNumber : public Audio_Test, public ::testing::WithParamInterface<int> {};

TEST_P(AudioChannelNumber, RefusedChannelIsLoggedByEveryOperationAndChangesNothing) {
    const int bad = GetParam();
    Write_Sound("a.ogg", Short_Tone());
    CTarvelAudio audio(6);
    ASSERT_TRUE(audio.Load(5, "a.ogg", false));

    struct Operation {
        const char* method;
        std::function<void(CTarvelAudio&)> call;
    };
    const Operation operations[] = {
        {"Load", [&](CTarvelAudio& a) { EXPECT_FALSE(a.Load(bad, "a.ogg", false)); }},
        {"Play", [&](CTarvelAudio& a) { a.Play(bad); }},
        {"Get_State", [&](CTarvelAudio& a) { EXPECT_EQ(a.Get_State(bad), -1); }},
        {"Clear", [&](CTarvelAudio& a) { a.Clear(bad); }},
    };
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.method);
        const std::size_t before = Log_Entries().size();
        operation.call(audio);
        const std::vector<Log_Entry> entries = Log_Entries();
        ASSERT_EQ(entries.size(), before + 1);
        const std::string line = std::string("CTarvelAudio::") + operation.method +
                                 "() :: failed (incorrect channel passed [" + std::to_string(bad) +
                                 " of 6 total])";
        EXPECT_EQ(entries.back(), (Log_Entry{1, line}));
    }
    // The loaded neighbour is untouched.
    EXPECT_EQ(audio.Get_State(5), AL_INITIAL);
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, AudioChannelNumber, ::testing::Values(6, -1));

using AudioDevice = Audio_Test;

TEST_F(AudioDevice, LogsOpeningLoadingAndReleasing) {
    Write_Sound("a.ogg", Short_Tone());
    {
        CTarvelAudio audio(6);
        EXPECT_TRUE(audio.Load(2, "a.ogg", false));
        EXPECT_TRUE(audio.Load(3, "a.ogg", true));
        EXPECT_EQ(audio.Get_State(2), AL_INITIAL);
        EXPECT_EQ(audio.Get_State(3), AL_INITIAL);
        EXPECT_EQ(audio.Get_State(0), -1);  // holds no sound
    }
    const std::vector<Log_Entry> expected = {
        {0, "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device"},
        {0, "CTarvelAudio::CTarvelAudio() :: OpenAL device initialized [6 channel(s)]"},
        {0, "CTarvelAudio::Load() :: [a.ogg]"},
        {0, "CTarvelAudio::Load() :: [a.ogg]"},
        {0, "CTarvelAudio::~CTarvelAudio() :: OpenAL device released"},
    };
    EXPECT_EQ(Log_Entries(), expected);
}

// The device is opened without effect sends, whose per-voice state the game would only
// pay for in memory.
TEST_F(AudioDevice, ContextHasNoEffectSends) {
    CTarvelAudio audio(6);
    ALCcontext* context = alcGetCurrentContext();
    ASSERT_NE(context, nullptr);
    ALCint sends = -1;
    alcGetIntegerv(alcGetContextsDevice(context), ALC_MAX_AUXILIARY_SENDS, 1, &sends);
    EXPECT_EQ(sends, 0);
}

// The test configuration allows OpenAL 16 sources. A channel beyond them loads silent and
// says so, and Clear and a second Load must give their sources back.
TEST_F(AudioDevice, SourcesRunOutOnlyWhenReallyHeldAndAreGivenBack) {
    Write_Sound("a.ogg", Short_Tone());
    CTarvelAudio audio(17);
    for (int round = 0; round < 3; ++round) {
        for (int c = 0; c < 16; ++c) ASSERT_TRUE(audio.Load(c, "a.ogg", c % 2 == 1)) << c;
    }
    EXPECT_TRUE(audio.Load(16, "a.ogg", false));
    EXPECT_EQ(
        Log_Entries().back(),
        (Log_Entry{1, "CTarvelAudio::Load() :: failed (could not create OpenAL source [a.ogg])"}));
    EXPECT_EQ(audio.Get_State(16), -1);

    audio.Play(3);
    audio.Clear(3);
    EXPECT_EQ(audio.Get_State(3), -1);
    audio.Play(3);  // an emptied channel stays silent
    EXPECT_EQ(audio.Get_State(3), -1);
    audio.Clear(3);  // clearing twice is harmless
    EXPECT_TRUE(audio.Load(16, "a.ogg", false));
    EXPECT_EQ(audio.Get_State(16), AL_INITIAL);
}

// OpenAL Soft warns ("Deleted N Buffers", "... Sources") when a context or device goes
// with sources or buffers still alive. Static channels, played and not, and a stream that
// played, all clear cleanly; so does a channel loaded a second time.
TEST_F(AudioDevice, ClosingLeavesNoSourceOrBufferBehind) {
    Write_Sound("a.ogg", {.rate = 44100, .channels = 1, .frames = 44100});
    Stderr_Capture warnings(dir_ + "/stderr.txt");
    {
        CTarvelAudio audio(4);
        for (int c = 0; c < 4; ++c) ASSERT_TRUE(audio.Load(c, "a.ogg", c >= 2));
        audio.Play(0);
        audio.Play(2);
        Run_Frames(&audio, 0.1);
        ASSERT_EQ(audio.Get_State(2), AL_PLAYING);
        ASSERT_TRUE(audio.Load(0, "a.ogg", false));
    }
    const std::string text = warnings.Finish();
    EXPECT_EQ(text.find("Deleted"), std::string::npos) << text;
}

}  // namespace
