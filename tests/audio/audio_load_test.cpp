// Where Load finds its file (archive member or loose file), and how it fails.
#include <AL/al.h>

#include <filesystem>

#include "audio/audio.h"
#include "engine/pak.h"
#include "tests/audio/audio_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Good_Sound() {
    return Encode_Ogg({.rate = 22050, .channels = 1, .frames = 4410});
}

Bytes Garbage() {
    const std::string text = "this is not an Ogg Vorbis file, just some words and no pages";
    return Bytes(text.begin(), text.end());
}

// A real file whose headers are intact but whose audio pages in the middle are damaged:
// it opens, and decoding then meets a gap.
Bytes Damaged_Sound() {
    Bytes bytes = Encode_Ogg(
        {.rate = 44100, .channels = 2, .frames = 88200, .shape = Test_Sound::Shape::Noise});
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) bytes[i] ^= 0xA5;
    return bytes;
}

std::string Load_Failure(const char* cause, const char* name) {
    return std::string("CTarvelAudio::Load() :: failed (") + cause + " [" + name + "])";
}

// No extracted copy of `name` in the private temporary folder, nor beside the program.
void Expect_No_Extracted_Copy(const std::string& dir, const char* name, bool loose_file) {
    EXPECT_FALSE(std::filesystem::exists(std::string(Private_Temp_Folder()) + "/" + name));
    if (!loose_file) {
        EXPECT_FALSE(std::filesystem::exists(dir + "/" + name));
    }
}

enum class Content { None, Good, Garbage };

struct Source_Case {
    const char* label;
    bool archive;    // "data/audio.pak" exists
    Content member;  // "x.ogg" inside it
    Content loose;   // "x.ogg" in the program folder
    bool loads;
};

void PrintTo(const Source_Case& c, std::ostream* out) {
    *out << c.label;
}

class AudioLoadSource : public Audio_Test,
                        public ::testing::WithParamInterface<std::tuple<Source_Case, bool>> {};

TEST_P(AudioLoadSource, ArchiveCopyWinsAndLooseFileIsTheFallback) {
    const auto& [c, streamed] = GetParam();
    const auto content = [](Content what) {
        return what == Content::Good ? Good_Sound() : Garbage();
    };
    if (c.archive) {
        std::vector<std::pair<std::string, Bytes>> members = {{"other.ogg", Good_Sound()}};
        if (c.member != Content::None) members.push_back({"x.ogg", content(c.member)});
        Write_Archive(members);
    }
    Bytes loose;
    if (c.loose != Content::None) {
        loose = content(c.loose);
        ASSERT_TRUE(Write_File(dir_ + "/x.ogg", std::string(loose.begin(), loose.end())));
    }

    CTarvelAudio audio(1);
    EXPECT_EQ(audio.Load(0, "x.ogg", streamed), c.loads);
    EXPECT_EQ(audio.Get_State(0), c.loads ? AL_INITIAL : -1);
    Log_Entry expected{0, "CTarvelAudio::Load() :: [x.ogg]"};
    if (!c.loads && c.member == Content::None && c.loose == Content::None) {
        expected = {1, Load_Failure("could not find file", "x.ogg")};
    } else if (!c.loads) {
        expected = {1,
                    Load_Failure(streamed ? "could not initialize stream" : "could not initialize",
                                 "x.ogg")};
    }
    EXPECT_EQ(Log_Entries().back(), expected);

    // A loose file is never deleted or overwritten; an extracted copy never stays.
    if (c.loose != Content::None) {
        EXPECT_EQ(Read_File(dir_ + "/x.ogg"), std::string(loose.begin(), loose.end()));
    }
    Expect_No_Extracted_Copy(dir_, "x.ogg", c.loose != Content::None);
}

const Source_Case Source_Cases[] = {
    {"LooseFileWithoutArchive", false, Content::None, Content::Good, true},
    {"LooseFileWhenArchiveLacksTheMember", true, Content::None, Content::Good, true},
    {"ArchiveCopyOverBrokenLooseFile", true, Content::Good, Content::Garbage, true},
    {"BrokenArchiveCopyOverGoodLooseFile", true, Content::Garbage, Content::Good, false},
    {"ArchiveOnly", true, Content::Good, Content::None, true},
    {"NeitherArchiveNorLooseFile", false, Content::None, Content::None, false},
    {"ArchiveWithoutTheMemberAndNoLooseFile", true, Content::None, Content::None, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, AudioLoadSource,
                         ::testing::Combine(::testing::ValuesIn(Source_Cases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Source_Case, bool>>& test_info) {
                             return std::string(std::get<0>(test_info.param).label) +
                                    (std::get<1>(test_info.param) ? "Streamed" : "Static");
                         });

// A static sound is decoded whole into memory, so its samples have a limit: a sound beyond
// it is refused (decoding stops there), whether Load decodes it or a prefetch did; a stream,
// which holds two buffers at a time, has none. The limit is made small here, so that short
// sounds reach it; mono 16-bit samples take 2 bytes a frame.
TEST_F(Audio_Test, StaticSoundBeyondTheLimitIsRefused) {
    constexpr std::size_t Limit = 65536;
    Write_Sound("at.ogg", {.rate = 22050, .channels = 1, .frames = Limit / 2});
    Write_Sound("over.ogg", {.rate = 22050, .channels = 1, .frames = Limit / 2 + 1});
    Write_Sound("long.ogg", {.rate = 22050, .channels = 1, .frames = 5 * Limit});
    const struct {
        const char* file;
        bool streamed;
        bool prefetched;
        bool loads;
    } cases[] = {
        {"at.ogg", false, false, true},    {"at.ogg", false, true, true},
        {"over.ogg", false, false, false}, {"over.ogg", false, true, false},
        {"long.ogg", false, false, false}, {"long.ogg", false, true, false},
        {"long.ogg", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.streamed ? " streamed" : " static") +
                     (c.prefetched ? " prefetched" : ""));
        CTarvelAudio audio(1);
        audio.Max_Static_Bytes = Limit;
        if (c.prefetched) {
            audio.Prefetch(&c.file, 1);
            Run_Frames(nullptr, 0.1);  // time for the worker to decode it
        }
        EXPECT_EQ(audio.Load(0, c.file, c.streamed), c.loads);
        if (c.loads) {
            EXPECT_EQ(audio.Get_State(0), AL_INITIAL);
            EXPECT_EQ(Log_Entries().back(),
                      (Log_Entry{0, std::string("CTarvelAudio::Load() :: [") + c.file + "]"}));
        } else {
            EXPECT_EQ(audio.Get_State(0), -1);
            EXPECT_EQ(Log_Entries().back(), (Log_Entry{1, Load_Failure("sound too long", c.file)}));
        }
    }
}

// An empty file opens as no Ogg stream, whether Load reads it or a prefetch read it
// into memory (where its bytes have no address).
TEST_F(Audio_Test, EmptyFileFailsAlsoWhenDecodedAhead) {
    ASSERT_TRUE(Write_File(dir_ + "/empty.ogg", ""));
    for (bool prefetched : {false, true}) {
        SCOPED_TRACE(prefetched ? "prefetched" : "plain");
        CTarvelAudio audio(1);
        const char* file = "empty.ogg";
        if (prefetched) {
            audio.Prefetch(&file, 1);
            Run_Frames(nullptr, 0.1);  // time for the worker to decode it
        }
        EXPECT_FALSE(audio.Load(0, file, false));
        EXPECT_EQ(Log_Entries().back(), (Log_Entry{1, Load_Failure("could not initialize", file)}));
    }
}

struct Broken_Case {
    const char* label;
    Bytes (*content)();
    bool streamed;
    const char* cause;
};

void PrintTo(const Broken_Case& c, std::ostream* out) {
    *out << c.label;
}

class AudioLoadBroken : public Audio_Test, public ::testing::WithParamInterface<Broken_Case> {};

TEST_P(AudioLoadBroken, FailsWithItsLineLeavesNoCopyAndPlaysNothing) {
    const Broken_Case& c = GetParam();
    Write_Archive({{"x.ogg", c.content()}});
    {
        CTarvelAudio audio(2);
        EXPECT_FALSE(audio.Load(1, "x.ogg", c.streamed));
        EXPECT_EQ(Log_Entries().back(), (Log_Entry{1, Load_Failure(c.cause, "x.ogg")}));
        Expect_No_Extracted_Copy(dir_, "x.ogg", false);
        audio.Play(1);
        audio.Update();
        EXPECT_EQ(audio.Get_State(1), -1);
        audio.Clear(1);
    }
    // Nothing but the failure between opening and releasing the device.
    EXPECT_EQ(Log_Entries().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioLoadBroken,
    ::testing::Values(Broken_Case{"GarbageStatic", Garbage, false, "could not initialize"},
                      Broken_Case{"GarbageStreamed", Garbage, true, "could not initialize stream"},
                      Broken_Case{"DamagedPagesStatic", Damaged_Sound, false,
                                  "could not decode file"}),
    [](const ::testing::TestParamInfo<Broken_Case>& test_info) { return test_info.param.label; });

}  // namespace
