// The device where OpenAL has no output at all (this binary's OpenAL knows no backend).
#include "audio/audio.h"
#include "tests/audio/audio_fixture.h"

namespace {

using AudioNoDevice = Audio_Test;

TEST_F(AudioNoDevice, FailureIsLoggedAndTheGameRunsSilently) {
    Write_Sound("a.ogg", {.rate = 22050, .channels = 1, .frames = 22050});
    {
        CTarvelAudio audio(6);
        // Start-up stops at a failed load, so the sounds still load.
        EXPECT_TRUE(audio.Load(0, "a.ogg", false));
        EXPECT_TRUE(audio.Load(1, "a.ogg", true));
        audio.Play(0);
        audio.Play(1);
        audio.Update();
        EXPECT_EQ(audio.Get_State(0), -1);
        EXPECT_EQ(audio.Get_State(1), -1);
        audio.Clear(1);
    }
    const std::vector<Log_Entry> expected = {
        {0, "CTarvelAudio::CTarvelAudio() :: Attempting to initialize OpenAL device"},
        {1, "CTarvelAudio::CTarvelAudio() :: failed (could not open OpenAL device)"},
        {0, "CTarvelAudio::Load() :: [a.ogg]"},
        {0, "CTarvelAudio::Load() :: [a.ogg]"},
    };
    EXPECT_EQ(Log_Entries(), expected);
}

}  // namespace
